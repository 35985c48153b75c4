// The text import of a 300,000-line file and the rebuild of a 300,000-draw
// history, each through the service the window calls, up to the refreshed workspace. Prints
// medians of a few runs.

#include "benchmarks.h"
#include "synthetic_history.h"

#include "history/maintenance.h"
#include "history/text_format.h"
#include "platform/file_io.h"
#include "platform/text_decoding.h"
#include "workspace/history_service.h"
#include "workspace/workspace.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>

namespace {

namespace fs = std::filesystem;

void require(const app::HistoryResult& result, size_t stored) {
    if (!result.outcome.ok || (stored && result.stored != stored))
        throw std::runtime_error("benchmark step failed: " + result.outcome.message);
}

} // namespace

namespace bench {

void runImportBenchmarks(std::ostream& out) {
    constexpr size_t kDraws = 300000;
    constexpr int kRuns = 3;
    const fs::path root = freshFolder("import");

    const std::string file = (root / "draws.txt").string();
    const std::string text = synthetic::toText(synthetic::makeHistory(kDraws));
    platform::writeFileAtomically(file, text);

    const double parseSeconds = medianSeconds(kRuns, [&] {
        const auto parsed =
            history::parseHistoryText(platform::decodeText(platform::readFile(file)).text, 0);
        if (parsed.draws.size() != kDraws) throw std::runtime_error("parse lost lines");
    });
    out << "read, decode and parse " << kDraws << " lines: " << parseSeconds << " s (median of "
        << kRuns << ")\n";

    app::WorkspaceOptions options;
    options.dataDir = (root / "data").string();
    options.settingsFile = (root / "settings.ini").string();
    app::Workspace workspace(options);
    app::HistoryService service(workspace);
    history::NoProgress quiet;

    const double importSeconds =
        medianSeconds(kRuns, [&] { require(service.importFile(file, quiet), kDraws); });
    out << "import " << kDraws << " lines (replacing " << kDraws << " draws): " << importSeconds
        << " s (median of " << kRuns << ")\n";

    const double rebuildSeconds = medianSeconds(kRuns, [&] {
        platform::writeFileAtomically(service.backupPath(),
                                      history::backupText(workspace.rows(), kDraws));
        require(service.rebuildFromBackup(quiet), kDraws);
    });
    out << "rebuild " << kDraws << " draws (backup file + rebuild): " << rebuildSeconds
        << " s (median of " << kRuns << ")\n";

    const double compactSeconds = medianSeconds(kRuns, [&] {
        if (!service.compact().ok) throw std::runtime_error("compaction failed");
    });
    out << "compact the " << fs::file_size(workspace.databasePath()) / (1024 * 1024)
        << " MiB database: " << compactSeconds << " s (median of " << kRuns << ")\n";

    const double cutBackSeconds = medianSeconds(
        kRuns, [&] { require(service.cutBackTo(service.cutBackDefault(), quiet), kDraws); });
    out << "cut back with the default entry (backup, rebuild, compaction): " << cutBackSeconds
        << " s (median of " << kRuns << ")\n";

    const double deleteSeconds = medianSeconds(kRuns, [&] { require(service.deleteNewest(), 0); });
    out << "delete the newest draw (with compaction): " << deleteSeconds << " s (median of "
        << kRuns << ")\n";
}

} // namespace bench
