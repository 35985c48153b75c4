#include "history/ordered_history.h"

#include <algorithm>
#include <atomic>

namespace history {

void OrderedHistory::changed(bool rowsMoved) {
    // One count for every history in memory: a history kept aside and shown again (another
    // game's) never meets a reader with a count it saw of another history.
    static std::atomic<std::uint64_t> changes{0};
    version_ = ++changes;
    if (rowsMoved) generation_ = version_;
}

std::int64_t OrderedHistory::load(platform::Database& db, const std::function<void()>& afterRows) {
    changed(true);
    platform::ReadTransaction reading(db);
    rows_ = loadHistory(db, false, &damaged_);
    loadedKinds_ = 1u << Number;
    if (afterRows) afterRows();
    return db.dataVersion();
}

void OrderedHistory::clear() {
    rows_.clear();
    damaged_.clear();
    loadedKinds_ = 1u << Number;
    changed(true);
}

void OrderedHistory::replace(std::vector<HistoryRow> rows) {
    rows_ = std::move(rows);
    damaged_.clear();
    // An import keeps a file's repeated ids.
    findMisplacedRows(rows_, damaged_);
    loadedKinds_ = (1u << kKinds) - 1;
    changed(true);
}

void OrderedHistory::insert(const HistoryRow& row) {
    const auto at =
        std::upper_bound(rows_.begin(), rows_.end(), row, [](const auto& a, const auto& b) {
            return a.period < b.period || (a.period == b.period && a.id < b.id);
        });
    const bool moved = at != rows_.end(); // not after the newest: later rows move
    rows_.insert(at, row);
    changed(moved);
}

namespace {

unsigned kindBits(std::initializer_list<Kind> kinds) {
    unsigned bits = 0;
    for (Kind kind : kinds)
        if (kind >= 0 && kind < kKinds) bits |= 1u << kind;
    return bits;
}

} // namespace

bool OrderedHistory::hasKinds(std::initializer_list<Kind> kinds) const {
    return rows_.empty() || (kindBits(kinds) & ~loadedKinds_) == 0;
}

void OrderedHistory::ensureKinds(platform::Database& db, std::initializer_list<Kind> kinds) {
    const unsigned wanted = kindBits(kinds) & ~loadedKinds_;
    if (wanted == 0) return;
    if (rows_.empty()) {
        loadedKinds_ |= wanted;
        return;
    }
    try {
        for (int kind = 0; kind < kKinds; ++kind) {
            if (!(wanted & (1u << kind))) continue;
            loadKindValues(db, kind, rows_);
            loadedKinds_ |= 1u << kind;
        }
    } catch (const std::exception&) {
        // The values stay 0; the next use tries again.
    }
}

} // namespace history
