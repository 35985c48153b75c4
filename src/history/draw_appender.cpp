#include "history/draw_appender.h"

#include "history/period.h"

namespace history {

DrawAppender::DrawAppender(platform::Database& db, Zodiac& zodiac, int segmentBase,
                           bool fillPreviousStrings)
    : db_(db), zodiac_(zodiac), segmentBase_(segmentBase),
      fillPreviousStrings_(fillPreviousStrings) {
    std::string columns = "SQQH, QQH";
    for (const char* period : {"", "S", "P"})
        for (int kind = 0; kind < kKinds; ++kind)
            for (int p = 1; p <= kPositions; ++p)
                columns += ", " + attributeColumn(p, kind, period);
    for (int kind = -1; kind < kKinds; ++kind) columns += ", " + textColumn(false, kind);
    int count = 2 + 90 + 7;
    if (fillPreviousStrings_) {
        for (int kind = -1; kind < kKinds; ++kind) columns += ", " + textColumn(true, kind);
        count += 7;
    }
    std::string placeholders;
    for (int i = 1; i <= count; ++i) placeholders += (i > 1 ? ",?" : "?") + std::to_string(i);
    insert_ = db_.prepare("INSERT INTO Lishi (" + columns + ") VALUES (" + placeholders + ")");
}

void DrawAppender::seed(const DrawValues* secondNewest, const DrawValues* newest) {
    secondNewest_.reset();
    newest_.reset();
    if (secondNewest) secondNewest_ = Previous{*secondNewest, describeDraw(*secondNewest)};
    if (newest) newest_ = Previous{*newest, describeDraw(*newest)};
}

HistoryRow DrawAppender::append(int period, const Numbers& numbers) {
    // The zodiac year changes with the date only; draws of one day share it.
    if (period / 100 != zodiacDay_) {
        zodiac_.setYearOfPeriod(tenDigit(period));
        zodiac_.updateYearGroups();
        zodiacDay_ = period / 100;
    }
    Previous current{deriveDraw(numbers, zodiac_, segmentBase_), {}};
    current.strings = describeDraw(current.values);

    int index = 1;
    insert_.bind(index++, period);
    insert_.bind(index++, period + 1);
    for (const auto* draw :
         {&current, newest_ ? &*newest_ : nullptr, secondNewest_ ? &*secondNewest_ : nullptr}) {
        for (int kind = 0; kind < kKinds; ++kind)
            for (int p = 0; p < kPositions; ++p)
                insert_.bind(index++, draw ? static_cast<int>(draw->values[kind][p]) : 0);
    }
    for (int s = 0; s < 1 + kKinds; ++s)
        insert_.bind(index++, newest_ ? std::string_view(newest_->strings[s]) : "");
    if (fillPreviousStrings_) {
        for (int s = 0; s < 1 + kKinds; ++s)
            insert_.bind(index++, secondNewest_ ? std::string_view(secondNewest_->strings[s]) : "");
    }
    insert_.run();

    HistoryRow row;
    row.id = db_.lastInsertId();
    row.period = period;
    row.nextPeriod = period + 1;
    row.values = current.values;
    secondNewest_ = std::move(newest_);
    newest_ = std::move(current);
    return row;
}

HistoryRow storeDraw(platform::Database& db, Zodiac& zodiac, int segmentBase, int period,
                     const Numbers& numbers) {
    platform::Transaction transaction(db);
    DrawAppender appender(db, zodiac, segmentBase, false);
    const auto newest = loadNewestRows(db, 2);
    const size_t n = newest.size();
    if (n >= 1 && newest.back().period >= period)
        throw PeriodTaken("period " + std::to_string(period) + " is not after the newest stored " +
                          std::to_string(newest.back().period));
    appender.seed(n >= 2 ? &newest[n - 2].values : nullptr,
                  n >= 1 ? &newest[n - 1].values : nullptr);
    HistoryRow row = appender.append(period, numbers);
    transaction.commit();
    return row;
}

} // namespace history
