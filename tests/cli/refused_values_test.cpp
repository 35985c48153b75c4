// Values that cannot be right are refused with a message, before anything acts on them: an alert
// for a value its kind never takes, a clock reading in a century period ids cannot name, a
// results site whose address cannot be parsed (also before the watch starts), a schedule that
// puts the day's last draw days later. Every message is whole UTF-8 and in Chinese.

#include "cli/cli_run.h"
#include "support/core_application.h"
#include "support/temp_dir.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

using testing_support::CliRun;

// Whether text is well-formed UTF-8 (no byte of a character cut off or out of place).
bool wholeUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const size_t length = lead < 0x80         ? 1
                              : (lead >> 5) == 6  ? 2
                              : (lead >> 4) == 14 ? 3
                              : (lead >> 3) == 30 ? 4
                                                  : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 2) return false;
        i += length;
    }
    return true;
}

// Whether the first line of text (the message before the usage line) holds a Chinese character.
bool saysItInChinese(const std::string& text) {
    const std::string first = text.substr(0, text.find('\n'));
    for (unsigned char c : first)
        if (c >= 0xe4 && c <= 0xe9) return true;
    return false;
}

class RefusedValues : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        CliRun r =
            testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
        EXPECT_TRUE(wholeUtf8(r.err)) << r.err;
        return r;
    }
    testing_support::TempDir dir;
};

TEST_F(RefusedValues, AlertsForValuesTheirKindNeverTakesAreRefused) {
    struct Case {
        const char* rule;
        const char* says; // empty: accepted
    };
    for (const Case& c :
         {Case{"number@1 12 current>=3", "号码的值是1到11，没有“12”"},
          Case{"zodiac@any 13 current>=3", "生肖的值是"},
          // Zodiac values start at 1 under the settings: 0 is none of them.
          Case{"zodiac@2 0 current>=3", "生肖的值是1到12，没有“0”"},
          Case{"head@3 2 ratio>=2", "头数的值是0到1"}, Case{"number@1 11 current>=3", ""},
          Case{"tail@any 0 current>=3", ""}, Case{"zodiac@2 12 current>=3", ""}}) {
        SCOPED_TRACE(c.rule);
        const CliRun added = run({"alerts", "--add", c.rule});
        EXPECT_EQ(added.status, *c.says ? 1 : 0) << added.err;
        EXPECT_NE(added.err.find(c.says), std::string::npos) << added.err;
    }
    const CliRun listed = run({"alerts"});
    EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 3) << listed.out;
    // Nor are they taken as a setting.
    const CliRun set = run({"set", "AlertRules", "number@1 12 current>=3"});
    EXPECT_EQ(set.status, 1);
    EXPECT_NE(set.err.find("号码的值是1到11"), std::string::npos) << set.err;
}

TEST_F(RefusedValues, TheClockAndTheScheduleStayWithinWhatPeriodIdsCanName) {
    for (const char* at : {"9999-01-01T10:00", "1999-12-31T23:59", "2100-01-01T00:00"}) {
        const CliRun refused = run({"clock", "--at", at});
        EXPECT_EQ(refused.status, 2) << at;
        EXPECT_NE(refused.err.find("2000到2099"), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.out.empty()) << refused.out;
    }
    const CliRun read = run({"clock", "--at", "2099-12-31T10:00"});
    EXPECT_EQ(read.status, 0) << read.err;

    // A draw every 120 minutes puts the day's last draw days on: said in whole characters.
    const CliRun daily = run({"set", "DrawEvery22", "120"});
    EXPECT_EQ(daily.status, 1);
    EXPECT_NE(daily.err.find("天后的"), std::string::npos) << daily.err;
    const CliRun late = run({"set", "DrawFirst22", "23:55"});
    EXPECT_EQ(late.status, 1);
    EXPECT_NE(late.err.find("要到次日"), std::string::npos) << late.err;
    EXPECT_EQ(run({"get", "DrawEvery22"}).out, "20\n");
}

TEST_F(RefusedValues, AnAddressThatCannotBeParsedIsRefusedBeforeAnyUpdateOrWatch) {
    for (const char* site : {"http://127.0.0.1:99999", "http://exa%mple.org", "https://a b"}) {
        SCOPED_TRACE(site);
        const CliRun update = run({"update", "--site", site, "--today", "2016-09-08"});
        EXPECT_EQ(update.status, 2) << update.err;
        EXPECT_TRUE(saysItInChinese(update.err)) << update.err;
        EXPECT_EQ(run({"set", "UpdateSite", site}).status, 1);
    }
    EXPECT_EQ(run({"get", "UpdateSite"}).out, "\n");

    // The watch would wait on it for ever: it is refused at once.
    testing_support::ensureCoreApplication();
    QProcess watch;
    watch.start(QString::fromUtf8(K11_EXECUTABLE),
                {"--data-dir", QString::fromStdString(dir.file("data")), "--settings",
                 QString::fromStdString(dir.file("s.ini")), "update", "--watch", "--poll", "1",
                 "--site", "http://127.0.0.1:99999"});
    const bool ended = watch.waitForFinished(20000);
    if (!ended) {
        watch.kill();
        watch.waitForFinished();
    }
    EXPECT_TRUE(ended);
    EXPECT_EQ(watch.exitCode(), 2);
    EXPECT_NE(
        QString::fromUtf8(watch.readAllStandardError()).indexOf(QStringLiteral("无法识别网址")),
        -1);
}

TEST_F(RefusedValues, UsageErrorsAreToldInChinese) {
    for (const std::vector<std::string>& command :
         std::vector<std::vector<std::string>>{{"alerts", "--remove", "x"},
                                               {"alerts", "--remove"},
                                               {"clock", "--at", "noon"},
                                               {"clock", "--at"},
                                               {"omission", "--basic", "--type", "number"},
                                               {"history", "extra"}}) {
        SCOPED_TRACE(command.front() + " " + command[1]);
        const CliRun r = run(command);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(saysItInChinese(r.err)) << r.err;
        EXPECT_NE(r.err.find("\n用法：kelvora11s5 " + command.front()), std::string::npos) << r.err;
    }
}

} // namespace
