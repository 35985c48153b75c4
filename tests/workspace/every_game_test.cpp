// Every game of the shipped table, each on its own history: an import, the day's last draw typed,
// `next` across the day's end, and an update from the results site serving that game alone (its
// name, its ids, its draws a day). Then an old history of 84 draws a day, and the player's
// schedule surviving a restart and a changed shipped table.

#include "workspace/online_update_fixture.h"

#include "cli/cli_run.h"
#include "history/game_catalog.h"
#include "support/test_progress.h"
#include "workspace/game_service.h"
#include "workspace/history_service.h"

#include <filesystem>
#include <fstream>

namespace {

using history::Game;
using testing_support::OnlineUpdate;
using testing_support::Watch;

std::string twoDigits(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// Import lines of a day's draws 01..count (yymmdd given).
std::string dayLines(int day, int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) {
        const int a = n % 7;
        text += std::to_string(day * 100 + n) + " " + twoDigits(a + 1) + " " + twoDigits(a + 2) +
                " " + twoDigits(a + 3) + " " + twoDigits(a + 4) + " " + twoDigits(a + 5) + "\n";
    }
    return text;
}

TEST_F(OnlineUpdate, EveryShippedGameImportsTypesAndUpdatesOnItsOwnSchedule) {
    auto& w = *f.workspace;
    ASSERT_TRUE(w.setSetting("IniSerchDay", "6").ok);
    const std::string file = f.dir.file("day.txt");
    for (const history::GameInfo& game : history::builtInGames().all()) {
        SCOPED_TRACE(game.name);
        const int perDay = game.drawsPerDay();
        ASSERT_TRUE(w.setGame(game.game).ok);
        // The day but its last draw, imported.
        std::ofstream(file) << dayLines(160906, perDay - 1);
        testing_support::StopAt never(1 << 30);
        const auto imported = app::HistoryService(w).importFile(file, never);
        ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
        EXPECT_EQ(w.nextPeriodText(), "20160906" + twoDigits(perDay));
        // The last draw typed; the next is the next day's first.
        f.type("", {{"01", "03", "05", "07", "09"}});
        EXPECT_EQ(w.rows().back().period, 16090600 + perDay);
        EXPECT_EQ(w.nextPeriodText(), "2016090701");
        // The next two days from a site that serves this game only.
        site::PageStyle style;
        style.onlyGame = game.code();
        site::ResultsSite site(testing_support::drawsOfDays(160906, 3, perDay), style);
        open(site);
        Watch watch;
        const auto result = update(watch);
        ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
        EXPECT_EQ(result.stored, 2u * perDay);
        EXPECT_EQ(w.rows().size(), 3u * perDay);
        EXPECT_EQ(w.nextPeriodText(), "2016090901");
        EXPECT_TRUE(std::filesystem::exists(f.dataDir() + "/" + w.historyFileName(game.game)));
    }
    // Each game kept its own file, named as the first four's are.
    EXPECT_EQ(w.historyFileName(Game::Jiangxi), "kelvora11S5.db");
    EXPECT_EQ(w.historyFileName(Game{1037}), "kelvora11S5-1037.db");
}

TEST_F(OnlineUpdate, AnOldHistoryOfEightyFourDrawsADayStillImportsAndSearches) {
    const std::string file = f.dir.file("old.txt");
    std::ofstream(file) << dayLines(160906, 84) + dayLines(160907, 84);
    f.workspace.reset();
    auto run = testing_support::runCli(f.dataDir(), f.settingsPath(), {"import", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "imported 168, skipped 0\n");
    run = testing_support::runCli(f.dataDir(), f.settingsPath(), {"next"});
    EXPECT_EQ(run.out, "2016090801\n");
    run =
        testing_support::runCli(f.dataDir(), f.settingsPath(), {"search", "--type", "0", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    // The draw after a day's 84th is a hit like any other.
    EXPECT_NE(run.out.find("{\"period\":\"2016090701\",\"cells\":[\"2\",\"3\",\"4\",\"5\",\"6\"],"
                           "\"previous\":\"01 02 03 04 05 \"}"),
              std::string::npos)
        << run.out;
}

TEST_F(OnlineUpdate, ThePlayersScheduleOutlivesARestartAndAChangedShippedTable) {
    app::GameService games(*f.workspace);
    ASSERT_TRUE(games.setSchedule(Game{1037}, {9 * 60 + 5, 20, 44}).ok);
    // Refused schedules store nothing.
    EXPECT_FALSE(games.setSchedule(Game{1037}, {9 * 60, 20, 100}).ok);
    EXPECT_FALSE(games.setSchedule(Game{1037}, {9 * 60, 121, 5}).ok);
    EXPECT_FALSE(games.setSchedule(Game{1037}, {14 * 60 + 21, 20, 48}).ok);
    EXPECT_FALSE(games.setSchedule(Game{4242}, {9 * 60, 20, 40}).ok);
    f.reopen();
    EXPECT_EQ(history::games()->schedule(Game{1037}), (history::DrawSchedule{9 * 60 + 5, 20, 44}));

    // A new version's table: 山东 changed, 江西 too, and a line it cannot read.
    std::string table(history::builtInGameTableText());
    const auto replace = [&](const std::string& from, const std::string& to) {
        table.replace(table.find(from), from.size(), to);
    };
    replace("1037    sd   山东11选5     十一运夺金              10   09:00  20     43",
            "1037    sd   山东11选5     十一运夺金              10   08:40  20     45");
    replace("22      jx   江西11选5     多乐彩                  10   09:30  20     42",
            "22      jx   江西11选5     多乐彩                  10   09:10  20     43");
    const std::string path = f.dir.file("games.tsv");
    std::ofstream(path) << table;
    app::WorkspaceOptions options = f.options();
    options.gameTable = path;
    f.workspace = std::make_unique<app::Workspace>(options);
    EXPECT_EQ(history::games()->schedule(Game{1037}), (history::DrawSchedule{9 * 60 + 5, 20, 44}));
    EXPECT_EQ(history::games()->schedule(Game::Jiangxi),
              (history::DrawSchedule{9 * 60 + 10, 20, 43}));
    EXPECT_TRUE(f.workspace->takeDatabaseNotice().empty());

    // A damaged table: the built-in one is used, the file and line named, the player's change kept.
    std::ofstream(path) << table << "1037 xx 重复11选5 - 10 09:00 20 40 -\n";
    const std::string damaged = f.dir.file("damaged.tsv");
    std::filesystem::rename(path, damaged);
    options.gameTable = damaged;
    f.workspace = std::make_unique<app::Workspace>(options);
    const std::string notice = f.workspace->takeDatabaseNotice();
    EXPECT_NE(notice.find("damaged.tsv 第"), std::string::npos) << notice;
    EXPECT_NE(notice.find("编号1037"), std::string::npos) << notice;
    EXPECT_EQ(history::games()->schedule(Game::Jiangxi),
              (history::DrawSchedule{9 * 60 + 30, 20, 42}));
    EXPECT_EQ(history::games()->schedule(Game{1037}), (history::DrawSchedule{9 * 60 + 5, 20, 44}));
}

} // namespace
