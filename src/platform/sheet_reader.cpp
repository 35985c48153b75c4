#include "platform/sheet_reader.h"

#include "platform/csv_reader.h"
#include "platform/file_io.h"
#include "platform/xls_reader.h"
#include "platform/xlsx_reader.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace platform {

std::string numberText(double value) {
    char buffer[32];
    std::to_chars_result result;
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    else
        result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

SheetKind sheetKindOf(const std::string& firstBytes) {
    if (firstBytes.rfind("PK\x03\x04", 0) == 0) return SheetKind::Xlsx;
    // The compound file that holds a BIFF workbook.
    if (firstBytes.rfind("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 0) == 0) return SheetKind::Xls;
    return SheetKind::DelimitedText;
}

bool readSheet(const std::string& path, const SheetRowSink& sink,
               const SheetReadProgress& progress) {
    std::error_code error;
    // A named pipe or a device would block or never end.
    if (!std::filesystem::is_regular_file(path, error))
        throw FileError(error ? error.message() : "这不是普通文件");
    if (std::filesystem::file_size(path, error) > kSheetFileLimit && !error)
        throw SheetError("文件超过" + std::to_string(kSheetFileLimit >> 20) +
                         "MB，不像是历史号码表格");
    std::string first(8, '\0');
    {
        std::ifstream in(path, std::ios::binary);
        if (!in) throw FileError("无法打开“" + path + "”");
        in.read(first.data(), static_cast<std::streamsize>(first.size()));
        first.resize(static_cast<size_t>(in.gcount()));
    }
    switch (sheetKindOf(first)) {
    case SheetKind::Xlsx:
        return readXlsx(path, sink, progress);
    case SheetKind::Xls:
        return readXls(path, sink, progress);
    case SheetKind::DelimitedText:
        break;
    }
    return readDelimitedText(readFile(path), sink, progress);
}

} // namespace platform
