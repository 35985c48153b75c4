#include "platform/text_decoding.h"

#include <unicode/ucnv.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

namespace platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one UTF-8 sequence starting at bytes[i]; returns its length, or 0 when it is not
// well-formed.
size_t decodeUtf8At(std::string_view bytes, size_t i, char32_t& out) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char b0 = byte(i);
    if (b0 < 0x80) {
        out = b0;
        return 1;
    }
    size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        value = b0 & 0x1F;
        minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        value = b0 & 0x0F;
        minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        value = b0 & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > bytes.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80) return 0;
        value = (value << 6) | (b & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    out = value;
    return length;
}

// Decodes UTF-8 into out. Strict: false at the first malformed sequence. Lenient: a malformed
// byte becomes U+FFFD.
bool decodeUtf8(std::string_view bytes, std::u32string* out, bool lenient = false) {
    if (out) out->reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        size_t length = decodeUtf8At(bytes, i, c);
        if (length == 0) {
            if (!lenient) return false;
            c = kReplacement;
            length = 1;
        }
        if (out) out->push_back(c);
        i += length;
    }
    return true;
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

// Decodes with an ICU converter (GB18030, or UTF-16 by its byte-order mark).
std::u32string decodeWith(const char* encoding, std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> converter(ucnv_open(encoding, &status));
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("the ") + encoding + " converter is not available");

    // Neither encoding needs more UTF-16 units than it has bytes.
    std::vector<UChar> units(bytes.size() + 1);
    const int32_t count =
        ucnv_toUChars(converter.get(), units.data(), static_cast<int32_t>(units.size()),
                      bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status))
        throw std::runtime_error(std::string("无法按") + encoding + "编码读出文字");

    std::u32string text;
    text.reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count;) {
        UChar32 c = 0;
        U16_NEXT(units.data(), i, count, c);
        if (c == 0xFEFF && text.empty() && i <= 1) continue; // the byte-order mark
        text.push_back(U_IS_SURROGATE(c) ? kReplacement : static_cast<char32_t>(c));
    }
    return text;
}

} // namespace

bool isValidUtf8(std::string_view bytes) {
    return decodeUtf8(bytes, nullptr);
}

DecodedText decodeText(std::string_view bytes) {
    DecodedText result;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = bytes.substr(0, kBom.size()) == kBom;
    const std::string_view body = bom ? bytes.substr(kBom.size()) : bytes;
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        result.text = decodeWith("UTF-16", bytes);
        result.encoding = TextEncoding::Utf16WithBom;
        return result;
    }
    // A byte-order mark says UTF-8 even when some bytes are damaged.
    if (decodeUtf8(body, &result.text, bom)) {
        result.encoding = bom ? TextEncoding::Utf8WithBom : TextEncoding::Utf8;
        return result;
    }
    result.text.clear();
    result.text = decodeWith("GB18030", bytes);
    result.encoding = TextEncoding::Gb18030;
    return result;
}

TextEncoding detectEncoding(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
        return TextEncoding::Utf16WithBom;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return TextEncoding::Utf8WithBom;
    return isValidUtf8(bytes) ? TextEncoding::Utf8 : TextEncoding::Gb18030;
}

std::u32string decodeAs(std::string_view part, TextEncoding encoding) {
    std::u32string text;
    // Lines of draws are plain ASCII, the same in every encoding here but UTF-16.
    if (encoding != TextEncoding::Utf16WithBom &&
        std::all_of(part.begin(), part.end(), [](char c) { return (c & 0x80) == 0; })) {
        text.assign(part.begin(), part.end());
        return text;
    }
    switch (encoding) {
    case TextEncoding::Utf8:
    case TextEncoding::Utf8WithBom:
        decodeUtf8(part, &text, true);
        return text;
    case TextEncoding::Utf16WithBom:
        return decodeWith("UTF-16", part);
    case TextEncoding::Gb18030:
        break;
    }
    return decodeWith("GB18030", part);
}

std::string toUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace platform
