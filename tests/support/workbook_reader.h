#pragma once
// Reads back what a test needs of an .xlsx workbook: the sheet names, and the cells of the first
// worksheet with their kind, value and number format. The workbook is unpacked with `unzip -p`.

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// One entry of a zip file as bytes; throws std::runtime_error when it cannot be read.
std::string zipEntry(const std::string& zipPath, const std::string& entry);

struct SheetCell {
    bool number = false;
    std::string value;  // the number as written, or the text
    std::string format; // the number format, empty for "General"
};

struct WorkbookContent {
    std::vector<std::string> sheetNames;
    // By (row, column), counted from 1 as the spreadsheet numbers them.
    std::map<std::pair<int, int>, SheetCell> cells;

    int rowCount() const; // the last row that holds a cell
    // The texts of a row from column 1 to its last cell ("" for an empty cell).
    std::vector<std::string> row(int r) const;
    const SheetCell& at(int r, int c) const;
};

WorkbookContent readWorkbook(const std::string& path);

} // namespace testing_support
