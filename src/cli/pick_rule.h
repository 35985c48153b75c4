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
    // Takes --pick or --pick-from, reading its value with `value` (which throws when there is
    // none); throws UsageError for a second rule or an unknown --pick-from. A second rule is
    // refused before --pick reads its value.
    void take(const std::string& option, const std::function<const std::string&()>& value);
    // An option the command does not know itself: one of search or combo, for --pick-from search.
    void keepForSearch(const std::string& option) { searchArgs_.push_back(option); }

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
    std::vector<std::string> searchArgs_;
};

// The run options bet and plan share: --steps M, --random R and --seed S, into bet. False for
// any other option; value reads the option's value (and throws when there is none).
bool takeRunOption(const std::string& option, const std::function<const std::string&()>& value,
                   BetRequest& bet);

} // namespace app
