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
        // A long catch-up (a whole history imported) is followed over its newest draws only.
        const auto from = std::max(static_cast<size_t>(first - rows.begin()),
                                   rows.size() > kAlertDraws ? rows.size() - kAlertDraws : 0);
        news.alerts = crossedAlerts(news.rules, alertHistory(rows.size()), from);
        const history::Game shown = workspace_.settings().game;
        for (const auto& fired : news.alerts)
            news.alertNotices.push_back(
                news.rules[fired.rule].streak
                    ? streakAlertNotice(news.rules[fired.rule], fired.selection,
                                        history::gameName(shown))
                    : alertNotice(news.rules[fired.rule], fired,
                                  history::gridPeriodText(fired.period, shown)));
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
    return {workspace_.rows(), end,           workspace_.zodiac(),
            s.zodiacBase,      s.segmentBase, history::drawsPerDay(s.game)};
}

std::vector<AlertRule> LiveService::rules() const {
    return parseAlertRules(workspace_.settings().alertRules);
}

std::vector<AlertSelection> LiveService::meetingNow(const AlertRule& rule) const {
    return meetingSelections(rule, alertHistory(workspace_.rows().size()));
}

std::vector<AlertRuleItem> LiveService::ruleItems() const {
    return alertRuleItems(workspace_.settings().alertRules);
}

Outcome LiveService::addRule(const std::string& text) {
    const ParsedRule parsed = parseAlertRule(text);
    if (!parsed.rule) return Outcome::failure(parsed.error);
    const Settings& s = workspace_.settings();
    if (auto problem = alertValueProblem(*parsed.rule, s.zodiacBase, s.segmentBase))
        return Outcome::failure(*problem);
    const std::string added = alertRuleText(*parsed.rule);
    const auto error = workspace_.settingsFile().change(
        "AlertRules", [&](std::string& setting) -> std::optional<std::string> {
            for (const auto& item : alertRuleItems(setting))
                if (item.rule && item.text == added)
                    return "已有这条提醒规则：" + alertRuleLabel(*item.rule);
            setting += (setting.empty() ? "" : ";") + added;
            return std::nullopt;
        });
    return error ? Outcome::failure(*error) : Outcome::success();
}

Outcome LiveService::removeRule(size_t index, const std::string& shown) {
    const auto error = workspace_.settingsFile().change(
        "AlertRules", [&](std::string& setting) -> std::optional<std::string> {
            auto items = alertRuleItems(setting);
            size_t at = index;
            if (!shown.empty() && (at >= items.size() || items[at].text != shown)) {
                const auto found =
                    std::find_if(items.begin(), items.end(),
                                 [&](const AlertRuleItem& item) { return item.text == shown; });
                if (found == items.end())
                    return "这条提醒规则已经不在了（另一个窗口或命令改过提醒规则）：" + shown;
                at = static_cast<size_t>(found - items.begin());
            }
            if (at >= items.size())
                return "没有第" + std::to_string(index + 1) + "条提醒规则（共" +
                       std::to_string(items.size()) + "条）";
            items.erase(items.begin() + static_cast<long>(at));
            setting = alertItemsText(items);
            return std::nullopt;
        });
    return error ? Outcome::failure(*error) : Outcome::success();
}

} // namespace app
