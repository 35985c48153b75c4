#include "history/attributes.h"

namespace history {

const std::array<std::string, kKinds>& kindCaptions() {
    static const std::array<std::string, kKinds> kCaptions = {"号码", "生肖", "头数",
                                                              "尾数", "合数", "段数"};
    return kCaptions;
}

DrawValues deriveDraw(const Numbers& numbers, const Zodiac& zodiac, int segmentBase) {
    DrawValues v{};
    for (int i = 0; i < kPositions; ++i) {
        const int n = numbers[i];
        const int head = n / 10;
        const int tail = n % 10;
        v[Number][i] = static_cast<std::int16_t>(n);
        v[ZodiacKind][i] = zodiac.valueOf(n);
        v[Head][i] = static_cast<std::int16_t>(head);
        v[Tail][i] = static_cast<std::int16_t>(tail);
        v[Sum][i] = static_cast<std::int16_t>(head + tail);
        v[Segment][i] = static_cast<std::int16_t>((n - 1) / 4 + segmentBase);
    }
    return v;
}

namespace {

// Appends a value in decimal with at least `width` digits (the sign comes before them).
void appendNumber(std::string& out, int value, int width) {
    if (value >= 0 && value < 100) { // every stored value; the hot path of storing draws
        if (value >= 10 || width >= 2) out += static_cast<char>('0' + value / 10);
        out += static_cast<char>('0' + value % 10);
        return;
    }
    if (value < 0) {
        out += '-';
        value = -value;
    }
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    while (count < width) digits[count++] = '0';
    while (count > 0) out += digits[--count];
}

int tokenWidth(int kind) {
    return (kind == Number || kind == ZodiacKind || kind == Sum) ? 2 : 1;
}

void appendCountedToken(std::string& out, int kind, int count, int value) {
    appendNumber(out, count, 1);
    out += 'X';
    appendNumber(out, value, tokenWidth(kind));
}

} // namespace

std::string format00(int value) {
    std::string out;
    appendNumber(out, value, 2);
    return out;
}

std::string tokenValue(int kind, int value) {
    std::string out;
    appendNumber(out, value, tokenWidth(kind));
    return out;
}

std::string countedToken(int kind, int count, int value) {
    std::string out;
    appendCountedToken(out, kind, count, value);
    return out;
}

namespace {

// Writes a small non-negative value into buffer; anything else takes the general path.
char* putValue(char* at, int value, int width) {
    if (value >= 0 && value < 100) {
        if (value >= 10 || width >= 2) *at++ = static_cast<char>('0' + value / 10);
        *at++ = static_cast<char>('0' + value % 10);
        return at;
    }
    std::string text;
    appendNumber(text, value, width);
    for (char c : text) *at++ = c;
    return at;
}

} // namespace

std::string countedTokens(const PositionValues& values, int kind) {
    // At most five tokens of sign, count, "X", six digits and a blank.
    char buffer[kPositions * 12];
    char* at = buffer;
    const int width = tokenWidth(kind);
    for (int i = 0; i < kPositions; ++i) {
        int count = 1;
        for (int j = 0; j < i; ++j) count += values[j] == values[i] ? 1 : 0;
        *at++ = static_cast<char>('0' + count);
        *at++ = 'X';
        at = putValue(at, values[i], width);
        *at++ = ' ';
    }
    return std::string(buffer, at);
}

std::string plainNumbers(const PositionValues& numbers) {
    char buffer[kPositions * 9];
    char* at = buffer;
    for (int i = 0; i < kPositions; ++i) {
        at = putValue(at, numbers[i], 2);
        *at++ = ' ';
    }
    return std::string(buffer, at);
}

DrawStrings describeDraw(const DrawValues& values) {
    DrawStrings s;
    s[0] = plainNumbers(values[Number]);
    for (int kind = 0; kind < kKinds; ++kind) s[1 + kind] = countedTokens(values[kind], kind);
    return s;
}

} // namespace history
