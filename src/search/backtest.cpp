#include "search/backtest.h"

#include "search/chance.h"
#include "search/multiple_tests.h"
#include "search/tally.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <limits>
#include <thread>

namespace search {

namespace {

// What one tested period gave.
struct Outcome {
    bool hit = false;
    std::vector<std::uint8_t> success;
    std::vector<double> chance;
    std::vector<int> top;
};

// Everything the steps share, read-only while they run.
struct Plan {
    const SearchInput& input;
    const BacktestRequest& request;
    const HitMatcher& matcher;
    size_t spanFirst = 0;
    size_t firstTested = 0;
    size_t topCount = 0;
    // The result kind's values of the numbers 01..11 at each tested period.
    std::vector<std::array<std::int16_t, 11>> numberValues;
};

// Room a thread's steps work in, kept from step to step.
struct Scratch {
    std::vector<std::uint32_t> hits;
    std::vector<std::uint32_t> masks;
};

Outcome testPeriod(const Plan& plan, size_t i, Scratch& scratch) {
    const auto& rows = plan.input.rows;
    const SearchRequest& search = plan.request.search;
    // The targets as the program shows them with the history before row i: the reference draw
    // (the newest, or N - 1 before it), or the typed ones; with no such draw they stay empty.
    std::array<std::int16_t, 5> targets{};
    if (plan.request.typedTargets) {
        targets = search.targets;
    } else {
        const size_t back = search.lastPeriod() ? 0 : static_cast<size_t>(search.distance - 1);
        if (i >= back + 1) targets = rows[i - 1 - back].values[search.kind];
    }
    Outcome outcome;
    plan.matcher.hits(targets, plan.spanFirst, i, scratch.hits, scratch.masks);
    const auto& hits = scratch.hits;
    if (hits.empty()) return outcome;
    outcome.hit = true;
    const Tally tally =
        tallyHits(rows, hits, search.resultKind, search.zodiacBase, search.segmentBase);
    const auto& drawn = rows[i].values[search.resultKind];
    const auto& numbers = plan.numberValues[i - plan.firstTested];
    std::vector<int> chosen;
    for (size_t k = 1; k <= plan.topCount; ++k) {
        chosen.push_back(tally.byCount[k - 1].value);
        auto inChosen = [&](int v) {
            return std::find(chosen.begin(), chosen.end(), v) != chosen.end();
        };
        outcome.success.push_back(std::any_of(drawn.begin(), drawn.end(), inChosen) ? 1 : 0);
        outcome.chance.push_back(
            chanceOfAny(static_cast<int>(std::count_if(numbers.begin(), numbers.end(), inChosen))));
    }
    outcome.top = std::move(chosen);
    return outcome;
}

} // namespace

BacktestResult runBacktest(const SearchInput& input, const BacktestRequest& request,
                           const history::Zodiac& zodiac, history::Progress& progress,
                           unsigned threads) {
    BacktestResult result;
    const auto& rows = input.rows;
    const SearchRequest& search = request.search;
    const size_t topCount = static_cast<size_t>(std::clamp<std::int64_t>(
        request.top, 0,
        static_cast<std::int64_t>(
            resultValues(search.resultKind, search.zodiacBase, search.segmentBase).size())));
    for (size_t k = 1; k <= topCount; ++k) result.top.push_back({static_cast<int>(k), 0, 0, 1});
    if (rows.size() < 2 || request.steps <= 0) return result;

    // The tested periods: the last `steps` rows that have an earlier draw.
    const size_t steps = std::min(static_cast<size_t>(request.steps), rows.size() - 1);
    const size_t firstTested = rows.size() - steps;
    // The span as at start-up: from the first period plus the distance compared.
    const int distance = search.lastPeriod() ? 1 : search.distance;
    const auto spanFirst = static_cast<size_t>(
        std::lower_bound(rows.begin(), rows.end(),
                         static_cast<std::int64_t>(rows.front().period) + distance,
                         [](const auto& row, std::int64_t id) { return row.period < id; }) -
        rows.begin());
    const HitMatcher matcher(input, search, spanFirst, rows.size() - 1);

    Plan plan{input, request, matcher, spanFirst, firstTested, topCount, {}};
    NumberValues numberValues(search.resultKind, zodiac, search.segmentBase);
    plan.numberValues.reserve(steps);
    for (size_t i = firstTested; i < rows.size(); ++i)
        plan.numberValues.push_back(numberValues.at(rows[i].period));

    // The steps are independent: helpers take them one by one while this thread takes its share
    // too and tells the progress between its steps.
    std::vector<Outcome> outcomes(steps);
    std::atomic<size_t> next{0}, done{0};
    std::atomic<bool> stop{false};
    auto work = [&] {
        Scratch scratch;
        for (;;) {
            const size_t s = next.fetch_add(1);
            if (s >= steps || stop.load()) return;
            outcomes[s] = testPeriod(plan, firstTested + s, scratch);
            done.fetch_add(1);
        }
    };
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>(threads, steps));
    std::vector<std::future<void>> helpers;
    for (unsigned t = 1; t < threads; ++t) helpers.push_back(std::async(std::launch::async, work));
    try {
        Scratch scratch;
        progress.setTotal(steps);
        for (;;) {
            const size_t s = next.fetch_add(1);
            if (s >= steps || stop.load()) break;
            outcomes[s] = testPeriod(plan, firstTested + s, scratch);
            done.fetch_add(1);
            if (!progress.advance(done.load())) stop = true;
        }
    } catch (...) {
        stop = true;
        for (auto& helper : helpers) helper.wait();
        throw;
    }
    for (auto& helper : helpers) helper.get();
    if (!stop && !progress.advance(steps)) stop = true;
    if (stop) {
        result.cancelled = true;
        return result;
    }

    std::vector<std::vector<double>> chances(topCount);
    for (size_t s = 0; s < steps; ++s) {
        Outcome& outcome = outcomes[s];
        if (!outcome.hit) {
            ++result.skipped;
            continue;
        }
        for (size_t k = 0; k < topCount; ++k) {
            result.top[k].successes += outcome.success[k];
            result.top[k].expected += outcome.chance[k];
            chances[k].push_back(outcome.chance[k]);
        }
        result.steps.push_back({rows[firstTested + s].period, std::move(outcome.success),
                                std::move(outcome.chance), std::move(outcome.top)});
    }
    std::vector<double> pValues(topCount);
    for (size_t k = 0; k < topCount; ++k)
        pValues[k] = result.top[k].pValue =
            poissonBinomialTail(chances[k], result.top[k].successes);
    // The T values of k are looked at together, so each is judged adjusted for the others.
    const auto adjusted = holmAdjusted(pValues);
    for (size_t k = 0; k < topCount; ++k) result.top[k].pAdjusted = adjusted[k];
    return result;
}

} // namespace search
