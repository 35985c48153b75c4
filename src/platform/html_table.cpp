#include "platform/html_table.h"

#include "platform/text_decoding.h"

#include <gumbo.h>
#include <unicode/ucnv.h>

#include <algorithm>
#include <cctype>
#include <memory>

namespace platform {

namespace {

// How far into a page its meta tag is looked for (browsers look within the first 1024 bytes; a
// little more costs nothing).
constexpr size_t kMetaScanBytes = 4096;

char lowered(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowerCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lowered);
    return out;
}

// Where needle (lower case) first occurs in text at or after from, ignoring letter case.
size_t findNoCase(std::string_view text, std::string_view needle, size_t from = 0) {
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

std::optional<std::string> decodeAs(std::string_view charset, std::string_view bytes) {
    const std::string name = lowerCase(charset);
    if (name == "utf-8" || name == "utf8") {
        if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
        if (isValidUtf8(bytes)) return std::string(bytes);
        return convertToUtf8("UTF-8", bytes);
    }
    if (name == "gbk" || name == "gb2312" || name == "gb18030")
        return convertToUtf8("GB18030", bytes);
    return std::nullopt;
}

// Blanks a cell's text collapses: ASCII blanks and the no-break space (U+00A0, C2 A0 in UTF-8).
// Returns the blank's length in bytes at text[i], 0 when none starts there.
size_t blankAt(const std::string& text, size_t i) {
    if (isAsciiBlank(text[i])) return 1;
    if (text[i] == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') return 2;
    return 0;
}

std::string collapseBlanks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (size_t i = 0; i < text.size();) {
        if (const size_t length = blankAt(text, i)) {
            pendingBlank = true;
            i += length;
            continue;
        }
        if (pendingBlank && !out.empty()) out.push_back(' ');
        pendingBlank = false;
        out.push_back(text[i++]);
    }
    return out;
}

bool isElement(const GumboNode* node, GumboTag tag) {
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

// Elements whose content a browser does not display as text.
bool isHidden(GumboTag tag) {
    return tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_NOSCRIPT;
}

// Elements a browser shows on lines or in cells of their own: their text is kept apart from
// the text around them by a blank.
bool isSeparated(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_BR:
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
        return true;
    default:
        return false;
    }
}

void appendText(const GumboNode* node, std::string& out) {
    switch (node->type) {
    case GUMBO_NODE_TEXT:
    case GUMBO_NODE_WHITESPACE:
    case GUMBO_NODE_CDATA:
        out += node->v.text.text;
        return;
    case GUMBO_NODE_ELEMENT: {
        const GumboTag tag = node->v.element.tag;
        if (isHidden(tag)) return;
        const bool separated = isSeparated(tag);
        if (separated) out.push_back(' ');
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i)
            appendText(static_cast<const GumboNode*>(children.data[i]), out);
        if (separated) out.push_back(' ');
        return;
    }
    default: // comments, templates
        return;
    }
}

// The first table with the given id in document order (a depth-first walk of the tree).
const GumboNode* findTable(const GumboNode* node, std::string_view id) {
    if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT) return nullptr;
    if (node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == GUMBO_TAG_TABLE) {
        const GumboAttribute* attribute = gumbo_get_attribute(&node->v.element.attributes, "id");
        if (attribute && id == attribute->value) return node;
    }
    const GumboVector& children =
        node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i)
        if (const GumboNode* found = findTable(static_cast<const GumboNode*>(children.data[i]), id))
            return found;
    return nullptr;
}

std::vector<std::string> rowCells(const GumboNode* row) {
    std::vector<std::string> cells;
    const GumboVector& children = row->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* cell = static_cast<const GumboNode*>(children.data[i]);
        if (!isElement(cell, GUMBO_TAG_TD) && !isElement(cell, GUMBO_TAG_TH)) continue;
        std::string text;
        const GumboVector& content = cell->v.element.children;
        for (unsigned k = 0; k < content.length; ++k)
            appendText(static_cast<const GumboNode*>(content.data[k]), text);
        cells.push_back(collapseBlanks(text));
    }
    return cells;
}

struct OutputDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};

} // namespace

std::optional<std::string> decodePage(std::string_view bytes, std::string_view contentType) {
    if (auto charset = charsetIn(contentType)) return decodeAs(*charset, bytes);
    if (auto charset = metaCharset(bytes)) return decodeAs(*charset, bytes);
    return decodeAs(isValidUtf8(bytes) ? "utf-8" : "gb18030", bytes);
}

std::optional<std::vector<std::vector<std::string>>> tableRows(std::string_view html,
                                                               std::string_view id) {
    std::unique_ptr<GumboOutput, OutputDeleter> output(
        gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()));
    if (!output) return std::nullopt;
    const GumboNode* table = findTable(output->document, id);
    if (!table) return std::nullopt;

    std::vector<std::vector<std::string>> rows;
    const GumboVector& children = table->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if (isElement(child, GUMBO_TAG_TR)) {
            rows.push_back(rowCells(child));
        } else if (isElement(child, GUMBO_TAG_THEAD) || isElement(child, GUMBO_TAG_TBODY) ||
                   isElement(child, GUMBO_TAG_TFOOT)) {
            const GumboVector& sectionRows = child->v.element.children;
            for (unsigned k = 0; k < sectionRows.length; ++k) {
                const auto* row = static_cast<const GumboNode*>(sectionRows.data[k]);
                if (isElement(row, GUMBO_TAG_TR)) rows.push_back(rowCells(row));
            }
        }
    }
    return rows;
}

} // namespace platform
