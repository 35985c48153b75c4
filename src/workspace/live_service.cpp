#include "workspace/live_service.h"

#include "history/game_record.h"

#include <algorithm>

namespace app {

LiveService::LiveService(Workspace& workspace, NowFunction now, UpdateTimings timings)
    : workspace_(workspace),
      now_(now ? std::move(now) : [] { return std::chrono::system_clock::now(); }), plan_(timings) {
}

int LiveService::newestStored() const {
    const auto& rows = workspace_.rows();
    return rows.empty() ? 0 : rows.back().period;
}

ClockReading LiveService::clock() const {
    const history::Game game = workspace_.settings().game;
    return readClock(now_(), game, workspace_.settings().schedule(game), newestStored());
}

UpdateStep LiveService::updateStep() {
    const SystemTime now = now_();
    const history::Game game = workspace_.settings().game;
    return plan_.step(now,
                      readClock(now, game, workspace_.settings().schedule(game), newestStored()),
                      newestStored());
}

std::string LiveService::noticeText(const history::HistoryRow& row) const {
    const history::Game game = workspace_.settings().game;
    std::string text =
        history::gameName(game) + " 第" + history::gridPeriodText(row.period, game) + "期：";
    for (int i = 0; i < 5; ++i) {
        const int number = row.numbers()[static_cast<size_t>(i)];
        if (i > 0) text += ' ';
        text += static_cast<char>('0' + number / 10);
        text += static_cast<char>('0' + number % 10);
    }
    return text;
}

LiveNews LiveService::takeNews() {
    LiveNews news;
    const auto& rows = workspace_.rows();
    const int game = static_cast<int>(workspace_.settings().game);
    const int newest = newestStored();
    if (looked_ && game == seenGame_ && newest > seenNewest_) {
        auto first = std::upper_bound(
            rows.begin(), rows.end(), seenNewest_,
            [](int period, const history::HistoryRow& row) { return period < row.period; });
        news.draws.assign(first, rows.end());
        for (const auto& row : news.draws) news.notices.push_back(noticeText(row));
        news.rules = rules();
        news.alerts = crossedAlerts(news.rules, alertHistory(rows.size()),
                                    static_cast<size_t>(first - rows.begin()));
        for (const auto& fired : news.alerts)
            news.alertNotices.push_back(alertNotice(news.rules[fired.rule], fired.selection));
    }
    looked_ = true;
    seenGame_ = game;
    seenNewest_ = newest;
    return news;
}

} // namespace app

namespace app {

AlertHistory LiveService::alertHistory(size_t end) const {
    const Settings& s = workspace_.settings();
    return {workspace_.rows(), end, workspace_.zodiac(), s.zodiacBase, s.segmentBase};
}

std::vector<AlertRule> LiveService::rules() const {
    return parseAlertRules(workspace_.settings().alertRules);
}

std::vector<AlertSelection> LiveService::meetingNow(const AlertRule& rule) const {
    return meetingSelections(rule, alertHistory(workspace_.rows().size()));
}

Outcome LiveService::addRule(const std::string& text) {
    const ParsedRule parsed = parseAlertRule(text);
    if (!parsed.rule) return Outcome::failure(parsed.error);
    const Settings& s = workspace_.settings();
    if (auto problem = alertValueProblem(*parsed.rule, s.zodiacBase, s.segmentBase))
        return Outcome::failure(*problem);
    auto all = rules();
    for (const auto& rule : all)
        if (alertRuleText(rule) == alertRuleText(*parsed.rule))
            return Outcome::failure("已有这条提醒规则：" + alertRuleLabel(rule));
    all.push_back(*parsed.rule);
    return workspace_.setSetting("AlertRules", alertRulesText(all));
}

Outcome LiveService::removeRule(size_t index) {
    auto all = rules();
    if (index >= all.size())
        return Outcome::failure("没有第" + std::to_string(index + 1) + "条提醒规则（共" +
                                std::to_string(all.size()) + "条）");
    all.erase(all.begin() + static_cast<long>(index));
    return workspace_.setSetting("AlertRules", alertRulesText(all));
}

} // namespace app
