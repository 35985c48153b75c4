#include "platform/style_sheet.h"

#include "platform/ascii_text.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {

bool isBlank(char c) {
    return isAsciiBlank(c);
}

// Declarations without blanks, in lower case ("display: none" gives "display:none").
std::string compact(std::string_view declarations) {
    std::string out;
    for (char c : declarations)
        if (!isBlank(c)) out.push_back(lowered(c));
    return out;
}

bool startsDeclaration(const std::string& style, size_t at) {
    return at == 0 || style[at - 1] == ';' || style[at - 1] == '{' || style[at - 1] == '"' ||
           style[at - 1] == '\'';
}

bool endsDeclaration(const std::string& style, size_t end) {
    return end == style.size() || style[end] == ';' || style[end] == '!' || style[end] == '}' ||
           style[end] == '"' || style[end] == '\'';
}

// Whether the compacted style holds the declaration whole (not part of another property's name
// or value).
bool holds(const std::string& style, std::string_view declaration) {
    for (size_t at = style.find(declaration); at != std::string::npos;
         at = style.find(declaration, at + 1))
        if (startsDeclaration(style, at) && endsDeclaration(style, at + declaration.size()))
            return true;
    return false;
}

std::string withoutComments(std::string_view sheet) {
    std::string out;
    for (size_t at = 0; at < sheet.size();) {
        if (sheet.compare(at, 2, "/*") == 0) {
            const size_t end = sheet.find("*/", at + 2);
            if (end == std::string_view::npos) break;
            out.push_back(' ');
            at = end + 2;
        } else {
            out.push_back(sheet[at++]);
        }
    }
    return out;
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

// A simple selector ("tr.copy", ".a.b", "#list", "span"); false for anything else (descendants,
// children, pseudo-classes, attributes), which is not taken.
bool parseSelector(std::string_view text, HidingRule& rule) {
    text = trimmed(text);
    if (text.empty()) return false;
    size_t at = 0;
    if (text[0] == '*') {
        at = 1;
    } else {
        while (at < text.size() && isNameChar(text[at])) rule.tag.push_back(lowered(text[at++]));
    }
    while (at < text.size()) {
        const char kind = text[at++];
        if (kind != '.' && kind != '#') return false;
        std::string name;
        while (at < text.size() && isNameChar(text[at])) name.push_back(text[at++]);
        if (name.empty()) return false;
        if (kind == '.') {
            rule.classes.push_back(std::move(name));
        } else {
            if (!rule.id.empty() && rule.id != name) return false;
            rule.id = std::move(name);
        }
    }
    return !rule.tag.empty() || !rule.classes.empty() || !rule.id.empty();
}

// Where the block opened at text[open] ('{') ends: its matching '}', or the text's end.
size_t blockEnd(const std::string& text, size_t open) {
    int depth = 0;
    for (size_t at = open; at < text.size(); ++at) {
        if (text[at] == '{') ++depth;
        if (text[at] == '}' && --depth == 0) return at;
    }
    return text.size();
}

} // namespace

Hiding hidingOf(std::string_view declarations) {
    const std::string style = compact(declarations);
    if (holds(style, "display:none")) return Hiding::Display;
    if (holds(style, "visibility:hidden") || holds(style, "visibility:collapse"))
        return Hiding::Visibility;
    return Hiding::None;
}

bool shows(std::string_view declarations, Hiding property) {
    const std::string style = compact(declarations);
    const std::string_view name = property == Hiding::Display ? "display:" : "visibility:";
    for (size_t at = style.find(name); at != std::string::npos; at = style.find(name, at + 1)) {
        if (!startsDeclaration(style, at)) continue;
        const size_t value = at + name.size();
        size_t end = value;
        while (end < style.size() && !endsDeclaration(style, end)) ++end;
        const std::string_view shown(style.data() + value, end - value);
        if (property == Hiding::Display ? shown != "none" && !shown.empty() : shown == "visible")
            return true;
    }
    return false;
}

std::vector<HidingRule> hidingRules(std::string_view sheet) {
    const std::string text = withoutComments(sheet);
    std::vector<HidingRule> rules;
    for (size_t at = 0; at < text.size();) {
        while (at < text.size() && isBlank(text[at])) ++at;
        if (at >= text.size()) break;
        const size_t open = text.find('{', at);
        if (text[at] == '@') {
            // An at-rule: a statement to its ';', or a block left out whole.
            const size_t statementEnd = text.find(';', at);
            if (statementEnd < open) {
                at = statementEnd + 1;
                continue;
            }
            if (open == std::string::npos) break;
            at = blockEnd(text, open) + 1;
            continue;
        }
        if (open == std::string::npos) break;
        const size_t close = std::min(text.find('}', open), text.size());
        const std::string_view selectors(text.data() + at, open - at);
        const std::string_view declarations(text.data() + open + 1, close - open - 1);
        if (const Hiding by = hidingOf(declarations); by != Hiding::None) {
            for (size_t from = 0; from <= selectors.size();) {
                const size_t comma = std::min(selectors.find(',', from), selectors.size());
                HidingRule rule;
                rule.by = by;
                if (parseSelector(selectors.substr(from, comma - from), rule))
                    rules.push_back(std::move(rule));
                from = comma + 1;
            }
        }
        at = close + 1;
    }
    return rules;
}

bool hiddenByRules(const std::vector<HidingRule>& rules, std::string_view tag,
                   std::string_view classes, std::string_view id, std::string_view ownStyle) {
    if (rules.empty()) return false;
    std::vector<std::string_view> own;
    for (size_t at = 0; at < classes.size();) {
        while (at < classes.size() && isBlank(classes[at])) ++at;
        size_t end = at;
        while (end < classes.size() && !isBlank(classes[end])) ++end;
        if (end > at) own.push_back(classes.substr(at, end - at));
        at = end;
    }
    for (const auto& rule : rules) {
        if (!rule.tag.empty() && rule.tag != tag) continue;
        if (!rule.id.empty() && rule.id != id) continue;
        const bool allClasses =
            std::all_of(rule.classes.begin(), rule.classes.end(), [&](const std::string& c) {
                return std::find(own.begin(), own.end(), c) != own.end();
            });
        if (allClasses && !shows(ownStyle, rule.by)) return true;
    }
    return false;
}

} // namespace platform
