#include "app/number_text.h"

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

std::string percent2(double share) {
    return formatted(share * 100, "%.2f%%");
}

} // namespace app
