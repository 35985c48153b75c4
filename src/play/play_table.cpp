#include "play/play_table.h"

#include <algorithm>
#include <numeric>

namespace play {

PlayTable::PlayTable(const SelectionSet& selections, const std::vector<history::HistoryRow>& rows,
                     size_t first, size_t last)
    : selections_(selections), chance_(play::chance(selections.play())) {
    last = std::min(last, rows.size());
    periods_ = last > first ? last - first : 0;
    const size_t n = selections.size();
    // Per selection, while walking the span (span indexes): its last win (-1 before any), its
    // current winning run, the losing run before its last win, the longest losing run so far and
    // where it starts, and the longest winning run. Kept apart so the walk touches little memory.
    struct Walk {
        std::int32_t lastWin = -1, run = 0, previous = 0, longest = 0, longestFrom = 0, maxRun = 0;
        std::int32_t count = 0;
    };
    std::vector<Walk> walk(n);
    std::vector<std::uint32_t> winners;
    for (size_t i = 0; i < periods_; ++i) {
        selections.winners(rows[first + i].numbers(), winners);
        const auto at = static_cast<std::int32_t>(i);
        for (std::uint32_t s : winners) {
            Walk& w = walk[s];
            const std::int32_t gap = at - w.lastWin - 1;
            // The latest run wins ties: runs are seen in time order.
            if (gap > 0 && gap >= w.longest) w.longest = gap, w.longestFrom = w.lastWin + 1;
            w.previous = gap;
            w.run = gap == 0 && w.lastWin >= 0 ? w.run + 1 : 1;
            w.maxRun = std::max(w.maxRun, w.run);
            ++w.count;
            w.lastWin = at;
        }
    }
    const auto periods = static_cast<std::int64_t>(periods_);
    figures_.assign(n, {});
    for (size_t s = 0; s < n; ++s) {
        const Walk& w = walk[s];
        SelectionFigures& f = figures_[s];
        f.count = w.count;
        f.current = periods - 1 - w.lastWin;
        std::int64_t longest = w.longest, from = w.longestFrom;
        if (f.current > 0 && f.current >= longest) longest = f.current, from = w.lastWin + 1;
        f.max = longest;
        if (longest > 0) {
            f.maxFrom = first + static_cast<size_t>(from);
            f.maxTo = first + static_cast<size_t>(from + longest - 1);
        }
        if (w.lastWin >= 0) f.previous = w.previous;
        f.maxRun = w.maxRun;
        f.expected = static_cast<double>(periods) * chance_;
        f.average = static_cast<double>(periods) / static_cast<double>(f.count + 1);
        f.ratio = f.average > 0 ? static_cast<double>(f.current) / f.average : 0;
    }
}

std::vector<std::uint32_t> PlayTable::order(TableSort sort) const {
    std::vector<std::uint32_t> order(figures_.size());
    std::iota(order.begin(), order.end(), 0u);
    auto key = [&](std::uint32_t s) -> double {
        const SelectionFigures& f = figures_[s];
        switch (sort) {
        case TableSort::Current:
            return static_cast<double>(f.current);
        case TableSort::Count:
            return static_cast<double>(f.count);
        case TableSort::Max:
            return static_cast<double>(f.max);
        case TableSort::Ratio:
            return f.ratio;
        default:
            return 0;
        }
    };
    if (sort != TableSort::Selection)
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return key(a) > key(b); });
    return order;
}

std::int64_t PlayTable::largestCurrent() const {
    std::int64_t largest = 0;
    for (const auto& f : figures_) largest = std::max(largest, f.current);
    return largest;
}

LastWins::LastWins(const SelectionSet& selections)
    : selections_(selections), last_(selections.size(), -1) {}

void LastWins::advance(const std::vector<history::HistoryRow>& rows, size_t end) {
    end = std::min(end, rows.size());
    for (; done_ < end; ++done_) {
        selections_.winners(rows[done_].numbers(), winners_);
        for (std::uint32_t s : winners_) last_[s] = static_cast<std::int64_t>(done_);
    }
}

} // namespace play
