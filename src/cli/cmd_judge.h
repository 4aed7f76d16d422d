// torvi-cli judge: shows how the answer judge sees one typed answer against one
// expected answer, and whether it accepts it.
#pragma once

#include <memory>

#include "cli/cli_common.h"

std::unique_ptr<CCliCommand> MakeJudgeCommand();
