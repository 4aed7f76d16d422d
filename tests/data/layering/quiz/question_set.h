#pragma once
#include "text/upward.h"
