// How deeply a page's elements nest, read from its tags alone: a page nested far deeper than a
// results page is refused before it is parsed.

#include "platform/html_table.h"

#include "platform/ascii_text.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace platform {

namespace {

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == ':' || c == '_';
}

// Elements that never hold content.
bool isVoid(std::string_view name) {
    static constexpr std::string_view kVoid[] = {"area",  "base",   "br",    "col",  "embed",
                                                 "hr",    "img",    "input", "link", "meta",
                                                 "param", "source", "track", "wbr",  "keygen"};
    return std::find(std::begin(kVoid), std::end(kVoid), name) != std::end(kVoid);
}

// Elements whose content is text up to their own end tag.
bool isRawText(std::string_view name) {
    static constexpr std::string_view kRaw[] = {"script", "style",   "textarea", "title",    "xmp",
                                                "iframe", "noembed", "noframes", "plaintext"};
    return std::find(std::begin(kRaw), std::end(kRaw), name) != std::end(kRaw);
}

// A start tag that closes an open element of the listed kinds first (as a new cell closes the
// cell before it), searching no further down than the nearest boundary element.
struct ImpliedClose {
    std::string_view tag;
    std::vector<std::string_view> closes;
    std::vector<std::string_view> boundaries;
};

const ImpliedClose* impliedCloseOf(std::string_view name) {
    static const std::vector<ImpliedClose> kRules = {
        {"td", {"td", "th"}, {"table", "tr"}},
        {"th", {"td", "th"}, {"table", "tr"}},
        {"tr", {"tr"}, {"table", "tbody", "thead", "tfoot"}},
        {"tbody", {"tbody", "thead", "tfoot"}, {"table"}},
        {"thead", {"tbody", "thead", "tfoot"}, {"table"}},
        {"tfoot", {"tbody", "thead", "tfoot"}, {"table"}},
        {"li", {"li"}, {"ul", "ol", "table", "td", "th"}},
        {"dt", {"dt", "dd"}, {"dl", "table", "td", "th"}},
        {"dd", {"dt", "dd"}, {"dl", "table", "td", "th"}},
        {"option", {"option"}, {"select", "datalist"}},
        {"p", {"p"}, {"table", "td", "th", "button"}},
    };
    for (const auto& rule : kRules)
        if (rule.tag == name) return &rule;
    return nullptr;
}

bool among(std::string_view name, const std::vector<std::string_view>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

size_t nestingDepth(std::string_view html, size_t stopAbove) {
    std::vector<std::string> open;                     // the elements open now, innermost last
    std::unordered_map<std::string, size_t> openCount; // how many of each name are open
    size_t deepest = 0;
    const auto popThrough = [&](size_t index) {
        for (size_t i = index; i < open.size(); ++i) --openCount[open[i]];
        open.resize(index);
    };
    // Where the innermost open element named one of names is, searching down to a boundary.
    const auto innermost =
        [&](const std::vector<std::string_view>& names,
            const std::vector<std::string_view>& boundaries) -> std::optional<size_t> {
        for (size_t i = open.size(); i-- > 0;) {
            if (among(open[i], names)) return i;
            if (among(open[i], boundaries)) return std::nullopt;
        }
        return std::nullopt;
    };
    size_t at = 0;
    while ((at = html.find('<', at)) != std::string_view::npos) {
        if (html.substr(at, 4) == "<!--") {
            const size_t end = html.find("-->", at + 4);
            if (end == std::string_view::npos) break;
            at = end + 3;
            continue;
        }
        const bool closing = at + 1 < html.size() && html[at + 1] == '/';
        size_t nameStart = at + (closing ? 2 : 1);
        size_t nameEnd = nameStart;
        while (nameEnd < html.size() && isNameChar(html[nameEnd])) ++nameEnd;
        if (nameEnd == nameStart || !std::isalpha(static_cast<unsigned char>(html[nameStart]))) {
            // "<!doctype", "<?xml", a lone "<": no element.
            at = nameEnd > at + 1 ? nameEnd : at + 1;
            continue;
        }
        const std::string name = lowerCase(html.substr(nameStart, nameEnd - nameStart));
        // The tag ends at the first '>' outside a quoted attribute value.
        size_t end = nameEnd;
        char quote = 0;
        for (; end < html.size(); ++end) {
            const char c = html[end];
            if (quote) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (end >= html.size()) break;
        const bool selfClosing = html[end - 1] == '/';
        at = end + 1;
        if (closing) {
            // An end tag of nothing open is ignored (and costs no search).
            if (const auto count = openCount.find(name);
                count == openCount.end() || count->second == 0)
                continue;
            for (size_t i = open.size(); i-- > 0;) {
                if (open[i] == name) {
                    popThrough(i);
                    break;
                }
            }
            continue;
        }
        if (isRawText(name)) {
            // Its text holds no elements; skip to its end tag.
            const size_t close = findNoCase(html, "</" + name, at);
            if (close == std::string_view::npos) break;
            at = close;
            continue;
        }
        if (isVoid(name) || selfClosing) continue;
        if (const ImpliedClose* rule = impliedCloseOf(name))
            if (const auto index = innermost(rule->closes, rule->boundaries)) popThrough(*index);
        ++openCount[name];
        open.push_back(name);
        deepest = std::max(deepest, open.size());
        if (deepest > stopAbove) return deepest;
    }
    return deepest;
}

} // namespace platform
