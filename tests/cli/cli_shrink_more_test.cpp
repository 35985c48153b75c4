// The shrink command's groups of 胆, AC, 和尾, patterns and tolerance, the 旋转矩阵 and the ticket
// formats: counts worked by hand, files byte for byte, and refusals that write nothing.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

class ShrinkMoreTest : public ::testing::Test {
  protected:
    testing_support::CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    void addDraws() {
        ASSERT_EQ(run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"}).status, 0);
        ASSERT_EQ(run({"add", "06", "07", "08", "09", "10"}).status, 0);
        ASSERT_EQ(run({"add", "01", "03", "02", "04", "11"}).status, 0);
    }

    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    testing_support::TempDir dir;
};

// 前二直选 with both positions odd (30 of 110) and both small (20): together 01, 03, 05 in either
// order, 6 tickets; with one condition forgiven their union, 44, of which 38 fail one.
TEST_F(ShrinkMoreTest, PatternsAndToleranceCountedByHand) {
    addDraws();
    const std::vector<std::string> base = {"shrink", "--play",    "q2d",    "--pattern",
                                           "odd=11", "--pattern", "big=00", "--json"};
    const auto strict = run(base);
    ASSERT_EQ(strict.status, 0) << strict.err;
    EXPECT_NE(strict.out.find("\"kept\":6,"), std::string::npos) << strict.out;
    EXPECT_NE(strict.out.find("\"name\":\"pattern_odd\",\"kept_share\":0.272727"),
              std::string::npos)
        << strict.out;
    EXPECT_EQ(strict.out.find("failures"), std::string::npos);
    auto forgiving = base;
    forgiving.insert(forgiving.end(), {"--tolerance", "1"});
    const auto loose = run(forgiving);
    ASSERT_EQ(loose.status, 0) << loose.err;
    EXPECT_NE(loose.out.find("\"kept\":44,"), std::string::npos) << loose.out;
    EXPECT_NE(loose.out.find("\"tolerance\":1,\"failures\":[6,38]"), std::string::npos)
        << loose.out;
    // A 杀号 is never forgiven: killing 01 leaves 03 and 05 and whatever else passes one.
    forgiving.insert(forgiving.end(), {"--kill", "01"});
    const auto killed = run(forgiving);
    ASSERT_EQ(killed.status, 0) << killed.err;
    EXPECT_NE(killed.out.find("\"failures\":[2,"), std::string::npos) << killed.out;
}

TEST_F(ShrinkMoreTest, EveryNewConditionAndPlayReportsItsFigures) {
    addDraws();
    const auto r =
        run({"shrink", "--play", "r3", "--dan-group", "01,02,03:1-2", "--dan-group", "09,10,11:0-1",
             "--ac", "1-1", "--sum-tail", "0,3,6,9", "--min", "1-4", "--max", "5-11", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* name : {"dan_group", "ac", "sum_tail", "min", "max"})
        EXPECT_NE(r.out.find(std::string("{\"name\":\"") + name + "\",\"kept_share\":"),
                  std::string::npos)
            << name << r.out;
    for (const char* p : {"q1", "r2", "r4", "q2g", "q2d"}) {
        const auto each = run({"shrink", "--play", p, "--kill", "11", "--json"});
        ASSERT_EQ(each.status, 0) << p << each.err;
        EXPECT_NE(each.out.find("\"ratio\":"), std::string::npos) << p;
    }
    // Killing 11 on 任二: two of any draw's numbers are not 11, so the chance is 1.
    EXPECT_NE(run({"shrink", "--play", "r2", "--kill", "11", "--json"}).out.find("\"chance\":1.0,"),
              std::string::npos);
}

TEST_F(ShrinkMoreTest, FormatsByteForByte) {
    addDraws();
    const std::string out = dir.file("tickets.txt");
    const std::vector<std::string> base = {"shrink",    "--play", "q2d",   "--pattern", "odd=11",
                                           "--pattern", "big=00", "--out", out};
    const auto with = [&](const char* format) {
        auto args = base;
        args.insert(args.end(), {"--format", format});
        EXPECT_EQ(run(args).status, 0) << format;
        return read(out);
    };
    EXPECT_EQ(with("pipe"), "01|03\r\n01|05\r\n03|01\r\n03|05\r\n05|01\r\n05|03\r\n");
    EXPECT_EQ(with("comma"), "01,03\r\n01,05\r\n03,01\r\n03,05\r\n05,01\r\n05,03\r\n");
    EXPECT_EQ(with("space"), "01 03\r\n01 05\r\n03 01\r\n03 05\r\n05 01\r\n05 03\r\n");
    ASSERT_EQ(run(base).status, 0);
    EXPECT_EQ(read(out), with("space")); // space is the default
    ASSERT_EQ(run({"shrink", "--play", "r5", "--dan", "01,02,03,04", "--kill", "06,07,08,09,10",
                   "--out", out, "--format", "comma"})
                  .status,
              0);
    EXPECT_EQ(read(out), "01,02,03,04,05\r\n01,02,03,04,11\r\n");
}

TEST_F(ShrinkMoreTest, CoverNeedsNoHistoryAndReportsItsCounts) {
    const std::string out = dir.file("matrix.txt");
    const auto r = run({"shrink", "--play", "r2", "--pool", "01,02,03,04,05", "--cover", "3",
                        "--json", "--tickets", "--out", out, "--format", "comma"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"cover\":{\"pool\":[\"01\",\"02\",\"03\",\"04\",\"05\"],\"m\":3,"
                         "\"tickets\":4,\"full\":10,\"bound\":4,\"uncovered\":0"),
              std::string::npos)
        << r.out;
    const std::string text = read(out);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4);
    EXPECT_EQ(text.size(), 4u * 7u);
    const auto r6 =
        run({"shrink", "--play", "r6", "--pool", "01,02,03,04,05,06,07", "--cover", "5"});
    ASSERT_EQ(r6.status, 0) << r6.err;
    EXPECT_NE(r6.out.find("旋转矩阵注数\t6\n"), std::string::npos) << r6.out;
    EXPECT_NE(r6.out.find("注数下限\t6\n"), std::string::npos) << r6.out;
}

TEST_F(ShrinkMoreTest, ConditionsOnACoverCountWhatItNoLongerCovers) {
    addDraws();
    const auto whole =
        run({"shrink", "--play", "r3", "--pool", "01,02,03,04,05,06,07", "--cover", "4", "--json"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_NE(whole.out.find("\"uncovered\":0"), std::string::npos);
    const auto thinned = run({"shrink", "--play", "r3", "--pool", "01,02,03,04,05,06,07", "--cover",
                              "4", "--kill", "01", "--json"});
    ASSERT_EQ(thinned.status, 0) << thinned.err;
    EXPECT_EQ(thinned.out.find("\"uncovered\":0"), std::string::npos) << thinned.out;
    EXPECT_NE(thinned.out.find("\"name\":\"kill\""), std::string::npos);
}

TEST_F(ShrinkMoreTest, RefusalsWriteNothing) {
    addDraws();
    const std::string out = dir.file("never.txt");
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{"--play", "r5", "--ac", "0-6"}, 1},
        {{"--play", "r5", "--min", "8-9"}, 1},
        {{"--play", "r5", "--sum-tail", "3,12"}, 1},
        {{"--play", "r5", "--dan-group", "01,02:3"}, 1},
        {{"--play", "r5", "--dan-group", "01,12:1"}, 1},
        {{"--play", "r5", "--dan-group", "01,02"}, 2},
        {{"--play", "r5", "--pattern", "odd=11011"}, 2},
        {{"--play", "q3g", "--pattern", "odd=110"}, 2},
        {{"--play", "q3d", "--pattern", "odd=11"}, 1},
        {{"--play", "q3d", "--pattern", "route=013"}, 1},
        {{"--play", "q3d", "--pattern", "even=110"}, 2},
        {{"--play", "q3d", "--tolerance", "21"}, 2},
        {{"--play", "r3", "--pool", "01,02,03", "--cover", "3"}, 1},
        {{"--play", "r3", "--pool", "01,02,03,04,05,06", "--cover", "2"}, 1},
        {{"--play", "r6", "--pool", "01,02,03,04,05,06,07", "--cover", "4"}, 1},
        {{"--play", "r3", "--pool", "01,02,03,04,12", "--cover", "3"}, 1},
        {{"--play", "q3d", "--pool", "01,02,03,04,05", "--cover", "3"}, 2},
        {{"--play", "r3", "--cover", "3"}, 2},
        {{"--play", "r5", "--format", "pipe"}, 2},
        {{"--play", "r5", "--format", "tabs"}, 2},
    };
    for (const auto& c : cases) {
        auto args = c.args;
        args.insert(args.begin(), "shrink");
        args.insert(args.end(), {"--out", out});
        const auto r = run(args);
        EXPECT_EQ(r.status, c.status) << args[2] << " " << args[3] << " " << args[4] << r.out;
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(std::filesystem::exists(out)) << args[3];
    }
    // --format needs a file to write.
    EXPECT_EQ(run({"shrink", "--play", "r5", "--format", "comma"}).status, 2);
}

} // namespace
