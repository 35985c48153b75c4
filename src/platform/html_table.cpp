#include "platform/html_table.h"

#include "platform/ascii_text.h"
#include "platform/laid_out_text.h"
#include "platform/style_sheet.h"

#include <gumbo.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <memory>
#include <unordered_map>

namespace platform {

namespace {

// The hiding rules of the page's style sheets.
using Sheet = std::vector<HidingRule>;

bool isElement(const GumboNode* node, GumboTag tag) {
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

// Elements whose content a browser does not display as text (an iframe shows another page, an
// object its resource; noscript, noembed and noframes are for browsers without those).
bool isHidden(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
        return true;
    default:
        return false;
    }
}

// Elements a browser lays out as blocks, lines or cells of their own: their text is kept apart
// from the text around them by a blank. Inline elements (span, em, a, b) add none.
bool isSeparated(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_BR:
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_THEAD:
    case GUMBO_TAG_TBODY:
    case GUMBO_TAG_TFOOT:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_LEGEND:
        return true;
    default:
        return false;
    }
}

const char* attributeText(const GumboVector* attributes, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(attributes, name);
    return attribute ? attribute->value : "";
}

// An element a browser does not display: by its kind, by the hidden attribute, by its own style
// (display:none, visibility:hidden) or the page's style sheets, or a hidden form field (whose
// value would read as text).
bool isHiddenElement(const GumboNode* node, const Sheet& sheet) {
    const GumboElement& element = node->v.element;
    if (isHidden(element.tag)) return true;
    const GumboVector* attributes = &element.attributes;
    if (gumbo_get_attribute(attributes, "hidden")) return true;
    const char* style = attributeText(attributes, "style");
    if (hidingOf(style) != Hiding::None) return true;
    if (element.tag == GUMBO_TAG_INPUT && lowerCase(attributeText(attributes, "type")) == "hidden")
        return true;
    return hiddenByRules(sheet, gumbo_normalized_tagname(element.tag),
                         attributeText(attributes, "class"), attributeText(attributes, "id"),
                         style);
}

const GumboVector* childrenOf(const GumboNode* node) {
    if (node->type == GUMBO_NODE_DOCUMENT) return &node->v.document.children;
    if (node->type == GUMBO_NODE_ELEMENT) return &node->v.element.children;
    return nullptr; // text, comments, templates
}

// The displayed text of node and everything inside it, appended to out. The tree is walked with
// a stack of its own: a page may nest deeper than the call stack reaches.
void appendText(const GumboNode* node, const Sheet& sheet, std::string& out) {
    // A node to visit, or (closing) the blank after a separated element's content.
    struct Step {
        const GumboNode* node;
        bool closing;
    };
    std::vector<Step> steps{{node, false}};
    while (!steps.empty()) {
        const Step step = steps.back();
        steps.pop_back();
        if (step.closing) {
            out.push_back(' ');
            continue;
        }
        const GumboNode* at = step.node;
        switch (at->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
            out += at->v.text.text;
            break;
        case GUMBO_NODE_ELEMENT: {
            const GumboTag tag = at->v.element.tag;
            if (isHiddenElement(at, sheet)) break;
            if (isSeparated(tag)) {
                out.push_back(' ');
                steps.push_back({at, true});
            }
            const GumboVector& children = at->v.element.children;
            for (unsigned i = children.length; i-- > 0;)
                steps.push_back({static_cast<const GumboNode*>(children.data[i]), false});
            break;
        }
        default: // comments, templates
            break;
        }
    }
}

// The first table with the given id in document order (a depth-first walk of the tree with a
// stack of its own), outside the elements whose content is not displayed.
const GumboNode* findTable(const GumboNode* root, std::string_view id) {
    std::vector<const GumboNode*> pending{root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type == GUMBO_NODE_ELEMENT) {
            const GumboTag tag = node->v.element.tag;
            if (isHidden(tag)) continue;
            if (tag == GUMBO_TAG_TABLE) {
                const GumboAttribute* attribute =
                    gumbo_get_attribute(&node->v.element.attributes, "id");
                if (attribute && id == attribute->value) return node;
            }
        }
        if (const GumboVector* children = childrenOf(node))
            for (unsigned i = children->length; i-- > 0;)
                pending.push_back(static_cast<const GumboNode*>(children->data[i]));
    }
    return nullptr;
}

std::vector<std::string> rowCells(const GumboNode* row, const Sheet& sheet) {
    std::vector<std::string> cells;
    const GumboVector& children = row->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* cell = static_cast<const GumboNode*>(children.data[i]);
        if (!isElement(cell, GUMBO_TAG_TD) && !isElement(cell, GUMBO_TAG_TH)) continue;
        std::string text;
        // A hidden cell keeps its place among the cells, with no text.
        if (isHiddenElement(cell, sheet)) {
            cells.emplace_back();
            continue;
        }
        const GumboVector& content = cell->v.element.children;
        for (unsigned k = 0; k < content.length; ++k)
            appendText(static_cast<const GumboNode*>(content.data[k]), sheet, text);
        cells.push_back(collapseBlanks(text));
    }
    return cells;
}

// ---- the rows of a page in any layout ----

// Attribute values worth keeping: those that may hold a period id or five numbers.
bool holdsDigits(std::string_view value) {
    constexpr size_t kMinDigits = 5, kMaxLength = 200;
    if (value.size() > kMaxLength) return false;
    return static_cast<size_t>(std::count_if(value.begin(), value.end(), [](char c) {
               return c >= '0' && c <= '9';
           })) >= kMinDigits;
}

void appendAttributes(const GumboNode* element, std::vector<std::string>& out) {
    const GumboVector& attributes = element->v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(attributes.data[i]);
        if (holdsDigits(attribute->value)) out.emplace_back(attribute->value);
    }
}

bool hasAttributeWithDigits(const GumboNode* element) {
    const GumboVector& attributes = element->v.element.attributes;
    for (unsigned i = 0; i < attributes.length; ++i)
        if (holdsDigits(static_cast<const GumboAttribute*>(attributes.data[i])->value)) return true;
    return false;
}

// An element's mark in a frame: its tag with its class and id (digits left out of the id, which
// may name the day), "" for an element with neither.
std::string markOf(const GumboNode* node) {
    const GumboAttribute* cls = gumbo_get_attribute(&node->v.element.attributes, "class");
    const GumboAttribute* id = gumbo_get_attribute(&node->v.element.attributes, "id");
    if (!cls && !id) return {};
    std::string mark = gumbo_normalized_tagname(node->v.element.tag);
    if (mark.empty()) mark = "x";
    if (cls) mark += "." + collapseBlanks(cls->value);
    if (id) {
        mark += "#";
        for (const char* c = id->value; *c; ++c)
            if (*c < '0' || *c > '9') mark.push_back(*c);
    }
    return mark;
}

// A text node's text for gathering: the joint before it, and no joint of its own.
void gather(std::string& out, const char* text) {
    out.push_back(kJoint);
    for (const char* c = text; *c; ++c)
        if (*c != kJoint) out.push_back(*c);
}

// Every table row of the page and every element outside tables with attributes that hold
// digits. The tree is walked with a stack of its own: a page may nest deeper than the call stack
// reaches.
std::vector<PageRow> allRows(const GumboNode* root, const Sheet& sheet,
                             std::vector<PageElement>& elements) {
    // Where the text met now goes: the row and cell it stands in (-1: none).
    struct Place {
        long row = -1;
        long cell = -1;
        long element = -1; // the innermost element, in elements
    };
    // A node to visit, or (leaving) the place to go back to once its content is read, and
    // whether the element left is laid out apart from what follows.
    struct Step {
        const GumboNode* node;
        bool leaving;
        Place back;
        bool separated = false;
    };
    std::vector<PageRow> rows;
    std::vector<std::string> flowTexts; // the gathered text of each flow row, by flowOf
    std::vector<long> flowOf;           // for each flow text, its row
    // For each flow text, where each of its texts starts and the element it stands in.
    std::vector<std::vector<std::pair<size_t, long>>> flowElements;
    Place place;
    long flow = -1; // the flow text now, -1: none yet since the last table
    // Where text at a place goes: its cell, the text outside tables, or nowhere (between the
    // cells of a row).
    const auto textAt = [&](const Place& at, bool create) -> std::string* {
        if (at.cell >= 0) return &rows[at.row].cells[at.cell].text;
        if (at.row >= 0) return nullptr;
        if (flow < 0) {
            if (!create) return nullptr;
            rows.emplace_back();
            rows.back().flow = true;
            flowTexts.emplace_back();
            flowElements.emplace_back();
            flowOf.push_back(static_cast<long>(rows.size()) - 1);
            flow = static_cast<long>(flowTexts.size()) - 1;
        }
        return &flowTexts[flow];
    };
    std::vector<Step> steps{{root, false, {}}};
    while (!steps.empty()) {
        const Step step = steps.back();
        steps.pop_back();
        if (step.leaving) {
            place = step.back;
            if (step.separated)
                if (std::string* text = textAt(place, false)) text->push_back(' ');
            continue;
        }
        const GumboNode* node = step.node;
        if (node->type == GUMBO_NODE_WHITESPACE) {
            if (std::string* text = textAt(place, false)) text->push_back(' ');
            continue;
        }
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_CDATA) {
            if (std::string* text = textAt(place, true)) {
                if (place.row < 0) flowElements[flow].emplace_back(text->size(), place.element);
                gather(*text, node->v.text.text);
            }
            continue;
        }
        if (node->type == GUMBO_NODE_ELEMENT) {
            const GumboTag tag = node->v.element.tag;
            if (isHiddenElement(node, sheet)) continue;
            Place inner = place;
            {
                // Its frame: the frame it stands in, and its own mark.
                PageElement element{place.element, {}};
                const std::string mark = markOf(node);
                const std::string& outer =
                    place.element >= 0 ? elements[place.element].frame : std::string();
                element.frame = mark.empty() ? outer : outer + ">" + mark;
                elements.push_back(std::move(element));
                inner.element = static_cast<long>(elements.size()) - 1;
            }
            if (tag == GUMBO_TAG_TABLE) {
                inner = {}; // a nested table's rows are rows of their own
                flow = -1;
            } else if (tag == GUMBO_TAG_TR) {
                rows.emplace_back();
                rows.back().element = place.element;
                appendAttributes(node, rows.back().attributes);
                inner = {static_cast<long>(rows.size()) - 1, -1, inner.element};
            } else if ((tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) && place.row >= 0) {
                auto& cells = rows[place.row].cells;
                cells.push_back({});
                cells.back().heading = tag == GUMBO_TAG_TH;
                appendAttributes(node, cells.back().attributes);
                inner.cell = static_cast<long>(cells.size()) - 1;
            } else if (place.cell >= 0) {
                appendAttributes(node, rows[place.row].cells[place.cell].attributes);
            } else if (place.row >= 0) {
                appendAttributes(node, rows[place.row].attributes);
            } else if (hasAttributeWithDigits(node)) {
                rows.emplace_back();
                rows.back().element = place.element;
                appendAttributes(node, rows.back().attributes);
            }
            const bool separated = isSeparated(tag);
            if (separated && tag != GUMBO_TAG_TABLE)
                if (std::string* text = textAt(place, false)) text->push_back(' ');
            steps.push_back({node, true, place, separated});
            place = inner;
        }
        if (const GumboVector* children = childrenOf(node))
            for (unsigned i = children->length; i-- > 0;)
                steps.push_back({static_cast<const GumboNode*>(children->data[i]), false, {}});
    }
    for (auto& row : rows)
        for (auto& cell : row.cells) cell.text = laidOut(cell.text);
    // The text outside tables has no cells: each word of it is one, in the element its first
    // text stands in.
    for (size_t i = 0; i < flowTexts.size(); ++i) {
        const auto& starts = flowElements[i];
        for (auto& word : laidOutWords(flowTexts[i])) {
            auto at = std::upper_bound(starts.begin(), starts.end(), word.at,
                                       [](size_t position, const std::pair<size_t, long>& s) {
                                           return position < s.first;
                                       });
            // The word's first character follows the joint that starts its text.
            const long element = at == starts.begin() ? -1 : std::prev(at)->second;
            // Balls run together are words of their own.
            for (size_t from = 0; from < word.text.size();) {
                const size_t blank = std::min(word.text.find(' ', from), word.text.size());
                rows[flowOf[i]].cells.push_back(
                    {word.text.substr(from, blank - from), false, {}, element});
                from = blank + 1;
            }
        }
    }
    return rows;
}

// The rows of a table element as tableRows reads them.
std::vector<std::vector<std::string>> rowsOf(const GumboNode* table, const Sheet& sheet) {
    std::vector<std::vector<std::string>> rows;
    const GumboVector& children = table->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        // Rows a browser does not show are no rows of the list (a hidden copy of a row).
        if (child->type != GUMBO_NODE_ELEMENT || isHiddenElement(child, sheet)) continue;
        if (isElement(child, GUMBO_TAG_TR)) {
            rows.push_back(rowCells(child, sheet));
        } else if (isElement(child, GUMBO_TAG_THEAD) || isElement(child, GUMBO_TAG_TBODY) ||
                   isElement(child, GUMBO_TAG_TFOOT)) {
            const GumboVector& sectionRows = child->v.element.children;
            for (unsigned k = 0; k < sectionRows.length; ++k) {
                const auto* row = static_cast<const GumboNode*>(sectionRows.data[k]);
                if (isElement(row, GUMBO_TAG_TR) && !isHiddenElement(row, sheet))
                    rows.push_back(rowCells(row, sheet));
            }
        }
    }
    return rows;
}

struct OutputDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};

} // namespace

namespace {

using Parsed = std::unique_ptr<GumboOutput, OutputDeleter>;

// Whether a style element's media attribute lets it apply on a screen (none, "screen", "all").
bool forScreens(const GumboNode* style) {
    const GumboAttribute* media = gumbo_get_attribute(&style->v.element.attributes, "media");
    if (!media) return true;
    const std::string query = lowerCase(media->value);
    return query.find_first_not_of(" \t") == std::string::npos ||
           query.find("screen") != std::string::npos || query.find("all") != std::string::npos;
}

// The hiding rules of every style element of the page, in document order (a depth-first walk
// with a stack of its own).
Sheet pageSheet(const GumboNode* root) {
    Sheet sheet;
    std::vector<const GumboNode*> pending{root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (isElement(node, GUMBO_TAG_STYLE)) {
            if (!forScreens(node)) continue;
            std::string text;
            const GumboVector& children = node->v.element.children;
            for (unsigned i = 0; i < children.length; ++i) {
                const auto* child = static_cast<const GumboNode*>(children.data[i]);
                if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
                    child->type == GUMBO_NODE_CDATA)
                    text += child->v.text.text;
            }
            for (auto& rule : hidingRules(text)) sheet.push_back(std::move(rule));
            continue;
        }
        if (node->type == GUMBO_NODE_ELEMENT && isHidden(node->v.element.tag)) continue;
        if (const GumboVector* children = childrenOf(node))
            for (unsigned i = children->length; i-- > 0;)
                pending.push_back(static_cast<const GumboNode*>(children->data[i]));
    }
    return sheet;
}

// The page parsed; nothing for a page nested deeper than kMaxNesting (parsing it would take
// minutes; it is no results page).
Parsed parsed(std::string_view html) {
    if (nestingDepth(html) > kMaxNesting) return nullptr;
    return Parsed(gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size()));
}

} // namespace

std::optional<std::vector<std::vector<std::string>>> tableRows(std::string_view html,
                                                               std::string_view id) {
    const Parsed output = parsed(html);
    if (!output) return std::nullopt;
    const GumboNode* table = findTable(output->document, id);
    if (!table) return std::nullopt;
    return rowsOf(table, pageSheet(output->document));
}

std::optional<ResultsPage> readResultsPage(std::string_view html) {
    const Parsed output = parsed(html);
    if (!output) return std::nullopt;
    ResultsPage page;
    const Sheet sheet = pageSheet(output->document);
    if (const GumboNode* table = findTable(output->document, "draw_list"))
        page.drawList = rowsOf(table, sheet);
    else
        page.rows = allRows(output->document, sheet, page.elements);
    return page;
}

} // namespace platform
