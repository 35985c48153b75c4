// The history maintenance commands: exact output and exit status.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using testing_support::CliRun;

class MaintenanceCommands : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    std::string history() { return run({"history"}).out; }

    testing_support::TempDir dir;
};

} // namespace

TEST_F(MaintenanceCommands, ImportPrintsCountsAndReportedLines) {
    std::ofstream(dir.file("draws.txt"), std::ios::binary)
        << "号码\r\n16090884 01 02 03 04 05\r\n16090901 01 02 03 04 13\r\n"
           "16090902 01 02\r\n16090903 06 07 08 09 10\r\n";
    const auto result = run({"import", dir.file("draws.txt")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "imported 2, skipped 2\n");
    EXPECT_EQ(result.err, "line 3: 号码“13”不在01到11之间\n"
                          "line 4: 只读到2个号码，需要5个：号码须写成两位数（如05），用空格隔开\n");
    EXPECT_EQ(history(), "2016090884 01 02 03 04 05 \n2016090903 06 07 08 09 10 \n");

    const auto missing = run({"import", dir.file("none.txt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("历史号码没有改变"), std::string::npos);
    EXPECT_EQ(run({"import"}).status, 2);

    // Nothing in the file is a draw: the lines are listed and the history stays.
    std::ofstream(dir.file("notes.txt")) << "第1期 01 02\n";
    const auto empty = run({"import", dir.file("notes.txt")});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.err.substr(0, empty.err.find('\n')),
              "line 1: 只读到2个号码，需要5个：号码须写成两位数（如05），用空格隔开");
    EXPECT_EQ(history(), "2016090884 01 02 03 04 05 \n2016090903 06 07 08 09 10 \n");
}

TEST_F(MaintenanceCommands, TrimDeleteNewestAndClear) {
    std::ofstream(dir.file("draws.txt"))
        << "16090884 01 02 03 04 05\n16090901 06 07 08 09 10\n16090902 11 01 02 03 04\n"
           "16090903 05 06 07 08 09\n16090904 01 03 05 07 09\n";
    ASSERT_EQ(run({"import", dir.file("draws.txt")}).status, 0);

    EXPECT_EQ(run({"delete-newest"}).out, "deleted 1, kept 4\n");
    EXPECT_EQ(run({"trim", "--last", "3"}).out, "deleted 3, kept 1\n");
    EXPECT_EQ(run({"next"}).out, "2016090901\n");
    ASSERT_EQ(run({"import", dir.file("draws.txt")}).status, 0);
    EXPECT_EQ(run({"trim", "--to", "2016090902"}).out, "deleted 2, kept 3\n");
    EXPECT_EQ(history(), "2016090884 01 02 03 04 05 \n2016090901 06 07 08 09 10 \n"
                         "2016090902 11 01 02 03 04 \n");

    const auto refused = run({"trim", "--last", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(run({"trim", "--to", "16090852"}).status, 1);
    EXPECT_EQ(run({"trim", "--to"}).status, 2);
    EXPECT_EQ(run({"trim", "--first", "3"}).status, 2);
    EXPECT_EQ(run({"clear", "now"}).status, 2);

    // More than the history holds would empty it: told, and left to clear.
    const auto tooMany = run({"trim", "--last", "99999"});
    EXPECT_EQ(tooMany.status, 1);
    EXPECT_NE(tooMany.err.find("历史号码只有3期"), std::string::npos);
    EXPECT_EQ(run({"history"}).out.size(), history().size());

    EXPECT_EQ(run({"clear"}).out, "deleted 3, kept 0\n");
    const auto nothing = run({"delete-newest"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.out, "");
    EXPECT_EQ(history(), "");
}

TEST_F(MaintenanceCommands, EveryDeletionSavesTheDrawsItRemoves) {
    std::ofstream(dir.file("draws.txt"))
        << "16090884 01 02 03 04 05\n16090901 06 07 08 09 10\n16090902 11 01 02 03 04\n"
           "16090903 05 06 07 08 09\n";
    ASSERT_EQ(run({"import", dir.file("draws.txt")}).status, 0);
    const auto saved = [](const std::string& err) {
        const std::string mark = "删除的历史号码已保存到 ";
        const auto at = err.find(mark);
        if (at == std::string::npos) return std::string();
        const auto from = at + mark.size();
        std::ifstream in(err.substr(from, err.find('\n', from) - from), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const auto newest = run({"delete-newest"});
    EXPECT_EQ(saved(newest.err), "16090903 05 06 07 08 09 \r\n");
    const auto cut = run({"trim", "--to", "2016090884"});
    EXPECT_EQ(saved(cut.err), "16090901 06 07 08 09 10 \r\n16090902 11 01 02 03 04 \r\n");
    // The saved draws import back.
    ASSERT_EQ(run({"import", dir.file("draws.txt")}).status, 0);
    const auto last = run({"trim", "--last", "2"});
    EXPECT_EQ(saved(last.err), "16090902 11 01 02 03 04 \r\n16090903 05 06 07 08 09 \r\n");
}
