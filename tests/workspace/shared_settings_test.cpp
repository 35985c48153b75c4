// The settings file shared by several processes, and settings files that hold damage: changes
// made at once by ten runs of the program are all kept; a value or a line that cannot be read is
// named, never dropped unasked, and never taken for a file that cannot be written.

#include "cli/cli_run.h"
#include "workspace/workspace_fixture.h"

#include "platform/settings_store.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

using testing_support::runCli;
using testing_support::WorkspaceFixture;

namespace {

class SharedSettings : public ::testing::Test {
  protected:
    SharedSettings() {
        // 02 led the second draw, 01 the first and the third.
        f.type("2016090801", {{"01", "02", "03", "04", "05"},
                              {"02", "03", "04", "05", "06"},
                              {"01", "03", "04", "05", "06"}});
        f.workspace.reset();
    }

    // Runs the program once for each argument list, all at once, and waits for them all.
    void runAtOnce(const std::vector<QStringList>& runs) {
        std::vector<std::unique_ptr<QProcess>> processes;
        for (const auto& arguments : runs) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(QString::fromUtf8(K11_EXECUTABLE),
                                    QStringList{"--data-dir", QString::fromStdString(f.dataDir()),
                                                "--settings",
                                                QString::fromStdString(f.settingsPath())} +
                                        arguments);
        }
        for (auto& process : processes) {
            EXPECT_TRUE(process->waitForFinished(30000));
            EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
        }
    }

    testing_support::CliRun run(std::vector<std::string> arguments) {
        return runCli(f.dataDir(), f.settingsPath(), std::move(arguments));
    }

    void writeSettings(const std::string& bytes) {
        std::ofstream(f.settingsPath(), std::ios::binary | std::ios::trunc) << bytes;
    }

    std::string read(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    WorkspaceFixture f;
};

} // namespace

TEST_F(SharedSettings, RulesAddedAndRemovedByTenRunsAtOnceAreAllKept) {
    std::vector<QStringList> adds;
    std::string expected;
    for (int n = 10; n < 20; ++n) {
        const std::string rule = "q1 any current>=" + std::to_string(n);
        adds.push_back({"alerts", "--add", QString::fromStdString(rule)});
        expected += rule + "\n";
    }
    runAtOnce(adds);
    const auto listed = run({"get", "AlertRules"});
    std::string kept = listed.out;
    std::replace(kept.begin(), kept.end(), ';', '\n');
    std::vector<std::string> lines;
    std::istringstream in(kept);
    for (std::string line; std::getline(in, line);) lines.push_back(line + "\n");
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const auto& line : lines) sorted += line;
    EXPECT_EQ(sorted, expected);

    // Four removals of the first rule at once remove four different rules, and a choice saved
    // at the same moment is kept beside them.
    runAtOnce({{"alerts", "--remove", "1"},
               {"alerts", "--remove", "1"},
               {"set", "intLei", "3"},
               {"alerts", "--remove", "1"},
               {"alerts", "--remove", "1"}});
    std::string left = run({"get", "AlertRules"}).out;
    EXPECT_EQ(std::count(left.begin(), left.end(), ';'), 5) << left;
    EXPECT_EQ(run({"get", "intLei"}).out, "3\n");
}

TEST(SettingsStore, EveryWriteLeavesTheFileChangedLaterThanTheVersionBefore) {
    // QSettings reads a file again only when its size or its time of change (to the millisecond)
    // differs from the version it read. Two writes of one length within one tick of the file
    // system's clock would look like one version; a clock set back would give a time already
    // seen. Here the version before carries a time ahead of the clock.
    testing_support::TempDir dir;
    const std::string path = dir.file("s.ini");
    auto store = platform::SettingsStore::fromFile(path);
    ASSERT_TRUE(store.write("S", "k", "mine").saved);
    const auto ahead = std::filesystem::last_write_time(path) + std::chrono::seconds(30);
    std::filesystem::last_write_time(path, ahead);
    const auto millisecond = [&path] {
        using namespace std::chrono;
        return floor<milliseconds>(std::filesystem::last_write_time(path).time_since_epoch());
    };
    for (const char* value : {"them", "ours"}) {
        const auto before = millisecond();
        ASSERT_TRUE(store.write("S", "k", value).saved);
        EXPECT_GT(millisecond(), before) << value;
    }
    EXPECT_EQ(store.read("S", "k"), "ours");
}

TEST_F(SharedSettings, AnUnreadableRuleIsNamedAndKeptWithTheOthers) {
    // An item that is no rule, and one whose bytes are not text, among good ones.
    writeSettings("[IniSetting]\nAlertRules=\"q1 any current>=9;q1 nonsense;q1 02 current>=1;"
                  "r2 \xff\x1b ratio>=2\"\n");
    const auto listed = run({"alerts"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "1\tq1 任意 本次遗漏>=9\t\n3\tq1 02 本次遗漏>=1\t02(1)\n");
    EXPECT_NE(listed.err.find("第2条提醒规则无法读取"), std::string::npos) << listed.err;
    EXPECT_NE(listed.err.find("q1 nonsense"), std::string::npos) << listed.err;
    EXPECT_NE(listed.err.find("第4条提醒规则无法读取（已损坏，含有不是文字的字节）"),
              std::string::npos)
        << listed.err;
    EXPECT_EQ(listed.err.find('\x1b'), std::string::npos) << "a control character reached stderr";

    // Adding keeps every item; the damaged one as it reads.
    const auto added = run({"alerts", "--add", "q1 03 current>=1"});
    EXPECT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(run({"get", "AlertRules"}).out,
              "q1 any current>=9;q1 nonsense;q1 02 current>=1;r2 \xef\xbf\xbd\x1b ratio>=2;"
              "q1 03 current>=1\n");
    // A new item that is no rule is refused; the stored one goes only when removed.
    EXPECT_EQ(run({"set", "AlertRules", "q1 any current>=9;q1 other nonsense"}).status, 1);
    EXPECT_EQ(run({"alerts", "--remove", "2"}).status, 0);
    EXPECT_EQ(run({"alerts", "--remove", "3"}).status, 0);
    EXPECT_EQ(run({"get", "AlertRules"}).out,
              "q1 any current>=9;q1 02 current>=1;q1 03 current>=1\n");
}

TEST_F(SharedSettings, ADamagedSettingsFileIsSaidToBeDamagedAndCopiedBeforeItIsWritten) {
    // Bytes of no text that break lines: the lines after the first are no settings at all.
    const std::string damaged = "[IniSetting]\nintLei=2\nAlertRules=q1 any current>=9\n"
                                "\x89PNG\r\n\x1a\x01\x02\x03\n";
    writeSettings(damaged);
    const auto listed = run({"alerts"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, "1\tq1 任意 本次遗漏>=9\t\n");
    EXPECT_NE(listed.err.find("无法读取的行（已损坏）"), std::string::npos) << listed.err;

    const auto set = run({"set", "intLei", "3"});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(set.err.find("是否可写"), std::string::npos) << set.err;
    EXPECT_NE(set.err.find("已损坏"), std::string::npos) << set.err;
    EXPECT_NE(set.err.find(f.settingsPath() + ".damaged"), std::string::npos) << set.err;
    EXPECT_EQ(read(f.settingsPath() + ".damaged"), damaged);
    EXPECT_EQ(run({"get", "intLei"}).out, "3\n");
    EXPECT_EQ(run({"get", "AlertRules"}).out, "q1 any current>=9\n");
    // Once written, the file is sound: nothing more is said or copied.
    const auto again = run({"set", "intLei", "4"});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.err, "");
    EXPECT_FALSE(std::filesystem::exists(f.settingsPath() + ".damaged-2"));

    // A value of another kind than text gives the default and says so.
    writeSettings("[IniSetting]\nintLei=@ByteArray(\\xff\\x01)\n");
    const auto got = run({"get", "intLei"});
    EXPECT_EQ(got.out, "0\n");
    EXPECT_NE(got.err.find("intLei 存的值已损坏"), std::string::npos) << got.err;
}
