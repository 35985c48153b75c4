// When the omission alerts fire: each rule followed draw by draw over the draws stored at once, so
// that a selection crossing its threshold at an early draw of the batch is told with that draw's
// period, even when a later draw of the batch brings it back under.

#include "workspace/omission_alerts.h"

#include "play/play_table.h"
#include "search/omission.h"

#include <algorithm>

namespace app {

namespace {

bool meets(const AlertRule& rule, std::int64_t current, double average) {
    const double measure =
        rule.byRatio ? (average > 0 ? static_cast<double>(current) / average : 0) : current;
    return measure >= rule.threshold;
}

double averageOver(size_t periods, std::int64_t count) {
    return static_cast<double>(periods) / static_cast<double>(count + 1);
}

std::string twoDigits(int value) {
    return std::string(value < 10 ? "0" : "") + std::to_string(value);
}

// A play's selections, walked once through the whole history: after each row of the batch, the
// figures of each selection are those the play's table over the rows so far would give.
void playCrossings(size_t r, const AlertRule& rule, const AlertHistory& history, size_t before,
                   std::vector<FiredAlert>& fired) {
    const play::SelectionSet& set = play::selectionsOf(*rule.play);
    std::vector<std::uint32_t> watched;
    std::vector<std::string> names(set.size());
    for (std::uint32_t s = 0; s < set.size(); ++s) {
        names[s] = play::selectionText(set[s]);
        if (rule.selection.empty() || names[s] == rule.selection) watched.push_back(s);
    }
    if (watched.empty()) return;
    std::vector<std::int64_t> lastWin(set.size(), -1), count(set.size(), 0);
    std::vector<char> met(set.size(), 0);
    // After the first `end` rows; a crossing is told only after a row of the batch.
    const auto look = [&](size_t end, bool tell) {
        for (std::uint32_t s : watched) {
            const auto current = static_cast<std::int64_t>(end) - 1 - lastWin[s];
            const double average = averageOver(end, count[s]);
            const bool now = end > 0 && meets(rule, current, average);
            if (tell && now && !met[s])
                fired.push_back(
                    {r, {names[s], current, average}, end - 1, history.rows[end - 1].period});
            met[s] = now;
        }
    };
    std::vector<std::uint32_t> winners;
    if (before == 0) look(0, false);
    for (size_t i = 0; i < history.end; ++i) {
        set.winners(history.rows[i].numbers(), winners);
        for (std::uint32_t s : winners) {
            lastWin[s] = static_cast<std::int64_t>(i);
            ++count[s];
        }
        if (i + 1 >= before) look(i + 1, i + 1 > before);
    }
}

// A kind at a position: one omission table over the whole history; after each row of the batch a
// value's current omission is the table's at that row, its count the whole count less the rows
// after it that carry the value.
void kindCrossings(size_t r, const AlertRule& rule, const AlertHistory& history, size_t before,
                   std::vector<FiredAlert>& fired) {
    if (history.end == 0) return;
    const search::OmissionTable table(history.rows, omissionRequest(rule, history), history.zodiac);
    const size_t first = table.firstRow();
    if (table.periods() != history.end - first || first > before) return;
    const size_t steps = history.end - before;
    std::vector<std::int64_t> countAfter(steps + 1);
    for (size_t v = 0; v < table.summary().size(); ++v) {
        const auto& value = table.summary()[v];
        if (!rule.selection.empty() && std::to_string(value.value) != rule.selection) continue;
        // The value's count over the first before + k rows, for k = steps down to 0.
        std::int64_t count = value.count;
        countAfter[steps] = count;
        for (size_t k = steps; k > 0; --k) {
            if (table.carries(before + k - 1 - first, v)) --count;
            countAfter[k - 1] = count;
        }
        const auto figuresAt = [&](size_t k) {
            const size_t end = before + k;
            return std::pair{table.omission(end - 1 - first, v),
                             averageOver(end - first, countAfter[k])};
        };
        bool met = false;
        if (before > first) {
            const auto [current, average] = figuresAt(0);
            met = meets(rule, current, average);
        }
        const std::string name =
            rule.kind == history::Number ? twoDigits(value.value) : std::to_string(value.value);
        for (size_t k = 1; k <= steps; ++k) {
            const auto [current, average] = figuresAt(k);
            const bool now = meets(rule, current, average);
            const size_t row = before + k - 1;
            if (now && !met)
                fired.push_back({r, {name, current, average}, row, history.rows[row].period});
            met = now;
        }
    }
}

// A streak rule: its run reaches the length with a draw of the batch (a run grows one draw at a
// time, so it crosses exactly when it is that long).
void streakCrossings(size_t r, const AlertRule& rule, const AlertHistory& history, size_t before,
                     std::vector<FiredAlert>& fired) {
    for (size_t end = before + 1; end <= history.end; ++end) {
        const auto run = search::currentRun(*rule.streak, history.rows, end);
        if (static_cast<double>(run.length) != rule.threshold) continue;
        const AlertHistory at{history.rows,        end,
                              history.zodiac,      history.zodiacBase,
                              history.segmentBase, history.drawsPerDay};
        for (auto& met : meetingSelections(rule, at))
            fired.push_back({r, std::move(met), end - 1, history.rows[end - 1].period});
    }
}

} // namespace

std::vector<FiredAlert> crossedAlerts(const std::vector<AlertRule>& rules,
                                      const AlertHistory& history, size_t before) {
    std::vector<FiredAlert> fired;
    if (before >= history.end) return fired;
    for (size_t r = 0; r < rules.size(); ++r) {
        if (rules[r].streak)
            streakCrossings(r, rules[r], history, before, fired);
        else if (rules[r].play)
            playCrossings(r, rules[r], history, before, fired);
        else
            kindCrossings(r, rules[r], history, before, fired);
    }
    // In the order of the draws; within a draw, of the rules and their selections.
    std::stable_sort(fired.begin(), fired.end(),
                     [](const FiredAlert& a, const FiredAlert& b) { return a.row < b.row; });
    return fired;
}

std::string alertNotice(const AlertRule& rule, const FiredAlert& fired,
                        const std::string& periodText) {
    return "遗漏提醒 第" + periodText + "期：" + alertRuleWords(rule) + "，" +
           fired.selection.selection + " 遗漏" + std::to_string(fired.selection.current) + "期";
}

} // namespace app
