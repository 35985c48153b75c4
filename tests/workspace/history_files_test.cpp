// The history files of the data folder as the user may leave them: a game whose file cannot be
// made is not stored as the choice, a history file that is a symbolic link stays one through
// every replacement, and two files that could each be one game's history are both refused and
// named, at start, in games and on the command line.

#include "workspace/workspace_fixture.h"

#include "cli/cli_run.h"
#include "history/game_record.h"
#include "platform/database.h"
#include "platform/file_io.h"
#include "support/core_application.h"
#include "workspace/history_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

using history::Game;

std::vector<int> periods(const app::Workspace& w) {
    std::vector<int> out;
    for (const auto& row : w.rows()) out.push_back(row.period);
    return out;
}

// The periods a history file holds, read by a connection of its own.
std::vector<int> filePeriods(const std::string& path) {
    platform::Database db(path);
    std::vector<int> out;
    auto stmt = db.prepare("SELECT SQQH FROM Lishi ORDER BY SQQH");
    while (stmt.step()) out.push_back(stmt.intAt(0));
    return out;
}

class HistoryFiles : public ::testing::Test {
  protected:
    HistoryFiles() { testing_support::ensureCoreApplication(); }
    std::string data(const std::string& name) const { return f.dataDir() + "/" + name; }
    testing_support::CliRun cli(std::vector<std::string> arguments) const {
        return testing_support::runCli(f.dataDir(), f.settingsPath(), std::move(arguments));
    }
    WorkspaceFixture f;
};

} // namespace

TEST_F(HistoryFiles, AGameWhoseFileCannotBeMadeIsNotStoredAsTheChoice) {
    f.type("2016090801", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    f.workspace.reset();
    // What stands in the way: the new file's journal cannot be created (as on a full disk), or
    // a folder has the file's name.
    for (const std::string blocked : {"kelvora11S5-23.db-journal", "kelvora11S5-23.db"}) {
        SCOPED_TRACE(blocked);
        fs::create_directory(data(blocked));
        auto run = cli({"set", "GsZl", "23"});
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.err.find("无法打开历史数据库"), std::string::npos) << run.err;
        EXPECT_EQ(cli({"get", "GsZl"}).out, "22\n");
        EXPECT_EQ(cli({"next"}).out, "2016090803\n");
        EXPECT_EQ(f.settingsFileText().find("GsZl=23"), std::string::npos);

        // The same through the menu's path: the window's workspace, then a new start.
        auto& w = f.reopen();
        EXPECT_FALSE(w.setGame(Game::Guangdong).ok);
        EXPECT_FALSE(w.databaseOpen());
        EXPECT_EQ(periods(f.reopen()), (std::vector<int>{16090801, 16090802}));
        f.workspace.reset();
        fs::remove_all(data(blocked));
        fs::remove(data("kelvora11S5-23.db"));
    }
    const auto run = cli({"set", "GsZl", "23"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(cli({"get", "GsZl"}).out, "23\n");
}

TEST_F(HistoryFiles, AHistoryFileThatIsALinkStaysALinkThroughEveryReplacement) {
    // The history kept in another folder, the data folder holding a link to it.
    const std::string elsewhere = f.dir.file("kept");
    fs::create_directory(elsewhere);
    const std::string target = elsewhere + "/history.db";
    {
        app::Workspace& w = *f.workspace;
        f.type("2016090801", {{"01", "02", "03", "04", "05"}});
        ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
        ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    }
    f.workspace.reset();
    fs::rename(data("kelvora11S5.db"), target);
    for (const char* log : {"-wal", "-shm", "-wal.owner"}) fs::remove(data("kelvora11S5.db") + log);
    fs::create_symlink("../kept/history.db", data("kelvora11S5.db"));

    auto& w = f.reopen();
    ASSERT_TRUE(w.databaseOpen()) << w.databaseProblem();
    f.type("", {{"06", "07", "08", "09", "10"}, {"11", "01", "02", "03", "04"}});
    std::ofstream(f.dir.file("draws.txt")) << "16090801 01 03 05 07 09\n16090802 02 04 06 08 10\n"
                                              "16090803 03 05 07 09 11\n16090804 04 06 08 10 01\n";
    history::NoProgress quiet;
    app::HistoryService history(w);
    const auto check = [&](const char* step, const std::vector<int>& expected) {
        SCOPED_TRACE(step);
        EXPECT_TRUE(fs::is_symlink(data("kelvora11S5.db")));
        EXPECT_EQ(fs::read_symlink(data("kelvora11S5.db")), "../kept/history.db");
        EXPECT_EQ(periods(w), expected);
        EXPECT_EQ(filePeriods(target), expected);
        // Nothing of the file's own lies beside the link.
        for (const char* beside : {platform::kPendingSuffix, "-wal", "-shm", "-wal.owner"})
            EXPECT_FALSE(fs::exists(data("kelvora11S5.db") + beside)) << beside;
    };
    check("add", {16090801, 16090802, 16090803});

    ASSERT_TRUE(history.importFile(f.dir.file("draws.txt"), quiet).outcome.ok);
    check("import", {16090801, 16090802, 16090803, 16090804});
    ASSERT_TRUE(history.deleteLast("1", quiet).outcome.ok);
    check("trim", {16090801, 16090802, 16090803});
    ASSERT_TRUE(history.rebuild(quiet).outcome.ok);
    check("rebuild", {16090801, 16090802, 16090803});
    ASSERT_TRUE(history.deleteNewest().outcome.ok);
    check("delete-newest", {16090801, 16090802});
    ASSERT_TRUE(history.clearHistory().outcome.ok);
    check("clear", {});

    // Another process reads the same history through the link.
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    EXPECT_EQ(cli({"history"}).out, "2016090801 01 02 03 04 05 \n");
    f.workspace.reset();
    EXPECT_EQ(filePeriods(target), (std::vector<int>{16090801}));
    EXPECT_TRUE(fs::is_symlink(data("kelvora11S5.db")));
}

TEST_F(HistoryFiles, TwoFilesOfOneGameAreBothRefusedAndNamedEverywhere) {
    {
        app::Workspace& w = *f.workspace;
        f.type("2016090801", {{"01", "02", "03", "04", "05"}});
        ASSERT_TRUE(w.setGame(Game::Guangdong).ok);
        f.type("2016090801", {{"11", "10", "09", "08", "07"}, {"01", "03", "05", "07", "09"}});
        ASSERT_TRUE(w.setGame(Game::Jiangxi).ok);
    }
    f.workspace.reset();
    // A copy of 广东's file put in the place of kelvora11S5.db (江西's).
    for (const char* log : {"-wal", "-shm", "-wal.owner"}) fs::remove(data("kelvora11S5.db") + log);
    fs::copy_file(data("kelvora11S5-23.db"), data("kelvora11S5.db"),
                  fs::copy_options::overwrite_existing);
    const auto namesBoth = [](const std::string& text) {
        return text.find("广东11选5有两个历史数据库文件") != std::string::npos &&
               text.find("kelvora11S5.db（记录的是广东11选5，2期") != std::string::npos &&
               text.find("kelvora11S5-23.db（记录的是广东11选5，2期") != std::string::npos &&
               text.find("改名或移到别的文件夹") != std::string::npos;
    };

    // The game's operations are refused, and neither file changes.
    auto run = cli({"--game", "23", "history"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(namesBoth(run.err)) << run.err;
    run = cli({"--game", "23", "add", "01", "02", "03", "04", "05"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(filePeriods(data("kelvora11S5.db")), (std::vector<int>{16090801, 16090802}));
    EXPECT_EQ(filePeriods(data("kelvora11S5-23.db")), (std::vector<int>{16090801, 16090802}));
    EXPECT_EQ(cli({"set", "GsZl", "23"}).status, 1);
    EXPECT_EQ(cli({"get", "GsZl"}).out, "22\n");

    // Another game's history is used as ever; games lists neither file.
    run = cli({"--game", "562", "add", "--period", "2016090801", "01", "02", "03", "04", "05"});
    EXPECT_EQ(run.status, 0) << run.err;
    run = cli({"games"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "22\t江西11选5\t0\t\t\tkelvora11S5-22.db\n"
                       "562\t上海11选5\t1\t2016090801\t2016090801\tkelvora11S5-562.db\n");
    EXPECT_TRUE(namesBoth(run.err)) << run.err;

    // One of them moved away: the other is the game's history again.
    fs::rename(data("kelvora11S5.db"), f.dir.file("moved.db"));
    run = cli({"--game", "23", "history"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "16090801 11 10 09 08 07 \n16090802 01 03 05 07 09 \n");
    EXPECT_EQ(cli({"games"}).err, "");
}

TEST_F(HistoryFiles, ARunGivenItsGameKeepsItWhenTheSettingsChangeElsewhere) {
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    auto options = f.options();
    options.game = Game::Guangdong;
    app::Workspace run(options);
    run.addDraw({"11", "10", "09", "08", "07"}, "2016090801");
    // Another process changes a setting, then the game.
    ASSERT_TRUE(f.workspace->setSetting("intXianshiLei", "3").ok);
    ASSERT_TRUE(run.rereadSettings());
    EXPECT_EQ(run.settings().resultKind, history::Tail);
    EXPECT_EQ(run.settings().game, Game::Guangdong);
    EXPECT_EQ(run.databasePath(), data("kelvora11S5-23.db"));
    ASSERT_TRUE(f.workspace->setSetting("GsZl", "562").ok);
    run.rereadSettings();
    EXPECT_EQ(run.settings().game, Game::Guangdong);
    EXPECT_EQ(periods(run), (std::vector<int>{16090801}));
}
