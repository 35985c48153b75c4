#include "history/history_import.h"

#include "history/draw_appender.h"

#include <algorithm>

namespace history {

namespace {

// How many draws are stored between two reports of progress.
constexpr size_t kProgressStep = 2048;

// Turns SQLite's secure delete off for a while. Some builds zero every freed page, which makes
// emptying a long history cost as much as writing it; the history holds nothing secret.
class PlainDelete {
  public:
    explicit PlainDelete(platform::Database& db) : db_(db) {
        auto query = db_.prepare("PRAGMA secure_delete");
        if (query.step()) previous_ = query.intAt(0);
        db_.exec("PRAGMA secure_delete = 0");
    }
    ~PlainDelete() {
        try {
            db_.exec("PRAGMA secure_delete = " + std::to_string(previous_));
        } catch (const platform::DbError&) {
            // The setting only affects speed.
        }
    }
    PlainDelete(const PlainDelete&) = delete;
    PlainDelete& operator=(const PlainDelete&) = delete;

  private:
    platform::Database& db_;
    int previous_ = 0;
};

} // namespace

std::optional<std::vector<HistoryRow>> replaceHistory(platform::Database& db, Zodiac& zodiac,
                                                      const std::vector<ParsedDraw>& draws,
                                                      const ReplaceOptions& options,
                                                      Progress& progress) {
    const Zodiac before = zodiac;
    std::vector<HistoryRow> rows;
    rows.reserve(draws.size());
    progress.setTotal(draws.size());
    try {
        PlainDelete plainDelete(db);
        platform::Transaction transaction(db);
        Delrec(db);
        DrawAppender appender(db, zodiac, options.dsIni, options.fillPreviousStrings);
        for (size_t i = 0; i < draws.size(); ++i) {
            if (i % kProgressStep == 0 && !progress.advance(i)) {
                zodiac = before;
                return std::nullopt; // the transaction rolls back
            }
            rows.push_back(appender.append(draws[i].sqqh, draws[i].numbers));
        }
        if (!progress.advance(draws.size())) {
            zodiac = before;
            return std::nullopt;
        }
        transaction.commit();
    } catch (...) {
        zodiac = before;
        throw;
    }
    // Rows of one period keep the order they were stored in, as in the ordered view.
    const auto bySqqh = [](const HistoryRow& a, const HistoryRow& b) { return a.sqqh < b.sqqh; };
    if (!std::is_sorted(rows.begin(), rows.end(), bySqqh))
        std::stable_sort(rows.begin(), rows.end(), bySqqh);
    return rows;
}

} // namespace history
