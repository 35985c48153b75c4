#pragma once
// The benchmark groups; bench_main runs them all (or those named on its command line).

#include "workspace/workspace.h"

#include <chrono>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace bench {

// Seconds taken by fn, the median of `runs` runs.
double medianSeconds(int runs, const std::function<void()>& fn);
// A fresh temporary folder (removed at exit of the benchmark program).
std::string freshFolder(const std::string& name);

void runStoreBenchmarks(std::ostream& out);
void runWindowBenchmarks(std::ostream& out);
void runSearchBenchmarks(std::ostream& out);
void runImportBenchmarks(std::ostream& out);
void runSheetImportBenchmarks(std::ostream& out);
void runUpdateBenchmarks(std::ostream& out);
void runExportBenchmarks(std::ostream& out);
void runOmissionBenchmarks(std::ostream& out);
void runBacktestBenchmarks(std::ostream& out);
void runGameSwitchBenchmarks(std::ostream& out);
void runPlayBenchmarks(std::ostream& out);
void runPlanBenchmarks(std::ostream& out);
void runShrinkBenchmarks(std::ostream& out);
void runPagesBenchmarks(std::ostream& out);

// A data folder whose database holds `draws` synthetic draws, stored through the bulk path.
std::string folderWithHistory(size_t draws);
// A workspace on folder with its own settings file there.
app::WorkspaceOptions workspaceOptions(const std::string& folder);

} // namespace bench
