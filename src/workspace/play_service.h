#pragma once
// The plays (玩法) for the window and the command line: a play's omission table over a span, and
// the money back-test of a way of picking tickets, without changing anything stored.

#include "history/progress.h"
#include "play/money.h"
#include "play/pick_rules.h"
#include "play/play_table.h"
#include "workspace/backtest_service.h"
#include "workspace/search_service.h"
#include "workspace/workspace.h"

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace app {

enum class PickRule { Fixed, Coldest, Hottest, Search };

struct BetRequest {
    play::Play play = play::Play::Front1;
    PickRule rule = PickRule::Coldest;
    std::vector<std::string> tickets; // Fixed: the tickets as typed
    // Search: the pattern search over positions, or the combination search, under the settings.
    search::SearchType searchType = search::SearchType::Pattern;
    std::array<bool, 5> positions{true, true, true, true, true};
    int steps = 100;
    int randomRuns = 1000;
    std::uint64_t seed = 1;
};

constexpr int kMaxBetSteps = kMaxBacktestSteps;
constexpr int kMaxRandomRuns = 100000;

// The rule in words.
std::string pickRuleName(PickRule rule);

struct BetResult {
    play::Play play = play::Play::Front1;
    PickRule rule = PickRule::Coldest;
    int prize = 0;
    std::int64_t skipped = 0; // search rule: tested periods whose search found nothing
    std::vector<play::BetPeriod> periods;
    play::MoneyResult money;
};

// A play's table with what it was computed over.
struct PlayTableResult {
    std::unique_ptr<play::PlayTable> table;
    size_t firstRow = 0; // the span's first row in the history
};

// The figures of a bet as the window and the command line show them: label and text.
std::vector<std::pair<std::string, std::string>> betFigureLines(const BetResult& result);
// Where a bet stands among the random runs, as two figure lines: the share of runs it did better
// than, a tie counting half, and the shares below, equal and above it. `what` names the bet
// ("本规则"), `runs` the comparison ("随机投注").
std::vector<std::pair<std::string, std::string>> rankLines(const std::string& runs,
                                                           const std::string& what, double midRank,
                                                           double below, double equal,
                                                           double above);

// A play's table columns as the window and the command line show them.
std::vector<std::string> playTableHeader();
// The text of a column of a selection's row; period ids as the history grid shows them.
std::string playTableCell(const Workspace& workspace, const play::PlayTable& table,
                          std::uint32_t selection, int column);
// The value a column sorts by (selection order for the selection's own column).
double playTableSortKey(const play::PlayTable& table, std::uint32_t selection, int column);

// Reads typed tickets of a play into selection indexes; each ticket at most once.
Outcome readTickets(play::Play play, const std::vector<std::string>& texts,
                    std::vector<std::uint32_t>& tickets);

class PlayService {
  public:
    PlayService(Workspace& workspace, SearchService& searches)
        : workspace_(workspace), searches_(searches) {}

    // The table over the stored ids [from, to] (the whole history when both are empty).
    Outcome table(play::Play play, std::optional<int> from, std::optional<int> to,
                  PlayTableResult& result);

    // The tested periods of a back-test with the tickets the rule buys in each, without the
    // money figures. A cancelled run fails with no message and sets money.cancelled.
    Outcome buy(const BetRequest& request, history::Progress& progress, BetResult& result);

    // The money back-test. A cancelled run fails with no message and sets money.cancelled.
    Outcome bet(const BetRequest& request, history::Progress& progress, BetResult& result);

  private:
    Workspace& workspace_;
    SearchService& searches_;
};

} // namespace app
