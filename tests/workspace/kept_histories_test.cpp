// A game's history once read stays in memory while another game is shown, and a switch back
// shows it at once: yet the file is checked on every switch, so what another process stored or
// put in its place meanwhile is shown, and what a search keeps of one game never serves another.

#include "workspace/workspace_fixture.h"

#include "history/game_record.h"
#include "platform/database.h"
#include "workspace/search_service.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

using history::Game;

std::vector<int> periods(const app::Workspace& w) {
    std::vector<int> out;
    for (const auto& row : w.rows()) out.push_back(row.period);
    return out;
}

// The hit periods of a fixed search on the first position at the newest draw.
std::vector<int> hitPeriods(app::Workspace& w, app::SearchService& service) {
    w.setPositionMode(search::PositionMode::Fixed);
    w.setSpan(history::tenDigit(w.rows().front().period),
              history::tenDigit(w.rows().back().period));
    app::SearchResult result;
    EXPECT_TRUE(service.patternSearch({true, false, false, false, false}, result).ok);
    EXPECT_EQ(w.waitForWrites(), "");
    std::vector<int> out;
    for (const auto hit : result.hits) out.push_back(w.rows()[hit].period);
    return out;
}

TEST(KeptHistories, ASwitchBackShowsWhatTheFileHoldsNow) {
    WorkspaceFixture f;
    app::Workspace& w = *f.workspace;
    f.type("2016090801", {{"03", "01", "02", "04", "06"},
                          {"07", "01", "02", "04", "06"},
                          {"03", "01", "02", "04", "06"}});
    ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
    f.type("2016090801", {{"05", "11", "10", "04", "06"}, {"05", "08", "02", "04", "09"}});
    // One search keeps the columns of whichever history is shown, as the window's does.
    app::SearchService service(w);
    EXPECT_EQ(hitPeriods(w, service), (std::vector<int>{16090802}));

    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802, 16090803}));
    EXPECT_EQ(hitPeriods(w, service), (std::vector<int>{16090802}));
    EXPECT_EQ(w.nextPeriodText(), "2016090804");
    const auto jiangxiSeen = w.history().version();

    // Meanwhile another process stores a draw of 广东: the switch back shows it.
    {
        auto options = f.options();
        options.game = Game::Guangdong;
        app::Workspace other(options);
        ASSERT_TRUE(other.addDraw({"05", "01", "02", "03", "04"}).ok);
    }
    ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802, 16090803}));
    EXPECT_EQ(w.nextPeriodText(), "2016090804");
    EXPECT_EQ(hitPeriods(w, service), (std::vector<int>{16090802, 16090803}));
    // A fresh search agrees with the one that kept its columns through the switches.
    app::SearchService fresh(w);
    EXPECT_EQ(hitPeriods(w, fresh), (std::vector<int>{16090802, 16090803}));

    // 江西's file did not change: its history is shown as kept, not read again.
    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    EXPECT_EQ(w.history().version(), jiangxiSeen);
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802, 16090803}));
    EXPECT_EQ(hitPeriods(w, service), (std::vector<int>{16090802}));
    ASSERT_TRUE(w.setGame(Game::Guangdong).ok);

    // 江西's file replaced by another (an older copy put back) while 广东 is shown: the switch
    // back opens the file now in place.
    const std::string jiangxi = f.dataDir() + "/kelvora11S5.db";
    const std::string older = f.dir.file("older.db");
    fs::copy_file(jiangxi, older);
    {
        platform::Database copy(older);
        copy.exec("PRAGMA journal_mode = DELETE");
        copy.exec("DELETE FROM Lishi WHERE SQQH > 16090801");
    }
    fs::rename(older, jiangxi);
    for (const char* log : {"-wal", "-shm", "-wal.owner"}) fs::remove(jiangxi + log);
    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok) << w.databaseProblem();
    EXPECT_EQ(periods(w), (std::vector<int>{16090801}));
    EXPECT_EQ(w.nextPeriodText(), "2016090802");
}

} // namespace
