// The games that have a history: games [--json].

#include "cli/commands.h"
#include "history/game_record.h"
#include "workspace/game_histories.h"
#include "workspace/json_text.h"

#include <ostream>

namespace app {

namespace {

std::string periodText(int period) {
    return period == 0 ? std::string() : history::tenDigit(period);
}

int games(CommandContext& c) {
    const bool json = c.given.has("--json");
    const GameHistories found = listGameHistories(c.workspace);
    for (const auto& problem : found.problems) c.err << problem << "\n";
    if (json) {
        Json list = Json::array();
        for (const GameHistory& g : found.games)
            list.push_back({{"code", static_cast<int>(g.game)},
                            {"name", history::gameName(g.game)},
                            {"draws", g.draws},
                            {"first", periodText(g.first)},
                            {"newest", periodText(g.newest)},
                            {"file", g.file}});
        printJson(list, c.out);
        return kExitOk;
    }
    for (const GameHistory& g : found.games)
        c.out << static_cast<int>(g.game) << "\t" << history::gameName(g.game) << "\t" << g.draws
              << "\t" << periodText(g.first) << "\t" << periodText(g.newest) << "\t" << g.file
              << "\n";
    return kExitOk;
}

} // namespace

void addGamesCommands(std::vector<CommandSpec>& table) {
    table.push_back({"games", {.options = {{"--json", "", "以JSON输出"}}}, false, games});
}

} // namespace app
