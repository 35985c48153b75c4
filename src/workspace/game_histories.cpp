#include "workspace/game_histories.h"

#include "history/game_catalog.h"
#include "history/game_record.h"
#include "history/history_table.h"

#include <filesystem>

namespace app {

GameHistories listGameHistories(Workspace& workspace) {
    namespace fs = std::filesystem;
    GameHistories result;
    // The current game's file as the workspace follows it (a write of its own is in it first).
    workspace.waitForWrites();
    for (const auto& known : history::games()->all()) {
        const history::Game game = known.game;
        GameHistory entry;
        entry.game = game;
        entry.file = workspace.historyFileName(game);
        const fs::path path = fs::path(workspace.dataDir()) / entry.file;
        std::error_code error;
        if (!fs::is_regular_file(path, error)) continue;
        if (auto two = workspace.twoFilesProblem(game)) {
            result.problems.push_back(std::move(*two));
            continue;
        }
        try {
            platform::Database db = workspace.openToRead(path.string());
            if (const auto problem = history::foreignSchemaProblem(db); !problem.empty()) {
                result.problems.push_back(entry.file + "：不是本程序的历史数据库（" + problem +
                                          "）");
                continue;
            }
            const auto record = history::readGameRecord(db);
            if (record.state == history::GameRecord::State::Foreign ||
                (record.state == history::GameRecord::State::Recorded &&
                 record.code != static_cast<int>(game))) {
                result.problems.push_back(
                    entry.file + "：记录的是" +
                    (record.state == history::GameRecord::State::Foreign
                         ? std::string("另一个程序的标记")
                         : history::gameName(history::Game{record.code}) + "的历史号码") +
                    "，不是" + history::gameName(game) + "的");
                continue;
            }
            auto stmt = db.prepare("SELECT count(*), min(SQQH), max(SQQH) FROM Lishi");
            if (stmt.step()) {
                entry.draws = static_cast<size_t>(stmt.int64At(0));
                entry.first = stmt.isNullAt(1) ? 0 : stmt.intAt(1);
                entry.newest = stmt.isNullAt(2) ? 0 : stmt.intAt(2);
            }
        } catch (const std::exception& e) {
            result.problems.push_back(entry.file + "：无法读取（" + e.what() + "）");
            continue;
        }
        result.games.push_back(entry);
    }
    return result;
}

} // namespace app
