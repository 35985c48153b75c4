#pragma once
// The ledger of the recorded tickets: per day or month of the draw and over all, what the settled
// periods staked and won, what exactly those tickets were expected to make, and how often luck
// alone does at least as well on uniformly random draws.

#include "play/ticket_record.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace play {

// One settled (won or lost) period of a record.
struct LedgerItem {
    const TicketRecord* record = nullptr;
    SettledPeriod period;
};

// The chance that the same tickets on uniformly random draws win at least as much as they did:
// P(X >= x), a tie counted for luck. Exact (every period's draws enumerated and the periods'
// winnings convolved) unless the sums take too many values; then simulated with the stated seed
// and runs, as (runs at least as good + 1) / (runs + 1).
struct LuckChance {
    double atLeast = 1;
    bool simulated = false;
    int runs = 0;
    std::uint64_t seed = 0;
};

struct LedgerLine {
    std::string label; // "2026-12-09", "2026-12" or "全部"
    int periods = 0;   // draw periods
    std::int64_t tickets = 0;
    std::int64_t stakedFen = 0;
    std::int64_t wonFen = 0;
    double expectedNetFen = 0; // each ticket's exact chance x prize, less its price
    LuckChance luck;

    std::int64_t netFen() const { return wonFen - stakedFen; }
    std::optional<double> returnRate() const {
        if (stakedFen == 0) return std::nullopt;
        return static_cast<double>(wonFen) / static_cast<double>(stakedFen);
    }
};

enum class LedgerGrouping { Day, Month };

// The day of a period's draw, "2026-12-09", and its month, "2026-12".
std::string drawDayText(int period);
std::string drawMonthText(int period);

// The expected net of one period of a record, in fen.
double expectedNetFen(const TicketRecord& record, int multiplier, const Prizes& prizes);

// The line of the items given (any periods), labelled.
LedgerLine ledgerLine(const std::string& label, const std::vector<LedgerItem>& items,
                      const Prizes& prizes);
// A line per day or month in order of the draws, then the line of them all ("全部").
std::vector<LedgerLine> ledgerLines(const std::vector<LedgerItem>& items, LedgerGrouping by,
                                    const Prizes& prizes);

// The runs and seed of the simulation when the exact sum is too large.
inline constexpr int kLuckRuns = 20000;
inline constexpr std::uint64_t kLuckSeed = 20240601;

LuckChance luckChance(const std::vector<LedgerItem>& items, const Prizes& prizes);

// The bankroll after each settled draw period in order: the net so far and the expected net so
// far, in fen.
struct BankrollPoint {
    int period = 0;
    std::int64_t netFen = 0;
    double expectedFen = 0;
};
std::vector<BankrollPoint> bankroll(const std::vector<LedgerItem>& items, const Prizes& prizes);

// What the ledger does not prove, one line for every view of it.
extern const char* const kLedgerCaveat;

} // namespace play
