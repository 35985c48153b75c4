#pragma once
// A play's omission table (遗漏表): for every selection of the play, over a span of periods, how
// often it won, how often chance would have it win, and how long it has stayed without a win.

#include "history/history_table.h"
#include "play/plays.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace play {

struct SelectionFigures {
    std::int64_t count = 0;   // 出现次数: periods it wins
    double expected = 0;      // 理论次数: periods × p
    std::int64_t current = 0; // 本次遗漏: periods since its last win (periods if never)
    // 上次遗漏: the losing run just before its last win; nothing when it never won.
    std::optional<std::int64_t> previous;
    std::int64_t max = 0; // 最大遗漏: the longest losing run
    // Row indexes (into the history) of the first and last period of that run, the latest run on
    // ties; nothing when it never lost.
    std::optional<size_t> maxFrom, maxTo;
    double average = 0;      // 平均遗漏: periods ÷ (count + 1)
    double ratio = 0;        // 欲出几率: current ÷ average
    std::int64_t maxRun = 0; // 最大连出: the longest winning run
};

enum class TableSort { Selection, Current, Count, Max, Ratio };

class PlayTable {
  public:
    // The span [first, last) of rows (the ordered history).
    PlayTable(const SelectionSet& selections, const std::vector<history::HistoryRow>& rows,
              size_t first, size_t last);

    const SelectionSet& selections() const { return selections_; }
    size_t periods() const { return periods_; }
    double chance() const { return chance_; }
    // One entry per selection, in selection order.
    const std::vector<SelectionFigures>& figures() const { return figures_; }

    // The selection indexes sorted by a column, descending, ties in selection order.
    std::vector<std::uint32_t> order(TableSort sort) const;
    // The coldest selections: those of the largest current omission.
    std::int64_t largestCurrent() const;

  private:
    const SelectionSet& selections_;
    size_t periods_ = 0;
    double chance_ = 0;
    std::vector<SelectionFigures> figures_;
};

// Each selection's last winning period before row `end` of rows, counted from row 0: the row
// index, or -1 when it never won. Updated period by period by the pick rules.
class LastWins {
  public:
    explicit LastWins(const SelectionSet& selections);
    // Takes rows [done, end) into account.
    void advance(const std::vector<history::HistoryRow>& rows, size_t end);
    const std::vector<std::int64_t>& lastWin() const { return last_; }
    size_t rowsSeen() const { return done_; }

  private:
    const SelectionSet& selections_;
    std::vector<std::int64_t> last_;
    std::vector<std::uint32_t> winners_;
    size_t done_ = 0;
};

} // namespace play
