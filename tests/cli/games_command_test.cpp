// The games command: every game known, the player's schedules and games (stored in the settings,
// never in the game table), --game by code, key, name or alias, and the refusals.

#include "cli/cli_run.h"
#include "support/core_application.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

class GamesCommand : public ::testing::Test {
  protected:
    GamesCommand() { testing_support::ensureCoreApplication(); }
    testing_support::CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("settings.ini"),
                                       std::move(arguments));
    }
    std::string settingsText() const {
        std::ifstream in(dir.file("settings.ini"));
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    testing_support::TempDir dir;
};

TEST_F(GamesCommand, AllGamesWithTheirSchedulesAndThePlayersChanges) {
    auto all = run({"games", "--all"});
    ASSERT_EQ(all.status, 0) << all.err;
    EXPECT_NE(all.out.find("1037\tsd\t山东11选5\t十一运夺金\t09:00\t20\t43\t23:00\t-\t-\n"),
              std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("1065\txj\t新疆11选5\t欢乐11选5\t10:20\t20\t48\t02:00\t-\t-\n"),
              std::string::npos);
    EXPECT_NE(
        all.out.find("22\tjx\t江西11选5\t多乐彩\t09:30\t20\t42\t23:10\t关注\tkelvora11S5.db\n"),
        std::string::npos);

    // A schedule changed by key, a game followed by alias.
    auto set = run({"games", "--set", "sd", "--first", "08:40", "--every", "20", "--draws", "45"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.out, "山东11选5（1037）：08:40起每20分钟一期，每天45期\n");
    EXPECT_EQ(run({"games", "--follow", "22,十一运夺金"}).status, 0);
    all = run({"games", "--all", "--json"});
    EXPECT_NE(all.out.find("{\"code\":1037,\"key\":\"sd\",\"name\":\"山东11选5\",\"aliases\":["
                           "\"十一运夺金\"],\"ids\":10,\"first\":\"08:40\",\"every\":20,\"draws\":"
                           "45,\"last\":\"23:20\",\"most\":87,\"followed\":true,\"history\":false,"
                           "\"file\":\"kelvora11S5-1037.db\",\"added\":false,\"changed\":true}"),
              std::string::npos)
        << all.out;
    EXPECT_NE(all.out.find("\"code\":23,\"key\":\"gd\",\"name\":\"广东11选5\",\"aliases\":["
                           "\"粤11选5\"],\"ids\":8"),
              std::string::npos);
    // Kept in the settings, in words a person can read.
    EXPECT_NE(settingsText().find("GameSchedules=\"1037=08:40/20/45\""), std::string::npos)
        << settingsText();
    EXPECT_NE(settingsText().find("FollowedGames=\"22,1037\""), std::string::npos)
        << settingsText();

    // A game of the player's own: added, used by name, refused where it clashes, removed.
    auto added = run({"games", "--add", "2001", "--name", "自编11选5", "--key", "my", "--alias",
                      "自编", "--first", "10:00", "--every", "30", "--draws", "20"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(run({"--game", "自编", "add", "--period", "2016090801", "01", "02", "03", "04", "05"})
                  .status,
              0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("data") + "/kelvora11S5-2001.db"));
    EXPECT_EQ(run({"--game", "my", "next"}).out, "2016090802\n");
    auto clash = run({"games", "--add", "2002", "--name", "另一个", "--alias", "十一运夺金",
                      "--first", "10:00", "--every", "30", "--draws", "20"});
    EXPECT_EQ(clash.status, 1);
    EXPECT_NE(clash.err.find("“十一运夺金”已经是山东11选5的别名"), std::string::npos) << clash.err;
    EXPECT_EQ(run({"games", "--remove", "22"}).status, 1);
    EXPECT_EQ(run({"games", "--remove", "2001"}).status, 0);
    EXPECT_EQ(run({"games", "--all"}).out.find("自编"), std::string::npos);
}

TEST_F(GamesCommand, RefusalsStoreNothing) {
    const auto before = settingsText();
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    };
    for (const Case& c : std::vector<Case>{
             {{"games", "--set", "22", "--draws", "100"}, 1, "1到99"},
             {{"games", "--set", "22", "--every", "121"}, 1, "1到120"},
             {{"games", "--set", "1065", "--first", "14:21"}, 1, "06:00"},
             {{"games", "--set", "22", "--first", "9:30"}, 2, "HH:MM"},
             {{"games", "--set", "山冬11选5", "--draws", "40"}, 2, "山东11选5（1037）"},
             {{"games", "--set", "22"}, 2, "--first"},
             {{"--game", "黑龙", "next"}, 2, "黑龙江11选5（569）"},
             {{"--game", "99999", "next"}, 2, "最接近的是"},
             {{"set", "DrawEvery22", "31"}, 1, "06:00"},
             {{"set", "FollowedGames", "22,xx"}, 1, "xx"},
         }) {
        const auto result = run(c.arguments);
        EXPECT_EQ(result.status, c.status) << c.arguments[1] << result.err;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    EXPECT_EQ(settingsText(), before);
    // The codes, names and aliases --game takes.
    for (const char* name : {"1037", "sd", "山东11选5", "山东", "十一运夺金"})
        EXPECT_EQ(run({"--game", name, "clock", "--json", "--at", "2025-02-09T08:00:00"}).out,
                  "{\"game\":1037,\"next\":\"2025020901\",\"due\":\"2025-02-09T09:00:00+08:00\","
                  "\"seconds_left\":3600,\"draws_left_today\":43}\n")
            << name;
}

} // namespace
