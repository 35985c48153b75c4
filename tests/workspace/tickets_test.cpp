// The recorded tickets against the stored draws: settled by a typed, imported, fetched or another
// process's draw, unsettled by deleting the draw and settled again by a re-import; kept across
// imports and compactions; a damaged row named and left out; and a kill while a draw is stored
// leaves the records in agreement with the history.

#include "workspace/online_update_fixture.h"
#include "workspace/workspace_fixture.h"

#include "history/ticket_table.h"
#include "workspace/history_service.h"
#include "workspace/ticket_service.h"

#include <QProcess>
#include <QStringList>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <thread>

using testing_support::OnlineUpdate;
using testing_support::Watch;
using testing_support::WorkspaceFixture;

namespace {

app::TicketRequest pick(play::Play p, std::vector<std::string> picks, std::string period,
                        int chase = 1) {
    app::TicketRequest q;
    q.play = p;
    q.picks = std::move(picks);
    q.period = std::move(period);
    q.chase = chase;
    return q;
}

// The state of each period of each record: "1:won,waiting".
std::string states(app::Workspace& w) {
    std::string text;
    for (const auto& v : app::TicketService(w).list().records) {
        text += (text.empty() ? "" : " ") + std::to_string(v.record.id) + ":";
        for (size_t i = 0; i < v.settled.periods.size(); ++i)
            text += (i ? "," : "") + std::string(play::stateCode(v.settled.periods[i].state));
    }
    return text;
}

std::int64_t add(app::Workspace& w, const app::TicketRequest& q) {
    std::int64_t id = 0;
    const auto outcome = app::TicketService(w).add(q, &id);
    EXPECT_TRUE(outcome.ok) << outcome.message;
    return id;
}

app::HistoryResult import(app::Workspace& w, const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
    history::NoProgress quiet;
    return app::HistoryService(w).importFile(path, quiet);
}

} // namespace

TEST(Tickets, SettledByTypedAndImportedDrawsUnsettledByDeletingThemAndKeptAcrossImports) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    // One drawn already (settles at once), one for the next period, a chase that stops on a win.
    add(w, pick(play::Play::Any2, {"01 02", "10 11"}, "2016090801"));
    add(w, pick(play::Play::Front1, {"06"}, ""));
    auto chase = pick(play::Play::Any3, {"06 07 08"}, "2016090802", 3);
    chase.stopOnWin = true;
    chase.multipliers = {1, 2, 4};
    add(w, chase);
    EXPECT_EQ(states(w), "1:won 2:waiting 3:waiting,waiting,waiting");
    auto list = app::TicketService(w).list();
    EXPECT_EQ(list.records[0].settled.wonFen, 600);
    EXPECT_EQ(list.records[0].settled.stakedFen, 400);

    // A typed draw: 06 first wins 前一 and the chase, which cancels its later periods.
    f.type("", {{"06", "07", "08", "01", "02"}});
    const auto before = list;
    list = app::TicketService(w).list();
    EXPECT_EQ(states(w), "1:won 2:won 3:won,cancelled,cancelled");
    EXPECT_EQ(app::TicketService::newlySettled(before, list),
              (std::vector<std::pair<std::string, int>>{
                  {"投注记录2：第2016090802期 前一 中奖 13 元", 16090802},
                  {"投注记录3：第2016090802期 任三 中奖 19 元", 16090802}}));

    // Deleting that draw unsettles what it settled.
    ASSERT_TRUE(app::HistoryService(w).deleteNewest().outcome.ok);
    EXPECT_EQ(states(w), "1:won 2:waiting 3:waiting,waiting,waiting");

    // An import that lacks the chase's first win: it loses, the next period is drawn and lost too,
    // the third waits. The records come along into the new file.
    auto r = import(w, f.dir.file("a.txt"),
                    "2016090801 01 02 03 04 05\r\n2016090802 01 02 03 04 05\r\n"
                    "2016090803 09 10 11 01 02\r\n");
    ASSERT_TRUE(r.outcome.ok) << r.outcome.message;
    EXPECT_EQ(states(w), "1:won 2:lost 3:lost,lost,waiting");
    // The re-import with the win settles it again.
    r = import(w, f.dir.file("b.txt"),
               "2016090801 01 02 03 04 05\r\n2016090802 06 07 08 01 02\r\n");
    ASSERT_TRUE(r.outcome.ok) << r.outcome.message;
    EXPECT_EQ(states(w), "1:won 2:won 3:won,cancelled,cancelled");
    // And a compaction keeps them as well.
    ASSERT_TRUE(app::HistoryService(w).compact().ok);
    f.reopen();
    EXPECT_EQ(states(*f.workspace), "1:won 2:won 3:won,cancelled,cancelled");
}

TEST(Tickets, AnotherProcesssDrawSettlesAndARemovedRecordIsKeptAsText) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    const auto id = add(w, pick(play::Play::Any5, {"01 02 03 04 05 06"}, ""));
    app::Workspace other(f.options());
    ASSERT_TRUE(other.addDraw({"01", "02", "03", "04", "06"}).ok);
    w.followOutsideChanges();
    const auto list = app::TicketService(w).list();
    ASSERT_EQ(list.records.size(), 1u);
    EXPECT_EQ(list.records[0].settled.periods[0].winning, 1);
    EXPECT_EQ(list.records[0].settled.wonFen, 54000);

    const auto removed = app::TicketService(w).remove(id);
    ASSERT_TRUE(removed.ok) << removed.message;
    EXPECT_TRUE(app::TicketService(w).list().records.empty());
    bool copied = false;
    for (const auto& e : std::filesystem::directory_iterator(f.dataDir() + "/历史号码"))
        if (e.path().filename().string().rfind(app::kRemovedTicketsPrefix, 0) == 0) {
            std::ifstream in(e.path());
            const std::string text((std::istreambuf_iterator<char>(in)), {});
            copied = text.find("01 02 03 04 06") != std::string::npos;
        }
    EXPECT_TRUE(copied);
    EXPECT_FALSE(app::TicketService(w).remove(id).ok);
}

TEST(Tickets, BadInputStoresNothingAndADamagedRowIsNamedAndLeftOut) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    const std::vector<app::TicketRequest> bad = [] {
        std::vector<app::TicketRequest> v = {
            pick(play::Play::Any5, {"01 02 03 04"}, ""),
            pick(play::Play::Any2, {"01 12"}, ""),
            pick(play::Play::Any2, {"01 01"}, ""),
            pick(play::Play::Front2Direct, {"01 02 03"}, ""),
            pick(play::Play::Any2, {"01 02"}, "2016090885"),
            pick(play::Play::Any2, {"01 02"}, "2016023001"),
            pick(play::Play::Any2, {"01 02"}, "", 1000),
        };
        v.push_back(pick(play::Play::Any2, {"01 02"}, ""));
        v.back().multiplier = 10000;
        v.push_back(pick(play::Play::Any2, {"01 02"}, ""));
        v.back().priceFen = 0;
        v.push_back(pick(play::Play::Any2, {"01 02"}, "", 3));
        v.back().multipliers = {1, 2};
        return v;
    }();
    for (const auto& q : bad) {
        const auto outcome = app::TicketService(w).add(q);
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.message.find("没有记入"), std::string::npos) << outcome.message;
    }
    EXPECT_TRUE(history::loadTicketRows(w.database()).empty());

    add(w, pick(play::Play::Any2, {"01 02"}, "2016090801"));
    w.database().exec("INSERT INTO Touzhu (Recorded, Play, Entered, Tickets, Multiplier, PriceFen, "
                      "Periods, StopOnWin) VALUES ('x', 'r9', '', '01 02', 1, 200, '16090801', 0)");
    w.database().exec("INSERT INTO Touzhu (Recorded, Play, Entered, Tickets, Multiplier, PriceFen, "
                      "Periods, StopOnWin) VALUES ('x', 'r2', '', '01 02', 'many', 200, "
                      "'16090801', 0)");
    const auto list = app::TicketService(w).list();
    EXPECT_EQ(list.records.size(), 1u);
    ASSERT_EQ(list.damaged.size(), 2u);
    EXPECT_NE(list.damaged[0].find("投注记录2"), std::string::npos);
    app::LedgerReport report;
    ASSERT_TRUE(app::TicketService(w).ledger({}, report).ok);
    EXPECT_EQ(report.damaged.size(), 2u);
    EXPECT_EQ(report.lines.back().stakedFen, 200);
    // A damaged record can be removed.
    EXPECT_TRUE(app::TicketService(w).remove(3).ok);
}

TEST(Tickets, AnOlderFileGainsTheTableAndNothingElseOfItChanges) {
    WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    const std::string path = f.workspace->databasePath();
    f.workspace.reset();
    {
        platform::Database db(path);
        db.exec("DROP TABLE Touzhu");
        ASSERT_FALSE(history::hasTicketTable(db));
    }
    auto& w = f.reopen();
    EXPECT_TRUE(history::hasTicketTable(w.database()));
    EXPECT_EQ(w.rows().size(), 1u);
    EXPECT_TRUE(app::TicketService(w).list().records.empty());
}

TEST_F(OnlineUpdate, TicketsAreSettledByFetchedDraws) {
    site::ResultsSite site(testing_support::drawsOfDays(160906, 3, 5));
    auto& w = open(site);
    f.type("2016090603", {{"01", "02", "03", "04", "05"}});
    // The site's 2016-09-07 draws 01 and 02 start with 03 and 04.
    add(w, pick(play::Play::Front1, {"03"}, "2016090701", 2));
    EXPECT_EQ(states(w), "1:waiting,waiting");
    Watch watch;
    ASSERT_TRUE(update(watch).complete());
    EXPECT_EQ(states(w), "1:won,lost");
}

// Draws typed by the command line, killed at random moments: every time, the file passes the
// integrity check and each period of the records is settled exactly when its draw is stored.
TEST(Tickets, AKillWhileADrawIsStoredLeavesRecordsAndHistoryInAgreement) {
    WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    add(*f.workspace, pick(play::Play::Any2, {"01 02", "03 04"}, "2016090802", 30));
    f.workspace.reset();
    auto run = [&](const QStringList& args, int killAfterMicroseconds) {
        QProcess program;
        program.start(QString::fromUtf8(K11_EXECUTABLE),
                      QStringList{"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                                  QString::fromStdString(f.settingsPath())} +
                          args);
        EXPECT_TRUE(program.waitForStarted(5000));
        if (killAfterMicroseconds >= 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(killAfterMicroseconds));
            program.kill();
        }
        program.waitForFinished(30000);
    };
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        run({"add", "01", "02", "06", "07", "08"},
            std::uniform_int_distribution<int>(0, 250000)(random));
        {
            platform::Database db(f.dataDir() + "/kelvora11S5.db");
            ASSERT_EQ(db.integrityCheck(), "ok");
        }
        app::Workspace w(f.options());
        std::set<int> stored;
        for (const auto& row : w.rows()) stored.insert(row.period);
        const auto list = app::TicketService(w).list();
        ASSERT_EQ(list.records.size(), 1u);
        for (const auto& p : list.records[0].settled.periods) {
            EXPECT_EQ(p.state != play::PeriodState::Waiting, stored.count(p.period) == 1)
                << "round " << round << " period " << p.period;
            if (stored.count(p.period)) {
                EXPECT_EQ(p.state, play::PeriodState::Won);
            }
        }
    }
}
