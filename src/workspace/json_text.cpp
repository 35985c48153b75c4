#include "workspace/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <ostream>

namespace app {

namespace {

// The number text writes, read back: a whole number when it has no point and no exponent.
Json numberOf(double value, std::chars_format style, int precision) {
    if (!std::isfinite(value)) return nullptr;
    char buffer[400]; // the longest fixed text of a double with a few decimals
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, style, precision);
    if (written.ec != std::errc()) return nullptr;
    const std::string_view text(buffer, static_cast<size_t>(written.ptr - buffer));
    if (text.find_first_of(".e") == std::string_view::npos) {
        std::int64_t whole = 0;
        if (std::from_chars(text.data(), text.data() + text.size(), whole).ec == std::errc())
            return whole;
    }
    double read = 0;
    if (std::from_chars(text.data(), text.data() + text.size(), read).ec != std::errc())
        return value; // too close to zero to read back (a subnormal): the figure itself
    return read;
}

} // namespace

Json roundedDecimals(double value, int places) {
    return numberOf(value, std::chars_format::fixed, places);
}

Json roundedSignificant(double value, int digits) {
    return numberOf(value, std::chars_format::general, digits);
}

std::string jsonText(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

void printJson(const Json& json, std::ostream& out) {
    out << jsonText(json) << '\n';
}

} // namespace app
