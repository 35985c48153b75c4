#include "search/text_column.h"

namespace search {

void TextColumn::push(std::string_view text, bool null) {
    data_.append(text);
    ends_.push_back(static_cast<std::uint32_t>(data_.size()));
    nulls_.push_back(null ? 1 : 0);
}

void TextColumn::clear() {
    data_.clear();
    ends_.clear();
    nulls_.clear();
}

TextColumn loadTextColumn(platform::Database& db, const std::string& column) {
    TextColumn result;
    // Column names come from the program's own table, never from user text.
    auto stmt = db.prepare("SELECT " + column + " FROM Lishi ORDER BY SQQH, ID");
    while (stmt.step()) result.push(stmt.textAt(0), stmt.isNullAt(0));
    return result;
}

} // namespace search
