#pragma once
// JSON as the command line writes it: one compact line ({"a":1,"b":[2,3]}), the members in the
// order they were added.

#include <nlohmann/json.hpp>

#include <iosfwd>
#include <string>

namespace app {

using Json = nlohmann::ordered_json;

// The figure the text of value shows, as a JSON number: with `places` decimals as "%.3f" writes
// it (-21.700 is -21.7), or with `digits` significant digits as "%.4g" writes it (a whole figure
// written without a point, "1", stays the whole number 1). The same in every locale. A value that
// is not finite has no figure: null.
Json roundedDecimals(double value, int places);
Json roundedSignificant(double value, int digits);

// json in the compact form, without a newline. Bytes of a string that are no UTF-8 are written as
// U+FFFD rather than making the text no JSON at all.
std::string jsonText(const Json& json);

// json in the compact form and a newline.
void printJson(const Json& json, std::ostream& out);

} // namespace app
