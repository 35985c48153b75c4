#include "site/results_site.h"

#include "history/page_draws.h"
#include "platform/html_table.h"
#include "platform/page_fetch.h"
#include "support/core_application.h"
#include "support/temp_dir.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <fstream>

using namespace site;
using namespace std::chrono_literals;
using Rows = std::vector<std::vector<std::string>>;

namespace {

// Two draws at the end of 2016-09-07, three on 2016-09-08, none on 09-09 and one on 09-10.
std::vector<SiteDraw> sampleDraws() {
    return {{16090803, {1, 2, 3, 4, 5}},   {16090801, {5, 3, 8, 1, 11}},
            {16090783, {11, 10, 9, 8, 7}}, {16090802, {2, 4, 6, 8, 10}},
            {16091001, {6, 7, 8, 9, 10}},  {16090784, {1, 3, 5, 7, 9}}};
}

const std::vector<std::string> kHeading = {"序号", "期号", "开奖号码", "详情"};

Rows rowsOf(const std::string& page) {
    auto decoded = platform::decodePage(page, "");
    if (!decoded) return {};
    return platform::tableRows(*decoded, "draw_list").value_or(Rows{});
}

std::string dayUrl(const ResultsSite& site, int game, const std::string& day) {
    return site.baseUrl() + "/lottery/draw/list/" + std::to_string(game) + "?d=" + day;
}

quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

class SiteFetch : public testing::Test {
  protected:
    void SetUp() override { testing_support::ensureCoreApplication(); }
};

} // namespace

TEST(ResultsSite, PagesOfTenAndEightDigitGames) {
    const ResultsSite site(sampleDraws());
    const Rows tenDigits = {kHeading,
                            {"1", "2016090801", "05 03 08 01 11", "详情"},
                            {"2", "2016090802", "02 04 06 08 10", "详情"},
                            {"3", "2016090803", "01 02 03 04 05", "详情"}};
    EXPECT_EQ(rowsOf(site.page(22, "2016-09-08")), tenDigits);
    EXPECT_EQ(rowsOf(site.page(562, "2016-09-08")), tenDigits);

    const Rows eightDigits = {kHeading,
                              {"1", "16090783", "11 10 09 08 07", "详情"},
                              {"2", "16090784", "01 03 05 07 09", "详情"}};
    EXPECT_EQ(rowsOf(site.page(23, "2016-09-07")), eightDigits);
    EXPECT_EQ(rowsOf(site.page(569, "2016-09-07")), eightDigits);

    const std::string page = site.page(22, "2016-09-10");
    EXPECT_EQ(page.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
    EXPECT_NE(page.find("<tbody>"), std::string::npos);
}

TEST(ResultsSite, DaysWithoutPages) {
    ResultsSite site(sampleDraws());
    EXPECT_EQ(rowsOf(site.page(22, "2016-09-09")), Rows{kHeading}); // a holiday
    for (const char* day : {"2016-09-06", "2016-09-11", "2016-9-08", "2016-09-8", "2016-02-30",
                            "2016-09-08x", "", "16-09-08"})
        EXPECT_EQ(site.page(22, day), "") << day;
    EXPECT_EQ(site.page(24, "2016-09-08"), "");
    EXPECT_EQ(site.page(0, "2016-09-08"), "");

    site.setMissingDays({"2016-09-08"});
    EXPECT_EQ(site.page(22, "2016-09-08"), "");
    EXPECT_NE(site.page(22, "2016-09-07"), "");

    const ResultsSite empty({});
    EXPECT_EQ(empty.page(22, "2016-09-08"), "");
}

TEST(ResultsSite, StylesOfRealSites) {
    PageStyle style;
    style.newestFirst = true;
    style.withTbody = false;
    style.commaNumbers = true;
    style.decoyTableInComment = true;
    const ResultsSite site(sampleDraws(), style);
    const std::string page = site.page(23, "2016-09-08");
    EXPECT_EQ(page.find("<tbody"), std::string::npos);
    EXPECT_NE(page.find("<!-- <table id=\"draw_list\">"), std::string::npos);
    EXPECT_EQ(rowsOf(page), (Rows{kHeading,
                                  {"1", "16090803", "01,02,03,04,05", "详情"},
                                  {"2", "16090802", "02,04,06,08,10", "详情"},
                                  {"3", "16090801", "05,03,08,01,11", "详情"}}));

    PageStyle gbk;
    gbk.gbk = true;
    const std::string gbkPage = ResultsSite(sampleDraws(), gbk).page(22, "2016-09-08");
    EXPECT_EQ(gbkPage.find("期号"), std::string::npos); // not UTF-8
    EXPECT_NE(gbkPage.find("charset=gbk"), std::string::npos);
    EXPECT_EQ(rowsOf(gbkPage), rowsOf(ResultsSite(sampleDraws()).page(22, "2016-09-08")));
}

TEST(ResultsSite, LayoutsWithoutTheDrawListTable) {
    const history::Date day{std::chrono::year{2016}, std::chrono::month{9}, std::chrono::day{8}};
    for (const auto& layout : layoutNames())
        for (const char* ids : {"short-ids", "dash-ids", "three-digit-ids", "newest-first"}) {
            PageStyle style;
            ASSERT_TRUE(addStyle(layout, style) && addStyle(ids, style));
            ASSERT_TRUE(addStyle("placeholders", style));
            const std::string html = ResultsSite(sampleDraws(), style).page(23, "2016-09-08");
            const auto page = platform::readResultsPage(html);
            ASSERT_TRUE(page);
            EXPECT_FALSE(page->drawList) << layout;
            // The three draws of the day, none else, and the 39 draws still to come (广东 draws 42
            // a day) as slots.
            const auto found = history::findPageDraws(page->rows);
            EXPECT_TRUE(found.heading) << layout;
            EXPECT_EQ(found.unmade, 39u) << layout << " " << ids;
            EXPECT_EQ(found.unread, 0u) << layout << " " << ids;
            const auto table = history::readPageDraws(found, history::Game::Guangdong, day, 0);
            ASSERT_EQ(table.draws.size(), 3u) << layout << " " << ids;
            EXPECT_EQ(table.draws[0].period, 16090801);
            EXPECT_EQ(table.draws[0].numbers, (history::Numbers{5, 3, 8, 1, 11}));
            EXPECT_EQ(table.draws[2].period, 16090803);
            EXPECT_TRUE(table.skipped.empty()) << layout;
        }
    PageStyle style;
    EXPECT_FALSE(addStyle("numbers-everywhere", style));
}

TEST_F(SiteFetch, PagesAndNotFound) {
    ResultsSite site(sampleDraws());
    ASSERT_NE(site.listen(), 0);

    const auto page = platform::fetchPage(dayUrl(site, 22, "2016-09-08"), 5s);
    EXPECT_TRUE(page.ok) << page.error;
    EXPECT_EQ(page.status, 200);
    EXPECT_EQ(page.contentType, "text/html; charset=utf-8");
    EXPECT_EQ(page.body, site.page(22, "2016-09-08"));

    for (const std::string& path :
         {std::string("/lottery/draw/list/22?d=2016-09-11"), std::string("/lottery/draw/list/22"),
          std::string("/lottery/draw/list/abc?d=2016-09-08"), std::string("/")}) {
        const auto missing = platform::fetchPage(site.baseUrl() + path, 5s);
        EXPECT_FALSE(missing.ok) << path;
        EXPECT_EQ(missing.status, 404) << path;
        EXPECT_EQ(missing.error, "网站回答错误 HTTP 404") << path;
        EXPECT_FALSE(missing.unreachable);
    }
    EXPECT_EQ(site.requests(), 5);
}

TEST_F(SiteFetch, GbkPageNamesItsCharsetOnlyInThePage) {
    PageStyle style;
    style.gbk = true;
    ResultsSite site(sampleDraws(), style);
    ASSERT_NE(site.listen(), 0);
    const auto page = platform::fetchPage(dayUrl(site, 23, "2016-09-07"), 5s);
    ASSERT_TRUE(page.ok) << page.error;
    EXPECT_EQ(page.contentType, "text/html");
    const auto text = platform::decodePage(page.body, page.contentType);
    ASSERT_TRUE(text);
    EXPECT_EQ(platform::tableRows(*text, "draw_list"),
              (Rows{kHeading,
                    {"1", "16090783", "11 10 09 08 07", "详情"},
                    {"2", "16090784", "01 03 05 07 09", "详情"}}));
}

TEST_F(SiteFetch, SlowPageTimesOutWhileTheSiteKeepsServing) {
    PageStyle style;
    style.delay = 600ms;
    ResultsSite site(sampleDraws(), style);
    ASSERT_NE(site.listen(), 0);

    QElapsedTimer clock;
    clock.start();
    const auto late = platform::fetchPage(dayUrl(site, 22, "2016-09-08"), 150ms);
    EXPECT_FALSE(late.ok);
    EXPECT_FALSE(late.cancelled);
    EXPECT_EQ(late.error, "等了0.15秒网页还没有读完（超时）");
    EXPECT_LT(clock.elapsed(), 550);

    // The abandoned answer is due while the next request waits; the next one comes whole.
    clock.restart();
    const auto page = platform::fetchPage(dayUrl(site, 22, "2016-09-07"), 5s);
    EXPECT_TRUE(page.ok) << page.error;
    EXPECT_EQ(page.body, site.page(22, "2016-09-07"));
    EXPECT_GE(clock.elapsed(), 550);
}

TEST_F(SiteFetch, RefusedAndCancelled) {
    const auto refused =
        platform::fetchPage("http://127.0.0.1:" + std::to_string(closedPort()) + "/", 5s);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.status, 0);
    EXPECT_EQ(refused.error, "连接被拒绝");
    EXPECT_TRUE(refused.unreachable);
    EXPECT_EQ(platform::fetchPage("http//nowhere", 5s).error, "网址无效");

    PageStyle style;
    style.delay = 10s;
    ResultsSite site(sampleDraws(), style);
    ASSERT_NE(site.listen(), 0);
    QElapsedTimer clock;
    clock.start();
    int asked = 0;
    const auto cancelled = platform::fetchPage(dayUrl(site, 22, "2016-09-08"), 20s, [&] {
        ++asked;
        return clock.elapsed() >= 100;
    });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.error, "已取消");
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_GT(asked, 1);

    // Cancelled before it starts: nothing is asked of the site.
    const int before = site.requests();
    const auto early = platform::fetchPage(dayUrl(site, 22, "2016-09-08"), 5s, [] { return true; });
    EXPECT_TRUE(early.cancelled);
    EXPECT_EQ(site.requests(), before);
}

TEST_F(SiteFetch, SiteProgramServesAFile) {
    testing_support::TempDir dir;
    {
        std::ofstream file(dir.file("draws.txt"), std::ios::binary);
        file << "期号 号码\r\n16090783 11 10 09 08 07\r\n16090784 01 03 05 07 09\r\n"
                "16090801 05 03 08 01 11\r\n";
    }
    const quint16 port = closedPort();
    QProcess program;
    program.start(K11_SITE_EXECUTABLE, {"--port", QString::number(port), "--style", "gbk,comma",
                                        QString::fromStdString(dir.file("draws.txt"))});
    ASSERT_TRUE(program.waitForStarted(5000));
    std::string output;
    while (output.find('\n') == std::string::npos && program.waitForReadyRead(5000))
        output += program.readAllStandardOutput().toStdString();
    EXPECT_EQ(output, "serving http://127.0.0.1:" + std::to_string(port) + "\n");

    const auto page = platform::fetchPage(
        "http://127.0.0.1:" + std::to_string(port) + "/lottery/draw/list/22?d=2016-09-08", 5s);
    program.kill();
    program.waitForFinished(5000);
    ASSERT_TRUE(page.ok) << page.error;
    const auto text = platform::decodePage(page.body, page.contentType);
    ASSERT_TRUE(text);
    EXPECT_EQ(platform::tableRows(*text, "draw_list"),
              (Rows{kHeading, {"1", "2016090801", "05,03,08,01,11", "详情"}}));

    QProcess missing;
    missing.start(K11_SITE_EXECUTABLE, {QString::fromStdString(dir.file("none.txt"))});
    ASSERT_TRUE(missing.waitForFinished(5000));
    EXPECT_EQ(missing.exitCode(), 1);
}
