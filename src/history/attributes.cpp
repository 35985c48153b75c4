#include "history/attributes.h"

#include <cstdio>

namespace history {

const std::array<std::string, kKinds>& kindCaptions() {
    static const std::array<std::string, kKinds> kCaptions = {"号码", "生肖", "头数",
                                                              "尾数", "合数", "段数"};
    return kCaptions;
}

DrawValues DeriveDraw(const Numbers& numbers, const Zodiac& zodiac, int dsIni) {
    DrawValues v{};
    for (int i = 0; i < kPositions; ++i) {
        const int n = numbers[i];
        const int head = n / 10;
        const int tail = n % 10;
        v[Number][i] = static_cast<std::int16_t>(n);
        v[ZodiacKind][i] = zodiac.SxValueOf(n);
        v[Head][i] = static_cast<std::int16_t>(head);
        v[Tail][i] = static_cast<std::int16_t>(tail);
        v[Sum][i] = static_cast<std::int16_t>(head + tail);
        v[Segment][i] = static_cast<std::int16_t>((n - 1) / 4 + dsIni);
    }
    return v;
}

std::string format00(int value) {
    char buffer[16];
    if (value < 0)
        std::snprintf(buffer, sizeof buffer, "-%02d", -value);
    else
        std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

std::string tokenValue(int kind, int value) {
    if (kind == Number || kind == ZodiacKind || kind == Sum) return format00(value);
    return std::to_string(value);
}

std::string countedToken(int kind, int count, int value) {
    return std::to_string(count) + "X" + tokenValue(kind, value);
}

std::string BuildTokens(const PositionValues& values, int kind) {
    std::string out;
    out.reserve(32);
    for (int i = 0; i < kPositions; ++i) {
        int count = 1;
        for (int j = 0; j < i; ++j) count += values[j] == values[i] ? 1 : 0;
        out += countedToken(kind, count, values[i]);
        out += ' ';
    }
    return out;
}

std::string BuildPlain(const PositionValues& numbers) {
    std::string out;
    out.reserve(16);
    for (int i = 0; i < kPositions; ++i) {
        out += format00(numbers[i]);
        out += ' ';
    }
    return out;
}

DrawStrings describeDraw(const DrawValues& values) {
    DrawStrings s;
    s[0] = BuildPlain(values[Number]);
    for (int kind = 0; kind < kKinds; ++kind) s[1 + kind] = BuildTokens(values[kind], kind);
    return s;
}

} // namespace history
