// The searches at ten years of draws and at the sixteen days the online update keeps: time to the
// results (hits, tally, grid texts) and time to the database's final state.

#include "benchmarks.h"

#include "workspace/search_service.h"
#include "workspace/workspace.h"

#include <algorithm>
#include <ostream>
#include <thread>

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
        app::WorkspaceOptions options = workspaceOptions(folder);
        {
            // A fresh start: the window reads ahead once it is shown, then the first search.
            app::Workspace fresh(options);
            app::SearchService first(fresh);
            first.warmUp();
            // The user's first moments with the window, while the texts are read ahead.
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            const auto warm = std::chrono::steady_clock::now();
            app::SearchResult result;
            if (!first.patternSearch({true, true, true, false, false}, result).ok)
                throw std::runtime_error("search failed");
            const auto shown = std::chrono::steady_clock::now();
            out << draws << " draws, first search 1.5 s after start (texts read ahead meanwhile): "
                << "results " << std::chrono::duration<double>(shown - warm).count() * 1000
                << " ms\n";
        }
        app::Workspace workspace(options);
        app::SearchService service(workspace);
        for (const Case& c : cases) {
            workspace.setPositionMode(c.fixed ? search::PositionMode::Fixed
                                              : search::PositionMode::Free);
            workspace.setPeriodMode(c.last ? search::PeriodMode::Last : search::PeriodMode::Back);
            workspace.setBackDistance(c.distance);
            workspace.setCombinationSize(c.size);
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
                    typed[p] = std::to_string(target.values[workspace.settings().searchKind][p]);
                workspace.setTargetSource(app::TargetSource::Typed, typed);
                app::SearchResult result;
                const auto start = std::chrono::steady_clock::now();
                const auto outcome = c.combination ? service.combinationSearch(result)
                                                   : service.patternSearch(c.positions, result);
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
        // The loop of a day: type the next draw, search again (the free 前期 pattern search).
        std::vector<double> typed, results, complete;
        for (int i = 0; i < 5; ++i) {
            const auto start = std::chrono::steady_clock::now();
            const auto stored = workspace.addDraw({"01", "02", "03", "04", "05"});
            if (!stored.ok) throw std::runtime_error(stored.message);
            const auto afterEntry = std::chrono::steady_clock::now();
            workspace.setPositionMode(search::PositionMode::Free);
            workspace.setPeriodMode(search::PeriodMode::Back);
            workspace.setBackDistance("3");
            app::SearchResult result;
            if (!service.patternSearch({true, true, true, false, false}, result).ok)
                throw std::runtime_error("search failed");
            const auto shown = std::chrono::steady_clock::now();
            workspace.waitForWrites();
            const auto done = std::chrono::steady_clock::now();
            typed.push_back(std::chrono::duration<double>(afterEntry - start).count());
            results.push_back(std::chrono::duration<double>(shown - afterEntry).count());
            complete.push_back(std::chrono::duration<double>(done - afterEntry).count());
        }
        for (auto* v : {&typed, &results, &complete}) std::sort(v->begin(), v->end());
        out << draws << " draws, typed draw then free 前期 N=3 search: draw stored "
            << typed[2] * 1000 << " ms, results " << results[2] * 1000 << " ms, database done "
            << complete[2] * 1000 << " ms (medians of 5)\n";
    }
}

} // namespace bench
