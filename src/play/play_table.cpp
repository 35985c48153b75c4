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
    figures_.assign(n, {});
    // Per selection, while walking the span: the span index of its last win (-1 before any),
    // the current winning run, the length and start of the losing run before its last win.
    std::vector<std::int64_t> lastWin(n, -1), run(n, 0);
    std::vector<std::uint32_t> winners;
    auto noteLosingRun = [&](SelectionFigures& f, std::int64_t from, std::int64_t length) {
        // The latest run wins ties: runs are seen in time order.
        if (length > 0 && length >= f.max) {
            f.max = length;
            f.maxFrom = first + static_cast<size_t>(from);
            f.maxTo = first + static_cast<size_t>(from + length - 1);
        }
    };
    for (size_t i = 0; i < periods_; ++i) {
        selections.winners(rows[first + i].numbers(), winners);
        const auto at = static_cast<std::int64_t>(i);
        for (std::uint32_t s : winners) {
            SelectionFigures& f = figures_[s];
            const std::int64_t gap = at - lastWin[s] - 1;
            noteLosingRun(f, lastWin[s] + 1, gap);
            f.previous = gap;
            run[s] = gap == 0 && lastWin[s] >= 0 ? run[s] + 1 : 1;
            f.maxRun = std::max(f.maxRun, run[s]);
            ++f.count;
            lastWin[s] = at;
        }
    }
    const auto periods = static_cast<std::int64_t>(periods_);
    for (size_t s = 0; s < n; ++s) {
        SelectionFigures& f = figures_[s];
        f.current = periods - 1 - lastWin[s];
        noteLosingRun(f, lastWin[s] + 1, f.current);
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
