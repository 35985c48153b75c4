#pragma once
// 旋转矩阵: a small set of tickets from a pool of numbers that still wins whenever m of the draw's
// numbers are in the pool. For 任二..任四 every m-subset of the pool must contain a ticket; for
// 任六..任八 (m = 5) every 5-subset must lie within one. Found greedily, then shrunk by a local
// search bounded in time, and checked by enumerating every m-subset.

#include "play/plays.h"
#include "search/shape.h"

#include <cstdint>
#include <string>
#include <vector>

namespace play {

struct CoverRequest {
    Play play = Play::Any3;
    search::NumberSet pool = 0;
    int m = 5;
    double seconds = 1.0;    // the local search's budget
    std::uint64_t seed = 1;  // its random moves
    bool localSearch = true; // false: the plain greedy covering
};

struct CoverResult {
    std::vector<search::NumberSet> tickets; // each as a set, ascending by their text
    std::int64_t full = 0;                  // C(v, K): the full 复式
    std::int64_t bound = 0;                 // a lower bound on any covering's size
    std::int64_t uncovered = 0;             // m-subsets no ticket covers
    bool wholeBet = false;                  // 任五 中5: only the full 复式 covers
};

// What is wrong with the request (a play that is not 任二..任八, a pool or m outside the limits);
// empty when nothing is.
std::string coverProblem(const CoverRequest& request);

// The covering; the request must have no problem.
CoverResult findCover(const CoverRequest& request);

// The m-subsets of `pool` that none of `tickets` covers for the play.
std::int64_t uncoveredSubsets(Play play, search::NumberSet pool, int m,
                              const std::vector<search::NumberSet>& tickets);

// The lower bounds: the averaging bound for 任二..任四, Schönheim's for 任六..任八.
std::int64_t averagingBound(int v, int k, int m);
std::int64_t schoenheimBound(int v, int k, int t);

std::int64_t binomial(int n, int k);

} // namespace play
