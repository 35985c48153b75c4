#pragma once
// The draws of a spreadsheet (.csv, .xls, .xlsx) for the import. Sheets come from results sites or
// are kept by hand, with any headings in any language, so the columns are found from what the
// cells hold:
//  - one column of period ids: ten digits (2016090852), eight digits (16090852), either also as a
//    number, or yyyymmdd-NN (20160908-52), optionally written 第…期;
//  - the five numbers, either as one column of text ("03 07 01 11 05", "03,07,01,11,05") or as
//    five adjacent columns of one number each;
//  - every other column (date, sum, notes) is ignored.
// Rows without a period and without numbers (headings, blank rows, notes) are passed over; any
// other row that holds no storable draw is reported with the text import's reasons. Draws come
// out ordered by period, as the history keeps them.

#include "history/progress.h"
#include "history/text_format.h"
#include "platform/sheet_reader.h"

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace history {

// No columns of draws could be found; what() says what was looked for.
class SheetLayoutError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Where a sheet's draws stand (columns counted from 0).
struct SheetLayout {
    std::size_t periodColumn = 0;
    std::size_t numbersColumn = 0; // the text column, or the first of the five
    bool fiveColumns = false;
};

// The layout the rows' cells show, if any.
std::optional<SheetLayout> findSheetLayout(const std::vector<platform::SheetRow>& rows);

// Reads rows one at a time; the layout is found from the first rows that hold anything.
class SheetDrawReader {
  public:
    // Rows looked at to find the columns.
    static constexpr std::size_t kSampleRows = 2000;
    // Rows read at most: ten years of draws are about 300,000.
    static constexpr std::size_t kRowLimit = 5'000'000;

    // False when no more rows are wanted (the columns cannot be found, or the limit is reached).
    bool add(const platform::SheetRow& row);
    // The draws and reported rows; throws SheetLayoutError when no columns were found or the
    // sheet is too long.
    ParsedHistory finish();

  private:
    void read(const platform::SheetRow& row);

    std::vector<platform::SheetRow> sample_;
    std::optional<SheetLayout> layout_;
    bool noLayout_ = false;
    bool tooLong_ = false;
    std::size_t rows_ = 0;
    ParsedHistory parsed_;
};

// Reads the first worksheet of the file at path; nothing when progress asked to stop. Throws
// SheetLayoutError, or platform::SheetError / platform::FileError when the file cannot be read as
// a sheet.
std::optional<ParsedHistory> readSheetHistory(const std::string& path, Progress& progress);

// Whether the import reads a file of this name as a sheet (.csv, .xls, .xlsx in any case).
bool isSheetFileName(const std::string& path);

} // namespace history
