#pragma once
// What a page's own style sheets hide. Results pages hide copies of their rows and numbers (sizes
// and parities shown on a click, rows of another view) by a class as often as by an inline style;
// a reader that reads them takes made-up numbers for draws. Only what a browser surely applies is
// taken: rules of simple selectors (a tag, classes, an id, and lists of those) outside at-rules
// (a rule inside @media may not apply at all sizes), from style elements for every medium.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The property a style hides by.
enum class Hiding { None, Display, Visibility };

// Whether style declarations ("color:red; display: none !important") hide what they apply to,
// and by which property: display:none, visibility:hidden or visibility:collapse as a whole
// declaration (not "xdisplay:none").
Hiding hidingOf(std::string_view declarations);

// Whether the declarations set the property to a value that shows (display:block overrides a
// sheet's display:none, visibility:visible its visibility:hidden).
bool shows(std::string_view declarations, Hiding property);

struct HidingRule {
    std::string tag;                  // lower case; empty: any
    std::vector<std::string> classes; // all of them
    std::string id;                   // empty: any
    Hiding by = Hiding::None;
};

// The rules of a style sheet's text that hide, in the order they stand.
std::vector<HidingRule> hidingRules(std::string_view sheet);

// Whether an element (its lower-case tag and its class and id attributes) is hidden by the rules,
// unless its own style attribute shows it again.
bool hiddenByRules(const std::vector<HidingRule>& rules, std::string_view tag,
                   std::string_view classes, std::string_view id, std::string_view ownStyle);

} // namespace platform
