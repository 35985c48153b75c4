#pragma once

#include <vector>

namespace search {

// Every set of k positions out of 1..5, ascending within a set, the sets in counting order:
// {1,2}, {1,3}, ..., {4,5} for k = 2. Empty for k outside 1..5.
std::vector<std::vector<int>> positionCombinations(int k);

} // namespace search
