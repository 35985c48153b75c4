#include "play/shrink_chance.h"

#include <algorithm>

namespace play {

TicketBits::TicketBits(size_t size, bool all) : words_((size + 63) / 64, 0) {
    if (!all) return;
    for (size_t w = 0; w < words_.size(); ++w)
        words_[w] =
            size - w * 64 >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << (size - w * 64)) - 1;
}

TicketBits& TicketBits::operator&=(const TicketBits& other) {
    for (size_t w = 0; w < words_.size(); ++w) words_[w] &= other.words_[w];
    return *this;
}

size_t TicketBits::count() const {
    size_t n = 0;
    for (const auto w : words_) n += static_cast<size_t>(std::popcount(w));
    return n;
}

OutcomeCover::OutcomeCover(const SelectionSet& selections) {
    const Play play = selections.play();
    const bool anyPlay = play >= Play::Any2 && play <= Play::Any8;
    // The outcomes as draws: the sets of five for the 任选 plays, else the play's own front
    // numbers followed by numbers not among them (which no front play looks at).
    const SelectionSet& outcomeSet = anyPlay ? selectionsOf(Play::Any5) : selections;
    outcomes_ = outcomeSet.size();
    words_ = (outcomes_ + 63) / 64;
    cover_.assign(selections.size() * words_, 0);
    std::vector<std::uint32_t> winners;
    bool oneEach = selections.size() == outcomes_;
    for (std::uint32_t o = 0; o < outcomes_; ++o) {
        const Selection& s = outcomeSet[o];
        Draw draw{};
        int filled = 0;
        for (; filled < s.size; ++filled)
            draw[static_cast<size_t>(filled)] = static_cast<std::int16_t>(s.numbers[filled]);
        for (int n = 1; filled < 5; ++n)
            if (std::find(draw.begin(), draw.begin() + filled, n) == draw.begin() + filled)
                draw[static_cast<size_t>(filled++)] = static_cast<std::int16_t>(n);
        selections.winners(draw, winners);
        oneEach = oneEach && winners.size() == 1;
        for (const auto t : winners) cover_[t * words_ + (o >> 6)] |= std::uint64_t{1} << (o & 63);
    }
    oneEach_ = oneEach;
}

double OutcomeCover::chance(const TicketBits& kept) const {
    if (outcomes_ == 0) return 0;
    if (oneEach_) return static_cast<double>(kept.count()) / static_cast<double>(outcomes_);
    std::uint64_t won[16] = {}; // 990 outcomes at most
    std::vector<std::uint64_t> wide(words_ > 16 ? words_ : 0, 0);
    std::uint64_t* into = words_ > 16 ? wide.data() : won;
    kept.forEach([&](std::uint32_t t) {
        const std::uint64_t* from = cover_.data() + t * words_;
        for (size_t w = 0; w < words_; ++w) into[w] |= from[w];
    });
    size_t count = 0;
    for (size_t w = 0; w < words_; ++w) count += static_cast<size_t>(std::popcount(into[w]));
    return static_cast<double>(count) / static_cast<double>(outcomes_);
}

std::vector<std::uint32_t>
OutcomeCover::winCounts(const std::vector<std::uint32_t>& tickets) const {
    std::vector<std::uint32_t> won(outcomes_, 0);
    for (const auto t : tickets) {
        const std::uint64_t* from = cover_.data() + t * words_;
        for (size_t w = 0; w < words_; ++w)
            for (std::uint64_t bits = from[w]; bits; bits &= bits - 1)
                ++won[w * 64 + static_cast<size_t>(std::countr_zero(bits))];
    }
    std::vector<std::uint32_t> counts(1, 0);
    for (const auto w : won) {
        if (w >= counts.size()) counts.resize(w + 1, 0);
        ++counts[w];
    }
    return counts;
}

const OutcomeCover& outcomeCoverOf(Play play) {
    static const std::vector<OutcomeCover> covers = [] {
        std::vector<OutcomeCover> all;
        for (const auto& p : plays()) all.emplace_back(selectionsOf(p.play));
        return all;
    }();
    return covers[static_cast<size_t>(play)];
}

} // namespace play
