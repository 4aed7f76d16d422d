// The program's icon, in every size that ships with it.
#pragma once

#include <QIcon>

QIcon TorviIcon();
