#pragma once
// Whether counts agree with what chance gives them: Pearson's chi-square statistic and its exact
// upper tail, through the regularised incomplete gamma function.

#include <cstdint>
#include <optional>
#include <vector>

namespace search {

struct Uniformity {
    double chi2 = 0;
    int df = 0;
    double pValue = 1;
};

// Σ (count − expected)² / expected over the values with expected > 0, with one degree of freedom
// fewer than those values, and P[X ≥ chi2] for X chi-square distributed with df degrees. None when
// no value has expected > 0.
std::optional<Uniformity> chiSquareUniformity(const std::vector<std::int64_t>& counts,
                                              const std::vector<double>& expected);

// P[X ≥ x] for X chi-square distributed with df degrees of freedom (1 for df 0 and for x ≤ 0).
double chiSquareTail(double x, int df);

// Q(a, x) = Γ(a, x) / Γ(a), the regularised upper incomplete gamma function, for a > 0, x ≥ 0.
double regularisedGammaQ(double a, double x);

} // namespace search
