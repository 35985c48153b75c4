#include "play/cover.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <random>

namespace play {

namespace {

int sizeOf(Play play) {
    return info(play).size;
}

bool isAny(Play play) {
    return play >= Play::Any2 && play <= Play::Any8;
}

// Whether a ticket covers an m-subset: it lies within the subset (任二..任四) or holds it
// (任五..任八).
bool covers(int k, search::NumberSet ticket, search::NumberSet subset) {
    return k <= 5 ? (ticket & ~subset) == 0 : (subset & ~ticket) == 0;
}

// Every subset of `count` numbers of `pool`, in the order of the tickets' texts.
std::vector<search::NumberSet> subsetsOf(search::NumberSet pool, int count) {
    std::vector<search::NumberSet> out;
    if (count < 1 || count > 8) return out;
    const Play play = static_cast<Play>(static_cast<int>(Play::Any2) + count - 2);
    if (count == 1) {
        for (int n = 0; n < 11; ++n)
            if ((pool >> n) & 1) out.push_back(static_cast<search::NumberSet>(1u << n));
        return out;
    }
    for (const auto& s : selectionsOf(play).all()) {
        search::NumberSet mask = 0;
        for (int i = 0; i < s.size; ++i)
            mask |= static_cast<search::NumberSet>(1u << (s.numbers[i] - 1));
        if ((mask & ~pool) == 0) out.push_back(mask);
    }
    return out;
}

// The local search's state: which candidates are chosen and how often each subset is covered.
class Search {
  public:
    Search(int k, const std::vector<search::NumberSet>& candidates,
           const std::vector<search::NumberSet>& subsets)
        : targetsOf_(candidates.size()), coverersOf_(subsets.size()), count_(subsets.size(), 0),
          chosen_(candidates.size(), false), uncovered_(static_cast<int>(subsets.size())) {
        for (std::uint32_t c = 0; c < candidates.size(); ++c)
            for (std::uint32_t t = 0; t < subsets.size(); ++t)
                if (covers(k, candidates[c], subsets[t])) {
                    targetsOf_[c].push_back(t);
                    coverersOf_[t].push_back(c);
                }
    }

    void add(std::uint32_t c) {
        chosen_[c] = true;
        for (const auto t : targetsOf_[c])
            if (count_[t]++ == 0) --uncovered_;
    }
    void remove(std::uint32_t c) {
        chosen_[c] = false;
        for (const auto t : targetsOf_[c])
            if (--count_[t] == 0) ++uncovered_;
    }
    // Subsets only c covers.
    int loss(std::uint32_t c) const {
        int n = 0;
        for (const auto t : targetsOf_[c]) n += count_[t] == 1;
        return n;
    }
    int gain(std::uint32_t c) const {
        int n = 0;
        for (const auto t : targetsOf_[c]) n += count_[t] == 0;
        return n;
    }
    int uncovered() const { return uncovered_; }
    bool chosen(std::uint32_t c) const { return chosen_[c]; }
    size_t candidates() const { return targetsOf_.size(); }
    size_t subsets() const { return count_.size(); }
    bool isCovered(std::uint32_t t) const { return count_[t] > 0; }
    const std::vector<std::uint32_t>& coverers(std::uint32_t t) const { return coverersOf_[t]; }

  private:
    std::vector<std::vector<std::uint32_t>> targetsOf_;
    std::vector<std::vector<std::uint32_t>> coverersOf_;
    std::vector<int> count_;
    std::vector<bool> chosen_;
    int uncovered_;
};

std::vector<std::uint32_t> greedy(Search& s) {
    std::vector<std::uint32_t> chosen;
    while (s.uncovered() > 0) {
        std::uint32_t best = 0;
        int bestGain = -1;
        for (std::uint32_t c = 0; c < s.candidates(); ++c) {
            if (s.chosen(c)) continue;
            const int g = s.gain(c);
            if (g > bestGain) bestGain = g, best = c;
        }
        s.add(best);
        chosen.push_back(best);
    }
    return chosen;
}

// Tries to cover with one ticket fewer, again and again, until the budget runs out or the bound
// is reached: drop the ticket that covers least alone, then swap a ticket covering a random
// uncovered subset for the one whose loss hurts least (the last few dropped are not taken back).
std::vector<std::uint32_t> improve(Search& s, std::vector<std::uint32_t> best, std::int64_t bound,
                                   double seconds, std::uint64_t seed) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    std::mt19937_64 random(seed);
    std::vector<std::uint32_t> current = best;
    std::vector<std::uint32_t> open, tabu;
    const auto dropLeastUseful = [&] {
        size_t at = 0;
        int least = 1 << 30;
        for (size_t i = 0; i < current.size(); ++i)
            if (const int l = s.loss(current[i]); l < least) least = l, at = i;
        s.remove(current[at]);
        current.erase(current.begin() + static_cast<std::ptrdiff_t>(at));
    };
    if (static_cast<std::int64_t>(current.size()) <= bound || current.size() < 2) return best;
    dropLeastUseful();
    for (std::uint64_t step = 0;; ++step) {
        if (s.uncovered() == 0) {
            best = current;
            if (static_cast<std::int64_t>(current.size()) <= bound || current.size() < 2) break;
            dropLeastUseful();
            continue;
        }
        if ((step & 255) == 0 && Clock::now() >= deadline) break;
        open.clear();
        for (std::uint32_t t = 0; t < s.subsets(); ++t)
            if (!s.isCovered(t)) open.push_back(t);
        const auto& coverers = s.coverers(open[random() % open.size()]);
        std::uint32_t in = coverers[random() % coverers.size()];
        for (int tries = 0; tries < 4 && std::count(tabu.begin(), tabu.end(), in); ++tries)
            in = coverers[random() % coverers.size()];
        s.add(in);
        size_t out = 0;
        int least = 1 << 30;
        for (size_t i = 0; i < current.size(); ++i) {
            const int l = s.loss(current[i]) * 16 + static_cast<int>(random() % 16);
            if (l < least) least = l, out = i;
        }
        tabu.push_back(current[out]);
        if (tabu.size() > 6) tabu.erase(tabu.begin());
        s.remove(current[out]);
        current[out] = in;
    }
    return best;
}

} // namespace

std::int64_t binomial(int n, int k) {
    if (k < 0 || k > n) return 0;
    std::int64_t c = 1;
    for (int i = 0; i < k; ++i) c = c * (n - i) / (i + 1);
    return c;
}

std::int64_t averagingBound(int v, int k, int m) {
    std::int64_t b = 1;
    for (int u = m + 1; u <= v; ++u) b = (u * b + (u - k) - 1) / (u - k);
    return b;
}

std::int64_t schoenheimBound(int v, int k, int t) {
    std::int64_t x = 1;
    for (int i = t - 1; i >= 0; --i) x = ((v - i) * x + (k - i) - 1) / (k - i);
    return x;
}

std::string coverProblem(const CoverRequest& r) {
    if (!isAny(r.play)) return "旋转矩阵只用于任二到任八";
    const int k = sizeOf(r.play);
    const int v = std::popcount(static_cast<unsigned>(r.pool));
    const std::string name = info(r.play).name;
    if (r.pool & ~0x7ff) return "号码池的号码须在01到11之间";
    if (v <= k || v > 11)
        return name + "的号码池须有" + std::to_string(k + 1) + "到11个号码（现有" +
               std::to_string(v) + "个）";
    if (k <= 5 && (r.m < k || r.m > 5 || r.m > v))
        return name + "的中几保中须在" + std::to_string(k) + "到" + std::to_string(std::min(5, v)) +
               "之间";
    if (k >= 5 && r.m != 5) return name + "的旋转矩阵只有中5保中";
    return {};
}

std::int64_t uncoveredSubsets(Play play, search::NumberSet pool, int m,
                              const std::vector<search::NumberSet>& tickets) {
    const int k = sizeOf(play);
    std::int64_t missing = 0;
    for (const auto subset : subsetsOf(pool, m))
        missing += std::none_of(tickets.begin(), tickets.end(),
                                [&](search::NumberSet t) { return covers(k, t, subset); });
    return missing;
}

CoverResult findCover(const CoverRequest& r) {
    const int k = sizeOf(r.play);
    const int v = std::popcount(static_cast<unsigned>(r.pool));
    CoverResult result;
    const auto candidates = subsetsOf(r.pool, k);
    result.full = static_cast<std::int64_t>(candidates.size());
    if (k == 5) {
        // Every 5-subset is a ticket of its own: nothing smaller covers.
        result.wholeBet = true;
        result.bound = result.full;
        result.tickets = candidates;
        return result;
    }
    result.bound = k < 5 ? averagingBound(v, k, r.m) : schoenheimBound(v, k, 5);
    const auto subsets = subsetsOf(r.pool, r.m);
    Search search(k, candidates, subsets);
    auto chosen = greedy(search);
    if (r.localSearch) chosen = improve(search, chosen, result.bound, r.seconds, r.seed);
    std::sort(chosen.begin(), chosen.end());
    for (const auto c : chosen) result.tickets.push_back(candidates[c]);
    result.uncovered = uncoveredSubsets(r.play, r.pool, r.m, result.tickets);
    return result;
}

} // namespace play
