#include "history/history_import.h"

#include "history/draw_appender.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace history {

namespace {

// How many draws are stored between two reports of progress.
constexpr size_t kProgressStep = 2048;

// Sets a connection pragma for a while and puts the old value back.
class PragmaFor {
  public:
    PragmaFor(platform::Database& db, const char* name, const std::string& value)
        : db_(db), name_(name) {
        auto query = db_.prepare(std::string("PRAGMA ") + name);
        if (query.step()) previous_ = query.int64At(0);
        db_.exec("PRAGMA " + name_ + " = " + value);
    }
    ~PragmaFor() {
        try {
            db_.exec("PRAGMA " + name_ + " = " + std::to_string(previous_));
        } catch (const platform::DbError&) {
            // These settings only affect speed.
        }
    }
    PragmaFor(const PragmaFor&) = delete;
    PragmaFor& operator=(const PragmaFor&) = delete;

  private:
    platform::Database& db_;
    std::string name_;
    std::int64_t previous_ = 0;
};

// The settings a replacement of the whole history runs under:
//  - no secure delete: some builds zero every freed page, which makes emptying a long history
//    cost as much as writing it again; the history holds nothing secret;
//  - a page cache that holds the whole transaction (up to 256 MiB while it runs): a small cache
//    spills pages midway, and every spill waits for the journal to reach the disk.
class BulkReplaceSettings {
  public:
    explicit BulkReplaceSettings(platform::Database& db)
        : secureDelete_(db, "secure_delete", "0"), cacheSize_(db, "cache_size", "-262144") {}

  private:
    PragmaFor secureDelete_;
    PragmaFor cacheSize_;
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
        BulkReplaceSettings settings(db);
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
