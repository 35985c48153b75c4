// JSON as the command line writes it: figures keep the digits they were printed with, a figure
// that is not finite is null, strings are escaped and stay valid.

#include "workspace/json_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace {

using app::Json;
using app::jsonText;
using app::roundedDecimals;
using app::roundedSignificant;

TEST(JsonText, FiguresKeepTheirPrintedDigits) {
    // Decimals: the value the rounded text shows, in its shortest form.
    EXPECT_EQ(jsonText(roundedDecimals(-21.7004, 3)), "-21.7");
    EXPECT_EQ(jsonText(roundedDecimals(0.58441558, 6)), "0.584416");
    EXPECT_EQ(jsonText(roundedDecimals(0.00049, 3)), "0.0");
    EXPECT_EQ(jsonText(roundedDecimals(2, 3)), "2.0");
    EXPECT_EQ(jsonText(roundedDecimals(1e15 / 3, 3)), "333333333333333.3");
    // Significant digits: a whole figure written without a point stays a whole number.
    EXPECT_EQ(jsonText(roundedSignificant(0.972149, 4)), "0.9721");
    EXPECT_EQ(jsonText(roundedSignificant(1, 4)), "1");
    EXPECT_TRUE(roundedSignificant(1, 4).is_number_integer());
    EXPECT_EQ(jsonText(roundedSignificant(100.04, 6)), "100.04");
    EXPECT_EQ(roundedSignificant(1.23456e-12, 4), 1.235e-12);
    EXPECT_EQ(roundedSignificant(1.0 / 11, 10), 0.09090909091);
    EXPECT_EQ(roundedSignificant(std::numeric_limits<double>::denorm_min(), 6), 4.94066e-324);
}

TEST(JsonText, FigureThatIsNotFiniteIsNull) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const Json& j : {roundedDecimals(nan, 3), roundedDecimals(inf, 6),
                          roundedSignificant(-inf, 4), roundedSignificant(nan, 6)})
        EXPECT_TRUE(j.is_null()) << j;
    // In a document, the member stays and reads null.
    Json json;
    json["p_value"] = roundedSignificant(nan, 6);
    json["runs"] = 3;
    EXPECT_EQ(jsonText(json), "{\"p_value\":null,\"runs\":3}");
}

TEST(JsonText, CompactMembersInTheirOrderStringsEscaped) {
    Json json;
    json["zeta"] = "江西11选5";
    json["alpha"] = Json::array({1, -2, nullptr, true});
    json["text"] = std::string("tab\there \"quoted\" back\\slash \x01 line\n");
    std::ostringstream out;
    app::printJson(json, out);
    EXPECT_EQ(out.str(), "{\"zeta\":\"江西11选5\",\"alpha\":[1,-2,null,true],"
                         "\"text\":\"tab\\there \\\"quoted\\\" back\\\\slash \\u0001 line\\n\"}\n");
    // Bytes that are no UTF-8 (a file name from another system) do not make the text invalid.
    const std::string written = jsonText(Json(std::string("a\xff"
                                                          "b")));
    EXPECT_EQ(written, "\"a\xEF\xBF\xBD"
                       "b\"");
    EXPECT_EQ(Json::parse(written), "a\xEF\xBF\xBD"
                                    "b");
}

} // namespace
