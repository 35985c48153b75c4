// The online update against our results site writing its pages in every layout it knows: each
// brings the history to the same draws; a page with a heading and no draws is a day without
// draws, a page with nothing readable stops the update.

#include "workspace/workspace_fixture.h"

#include "site/results_site.h"
#include "support/core_application.h"
#include "workspace/history_service.h"
#include "workspace/update_service.h"

#include <gtest/gtest.h>

using testing_support::WorkspaceFixture;

namespace {

// Draws 01..perDay of each listed day (yymmdd), numbers differing from draw to draw.
std::vector<site::SiteDraw> drawsOn(std::initializer_list<int> days, int perDay) {
    std::vector<site::SiteDraw> draws;
    for (int day : days)
        for (int n = 1; n <= perDay; ++n) {
            const int a = (n + day) % 11;
            draws.push_back(
                {day * 100 + n,
                 {a + 1, (a + 3) % 11 + 1, (a + 1) % 11 + 1, (a + 7) % 11 + 1, (a + 5) % 11 + 1}});
        }
    return draws;
}

site::PageStyle styleOf(const std::vector<std::string>& names) {
    site::PageStyle style;
    for (const auto& name : names) EXPECT_TRUE(site::addStyle(name, style)) << name;
    return style;
}

class UpdateLayouts : public ::testing::Test {
  protected:
    UpdateLayouts() { testing_support::ensureCoreApplication(); }

    app::UpdateResult update(site::ResultsSite& site, const std::string& game = "22") {
        EXPECT_NE(site.listen(), 0);
        auto& w = *f.workspace;
        EXPECT_TRUE(w.setSetting("GsZl", game).ok);
        EXPECT_TRUE(w.setSetting("UpdateSite", site.baseUrl()).ok);
        app::QuietUpdate quiet;
        return app::UpdateService(w).update(quiet);
    }
    std::vector<std::pair<int, history::PositionValues>> stored() const {
        std::vector<std::pair<int, history::PositionValues>> out;
        for (const auto& row : f.workspace->rows()) out.emplace_back(row.period, row.numbers());
        return out;
    }

    WorkspaceFixture f;
};

// The draws as the history should hold them.
std::vector<std::pair<int, history::PositionValues>>
expected(const std::vector<site::SiteDraw>& draws) {
    std::vector<std::pair<int, history::PositionValues>> out;
    for (const auto& d : draws) {
        history::PositionValues values{};
        for (size_t i = 0; i < 5; ++i) values[i] = static_cast<std::int16_t>(d.numbers[i]);
        out.emplace_back(d.period, values);
    }
    return out;
}

} // namespace

TEST_F(UpdateLayouts, EveryLayoutBringsTheSameDraws) {
    // The kept days 09-02 .. 09-08 of an empty history, four draws a day.
    const auto draws = drawsOn({160902, 160903, 160904, 160905, 160906, 160907, 160908}, 4);
    const std::vector<std::vector<std::string>> variants = {
        {},
        {"short-ids", "placeholders"},
        {"dash-ids", "newest-first"},
        {"three-digit-ids", "gbk", "placeholders", "newest-first"},
    };
    for (const auto& layout : site::layoutNames())
        for (const auto& variant : variants) {
            auto names = variant;
            names.push_back(layout);
            site::ResultsSite site(draws, styleOf(names));
            const auto result = update(site);
            std::string name;
            for (const auto& n : names) name += n + " ";
            ASSERT_TRUE(result.complete()) << name << result.outcome.message;
            EXPECT_TRUE(result.skipped.empty()) << name << result.skipped.front().what;
            EXPECT_EQ(stored(), expected(draws)) << name;
            ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
        }
    // An eight-digit game reads the same pages.
    site::ResultsSite site(draws, styleOf({"mixed", "placeholders"}));
    const auto result = update(site, "23");
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(stored(), expected(draws));
}

TEST_F(UpdateLayouts, AHeadingWithoutDrawsIsADayWithoutDrawsButNothingReadableStops) {
    // 09-06 and 09-08 have draws; the site shows 09-07 with its heading only.
    const auto draws = drawsOn({160906, 160908}, 2);
    site::ResultsSite site(draws, styleOf({"numbers-em"}));
    ASSERT_TRUE(f.workspace->setSetting("IniSerchDay", "2").ok);
    auto result = update(site);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(stored().size(), 4u);
    EXPECT_EQ(site.requests(), 3 + app::UpdateService::kRestarts); // 09-07 read again

    // A page whose draws cannot be read, although it shows a heading: the update stops there,
    // and the day is read again first. What was read before it is stored.
    ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
    site::ResultsSite changed(draws, styleOf({"blocks"}));
    changed.setPage("2016-09-07", "<table><tr><th>期号</th><th>开奖号码</th></tr>"
                                  "<tr><td>2016090701</td><td>0307011105</td></tr></table>");
    result = update(changed);
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(result.stoppedDay, "2016-09-07");
    EXPECT_NE(result.stopReason.find("格式无法识别"), std::string::npos) << result.stopReason;
    EXPECT_EQ(changed.requests(), 2 + app::UpdateService::kRestarts);
    EXPECT_EQ(stored().size(), 2u);
}

TEST_F(UpdateLayouts, WrongDrawsOfAPageAreReportedAndTheRestStored) {
    site::ResultsSite site(drawsOn({160906, 160907, 160908}, 1), styleOf({"numbers-cells"}));
    site.setPage("2016-09-08", R"(<meta charset="utf-8"><table>
        <tr><th>期号</th><th colspan=5>开奖号码</th></tr>
        <tr><td>20160908-01</td><td>03</td><td>07</td><td>01</td><td>11</td><td>05</td></tr>
        <tr><td>20160907-02</td><td>03</td><td>07</td><td>01</td><td>11</td><td>05</td></tr>
        <tr><td>20160908-03</td><td>03</td><td>07</td><td>01</td><td>11</td><td>13</td></tr>
        <tr><td>20160908-04</td><td>--</td><td>--</td><td>--</td><td>--</td><td>--</td></tr>
        </table>)");
    ASSERT_TRUE(f.workspace->setSetting("IniSerchDay", "2").ok);
    const auto result = update(site);
    EXPECT_TRUE(result.complete()) << result.outcome.message;
    ASSERT_EQ(stored().size(), 3u);
    EXPECT_EQ(stored()[2].first, 16090801);
    ASSERT_EQ(result.skipped.size(), 2u);
    EXPECT_EQ(result.skipped[0].what, "20160907-02");
    EXPECT_EQ(result.skipped[1].what, "20160908-03");
}

TEST_F(UpdateLayouts, ASiteShowingAnotherDaysPageOfDrawNumbersAloneStopsTheUpdate) {
    // Asked for 09-07, the site answers with the page of 09-08 (its latest), ids 01, 02, ...
    const auto draws = drawsOn({160906, 160907, 160908}, 2);
    site::ResultsSite site(draws, styleOf({"numbers-text", "short-ids"}));
    site.setPage("2016-09-07", site.page(22, "2016-09-08"));
    ASSERT_TRUE(f.workspace->setSetting("IniSerchDay", "2").ok);
    const auto result = update(site);
    EXPECT_EQ(result.stoppedDay, "2016-09-07");
    EXPECT_NE(result.stopReason.find("无法确认"), std::string::npos) << result.stopReason;
    ASSERT_EQ(stored().size(), 2u);
    EXPECT_EQ(stored()[1].first, 16090602);
}
