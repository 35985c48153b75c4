// The online update against pages laid out as real results sites lay them out: a time between
// the draw number and the numbers, ids split by elements, hidden copies, trend charts, pages of
// the newest draws only, holidays without a heading, and pages that show no draws of their own.
// Each update must store every listed draw exactly, and nothing else.

#include "workspace/workspace_fixture.h"

#include "site/results_site.h"
#include "support/core_application.h"
#include "workspace/history_service.h"
#include "workspace/update_service.h"

#include <gtest/gtest.h>

using testing_support::WorkspaceFixture;

namespace {

// Draws 01..perDay of each listed day (yymmdd); the last day may have fewer (today).
std::vector<site::SiteDraw> drawsOn(std::initializer_list<int> days, int perDay, int lastDay = 0) {
    std::vector<site::SiteDraw> draws;
    const int last = *(days.end() - 1);
    for (int day : days)
        for (int n = 1; n <= (day == last && lastDay ? lastDay : perDay); ++n) {
            const int a = (n * 7 + day) % 11;
            draws.push_back(
                {day * 100 + n,
                 {a + 1, (a + 4) % 11 + 1, (a + 2) % 11 + 1, (a + 9) % 11 + 1, (a + 6) % 11 + 1}});
        }
    return draws;
}

site::PageStyle styleOf(const std::vector<std::string>& names) {
    site::PageStyle style;
    for (const auto& name : names) EXPECT_TRUE(site::addStyle(name, style)) << name;
    return style;
}

using Stored = std::vector<std::pair<int, history::PositionValues>>;

Stored expected(const std::vector<site::SiteDraw>& draws) {
    Stored out;
    for (const auto& d : draws) {
        history::PositionValues values{};
        for (size_t i = 0; i < 5; ++i) values[i] = static_cast<std::int16_t>(d.numbers[i]);
        out.emplace_back(d.period, values);
    }
    return out;
}

class UpdatePages : public ::testing::Test {
  protected:
    UpdatePages() { testing_support::ensureCoreApplication(); }

    // Today is 2016-09-08 (the fixture's clock).
    app::UpdateResult update(site::ResultsSite& site, const std::string& keepDays = "2") {
        if (site.baseUrl().ends_with(":0")) { // not listening yet
            EXPECT_NE(site.listen(), 0);
        }
        auto& w = *f.workspace;
        EXPECT_TRUE(w.setSetting("IniSerchDay", keepDays).ok);
        EXPECT_TRUE(w.setSetting("UpdateSite", site.baseUrl()).ok);
        watch = {};
        return app::UpdateService(w).update(watch);
    }
    Stored stored() const {
        Stored out;
        for (const auto& row : f.workspace->rows()) out.emplace_back(row.period, row.numbers());
        return out;
    }

    struct Days : app::UpdateProgress {
        void fetching(const std::string& day, size_t, size_t) override { days.push_back(day); }
        bool cancelled() override { return false; }
        std::vector<std::string> days;
    } watch;
    WorkspaceFixture f;
};

std::string names(const std::vector<std::string>& list) {
    std::string text;
    for (const auto& n : list) text += n + " ";
    return text;
}

} // namespace

TEST_F(UpdatePages, TimesSplitIdsHiddenCopiesAndTrendChartsReadToTheListedDraws) {
    const auto draws = drawsOn({160906, 160907, 160908}, 84, 30);
    const std::vector<std::vector<std::string>> styles = {
        {"time-cells", "short-ids"},
        {"time-cells", "short-ids", "newest-first"},
        {"numbers-text", "split-ids"},
        {"blocks", "split-ids"},
        {"numbers-em", "split-ids"},
        {"numbers-text", "hidden-copies"},
        {"numbers-text", "class-hidden"},
        {"trend"},
        {"trend", "short-ids"},
        {"trend", "three-digit-ids", "placeholders"},
        {"time-in-id-cell"},
        {"time-in-id-cell", "short-ids", "newest-first"},
        {"time-in-id-cell", "split-ids"},
        {"time-in-id-cell", "three-digit-ids", "placeholders"}};
    for (const auto& style : styles) {
        site::ResultsSite site(draws, styleOf(style));
        const auto result = update(site);
        ASSERT_TRUE(result.complete()) << names(style) << result.outcome.message;
        EXPECT_TRUE(result.skipped.empty())
            << names(style) << result.skipped.front().what << " " << result.skipped.front().reason;
        EXPECT_EQ(stored(), expected(draws)) << names(style);
        EXPECT_TRUE(result.unlisted.empty()) << names(style);
        ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
    }
}

TEST_F(UpdatePages, ATrendChartsLongOmissionsAndStatisticsAreNoDraws) {
    // 11 is never drawn first: its figure in the first place's column runs past 99 on the second
    // day, in the draws' rows and in the statistics under them.
    auto draws = drawsOn({160906, 160907, 160908}, 84, 30);
    for (auto& draw : draws)
        if (draw.numbers[0] == 11) std::swap(draw.numbers[0], draw.numbers[1]);
    const std::vector<std::vector<std::string>> styles = {
        {"trend", "carried-omissions"},
        {"trend", "carried-omissions", "short-ids", "newest-first"},
        {"trend", "carried-omissions", "three-digit-ids", "placeholders"}};
    for (const auto& style : styles) {
        site::ResultsSite site(draws, styleOf(style));
        EXPECT_NE(site.page(22, "2016-09-08").find("<td>198</td>"), std::string::npos);
        const auto result = update(site);
        ASSERT_TRUE(result.complete()) << names(style) << result.outcome.message;
        EXPECT_TRUE(result.skipped.empty())
            << names(style) << result.skipped.front().what << " " << result.skipped.front().reason;
        EXPECT_EQ(stored(), expected(draws)) << names(style);
        ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
    }
}

TEST_F(UpdatePages, APageThatListsNothingForADayWithStoredDrawsStops) {
    const auto draws = drawsOn({160906, 160907, 160908}, 84, 10);
    site::ResultsSite site(draws, styleOf({"time-cells", "short-ids"}));
    ASSERT_TRUE(update(site).complete());
    // The site's 09-08 page changes to one whose rows are not read: no day without draws.
    site.setPage("2016-09-08", "<table><tr><th>期号</th><th>开奖号码</th></tr>"
                               "<tr><td>第1期</td><td><img src=a.png></td></tr></table>");
    const auto result = update(site);
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(result.stoppedDay, "2016-09-08");
    EXPECT_NE(result.stopReason.find("已有这一天的10期"), std::string::npos) << result.stopReason;
    EXPECT_EQ(stored(), expected(draws));
}

TEST_F(UpdatePages, APageOfTheNewestDrawsTellsTheDrawsBeforeThemAndALaterUpdateFillsThem) {
    const auto draws = drawsOn({160906, 160907, 160908}, 84, 30);
    site::ResultsSite partial(draws, styleOf({"numbers-em", "newest-20"}));
    auto result = update(partial);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    Stored listed;
    for (const auto& draw : expected(draws))
        if (draw.first % 100 > (draw.first / 100 == 160908 ? 10 : 64)) listed.push_back(draw);
    EXPECT_EQ(stored(), listed);
    EXPECT_EQ(result.unlisted.size(), 64u + 64u + 10u);
    for (const std::string told : {"第2016090601–64期页面未列出", "第2016090701–64期页面未列出",
                                   "第2016090801–10期页面未列出"})
        EXPECT_NE(result.outcome.message.find(told), std::string::npos) << result.outcome.message;

    // The days are read again: once a page lists them, they are stored in their places.
    site::ResultsSite whole(draws, styleOf({"numbers-em"}));
    result = update(whole);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(watch.days, (std::vector<std::string>{"2016-09-06", "2016-09-07", "2016-09-08"}));
    EXPECT_EQ(result.filled, 138u);
    EXPECT_TRUE(result.unlisted.empty());
    EXPECT_EQ(stored(), expected(draws));
}

TEST_F(UpdatePages, HolidayPagesWithoutAHeadingAreDaysWithoutDrawsAndAreNotReadAgain) {
    // 09-05 and 09-06 are holidays between days with draws.
    const auto draws = drawsOn({160904, 160907, 160908}, 84, 12);
    site::ResultsSite between(draws, styleOf({"numbers-text", "bare-holidays"}));
    auto result = update(between, "4");
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(stored(), expected(draws));
    EXPECT_EQ(result.daysWithoutDraws, (std::vector<std::string>{"2016-09-05", "2016-09-06"}));
    EXPECT_NE(result.outcome.message.find("当天没有开奖"), std::string::npos);

    // A break that lasts up to today: the same list, empty, tells the days after the last
    // draws; the next update reads only today.
    ASSERT_TRUE(f.workspace->setSetting("GsZl", "23").ok);
    const auto before = drawsOn({160904, 160905}, 84);
    auto style = styleOf({"blocks", "bare-holidays"});
    style.servedUntil = "2016-09-08";
    site::ResultsSite breakUntilToday(before, style);
    result = update(breakUntilToday, "4");
    ASSERT_TRUE(result.complete()) << result.outcome.message << names(watch.days);
    EXPECT_EQ(stored(), expected(before));
    EXPECT_EQ(result.daysWithoutDraws, (std::vector<std::string>{"2016-09-06", "2016-09-07"}));
    result = update(breakUntilToday, "4");
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(watch.days, std::vector<std::string>{"2016-09-08"});
    EXPECT_EQ(stored(), expected(before));

    // A page of another layout that lists nothing (no results page) is no holiday.
    ASSERT_TRUE(f.workspace->setSetting("GsZl", "562").ok);
    site::ResultsSite other(before, style);
    other.setPage("2016-09-06", "<html><body><div class=\"err\">系统维护中</div></body></html>");
    result = update(other, "4");
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(result.stoppedDay, "2016-09-06");
    EXPECT_EQ(result.stopReason.rfind("网页上找不到开奖号码", 0), 0u) << result.stopReason;
    EXPECT_EQ(stored(), expected(before));
}

TEST_F(UpdatePages, PagesWithoutDrawsOfTheirOwnStayRefused) {
    const auto draws = drawsOn({160906, 160907, 160908}, 84, 20);
    for (const std::string layout : {"script-only", "ajax", "all-games"}) {
        for (const bool history : {false, true}) {
            SCOPED_TRACE(layout + (history ? " with a history" : ""));
            ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
            if (history) f.type("2016090701", {{"01", "02", "03", "04", "05"}});
            const Stored was = stored();
            site::ResultsSite site(draws, styleOf({layout}));
            const auto result = update(site);
            EXPECT_FALSE(result.complete());
            EXPECT_EQ(result.stopReason.rfind("网页上找不到开奖号码", 0), 0u) << result.stopReason;
            EXPECT_EQ(stored(), was);
        }
    }
    // Another lottery's page (five digits 0..9 a draw): the few of its rows that happen to look
    // like a draw are none either; in any layout, nothing of it is stored.
    for (const std::string layout : {"numbers-text", "numbers-em", "blocks", "trend"}) {
        SCOPED_TRACE(layout + " digit-draws");
        ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
        f.type("2016090601", {{"01", "02", "03", "04", "05"}});
        const Stored was = stored();
        site::ResultsSite site(draws, styleOf({layout, "digit-draws"}));
        const auto result = update(site);
        EXPECT_FALSE(result.complete());
        EXPECT_NE(result.stopReason.find("似乎不是江西11选5的开奖号码"), std::string::npos)
            << result.stopReason;
        EXPECT_EQ(stored(), was);
    }
    // An ajax list whose heading stands in the page: with draws stored it cannot be the day's
    // page; without, no day of a site that never shows a draw passes for a day without draws.
    const std::string ajax = "<table class=\"list\"><thead><tr><th>期号</th><th>开奖号码</th></tr>"
                             "</thead><tbody id=\"body\"></tbody></table><script>$.ajax({url: "
                             "\"/api\", success: fill});</script>";
    for (const bool history : {false, true}) {
        SCOPED_TRACE(history ? "ajax with a heading, with a history" : "ajax with a heading");
        ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
        if (history) f.type("2016090701", {{"01", "02", "03", "04", "05"}});
        const Stored was = stored();
        site::ResultsSite site(draws);
        for (const std::string day : {"2016-09-06", "2016-09-07", "2016-09-08"})
            site.setPage(day, ajax);
        const auto result = update(site);
        EXPECT_FALSE(result.complete());
        EXPECT_EQ(result.stopReason.rfind("网页上找不到开奖号码", 0), 0u) << result.stopReason;
        EXPECT_TRUE(result.daysWithoutDraws.empty());
        EXPECT_EQ(stored(), was);
    }
}
