// torvi-cli dump: loads a quiz file as the program does and prints what it holds
// as one JSON object, or why it does not load.
#pragma once

#include <memory>

#include "cli/cli_common.h"

std::unique_ptr<CCliCommand> MakeDumpCommand();
