// The plays and bet commands: exact output on a small history worked by hand, every pick rule,
// prizes from the setting, and what they refuse. Neither changes the database.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using testing_support::CliRun;
using testing_support::withoutCaveat;

class PlayCommandTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    // Six draws whose first numbers are 01 02 01 03 01 02, the others 05 06 07 08.
    void addSixDraws() {
        const char* first[] = {"01", "02", "01", "03", "01", "02"};
        ASSERT_EQ(run({"add", "--period", "2016090801", first[0], "05", "06", "07", "08"}).status,
                  0);
        for (int i = 1; i < 6; ++i)
            ASSERT_EQ(run({"add", first[i], "05", "06", "07", "08"}).status, 0);
    }

    std::string database() {
        std::ifstream in(dir.file("data") + "/kelvora11S5.db", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    testing_support::TempDir dir;
};

TEST_F(PlayCommandTest, TableAsJsonAndTextSortedAndCut) {
    addSixDraws();
    const auto json = run({"plays", "--play", "q1", "--json", "--top", "2"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out, "{\"play\":\"q1\",\"periods\":6,\"p\":0.09090909091,\"rows\":["
                        "{\"selection\":\"01\",\"count\":3,\"expected\":0.545,\"current\":1,"
                        "\"previous\":1,\"max\":1,\"max_from\":\"2016090806\",\"max_to\":"
                        "\"2016090806\",\"average\":1.5,\"ratio\":0.667,\"omission_ratio\":0.667,"
                        "\"max_run\":1},"
                        "{\"selection\":\"02\",\"count\":2,\"expected\":0.545,\"current\":0,"
                        "\"previous\":3,\"max\":3,\"max_from\":\"2016090803\",\"max_to\":"
                        "\"2016090805\",\"average\":2.0,\"ratio\":0.0,\"omission_ratio\":0.0,"
                        "\"max_run\":1}]}\n");

    // Sorted by the current omission: the never-drawn numbers first, in selection order.
    const auto sorted = run({"plays", "--play", "q1", "--sort", "current", "--top", "3"});
    ASSERT_EQ(sorted.status, 0) << sorted.err;
    EXPECT_EQ(sorted.out,
              "号码\t出现次数\t理论次数\t本次遗漏\t上次遗漏\t平均遗漏\t最大遗漏\t最大遗漏起"
              "\t最大遗漏止\t欲出几率\t最大连出\n"
              "04\t0\t0.545\t6\t\t6.000\t6\t2016090801\t2016090806\t1.000\t0\n"
              "05\t0\t0.545\t6\t\t6.000\t6\t2016090801\t2016090806\t1.000\t0\n"
              "06\t0\t0.545\t6\t\t6.000\t6\t2016090801\t2016090806\t1.000\t0\n");

    // A span, and a 直选 play whose tickets are in drawn order.
    const auto span =
        run({"plays", "--play", "q2d", "--from", "2016090802", "--to", "2016090803", "--json"});
    ASSERT_EQ(span.status, 0) << span.err;
    EXPECT_NE(span.out.find("\"periods\":2"), std::string::npos);
    EXPECT_NE(span.out.find("{\"selection\":\"02 05\",\"count\":1"), std::string::npos);
    EXPECT_NE(span.out.find("{\"selection\":\"05 02\",\"count\":0"), std::string::npos);
    EXPECT_NE(span.out.find("\"previous\":null"), std::string::npos);
}

TEST_F(PlayCommandTest, BetFiguresOfEveryRuleByHand) {
    addSixDraws();
    const std::string before = database();
    const std::string tail = "\"random\":null}\n";
    auto bet = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"bet", "--steps", "4", "--random", "0", "--json"});
        const auto r = run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        return withoutCaveat(r.out);
    };
    EXPECT_EQ(bet({"--play", "q1", "--pick", "01"}),
              "{\"play\":\"q1\",\"rule\":\"fixed\",\"prize\":13,\"steps\":4,\"skipped\":0,"
              "\"tickets\":4,\"cost\":8,\"won\":26,\"net\":18,\"return_rate\":3.25,"
              "\"expected_return_rate\":0.590909,\"hits\":2,\"expected_hits\":0.363636,"
              "\"p_value\":0.0437812,\"max_drawdown\":2,\"longest_losing_streak\":1," +
                  tail);
    // Coldest buys 03, 03 (wins), 04, 04; hottest 02, 01, 03, 01 and never wins.
    const auto coldest = bet({"--play", "q1", "--pick-from", "coldest"});
    EXPECT_NE(coldest.find("\"won\":13,\"net\":5,"), std::string::npos) << coldest;
    EXPECT_NE(coldest.find("\"max_drawdown\":4,\"longest_losing_streak\":2"), std::string::npos);
    const auto hottest = bet({"--play", "q1", "--pick-from", "hottest"});
    EXPECT_NE(hottest.find("\"won\":0,\"net\":-8,"), std::string::npos) << hottest;
    EXPECT_NE(hottest.find("\"p_value\":1,"), std::string::npos) << hottest;
    // More steps than the history has: every draw with one before it, and it says how many.
    const auto longer = run({"bet", "--play", "q1", "--pick", "01", "--steps", "5000"});
    EXPECT_NE(longer.out.find("检验期数\t5\n"), std::string::npos) << longer.out;
    // Two tickets a period: no p-value.
    const auto two = bet({"--play", "r2", "--pick", "05 06", "--pick", "1,2"});
    EXPECT_NE(two.find("\"tickets\":8,\"cost\":16,\"won\":24,\"net\":8,"), std::string::npos)
        << two;
    EXPECT_NE(two.find("\"p_value\":null"), std::string::npos);

    // The search over positions 2..5 finds every earlier period; its top five numbers are 05..08
    // and the most frequent first number (the smallest on ties): 02, 01, 01, 01, which wins once.
    const auto searched =
        bet({"--play", "r5", "--pick-from", "search", "--positions", "2,3,4,5", "--fixed"});
    EXPECT_NE(searched.find("\"rule\":\"search\",\"prize\":540,\"steps\":4,\"skipped\":0,"
                            "\"tickets\":4,\"cost\":8,\"won\":540,\"net\":532,"),
              std::string::npos)
        << searched;
    // The combination search buys its ticket the same way, one a period.
    const auto combo =
        bet({"--play", "r2", "--pick-from", "search", "--size", "4", "--fixed", "--last"});
    EXPECT_NE(combo.find("\"tickets\":4,\"cost\":8,"), std::string::npos) << combo;

    // Prizes come from the setting; a play left out keeps its default.
    ASSERT_EQ(run({"set", "Prizes", "q1=20"}).status, 0);
    EXPECT_NE(bet({"--play", "q1", "--pick-from", "coldest"}).find("\"prize\":20,"),
              std::string::npos);
    EXPECT_NE(bet({"--play", "r2", "--pick", "05 06"}).find("\"prize\":6,"), std::string::npos);
    EXPECT_EQ(run({"get", "Prizes"}).out,
              "q1=20,r2=6,r3=19,r4=78,r5=540,r6=90,r7=26,r8=9,q2d=130,q2g=65,q3d=1170,q3g=195\n");
    EXPECT_EQ(run({"set", "Prizes", "r9=3"}).status, 1);

    EXPECT_EQ(database(), before);
}

TEST_F(PlayCommandTest, RandomRunsFollowTheSeed) {
    addSixDraws();
    auto random = [&](const std::string& seed) {
        const auto r = run({"bet", "--play", "r3", "--pick-from", "coldest", "--random", "300",
                            "--seed", seed, "--json"});
        EXPECT_EQ(r.status, 0) << r.err;
        return r.out.substr(r.out.find("\"random\""));
    };
    EXPECT_EQ(random("5"), random("5"));
    EXPECT_NE(random("5"), random("6"));

    // Buying every 前一 ticket, every run buys them all too and ties with the rule: it did better
    // than half of them, not all, and the three shares say so.
    std::vector<std::string> all = {"bet", "--play", "q1", "--steps", "4", "--random", "20"};
    for (int n = 1; n <= 11; ++n)
        all.insert(all.end(), {"--pick", (n < 10 ? "0" : "") + std::to_string(n)});
    auto json = all;
    json.push_back("--json");
    const auto tied = run(json);
    ASSERT_EQ(tied.status, 0) << tied.err;
    EXPECT_NE(tied.out.find("\"percentile\":0.5,\"below\":0.0,\"equal\":1.0,"
                            "\"above\":0.0,\"exact\":false}"),
              std::string::npos)
        << tied.out;
    const auto text = run(all);
    EXPECT_NE(text.out.find("随机投注中不如本规则的比例（持平算一半）\t50.00%\n"
                            "随机投注低于／持平／高于本规则\t0.00%／100.00%／0.00%\n"),
              std::string::npos)
        << text.out;
}

TEST_F(PlayCommandTest, RefusesBadPlaysTicketsAndRules) {
    EXPECT_EQ(run({"plays", "--play", "q1"}).status, 1); // no history
    addSixDraws();
    for (const std::vector<std::string>& bad : {
             std::vector<std::string>{"plays"},
             {"plays", "--play", "r9"},
             {"plays", "--play", "q1", "--sort", "name"},
             {"plays", "--play", "q1", "--top", "0"},
             {"bet", "--play", "q1"},
             {"bet", "--play", "q1", "--pick-from", "luckiest"},
             {"bet", "--play", "q1", "--pick", "01", "--pick-from", "coldest"},
             {"bet", "--play", "q1", "--pick-from", "coldest", "--positions", "1"},
             {"bet", "--play", "q1", "--pick-from", "coldest", "--steps", "0"},
             {"bet", "--play", "q1", "--pick-from", "coldest", "--from", "2016090801"},
         }) {
        const auto result = run(bad);
        EXPECT_EQ(result.status, 2) << bad.back();
        EXPECT_TRUE(result.out.empty());
    }
    for (const std::vector<std::string>& refused : {
             std::vector<std::string>{"bet", "--play", "r3", "--pick", "01 02"},
             {"bet", "--play", "r3", "--pick", "01 02 02"},
             {"bet", "--play", "r3", "--pick", "01 02 12"},
             {"bet", "--play", "r3", "--pick", "01 02 03", "--pick", "3 2 1"},
             {"bet", "--play", "q3d", "--pick-from", "search"},
             {"bet", "--play", "q1", "--pick-from", "search", "--result", "tail"},
             {"plays", "--play", "q1", "--from", "2016091001"},
         }) {
        const auto result = run(refused);
        EXPECT_EQ(result.status, 1) << refused.back();
        EXPECT_FALSE(result.err.empty());
        EXPECT_TRUE(result.out.empty());
    }
}

} // namespace
