// torvi-cli run: plays a quiz in the terminal.
#pragma once

#include <memory>

#include "cli/cli_common.h"

std::unique_ptr<CCliCommand> MakeRunCommand();
