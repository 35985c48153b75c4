// The import of 300,000 draws from sheets: the program's own lishi.xlsx and a site-style .csv
// (id, date, numbers as one text, sum), read alone and through the service the window calls.
// Prints medians of a few runs.

#include "benchmarks.h"
#include "synthetic_history.h"

#include "history/period.h"
#include "history/sheet_history.h"
#include "platform/file_io.h"
#include "workspace/export_service.h"
#include "workspace/history_service.h"

#include <filesystem>
#include <stdexcept>

namespace bench {

void runSheetImportBenchmarks(std::ostream& out) {
    constexpr size_t kDraws = 300000;
    constexpr int kRuns = 3;
    const std::string folder = folderWithHistory(kDraws);
    app::Workspace workspace(workspaceOptions(folder));
    if (workspace.rows().size() != kDraws) throw std::runtime_error("history not loaded");
    history::NoProgress quiet;
    app::ExportService exports(workspace);
    if (!exports.exportHistorySheet(quiet).outcome.ok) throw std::runtime_error("export failed");
    const std::string xlsx = exports.historySheetPath();

    std::string csv = "期号,开奖日期,开奖号码,和值\r\n";
    for (const auto& draw : synthetic::makeHistory(kDraws)) {
        const std::string id = history::tenDigit(draw.period);
        csv += id + "," + id.substr(0, 4) + "-" + id.substr(4, 2) + "-" + id.substr(6, 2) + ",\"";
        int sum = 0;
        for (int k = 0; k < 5; ++k) {
            csv += (k ? "," : "") + history::format00(draw.numbers[k]);
            sum += draw.numbers[k];
        }
        csv += "\"," + std::to_string(sum) + "\r\n";
    }
    const std::string csvPath = (std::filesystem::path(folder) / "draws.csv").string();
    platform::writeFileAtomically(csvPath, csv);

    for (const auto& [name, path] :
         {std::pair{"lishi.xlsx", xlsx}, std::pair{"draws.csv", csvPath}}) {
        const double readSeconds = medianSeconds(kRuns, [&] {
            const auto parsed = history::readSheetHistory(path, quiet);
            if (!parsed || parsed->draws.size() != kDraws)
                throw std::runtime_error("sheet lost rows");
        });
        out << "read and find the draws of " << kDraws << " rows of " << name << ": " << readSeconds
            << " s (median of " << kRuns << ", " << std::filesystem::file_size(path) / (1024 * 1024)
            << " MiB)\n";
        const double importSeconds = medianSeconds(kRuns, [&] {
            const auto result = app::HistoryService(workspace).importFile(path, quiet);
            if (!result.outcome.ok || result.stored != kDraws)
                throw std::runtime_error("import failed: " + result.outcome.message);
        });
        out << "import " << name << " (replacing " << kDraws << " draws): " << importSeconds
            << " s (median of " << kRuns << ")\n";
    }
}

} // namespace bench
