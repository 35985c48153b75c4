#include "platform/ascii_text.h"

#include <algorithm>
#include <cctype>

namespace platform {

char lowered(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowered);
    return out;
}

size_t findNoCase(std::string_view text, std::string_view needle, size_t from) {
    if (needle.size() > text.size()) return std::string_view::npos;
    for (size_t i = from; i + needle.size() <= text.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < needle.size() && match; ++k)
            match = lowered(text[i + k]) == needle[k];
        if (match) return i;
    }
    return std::string_view::npos;
}

bool isAsciiBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f';
}

} // namespace platform
