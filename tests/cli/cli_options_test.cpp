// Every command's options as declared: its usage line and its `--help` list name the same
// options, and an unknown option or a missing value is a usage error in Chinese (exit 2) whatever
// the command. Options that take several values take them after one name.

#include "cli/cli_run.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>

namespace {

using testing_support::CliRun;

const std::string kUsage = "用法：kelvora11s5 ";

// The usage text's command lines: name and whole line.
std::vector<std::pair<std::string, std::string>> usageLines() {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream text(app::usageText());
    std::string line;
    bool commands = false;
    while (std::getline(text, line)) {
        if (commands && line.rfind("  ", 0) == 0) {
            const std::string usage = line.substr(2);
            lines.emplace_back(usage.substr(0, usage.find(' ')), usage);
        }
        if (line.find("命令：") != std::string::npos) commands = true;
    }
    return lines;
}

std::string firstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

std::set<std::string> optionWords(const std::string& text) {
    std::set<std::string> words;
    static const std::regex option("--[a-z][a-z-]*");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), option);
         it != std::sregex_iterator(); ++it)
        words.insert(it->str());
    return words;
}

struct HelpListing {
    std::string usage;               // the first line, without its prefix
    std::set<std::string> options;   // the options listed under it
    std::vector<std::string> valued; // those that take a value, in order
};

class CommandOptionsTest : public ::testing::Test {
  protected:
    CliRun run(std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    }

    HelpListing help(const std::string& command) {
        const CliRun r = run({command, "--help"});
        EXPECT_EQ(r.status, 0) << command;
        HelpListing listing;
        std::istringstream text(r.out);
        std::string line;
        std::getline(text, line);
        EXPECT_EQ(line.rfind(kUsage, 0), 0u) << line;
        listing.usage = line.substr(std::min(line.size(), kUsage.size()));
        while (std::getline(text, line)) {
            if (line.rfind("  --", 0) != 0) continue;
            std::istringstream words(line);
            std::string name, value;
            words >> name >> value;
            listing.options.insert(name);
            // A value is a placeholder, never the help text (which is Chinese).
            if (!value.empty() && static_cast<unsigned char>(value[0]) < 0x80)
                listing.valued.push_back(name);
        }
        return listing;
    }

    // Eight draws, each the next five of 01..08 in turn.
    void addEightDraws() {
        for (int i = 0; i < 8; ++i) {
            std::vector<std::string> line = {"add"};
            if (i == 0) line.insert(line.end(), {"--period", "2016090801"});
            for (int k = 0; k < 5; ++k) {
                const int n = (i + k) % 8 + 1;
                line.push_back((n < 10 ? "0" : "") + std::to_string(n));
            }
            ASSERT_EQ(run(line).status, 0);
        }
    }

    testing_support::TempDir dir;
};

TEST_F(CommandOptionsTest, UsageLineAndHelpListNameTheSameOptions) {
    // Commands that run a search say "options of search" rather than naming each.
    const std::set<std::string> searchOptions = {"--type", "--result",    "--fixed",   "--free",
                                                 "--last", "--back",      "--targets", "--from",
                                                 "--to",   "--positions", "--size"};
    const auto lines = usageLines();
    ASSERT_GE(lines.size(), 25u);
    for (const auto& [command, usage] : lines) {
        SCOPED_TRACE(command);
        const HelpListing listing = help(command);
        EXPECT_EQ(listing.usage, usage);
        const std::set<std::string> named = optionWords(usage);
        for (const auto& option : named) EXPECT_TRUE(listing.options.count(option)) << option;
        const bool namesSearch = usage.find("options of search") != std::string::npos;
        for (const auto& option : listing.options)
            EXPECT_TRUE(named.count(option) || (namesSearch && searchOptions.count(option)))
                << option << " is not in the usage line";
    }
}

TEST_F(CommandOptionsTest, UnknownOptionsAndMissingValuesAreUsageErrors) {
    for (const auto& [command, usage] : usageLines()) {
        SCOPED_TRACE(command);
        const std::string usageTail = kUsage + usage + "\n";
        const CliRun unknown = run({command, "--colour"});
        EXPECT_EQ(unknown.status, 2);
        const std::string first = firstLine(unknown.err);
        EXPECT_TRUE(first == "没有这个选项：--colour" || first == command + " 不带参数" ||
                    first.rfind(command + " 的选项是", 0) == 0)
            << first;
        EXPECT_TRUE(unknown.err.ends_with(usageTail)) << unknown.err;
        EXPECT_TRUE(unknown.out.empty());

        for (const auto& option : help(command).valued) {
            const CliRun missing = run({command, option});
            EXPECT_EQ(missing.status, 2) << option;
            // update names all its options and their values at once.
            EXPECT_TRUE(missing.err.find("后面要跟") != std::string::npos ||
                        missing.err.rfind("update ", 0) == 0)
                << option << ": " << missing.err;
            EXPECT_TRUE(missing.err.ends_with(usageTail)) << missing.err;
        }
    }
    // A stray word is no option either; a command without operands says so.
    EXPECT_EQ(firstLine(run({"search", "fixed"}).err), "没有这个选项：fixed");
    EXPECT_EQ(firstLine(run({"next", "1"}).err), "next 不带参数");
}

TEST_F(CommandOptionsTest, RepeatedOptionsKeepTheirOrder) {
    // The later of two values wins, as written.
    const std::string monday = "2016-09-05T10:05", friday = "2016-09-09T23:59";
    const CliRun first = run({"clock", "--at", monday});
    const CliRun second = run({"clock", "--at", friday});
    ASSERT_NE(first.out, second.out);
    EXPECT_EQ(run({"clock", "--at", monday, "--json", "--at", friday}).out,
              run({"clock", "--json", "--at", friday}).out);
    EXPECT_EQ(run({"clock", "--at", friday, "--at", monday}).out, first.out);
    // --stop-on-win and --no-stop contradict each other in any order.
    const CliRun both = run({"plan", "--play", "r3", "--pick", "01 02 03", "--chase", "2",
                             "--multiplier", "fixed:1", "--no-stop", "--stop-on-win"});
    EXPECT_EQ(both.status, 2);
    EXPECT_EQ(firstLine(both.err), "--stop-on-win 和 --no-stop 只能用一个");
}

TEST_F(CommandOptionsTest, PickTakesSeveralTicketsAfterOneName) {
    addEightDraws();
    const std::vector<std::string> base = {"bet", "--play", "r3", "--steps", "3", "--json"};
    auto with = [&](std::vector<std::string> extra) {
        std::vector<std::string> line = base;
        line.insert(line.end(), extra.begin(), extra.end());
        return run(line);
    };
    const CliRun together = with({"--pick", "01 02 03", "04 05 06"});
    const CliRun apart = with({"--pick", "01 02 03", "--pick", "04 05 06"});
    const CliRun one = with({"--pick", "01 02 03"});
    ASSERT_EQ(together.status, 0) << together.err;
    EXPECT_EQ(together.out, apart.out);
    EXPECT_NE(together.out, one.out);
}

} // namespace
