#pragma once
// A text column of Lishi held in memory in the order of the ordered view: one buffer for all
// rows, so ten years of draws take a few megabytes per column.

#include "platform/database.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace search {

class TextColumn {
  public:
    size_t size() const { return ends_.size(); }
    std::string_view at(size_t row) const {
        const std::uint32_t begin = row == 0 ? 0 : ends_[row - 1];
        return std::string_view(data_).substr(begin, ends_[row] - begin);
    }
    bool isNull(size_t row) const { return nulls_[row] != 0; }

    void push(std::string_view text, bool null);
    void clear();

  private:
    std::string data_;
    std::vector<std::uint32_t> ends_;
    std::vector<std::uint8_t> nulls_;
};

// Reads one column of every row, ordered as the ordered view (SQQH, then ID).
TextColumn loadTextColumn(platform::Database& db, const std::string& column);
// Reads several columns of every row in one pass through the table, in the same order; ids, when
// given, receives the ID of each row.
std::vector<TextColumn> loadTextColumns(platform::Database& db,
                                        const std::vector<std::string>& columns,
                                        std::vector<std::int64_t>* ids = nullptr);

} // namespace search
