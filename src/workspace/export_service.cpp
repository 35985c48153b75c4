#include "workspace/export_service.h"

#include "history/game_record.h"
#include "history/period.h"
#include "platform/file_io.h"
#include "platform/sheet_writer.h"

#include <filesystem>

namespace app {

namespace {

namespace fs = std::filesystem;

constexpr const char* kHistorySheet = "lishi.xlsx";
constexpr const char* kHitsSheet = "Jiansuo.xlsx";
constexpr const char* kTallySheet = "Jieguo.xlsx";

ExportResult written(const std::string& path, const std::string& what) {
    ExportResult result;
    result.path = path;
    result.outcome = Outcome::success(what + "已导出到“" + path + "”。");
    return result;
}

ExportResult failed(const std::string& path, const std::exception& e) {
    ExportResult result;
    result.outcome = Outcome::failure(
        "无法写入“" + path + "”（" + e.what() +
        "）。原有的同名文件保持不变。请检查数据文件夹是否可以写入、磁盘空间是否足够，"
        "并关闭正在使用该文件的程序后重试。");
    return result;
}

// Writes a grid of rows + 1 rows (the header first) to path.
ExportResult writeGrid(const std::string& path, const std::string& what, size_t rows,
                       size_t columns, const std::function<std::string(size_t, size_t)>& text,
                       history::Progress* progress = nullptr) {
    platform::SheetGrid grid{rows + 1, columns, text};
    platform::SheetProgress report;
    if (progress) {
        report = [progress](size_t done, size_t total) {
            if (done == 0) progress->setTotal(total);
            return progress->advance(done);
        };
    }
    try {
        if (!platform::writeSheet(path, grid, report)) {
            ExportResult result;
            result.cancelled = true;
            result.outcome = Outcome::failure(what + "的导出已取消，原有的“" +
                                              fs::path(path).filename().string() + "”保持不变。");
            return result;
        }
    } catch (const std::exception& e) {
        return failed(path, e);
    }
    return written(path, what);
}

} // namespace

std::string ExportService::dataFile(const std::string& name) const {
    return (fs::path(workspace_.dataDir()) / name).string();
}

std::string ExportService::textPath() const {
    if (workspace_.rows().empty()) return {};
    // Named with the game: two games' histories may end at the same period.
    return dataFile("更新至" + history::eightDigit(workspace_.rows().back().period) + "期" +
                    history::gameName(workspace_.settings().game) + "历史号码.txt");
}

std::string ExportService::historySheetPath() const {
    return dataFile(kHistorySheet);
}

std::string ExportService::hitsSheetPath() const {
    return dataFile(kHitsSheet);
}

std::string ExportService::tallySheetPath() const {
    return dataFile(kTallySheet);
}

ExportResult ExportService::exportText() {
    const auto& rows = workspace_.rows();
    if (rows.empty()) {
        ExportResult result;
        result.outcome =
            Outcome::failure("历史号码为空，没有可以导出的号码。请先输入或读入历史号码后再导出。");
        return result;
    }
    std::string text;
    text.reserve(rows.size() * 30);
    for (size_t row = 0; row < rows.size(); ++row) text += workspace_.historyLine(row) + "\r\n";
    const std::string path = textPath();
    try {
        platform::writeFileAtomically(path, text);
    } catch (const std::exception& e) {
        return failed(path, e);
    }
    return written(path, std::to_string(rows.size()) + "期历史号码");
}

ExportResult ExportService::exportHistorySheet(history::Progress& progress) {
    const Workspace& w = workspace_;
    return writeGrid(
        historySheetPath(), "历史号码", w.rows().size(), 6,
        [&w](size_t r, size_t c) -> std::string {
            if (r == 0) return c == 0 ? "期号" : "第" + std::to_string(c) + "码";
            if (c == 0) return w.historyPeriodText(r - 1);
            return std::to_string(w.rows()[r - 1].numbers()[c - 1]);
        },
        &progress);
}

ExportResult ExportService::exportHitsSheet(const SearchResult& result) {
    const auto header = hitGridHeader(result);
    return writeGrid(hitsSheetPath(), "检索到的期号", result.hitRows.size(), header.size(),
                     [&](size_t r, size_t c) {
                         return r == 0 ? header[c]
                                       : hitGridCell(result, r - 1, static_cast<int>(c));
                     });
}

ExportResult ExportService::exportTallySheet(const SearchResult& result) {
    const auto header = resultGridHeader();
    return writeGrid(tallySheetPath(), "检索结果", result.tally.byCount.size(), header.size(),
                     [&](size_t r, size_t c) {
                         return r == 0 ? header[c]
                                       : resultGridCell(result, r - 1, static_cast<int>(c));
                     });
}

} // namespace app
