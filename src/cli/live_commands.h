#pragma once
// Shared by the commands of the live program: the clock, the watch mode and the alerts.

#include "workspace/draw_clock.h"
#include "workspace/workspace.h"

#include <optional>
#include <string>
#include <vector>

namespace app {

// A Beijing time typed as YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS.
std::optional<SystemTime> parseBeijingMoment(const std::string& text);
// The newest stored draw (stored form), 0 when none is stored.
int newestStoredPeriod(Workspace& workspace);

struct CommandContext;
// update --watch: runs the update after each due draw until --until or a signal.
int watchUpdates(CommandContext& c);

struct CommandSpec;
// hall [--json]: every followed game at a glance.
void addHallCommand(std::vector<CommandSpec>& table);

} // namespace app
