// The searches at ten years of draws and at the sixteen days the online update keeps: time to the
// results (hits, tally, grid texts) and time to the database's final state.

#include "benchmarks.h"

#include "app/search_service.h"
#include "app/workspace.h"

#include <ostream>

namespace bench {

namespace {

struct Case {
    const char* name;
    bool combination;
    bool fixed;
    bool last;
    const char* distance;
    std::array<bool, 5> positions;
    const char* size;
};

} // namespace

void runSearchBenchmarks(std::ostream& out) {
    const Case cases[] = {
        {"fixed 上期 pattern, 2 positions", false, true, true, "2", {true, true}, "2"},
        {"free 前期 N=3 pattern, 3 positions", false, false, false, "3", {true, true, true}, "2"},
        {"fixed 前期 combination k=3", true, true, false, "3", {}, "3"},
        {"free 上期 combination k=2", true, false, true, "2", {}, "2"},
    };
    for (size_t draws : {size_t{1400}, size_t{300000}}) {
        const std::string folder = folderWithHistory(draws);
        app::WorkspaceOptions options;
        options.dataDir = folder;
        options.settingsFile = folder + "/settings.ini";
        app::Workspace workspace(options);
        app::SearchService service(workspace);
        for (const Case& c : cases) {
            workspace.Option1_Click(c.fixed ? 0 : 1);
            workspace.Option1_Click(c.last ? 3 : 2);
            workspace.MaskEdBox2_LostFocus(c.distance);
            workspace.Combo1_LostFocus(c.size);
            double toResults = 0;
            size_t hits = 0;
            int round = 0;
            // Each search after the first asks for other targets (the newest draw's, then the
            // one before it), as a user trying one pattern after another would.
            auto search = [&] {
                const auto& rows = workspace.rows();
                const auto& target = rows[rows.size() - 1 - static_cast<size_t>(round++ % 2)];
                std::array<std::string, 5> typed;
                for (int p = 0; p < 5; ++p)
                    typed[p] = std::to_string(target.values[workspace.settings().intLei][p]);
                workspace.setTargetTab(true, typed);
                app::SearchResult result;
                const auto start = std::chrono::steady_clock::now();
                const auto outcome = c.combination ? service.Command2_Click(result)
                                                   : service.Command1_Click(c.positions, result);
                toResults =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                if (!outcome.ok) throw std::runtime_error(outcome.message);
                hits = result.hits.size();
                if (!workspace.waitForWrites().empty()) throw std::runtime_error("write failed");
            };
            const double cold = medianSeconds(1, search);
            const double coldResults = toResults;
            std::vector<double> results;
            const double complete = medianSeconds(5, [&] {
                search();
                results.push_back(toResults);
            });
            std::sort(results.begin(), results.end());
            out << draws << " draws, " << c.name << ": results " << results[2] * 1000
                << " ms, database done " << complete * 1000 << " ms (medians of 5; first search "
                << coldResults * 1000 << " / " << cold * 1000 << " ms), " << hits << " hits\n";
        }
    }
}

} // namespace bench
