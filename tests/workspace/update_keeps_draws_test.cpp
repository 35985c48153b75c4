// The online update keeps what it is not asked to remove: pruning only on request, nothing built
// on a removed draw, a stored draw the site contradicts, an empty history's first update.

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

namespace {

// The five numbers as typed.
std::array<std::string, 5> typedOf(const std::array<int, 5>& numbers) {
    std::array<std::string, 5> typed;
    for (size_t i = 0; i < 5; ++i) typed[i] = history::format00(numbers[i]);
    return typed;
}

// update --watch --poll 1 as its own process until it has printed `lines` lines (or 30 s), then
// a little longer, then a termination request; what it printed, and its exit code.
std::pair<std::string, int> watchFor(WorkspaceFixture& f, const std::string& site, size_t lines) {
    QProcess watch;
    watch.start(QString::fromUtf8(K11_EXECUTABLE),
                {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                 QString::fromStdString(f.settingsPath()), "update", "--watch", "--poll", "1",
                 "--site", QString::fromStdString(site), "--today", "2016-09-08"});
    if (!watch.waitForStarted(5000)) return {"not started", -1};
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const auto printed = [&] {
        return static_cast<size_t>(std::count(out.begin(), out.end(), '\n'));
    };
    while (printed() < lines && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        watch.waitForReadyRead(10);
        out += watch.readAllStandardOutput().toStdString();
    }
    // Another round or two of the watch: nothing more happens.
    const auto more = std::chrono::steady_clock::now() + std::chrono::milliseconds(2500);
    while (std::chrono::steady_clock::now() < more)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    watch.terminate();
    while (watch.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        watch.waitForFinished(10);
    }
    out += watch.readAllStandardOutput().toStdString();
    return {out, watch.exitCode()};
}

} // namespace

TEST_F(OnlineUpdate, OnlyAnUpdateAskedToPruneRemovesOldDrawsAndNothingKeepsNamingThem) {
    // The site from 08-30; the history holds 08-30's two draws, older than the six kept days.
    const auto listed = drawsOfDays(160830, 10, 2);
    site::ResultsSite site(listed);
    open(site);
    f.type("2016083001", {typedOf(listed[0].numbers), typedOf(listed[1].numbers)});

    // The command line, the watch and the automatic update only add, from the newest draw's day.
    f.workspace.reset();
    auto run =
        testing_support::runCli(f.dataDir(), f.settingsPath(),
                                {"update", "--site", site.baseUrl(), "--today", "2016-09-01"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "stored 4, skipped 0, removed 0\n"); // 08-31 and 09-01
    ASSERT_EQ(f.reopen().rows().size(), 6u);
    f.workspace.reset();
    const auto [printed, status] = watchFor(f, site.baseUrl(), 14);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 14) << printed;
    EXPECT_EQ(f.reopen().rows().size(), 20u);
    EXPECT_EQ(f.workspace->rows().front().period, 16083001);
    EXPECT_EQ(
        testing_support::runCli(f.dataDir(), f.settingsPath(), {"update", "--watch", "--prune"})
            .status,
        2);
    f.workspace.reset();
    {
        app::BackgroundUpdate background;
        auto options = f.options();
        options.game = history::Game::Jiangxi;
        ASSERT_TRUE(background.start(options));
        while (background.running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const auto outcome = background.take();
        ASSERT_TRUE(outcome && outcome->complete) << (outcome ? outcome->message : "");
    }
    run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                  {"update", "--site", site.baseUrl(), "--today", "2016-09-08"});
    EXPECT_EQ(run.out, "stored 0, skipped 0, removed 0\n") << run.err;
    EXPECT_EQ(f.reopen().rows().size(), 20u);

    // Keeping every draw: even an update asked to prune removes none.
    auto& kept = *f.workspace;
    ASSERT_TRUE(kept.setSetting("IniSerchDay", "0").ok);
    EXPECT_EQ(app::UpdateService(kept).drawsToRemove(), 0u);
    Watch all;
    EXPECT_EQ(update(all, true).removed, 0u);
    EXPECT_EQ(kept.rows().size(), 20u);

    // Another process prunes (the draws before 09-02 go, a copy first); the search span's start
    // named one of them and moves to the first the search can use.
    kept.setSpan("2016083102", kept.spanEnd());
    auto other = std::make_unique<app::Workspace>(f.options());
    ASSERT_TRUE(other->setSetting("IniSerchDay", "6").ok);
    app::UpdateService pruning(*other);
    pruning.setPrunes(true);
    EXPECT_EQ(pruning.drawsToRemove(), 6u);
    Watch watch;
    const auto pruned = pruning.update(watch);
    ASSERT_TRUE(pruned.complete()) << pruned.outcome.message;
    EXPECT_EQ(pruned.removed, 6u);
    EXPECT_FALSE(pruned.removedFile.empty());
    EXPECT_TRUE(kept.followOutsideChanges());
    EXPECT_EQ(kept.rows().front().period, 16090201);
    EXPECT_EQ(kept.spanStart(), "2016090202");
    other.reset();

    // The first draw kept names no removed draw as the one before it: a free search for the
    // numbers of the last removed draw does not list it with that draw as 上期.
    {
        auto first = kept.database().prepare(
            "SELECT L1AS, L5AP, txtHisLst FROM Lishi ORDER BY SQQH, ID LIMIT 1");
        ASSERT_TRUE(first.step());
        EXPECT_EQ(first.intAt(0), 0);
        EXPECT_EQ(first.intAt(1), 0);
        EXPECT_EQ(first.textAt(2), "");
    }
    f.workspace.reset();
    const auto& removed = listed[5].numbers; // 2016090102
    std::string targets;
    for (int n : removed) targets += (targets.empty() ? "" : ",") + std::to_string(n);
    run = testing_support::runCli(
        f.dataDir(), f.settingsPath(),
        {"search", "--free", "--last", "--targets", targets, "--from", "2016090201", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.find("2016090201"), std::string::npos) << run.out;
    // A start before the first stored draw is moved, and said so.
    run = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                  {"search", "--from", "2016083001", "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("2016083001 不在历史号码中"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("改从 2016090202 开始检索"), std::string::npos) << run.err;

    // So does a start after the newest draw once a cut-back removed it.
    auto& again = f.reopen();
    again.setSpan("2016090802", again.spanEnd());
    {
        app::Workspace cutting(f.options());
        history::NoProgress quiet;
        ASSERT_TRUE(app::HistoryService(cutting).cutBackTo("2016090801", quiet).outcome.ok);
    }
    EXPECT_TRUE(again.followOutsideChanges());
    EXPECT_EQ(again.spanStart(), "2016090202");

    // update --prune says how many it removed and where their copy is.
    ASSERT_TRUE(again.setSetting("IniSerchDay", "2").ok);
    f.workspace.reset();
    run = testing_support::runCli(
        f.dataDir(), f.settingsPath(),
        {"update", "--site", site.baseUrl(), "--today", "2016-09-08", "--prune"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "stored 1, skipped 0, removed 8\n"); // 0802 again
    EXPECT_NE(run.err.find("removed 8 draws older than 2 days, saved to "), std::string::npos)
        << run.err;
    EXPECT_EQ(f.reopen().rows().front().period, 16090601);

    // Draws removed by a path that left the first row naming them (an earlier version's pruning):
    // the next update clears what it keeps of them.
    {
        app::Workspace earlier(f.options());
        earlier.database().prepare("DELETE FROM Lishi WHERE SQQH < 16090701").run();
    }
    Watch healing;
    EXPECT_TRUE(update(healing).complete());
    auto healed =
        f.workspace->database().prepare("SELECT SQQH, L1AS, txtHisLst FROM Lishi ORDER BY SQQH "
                                        "LIMIT 1");
    ASSERT_TRUE(healed.step());
    EXPECT_EQ(healed.intAt(0), 16090701);
    EXPECT_EQ(healed.intAt(1), 0);
    EXPECT_EQ(healed.textAt(2), "");
}

TEST_F(OnlineUpdate, AStoredDrawTheSiteGivesOtherwiseIsToldAndReplacedOnlyWhenAsked) {
    const auto listed = drawsOfDays(160907, 2, 3);
    site::ResultsSite site(listed);
    open(site);
    // 0701 as the site lists it, 0702 typed otherwise.
    f.type("2016090701", {typedOf(listed[0].numbers), {"01", "02", "03", "04", "05"}});
    const std::string told = "第2016090702期：历史号码中是 01 02 03 04 05，网站上是 " + [&] {
        std::string t;
        for (int n : listed[1].numbers) t += (t.empty() ? "" : " ") + history::format00(n);
        return t;
    }();

    // The command line says which period differs and what each says, and changes nothing of it.
    f.workspace.reset();
    const auto run =
        testing_support::runCli(f.dataDir(), f.settingsPath(),
                                {"update", "--site", site.baseUrl(), "--today", "2016-09-08"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find("differs 2016090702: " + told), std::string::npos) << run.err;
    auto& again = f.reopen();
    ASSERT_EQ(again.rows().size(), 6u);
    EXPECT_EQ(again.rows()[1].numbers(), (history::PositionValues{1, 2, 3, 4, 5}));

    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    ASSERT_EQ(result.differing.size(), 1u);
    EXPECT_NE(result.outcome.message.find(told), std::string::npos) << result.outcome.message;

    // The automatic update tells it once, in its log.
    {
        app::BackgroundUpdate background;
        auto options = f.options();
        options.game = history::Game::Jiangxi;
        for (const size_t expected : {size_t{1}, size_t{0}}) {
            ASSERT_TRUE(background.start(options));
            while (background.running()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            const auto outcome = background.take();
            ASSERT_TRUE(outcome);
            ASSERT_EQ(outcome->differing.size(), expected) << outcome->message;
            if (expected) {
                EXPECT_EQ(outcome->differing[0].find(told), 0u) << outcome->differing[0];
            }
        }
    }

    // Taken when asked: replaced in place, the old draw saved, the draws after it follow it.
    const auto taken = app::UpdateService(again).takeSiteDraws(result.differing);
    ASSERT_TRUE(taken.ok) << taken.message;
    ASSERT_EQ(again.rows().size(), 6u);
    EXPECT_EQ(again.rows()[1].period, 16090702);
    for (int p = 0; p < 5; ++p) EXPECT_EQ(again.rows()[1].numbers()[p], listed[1].numbers[p]);
    const auto open = taken.message.find("“"), close = taken.message.find("”");
    ASSERT_NE(close, std::string::npos) << taken.message;
    const std::string saved = taken.message.substr(open + 3, close - open - 3);
    std::ifstream copy(saved, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copy), {}),
              "16090702 01 02 03 04 05 \r\n");
    auto next = again.database().prepare("SELECT L1AS FROM Lishi WHERE SQQH = 16090703");
    ASSERT_TRUE(next.step());
    EXPECT_EQ(next.intAt(0), listed[1].numbers[0]);
    // The same offer once more: the draw no longer holds what it held, nothing changes.
    EXPECT_FALSE(app::UpdateService(again).takeSiteDraws(result.differing).ok);
    Watch after;
    EXPECT_TRUE(update(after).differing.empty());
}

TEST_F(OnlineUpdate, AnEmptyHistoryBeginsWhereTheSitesDrawsBegin) {
    // The site's draws begin on 09-05; an empty history's update reads from 09-02.
    site::ResultsSite site(drawsOfDays(160905, 4, 2));
    auto& w = open(site);
    Watch watch;
    const auto result = update(watch);
    ASSERT_TRUE(result.complete()) << result.outcome.message;
    EXPECT_EQ(result.stored, 8u);
    EXPECT_EQ(w.rows().front().period, 16090501);
    ASSERT_EQ(result.skipped.size(), 3u);
    EXPECT_EQ(result.skipped[0].what, "2016-09-02");

    // The day before them listed empty (a site whose days without draws show the list alone):
    // passed as well, once a later day has draws.
    {
        WorkspaceFixture fresh;
        auto draws = drawsOfDays(160905, 4, 2);
        std::erase_if(draws, [](const site::SiteDraw& d) { return d.period / 100 == 160906; });
        site::PageStyle bare;
        bare.layout = site::Layout::NumbersText;
        bare.bareEmpty = true;
        site::ResultsSite listing(draws, bare);
        listing.setPage("2016-09-04", listing.page(22, "2016-09-06"));
        ASSERT_NE(listing.listen(), 0);
        ASSERT_TRUE(fresh.workspace->setSetting("UpdateSite", listing.baseUrl()).ok);
        Watch first;
        const auto begun = app::UpdateService(*fresh.workspace).update(first);
        ASSERT_TRUE(begun.complete()) << begun.outcome.message;
        EXPECT_EQ(begun.stored, 6u);
        EXPECT_EQ(fresh.workspace->rows().front().period, 16090501);
    }

    // A site without any of the days: nothing stored, and the first day's reason told.
    ASSERT_TRUE(app::HistoryService(w).clearHistory().outcome.ok);
    site::ResultsSite old(drawsOfDays(160801, 1, 2));
    ASSERT_NE(old.listen(), 0);
    ASSERT_TRUE(w.setSetting("UpdateSite", old.baseUrl()).ok);
    Watch none;
    const auto nothing = update(none);
    EXPECT_FALSE(nothing.outcome.ok);
    EXPECT_EQ(nothing.stoppedDay, "2016-09-02");
    EXPECT_NE(nothing.stopReason.find("404"), std::string::npos) << nothing.stopReason;
    EXPECT_TRUE(w.rows().empty());

    // The watch stores them once and goes on, instead of trying the first day again and again.
    f.workspace.reset();
    const auto [printed, status] = watchFor(f, site.baseUrl(), 8);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 8) << printed;
    EXPECT_EQ(printed.rfind("stored 2016090501 ", 0), 0u) << printed;
    EXPECT_EQ(f.reopen().rows().size(), 8u);
}
