// One history per game: every operation after a game switch acts on that game's file only, the
// other game's file stays byte for byte as it was, an old single-file data folder records its
// game, a file that records another game is refused untouched, and the command line's --game and
// games.

#include "workspace/workspace_fixture.h"

#include "cli/cli_run.h"
#include "history/game_record.h"
#include "history/history_table.h"
#include "site/results_site.h"
#include "support/core_application.h"
#include "workspace/history_service.h"
#include "workspace/update_service.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

using history::Game;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<int> periods(const app::Workspace& w) {
    std::vector<int> out;
    for (const auto& row : w.rows()) out.push_back(row.period);
    return out;
}

history::GameRecord recordOf(const std::string& path) {
    platform::Database db(path);
    return history::readGameRecord(db);
}

bool recordsGame(const std::string& path, Game game) {
    const auto record = recordOf(path);
    return record.state == history::GameRecord::State::Recorded &&
           record.code == static_cast<int>(game);
}

// The files of the data folder whose name starts so.
std::vector<std::string> filesStartingWith(const std::string& folder, const std::string& start) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(start, 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

class OneHistoryPerGame : public ::testing::Test {
  protected:
    OneHistoryPerGame() { testing_support::ensureCoreApplication(); }
    std::string data(const std::string& name) const { return f.dataDir() + "/" + name; }
    WorkspaceFixture f;
};

} // namespace

TEST_F(OneHistoryPerGame, EveryOperationAfterASwitchActsOnTheNewGamesFileOnly) {
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    ASSERT_TRUE(recordsGame(data("kelvora11S5.db"), Game::Jiangxi));

    ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
    EXPECT_EQ(w.databasePath(), data("kelvora11S5-23.db"));
    EXPECT_TRUE(w.rows().empty());
    EXPECT_TRUE(w.nextPeriodText().empty());
    EXPECT_TRUE(w.spanEnd().empty());
    // The switch left the first file whole by itself: its bytes now are what must stay.
    const std::string jiangxi = bytesOf(data("kelvora11S5.db"));

    // A typed draw, an import, an update, a cut-back, a rebuild and a compaction.
    f.type("2016090805", {{"11", "10", "09", "08", "07"}});
    std::ofstream(f.dir.file("draws.txt")) << "16090801 01 03 05 07 09\n16090802 02 04 06 08 10\n"
                                              "16090803 03 05 07 09 11\n";
    history::NoProgress quiet;
    app::HistoryService history(w);
    const auto imported = history.importFile(f.dir.file("draws.txt"), quiet);
    ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
    EXPECT_EQ(fs::path(imported.backupFile).filename().string().rfind("备份-广东11选5-", 0), 0u)
        << imported.backupFile;

    std::vector<site::SiteDraw> pageDraws = {{16090804, {1, 2, 3, 4, 5}},
                                             {16090805, {2, 3, 4, 5, 6}}};
    site::ResultsSite site(pageDraws);
    ASSERT_NE(site.listen(), 0);
    ASSERT_TRUE(w.setSetting("UpdateSite", site.baseUrl()).ok);
    app::QuietUpdate quietUpdate;
    const auto updated = app::UpdateService(w).update(quietUpdate);
    ASSERT_TRUE(updated.complete()) << updated.outcome.message;
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802, 16090803, 16090804, 16090805}));

    ASSERT_TRUE(history.deleteLast("1", quiet).outcome.ok);
    ASSERT_TRUE(history.rebuild(quiet).outcome.ok);
    ASSERT_TRUE(history.deleteNewest().outcome.ok);
    EXPECT_EQ(history.backupPath(), data("lsbf-23.txt"));
    EXPECT_EQ(history.compactionPath(), data("kelvora11S5Tmp-23.db"));
    EXPECT_TRUE(fs::exists(data("lsbf-23.txt")));
    EXPECT_TRUE(fs::exists(data("kelvora11S5Tmp-23.db")));
    EXPECT_FALSE(fs::exists(data("lsbf.txt")));
    EXPECT_FALSE(fs::exists(data("kelvora11S5Tmp.db")));
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802, 16090803}));
    EXPECT_TRUE(recordsGame(data("kelvora11S5-23.db"), Game::Guangdong));

    EXPECT_EQ(bytesOf(data("kelvora11S5.db")), jiangxi);

    // Back to the first game: its history as it was, the span over it, its next period.
    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    EXPECT_EQ(w.databasePath(), data("kelvora11S5.db"));
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802}));
    EXPECT_EQ(w.nextPeriodText(), "2016090803");
    EXPECT_EQ(w.spanEnd(), "2016090802");
    // And a new start follows the saved choice.
    ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
    EXPECT_EQ(periods(f.reopen()), (std::vector<int>{16090801, 16090802, 16090803}));
}

TEST_F(OneHistoryPerGame, TextCopiesOfDrawsNameTheGame) {
    auto& w = *f.workspace;
    ASSERT_TRUE(w.setGame(Game::Shanghai).ok);
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    app::HistoryService history(w);
    ASSERT_TRUE(history.clearHistory().outcome.ok);
    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    ASSERT_TRUE(history.clearHistory().outcome.ok);
    const auto saved = filesStartingWith(data("历史号码"), "备份-");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].rfind("备份-上海11选5-", 0), 0u) << saved[0];
    EXPECT_EQ(saved[1].rfind("备份-江西11选5-", 0), 0u) << saved[1];
}

TEST_F(OneHistoryPerGame, AnOldSingleFileFolderOpensAsBeforeAndRecordsTheSettingsGame) {
    f.type("2016090801", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    f.workspace.reset();
    {
        // As files were written before they recorded their game.
        platform::Database db(data("kelvora11S5.db"));
        db.exec("PRAGMA application_id = 0");
        db.exec("PRAGMA user_version = 0");
    }
    ASSERT_EQ(recordOf(data("kelvora11S5.db")).state, history::GameRecord::State::Unrecorded);
    std::ofstream(f.settingsPath()) << "[IniSetting]\nGsZl=23\n";

    // One run on another game first: the old file is the settings' game all the same.
    auto options = f.options();
    options.game = Game::Shanghai;
    {
        app::Workspace other(options);
        EXPECT_EQ(other.databasePath(), data("kelvora11S5-562.db"));
        EXPECT_TRUE(other.rows().empty());
        // Switching during that run keeps the old file for the settings' game.
        ASSERT_TRUE(other.setGame(Game::Guangdong).ok);
        EXPECT_EQ(other.databasePath(), data("kelvora11S5.db"));
        EXPECT_EQ(periods(other), (std::vector<int>{16090801, 16090802}));
    }
    ASSERT_TRUE(recordsGame(data("kelvora11S5.db"), Game::Guangdong));
    ASSERT_TRUE(recordsGame(data("kelvora11S5-562.db"), Game::Shanghai));

    auto& w = f.reopen();
    EXPECT_EQ(w.databasePath(), data("kelvora11S5.db"));
    EXPECT_EQ(periods(w), (std::vector<int>{16090801, 16090802}));
    // Choosing the game the settings had before makes that game a file of its own.
    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    EXPECT_EQ(w.databasePath(), data("kelvora11S5-22.db"));
    EXPECT_TRUE(recordsGame(data("kelvora11S5.db"), Game::Guangdong));
}

TEST_F(OneHistoryPerGame, AFileThatRecordsAnotherGameIsRefusedUntouchedUntilTheUserTakesIt) {
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    ASSERT_TRUE(w.setGame(Game::Heilongjiang).ok);
    ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    // Copied in by hand over the 黑龙江 file.
    for (const char* log : {"-wal", "-shm"}) fs::remove(data("kelvora11S5-569.db") + log);
    fs::copy_file(data("kelvora11S5.db"), data("kelvora11S5-569.db"),
                  fs::copy_options::overwrite_existing);
    const std::string copied = bytesOf(data("kelvora11S5-569.db"));

    const auto switched = w.setGame(Game::Heilongjiang);
    EXPECT_FALSE(switched.ok);
    EXPECT_FALSE(w.databaseOpen());
    EXPECT_EQ(w.refusedFileGame(), 22);
    EXPECT_NE(switched.message.find("记录的是江西11选5"), std::string::npos) << switched.message;
    EXPECT_TRUE(w.rows().empty());
    const auto added = w.addDraw({"01", "02", "03", "04", "05"}, "2016090801");
    EXPECT_FALSE(added.ok);
    EXPECT_EQ(bytesOf(data("kelvora11S5-569.db")), copied);
    // The refused choice was not stored: a new start opens 江西 again; choosing 黑龙江 there
    // refuses the file the same way.
    EXPECT_TRUE(f.reopen().databaseOpen());
    EXPECT_EQ(f.workspace->databasePath(), data("kelvora11S5.db"));
    EXPECT_FALSE(f.workspace->setGame(Game::Heilongjiang).ok);
    EXPECT_EQ(bytesOf(data("kelvora11S5-569.db")), copied);

    // The user takes it as the 黑龙江 history: that choice is stored.
    ASSERT_TRUE(f.workspace->takeFileAsCurrentGame().ok);
    EXPECT_TRUE(f.workspace->databaseOpen());
    EXPECT_EQ(periods(*f.workspace), (std::vector<int>{16090801}));
    EXPECT_TRUE(recordsGame(data("kelvora11S5-569.db"), Game::Heilongjiang));
    EXPECT_TRUE(recordsGame(data("kelvora11S5.db"), Game::Jiangxi));
    EXPECT_EQ(f.reopen().databasePath(), data("kelvora11S5-569.db"));
}

TEST_F(OneHistoryPerGame, TheCommandLineActsOnTheSettingsGameOrOnGameForOneRun) {
    const auto cli = [&](std::vector<std::string> arguments) {
        return testing_support::runCli(f.dataDir(), f.settingsPath(), std::move(arguments));
    };
    f.type("2016090801", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    f.workspace.reset();

    auto run =
        cli({"--game", "569", "add", "--period", "2016090879", "11", "10", "09", "08", "07"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(cli({"--game", "569", "next"}).out, "2016090901\n"); // 79 draws a day
    EXPECT_EQ(cli({"get", "GsZl"}).out, "22\n");                   // not saved
    EXPECT_EQ(cli({"next"}).out, "2016090803\n");

    for (const char* bad : {"24", "x", "0"}) {
        run = cli({"--game", bad, "next"});
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_NE(run.err.find("--game"), std::string::npos);
    }

    run = cli({"games"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "22\t江西11选5\t2\t2016090801\t2016090802\tkelvora11S5.db\n"
                       "569\t黑龙江11选5\t1\t2016090879\t2016090879\tkelvora11S5-569.db\n");
    run = cli({"games", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "[{\"code\":22,\"name\":\"江西11选5\",\"draws\":2,\"first\":"
                       "\"2016090801\",\"newest\":\"2016090802\",\"file\":\"kelvora11S5.db\"},"
                       "{\"code\":569,\"name\":\"黑龙江11选5\",\"draws\":1,\"first\":"
                       "\"2016090879\",\"newest\":\"2016090879\",\"file\":"
                       "\"kelvora11S5-569.db\"}]\n");
    EXPECT_EQ(cli({"games", "--csv"}).status, 2);

    // set GsZl switches, and a game without draws yet is listed once it has its file.
    run = cli({"set", "GsZl", "23"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(cli({"history"}).out, "");
    run = cli({"games"});
    EXPECT_NE(run.out.find("23\t广东11选5\t0\t\t\tkelvora11S5-23.db\n"), std::string::npos);

    // A file that records another game is left out and said.
    fs::copy_file(data("kelvora11S5.db"), data("kelvora11S5-562.db"));
    run = cli({"games"});
    EXPECT_EQ(run.out.find("562"), std::string::npos);
    EXPECT_NE(run.err.find("kelvora11S5-562.db"), std::string::npos);
    run = cli({"--game", "562", "history"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("记录的是江西11选5"), std::string::npos) << run.err;
}

TEST_F(OneHistoryPerGame, TwoProcessesOnTwoGamesWaitForEachOtherOnlyWhileOneWrites) {
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    const auto start = [&](QProcess& child, const QStringList& command) {
        QStringList arguments = {"--data-dir", QString::fromStdString(f.dataDir()),
                                 "--settings", QString::fromStdString(f.settingsPath()),
                                 "--game",     "23"};
        child.start(QString::fromUtf8(K11_EXECUTABLE), arguments + command);
        ASSERT_TRUE(child.waitForStarted(5000));
    };
    {
        // While this process writes, the other game's writer waits and then stores its draw.
        app::WriteLock lock;
        ASSERT_TRUE(w.lockForWriting(lock).ok);
        QProcess writer;
        start(writer, {"add", "--period", "2016090801", "11", "10", "09", "08", "07"});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        EXPECT_EQ(writer.state(), QProcess::Running);
        // A reader of the other game does not wait at all.
        QProcess reader;
        start(reader, {"games"});
        ASSERT_TRUE(reader.waitForFinished(10000));
        EXPECT_EQ(reader.exitCode(), 0);
        EXPECT_EQ(writer.state(), QProcess::Running);
        lock = app::WriteLock();
        ASSERT_TRUE(writer.waitForFinished(20000));
        EXPECT_EQ(writer.exitCode(), 0) << writer.readAllStandardError().toStdString();
    }
    // Each draw is in its own game's file.
    EXPECT_EQ(w.rows().size(), 1u);
    ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
    ASSERT_EQ(w.rows().size(), 1u);
    EXPECT_EQ(w.rows()[0].numbers(), (history::PositionValues{11, 10, 9, 8, 7}));
}
