// The command line: exact output, exit status and persistence across runs.

#include "cli/cli_run.h"
#include "platform/database.h"
#include "support/temp_dir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using testing_support::CliRun;

class CommandLineTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
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
    // Whole numbers only: nothing stored for a number with an exponent, a fraction or a sign.
    for (const char* odd : {"1e1", "1.9", "+6", "-6", "0x6", "006"})
        EXPECT_EQ(run({"add", odd, "02", "03", "04", "05"}).status, 2) << odd;
    EXPECT_EQ(run({"next"}).out, "2016090902\n");
    // Another game has its own history; the first one stays as it was.
    EXPECT_EQ(run({"set", "GsZl", "23"}).status, 0);
    EXPECT_EQ(run({"history"}).out, "");
    EXPECT_EQ(run({"set", "GsZl", "22"}).status, 0);
    EXPECT_EQ(run({"history"}).out, "2016090884 03 07 01 11 05 \n2016090901 01 02 03 04 05 \n");
}

TEST_F(CommandLineTest, GetAndSetValidateAsTheMenusDo) {
    EXPECT_EQ(run({"get", "GsZl"}).out, "22\n");
    EXPECT_EQ(run({"get", "SxSetup"}).out, "True\n");
    EXPECT_EQ(run({"set", "SxSetup", "false"}).status, 0);
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

TEST_F(CommandLineTest, HelpAndVersionNeedNoDatabase) {
    for (const char* flag : {"--help", "-h"}) {
        const auto help = run({flag});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out, app::usageText());
        EXPECT_NE(help.out.find("trim --to ID"), std::string::npos);
    }
    // A command's own usage.
    const auto search = run({"search", "--help"});
    EXPECT_EQ(search.status, 0);
    EXPECT_EQ(search.out.rfind("用法：kelvora11s5 search ", 0), 0u) << search.out;
    // Its usage line, then each option with what it does.
    const std::string trim = run({"trim", "-h"}).out;
    EXPECT_EQ(trim.rfind("用法：kelvora11s5 trim --to ID | trim --last N\n选项：\n  --to ID ", 0),
              0u)
        << trim;
    EXPECT_NE(trim.find("\n  --last N "), std::string::npos) << trim;
    const auto version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("kelvora11s5 ", 0), 0u);
}

TEST_F(CommandLineTest, TheWindowWithoutADisplaySaysSoAndEndsWithStatusTwo) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    program.setProcessEnvironment(environment);
    program.start(QString::fromUtf8(K11_EXECUTABLE),
                  {"--data-dir", QString::fromStdString(dir.file("data")), "--settings",
                   QString::fromStdString(dir.file("s.ini"))});
    ASSERT_TRUE(program.waitForFinished(20000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 2);
    EXPECT_NE(
        QString::fromUtf8(program.readAllStandardError()).indexOf(QStringLiteral("没有图形显示")),
        -1);
}

TEST_F(CommandLineTest, ADatabaseThatCannotBeOpenedFailsEveryCommandThatNeedsIt) {
    const std::string data = dir.file("data");
    std::filesystem::create_directories(data);
    const std::string path = data + "/kelvora11S5.db";
    const std::string garbage(8192, '\x5a');
    for (const std::string& bytes : {garbage, std::string("SQLite format 3\0\x10\x00", 19)}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        for (const auto& command : std::vector<std::vector<std::string>>{
                 {"history"}, {"next"}, {"add", "01", "02", "03", "04", "05"}, {"clear"}}) {
            const auto result = run(command);
            EXPECT_EQ(result.status, 1) << command[0];
            EXPECT_EQ(result.out, "") << command[0];
            EXPECT_NE(result.err.find("无法打开历史数据库"), std::string::npos) << result.err;
        }
        std::ifstream back(path, std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(back), {}), bytes);
    }
    // The settings need no database.
    EXPECT_EQ(run({"get", "GsZl"}).status, 0);
}

TEST_F(CommandLineTest, SettingsThatCannotBeSavedAreReported) {
    // The settings file's place is a folder: nothing can be written there.
    std::filesystem::create_directories(dir.file("s.ini"));
    const auto result = run({"set", "intLei", "3"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("无法保存"), std::string::npos) << result.err;
}

TEST_F(CommandLineTest, ABaseChangeSaysToRebuildAndRebuildDoesIt) {
    ASSERT_EQ(run({"add", "--period", "2016090801", "01", "05", "09", "10", "11"}).status, 0);
    const auto set = run({"set", "DsIni", "0"});
    EXPECT_EQ(set.status, 0);
    EXPECT_NE(set.out.find("rebuild"), std::string::npos);
    EXPECT_EQ(run({"set", "DsIni", "0"}).out, ""); // unchanged: nothing to say
    const auto rebuilt = run({"rebuild"});
    EXPECT_EQ(rebuilt.status, 0) << rebuilt.err;
    EXPECT_EQ(rebuilt.out, "rebuilt 1\n");
    platform::Database db(dir.file("data") + "/kelvora11S5.db");
    auto stmt = db.prepare("SELECT L1H, L2H, L3H, L4H, L5H FROM Lishi");
    ASSERT_TRUE(stmt.step());
    EXPECT_EQ(stmt.intAt(0), 0);
    EXPECT_EQ(stmt.intAt(4), 2);
}

TEST_F(CommandLineTest, PeriodIdsEndIn2099) {
    ASSERT_EQ(run({"add", "--period", "2099123141", "01", "02", "03", "04", "05"}).status, 0);
    EXPECT_EQ(run({"next"}).out, "2099123142\n");
    ASSERT_EQ(run({"add", "06", "07", "08", "09", "10"}).out, "2099123142\n");
    // 42 draws a day: the next would be 2100-01-01.
    const auto next = run({"next"});
    EXPECT_EQ(next.status, 1);
    EXPECT_NE(next.err.find("2099123199"), std::string::npos);
    const auto add = run({"add", "01", "02", "03", "04", "05"});
    EXPECT_EQ(add.status, 1);
    EXPECT_NE(add.err.find("2099123199"), std::string::npos);
    EXPECT_EQ(run({"history"}).out, "2099123141 01 02 03 04 05 \n2099123142 06 07 08 09 10 \n");
}

TEST_F(CommandLineTest, SearchesOfAnEmptyHistoryOrAnyComboSizeRunAndFindNothing) {
    const auto empty = run({"search"});
    EXPECT_EQ(empty.status, 0) << empty.err;
    EXPECT_EQ(empty.out.substr(0, empty.out.find('\n')),
              "期号\t第1码\t第2码\t第3码\t第4码\t第5码\t上期开奖");
    EXPECT_NE(empty.out.find("\n1\t1\t0\t\n"), std::string::npos) << empty.out;
    ASSERT_EQ(run({"add", "--period", "2016090801", "01", "02", "03", "04", "05"}).status, 0);
    ASSERT_EQ(run({"add", "01", "02", "03", "04", "05"}).status, 0);
    for (const char* size : {"0", "6"}) {
        const auto combo = run({"combo", "--size", size, "--json"});
        EXPECT_EQ(combo.status, 0) << combo.err;
        EXPECT_EQ(combo.out.rfind("{\"hits\":[],", 0), 0u) << combo.out;
    }
    EXPECT_EQ(run({"combo", "--size", "two"}).status, 1);
    const auto zero = run({"search", "--back", "0"});
    EXPECT_EQ(zero.status, 1);
    EXPECT_NE(zero.err.find("1到9"), std::string::npos);

    // A reversed span and targets the search type cannot take are told, not answered empty.
    const auto reversed = run({"search", "--from", "2016090802", "--to", "2016090801"});
    EXPECT_EQ(reversed.status, 1);
    EXPECT_EQ(reversed.out, "");
    EXPECT_NE(reversed.err.find("对调"), std::string::npos);
    EXPECT_EQ(run({"search", "--targets", "1,2,3,4,12"}).status, 2);
    EXPECT_EQ(run({"search", "--type", "head", "--targets", "0,1,0,1,2"}).status, 2);
    EXPECT_EQ(run({"search", "--type", "head", "--targets", "0,1,0,1,1"}).status, 0);
    EXPECT_EQ(run({"search", "--type", "zodiac", "--targets", "1,2,3,12,x"}).status, 2);
    EXPECT_EQ(run({"search", "--type", "zodiac", "--targets", "1,2,3,12,12"}).status, 0);
}
