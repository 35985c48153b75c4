#pragma once
// Each command declares its options once: their names, whether they take a value (and its
// placeholder), their help text and their part of the usage line. The arguments are parsed from
// that declaration; the usage line and `COMMAND --help` are written from it.

#include <optional>
#include <string>
#include <vector>

namespace app {

struct OptionSpec {
    std::string name{};  // "--type"
    std::string value{}; // placeholder of its value ("K"); empty for a flag
    std::string help{};  // one line for `COMMAND --help`
    // Its part of the usage line: "[--type K]" when not given; empty when another option's part
    // names it too ("[--fixed|--free]" is the part of --fixed, none for --free).
    std::optional<std::string> usage = std::nullopt;
    bool several = false; // takes one value or more (--pick A B)
    std::string missing{}; // the message for a missing value; "--type 后面要跟一个值" when empty
};

struct CommandSyntax {
    std::string lead{}; // the usage line's words between the command's name and its options
    std::vector<OptionSpec> options{};
    std::string tail{};    // the usage line's words after the options (operands, notes)
    bool operands = false; // takes arguments that are not options
    // The message for an unknown option or a stray argument; "没有这个选项：X" when empty.
    std::string stray{};
};

// An option as given, in the order given; value is empty for a flag.
struct GivenOption {
    std::string name{};
    std::string value{};
};
using GivenOptions = std::vector<GivenOption>;

struct ParsedArguments {
    GivenOptions options;
    std::vector<std::string> operands;
    bool has(const std::string& name) const;
};

// Parses a command's arguments by its declaration; throws UsageError (an unknown option, a
// missing value, a stray argument).
ParsedArguments parseArguments(const CommandSyntax& syntax, const std::vector<std::string>& args);

// "search [--type K] ...": the command's usage line.
std::string usageLine(const std::string& command, const CommandSyntax& syntax);
// One line per option with its help text (none without options).
std::string optionHelp(const CommandSyntax& syntax);

} // namespace app
