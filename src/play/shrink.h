#pragma once
// Shrinking a bet (缩水): conditions that cut a play's tickets down, the tickets they keep for the
// next period, and how often each condition held on the real draws, each period judged as if it
// were the one bet on (its own previous draw, its own last periods). A condition looks only at a
// ticket's numbers as a set, so the order of a 前三直选 ticket never matters to it.

#include "history/history_table.h"
#include "play/plays.h"
#include "search/shape.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace play {

enum class ConditionKind {
    Dan,  // 胆码: at least `atLeast` of `numbers`
    Kill, // 杀号: none of `numbers`
    Sum,
    Span,
    Odd,
    Big,
    Prime,
    Consecutive,
    Repeat,       // against the previous draw
    Neighbour,    // against the previous draw
    Route,        // 012路: one of `routes` (r0·100 + r1·10 + r2)
    ExcludeDrawn, // drop the tickets that won in any of the last `low` periods
    DanGroup,     // a group of 胆: between `low` and `high` of `numbers`
    Ac,           // AC值: distinct positive differences minus (count - 1)
    SumTail,      // 和尾: the sum mod 10 is one of `values`
    Min,          // the smallest number
    Max,          // the largest number
    PatternOdd,   // 直选 only: the per-position odd pattern is one of `patterns` ("110")
    PatternBig,   // 1 for 06..11
    PatternRoute, // the number mod 3
};
constexpr int kConditionKinds = 20;

struct Condition {
    ConditionKind kind = ConditionKind::Sum;
    search::NumberSet numbers = 0; // Dan, Kill
    int atLeast = 0;               // Dan
    int low = 0, high = 0;         // the ranges (inclusive); ExcludeDrawn: K in low
    std::vector<int> routes;       // Route
    std::vector<int> values{};     // SumTail
    std::vector<std::string>
        patterns{}; // PatternOdd, PatternBig, PatternRoute: one digit a position
};

// "dan", "kill", "sum", ..., "exclude_drawn": the names of the JSON and the options.
const char* conditionName(ConditionKind kind);
const char* conditionCaption(ConditionKind kind);
// The shape a range condition stands for; nothing for Dan, Kill, Route and ExcludeDrawn.
std::optional<search::Shape> conditionShape(ConditionKind kind);

// Whether what a condition keeps changes from period to period (the previous draw, the last
// periods' winners).
bool dependsOnPeriod(ConditionKind kind);

// The plays that can be shrunk: every play.
bool shrinkable(Play play);

// Whether a condition of this kind always holds under a tolerance (胆, 胆组 and 杀号 are never
// forgiven).
bool alwaysHolds(ConditionKind kind);

// Whether the kind reads the order of a 直选 ticket (the position patterns).
bool isPattern(ConditionKind kind);

// The AC value of a set of numbers: its distinct positive differences minus (count - 1).
int acValue(search::NumberSet numbers);

// What is wrong with a condition for the play's tickets (a range outside its kind's values, a
// number outside 01..11, ...); empty when nothing is.
std::string conditionProblem(Play play, const Condition& condition);

// Over the window, each period evaluated as the one bet on: `chance` is the mean over its periods
// of the chance that a uniformly random draw passes (some ticket kept then wins), the rate a
// condition with no edge would pass at; `ratio` is passRate ÷ chance (nothing when chance is 0).
struct ConditionFigures {
    std::int64_t kept = 0;
    double keptShare = 0;
    std::int64_t passed = 0; // window periods whose winning tickets satisfy it
    double passRate = 0;
    double chance = 0;
    std::optional<double> ratio;
};

struct ShrinkFigures {
    Play play = Play::Any5;
    std::int64_t total = 0;
    std::int64_t kept = 0;
    double keptShare = 0;
    std::int64_t window = 0; // periods the pass rates are over
    std::int64_t passed = 0;
    double passRate = 0;
    double chance = 0;
    std::optional<double> ratio;
    double pValue = 1; // of passed over window against chance, two-sided
    int tolerance = 0;
    // The next period's kept tickets by how many forgivable conditions they fail (0..tolerance).
    std::vector<std::int64_t> failures;
    std::vector<ConditionFigures> conditions;
    std::vector<std::uint32_t> tickets; // the kept selections for the period after the newest
};

// Tracks, period by period, the last periods' winners for the ExcludeDrawn conditions of a
// filter. Moving from one row to the next costs only that row's winners.
class ShrinkFilter {
  public:
    // A ticket is kept when every 胆, 胆组 and 杀号 condition holds and at most `tolerance` of the
    // others fail.
    ShrinkFilter(const SelectionSet& selections, std::vector<Condition> conditions,
                 const std::vector<history::HistoryRow>& rows, int tolerance = 0);

    // Makes row `row` the period bet on (rows before it are its past; `row` may be rows.size()
    // for the next period). Rows must only move forward between calls.
    void moveTo(size_t row);

    // Whether condition c (or every condition) holds for selection s in the current period.
    bool holds(size_t c, std::uint32_t s) const;
    bool holdsAll(std::uint32_t s) const;
    // How many forgivable conditions s fails, or -1 when one that always holds fails.
    int failures(std::uint32_t s) const;
    int tolerance() const { return tolerance_; }

    // The current period's kept selections, ascending.
    std::vector<std::uint32_t> kept() const;

    const std::vector<Condition>& conditions() const { return conditions_; }
    // The current period's previous draw as a set (none before the first row).
    search::NumberSet previous() const { return previous_; }

  private:
    void addRow(size_t c, size_t row, int sign);

    const SelectionSet& selections_;
    std::vector<Condition> conditions_;
    const std::vector<history::HistoryRow>& rows_;
    std::vector<search::NumberSet> masks_;
    int tolerance_ = 0;
    // Per condition, the accepted pattern codes (1 and the positions' digits in base 10), sorted.
    std::vector<std::vector<int>> patternCodes_;
    std::vector<std::vector<std::uint16_t>> recent_; // per condition (ExcludeDrawn only)
    size_t current_ = 0;
    bool started_ = false;
    search::NumberSet previous_ = 0;
    std::vector<std::uint32_t> winners_;
};

// Every figure of a filter over the last `window` periods of rows (each with a draw before it),
// the tickets kept for the period after the newest. The conditions must have no problem.
ShrinkFigures shrinkFigures(Play play, const std::vector<Condition>& conditions,
                            const std::vector<history::HistoryRow>& rows, int window,
                            int tolerance = 0);

// The pattern code of a 直选 ticket for a pattern kind: 1 followed by its digits ("110" -> 1110).
int patternCode(ConditionKind kind, const Selection& selection);

// The two-sided exact binomial p-value of k successes in n trials of chance p: the sum of the
// chances of every outcome no more likely than k.
double binomialTwoSided(std::int64_t n, double p, std::int64_t k);

} // namespace play
