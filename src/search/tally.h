#pragma once
// The tally of a search: how often each value of the result kind stands at the five positions of
// the hit periods, as the table Carcu holds it and the result grid shows it.

#include "history/history_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace search {

struct TallyRow {
    int value = 0; // Nmb
    std::int64_t count = 0;
};

struct Tally {
    history::Kind resultKind = history::Number;
    int zodiacBase = 1;
    std::int64_t hitPeriods = 0;
    std::int64_t total = 0; // five positions per hit period
    // One row per value of the result kind, ascending: the rows of Carcu.
    std::vector<TallyRow> byValue;
    // The same rows by count, largest first; equal counts by ascending value.
    std::vector<TallyRow> byCount;
};

// The values a result kind can take, ascending (zodiac and segment include their base).
std::vector<int> resultValues(history::Kind resultKind, int zodiacBase, int segmentBase);

Tally tallyHits(const std::vector<history::HistoryRow>& rows,
                const std::vector<std::uint32_t>& hits, history::Kind resultKind, int zodiacBase,
                int segmentBase);

// count × 100 ÷ total with three decimals, rounded half away from zero, and "%"; empty when
// there is no hit.
std::string percentText(std::int64_t count, std::int64_t total);

// A value as the grids show it: the animal's name for zodiac values, else decimal.
std::string valueText(int kind, int value, int zodiacBase);

} // namespace search
