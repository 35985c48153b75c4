#pragma once
// Chasing a selection over several periods (追号) and raising the stake after each loss (倍投):
// the multiplier schedules players use, the calculator table they read, and the exact figures it
// leaves out: the chance of still having no win after each period, and the expected net of a
// chase, which no schedule can make positive.

#include "play/plays.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace play {

constexpr int kMaxChase = 200;
constexpr std::int64_t kDefaultMaxMultiplier = 10000;

// How the multiplier of the i-th period of a chase is set.
struct Schedule {
    enum class Kind { Fixed, Double, List, Profit };
    Kind kind = Kind::Fixed;
    std::int64_t start = 1;         // fixed: every period; double and profit: the least
    std::vector<std::int64_t> list; // list: the i-th period's, the last one repeated
    int ratePercent = 0;            // profit: the least profit rate of a win, in %
};

// Reads fixed:m, double[:m], list:1,1,2,3 or profit:R[:m]; the error says what is wrong.
struct ParsedSchedule {
    std::optional<Schedule> schedule;
    std::string error;
};
ParsedSchedule parseSchedule(const std::string& text);
// The schedule as it is written on the command line.
std::string scheduleText(const Schedule& schedule);

// The multipliers of a chase's periods 1..length when `tickets` tickets are bought each period
// and a win pays `prize` per multiplier, every multiplier at most maxMultiplier. A profit
// schedule that needs more than the cap (or can never reach its rate) fails at that period.
struct Multipliers {
    std::vector<std::int64_t> values;
    std::optional<int> failedAt; // 1-based period
    bool unreachable = false;    // no multiplier at all reaches the rate there
};
Multipliers chaseMultipliers(const Schedule& schedule, int length, int tickets, int prize,
                             std::int64_t maxMultiplier);

// A row of the calculator: the i-th period of a chase not yet won.
struct ChaseRow {
    int i = 0;
    std::int64_t multiplier = 0;
    std::int64_t stake = 0;  // 本期投入
    std::int64_t staked = 0; // 累计投入
    std::int64_t prize = 0;  // 中奖奖金: one winning ticket at this multiplier
    std::int64_t profit = 0; // 中奖盈利 = prize - staked
    double profitRate = 0;   // profit / staked
    double noWinYet = 0;     // the chance that periods 1..i all lost
};

struct ChaseTable {
    std::vector<ChaseRow> rows;
    double winChance = 0; // q: the chance that the tickets win in a period
    // The exact expected net of one chase: what each period stakes, times the chance of getting
    // there, times the stake's expected return less one.
    double expectedNet = 0;
    double expectedStaked = 0;
};

// Whether the schedule moves on to its next multiplier only after a losing period: doubling
// doubles after each loss, and a won period (of a chase that goes on after a win) leaves the
// multiplier as it was. The others take the i-th period's multiplier whatever happened.
inline bool raisedOnLossOnly(const Schedule& schedule) {
    return schedule.kind == Schedule::Kind::Double;
}

// The table of a chase. winChance is q; ticketReturn is what one yuan staked returns on average
// (prize × p ÷ price). Without stopOnWin every period is bought whatever happened before, at the
// multiplier of its period, or with raisedOnLossOnly at the one of the losses before it.
ChaseTable chaseTable(const std::vector<std::int64_t>& multipliers, int tickets, int prize,
                      double winChance, double ticketReturn, bool stopOnWin,
                      bool raisedOnLossOnly = false);

// The chance that at least one of the tickets wins in a period, over every draw.
double chanceOfAnyWin(const SelectionSet& selections, const std::vector<std::uint32_t>& tickets);

} // namespace play
