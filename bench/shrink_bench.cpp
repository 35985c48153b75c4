// Shrinking a bet at 300,000 draws: every condition with pass rates and chances over 1,000
// periods, and the back-test of the shrunk bet re-evaluated every period of 1,000 against random
// tickets.

#include "benchmarks.h"

#include "app/shrink_service.h"
#include "app/workspace.h"

#include <ostream>

namespace bench {

namespace {

std::vector<play::Condition> everyCondition(play::Play play) {
    using play::ConditionKind;
    const bool three = play::info(play).size == 3;
    auto range = [](ConditionKind kind, int low, int high) {
        play::Condition c;
        c.kind = kind;
        c.low = low;
        c.high = high;
        return c;
    };
    play::Condition dan{ConditionKind::Dan, 0b111, 1, 0, 0, {}};
    play::Condition kill{ConditionKind::Kill, 0b10000000000, 0, 0, 0, {}};
    play::Condition route{ConditionKind::Route,
                          0,
                          0,
                          0,
                          0,
                          three ? std::vector<int>{111, 210, 120, 201, 21, 102, 12}
                                : std::vector<int>{221, 212, 122, 311, 131, 113}};
    return {dan,
            kill,
            range(ConditionKind::Sum, three ? 9 : 20, three ? 24 : 40),
            range(ConditionKind::Span, three ? 3 : 5, 10),
            range(ConditionKind::Odd, 1, 3),
            range(ConditionKind::Big, 0, 3),
            range(ConditionKind::Prime, 1, 3),
            range(ConditionKind::Consecutive, 0, 1),
            range(ConditionKind::Repeat, 0, 2),
            range(ConditionKind::Neighbour, 0, 2),
            route,
            range(ConditionKind::ExcludeDrawn, 10, 10)};
}

} // namespace

void runShrinkBenchmarks(std::ostream& out) {
    const size_t draws = 300000;
    const std::string folder = folderWithHistory(draws);
    app::WorkspaceOptions options = workspaceOptions(folder);
    app::Workspace workspace(options);
    const auto& rows = workspace.rows();

    auto goal = [](play::Play p) {
        return p == play::Play::Any8 ? "300" : p == play::Play::Any6 ? "-" : "100";
    };
    for (const play::Play p : {play::Play::Front3Direct, play::Play::Any5, play::Play::Any8}) {
        const auto conditions = everyCondition(p);
        std::int64_t checksum = 0;
        const double seconds = medianSeconds(
            5, [&] { checksum += play::shrinkFigures(p, conditions, rows, 1000).passed; });
        out << draws << " draws, shrink " << play::info(p).name << " ("
            << play::selectionsOf(p).size() << " tickets), 12 conditions, pass rates and chances "
            << "over 1000 periods: " << seconds * 1000 << " ms (goal " << goal(p) << " ms)"
            << (checksum < 0 ? " !" : "") << "\n";
    }
    // The chance of 任六..任八 unites what each kept ticket covers; it costs most where nearly
    // every ticket is kept and the kept set changes every period.
    for (const play::Play p : {play::Play::Any6, play::Play::Any8}) {
        const std::vector<play::Condition> conditions = {
            {play::ConditionKind::ExcludeDrawn, 0, 0, 1, 1, {}},
            {play::ConditionKind::Neighbour, 0, 0, 0, 5, {}}};
        std::int64_t checksum = 0;
        const double seconds = medianSeconds(
            5, [&] { checksum += play::shrinkFigures(p, conditions, rows, 1000).passed; });
        out << draws << " draws, shrink " << play::info(p).name
            << ", exclude-drawn 1 and neighbour 0-5 (nearly every ticket kept), pass rates and "
            << "chances over 1000 periods: " << seconds * 1000 << " ms (goal " << goal(p) << " ms)"
            << (checksum < 0 ? " !" : "") << "\n";
    }

    app::ShrinkService service(workspace);
    for (const play::Play p : {play::Play::Front3Direct, play::Play::Any5}) {
        app::ShrinkRequest request;
        request.play = p;
        request.conditions = everyCondition(p);
        request.window = 1000;
        request.backtestSteps = 1000;
        history::NoProgress progress;
        app::ShrinkResult result;
        const double seconds = medianSeconds(3, [&] { service.run(request, progress, result); });
        out << draws << " draws, shrink " << play::info(p).name
            << " with a back-test of 1000 periods (" << result.money.tickets
            << " tickets bought) and 1000 random runs: " << seconds * 1000
            << " ms (goal 2000 ms)\n";
    }
}

} // namespace bench
