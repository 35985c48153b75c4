// The online update against a results site of our own on a loopback port: the days it fetches,
// what it stores, skips and removes, and where it stops.

#include "workspace_fixture.h"

#include "app/update_service.h"
#include "cli_run.h"
#include "site/results_site.h"
#include "support/core_application.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using testing_support::WorkspaceFixture;

namespace {

// Draws of consecutive days, `perDay` a day, from the first day's draw 01.
std::vector<site::SiteDraw> drawsOfDays(int firstDay, int dayCount, int perDay) {
    std::vector<site::SiteDraw> draws;
    const auto first = history::dateOfPeriod(firstDay * 100 + 1);
    for (int d = 0; d < dayCount; ++d) {
        const history::Date day{std::chrono::sys_days{first} + std::chrono::days{d}};
        for (int n = 1; n <= perDay; ++n) {
            const int a = (n + d) % 11;
            draws.push_back(
                {history::dayNumber(day) * 100 + n,
                 {a + 1, (a + 1) % 11 + 1, (a + 2) % 11 + 1, (a + 3) % 11 + 1, (a + 4) % 11 + 1}});
        }
    }
    return draws;
}

// Counts the days fetched and can cancel at a given day.
class Watch : public app::UpdateProgress {
  public:
    void fetching(const std::string& day, size_t, size_t) override { days.push_back(day); }
    bool cancelled() override { return cancelAt > 0 && days.size() >= cancelAt; }
    std::vector<std::string> days;
    size_t cancelAt = 0;
};

class OnlineUpdate : public ::testing::Test {
  protected:
    OnlineUpdate() { testing_support::ensureCoreApplication(); }

    // A workspace whose today is 2016-09-08 (the fixture's clock) on the given site.
    app::Workspace& open(site::ResultsSite& site, const std::string& keepDays = "6") {
        EXPECT_NE(site.listen(), 0);
        auto& w = *f.workspace;
        EXPECT_TRUE(w.setSetting("UpdateSite", site.baseUrl()).ok);
        EXPECT_TRUE(w.setSetting("IniSerchDay", keepDays).ok);
        return w;
    }
    app::UpdateResult update(Watch& watch) {
        return app::UpdateService(*f.workspace).update(watch);
    }
    std::vector<int> periods() const {
        std::vector<int> out;
        for (const auto& row : f.workspace->rows()) out.push_back(row.period);
        return out;
    }

    WorkspaceFixture f;
};

} // namespace

TEST_F(OnlineUpdate, FromTheNewestDrawToTodayStoringOnlyWhatIsNew) {
    site::ResultsSite site(drawsOfDays(160906, 3, 5));
    auto& w = open(site);
    f.type("2016090603", {{"01", "02", "03", "04", "05"}});
    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(watch.days, (std::vector<std::string>{"2016-09-06", "2016-09-07", "2016-09-08"}));
    EXPECT_EQ(result.stored, 12u); // 04 and 05 of the first day, five on each later day
    EXPECT_EQ(w.rows().size(), 13u);
    EXPECT_EQ(w.rows()[1].period, 16090604);
    EXPECT_EQ(w.rows().back().period, 16090805);
    EXPECT_EQ(w.nextPeriodText(), "2016090806");
    EXPECT_EQ(w.spanEnd(), "2016090805");
    // Again: nothing new, nothing stored twice.
    Watch again;
    EXPECT_EQ(update(again).stored, 0u);
    EXPECT_EQ(again.days, std::vector<std::string>{"2016-09-08"});
    EXPECT_EQ(w.rows().size(), 13u);
}

TEST_F(OnlineUpdate, AnEmptyHistoryFetchesTheKeptDaysAndHolidaysAreDaysWithoutDraws) {
    auto draws = drawsOfDays(160830, 10, 3);
    // 2016-09-05 is a holiday: inside the site's days, without draws.
    std::erase_if(draws, [](const site::SiteDraw& d) { return d.period / 100 == 160905; });
    site::ResultsSite site(draws);
    auto& w = open(site);
    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(watch.days.size(), 7u); // 09-02 .. 09-08
    EXPECT_EQ(watch.days.front(), "2016-09-02");
    EXPECT_EQ(result.stored, 6u * 3u);
    EXPECT_EQ(w.rows().front().period, 16090201);
}

TEST_F(OnlineUpdate, ADayThatCannotBeReadStopsThereAndTheNextUpdateResumes) {
    site::ResultsSite site(drawsOfDays(160905, 4, 2));
    open(site);
    f.type("2016090501", {{"01", "02", "03", "04", "05"}});
    site.setMissingDays({"2016-09-07"});
    Watch watch;
    const auto stopped = update(watch);
    EXPECT_FALSE(stopped.complete());
    EXPECT_EQ(stopped.stoppedDay, "2016-09-07");
    EXPECT_NE(stopped.stopReason.find("404"), std::string::npos);
    EXPECT_NE(stopped.outcome.message.find("2016-09-07"), std::string::npos);
    EXPECT_EQ(stopped.stored, 3u); // 0502 and the two of 09-06
    EXPECT_EQ(periods().back(), 16090602);

    site.setMissingDays({});
    Watch resumed;
    const auto done = update(resumed);
    ASSERT_TRUE(done.complete()) << done.outcome.message;
    EXPECT_EQ(resumed.days.front(), "2016-09-06");
    EXPECT_EQ(done.stored, 4u);
    EXPECT_EQ(periods().back(), 16090802);
}

TEST_F(OnlineUpdate, AFirstDayThatCannotBeReadChangesNothingAtAll) {
    site::ResultsSite site(drawsOfDays(160820, 20, 2));
    auto& w = open(site);
    f.type("2016082001", {{"01", "02", "03", "04", "05"}}); // older than the kept days
    site.setMissingDays({"2016-09-02"});
    Watch watch;
    const auto result = update(watch);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_EQ(result.stoppedDay, "2016-09-02");
    EXPECT_EQ(result.removed, 0u);
    EXPECT_EQ(periods(), std::vector<int>{16082001});
    EXPECT_EQ(w.rows().size(), 1u);
}

TEST_F(OnlineUpdate, RetentionRemovesOnlyOldDrawsAndSavesThemFirst) {
    site::ResultsSite site(drawsOfDays(160901, 8, 2));
    auto& w = open(site);
    f.type("2016083101", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    EXPECT_EQ(app::UpdateService(w).drawsToRemove(), 2u);
    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.removed, 2u);
    EXPECT_EQ(watch.days.front(), "2016-09-02"); // not from the old newest draw's day
    EXPECT_EQ(w.rows().front().period, 16090201);
    ASSERT_FALSE(result.removedFile.empty());
    std::ifstream saved(result.removedFile, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}),
              "16083101 01 02 03 04 05 \r\n16083102 06 07 08 09 10 \r\n");
}

TEST_F(OnlineUpdate, PagesInOtherFormsReadTheSame) {
    // An empty history: the kept days 09-02 .. 09-08.
    const auto draws = drawsOfDays(160902, 7, 3);
    for (const site::PageStyle& style :
         {site::PageStyle{true, true, false, false, true, {}},     // newest first, decoy in comment
          site::PageStyle{false, false, true, false, false, {}},   // no tbody, 05,03,08,01,11
          site::PageStyle{false, true, false, true, false, {}}}) { // GBK named in the meta tag
        WorkspaceFixture fresh;
        site::ResultsSite site(draws, style);
        ASSERT_NE(site.listen(), 0);
        auto& w = *fresh.workspace;
        w.setSetting("UpdateSite", site.baseUrl());
        Watch watch;
        const auto result = app::UpdateService(w).update(watch);
        ASSERT_TRUE(result.complete()) << result.outcome.message;
        EXPECT_EQ(result.stored, 21u);
        EXPECT_TRUE(result.skipped.empty());
        EXPECT_EQ(w.rows().front().period, 16090201);
        EXPECT_EQ(w.rows().front().numbers(), (history::PositionValues{2, 3, 4, 5, 6}));
    }
}

TEST_F(OnlineUpdate, EightDigitIdsNewYearInvalidDrawsSlowPagesAndCancel) {
    // Game 23 (eight-digit ids) across a new year, with an unsound draw listed.
    auto draws = drawsOfDays(161231, 2, 2);
    draws.push_back({17010103, {1, 1, 2, 3, 4}});
    site::ResultsSite site(draws);
    auto& w = open(site);
    ASSERT_TRUE(w.setSetting("GsZl", "23").ok);
    f.type("2016123101", {{"01", "02", "03", "04", "05"}});
    w.setToday(history::parseIsoDay("2017-01-01"));
    Watch watch;
    const auto result = update(watch);
    EXPECT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(periods(), (std::vector<int>{16123101, 16123102, 17010101, 17010102}));
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_EQ(result.skipped[0].what, "17010103");

    // A page slower than the wait stops the update at its day.
    site::ResultsSite slow(drawsOfDays(170101, 2, 2),
                           site::PageStyle{.delay = std::chrono::milliseconds(600)});
    ASSERT_NE(slow.listen(), 0);
    auto options = f.options();
    options.pageTimeout = std::chrono::milliseconds(150);
    f.workspace.reset();
    app::Workspace impatient(options);
    impatient.setToday(history::parseIsoDay("2017-01-02"));
    impatient.settingsFile().setPersistent(false);
    impatient.setSetting("UpdateSite", slow.baseUrl());
    Watch timed;
    const auto late = app::UpdateService(impatient).update(timed);
    EXPECT_EQ(late.stoppedDay, "2017-01-01");
    EXPECT_NE(late.stopReason.find("超时"), std::string::npos) << late.stopReason;

    // A cancel before the first day is read stores nothing.
    site::ResultsSite more(drawsOfDays(170102, 1, 3));
    ASSERT_NE(more.listen(), 0);
    impatient.setSetting("UpdateSite", more.baseUrl());
    Watch cancel;
    cancel.cancelAt = 1;
    const auto cancelled = app::UpdateService(impatient).update(cancel);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(impatient.rows().size(), 4u);
}

TEST_F(OnlineUpdate, ACancelKeepsTheDaysReadBeforeItAndAFailedFirstDayChangesNothing) {
    site::ResultsSite site(drawsOfDays(160902, 7, 2));
    open(site); // an empty history: the days 09-02 .. 09-08
    Watch cancel;
    cancel.cancelAt = 3; // while the third day comes in
    const auto cancelled = update(cancel);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_TRUE(cancelled.outcome.ok);
    EXPECT_EQ(cancelled.stored, 4u);
    EXPECT_NE(cancelled.outcome.message.find("取消前已读完的各天已经存入"), std::string::npos);
    EXPECT_EQ(periods(), (std::vector<int>{16090201, 16090202, 16090301, 16090302}));
    EXPECT_EQ(f.reopen().rows().size(), 4u);

    // The first day cannot be read: nothing stored, nothing removed, and the message says so.
    auto& again = *f.workspace;
    again.setSetting("IniSerchDay", "5"); // the draws of 09-02 would go
    ASSERT_EQ(app::UpdateService(again).drawsToRemove(), 2u);
    site.setMissingDays({"2016-09-03"});
    Watch watch;
    const auto failed = app::UpdateService(again).update(watch);
    EXPECT_FALSE(failed.outcome.ok);
    EXPECT_EQ(failed.removed, 0u);
    EXPECT_NE(failed.outcome.message.find("没有更新：历史号码没有改变"), std::string::npos)
        << failed.outcome.message;
    EXPECT_EQ(failed.outcome.message.find("之前各天已经存入"), std::string::npos);
    EXPECT_EQ(periods(), (std::vector<int>{16090201, 16090202, 16090301, 16090302}));
}

TEST_F(OnlineUpdate, TheCommandLinePrintsWhatItDidAndFailsWhenADayIsMissing) {
    site::ResultsSite site(drawsOfDays(160902, 7, 2));
    ASSERT_NE(site.listen(), 0);
    f.workspace.reset();
    const auto run = [&](std::vector<std::string> args) {
        const auto r = testing_support::runCli(f.dataDir(), f.settingsPath(), std::move(args));
        return std::make_tuple(r.status, r.out, r.err);
    };
    site.setMissingDays({"2016-09-08"});
    auto [status, out, err] = run({"update", "--site", site.baseUrl(), "--today", "2016-09-08"});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(out, "stored 12, skipped 0, removed 0\n");
    EXPECT_NE(err.find("stopped at 2016-09-08"), std::string::npos) << err;
    site.setMissingDays({});
    std::tie(status, out, err) = run({"update", "--site", site.baseUrl(), "--today", "2016-09-08"});
    EXPECT_EQ(status, 0) << err;
    EXPECT_EQ(out, "stored 2, skipped 0, removed 0\n");
    // --site was for those runs only.
    std::tie(status, out, err) = run({"get", "UpdateSite"});
    EXPECT_EQ(out, "\n");
    std::tie(status, out, err) = run({"set", "IniSerchDay", "17"});
    EXPECT_EQ(status, 1);
}
