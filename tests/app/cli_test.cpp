// The command line: exact output, exit status and persistence across runs.

#include "app/cli.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

class CommandLineTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {"--data-dir", dir.file("data"), "--settings", dir.file("s.ini")});
        const auto line = app::parseCommandLine(arguments);
        std::ostringstream out, err;
        if (const auto answered = app::answerWithoutWorkspace(line, out, err))
            return {*answered, out.str(), err.str()};
        const int status = app::runCommand(line, out, err);
        return {status, out.str(), err.str()};
    }

    testing_support::TempDir dir;
};

} // namespace

TEST_F(CommandLineTest, AddNextAndHistory) {
    EXPECT_EQ(run({"next"}).status, 1);
    EXPECT_EQ(run({"add", "01", "02", "03", "04", "05"}).status, 1);
    auto first = run({"add", "--period", "2016090884", "03", "07", "01", "11", "05"});
    EXPECT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out, "2016090884\n");
    EXPECT_EQ(run({"next"}).out, "2016090901\n");
    EXPECT_EQ(run({"add", "1", "2", "3", "4", "5"}).out, "2016090901\n");
    EXPECT_EQ(run({"history"}).out, "2016090884 03 07 01 11 05 \n2016090901 01 02 03 04 05 \n");
    const auto refused = run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_FALSE(refused.err.empty());
    const auto bad = run({"add", "01", "02", "03", "04", "13"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("第5个号码"), std::string::npos);
    EXPECT_EQ(run({"add", "01", "02"}).status, 2);
    // The game decides how the history shows periods.
    EXPECT_EQ(run({"set", "GsZl", "23"}).status, 0);
    EXPECT_EQ(run({"history"}).out, "16090884 03 07 01 11 05 \n16090901 01 02 03 04 05 \n");
}

TEST_F(CommandLineTest, GetAndSetValidateAsTheMenusDo) {
    EXPECT_EQ(run({"get", "GsZl"}).out, "22\n");
    EXPECT_EQ(run({"get", "SxSetup"}).out, "False\n");
    EXPECT_EQ(run({"set", "GsZl", "569"}).status, 0);
    EXPECT_EQ(run({"get", "GsZl"}).out, "569\n");
    EXPECT_EQ(run({"set", "GsZl", "570"}).status, 1);
    EXPECT_EQ(run({"set", "SxSetup", "true"}).status, 0);
    EXPECT_EQ(run({"get", "SxSetup"}).out, "True\n");
    EXPECT_EQ(run({"set", "IniSerchDay", "17"}).status, 1);
    EXPECT_EQ(run({"set", "intLei", "5"}).status, 0);
    EXPECT_EQ(run({"set", "DsIni", "2"}).status, 1);
    EXPECT_EQ(run({"get", "nothing"}).status, 1);
    EXPECT_EQ(run({"get"}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
    EXPECT_EQ(run({"--bogus", "next"}).status, 2);
}
