// A results page's bytes decoded to UTF-8 by the character set it declares.

#include "platform/html_table.h"

#include "platform/ascii_text.h"
#include "platform/text_decoding.h"

#include <unicode/ucnv.h>

#include <algorithm>
#include <optional>
#include <string>

namespace platform {

namespace {

// How far into a page its meta tag is looked for (browsers look within the first 1024 bytes; a
// little more costs nothing).
constexpr size_t kMetaScanBytes = 4096;

// The value of "charset=..." within text (a header value or a meta tag), if any: quotes removed,
// up to the next quote, semicolon, blank, slash or tag end.
std::optional<std::string> charsetIn(std::string_view text) {
    for (size_t at = findNoCase(text, "charset"); at != std::string_view::npos;
         at = findNoCase(text, "charset", at + 1)) {
        size_t i = at + 7;
        while (i < text.size() && isAsciiBlank(text[i])) ++i;
        if (i >= text.size() || text[i] != '=') continue;
        ++i;
        while (i < text.size() && isAsciiBlank(text[i])) ++i;
        while (i < text.size() && (text[i] == '"' || text[i] == '\'')) ++i;
        size_t end = i;
        while (end < text.size() && !isAsciiBlank(text[end]) && text[end] != '"' &&
               text[end] != '\'' && text[end] != ';' && text[end] != '>' && text[end] != '/')
            ++end;
        if (end > i) return std::string(text.substr(i, end - i));
    }
    return std::nullopt;
}

// The character set the page's meta tags name within the first few KiB.
std::optional<std::string> metaCharset(std::string_view bytes) {
    const std::string_view head = bytes.substr(0, std::min(bytes.size(), kMetaScanBytes));
    for (size_t at = findNoCase(head, "<meta"); at != std::string_view::npos;
         at = findNoCase(head, "<meta", at + 5)) {
        const size_t end = head.find('>', at);
        const std::string_view tag =
            head.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at);
        if (auto charset = charsetIn(tag)) return charset;
    }
    return std::nullopt;
}

// bytes converted from the named ICU converter to UTF-8; bytes it cannot map become U+FFFD.
std::optional<std::string> convertToUtf8(const char* converterName, std::string_view bytes) {
    if (bytes.empty()) return std::string();
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length = ucnv_convert("UTF-8", converterName, nullptr, 0, bytes.data(),
                                        static_cast<int32_t>(bytes.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    std::string out(static_cast<size_t>(length), '\0');
    status = U_ZERO_ERROR;
    ucnv_convert("UTF-8", converterName, out.data(), length, bytes.data(),
                 static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) return std::nullopt;
    return out;
}

// The character set a byte-order mark at the start of bytes names; nullptr when there is none.
const char* byteOrderMark(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return "utf-8";
    if (bytes.substr(0, 2) == "\xFF\xFE") return "utf-16le";
    if (bytes.substr(0, 2) == "\xFE\xFF") return "utf-16be";
    return nullptr;
}

std::optional<std::string> decodeAs(std::string_view charset, std::string_view bytes) {
    const std::string name = lowerCase(charset);
    if (name == "utf-8" || name == "utf8") {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        if (isValidUtf8(bytes)) return std::string(bytes);
        return convertToUtf8("UTF-8", bytes);
    }
    // UTF-16 without a byte order named: the mark tells it, else little-endian as Windows writes.
    if (name == "utf-16" || name == "utf-16le" || name == "utf-16be") {
        const char* mark = byteOrderMark(bytes);
        const bool big = mark ? std::string_view(mark) == "utf-16be" : name == "utf-16be";
        if (mark && std::string_view(mark) != "utf-8") bytes.remove_prefix(2);
        return convertToUtf8(big ? "UTF-16BE" : "UTF-16LE", bytes);
    }
    if (name == "gbk" || name == "gb2312" || name == "gb18030")
        return convertToUtf8("GB18030", bytes);
    return std::nullopt;
}

} // namespace

std::optional<std::string> decodePage(std::string_view bytes, std::string_view contentType) {
    if (auto charset = charsetIn(contentType)) return decodeAs(*charset, bytes);
    if (auto charset = byteOrderMark(bytes)) return decodeAs(charset, bytes);
    if (auto charset = metaCharset(bytes)) {
        // A meta tag read as ASCII cannot be in UTF-16: such a tag is a mistake for UTF-8, as
        // browsers take it.
        if (lowerCase(*charset).rfind("utf-16", 0) == 0) return decodeAs("utf-8", bytes);
        return decodeAs(*charset, bytes);
    }
    return decodeAs(isValidUtf8(bytes) ? "utf-8" : "gb18030", bytes);
}

} // namespace platform
