// The plan command: the calculator table as JSON and text, the back-test of a small history
// worked by hand with and without a bankroll, and what it refuses. It never changes the database.

#include "cli/cli_run.h"
#include "support/temp_dir.h"
#include "workspace/figure_caveat.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using testing_support::CliRun;

class PlanCommandTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    // Eight draws whose first numbers are 08, then 02 03 01 04 05 06 07 (the tested seven).
    void addDraws() {
        const char* first[] = {"08", "02", "03", "01", "04", "05", "06", "07"};
        ASSERT_EQ(run({"add", "--period", "2016090801", first[0], "09", "10", "11", "07"}).status,
                  0);
        for (int i = 1; i < 8; ++i)
            ASSERT_EQ(run({"add", first[i], "09", "10", "11", i == 7 ? "08" : "07"}).status, 0);
    }

    std::string database() {
        std::ifstream in(dir.file("data") + "/kelvora11S5.db", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    testing_support::TempDir dir;
};

TEST_F(PlanCommandTest, CalculatorTableAsJsonAndText) {
    addDraws();
    const std::string before = database();
    const auto json = run({"plan", "--play", "q1", "--pick", "01", "--chase", "3", "--multiplier",
                           "profit:30", "--table", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "{\"play\":\"q1\",\"chase\":3,\"schedule\":\"profit:30:1\","
                        "\"max_multiplier\":10000,\"stop_on_win\":true,\"bankroll\":null,"
                        "\"tickets\":1,\"prize\":13,\"p\":0.09090909091,\"table\":["
                        "{\"i\":1,\"multiplier\":1,\"stake\":2,\"staked\":2,\"prize\":13,"
                        "\"profit\":11,\"profit_rate\":5.5,\"no_win_yet\":0.9090909091},"
                        "{\"i\":2,\"multiplier\":1,\"stake\":2,\"staked\":4,\"prize\":13,"
                        "\"profit\":9,\"profit_rate\":2.25,\"no_win_yet\":0.826446281},"
                        "{\"i\":3,\"multiplier\":1,\"stake\":2,\"staked\":6,\"prize\":13,"
                        "\"profit\":7,\"profit_rate\":1.166667,\"no_win_yet\":0.7513148009}],"
                        "\"expected_staked\":5.471074,\"expected_chase_net\":-2.238167,"
                        "\"backtest\":null}\n");

    const auto text = run({"plan", "--play", "q1", "--pick", "01", "--chase", "10", "--multiplier",
                           "profit:30", "--table"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.substr(0, text.out.find('\n', text.out.find('\n') + 1) + 1),
              "期\t倍数\t本期投入\t累计投入\t中奖奖金\t中奖盈利\t盈利率\t仍未中奖概率\n"
              "1\t1\t2\t2\t13\t11\t550.00%\t90.91%\n");
    EXPECT_NE(text.out.find("\n8\t3\t6\t24\t39\t15\t62.50%\t"), std::string::npos);
    EXPECT_NE(text.out.find("追完10期仍未中奖的概率\t38.55%\n"), std::string::npos);
    EXPECT_NE(text.out.find("理论返奖率\t59.09%\n"), std::string::npos);
    EXPECT_EQ(database(), before);
}

TEST_F(PlanCommandTest, BacktestByHandWithAndWithoutBankroll) {
    addDraws();
    const std::string before = database();
    const auto r = run({"plan", "--play", "q1", "--pick", "01", "--chase", "3", "--multiplier",
                        "double", "--steps", "7", "--random", "0", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string tail = r.out.substr(r.out.find("\"backtest\":"));
    EXPECT_EQ(tail, "\"backtest\":{\"steps\":7,\"skipped\":0,\"played\":7,\"chases\":3,"
                    "\"chases_won\":1,\"chases_lost\":1,\"chases_open\":1,"
                    "\"chases_cut_short\":0,\"ruined_at\":null,\"staked\":30,\"won\":52,\"net\":22,"
                    "\"return_rate\":1.733333,\"expected_return_rate\":0.590909,"
                    "\"max_drawdown\":16,\"max_stake\":8,\"longest_chase\":3,"
                    "\"random\":null},\"caveat\":\"" +
                        std::string(app::kFigureCaveat) + "\"}\n");

    // 13 yuan pays 2 and 4 but not the third period's 8.
    const auto ruined =
        run({"plan", "--play", "q1", "--pick", "01", "--chase", "3", "--multiplier", "double",
             "--steps", "7", "--bankroll", "13", "--random", "20", "--seed", "5", "--json"});
    ASSERT_EQ(ruined.status, 0) << ruined.err;
    // The chase the bankroll stopped counts as cut short: 1 = 0 won + 0 lost + 0 open + 1.
    EXPECT_NE(ruined.out.find("\"chases\":1,\"chases_won\":0,\"chases_lost\":0,"
                              "\"chases_open\":0,\"chases_cut_short\":1,"
                              "\"ruined_at\":\"2016090804\",\"staked\":6,\"won\":0,"
                              "\"net\":-6"),
              std::string::npos)
        << ruined.out;
    EXPECT_NE(ruined.out.find("\"random\":{\"runs\":20,"), std::string::npos);
    EXPECT_NE(ruined.out.find("\"ruin_share\":"), std::string::npos);
    const auto again =
        run({"plan", "--play", "q1", "--pick", "01", "--chase", "3", "--multiplier", "double",
             "--steps", "7", "--bankroll", "13", "--random", "20", "--seed", "5", "--json"});
    EXPECT_EQ(again.out, ruined.out);

    const auto text = run({"plan", "--play", "q1", "--pick-from", "coldest", "--chase", "5",
                           "--multiplier", "fixed:2", "--steps", "7", "--random", "10"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("追号轮数\t"), std::string::npos);
    EXPECT_NE(text.out.find("随机投注中破产的比例\t0.00%\n"), std::string::npos);
    EXPECT_NE(text.out.find("因本金不足中断轮数\t0\n"), std::string::npos);
    EXPECT_EQ(database(), before);
}

TEST_F(PlanCommandTest, Refusals) {
    addDraws();
    const std::string before = database();
    const std::vector<std::string> base = {"plan", "--play", "q1", "--pick", "01"};
    auto with = [&](std::vector<std::string> more) {
        auto args = base;
        args.insert(args.end(), more.begin(), more.end());
        return run(args);
    };
    // The cap is too low for the eighth period of a 30 % chase.
    auto r =
        with({"--chase", "10", "--multiplier", "profit:30", "--max-multiplier", "2", "--table"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("第8期需要的倍数超过上限2倍"), std::string::npos) << r.err;
    r = with({"--chase", "10", "--multiplier", "profit:600"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("第1期任何倍数都达不到"), std::string::npos) << r.err;
    EXPECT_EQ(run({"plan", "--play", "q1", "--pick", "01", "--pick", "01", "--chase", "3",
                   "--multiplier", "fixed:1", "--table"})
                  .status,
              1);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--chase", "0", "--multiplier", "fixed:1"},
          {"--chase", "201", "--multiplier", "fixed:1"},
          {"--multiplier", "fixed:1"},
          {"--chase", "3"},
          {"--chase", "3", "--multiplier", "profit:"},
          {"--chase", "3", "--multiplier", "half:2"},
          {"--chase", "3", "--multiplier", "fixed:1", "--stop-on-win", "--no-stop"},
          {"--chase", "3", "--multiplier", "fixed:1", "--bankroll", "0"},
          {"--chase", "3", "--multiplier", "fixed:1", "--max-multiplier", "0"},
          {"--chase", "3", "--multiplier", "fixed:1", "--from", "2016090801"},
          {"--chase", "3", "--multiplier", "fixed:1", "--size", "2"}}) {
        r = with(bad);
        EXPECT_EQ(r.status, 2) << bad[0] << " " << bad.back() << ": " << r.err;
    }
    EXPECT_EQ(run({"plan", "--play", "q1", "--chase", "3", "--multiplier", "fixed:1"}).status, 2);
    EXPECT_EQ(database(), before);
}

} // namespace
