#pragma once
// Ways of picking a play's tickets period by period, each choosing a period's tickets from the
// draws before that period alone: the same tickets every period, the coldest or the hottest
// selection of the play table, or the top numbers of a search's result grid.

#include "history/history_table.h"
#include "history/progress.h"
#include "play/money.h"
#include "play/plays.h"

#include <cstdint>
#include <vector>

namespace play {

// The first tested row when the last `steps` periods are tested: every tested period has at
// least one earlier draw. rowCount when nothing can be tested.
size_t firstTestedRow(size_t rowCount, int steps);

// The tested periods [first, rows.size()) with no tickets yet.
std::vector<BetPeriod> testedPeriods(const std::vector<history::HistoryRow>& rows, size_t first);

// The same tickets (selection indexes, distinct) in every tested period.
void buyFixed(std::vector<BetPeriod>& periods, const std::vector<std::uint32_t>& tickets);

// The selection whose current omission over the whole history before each tested period is the
// largest (coldest) or the smallest (hottest); ties go to the first in selection order. Cancelled
// through progress (counting tested periods): false.
enum class Temperature { Coldest, Hottest };
bool buyByTemperature(std::vector<BetPeriod>& periods, const SelectionSet& selections,
                      const std::vector<history::HistoryRow>& rows, Temperature temperature,
                      history::Progress& progress);

// How many of a search's top numbers make the play's ticket: 1 for 前一, the set size for 任选,
// 2 or 3 for 组选; 0 for the 直选 plays, which a set of numbers cannot make.
int searchTicketSize(Play play);

// The ticket made of the first searchTicketSize numbers of a tested period's result grid (values
// 1..11, best first); nothing when there are fewer.
std::optional<std::uint32_t> ticketOfTopNumbers(const SelectionSet& selections,
                                                const std::vector<int>& top);

} // namespace play
