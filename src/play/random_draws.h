#pragma once
// The same tickets on uniformly random draws: what the tickets bought in each tested period would
// have won had every draw been uniformly random. A shrunk bet is set against this, not against as
// many tickets bought at random: the tickets a filter keeps overlap (all hold its 胆), so their
// wins swing far more than random tickets' do, and only the same tickets on random draws say how
// often chance alone gives a record like the real one.

#include "history/progress.h"
#include "play/money.h"

#include <cstdint>
#include <vector>

namespace play {

// Work (period × possible win counts) up to which the distribution is worked out exactly.
constexpr std::int64_t kExactDrawWork = 40'000'000;

// Sets result.random and the band of result.curve (5 % and 95 % of the net so far) from the
// tickets of `periods` on uniformly random draws; result holds moneyFigures of the same periods
// without random runs. The wins of a period's tickets on a random draw take each value with the
// share of the play's equally likely outcomes that give it, the periods independent: their sum is
// worked out exactly, one period after another, when that takes at most exactWork steps (the
// figures are then marked exact and runs is 0); otherwise options.runs histories of random draws
// are played (seeded as the random runs, on up to `threads` threads). Nothing is set when
// options.runs is 0. False when progress cancelled.
bool compareWithRandomDraws(const SelectionSet& selections, int prize,
                            const std::vector<BetPeriod>& periods, const RandomOptions& options,
                            MoneyResult& result, history::Progress& progress, unsigned threads = 0,
                            std::int64_t exactWork = kExactDrawWork,
                            size_t bandBudget = kBandBudget);

} // namespace play
