// torvi-cli check: the quiz author's linter. Loads each quiz file on its own and
// reports, like a compiler, what keeps it from loading and what loads but will
// surprise the author.
#pragma once

#include <memory>

#include "cli/cli_common.h"

std::unique_ptr<CCliCommand> MakeCheckCommand();
