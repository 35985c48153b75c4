#pragma once
// The chance that a uniformly random draw is won by at least one ticket of a set: the share of
// the play's equally likely outcomes (the 462 sets of five for 任五..任八, the 165 first threes
// for 前三组选, the 990 ordered first threes for 前三直选) that some ticket of the set wins. One
// 任七 ticket wins with 21 of the 462 draws and tickets share draws, so for 任六..任八 this chance
// is not the set's share of the tickets; for the other plays each outcome has one winning ticket
// and it is.

#include "play/plays.h"

#include <bit>
#include <cstdint>
#include <vector>

namespace play {

// A set of a play's tickets (selection indexes) as bits.
class TicketBits {
  public:
    TicketBits() = default;
    explicit TicketBits(size_t size, bool all = false);

    void set(std::uint32_t s) { words_[s >> 6] |= std::uint64_t{1} << (s & 63); }
    bool test(std::uint32_t s) const { return (words_[s >> 6] >> (s & 63)) & 1; }
    TicketBits& operator&=(const TicketBits& other);
    size_t count() const;
    bool operator==(const TicketBits&) const = default;

    // Calls f(s) for every ticket of the set, ascending.
    template <class F> void forEach(F&& f) const {
        for (size_t w = 0; w < words_.size(); ++w)
            for (std::uint64_t bits = words_[w]; bits; bits &= bits - 1)
                f(static_cast<std::uint32_t>(w * 64 + static_cast<size_t>(std::countr_zero(bits))));
    }

  private:
    std::vector<std::uint64_t> words_;
};

// Which outcomes each ticket of a play wins with.
class OutcomeCover {
  public:
    explicit OutcomeCover(const SelectionSet& selections);

    size_t outcomes() const { return outcomes_; }
    // The share of the outcomes that some ticket of `kept` wins.
    double chance(const TicketBits& kept) const;
    // How many outcomes exactly w of `tickets` (distinct selections) win, for w = 0 up to the
    // most that win together.
    std::vector<std::uint32_t> winCounts(const std::vector<std::uint32_t>& tickets) const;

  private:
    size_t outcomes_ = 0;
    bool oneEach_ = false; // each outcome is won by exactly one ticket
    size_t words_ = 0;
    std::vector<std::uint64_t> cover_; // per ticket, words_ words of outcome bits
};

// Built once per play and shared.
const OutcomeCover& outcomeCoverOf(Play play);

} // namespace play
