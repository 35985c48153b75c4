// The address of a day's results page from the UpdateSite setting: a base address or a full
// address with placeholders, and the values the setting refuses.

#include "history/page_address.h"

#include <gtest/gtest.h>

using namespace history;

namespace {

const Date kDay{std::chrono::year{2016}, std::chrono::month{9}, std::chrono::day{8}};

} // namespace

TEST(PageAddress, BaseAddressesGetTheListPathAndPatternsTheirPlaceholdersFilled) {
    EXPECT_EQ(dayPageAddress("http://127.0.0.1:8080", 22, kDay),
              "http://127.0.0.1:8080/lottery/draw/list/22?d=2016-09-08");
    EXPECT_EQ(dayPageAddress(" https://example.org/kj/ ", 569, kDay),
              "https://example.org/kj/lottery/draw/list/569?d=2016-09-08");
    EXPECT_EQ(dayPageAddress("https://example.org/kj/{code}/{yyyymmdd}.html", 23, kDay),
              "https://example.org/kj/23/20160908.html");
    // Each placeholder as often as it stands; a final "/" of a pattern is part of the address.
    EXPECT_EQ(dayPageAddress("http://h/{yymmdd}/{code}-{yymmdd}/?d={date}&g={code}", 562, kDay),
              "http://h/160908/562-160908/?d=2016-09-08&g=562");
    EXPECT_EQ(normalisedSiteAddress(" http://h/x/{date}/ "), "http://h/x/{date}/");
    EXPECT_EQ(normalisedSiteAddress("http://h//"), "http://h");
}

TEST(PageAddress, ValuesThatCannotNameADaysPageAreRefusedWithTheReason) {
    EXPECT_FALSE(siteAddressProblem(""));
    EXPECT_FALSE(siteAddressProblem("http://127.0.0.1:8080/"));
    EXPECT_FALSE(siteAddressProblem("http://h/{code}/{date}.html"));
    for (const char* notAddress : {"127.0.0.1:8080", "ftp://h", "http://", "http:// h",
                                   "http://h/a b", "http:///x", "http://{code}/{date}"})
        EXPECT_TRUE(siteAddressProblem(notAddress)) << notAddress;
    const auto unknown = siteAddressProblem("http://h/{day}");
    ASSERT_TRUE(unknown);
    EXPECT_NE(unknown->find("{day}"), std::string::npos);
    // Without a day every day would read one page.
    const auto dayless = siteAddressProblem("http://h/kj/{code}.html");
    ASSERT_TRUE(dayless);
    EXPECT_NE(dayless->find("{date}"), std::string::npos);
    EXPECT_TRUE(siteAddressProblem("http://h/{date"));
    EXPECT_TRUE(siteAddressProblem("http://h/date}/{date}"));
}
