// The 旋转矩阵: its guarantee checked against every draw by the plays' own win rule, its size
// against the known smallest coverings, the plain greedy covering and the bounds.

#include "play/cover.h"

#include <gtest/gtest.h>

#include <bit>

namespace {

using play::Play;

search::NumberSet firstNumbers(int v) {
    return static_cast<search::NumberSet>((1u << v) - 1);
}

play::Selection selectionOf(search::NumberSet mask) {
    play::Selection s;
    for (int n = 1; n <= 11; ++n)
        if ((mask >> (n - 1)) & 1) s.numbers[s.size++] = static_cast<std::uint8_t>(n);
    return s;
}

// Draws (sets of five of 01..11) with at least m numbers in the pool that no ticket wins.
int drawsLost(Play play, search::NumberSet pool, int m,
              const std::vector<search::NumberSet>& tickets) {
    int lost = 0;
    for (unsigned draw = 0; draw < 2048; ++draw) {
        if (std::popcount(draw) != 5 || std::popcount(draw & pool) < m) continue;
        play::Draw numbers{};
        int i = 0;
        for (int n = 1; n <= 11; ++n)
            if ((draw >> (n - 1)) & 1)
                numbers[static_cast<size_t>(i++)] = static_cast<std::int16_t>(n);
        bool won = false;
        for (const auto t : tickets) won = won || play::wins(play, selectionOf(t), numbers);
        lost += !won;
    }
    return lost;
}

play::CoverRequest request(Play play, int v, int m, bool localSearch = true) {
    play::CoverRequest r;
    r.play = play;
    r.pool = firstNumbers(v);
    r.m = m;
    r.seconds = 0.3;
    r.localSearch = localSearch;
    return r;
}

TEST(Cover, KnownSmallestCoverings) {
    // 任二 from five numbers, 中3: four pairs, the bound, and they are found.
    const auto r2 = play::findCover(request(Play::Any2, 5, 3));
    EXPECT_EQ(r2.tickets.size(), 4u);
    EXPECT_EQ(r2.bound, 4);
    EXPECT_EQ(r2.full, 10);
    EXPECT_EQ(r2.uncovered, 0);
    // 任六 from seven, 中5: six tickets, the bound.
    const auto r6 = play::findCover(request(Play::Any6, 7, 5));
    EXPECT_EQ(r6.tickets.size(), 6u);
    EXPECT_EQ(r6.bound, 6);
    EXPECT_EQ(r6.full, 7);
    EXPECT_EQ(r6.uncovered, 0);
}

TEST(Cover, GuaranteeHoldsForEveryDrawAndNeverExceedsTheGreedyCovering) {
    const struct {
        Play play;
        int v, m;
    } cases[] = {{Play::Any2, 6, 3}, {Play::Any2, 8, 2},  {Play::Any3, 7, 4},
                 {Play::Any3, 9, 5}, {Play::Any4, 8, 5},  {Play::Any4, 7, 4},
                 {Play::Any6, 9, 5}, {Play::Any7, 10, 5}, {Play::Any8, 11, 5}};
    for (const auto& c : cases) {
        const auto found = play::findCover(request(c.play, c.v, c.m));
        const auto greedy = play::findCover(request(c.play, c.v, c.m, false));
        const std::string label = std::string(play::info(c.play).code) + " v" +
                                  std::to_string(c.v) + " m" + std::to_string(c.m);
        EXPECT_EQ(drawsLost(c.play, firstNumbers(c.v), c.m, found.tickets), 0) << label;
        EXPECT_EQ(drawsLost(c.play, firstNumbers(c.v), c.m, greedy.tickets), 0) << label;
        EXPECT_EQ(found.uncovered, 0) << label;
        EXPECT_LE(found.tickets.size(), greedy.tickets.size()) << label;
        EXPECT_GE(static_cast<std::int64_t>(found.tickets.size()), found.bound) << label;
        // With m = K every m-subset is a ticket of its own; above it the matrix is smaller.
        if (c.m > play::info(c.play).size || c.play >= Play::Any6)
            EXPECT_LT(static_cast<std::int64_t>(found.tickets.size()), found.full) << label;
        else
            EXPECT_EQ(static_cast<std::int64_t>(found.tickets.size()), found.full) << label;
        for (const auto t : found.tickets)
            EXPECT_EQ(std::popcount(static_cast<unsigned>(t)), play::info(c.play).size);
    }
    // A pool that is not 01..0v: the tickets stay inside it.
    auto r = request(Play::Any3, 0, 4);
    r.pool = 0b10101010111; // 01 02 03 05 07 09 11
    const auto odd = play::findCover(r);
    EXPECT_EQ(drawsLost(Play::Any3, r.pool, 4, odd.tickets), 0);
    for (const auto t : odd.tickets) EXPECT_EQ(t & ~r.pool, 0);
}

TEST(Cover, DroppingATicketBreaksTheGuaranteeForTheSubsetsOnlyItCovered) {
    auto found = play::findCover(request(Play::Any2, 5, 3));
    found.tickets.pop_back();
    const auto missing = play::uncoveredSubsets(Play::Any2, firstNumbers(5), 3, found.tickets);
    EXPECT_GT(missing, 0);
    EXPECT_GT(drawsLost(Play::Any2, firstNumbers(5), 3, found.tickets), 0);
}

TEST(Cover, Bounds) {
    EXPECT_EQ(play::averagingBound(5, 2, 3), 4);
    EXPECT_EQ(play::averagingBound(11, 3, 5), 22); // 1, 2, 4, 7, 11, 16, 22
    EXPECT_EQ(play::averagingBound(6, 3, 6), 1);
    EXPECT_EQ(play::schoenheimBound(7, 6, 5), 6);
    EXPECT_EQ(play::schoenheimBound(8, 7, 5), 6);
    EXPECT_EQ(play::schoenheimBound(11, 6, 5), 92); // 4, 11, 25, 50, 92
    EXPECT_EQ(play::binomial(11, 5), 462);
}

TEST(Cover, FiveOfFiveIsTheWholeBetAndLimitsAreRefused) {
    const auto r5 = play::findCover(request(Play::Any5, 7, 5));
    EXPECT_TRUE(r5.wholeBet);
    EXPECT_EQ(r5.tickets.size(), 21u);
    EXPECT_EQ(r5.full, 21);
    EXPECT_EQ(play::coverProblem(request(Play::Any5, 7, 5)), "");
    EXPECT_NE(play::coverProblem(request(Play::Any5, 7, 4)), "");
    EXPECT_NE(play::coverProblem(request(Play::Any3, 7, 2)), ""); // m below K
    EXPECT_NE(play::coverProblem(request(Play::Any3, 7, 6)), ""); // a draw has five
    EXPECT_NE(play::coverProblem(request(Play::Any3, 3, 3)), ""); // the pool must exceed K
    EXPECT_NE(play::coverProblem(request(Play::Any6, 9, 4)), ""); // 任六 only 中5
    EXPECT_NE(play::coverProblem(request(Play::Any8, 8, 5)), "");
    EXPECT_NE(play::coverProblem(request(Play::Front3Direct, 8, 3)), "");
    EXPECT_NE(play::coverProblem(request(Play::Any2, 4, 5)), ""); // m above the pool
}

} // namespace
