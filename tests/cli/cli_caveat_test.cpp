// Every figure the command line sets against chance (the back-test's verdict, bet, shrink, the
// omission's χ² test) carries the line that says what it does not prove, in text and in JSON;
// tables with no such figure do not.

#include "cli/cli_run.h"
#include "platform/file_io.h"
#include "support/random_history.h"
#include "support/temp_dir.h"
#include "workspace/figure_caveat.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

using testing_support::CliRun;

class CaveatTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // 300 uniformly random draws, 30 a day.
        const auto rows = testing_support::randomHistory(300, 11);
        std::string file;
        for (size_t i = 0; i < rows.size(); ++i) {
            const auto& n = rows[i].values[history::Number];
            char line[64];
            std::snprintf(line, sizeof line, "1609%02zu%02zu %02d %02d %02d %02d %02d\r\n",
                          i / 30 + 1, i % 30 + 1, n[0], n[1], n[2], n[3], n[4]);
            file += line;
        }
        const std::string path = dir.file("draws.txt");
        platform::writeFileAtomically(path, file);
        ASSERT_EQ(run({"import", path}).status, 0);
    }
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }
    testing_support::TempDir dir;
};

const std::string kLine = std::string("注意\t") + app::kFigureCaveat + "\n";

TEST_F(CaveatTest, EveryFigureAgainstChanceSaysWhatItDoesNotProve) {
    struct Case {
        std::vector<std::string> args;
        std::string textEnd; // how the text output ends
    };
    const std::vector<Case> cases = {
        {{"backtest", "--type", "head", "--positions", "1", "--steps", "30"},
         std::string("注意：") + app::kFigureCaveat + "\n"},
        {{"bet", "--play", "r3", "--pick-from", "coldest", "--steps", "30", "--random", "20"},
         kLine},
        {{"plan", "--play", "r3", "--pick", "01 02 03", "--chase", "5", "--multiplier", "double",
          "--steps", "30", "--random", "20"},
         kLine},
        {{"shrink", "--play", "r5", "--dan", "01", "--backtest", "20", "--random", "10"}, kLine},
        {{"shrink", "--play", "r5", "--sum", "20-30"}, kLine},
        {{"omission", "--type", "number", "--position", "2"}, kLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args[1] + " " + c.args[2]);
        const auto text = run(c.args);
        ASSERT_EQ(text.status, 0) << text.err;
        ASSERT_GE(text.out.size(), c.textEnd.size());
        EXPECT_EQ(text.out.substr(text.out.size() - c.textEnd.size()), c.textEnd) << text.out;
        auto args = c.args;
        args.push_back("--json");
        const auto json = run(args);
        ASSERT_EQ(json.status, 0) << json.err;
        const QJsonObject doc =
            QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
        EXPECT_EQ(doc["caveat"].toString().toStdString(), app::kFigureCaveat) << json.out;
    }

    // The shrink's tickets follow the figures and their caveat.
    const auto tickets = run({"shrink", "--play", "r5", "--dan", "01,02,03,04", "--tickets"});
    ASSERT_EQ(tickets.status, 0) << tickets.err;
    EXPECT_NE(tickets.out.find(kLine + "01 02 03 04 05\n"), std::string::npos) << tickets.out;

    // Tables with no figure set against chance carry none.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"plays", "--play", "q1", "--json"},
          {"omission", "--type", "number", "--json"},
          {"omission", "--basic", "--json"},
          {"shrink", "--play", "r5", "--pool", "01,02,03,04,05,06", "--cover", "5", "--json"}}) {
        const auto r = run(args);
        ASSERT_EQ(r.status, 0) << args[1] << r.err;
        EXPECT_EQ(r.out.find("caveat"), std::string::npos) << args[1];
    }
}

} // namespace
