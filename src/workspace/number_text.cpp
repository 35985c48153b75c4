#include "workspace/number_text.h"

#include <cmath>
#include <cstdio>

namespace app {

std::string formatted(double value, const char* format) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string decimals3(double value) {
    return formatted(value, "%.3f");
}

std::string significant4(double value) {
    return formatted(value, "%.4g");
}

std::string pValueText(double value) {
    // Below this the tails lose their digits and reach 0, which no test of a real event gives.
    if (value < 1e-300) return "< 1e-300";
    return significant4(value);
}

std::string percent2(double share) {
    return formatted(share * 100, "%.2f%%");
}

std::string chanceText(double chance) {
    for (int d = 1; d <= 1000; ++d) {
        const double n = std::round(chance * d);
        if (std::abs(chance * d - n) < 1e-9)
            return formatted(n, "%.0f") + "/" + std::to_string(d) + "（" + percent2(chance) + "）";
    }
    return percent2(chance);
}

} // namespace app
