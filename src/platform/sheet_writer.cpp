#include "platform/sheet_writer.h"

#include "platform/file_io.h"
#include "platform/xlsx_check.h"

#include <xlsxwriter.h>

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>
#include <optional>

#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

namespace platform {

namespace {

// Rows between two progress reports.
constexpr std::size_t kReportEvery = 4096;
// The worksheet's limits.
constexpr std::size_t kMaxRows = 1048576;
constexpr std::size_t kMaxColumns = 16384;
// Whole numbers of up to 15 digits are exact as spreadsheet numbers.
constexpr std::size_t kMaxDigits = 15;

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// Digits without a leading zero (a lone "0" is a number).
bool plainDigits(std::string_view digits) {
    return allDigits(digits) && (digits.size() == 1 || digits[0] != '0');
}

std::optional<double> toDouble(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A whole number: an optional minus sign, then digits without a leading zero ("-0" stays text).
std::optional<double> wholeNumber(std::string_view text) {
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (!plainDigits(digits) || digits.size() > kMaxDigits) return std::nullopt;
    if (negative && digits == "0") return std::nullopt;
    return toDouble(std::string(text));
}

struct Percentage {
    double fraction = 0;
    int decimals = 0;
};

// A percentage: a whole number, optionally with decimals, followed by "%".
std::optional<Percentage> percentage(std::string_view text) {
    if (text.size() < 2 || text.back() != '%') return std::nullopt;
    std::string_view number = text.substr(0, text.size() - 1);
    const bool negative = number[0] == '-';
    if (negative) number.remove_prefix(1);
    const auto point = number.find('.');
    const std::string_view whole = number.substr(0, point);
    const std::string_view decimals =
        point == std::string_view::npos ? std::string_view() : number.substr(point + 1);
    if (!plainDigits(whole) || whole.size() > kMaxDigits) return std::nullopt;
    if (point != std::string_view::npos && !allDigits(decimals)) return std::nullopt;
    if (decimals.size() > 10) return std::nullopt;
    // Divided by 100 in decimal, so that "9.072%" gives the double nearest to 0.09072.
    std::string scaled = (negative ? "-" : "") + std::string(whole);
    if (!decimals.empty()) scaled += "." + std::string(decimals);
    scaled += "e-2";
    const auto value = toDouble(scaled);
    if (!value) return std::nullopt;
    return Percentage{*value, static_cast<int>(decimals.size())};
}

// Numbers are written with the C library's formatting, which follows LC_NUMERIC: while a sheet is
// written, this thread uses the "C" rules for numbers whatever the user's locale says.
class NumericCLocale {
  public:
    NumericCLocale() {
        const locale_t base = duplocale(LC_GLOBAL_LOCALE);
        if (base == locale_t(0)) return;
        numeric_ = newlocale(LC_NUMERIC_MASK, "C", base);
        if (numeric_ == locale_t(0)) {
            freelocale(base);
            return;
        }
        previous_ = uselocale(numeric_);
    }
    ~NumericCLocale() {
        if (numeric_ == locale_t(0)) return;
        uselocale(previous_);
        freelocale(numeric_);
    }
    NumericCLocale(const NumericCLocale&) = delete;
    NumericCLocale& operator=(const NumericCLocale&) = delete;

  private:
    locale_t numeric_ = locale_t(0);
    locale_t previous_ = locale_t(0);
};

std::string libraryError(lxw_error error) {
    return lxw_strerror(error);
}

// One workbook being written; closed (and so freed) in every case.
class Workbook {
  public:
    explicit Workbook(const std::string& path)
        : path_(path), tmpdir_(std::filesystem::path(path).parent_path().string()) {
        // The library opens the file only at the end; a file that cannot be created is found
        // before the rows are written, with the system's reason.
        const int probe = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (probe < 0) throw FileError("无法建立文件“" + path + "”：" + systemReason(errno));
        ::close(probe);
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE; // rows go to a temporary file as they are written
        options.use_zip64 = LXW_TRUE;
        // The library's own temporary files go beside the workbook, on the disk that must take
        // it anyway, not into a system folder that may be small or full.
        if (!tmpdir_.empty()) options.tmpdir = tmpdir_.data();
        workbook_ = workbook_new_opt(path.c_str(), &options);
        if (!workbook_) throw FileError("无法写入“" + path + "”：内存不足");
        sheet_ = workbook_add_worksheet(workbook_, "Sheet1");
        if (!sheet_) {
            close();
            throw FileError("无法写入“" + path + "”：无法为工作表建立临时文件");
        }
    }
    ~Workbook() { close(); }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    void write(lxw_row_t row, lxw_col_t column, const std::string& text) {
        if (text.empty()) return;
        lxw_error error = LXW_NO_ERROR;
        if (const auto number = wholeNumber(text)) {
            error = worksheet_write_number(sheet_, row, column, *number, nullptr);
        } else if (const auto percent = percentage(text)) {
            error = worksheet_write_number(sheet_, row, column, percent->fraction,
                                           format(percent->decimals));
        } else {
            error = worksheet_write_string(sheet_, row, column, text.c_str(), nullptr);
        }
        if (error != LXW_NO_ERROR) {
            close();
            throw FileError("无法写入“" + path_ + "”：" + libraryError(error));
        }
        ++cells_;
        if (row != lastRow_) {
            lastRow_ = row;
            ++rows_;
        }
    }

    // The rows written so far reach the library's temporary file, which the library writes
    // without telling of a failure: its error flag is looked at here.
    void checkRowFile() {
        FILE* rows = sheet_ ? sheet_->optimize_tmpfile : nullptr;
        if (!rows) return;
        if (std::fflush(rows) != 0 || std::ferror(rows)) {
            const int error = errno;
            close();
            throw FileError("无法写入“" + path_ + "”：写入临时文件失败（" + systemReason(error) +
                            "）");
        }
    }

    // Rows that have a cell, and cells, written so far.
    std::size_t rowsWritten() const { return rows_; }
    std::size_t cellsWritten() const { return cells_; }

    // Ends without a usable file (what was written so far is the caller's to remove).
    void abandon() { close(); }

    // Writes the file; throws FileError when it cannot.
    void finish() {
        const lxw_error error = close();
        if (error != LXW_NO_ERROR)
            throw FileError("无法写入“" + path_ + "”：" + libraryError(error));
    }

  private:
    lxw_format* format(int decimals) {
        auto& format = formats_[decimals];
        if (!format) {
            format = workbook_add_format(workbook_);
            const std::string pattern =
                "0" + (decimals > 0 ? "." + std::string(static_cast<size_t>(decimals), '0') : "") +
                "%";
            format_set_num_format(format, pattern.c_str());
        }
        return format;
    }

    lxw_error close() {
        if (!workbook_) return LXW_NO_ERROR;
        lxw_workbook* workbook = workbook_;
        workbook_ = nullptr;
        return workbook_close(workbook);
    }

    std::string path_;
    std::string tmpdir_;
    lxw_workbook* workbook_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    std::map<int, lxw_format*> formats_;
    std::size_t rows_ = 0;
    std::size_t cells_ = 0;
    lxw_row_t lastRow_ = std::numeric_limits<lxw_row_t>::max();
};

} // namespace

bool writeSheet(const std::string& path, const SheetGrid& grid, const SheetProgress& progress) {
    if (grid.rows > kMaxRows || grid.columns > kMaxColumns)
        throw FileError("无法写入“" + path + "”：一个工作表最多" + std::to_string(kMaxRows) +
                        "行、" + std::to_string(kMaxColumns) + "列，这个表格有" +
                        std::to_string(grid.rows) + "行、" + std::to_string(grid.columns) + "列");
    if (progress && !progress(0, grid.rows)) return false;

    const NumericCLocale numbers;
    const std::string pending = pendingName(path);
    // Whatever went wrong, no half-written workbook stays behind (a folder of that name does).
    const auto forgetPending = [&] { ::unlink(pending.c_str()); };
    try {
        Workbook workbook(pending);
        for (std::size_t r = 0; r < grid.rows; ++r) {
            for (std::size_t c = 0; c < grid.columns; ++c)
                workbook.write(static_cast<lxw_row_t>(r), static_cast<lxw_col_t>(c),
                               grid.text(r, c));
            const std::size_t done = r + 1;
            if (done % kReportEvery == 0) workbook.checkRowFile();
            if (progress && (done % kReportEvery == 0 || done == grid.rows) &&
                !progress(done, grid.rows)) {
                workbook.abandon();
                forgetPending();
                return false;
            }
        }
        workbook.checkRowFile();
        const std::size_t rows = workbook.rowsWritten();
        const std::size_t cells = workbook.cellsWritten();
        workbook.finish();
        // Only a workbook read back whole, with every row and cell, replaces the earlier file.
        WorksheetCounts found;
        try {
            found = checkWrittenWorkbook(pending);
        } catch (const FileError& e) {
            throw FileError("无法写入“" + path + "”：" + e.what());
        }
        if (found.rows != rows || found.cells != cells)
            throw FileError("无法写入“" + path + "”：写出的工作簿不完整（" + std::to_string(rows) +
                            "行中只有" + std::to_string(found.rows) + "行，" +
                            std::to_string(cells) + "个单元格中只有" + std::to_string(found.cells) +
                            "个）");
        syncFile(pending);
        // A named pipe or a device at path gets the workbook's bytes; a file is replaced.
        putInPlace(pending, path);
    } catch (...) {
        forgetPending();
        throw;
    }
    return true;
}

} // namespace platform
