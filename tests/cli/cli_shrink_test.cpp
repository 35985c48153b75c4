// The shrink command on a small history worked by hand: its JSON, the back-test's money, the
// --out file's bytes, and what it refuses without writing anything.

#include "cli/cli_run.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using testing_support::CliRun;
using testing_support::withoutCaveat;

class ShrinkCommandTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    // 01..05, 06..10, 01 02 03 04 11, 01 02 03 05 06.
    void addFourDraws() {
        ASSERT_EQ(run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"}).status, 0);
        ASSERT_EQ(run({"add", "06", "07", "08", "09", "10"}).status, 0);
        ASSERT_EQ(run({"add", "01", "02", "03", "04", "11"}).status, 0);
        ASSERT_EQ(run({"add", "01", "02", "03", "05", "06"}).status, 0);
    }

    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    testing_support::TempDir dir;
};

// 胆 01 02 03 04 keeps the seven tickets 01 02 03 04 x. Dropping what was drawn in the last period
// takes 01 02 03 04 05 away in the second period and 01 02 03 04 11 in the fourth: 6 + 7 + 6
// tickets bought, the third period's 540 won.
TEST_F(ShrinkCommandTest, FiguresTicketsAndBacktestByHand) {
    addFourDraws();
    const auto r = run({"shrink", "--play", "r5", "--dan", "01,02,03,04", "--exclude-drawn", "1",
                        "--json", "--tickets", "--backtest", "3", "--random", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Window: the second to fourth draws. Only the third holds all four 胆; none repeats the
    // draw before it. The whole filter keeps 6, 7 and 6 of the 462 draws in the three periods
    // (the second and fourth lose the draw before them): chance 19/1386, and the p-value of 1
    // pass in 3 against it.
    EXPECT_EQ(withoutCaveat(r.out),
              "{\"play\":\"r5\",\"total\":462,\"kept\":7,\"kept_share\":0.015152,"
              "\"chance\":0.013709,\"pass_rate\":0.333333,\"ratio\":24.315789,"
              "\"p_value\":0.0405643,\"conditions\":["
              "{\"name\":\"dan\",\"kept_share\":0.015152,\"chance\":0.015152,"
              "\"pass_rate\":0.333333,\"ratio\":22.0},"
              "{\"name\":\"exclude_drawn\",\"kept_share\":0.997835,\"chance\":0.997835,"
              "\"pass_rate\":1.0,\"ratio\":1.002169}],"
              "\"tickets\":[\"01 02 03 04 05\",\"01 02 03 04 06\",\"01 02 03 04 07\","
              "\"01 02 03 04 08\",\"01 02 03 04 09\",\"01 02 03 04 10\",\"01 02 03 04 11\"],"
              "\"backtest\":{\"tickets\":19,\"cost\":38,\"won\":540,\"net\":502,"
              "\"return_rate\":14.210526,\"expected_return_rate\":0.584416,\"hits\":1,"
              "\"max_drawdown\":12,\"longest_losing_streak\":1,\"random\":null}}\n");

    // The text form names each condition with its ratio.
    const auto text = run({"shrink", "--play", "r5", "--dan", "01,02,03,04"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("缩水后注数\t7\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("条件：胆码\t保留1.52%，随机通过率1.52%，通过率33.33%，比值22.000"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("通过率÷随机通过率\t22.000\n"), std::string::npos);
}

TEST_F(ShrinkCommandTest, ChanceOfCoveringPlaysAndRandomRunsBySeed) {
    addFourDraws();
    // 任七 with 11 killed keeps 120 of 330 tickets and wins whenever 11 is not drawn: 6/11.
    const auto r7 = run({"shrink", "--play", "r7", "--kill", "11", "--json"});
    ASSERT_EQ(r7.status, 0) << r7.err;
    EXPECT_NE(r7.out.find("\"kept_share\":0.363636,\"chance\":0.545455,"), std::string::npos)
        << r7.out;

    // The back-test is set against the same kept tickets on random draws, worked out exactly:
    // 任五 without 11 wins in a period exactly when 11 is not drawn (6/11), so the wins of the
    // three tested periods are binomial(3, 6/11); the real draws won twice (06..10 and
    // 01 02 03 05 06). Below: 575/1331, equal: 540/1331, above: 216/1331; the share it did
    // better than counts the tie half. The seed changes nothing of exact figures.
    const std::vector<std::string> args = {"shrink", "--play",     "r5", "--kill",   "11",
                                           "--json", "--backtest", "3",  "--random", "50"};
    auto withSeed = [&](const char* seed) {
        auto a = args;
        a.insert(a.end(), {"--seed", seed});
        const auto r = run(a);
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out.substr(r.out.find("\"random\":"));
    };
    const std::string first = withSeed("7");
    EXPECT_EQ(first, "\"random\":{\"runs\":0,\"net_mean\":-628.364,\"percentile\":0.6349,"
                     "\"below\":0.432,\"equal\":0.4057,\"above\":0.1623,\"exact\":true}}}\n");
    EXPECT_EQ(withSeed("8"), first);
    const auto text = run({"shrink", "--play", "r5", "--kill", "11", "--backtest", "3"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("随机开奖中不如实际开奖的比例（持平算一半）\t63.49%\n"
                            "随机开奖低于／持平／高于实际开奖\t43.20%／40.57%／16.23%\n"),
              std::string::npos)
        << text.out;
    EXPECT_EQ(run({"shrink", "--play", "r5", "--random", "5"}).status, 2); // needs --backtest
}

TEST_F(ShrinkCommandTest, OutWritesTheTicketsWithCrLf) {
    addFourDraws();
    const std::string out = dir.file("bet.txt");
    {
        std::ofstream old(out, std::ios::binary);
        old << "old";
    }
    const auto r = run({"shrink", "--play", "q3d", "--dan", "01,02,11", "--out", out});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(read(out),
              "01 02 11\r\n01 11 02\r\n02 01 11\r\n02 11 01\r\n11 01 02\r\n11 02 01\r\n");
    EXPECT_FALSE(std::filesystem::exists(platform::pendingName(out)));

    // A refusal leaves the file as it was.
    const auto refused =
        run({"shrink", "--play", "q3d", "--dan", "01,02,11", "--kill", "11", "--out", out});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(read(out),
              "01 02 11\r\n01 11 02\r\n02 01 11\r\n02 11 01\r\n11 01 02\r\n11 02 01\r\n");

    // A folder that is not there is named, in the words of the other refusals.
    const std::string missing = dir.file("gone");
    const auto nowhere = run({"shrink", "--play", "q3d", "--out", missing + "/bet.txt"});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_NE(nowhere.err.find("文件夹“" + missing + "”不存在"), std::string::npos) << nowhere.err;
    EXPECT_EQ(nowhere.err.find(platform::kPendingSuffix), std::string::npos) << nowhere.err;
}

TEST_F(ShrinkCommandTest, Refusals) {
    addFourDraws();
    const std::string out = dir.file("never.txt");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"--sum", "5-20"}, 1, "和值"},     // five numbers sum to at least 15
        {{"--odd", "0-6"}, 1, "奇数个数"},  // five numbers have at most five odd
        {{"--route", "1:1:1"}, 1, "012路"}, // three counts for five numbers
        {{"--kill", "12"}, 1, "12"},        // not a number of the game
        {{"--dan", "00,01"}, 1, "0"},
        {{"--dan", "01,02", "--kill", "02"}, 1, "一注也不保留"},
        {{"--dan", "01,02:3"}, 1, "胆码"},
        // A pool with a number twice would be a smaller pool than the one written.
        {{"--pool", "01,02,03,03,04,05,06", "--cover", "5"}, 1, "号码池中的号码“03”"},
        {{"--sum", "abc"}, 2, "--sum"},
        {{"--route", "2:2"}, 2, "--route"},
        {{"--exclude-drawn", "0"}, 2, "--exclude-drawn"},
        {{"--colour", "red"}, 2, "没有这个选项"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"shrink", "--play", "r5", "--out", out};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = run(args);
        EXPECT_EQ(r.status, c.status) << c.args.front() << ": " << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    EXPECT_EQ(run({"shrink", "--play", "r9"}).status, 2); // not a play
}

TEST_F(ShrinkCommandTest, RefusedWithoutAHistory) {
    const auto r = run({"shrink", "--play", "r5", "--json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
}

} // namespace
