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
    return std::move(loadTextColumns(db, {column}).front());
}

std::vector<TextColumn> loadTextColumns(platform::Database& db,
                                        const std::vector<std::string>& columns,
                                        std::vector<std::int64_t>* ids) {
    // Column names come from the program's own table, never from user text.
    std::string select = "SELECT ID, SQQH";
    for (const auto& column : columns) select += ", " + column;
    select += " FROM Lishi ORDER BY ";
    // Draws are stored in the order of their periods, so ID order is usually the ordered view and
    // spares a lookup per row through the index; when it is not, the index gives the order.
    for (const char* order : {"ID", "SQQH, ID"}) {
        std::vector<TextColumn> result(columns.size());
        if (ids) ids->clear();
        auto stmt = db.prepare(select + order);
        bool ordered = true;
        std::int64_t lastPeriod = 0;
        while (ordered && stmt.step()) {
            const std::int64_t period = stmt.int64At(1);
            ordered = period >= lastPeriod;
            lastPeriod = period;
            if (ids) ids->push_back(stmt.int64At(0));
            for (size_t c = 0; c < columns.size(); ++c) {
                const int at = static_cast<int>(c) + 2;
                result[c].push(stmt.textViewAt(at), stmt.isNullAt(at));
            }
        }
        if (ordered) return result;
    }
    throw platform::DbError("读取时历史号码被另一个程序改动了");
}

} // namespace search
