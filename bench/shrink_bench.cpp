// Shrinking a bet at 300,000 draws: every condition with pass rates and chances over 1,000
// periods, and the back-test of the shrunk bet re-evaluated every period of 1,000 against the
// same tickets on random draws.

#include "benchmarks.h"

#include "play/cover.h"
#include "workspace/shrink_service.h"
#include "workspace/workspace.h"

#include <chrono>
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

// The conditions players' own tools add, on every play, two of them forgiven.
std::vector<play::Condition> newerConditions(play::Play play) {
    using play::ConditionKind;
    auto conditions = everyCondition(play);
    const int size = play::info(play).size;
    play::Condition group{ConditionKind::DanGroup, 0b111000, 0, 0, std::min(size, 2), {}};
    play::Condition ac{ConditionKind::Ac, 0, 0, 0, 4, {}};
    play::Condition tail{ConditionKind::SumTail, 0, 0, 0, 0, {}, {0, 2, 4, 6, 8}};
    play::Condition low{ConditionKind::Min, 0, 0, 1, 5, {}};
    play::Condition high{ConditionKind::Max, 0, 0, 4, 11, {}};
    conditions.insert(conditions.end(), {group, ac, tail, low, high});
    if (play::info(play).ordered) {
        const std::string ones(static_cast<size_t>(size), '1');
        const std::string zeros(static_cast<size_t>(size), '0');
        conditions.push_back({ConditionKind::PatternOdd, 0, 0, 0, 0, {}, {}, {ones, zeros}});
        conditions.push_back({ConditionKind::PatternRoute, 0, 0, 0, 0, {}, {}, {zeros, ones}});
    }
    return conditions;
}

// A 旋转矩阵 from all eleven numbers.
void coverBenchmark(play::Play play, std::ostream& out) {
    play::CoverRequest request;
    request.play = play;
    request.pool = 0x7ff;
    request.m = 5;
    play::CoverResult result;
    const auto start = std::chrono::steady_clock::now();
    result = play::findCover(request);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    out << "covering (旋转矩阵) " << play::info(play).name
        << " 中5 from 11 numbers: " << result.tickets.size() << " tickets (bound " << result.bound
        << ", full " << result.full << ", uncovered " << result.uncovered << "): " << seconds * 1000
        << " ms (goal 2000 ms)\n";
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
    for (const auto& info : play::plays()) {
        const auto conditions = newerConditions(info.play);
        std::int64_t checksum = 0;
        const double seconds = medianSeconds(3, [&] {
            checksum += play::shrinkFigures(info.play, conditions, rows, 1000, 2).passed;
        });
        out << draws << " draws, shrink " << info.name << " ("
            << play::selectionsOf(info.play).size() << " tickets), " << conditions.size()
            << " conditions with 2 forgiven, pass rates and "
            << "chances over 1000 periods: " << seconds * 1000 << " ms (goal "
            << (info.play == play::Play::Any8 ? "300" : "100") << " ms)"
            << (checksum < 0 ? " !" : "") << "\n";
    }
    coverBenchmark(play::Play::Any3, out);
    coverBenchmark(play::Play::Any6, out);
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
            << " tickets bought) against its tickets on random draws ("
            << (result.money.random && result.money.random->exact ? "exact"
                                                                  : "1000 simulated histories")
            << "): " << seconds * 1000 << " ms (goal 2000 ms)\n";
    }
}

} // namespace bench
