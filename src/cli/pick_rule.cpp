#include "cli/pick_rule.h"

namespace app {

void PickRuleOptions::setRule(PickRule chosen) {
    // --pick may be repeated; any other second rule is refused.
    if (rule_ && !(*rule_ == PickRule::Fixed && chosen == PickRule::Fixed))
        throw UsageError{words_.oneRule};
    rule_ = chosen;
}

void PickRuleOptions::take(const std::string& option, const std::string& value) {
    if (option == "--pick") {
        setRule(PickRule::Fixed);
        tickets_.push_back(value);
        return;
    }
    const std::string& from = value;
    if (from == "coldest")
        setRule(PickRule::Coldest);
    else if (from == "hottest")
        setRule(PickRule::Hottest);
    else if (from == "search")
        setRule(PickRule::Search);
    else
        throw UsageError{words_.unknownFrom(from)};
}

void PickRuleOptions::requireRule() const {
    if (!rule_) throw UsageError{words_.needRule};
}

int PickRuleOptions::apply(CommandContext& c, BetRequest& bet) const {
    requireRule();
    if (*rule_ != PickRule::Search && !searchArgs_.empty())
        throw UsageError{words_.unknownOption(searchArgs_.front().name)};
    bet.rule = *rule_;
    bet.tickets.insert(bet.tickets.end(), tickets_.begin(), tickets_.end());
    if (*rule_ != PickRule::Search) return kExitOk;
    SearchShape shape;
    if (const int status = applySearchOptions(c, searchArgs_, SearchChoice::BySize, shape);
        status != kExitOk)
        return status;
    bet.searchType =
        shape.combination ? search::SearchType::Combination : search::SearchType::Pattern;
    bet.positions = shape.positions;
    return kExitOk;
}

std::vector<OptionSpec> pickRuleOptions(const std::string& command,
                                        const std::string& searchWords) {
    std::vector<OptionSpec> options = {
        {"--pick", "TICKET", "买这注号码（可重复，也可跟几注）",
         "(--pick TICKET ... | --pick-from coldest|hottest | --pick-from search " + searchWords +
             ")",
         true},
        {"--pick-from", "coldest|hottest|search", "选号规则：最冷、最热或检索的结果", ""},
    };
    for (auto& option : searchOptions(SearchChoice::BySize))
        if (option.name != "--json") {
            // Each step uses all the draws before it: no span of its own (said when given).
            option.help = option.name == "--from" || option.name == "--to"
                              ? "不能用于 " + command + "：每个检验期都用它之前的全部历史号码"
                              : "（用于 --pick-from search）" + option.help;
            options.push_back(option);
        }
    return options;
}

bool takeRunOption(const std::string& option, const std::string& value, BetRequest& bet) {
    if (option == "--steps")
        bet.steps = static_cast<int>(wholeOptionValue(option, value, 1, kMaxBetSteps));
    else if (option == "--random")
        bet.randomRuns = static_cast<int>(wholeOptionValue(option, value, 0, kMaxRandomRuns));
    else if (option == "--seed")
        bet.seed = wholeOptionValue(option, value, 0, UINT64_MAX);
    else
        return false;
    return true;
}

std::vector<OptionSpec> runOptions() {
    return {{"--steps", "M", "检验的期数"},
            {"--random", "R", "随机选号对照的次数"},
            {"--seed", "S", "随机数的种子"}};
}

play::Play playOption(const std::string& code) {
    if (const auto p = play::playOfCode(code)) return *p;
    throw UsageError{"--play 是 q1、r2、r3、r4、r5、r6、r7、r8、q2d、q2g、q3d、q3g 之一，不是“" +
                     code + "”"};
}

} // namespace app
