#include "search/combinations.h"

namespace search {

namespace {

// The nested counting loops: place `place` runs from one above the previous position up to
// 5 - (k - 1 - place).
void extend(std::vector<int>& current, int k, std::vector<std::vector<int>>& out) {
    const int place = static_cast<int>(current.size());
    if (place == k) {
        out.push_back(current);
        return;
    }
    const int from = current.empty() ? 1 : current.back() + 1;
    for (int p = from; p <= 5 - (k - 1 - place); ++p) {
        current.push_back(p);
        extend(current, k, out);
        current.pop_back();
    }
}

} // namespace

std::vector<std::vector<int>> positionCombinations(int k) {
    std::vector<std::vector<int>> result;
    if (k < 1 || k > 5) return result;
    std::vector<int> current;
    extend(current, k, result);
    return result;
}

} // namespace search
