// The plays at 300,000 draws: the omission table of 任五 (462 tickets) and 前三直选 (990) over the
// whole history, and the money back-test of the coldest ticket over 1,000 periods with 1,000
// random runs.

#include "benchmarks.h"

#include "workspace/play_service.h"
#include "workspace/workspace.h"

#include <ostream>

namespace bench {

void runPlayBenchmarks(std::ostream& out) {
    const size_t draws = 300000;
    const std::string folder = folderWithHistory(draws);
    app::WorkspaceOptions options = workspaceOptions(folder);
    app::Workspace workspace(options);
    app::SearchService searches(workspace);
    app::PlayService plays(workspace, searches);

    struct Case {
        play::Play play;
        const char* goal;
    };
    for (const Case& c : {Case{play::Play::Any5, "150"}, Case{play::Play::Front3Direct, "250"},
                          Case{play::Play::Any8, "-"}, Case{play::Play::Any2, "-"}}) {
        std::int64_t checksum = 0;
        const double seconds = medianSeconds(5, [&] {
            app::PlayTableResult result;
            plays.table(c.play, std::nullopt, std::nullopt, result);
            checksum += result.table->figures().front().count;
        });
        out << draws << " draws, " << play::info(c.play).name << " table ("
            << play::selectionsOf(c.play).size() << " tickets): " << seconds * 1000 << " ms (goal "
            << c.goal << " ms)" << (checksum < 0 ? " !" : "") << "\n";
    }

    for (auto rule : {app::PickRule::Coldest, app::PickRule::Fixed}) {
        app::BetRequest request;
        request.play = play::Play::Any5;
        request.rule = rule;
        request.tickets = {"01 02 03 04 05"};
        request.steps = 1000;
        request.randomRuns = 1000;
        history::NoProgress progress;
        app::BetResult result;
        const double seconds = medianSeconds(3, [&] { plays.bet(request, progress, result); });
        out << draws << " draws, bet 任五 " << app::pickRuleName(rule)
            << ", 1000 periods, 1000 random runs: " << seconds * 1000 << " ms (goal 2000 ms)\n";
    }
    // Many tickets a period: every 任三 ticket of a shrunk bet, say 100 a period.
    {
        app::BetRequest request;
        request.play = play::Play::Any3;
        request.rule = app::PickRule::Fixed;
        for (int a = 1; a <= 11 && request.tickets.size() < 100; ++a)
            for (int b = a + 1; b <= 11 && request.tickets.size() < 100; ++b)
                for (int c = b + 1; c <= 11 && request.tickets.size() < 100; ++c)
                    request.tickets.push_back(std::to_string(a) + " " + std::to_string(b) + " " +
                                              std::to_string(c));
        request.steps = 1000;
        request.randomRuns = 1000;
        history::NoProgress progress;
        app::BetResult result;
        const double seconds = medianSeconds(3, [&] { plays.bet(request, progress, result); });
        out << draws << " draws, bet 任三 100 fixed tickets a period, 1000 periods, 1000 random "
            << "runs: " << seconds * 1000 << " ms\n";
    }
}

} // namespace bench
