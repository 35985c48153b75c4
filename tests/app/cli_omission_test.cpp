// The omission command: its three outputs, spans, and what it refuses.

#include "cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

using testing_support::CliRun;

class OmissionCommandTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    void addThreeDraws() {
        ASSERT_EQ(run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"}).status, 0);
        ASSERT_EQ(run({"add", "01", "06", "07", "08", "09"}).status, 0);
        ASSERT_EQ(run({"add", "02", "03", "04", "05", "06"}).status, 0);
    }

    std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> result;
        std::istringstream stream(text);
        for (std::string line; std::getline(stream, line);) result.push_back(line);
        return result;
    }

    testing_support::TempDir dir;
};

TEST_F(OmissionCommandTest, SummaryJsonAndRows) {
    addThreeDraws();
    const auto summary = run({"omission", "--type", "number", "--position", "1"});
    ASSERT_EQ(summary.status, 0) << summary.err;
    const auto text = lines(summary.out);
    ASSERT_EQ(text.size(), 12u);
    EXPECT_EQ(text[0], "值\t出现次数\t理论次数\t当前遗漏\t最大遗漏\t平均遗漏\t最大连出");
    EXPECT_EQ(text[1], "1\t2\t0.273\t1\t1\t1.000\t2");
    EXPECT_EQ(text[2], "2\t1\t0.273\t0\t2\t1.500\t1");
    EXPECT_EQ(text[3], "3\t0\t0.273\t3\t3\t3.000\t0");

    const auto rows = run({"omission", "--type", "0", "--position", "1", "--rows"});
    ASSERT_EQ(rows.status, 0) << rows.err;
    EXPECT_EQ(lines(rows.out),
              (std::vector<std::string>{"2016090801\t0\t1\t1\t1\t1\t1\t1\t1\t1\t1\t1",
                                        "2016090802\t0\t2\t2\t2\t2\t2\t2\t2\t2\t2\t2",
                                        "2016090803\t1\t0\t3\t3\t3\t3\t3\t3\t3\t3\t3"}));

    // Zodiac values by their stored integer, labelled with the animal; a span of two periods.
    const auto json = run(
        {"omission", "--type", "zodiac", "--from", "2016090802", "--to", "2016090803", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"periods\": 2, \"values\": [{\"value\": 1, \"label\": \"鼠\", ", 0),
              0u)
        << json.out;
    EXPECT_EQ(json.out.back(), '\n');
    EXPECT_NE(json.out.find("\"value\": 12, \"label\": \"猪\""), std::string::npos);
}

TEST_F(OmissionCommandTest, RefusesEmptyHistoriesAndSpansAndBadOptions) {
    const auto empty = run({"omission", "--type", "number"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_FALSE(empty.err.empty());
    addThreeDraws();
    const auto outside = run({"omission", "--type", "tail", "--from", "2016090901"});
    EXPECT_EQ(outside.status, 1);
    EXPECT_TRUE(outside.out.empty());
    EXPECT_EQ(
        run({"omission", "--type", "tail", "--from", "2016090803", "--to", "2016090801"}).status,
        1);
    for (const std::vector<std::string>& bad : {
             std::vector<std::string>{"omission"},
             {"omission", "--type", "6"},
             {"omission", "--type", "colour"},
             {"omission", "--type", "0", "--position", "6"},
             {"omission", "--type", "0", "--position"},
             {"omission", "--type", "0", "--from", "16090801"},
             {"omission", "--type", "0", "--to", "2016023101"},
             {"omission", "--type", "0", "--json", "--rows"},
             {"omission", "--type", "0", "--size", "2"},
         }) {
        const auto result = run(bad);
        EXPECT_EQ(result.status, 2) << bad.back();
        EXPECT_TRUE(result.out.empty());
    }
}

} // namespace
