#pragma once
// Several tests looked at together: the smallest of many p-values is small by chance alone, so
// each is adjusted for how many were made (Holm's step-down method, which holds the chance of any
// false "better than chance" at the level without assuming the tests are independent).

#include <vector>

namespace search {

// Holm's adjusted p-values, in the order of p: with p sorted ascending p(1) <= ... <= p(T), the
// adjusted p(i) is the largest over j <= i of min(1, (T - j + 1) · p(j)).
std::vector<double> holmAdjusted(const std::vector<double>& p);

} // namespace search
