#pragma once
// Sheets for the import's tests: cells and rows in memory, .xls workbooks written by a real
// writer (Perl's Spreadsheet::WriteExcel), zips put together entry by entry for hand-made .xlsx
// parts, and the rows the platform reader gets from a file.

#include "platform/sheet_reader.h"

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

platform::SheetCell textCell(std::string text);
platform::SheetCell numberCell(double value);

using CellGrid = std::vector<std::vector<platform::SheetCell>>;

// A grid of texts; "" is an empty cell.
CellGrid textGrid(const std::vector<std::vector<std::string>>& texts);

// The grid as the readers hand it over: numbered from 1, rows without a cell left out.
std::vector<platform::SheetRow> sheetRows(const CellGrid& grid);

// Writes the grid as the first worksheet of an .xls workbook; throws std::runtime_error when the
// writer fails.
void writeXls(const std::string& path, const CellGrid& grid);

// Writes a zip of the given (name, bytes) entries, deflated.
void writeZip(const std::string& path,
              const std::vector<std::pair<std::string, std::string>>& entries);

// Every row platform::readSheet hands over.
std::vector<platform::SheetRow> readRows(const std::string& path);

// The texts of a row's cells.
std::vector<std::string> texts(const platform::SheetRow& row);

} // namespace testing_support
