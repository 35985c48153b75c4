// The exports of a 300,000-draw history through the service the window calls: the history grid as
// a workbook and the history as text. Prints medians of a few runs.

#include "benchmarks.h"

#include "platform/xlsx_check.h"
#include "workspace/export_service.h"
#include "workspace/workspace.h"

#include <filesystem>
#include <stdexcept>

namespace bench {

void runExportBenchmarks(std::ostream& out) {
    constexpr size_t kDraws = 300000;
    constexpr int kRuns = 3;
    const std::string folder = folderWithHistory(kDraws);
    app::WorkspaceOptions options = workspaceOptions(folder);
    app::Workspace workspace(options);
    if (workspace.rows().size() != kDraws) throw std::runtime_error("history not loaded");
    app::ExportService service(workspace);
    history::NoProgress quiet;

    const double sheetSeconds = medianSeconds(kRuns, [&] {
        if (!service.exportHistorySheet(quiet).outcome.ok)
            throw std::runtime_error("sheet export failed");
    });
    out << "export " << kDraws << " draws to lishi.xlsx: " << sheetSeconds << " s (median of "
        << kRuns << ", " << std::filesystem::file_size(service.historySheetPath()) / (1024 * 1024)
        << " MiB)\n";

    // Of that, the read-back that makes sure the workbook is whole before it replaces the old one.
    const double checkSeconds =
        medianSeconds(kRuns, [&] { platform::checkWrittenWorkbook(service.historySheetPath()); });
    out << "  of which reading it back whole: " << checkSeconds << " s (median of " << kRuns
        << ")\n";

    const double textSeconds = medianSeconds(kRuns, [&] {
        if (!service.exportText().outcome.ok) throw std::runtime_error("text export failed");
    });
    out << "export " << kDraws << " draws as text: " << textSeconds << " s (median of " << kRuns
        << ")\n";
}

} // namespace bench
