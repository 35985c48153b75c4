// The omission command: its three outputs, spans, and what it refuses.

#include "cli/cli_run.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "workspace/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
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
    ASSERT_EQ(text.size(), 13u);
    EXPECT_EQ(text[0], "值\t出现次数\t理论次数\t当前遗漏\t最大遗漏\t平均遗漏\t最大连出");
    EXPECT_EQ(text[1], "1\t2\t0.273\t1\t1\t1.000\t2");
    EXPECT_EQ(text[2], "2\t1\t0.273\t0\t2\t1.500\t1");
    EXPECT_EQ(text[3], "3\t0\t0.273\t3\t3\t3.000\t0");
    // Three periods expect 3 in all: too few for any test.
    EXPECT_EQ(text[12], "分布检验\t期数太少，无法检验");

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
    EXPECT_EQ(json.out.rfind("{\"periods\":2,\"values\":[{\"value\":1,\"label\":\"鼠\",", 0), 0u)
        << json.out;
    EXPECT_EQ(json.out.back(), '\n');
    EXPECT_NE(json.out.find("\"value\":12,\"label\":\"猪\""), std::string::npos);
}

TEST_F(OmissionCommandTest, ShapesOfTheWholeDrawAndTheirUniformityCheck) {
    addThreeDraws(); // 01 02 03 04 05, 01 06 07 08 09, 02 03 04 05 06
    const auto odd = run({"omission", "--type", "odd", "--json"});
    ASSERT_EQ(odd.status, 0) << odd.err;
    EXPECT_EQ(odd.out.rfind("{\"periods\":3,\"values\":[{\"value\":0,\"label\":\"0:5\","
                            "\"count\":0,\"expected\":0.006,",
                            0),
              0u)
        << odd.out;
    EXPECT_NE(odd.out.find("{\"value\":3,\"label\":\"3:2\",\"count\":2,"), std::string::npos);
    // Three periods make one group of merged values: no test.
    EXPECT_NE(odd.out.find("],\"chi2\":null,\"df\":null,\"p_value\":null,\"groups\":1}"),
              std::string::npos)
        << odd.out;

    // Repeat leaves out the first period; a later span looks at the row before it.
    const auto repeat = run({"omission", "--type", "repeat", "--json"});
    ASSERT_EQ(repeat.status, 0) << repeat.err;
    EXPECT_EQ(repeat.out.rfind("{\"periods\":2,", 0), 0u);
    EXPECT_NE(repeat.out.find("{\"value\":1,\"label\":\"1\",\"count\":2,"), std::string::npos);
    const auto last = run({"omission", "--type", "neighbour", "--from", "2016090803", "--rows"});
    ASSERT_EQ(last.status, 0) << last.err;
    // 02 03 04 05 06 after 01 06 07 08 09: 02 and 05 lie beside it, so value 2 (the third).
    EXPECT_EQ(lines(last.out), std::vector<std::string>{"2016090803\t1\t1\t0\t1\t1\t1"});
    EXPECT_EQ(run({"omission", "--type", "repeat", "--to", "2016090801"}).status, 1);

    const auto routes = run({"omission", "--type", "route012"});
    ASSERT_EQ(routes.status, 0) << routes.err;
    EXPECT_EQ(lines(routes.out).size(), 1u + 16u + 1u);
    EXPECT_EQ(lines(routes.out)[1].rfind("0:1:4\t", 0), 0u);

    // Kinds at one position gain the check; at any position a period carries several values.
    EXPECT_NE(run({"omission", "--type", "tail", "--position", "2", "--json"}).out.find("\"chi2\""),
              std::string::npos);
    EXPECT_EQ(run({"omission", "--type", "tail", "--json"}).out.find("\"chi2\""),
              std::string::npos);

    for (const char* position : {"1", "any"}) {
        const auto bad = run({"omission", "--type", "sum5", "--position", position});
        EXPECT_EQ(bad.status, 2);
        EXPECT_TRUE(bad.out.empty());
    }
}

TEST_F(OmissionCommandTest, UniformityOverMergedGroups) {
    // 30 draws: the first number runs 01..11 and over again.
    std::string file;
    for (int i = 0; i < 30; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "160909%02d %02d %02d %02d %02d %02d\r\n", i + 1,
                      i % 11 + 1, (i + 1) % 11 + 1, (i + 2) % 11 + 1, (i + 3) % 11 + 1,
                      (i + 4) % 11 + 1);
        file += line;
    }
    const std::string path = dir.file("draws.txt");
    platform::writeFileAtomically(path, file);
    ASSERT_EQ(run({"import", path}).status, 0);

    // 30/11 expected of each number: (01 02) (03 04) (05 06) (07 08) (09 10 11), 4 degrees.
    const auto json = run({"omission", "--type", "number", "--position", "1", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find(",\"df\":4,\"p_value\":"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(",\"groups\":5}"), std::string::npos) << json.out;
    // Observed 6, 6, 6, 6, 6 against 60/11, 60/11, 60/11, 60/11, 90/11.
    const double small = 6 - 60.0 / 11, large = 6 - 90.0 / 11;
    const double chi2 = 4 * small * small / (60.0 / 11) + large * large / (90.0 / 11);
    // Written with three decimals.
    EXPECT_EQ(app::Json::parse(json.out)["chi2"], std::round(chi2 * 1000) / 1000) << json.out;

    // The test's line, then what it does not prove.
    const auto text = lines(run({"omission", "--type", "number", "--position", "1"}).out);
    ASSERT_GE(text.size(), 2u);
    const std::string& test = text[text.size() - 2];
    EXPECT_EQ(test.rfind("分布检验\tχ² = ", 0), 0u) << test;
    EXPECT_NE(test.find("，df = 4，p = "), std::string::npos);
    EXPECT_NE(test.find("（5组）"), std::string::npos);
    EXPECT_EQ(text.back().rfind("注意\t试过的设置越多", 0), 0u) << text.back();
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
