// k11_bench [GROUP ...]: prints the figures of the benchmark groups (all when none is named).

#include "benchmarks.h"

#include <QApplication>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <thread>

namespace bench {

namespace {
std::filesystem::path& root() {
    static std::filesystem::path path;
    return path;
}
} // namespace

double medianSeconds(int runs, const std::function<void()>& fn) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        fn();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

std::string freshFolder(const std::string& name) {
    static int counter = 0;
    auto folder = root() / (name + "-" + std::to_string(++counter));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder.string();
}

app::WorkspaceOptions workspaceOptions(const std::string& folder) {
    app::WorkspaceOptions options;
    options.dataDir = folder;
    options.settingsFile = folder + "/settings.ini";
    return options;
}

} // namespace bench

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    bench::root() =
        std::filesystem::temp_directory_path() / ("k11bench-" + std::to_string(getpid()));
    const std::map<std::string, void (*)(std::ostream&)> groups = {
        {"store", bench::runStoreBenchmarks},
        {"window", bench::runWindowBenchmarks},
        {"search", bench::runSearchBenchmarks},
        {"import", bench::runImportBenchmarks},
        {"update", bench::runUpdateBenchmarks},
        {"export", bench::runExportBenchmarks},
        {"omission", bench::runOmissionBenchmarks},
        {"backtest", bench::runBacktestBenchmarks},
        {"sheets", bench::runSheetImportBenchmarks},
        {"game-switch", bench::runGameSwitchBenchmarks},
        {"plays", bench::runPlayBenchmarks},
        {"plans", bench::runPlanBenchmarks},
        {"shrink", bench::runShrinkBenchmarks},
    };
    std::vector<std::string> wanted(argv + 1, argv + argc);
    std::cout << "cores: " << std::thread::hardware_concurrency() << "\n";
    for (const auto& [name, run] : groups) {
        if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), name) == wanted.end())
            continue;
        std::cout << "== " << name << " ==\n";
        run(std::cout);
    }
    std::filesystem::remove_all(bench::root());
    return 0;
}
