#pragma once
// Reading the first worksheet of a spreadsheet file as plain rows of cells, whatever wrote it:
// .xlsx workbooks, .xls (BIFF) workbooks and delimited text (.csv). The kind is told by the file's
// first bytes, not its name, because sites often hand out one kind under another's extension.
// Rows are handed over one at a time, so a large sheet never sits in memory whole.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace platform {

struct SheetCell {
    enum class Kind { Empty, Text, Number };
    Kind kind = Kind::Empty;
    std::string text; // UTF-8; for a number, the value as the file wrote it
    double number = 0;
};

struct SheetRow {
    int number = 0;               // 1-based row (for delimited text, the line it starts on)
    std::vector<SheetCell> cells; // column A first; ends at the last cell that is not empty
};

// Gets each row that holds a cell, in order; returns false to stop reading.
using SheetRowSink = std::function<bool(const SheetRow&)>;

// Told how far reading has come (done of total, in units of the reader's choosing) every few
// thousand rows; returns false to stop.
using SheetReadProgress = std::function<bool(std::size_t done, std::size_t total)>;

// The file cannot be read as a spreadsheet; what() says why, in words for the user.
class SheetError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Cells right of this column are not read: a history needs a few columns, and a damaged or
// hostile file could name a cell far to the right of the data.
inline constexpr std::size_t kSheetColumnLimit = 256;

// The text of a number as a cell without a format shows it: whole numbers without a fraction.
std::string numberText(double value);

// Sheet files above this size are refused before reading: ten years of draws take a few MiB, and
// the readers hold a delimited text or an .xls workbook whole.
inline constexpr std::uintmax_t kSheetFileLimit = 256u << 20;
// The most an .xlsx worksheet may unpack to (ten years of draws: about 60 MiB).
inline constexpr std::size_t kSheetPartLimit = 1u << 30;

enum class SheetKind { Xlsx, Xls, DelimitedText };

// The kind of sheet file the bytes start like.
SheetKind sheetKindOf(const std::string& firstBytes);

// Reads the first worksheet of the file at path. False when progress asked to stop. Throws
// SheetError (or FileError when the file cannot be opened at all).
bool readSheet(const std::string& path, const SheetRowSink& sink,
               const SheetReadProgress& progress = {});

// Rows read between two reports of progress.
inline constexpr std::size_t kSheetProgressRows = 4096;

} // namespace platform
