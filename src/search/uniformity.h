#pragma once
// Whether counts agree with what chance gives them: Pearson's chi-square statistic and its exact
// upper tail, through the regularised incomplete gamma function. The chi-square distribution only
// describes the statistic where every expected count is at least about 5, so values expected
// fewer times are first merged with their neighbours.

#include <cstdint>
#include <optional>
#include <vector>

namespace search {

struct Uniformity {
    int groups = 0; // the groups the values were merged into
    // Over the groups; only when there are at least two (tested()).
    double chi2 = 0;
    int df = 0;
    double pValue = 1;

    bool tested() const { return groups >= 2; }
};

// The values with expected > 0, in the order given (their ascending order), are merged into
// consecutive groups: a group closes as soon as its expected count reaches 5, and a last group
// below 5 joins the group before it. chi2 = Σ (O − E)² / E over the groups, df = groups − 1 and
// pValue = P[X ≥ chi2] for X chi-square distributed with df degrees; fewer than two groups make
// no test. None when no value has expected > 0.
std::optional<Uniformity> chiSquareUniformity(const std::vector<std::int64_t>& counts,
                                              const std::vector<double>& expected);

// P[X ≥ x] for X chi-square distributed with df degrees of freedom (1 for df 0 and for x ≤ 0).
double chiSquareTail(double x, int df);

// Q(a, x) = Γ(a, x) / Γ(a), the regularised upper incomplete gamma function, for a > 0, x ≥ 0.
double regularisedGammaQ(double a, double x);

} // namespace search
