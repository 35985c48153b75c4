// The hall over the histories of several games, each written by another process (the real program
// run as a child): the newest draw, today's draws against those due with the missing one named,
// the runs of the streak alerts, a game without a history, a damaged file and a locked one beside
// rows that carry on, and a draw stored elsewhere seen by the file's stamp.

#include "cli/cli_run.h"
#include "platform/database.h"
#include "workspace/hall_service.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <QProcess>

#include <filesystem>
#include <fstream>

using testing_support::WorkspaceFixture;

namespace {

class Hall : public ::testing::Test {
  protected:
    // Runs the program as another process on the fixture's folder.
    void program(const std::vector<std::string>& args) {
        QStringList list = {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                            QString::fromStdString(f.settingsPath())};
        for (const auto& a : args) list << QString::fromStdString(a);
        QProcess child;
        child.start(QString::fromUtf8(K11_EXECUTABLE), list);
        ASSERT_TRUE(child.waitForFinished(30000));
        ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    }
    // Imports the draws (one "yymmddNN 01 02 03 04 05" line each) as the game's history.
    void importFor(history::Game game, const std::string& lines) {
        const std::string path = f.dir.file("import-" + std::to_string(int(game)) + ".txt");
        std::ofstream(path) << lines;
        program({"--game", std::to_string(int(game)), "import", path});
    }
    std::string filePath(history::Game game) const {
        return (std::filesystem::path(f.dataDir()) / f.workspace->historyFileName(game)).string();
    }

    // The 10-minute days of 84 these tests are written for.
    WorkspaceFixture f{"[IniSetting]\nGameSchedules=\"22=09:10/10/84;23=09:10/10/84;562=09:10/10/"
                       "90;569=08:35/10/79\"\n"};
    // 2025-02-09 10:05 in Beijing: draws 01..06 of 江西 and 广东 are due (09:10 on, every 10).
    app::HallService hall{*f.workspace, [] {
                              using namespace std::chrono;
                              return app::beijingMoment(year{2025} / 2 / 9, 10 * 60 + 5);
                          }};
};

TEST_F(Hall, ShowsEveryFollowedGameAndCarriesOnPastOnesThatCannotBeRead) {
    // 江西: draw 04 of today missing. 广东: six draws, the first number big four times running.
    importFor(history::Game::Jiangxi, "25020884 01 02 03 04 05\n25020901 01 02 03 04 05\n"
                                      "25020902 02 03 04 05 06\n25020903 03 04 05 06 07\n"
                                      "25020905 05 06 07 08 09\n25020906 11 10 09 08 07\n");
    importFor(history::Game::Guangdong, "25020901 01 02 03 04 05\n25020902 02 03 04 05 06\n"
                                        "25020903 07 01 02 03 04\n25020904 08 01 02 03 04\n"
                                        "25020905 09 01 02 03 04\n25020906 10 01 02 03 04\n");
    program({"alerts", "--add", "streak:big:1>=3"});
    program({"alerts", "--add", "streak:dragon>=8"});
    // 黑龙江's file is no database at all.
    std::ofstream(filePath(history::Game::Heilongjiang)) << "not a database, just text\n";
    f.workspace->rereadSettings();

    const auto rows = hall.rows();
    ASSERT_EQ(rows.size(), 4u);
    const auto& jiangxi = rows[0];
    EXPECT_EQ(jiangxi.state, app::HallRow::State::Ready) << jiangxi.problem;
    EXPECT_EQ(jiangxi.newest, 25020906);
    EXPECT_EQ(jiangxi.numbers, (std::array<int, 5>{11, 10, 9, 8, 7}));
    EXPECT_EQ(jiangxi.storedToday, 5);
    EXPECT_EQ(jiangxi.dueToday, 6);
    EXPECT_EQ(jiangxi.missingToday, std::vector<int>{4});
    EXPECT_EQ(jiangxi.clock.nextPeriod, 25020907);
    EXPECT_EQ(jiangxi.clock.secondsLeft, 5 * 60);
    // 江西's first numbers 05 11 are big, but draw 04 is missing: the run is two long.
    EXPECT_TRUE(jiangxi.streaks.empty());

    const auto& guangdong = rows[1];
    ASSERT_EQ(guangdong.state, app::HallRow::State::Ready) << guangdong.problem;
    EXPECT_TRUE(guangdong.missingToday.empty());
    ASSERT_EQ(guangdong.streaks.size(), 1u);
    EXPECT_EQ(guangdong.streaks[0].value, "大");
    EXPECT_EQ(guangdong.streaks[0].length, 4u);
    EXPECT_EQ(guangdong.streaks[0].since, 25020903);
    EXPECT_DOUBLE_EQ(guangdong.streaks[0].chance,
                     search::streakChanceInDay({search::StreakShape::Big, 1}, 4, 84));

    EXPECT_EQ(rows[2].state, app::HallRow::State::NoHistory);
    EXPECT_NE(rows[2].problem.find("update"), std::string::npos) << rows[2].problem;
    EXPECT_EQ(rows[3].state, app::HallRow::State::Unreadable);
    EXPECT_FALSE(rows[3].problem.empty());

    // The command line gives the same rows.
    const auto json = testing_support::runCli(f.dataDir(), f.settingsPath(), {"hall", "--json"});
    EXPECT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"state\":\"unreadable\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"seconds_left\":"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"streaks\":[{\"rule\":\"长龙 第1位大小 连开>=3期\",\"shape\":"
                            "\"big:1\",\"value\":\"大\",\"length\":4,\"since\":\"2025020903\""),
              std::string::npos)
        << json.out;
}

TEST_F(Hall, ADrawStoredByAnotherProcessChangesTheStampAndTheRow) {
    importFor(history::Game::Guangdong, "25020901 01 02 03 04 05\n");
    const std::string before = hall.fileStamp(history::Game::Guangdong);
    EXPECT_EQ(hall.row(history::Game::Guangdong).newest, 25020901);
    program({"--game", "23", "add", "03", "04", "05", "06", "07"});
    EXPECT_NE(hall.fileStamp(history::Game::Guangdong), before);
    const auto row = hall.row(history::Game::Guangdong);
    EXPECT_EQ(row.newest, 25020902);
    EXPECT_EQ(row.storedToday, 2);
    EXPECT_EQ(row.missingToday, (std::vector<int>{3, 4, 5, 6}));
}

TEST_F(Hall, AFileLockedByAnotherConnectionIsShownWithTheReason) {
    importFor(history::Game::Guangdong, "25020901 01 02 03 04 05\n");
    platform::Database holder(filePath(history::Game::Guangdong));
    holder.exec("PRAGMA locking_mode=EXCLUSIVE");
    holder.exec("BEGIN EXCLUSIVE");
    holder.exec("DELETE FROM Carcu");
    const auto row = hall.row(history::Game::Guangdong);
    EXPECT_EQ(row.state, app::HallRow::State::Unreadable);
    EXPECT_NE(row.problem.find("锁住"), std::string::npos) << row.problem;
    // The other games carry on.
    EXPECT_EQ(hall.row(history::Game::Shanghai).state, app::HallRow::State::NoHistory);
    holder.exec("ROLLBACK");
}

} // namespace
