#include "history/history_import.h"

#include "history/draw_appender.h"

#include <algorithm>

namespace history {

namespace {

// How many draws are stored between two reports of progress.
constexpr size_t kProgressStep = 2048;

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
