// The tickets command: recording (picks, a chase with its multipliers, a file in the formats the
// shrink page saves), listing by state, removing, the ledger as text and JSON, and bad input
// refused with a message, exit 1 and nothing stored.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {

using testing_support::CliRun;

class TicketsCommandTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }
    void draw(std::vector<std::string> numbers) {
        std::vector<std::string> args = {"add"};
        args.insert(args.end(), numbers.begin(), numbers.end());
        const auto r = run(args);
        ASSERT_EQ(r.status, 0) << r.err;
    }
    testing_support::TempDir dir;
};

TEST_F(TicketsCommandTest, RecordListRemoveAndTheLedger) {
    ASSERT_EQ(run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"}).status, 0);
    // 任五 复式 of six numbers on the stored draw: one of its six tickets wins 540.
    auto r = run({"tickets", "add", "--play", "r5", "--pick", "01 02 03 04 05 06", "--period",
                  "2016090801"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "1\n");
    // 前一 chased three periods with a plan's multipliers, stopping on a win.
    r = run({"tickets", "add", "--play", "q1", "--pick", "06", "--next", "--chase", "3",
             "--stop-on-win", "--multipliers", "1,2,4", "--price", "1.5"});
    ASSERT_EQ(r.status, 0) << r.err;
    // A file as the shrink page saves it with bars.
    std::ofstream(dir.file("t.txt")) << "01|02\r\n\r\n03|04\r\n";
    r = run({"tickets", "import", dir.file("t.txt"), "--play", "q2d", "--period", "2016090802"});
    ASSERT_EQ(r.status, 0) << r.err;
    draw({"06", "01", "02", "07", "08"});

    r = run({"tickets", "--state", "cancelled"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "2\t前一\t06\t1注\t2016090802起追3期\t中奖\t投入1.5\t中奖13\t中奖后停止，余下的期已取消\n");
    r = run({"tickets", "--json", "--state", "lost"});
    EXPECT_NE(r.out.find("\"id\":3,"), std::string::npos);
    EXPECT_NE(r.out.find("\"tickets\":[\"01 02\",\"03 04\"]"), std::string::npos);

    r = run({"tickets", "ledger", "--by", "day"});
    ASSERT_EQ(r.status, 0) << r.err;
    // Staked 12 + 1.5 + 4, won 540 + 13; expected 6 x (540/462 - 2) + (13/11 - 1.5) + 2 x
    // (130/110 - 2) = -6.9416.
    EXPECT_NE(r.out.find("2016-09-08\t2\t9\t17.5\t553\t535.5\t3160.00%\t-6.94\t"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("已取消\t2期"), std::string::npos);
    r = run({"tickets", "ledger", "--json", "--from", "2016-09-09"});
    EXPECT_NE(r.out.find("\"all\":{\"label\":\"全部\",\"periods\":0,"), std::string::npos) << r.out;

    r = run({"tickets", "remove", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("删除投注-"), std::string::npos);
    EXPECT_EQ(run({"tickets", "remove", "1"}).status, 1);
}

// A history of the years of 84 draws a day keeps its draws past today's 42: a ticket on one of
// them is recorded and settled, and a number past every schedule the game had is still refused.
TEST_F(TicketsCommandTest, APeriodOfAnOlderLongerScheduleIsAPeriod) {
    ASSERT_EQ(run({"add", "--period", "2016090884", "01", "02", "03", "04", "05"}).status, 0);
    auto r = run({"tickets", "add", "--play", "q1", "--pick", "01", "--period", "2016090884"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = run({"tickets", "--state", "won"});
    EXPECT_NE(r.out.find("2016090884"), std::string::npos) << r.out;
    r = run({"tickets", "add", "--play", "q1", "--pick", "01", "--period", "2016090885"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("每天01到84期"), std::string::npos) << r.err;
}

TEST_F(TicketsCommandTest, BadInputIsRefusedAndNothingIsStored) {
    ASSERT_EQ(run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"}).status, 0);
    std::ofstream(dir.file("bad.txt")) << "01 02 03\r\n01 02 13\r\n";
    const std::vector<std::vector<std::string>> refused = {
        {"tickets", "add", "--play", "r3", "--pick", "01 02", "--next"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 12", "--next"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 02", "--next"},
        {"tickets", "add", "--play", "q3d", "--pick", "01#02 03 04", "--next"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--multiplier", "0"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--multiplier", "10000"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--price", "0"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--price", "1000.01"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--period", "2016090899"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--period", "16090801"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--chase", "1000"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--chase", "3",
         "--multipliers", "1,2"},
        {"tickets", "import", dir.file("bad.txt"), "--play", "r3", "--next"},
        {"tickets", "import", dir.file("missing.txt"), "--play", "r3", "--next"},
    };
    for (const auto& args : refused) {
        const auto r = run(args);
        EXPECT_EQ(r.status, 1) << args[4] << " " << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    const std::vector<std::vector<std::string>> usage = {
        {"tickets", "add", "--pick", "01 02 03", "--next"},
        {"tickets", "add", "--play", "r9", "--pick", "01", "--next"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--period",
         "2016090802"},
        {"tickets", "add", "--play", "r3", "--pick", "01 02 03", "--next", "--stop-on-win"},
        {"tickets", "--state", "open"},
        {"tickets", "ledger", "--by", "week"},
        {"tickets", "sell"},
    };
    for (const auto& args : usage) EXPECT_EQ(run(args).status, 2) << args.back();
    EXPECT_EQ(run({"tickets", "ledger", "--from", "2016-02-30"}).status, 1);
    EXPECT_EQ(run({"tickets"}).out, "");
}

} // namespace
