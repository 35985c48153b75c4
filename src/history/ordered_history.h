#pragma once
// The stored draws in memory, in the order of the ordered view (ascending SQQH, rows of one
// period in the order they were stored). Numbers are read at once; the values of the other kinds
// on first use, so a long history opens fast. Two counters tell readers what changed.

#include "history/attributes.h"
#include "history/history_table.h"
#include "platform/database.h"

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

namespace history {

class OrderedHistory {
  public:
    const std::vector<HistoryRow>& rows() const { return rows_; }
    bool empty() const { return rows_.empty(); }
    size_t size() const { return rows_.size(); }
    const HistoryRow& newest() const { return rows_.back(); }
    // The stored rows that cannot be a draw, as the last load found them (fresh rows have none).
    const std::vector<DamagedRow>& damaged() const { return damaged_; }

    // Grows every time the draws change, so views know to reset.
    std::uint64_t version() const { return version_; }
    // Grows when draws were replaced, removed or re-read; not when draws were only added after the
    // newest one. While it stays, rows() only grew at its end, so what a reader keeps about the
    // earlier rows still holds.
    std::uint64_t generation() const { return generation_; }

    // Reads the history from db with the numbers of each draw, and the file's data_version, in one
    // read transaction: the version returned counts exactly the state the rows were read from, so
    // a change another process commits meanwhile is seen as a change at the next look. afterRows
    // runs between the two reads (tests put another writer there). Throws platform::DbError; the
    // rows stay as they were then, though readers are told to read again.
    std::int64_t load(platform::Database& db, const std::function<void()>& afterRows = {});
    // Forgets every draw (no database could be opened).
    void clear();
    // Takes freshly stored rows, which carry every kind, as the whole history (a period they hold
    // twice is listed in damaged()).
    void replace(std::vector<HistoryRow> rows);
    // Takes a row just stored, at its place in the order.
    void insert(const HistoryRow& row);

    // True when the rows hold the values of every one of kinds.
    bool hasKinds(std::initializer_list<Kind> kinds) const;
    // Reads from db the values of the kinds not read yet. On a failure they stay 0 and the next
    // call tries again.
    void ensureKinds(platform::Database& db, std::initializer_list<Kind> kinds);

  private:
    void changed(bool rowsMoved);

    std::vector<HistoryRow> rows_;
    std::vector<DamagedRow> damaged_;
    std::uint64_t version_ = 0;
    std::uint64_t generation_ = 0;
    unsigned loadedKinds_ = 0; // a bit per kind whose values rows_ holds
};

} // namespace history
