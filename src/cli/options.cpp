#include "cli/options.h"

#include "cli/commands.h"

#include <CLI/CLI.hpp>

#include <map>

namespace app {

namespace {

std::string defaultUsage(const OptionSpec& option) {
    std::string text = "[" + option.name;
    if (!option.value.empty()) text += " " + option.value + (option.several ? " ..." : "");
    return text + "]";
}

// "--x", "-x": an option, not an operand ("-1" and "-" are operands).
bool looksLikeOption(const std::string& arg) {
    if (arg.rfind("--", 0) == 0) return true;
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

} // namespace

bool ParsedArguments::has(const std::string& name) const {
    for (const auto& given : options)
        if (given.name == name) return true;
    return false;
}

ParsedArguments parseArguments(const CommandSyntax& syntax, const std::vector<std::string>& args) {
    CLI::App parser;
    parser.set_help_flag(); // `COMMAND --help` is answered before the command runs
    parser.allow_extras();  // unknown options and operands are sorted out below
    std::map<const CLI::Option*, const OptionSpec*> declared;
    for (const auto& wanted : syntax.options) {
        CLI::Option* option =
            wanted.value.empty() ? parser.add_flag(wanted.name) : parser.add_option(wanted.name);
        // A repeated option is taken each time; what that means is the command's to say.
        option->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        if (wanted.several)
            option->expected(1, CLI::detail::expected_max_vector_size)->allow_extra_args();
        declared[option] = &wanted;
    }
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        parser.parse(reversed);
    } catch (const CLI::ArgumentMismatch& e) {
        // "--type: 1 required TEXT missing": the option whose value is missing.
        const std::string what = e.what();
        for (const auto& wanted : syntax.options)
            if (what.rfind(wanted.name + ":", 0) == 0)
                throw UsageError{wanted.missing.empty() ? wanted.name + " 后面要跟一个值"
                                                        : wanted.missing};
        throw UsageError{"选项后面少了值"};
    } catch (const CLI::Error&) {
        throw UsageError{"命令的选项写得不对"};
    }
    // An option of several values given without any is missing its value as well.
    std::map<const CLI::Option*, size_t> occurrences;
    for (const CLI::Option* option : parser.parse_order()) ++occurrences[option];
    for (const auto& [option, count] : occurrences) {
        const OptionSpec& wanted = *declared.at(option);
        if (wanted.several && option->results().size() < count)
            throw UsageError{wanted.missing.empty() ? wanted.name + " 后面要跟一个值"
                                                    : wanted.missing};
    }
    ParsedArguments parsed;
    std::map<const CLI::Option*, size_t> taken;
    for (const CLI::Option* option : parser.parse_order()) {
        const OptionSpec& wanted = *declared.at(option);
        const auto& results = option->results();
        size_t& next = taken[option];
        if (wanted.value.empty()) {
            parsed.options.push_back({wanted.name, {}});
            ++next;
        } else if (wanted.several) {
            // The values of every occurrence come together: all of them at the first.
            for (; next < results.size(); ++next)
                parsed.options.push_back({wanted.name, results[next]});
        } else if (next < results.size()) {
            parsed.options.push_back({wanted.name, results[next++]});
        }
    }
    for (const std::string& arg : parser.remaining()) {
        if (looksLikeOption(arg) || !syntax.operands)
            throw UsageError{syntax.stray.empty() ? "没有这个选项：" + arg : syntax.stray};
        parsed.operands.push_back(arg);
    }
    return parsed;
}

std::string usageLine(const std::string& command, const CommandSyntax& syntax) {
    std::string line = command;
    auto add = [&](const std::string& words) {
        if (!words.empty()) line += " " + words;
    };
    add(syntax.lead);
    for (const auto& option : syntax.options) add(option.usage.value_or(defaultUsage(option)));
    add(syntax.tail);
    return line;
}

std::string optionHelp(const CommandSyntax& syntax) {
    if (syntax.options.empty()) return {};
    std::string text = "选项：\n";
    for (const auto& option : syntax.options) {
        std::string left = "  " + option.name;
        if (!option.value.empty()) left += " " + option.value + (option.several ? " ..." : "");
        left += left.size() < 28 ? std::string(28 - left.size(), ' ') : std::string("  ");
        text += left + option.help + "\n";
    }
    return text;
}

} // namespace app
