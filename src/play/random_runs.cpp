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

RunBand::RunBand(size_t runs, std::vector<MoneyPoint>& curve, size_t periods, size_t budget)
    : curve_(curve), runs_(runs), points_(curve.size()), periods_(periods),
      perRound_(std::max<size_t>(1, std::min(points_, budget / std::max<size_t>(1, runs)))),
      rounds_(std::max<size_t>(1, (points_ + perRound_ - 1) / perRound_)), nets_(runs * perRound_),
      column_(runs) {}

size_t RunBand::endPeriod(size_t round) const {
    if (round + 1 >= rounds_) return periods_;
    return curve_[endPoint(round) - 1].index + 1;
}

void RunBand::setBand(size_t round) {
    for (size_t s = firstPoint(round); s < endPoint(round); ++s) {
        const size_t at = s - firstPoint(round);
        for (size_t run = 0; run < runs_; ++run) column_[run] = nets_[run * perRound_ + at];
        curve_[s].low = quantile(column_, 0.05);
        curve_[s].high = quantile(column_, 0.95);
    }
}

bool playRandomRuns(const RandomOptions& options, std::uint32_t n, unsigned threads,
                    history::Progress& progress, size_t rounds,
                    const std::function<void(size_t run, size_t round, Random& random,
                                             TicketScratch& scratch)>& play,
                    const std::function<void(size_t round)>& afterRound) {
    const auto runs = static_cast<size_t>(options.runs);
    rounds = std::max<size_t>(1, rounds);
    std::vector<Random> randoms;
    randoms.reserve(runs);
    for (size_t run = 0; run < runs; ++run) randoms.emplace_back(options.seed, run);
    std::atomic<bool> stop{false};
    if (threads == 0) threads = std::max(1u, std::thread::hardware_concurrency());
    threads = static_cast<unsigned>(std::max<size_t>(1, std::min<size_t>(threads, runs)));
    progress.setTotal(runs);
    for (size_t round = 0; round < rounds && !stop; ++round) {
        std::atomic<size_t> next{0}, done{0};
        auto work = [&](bool reporting) {
            TicketScratch scratch(n);
            for (;;) {
                const size_t run = next.fetch_add(1);
                if (run >= runs || stop.load()) return;
                play(run, round, randoms[run], scratch);
                const size_t finished = done.fetch_add(1) + 1;
                if (reporting && !progress.advance((round * runs + finished) / rounds)) stop = true;
            }
        };
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
        if (!stop) afterRound(round);
    }
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

} // namespace play
