#include "platform/xls_reader.h"

#include <freexl.h>

#include <algorithm>

namespace platform {

namespace {

class Workbook {
  public:
    explicit Workbook(const std::string& path) {
        const int status = freexl_open(path.c_str(), &handle_);
        if (status != FREEXL_OK) {
            handle_ = nullptr;
            throw SheetError(status == FREEXL_FILE_NOT_FOUND ? "无法打开文件"
                             : status == FREEXL_INSUFFICIENT_MEMORY
                                 ? "内存不足，无法读取这个xls工作簿"
                                 : "不是有效的xls工作簿（FreeXL错误" + std::to_string(status) +
                                       "），文件可能已损坏或加了密码");
        }
    }
    ~Workbook() {
        if (handle_) freexl_close(handle_);
    }
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    const void* handle() const { return handle_; }

  private:
    const void* handle_ = nullptr;
};

SheetCell cellAt(const void* handle, unsigned row, unsigned short column) {
    FreeXL_CellValue value{};
    SheetCell cell;
    if (freexl_get_cell_value(handle, row, column, &value) != FREEXL_OK) return cell;
    switch (value.type) {
    case FREEXL_CELL_INT:
        cell.kind = SheetCell::Kind::Number;
        cell.number = value.value.int_value;
        cell.text = numberText(cell.number);
        break;
    case FREEXL_CELL_DOUBLE:
        cell.kind = SheetCell::Kind::Number;
        cell.number = value.value.double_value;
        cell.text = numberText(cell.number);
        break;
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
    case FREEXL_CELL_DATE:
    case FREEXL_CELL_DATETIME:
    case FREEXL_CELL_TIME:
        if (value.value.text_value && *value.value.text_value) {
            cell.kind = SheetCell::Kind::Text;
            cell.text = value.value.text_value;
        }
        break;
    default:
        break;
    }
    return cell;
}

} // namespace

bool readXls(const std::string& path, const SheetRowSink& sink, const SheetReadProgress& progress) {
    Workbook book(path);
    unsigned sheets = 0;
    if (freexl_get_info(book.handle(), FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK ||
        sheets == 0)
        throw SheetError("xls工作簿中没有工作表");
    if (freexl_select_active_worksheet(book.handle(), 0) != FREEXL_OK)
        throw SheetError("无法打开xls工作簿的第一个工作表");
    unsigned rows = 0;
    unsigned short columns = 0;
    if (freexl_worksheet_dimensions(book.handle(), &rows, &columns) != FREEXL_OK)
        throw SheetError("无法读取xls工作表的大小");
    const auto width = static_cast<unsigned short>(std::min<size_t>(columns, kSheetColumnLimit));
    SheetRow row;
    for (unsigned r = 0; r < rows; ++r) {
        if (progress && r % kSheetProgressRows == 0 && !progress(r, rows)) return false;
        row.cells.clear();
        for (unsigned short c = 0; c < width; ++c) row.cells.push_back(cellAt(book.handle(), r, c));
        while (!row.cells.empty() && row.cells.back().kind == SheetCell::Kind::Empty)
            row.cells.pop_back();
        if (row.cells.empty()) continue;
        row.number = static_cast<int>(r) + 1;
        if (!sink(row)) return true;
    }
    return true;
}

} // namespace platform
