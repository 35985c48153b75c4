#include "play/random_runs.h"

#include <algorithm>
#include <atomic>
#include <future>
#include <thread>

namespace play {

std::vector<size_t> shownPeriods(size_t periods) {
    const size_t stride = std::max<size_t>(1, (periods + kCurvePoints - 1) / kCurvePoints);
    std::vector<size_t> shown;
    for (size_t i = 0; i < periods; ++i)
        if ((i + 1) % stride == 0 || i + 1 == periods) shown.push_back(i);
    return shown;
}

bool playRandomRuns(
    const RandomOptions& options, std::uint32_t n, unsigned threads, history::Progress& progress,
    const std::function<void(size_t run, Random& random, TicketScratch& scratch)>& play) {
    const auto runs = static_cast<size_t>(options.runs);
    std::atomic<size_t> next{0}, done{0};
    std::atomic<bool> stop{false};
    auto work = [&](bool reporting) {
        TicketScratch scratch(n);
        for (;;) {
            const size_t run = next.fetch_add(1);
            if (run >= runs || stop.load()) return;
            Random random(options.seed, run);
            play(run, random, scratch);
            const size_t finished = done.fetch_add(1) + 1;
            if (reporting && !progress.advance(finished)) stop = true;
        }
    };
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::min<size_t>(threads, runs));
    progress.setTotal(runs);
    std::vector<std::future<void>> helpers;
    for (unsigned t = 1; t < threads; ++t)
        helpers.push_back(std::async(std::launch::async, work, false));
    try {
        work(true);
    } catch (...) {
        stop = true;
        for (auto& helper : helpers) helper.wait();
        throw;
    }
    for (auto& helper : helpers) helper.get();
    return !stop && progress.advance(runs);
}

RankShares rankAmong(const std::vector<std::int64_t>& nets, std::int64_t net) {
    RankShares r;
    if (nets.empty()) return r;
    std::int64_t below = 0, equal = 0;
    for (const std::int64_t n : nets) {
        below += n < net;
        equal += n == net;
    }
    const auto count = static_cast<double>(nets.size());
    r.below = static_cast<double>(below) / count;
    r.equal = static_cast<double>(equal) / count;
    r.above = static_cast<double>(static_cast<std::int64_t>(nets.size()) - below - equal) / count;
    return r;
}

void setRandomBand(std::vector<MoneyPoint>& curve, const std::vector<std::int64_t>& shownNet,
                   size_t runs) {
    std::vector<std::int64_t> column(runs);
    for (size_t s = 0; s < curve.size(); ++s) {
        for (size_t run = 0; run < runs; ++run) column[run] = shownNet[run * curve.size() + s];
        curve[s].low = quantile(column, 0.05);
        curve[s].high = quantile(column, 0.95);
    }
}

} // namespace play
