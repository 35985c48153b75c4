// The online update against a results site of our own on a loopback port: the days it fetches,
// what it stores, skips and removes, and where it stops.

#include "cli/cli_run.h"
#include "site/results_site.h"
#include "support/core_application.h"
#include "workspace/background_update.h"
#include "workspace/history_service.h"
#include "workspace/online_update_fixture.h"
#include "workspace/update_service.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>

#include <gtest/gtest.h>

#include <sstream>

using testing_support::drawsOfDays;
using testing_support::OnlineUpdate;
using testing_support::Watch;
using testing_support::WorkspaceFixture;

TEST_F(OnlineUpdate, FromTheNewestDrawToTodayStoringOnlyWhatIsNew) {
    site::ResultsSite site(drawsOfDays(160906, 3, 5));
    auto& w = open(site);
    f.type("2016090603", {{"01", "02", "03", "04", "05"}});
    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(watch.days, (std::vector<std::string>{"2016-09-06", "2016-09-07", "2016-09-08"}));
    // 01 and 02 before the typed draw and 04, 05 after it on the first day, five on each later.
    EXPECT_EQ(result.stored, 14u);
    EXPECT_EQ(w.rows().size(), 15u);
    EXPECT_EQ(w.rows()[1].period, 16090602);
    EXPECT_EQ(w.rows()[3].period, 16090604);
    EXPECT_EQ(w.rows().back().period, 16090805);
    EXPECT_EQ(w.nextPeriodText(), "2016090806");
    EXPECT_EQ(w.spanEnd(), "2016090805");
    // The site lists five of the 42 draws of days that are over: the rest are told, and those
    // days are read again. Nothing new, nothing stored twice.
    EXPECT_EQ(result.unlisted.size(), 2u * 37u);
    Watch again;
    EXPECT_EQ(update(again).stored, 0u);
    EXPECT_EQ(again.days, (std::vector<std::string>{"2016-09-06", "2016-09-07", "2016-09-08"}));
    EXPECT_EQ(w.rows().size(), 15u);
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
    // 09-05 (over, two of its 84 draws listed) is read again first.
    EXPECT_EQ(resumed.days.front(), "2016-09-05");
    EXPECT_EQ(resumed.days[1], "2016-09-06");
    EXPECT_EQ(done.stored, 4u);
    EXPECT_EQ(periods().back(), 16090802);
}

TEST_F(OnlineUpdate, AFirstDayThatCannotBeReadChangesNothingAtAll) {
    site::ResultsSite site(drawsOfDays(160820, 20, 2));
    auto& w = open(site);
    f.type("2016082001", {{"01", "02", "03", "04", "05"}}); // older than the kept days
    site.setMissingDays({"2016-09-02"});
    Watch watch;
    const auto result = update(watch, true);
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
    const auto result = update(watch, true);
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
    app::UpdateService pruning(again);
    pruning.setPrunes(true);
    const auto failed = pruning.update(watch);
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

TEST_F(OnlineUpdate, APageThatSeemsAnotherGamesStopsTheUpdateThereStoringNothingOfIt) {
    // 09-07 lists only draws 85 and 86, which 江西 (84 a day) has not: another game's page.
    std::vector<site::SiteDraw> draws = drawsOfDays(160906, 1, 2);
    draws.push_back({16090785, {1, 2, 3, 4, 5}});
    draws.push_back({16090786, {2, 3, 4, 5, 6}});
    draws.push_back({16090801, {3, 4, 5, 6, 7}});
    site::ResultsSite site(draws);
    open(site);
    f.type("2016090601", {{"01", "02", "03", "04", "05"}});
    Watch watch;
    const auto result = update(watch);
    EXPECT_FALSE(result.complete());
    EXPECT_EQ(result.stoppedDay, "2016-09-07");
    EXPECT_NE(result.outcome.message.find("似乎属于另一个彩种"), std::string::npos)
        << result.outcome.message;
    EXPECT_EQ(periods(), (std::vector<int>{16090601, 16090602}));

    // A site that shows 广东's pages (eight-digit ids) at 江西's address: the first day already.
    site::PageStyle mixedUp;
    mixedUp.servedGame = 23;
    site::ResultsSite other(drawsOfDays(160906, 3, 2), mixedUp);
    ASSERT_NE(other.listen(), 0);
    f.workspace.reset();
    const auto run =
        testing_support::runCli(f.dataDir(), f.settingsPath(),
                                {"update", "--site", other.baseUrl(), "--today", "2016-09-08"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("另一个彩种"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "stored 0, skipped 0, removed 0\n");
    f.reopen();
    EXPECT_EQ(periods(), (std::vector<int>{16090601, 16090602}));
}

namespace {

// Runs an action when the update starts fetching its first day: another process at work while
// the pages come in.
class ActWhileFetching : public Watch {
  public:
    explicit ActWhileFetching(std::function<void()> act) : act_(std::move(act)) {}
    void fetching(const std::string& day, size_t index, size_t count) override {
        Watch::fetching(day, index, count);
        if (act_) std::exchange(act_, nullptr)();
    }

  private:
    std::function<void()> act_;
};

// The import-format lines of draws.
std::string linesOf(const std::vector<site::SiteDraw>& draws) {
    std::string text;
    for (const auto& d : draws) {
        text += std::to_string(d.period);
        for (int n : d.numbers) text += " " + history::format00(n);
        text += "\n";
    }
    return text;
}

} // namespace

TEST_F(OnlineUpdate, WhatIsNewIsDecidedAgainstTheHistoryAsItIsOnceLocked) {
    const auto listed = drawsOfDays(160906, 3, 40);
    site::ResultsSite site(listed);
    auto& w = open(site);
    history::NoProgress quiet;
    const auto importUpTo = [&](app::Workspace& into, int lastPeriod) {
        std::vector<site::SiteDraw> kept;
        for (const auto& d : listed)
            if (d.period <= lastPeriod) kept.push_back(d);
        std::ofstream(f.dir.file("kept.txt")) << linesOf(kept);
        const auto imported = app::HistoryService(into).importFile(f.dir.file("kept.txt"), quiet);
        ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
    };
    importUpTo(w, 16090836);
    auto other = std::make_unique<app::Workspace>(f.options()); // another process, already open
    const auto expectWhole = [&] {
        const auto stored = periods();
        ASSERT_EQ(stored.size(), listed.size());
        for (size_t i = 0; i < stored.size(); ++i) ASSERT_EQ(stored[i], listed[i].period);
    };

    // Cut back to 31 while the page of 09-08 comes in: 32 to 40 are stored, no hole.
    ActWhileFetching trim([&] {
        ASSERT_TRUE(app::HistoryService(*other).cutBackTo("2016090831", quiet).outcome.ok);
    });
    auto result = update(trim);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.stored, 9u);
    expectWhole();

    // An older history imported meanwhile: the days it lacks are fetched as well.
    ActWhileFetching import([&] { importUpTo(*other, 16090610); });
    result = update(import);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.stored, 110u);
    // (09-06 and 09-07 list 40 of their 84 draws: those days are read again in any case.)
    EXPECT_EQ(import.days, (std::vector<std::string>{"2016-09-06", "2016-09-07", "2016-09-08"}));
    expectWhole();

    // A draw typed meanwhile keeps its period; the listed draw of that period is not added.
    importUpTo(w, 16090836);
    ActWhileFetching type([&] { ASSERT_TRUE(other->addDraw({"11", "10", "09", "08", "07"}).ok); });
    result = update(type);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.stored, 3u);
    const auto stored = periods();
    ASSERT_EQ(stored.size(), listed.size());
    EXPECT_EQ(stored[stored.size() - 4], 16090837);
    EXPECT_EQ(w.rows()[w.rows().size() - 4].numbers(), (history::PositionValues{11, 10, 9, 8, 7}));
}

TEST_F(OnlineUpdate, HostilePagesStopTheUpdateAtTheirDayQuickly) {
    site::ResultsSite site(drawsOfDays(160905, 4, 3));
    auto& w = open(site);
    f.type("2016090503", {{"01", "02", "03", "04", "05"}});
    // 09-06 lists its draws inside 300,000 spans, 09-07 after 100,000 nested divs.
    std::string spans, divs;
    for (int i = 0; i < 300000; ++i) spans += "<span>";
    for (int i = 0; i < 100000; ++i) divs += "<div>";
    site.setPage("2016-09-06", spans + site.page(22, "2016-09-06"));
    site.setPage("2016-09-07", divs + site.page(22, "2016-09-07"));
    Watch watch;
    const auto started = std::chrono::steady_clock::now();
    const auto result = update(watch);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
    EXPECT_EQ(result.stoppedDay, "2016-09-06");
    EXPECT_NE(result.stopReason.find("嵌套"), std::string::npos) << result.stopReason;
    EXPECT_EQ(w.rows().size(), 3u); // 01 and 02 of 09-05 filled in before the typed 03
}

TEST_F(OnlineUpdate, AnEmptyTableIsReadAgainForItsDayOnlyAndTheWholeUpdateIsBounded) {
    site::ResultsSite site(drawsOfDays(160905, 4, 3));
    open(site);
    f.type("2016090503", {{"01", "02", "03", "04", "05"}});
    site.setPage("2016-09-07", "<table id=draw_list></table>");
    Watch watch;
    auto result = update(watch);
    EXPECT_EQ(result.stoppedDay, "2016-09-07");
    EXPECT_EQ(site.requests(), 2 + 1 + app::UpdateService::kRestarts); // 05, 06, 07 three times
    EXPECT_EQ(result.stored, 5u); // 01, 02 before the typed 03 of 09-05, and 09-06

    // The whole update has a limit: past it the update stops at the day it reached.
    site::ResultsSite slow(drawsOfDays(160906, 3, 3),
                           site::PageStyle{.delay = std::chrono::milliseconds(300)});
    ASSERT_NE(slow.listen(), 0);
    auto options = f.options();
    options.updateTimeout = std::chrono::milliseconds(500);
    f.workspace.reset();
    app::Workspace bounded(options);
    bounded.settingsFile().setPersistent(false);
    bounded.setSetting("UpdateSite", slow.baseUrl());
    Watch timed;
    result = app::UpdateService(bounded).update(timed);
    EXPECT_FALSE(result.complete());
    EXPECT_FALSE(result.stoppedDay.empty());
    EXPECT_LE(timed.days.size(), 2u);
}

TEST_F(OnlineUpdate, CtrlCStopsTheCommandLineUpdateCleanly) {
    site::ResultsSite slow(drawsOfDays(160906, 3, 3),
                           site::PageStyle{.delay = std::chrono::seconds(20)});
    ASSERT_NE(slow.listen(), 0);
    f.type("2016090601", {{"01", "02", "03", "04", "05"}});
    f.workspace.reset();
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const int asked = slow.requests();
        QProcess update;
        update.start(QString::fromUtf8(K11_EXECUTABLE),
                     {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                      QString::fromStdString(f.settingsPath()), "update", "--site",
                      QString::fromStdString(slow.baseUrl()), "--today", "2016-09-08"});
        ASSERT_TRUE(update.waitForStarted(5000));
        // Once its first page is asked for, the update is waiting for it.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (slow.requests() == asked && std::chrono::steady_clock::now() < until)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_GT(slow.requests(), asked);
        ::kill(static_cast<pid_t>(update.processId()), signal);
        ASSERT_TRUE(update.waitForFinished(5000));
        EXPECT_EQ(update.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(update.exitCode(), 1);
        EXPECT_NE(update.readAllStandardError().toStdString().find("取消"), std::string::npos);
    }
    EXPECT_EQ(f.reopen().rows().size(), 1u);
}

TEST_F(OnlineUpdate, AnAddressPatternIsFetchedWithTheGameAndTheDayFilledIn) {
    site::ResultsSite site(drawsOfDays(160902, 7, 2));
    auto& w = open(site);
    ASSERT_TRUE(w.setSetting("UpdateSite", site.baseUrl() + "/kj/{code}/{yyyymmdd}.html").ok);
    app::UpdateService service(w);
    EXPECT_EQ(service.pageAddress(history::parseIsoDay("2016-09-08")),
              site.baseUrl() + "/kj/22/20160908.html");
    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.stored, 14u);
    // A pattern the site cannot answer: the first day stops the update and nothing changes.
    ASSERT_TRUE(w.setSetting("UpdateSite", site.baseUrl() + "/kj/{code}.html?d={code}{date}").ok);
    Watch missing;
    EXPECT_FALSE(update(missing).outcome.ok);
    EXPECT_EQ(w.rows().size(), 14u);
    // Refused values keep the address in use.
    EXPECT_FALSE(w.setSetting("UpdateSite", site.baseUrl() + "/kj/{code}.html").ok);
    EXPECT_FALSE(w.setSetting("UpdateSite", site.baseUrl() + "/kj/{day}.html").ok);
    EXPECT_EQ(w.settings().updateSite, site.baseUrl() + "/kj/{code}.html?d={code}{date}");
}

TEST_F(OnlineUpdate, ADrawAPageDoesNotListIsToldAndFilledInOnceItIsListed) {
    const auto all = drawsOfDays(160902, 7, 84);
    auto partial = all;
    std::erase_if(partial, [](const site::SiteDraw& d) { return d.period == 16090703; });
    site::ResultsSite first(partial);
    auto& w = open(first);
    Watch watch;
    auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.unlisted, std::vector<int>{16090703});
    EXPECT_NE(result.outcome.message.find("第2016090703期页面未列出"), std::string::npos);
    EXPECT_EQ(w.rows().size(), all.size() - 1);

    // That day's page gone: the update goes on with today and says what it could not do.
    first.setMissingDays({"2016-09-07"});
    Watch gone;
    result = update(gone);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(gone.days, (std::vector<std::string>{"2016-09-07", "2016-09-08"}));
    ASSERT_EQ(result.skipped.size(), 1u);
    EXPECT_EQ(result.skipped[0].what, "2016-09-07");

    // The site lists it later: the next update reads that day again and stores it in its place.
    site::ResultsSite second(all);
    ASSERT_NE(second.listen(), 0);
    ASSERT_TRUE(w.setSetting("UpdateSite", second.baseUrl()).ok);
    Watch again;
    result = update(again);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(again.days, (std::vector<std::string>{"2016-09-07", "2016-09-08"}));
    EXPECT_EQ(result.stored, 1u);
    EXPECT_EQ(result.filled, 1u);
    EXPECT_TRUE(result.unlisted.empty());
    std::vector<int> expected;
    for (const auto& draw : all) expected.push_back(draw.period);
    EXPECT_EQ(periods(), expected);
    // Every row's previous-draw columns hold the draw before it in the filled order.
    auto stmt = w.database().prepare("SELECT L1A, L1AS, L5AP FROM Lishi ORDER BY ID");
    std::vector<std::array<int, 3>> stored;
    while (stmt.step()) stored.push_back({stmt.intAt(0), stmt.intAt(1), stmt.intAt(2)});
    ASSERT_EQ(stored.size(), all.size());
    for (size_t i = 2; i < all.size(); ++i) {
        EXPECT_EQ(stored[i][0], all[i].numbers[0]) << i;
        EXPECT_EQ(stored[i][1], all[i - 1].numbers[0]) << i;
        EXPECT_EQ(stored[i][2], all[i - 2].numbers[4]) << i;
    }
    // Nothing is missing any more: only today is read.
    Watch third;
    EXPECT_EQ(update(third).stored, 0u);
    EXPECT_EQ(third.days, std::vector<std::string>{"2016-09-08"});
}
