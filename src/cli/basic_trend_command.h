#pragma once
// `omission --basic`: the basic trend chart of the window's trend page, row by row.

#include "cli/commands.h"

namespace app {

// Runs `omission --basic [--from ID --to ID] [--json]`; args are the omission command's.
int runBasicTrend(CommandContext& c);

} // namespace app
