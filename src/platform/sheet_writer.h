#pragma once
// Writes a grid of texts as a spreadsheet workbook (.xlsx) with one worksheet, "Sheet1". Grid cell
// (row r, column c), counted from 0 with the header as row 0, goes to worksheet row r + 1 and
// column c + 1. A text that is a plain whole number ("12", "-3", "2016090852", not "09090852") is
// written as a number, a percentage ("9.072%") as its fraction (0.09072) shown with as many
// decimals as the text had; an empty text leaves the cell empty; anything else is written as
// text. The workbook is written under a temporary name beside the target and renamed over it only
// when complete: a failure or a cancel leaves an earlier file of that name as it was.

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

// The grid, read cell by cell while the sheet is written.
struct SheetGrid {
    std::size_t rows = 0; // the header row included
    std::size_t columns = 0;
    std::function<std::string(std::size_t row, std::size_t column)> text;
};

// Told the rows written so far and the rows in all, first with 0 and then every few thousand
// rows; returns false to stop.
using SheetProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Writes grid to path. False when progress asked to stop (nothing written); throws FileError
// saying why when the workbook cannot be written.
bool writeSheet(const std::string& path, const SheetGrid& grid, const SheetProgress& progress = {});

} // namespace platform
