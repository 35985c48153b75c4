// Every command's --json output: one line of JSON in the compact form, whatever the command.

#include "cli/cli_run.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "workspace/json_text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

using testing_support::CliRun;

class JsonOutputTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    testing_support::TempDir dir;
};

TEST_F(JsonOutputTest, EveryCommandWritesOneCompactLine) {
    // Sixty draws of one day, each five different numbers.
    std::string file;
    for (int i = 0; i < 60; ++i) {
        int n[5];
        for (int k = 0; k < 5; ++k) n[k] = (i * 7 + k * (i % 3 + 2)) % 11 + 1;
        char line[64];
        std::snprintf(line, sizeof line, "160909%02d %02d %02d %02d %02d %02d\n", i + 1, n[0], n[1],
                      n[2], n[3], n[4]);
        file += line;
    }
    const std::string path = dir.file("draws.txt");
    platform::writeFileAtomically(path, file);
    ASSERT_EQ(run({"import", path}).status, 0);

    const std::vector<std::vector<std::string>> commands = {
        {"games", "--json"},
        {"search", "--type", "1", "--result", "3", "--free", "--back", "2", "--json"},
        {"omission", "--type", "0", "--json"},
        {"omission", "--basic", "--json"},
        {"backtest", "--type", "0", "--result", "0", "--steps", "10", "--top", "2", "--json"},
        {"plays", "--play", "r3", "--top", "3", "--json"},
        {"bet", "--play", "r5", "--pick-from", "hottest", "--steps", "10", "--random", "20",
         "--seed", "1", "--json"},
        {"plan", "--play", "q1", "--pick", "01", "--chase", "3", "--multiplier", "double",
         "--steps", "10", "--random", "10", "--seed", "1", "--json"},
        {"shrink", "--play", "r3", "--dan", "01", "--backtest", "10", "--random", "10", "--seed",
         "1", "--tickets", "--json"},
        {"shrink", "--play", "r5", "--pool", "01,02,03,04,05,06,07", "--cover", "5", "--json"},
        {"clock", "--json", "--at", "2016-09-09T10:00"},
        {"alerts", "--json"},
    };
    for (const auto& command : commands) {
        const CliRun r = run(command);
        ASSERT_EQ(r.status, 0) << command[0] << ": " << r.err;
        ASSERT_FALSE(r.out.empty()) << command[0];
        EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << command[0] << ": " << r.out;
        app::Json parsed;
        ASSERT_NO_THROW(parsed = app::Json::parse(r.out)) << command[0] << ": " << r.out;
        EXPECT_TRUE(parsed.is_object() || parsed.is_array()) << command[0];
        // The same document written again is the same text: one form for every command.
        EXPECT_EQ(app::jsonText(parsed) + "\n", r.out) << command[0];
    }
}

} // namespace
