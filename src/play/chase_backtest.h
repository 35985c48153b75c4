#pragma once
// What a chase plan would really have done over the tested periods: chases one after another,
// each on the tickets bought at its start, the stake paid from the bankroll before each period,
// and the same plan on tickets bought at random again and again, to see where it stands and how
// often such a plan is ruined.

#include "history/progress.h"
#include "play/chase_plan.h"
#include "play/money.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace play {

// Each chase buys its periods at the schedule's multipliers; without stopOnWin a won chase goes
// on to its length, the multiplier of a schedule raised on losses only (raisedOnLossOnly) left as
// it was after a won period.
struct ChasePlan {
    Schedule schedule;
    int length = 10; // 追号期数
    std::int64_t maxMultiplier = kDefaultMaxMultiplier;
    bool stopOnWin = true;
    std::optional<std::int64_t> bankroll; // yuan; none: never ruined
};

struct ChaseRandomFigures {
    int runs = 0;
    double netMean = 0;
    // The share of runs the plan did better than, a tie counting half (below + equal / 2), and
    // the shares of runs whose net is below, equal to and above the plan's.
    double percentile = 0;
    double below = 0, equal = 0, above = 0;
    double ruinShare = 0; // the share of runs ruined within the tested periods
};

struct ChaseBacktest {
    bool cancelled = false;
    // A profit schedule that cannot reach its rate within the cap: the period of the chase, and
    // the ticket count it was set for. Nothing else is filled then.
    std::optional<int> failedAt;
    bool unreachable = false;
    int failedTickets = 0;

    std::int64_t steps = 0;  // tested periods
    std::int64_t played = 0; // periods bought before the end or the ruin
    std::int64_t chases = 0, chasesWon = 0, chasesLost = 0;
    std::int64_t chasesOpen = 0;     // still running at the last tested period
    std::int64_t chasesCutShort = 0; // stopped by the bankroll before a win
    // chases = chasesWon + chasesLost + chasesOpen + chasesCutShort
    std::optional<std::int32_t> ruinedAt; // stored id of the period that could not be paid
    std::optional<size_t> ruinedIndex;    // its tested period (0 = the first)
    std::int64_t staked = 0, won = 0, net = 0;
    std::optional<double> returnRate; // won ÷ staked; nothing when nothing was staked
    double expectedReturnRate = 0;    // prize × p ÷ price, whatever the schedule
    std::int64_t maxDrawdown = 0;
    std::int64_t maxStake = 0;     // the largest stake of one period
    std::int64_t longestChase = 0; // periods
    std::optional<ChaseRandomFigures> random;
    // The net so far after tested periods, evenly over them; after a ruin it stays. low and high
    // are 5 % and 95 % of the random runs' (the plan's own net without runs).
    std::vector<MoneyPoint> curve;
};

// Runs the plan over periods (each with the tickets the pick would buy at it; a chase takes the
// tickets of its first period, and a period without any starts no chase). Random runs go on up to
// `threads` threads (0: every core), the same seed giving the same runs whatever the count;
// progress counts random runs.
ChaseBacktest chaseBacktest(const SelectionSet& selections, int prize, const ChasePlan& plan,
                            const std::vector<BetPeriod>& periods, const RandomOptions& random,
                            history::Progress& progress, unsigned threads = 0,
                            size_t bandBudget = kBandBudget);

} // namespace play
