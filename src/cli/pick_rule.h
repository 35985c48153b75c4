#pragma once
// The pick rule of the commands that buy tickets (bet and plan): --pick TICKET (repeatable) or
// --pick-from coldest|hottest|search, and for search the options of search or combo. Each command
// words its own usage errors, so the words are given.

#include "cli/commands.h"
#include "workspace/play_service.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct PickRuleWords {
    std::string oneRule;                                          // a second rule after the first
    std::string needRule;                                         // no rule at all
    std::function<std::string(const std::string&)> unknownFrom;   // --pick-from VALUE
    std::function<std::string(const std::string&)> unknownOption; // a stray option without search
};

class PickRuleOptions {
  public:
    explicit PickRuleOptions(PickRuleWords words) : words_(std::move(words)) {}

    // --pick or --pick-from, which take a value.
    static bool isPickOption(const std::string& option) {
        return option == "--pick" || option == "--pick-from";
    }
    // Takes --pick or --pick-from with its value; throws UsageError for a second rule or an
    // unknown --pick-from.
    void take(const std::string& option, const std::string& value);
    // An option of search or combo, for --pick-from search.
    void keepForSearch(const GivenOption& option) { searchArgs_.push_back(option); }

    // Throws UsageError when no rule was given.
    void requireRule() const;
    // Puts the rule, its tickets and, for search, the search's shape into bet (the search options
    // applied to the workspace for this run). Throws UsageError for options kept without the
    // search rule or a bad search option; returns kExitOk, or kExitRefused with the message on
    // c.err.
    int apply(CommandContext& c, BetRequest& bet) const;

  private:
    void setRule(PickRule chosen);

    PickRuleWords words_;
    std::optional<PickRule> rule_;
    std::vector<std::string> tickets_;
    GivenOptions searchArgs_;
};

// The play named by --play (q1, r2..r8, q2d, q2g, q3d, q3g); throws UsageError for another text.
play::Play playOption(const std::string& code);

// The declaration of --pick, --pick-from and the options of search and combo for command;
// searchWords is the usage line's name for the latter.
std::vector<OptionSpec> pickRuleOptions(const std::string& command, const std::string& searchWords);

// The run options bet and plan share: --steps M, --random R and --seed S, into bet. False for
// any other option.
bool takeRunOption(const std::string& option, const std::string& value, BetRequest& bet);
// Their declaration.
std::vector<OptionSpec> runOptions();

} // namespace app
