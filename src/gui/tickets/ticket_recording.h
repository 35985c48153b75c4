#pragma once
// 记入我的投注 from the pages where the player decides (the plays table, the shrink page, the
// 旋转矩阵, the plan calculator): asks for the first period (the next one offered), records the
// tickets and says what was recorded or why not.

#include "play/plays.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace app {
class Workspace;
}

namespace app::gui {

class Prompter;

struct TicketsToRecord {
    play::Play play = play::Play::Front1;
    std::vector<play::Selection> tickets;
    QString entered;                       // how the page names them ("缩水结果 120注")
    std::vector<std::int64_t> multipliers; // a plan's schedule; empty: one period at 1倍
    bool stopOnWin = false;
};

// True when a record was stored.
bool recordTickets(Workspace& workspace, Prompter& prompter, const TicketsToRecord& what);

} // namespace app::gui
