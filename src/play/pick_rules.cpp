#include "play/pick_rules.h"

#include "play/play_table.h"

#include <algorithm>

namespace play {

size_t firstTestedRow(size_t rowCount, int steps) {
    if (rowCount < 2 || steps <= 0) return rowCount;
    return rowCount - std::min(static_cast<size_t>(steps), rowCount - 1);
}

std::vector<BetPeriod> testedPeriods(const std::vector<history::HistoryRow>& rows, size_t first) {
    std::vector<BetPeriod> periods;
    periods.reserve(rows.size() > first ? rows.size() - first : 0);
    for (size_t i = first; i < rows.size(); ++i)
        periods.push_back({rows[i].period, i, rows[i].numbers(), {}});
    return periods;
}

void buyFixed(std::vector<BetPeriod>& periods, const std::vector<std::uint32_t>& tickets) {
    for (auto& period : periods) period.tickets = tickets;
}

bool buyByTemperature(std::vector<BetPeriod>& periods, const SelectionSet& selections,
                      const std::vector<history::HistoryRow>& rows, Temperature temperature,
                      history::Progress& progress) {
    // Over the rows before a period, a selection's current omission is the rows since its last
    // win: the largest omission is the earliest last win (never = -1), the smallest the latest.
    LastWins last(selections);
    progress.setTotal(periods.size());
    for (size_t p = 0; p < periods.size(); ++p) {
        last.advance(rows, periods[p].row);
        const auto& lastWin = last.lastWin();
        const auto chosen = temperature == Temperature::Coldest
                                ? std::min_element(lastWin.begin(), lastWin.end())
                                : std::max_element(lastWin.begin(), lastWin.end());
        periods[p].tickets = {static_cast<std::uint32_t>(chosen - lastWin.begin())};
        if ((p & 63) == 63 && !progress.advance(p + 1)) return false;
    }
    return progress.advance(periods.size());
}

int searchTicketSize(Play play) {
    const PlayInfo& p = info(play);
    return p.ordered ? 0 : p.size;
}

std::optional<std::uint32_t> ticketOfTopNumbers(const SelectionSet& selections,
                                                const std::vector<int>& top) {
    const int size = searchTicketSize(selections.play());
    if (size == 0 || static_cast<int>(top.size()) < size) return std::nullopt;
    std::vector<int> numbers(top.begin(), top.begin() + size);
    std::sort(numbers.begin(), numbers.end());
    Selection s;
    s.size = static_cast<std::uint8_t>(size);
    for (int i = 0; i < size; ++i) {
        if (numbers[i] < 1 || numbers[i] > 11) return std::nullopt;
        s.numbers[i] = static_cast<std::uint8_t>(numbers[i]);
    }
    return selections.indexOf(s);
}

} // namespace play
