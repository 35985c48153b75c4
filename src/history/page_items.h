#pragma once
// The items a results page's cells and attributes hold, read one cell at a time: period ids (with
// their day), draw numbers, five numbers, placeholders of draws not made yet, and everything else.
// findPageDraws groups them row by row into draws.

#include "history/page_draws.h"

#include <string>
#include <string_view>
#include <vector>

namespace history::page_text {

// What a cell's text (or an attribute's value) is to the reading of a row.
enum class Kind {
    Id,          // a period id that names its day
    ShortId,     // the draw number alone, marked as one ("第05期", "005")
    Small,       // a number of one or two digits: a draw number or one of the five numbers
    Numbers,     // five numbers
    Placeholder, // the numbers of a draw not made yet ("--", "待开奖")
    Other,       // anything else: a time, a date, a sum, a heading
};

struct Item {
    Kind kind = Kind::Other;
    std::string text;
    int day = -1; // yymmdd of an Id
    int value = 0;
    Numbers numbers{};
    long element = -1; // where it stands on the page
    // A number of three digits written without 第 or 期 (a ShortId): an omission figure or a
    // count of a chart as well as a draw number.
    bool plain = false;
};

// A number of a row's run of numbers: one of the five, a draw number, or a chart's figure.
bool isNumber(const Item& item);
bool isDigit(char c);
// yymmdd of a real day, -1 when the digits name none.
int dayOf(std::string_view yymmdd);
// The items of one cell's text: usually one; two when the cell holds an id and its numbers. The
// id may share its cell with the draw's time or date.
void readCellText(const std::string& text, std::vector<Item>& items);
// An attribute counts only as a whole id (naming its day) or as five numbers.
void readAttribute(const std::string& value, std::vector<Item>& items);

} // namespace history::page_text
