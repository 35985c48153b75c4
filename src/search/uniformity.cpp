#include "search/uniformity.h"

#include <cmath>
#include <limits>

namespace search {

namespace {

constexpr int kMaxSteps = 10000;
constexpr double kEpsilon = 1e-16;

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
    Uniformity result;
    int used = 0;
    for (size_t v = 0; v < counts.size() && v < expected.size(); ++v) {
        if (!(expected[v] > 0)) continue;
        const double difference = static_cast<double>(counts[v]) - expected[v];
        result.chi2 += difference * difference / expected[v];
        ++used;
    }
    if (used == 0) return std::nullopt;
    result.df = used - 1;
    result.pValue = chiSquareTail(result.chi2, result.df);
    return result;
}

} // namespace search
