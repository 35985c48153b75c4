// The games that have a history: games [--json].

#include "cli/commands.h"
#include "history/game_record.h"
#include "workspace/game_histories.h"

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
        c.out << "[";
        for (size_t i = 0; i < found.games.size(); ++i) {
            const GameHistory& g = found.games[i];
            c.out << (i ? ", " : "") << "{\"code\": " << static_cast<int>(g.game)
                  << ", \"name\": " << jsonString(history::gameName(g.game))
                  << ", \"draws\": " << g.draws
                  << ", \"first\": " << jsonString(periodText(g.first))
                  << ", \"newest\": " << jsonString(periodText(g.newest))
                  << ", \"file\": " << jsonString(g.file) << "}";
        }
        c.out << "]\n";
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
