#include "search/uniformity.h"

#include <cmath>
#include <limits>
#include <utility>

namespace search {

namespace {

constexpr int kMaxSteps = 10000;
constexpr double kEpsilon = 1e-16;
// The expected count a group needs for the chi-square distribution to describe it.
constexpr double kMinimumExpected = 5;

// P(a, x) by its power series; converges quickly for x < a + 1.
double lowerBySeries(double a, double x) {
    double term = 1.0 / a, sum = term;
    for (int n = 1; n < kMaxSteps; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::fabs(term) < std::fabs(sum) * kEpsilon) break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// Q(a, x) by its continued fraction (modified Lentz); converges quickly for x ≥ a + 1.
double upperByFraction(double a, double x) {
    constexpr double tiny = std::numeric_limits<double>::min() / kEpsilon;
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < kMaxSteps; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::fabs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::fabs(c) < tiny) c = tiny;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::fabs(delta - 1) < kEpsilon) break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

} // namespace

double regularisedGammaQ(double a, double x) {
    if (!(x > 0)) return 1;
    if (x < a + 1) return 1 - lowerBySeries(a, x);
    return upperByFraction(a, x);
}

double chiSquareTail(double x, int df) {
    if (df <= 0 || !(x > 0)) return 1;
    return regularisedGammaQ(df / 2.0, x / 2.0);
}

std::optional<Uniformity> chiSquareUniformity(const std::vector<std::int64_t>& counts,
                                              const std::vector<double>& expected) {
    // Each group's observed and expected count.
    std::vector<std::pair<double, double>> groups;
    double observed = 0, due = 0;
    bool open = false;
    for (size_t v = 0; v < counts.size() && v < expected.size(); ++v) {
        if (!(expected[v] > 0)) continue;
        observed += static_cast<double>(counts[v]);
        due += expected[v];
        open = true;
        // Sums of chances such as 30 × 1/6 reach 5 up to rounding.
        if (due >= kMinimumExpected * (1 - 1e-12)) {
            groups.emplace_back(observed, due);
            observed = due = 0;
            open = false;
        }
    }
    if (open) {
        if (groups.empty()) {
            groups.emplace_back(observed, due);
        } else {
            groups.back().first += observed;
            groups.back().second += due;
        }
    }
    if (groups.empty()) return std::nullopt;
    Uniformity result;
    result.groups = static_cast<int>(groups.size());
    if (!result.tested()) return result;
    for (const auto& [o, e] : groups) result.chi2 += (o - e) * (o - e) / e;
    result.df = result.groups - 1;
    result.pValue = chiSquareTail(result.chi2, result.df);
    return result;
}

} // namespace search
