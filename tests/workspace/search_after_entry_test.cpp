// The core loop of a day: search, type the next draw, search again. The second search reads only
// the added draw into its caches, yet must leave exactly what the statements leave.

#include "cli/cli_run.h"
#include "platform/file_lock.h"
#include "support/statement_search.h"
#include "workspace/search_service.h"
#include "workspace/workspace_fixture.h"

#include "history/history_table.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using testing_support::WorkspaceFixture;

TEST(SearchAfterEntry, AddedDrawsAreSearchedAndWrittenAsIfEverythingWereReadAgain) {
    WorkspaceFixture f;
    f.type("2016090801", {{"03", "07", "01", "11", "05"},
                          {"01", "02", "03", "04", "05"},
                          {"06", "07", "08", "09", "10"},
                          {"02", "04", "06", "08", "10"},
                          {"11", "09", "07", "05", "03"},
                          {"01", "03", "05", "07", "09"}});
    auto& w = *f.workspace;
    app::SearchService service(w);
    // The texts read ahead in the background are taken over by the first search, with the draw
    // typed meanwhile added to them.
    service.warmUp();
    ASSERT_TRUE(w.addDraw({"04", "05", "06", "07", "08"}).ok);
    const std::array<std::array<std::string, 5>, 3> next = {
        std::array<std::string, 5>{"05", "06", "07", "08", "09"},
        {"02", "03", "04", "05", "06"},
        {"09", "10", "11", "01", "02"}};
    int round = 0;
    for (const bool free : {true, false}) {
        for (const bool combination : {false, true}) {
            w.setPositionMode(free ? search::PositionMode::Free : search::PositionMode::Fixed);
            w.setPeriodMode(round % 2 ? search::PeriodMode::Back
                                      : search::PeriodMode::Last); // 前期 N=2 or 上期
            app::SearchResult result;
            ASSERT_TRUE(combination
                            ? service.combinationSearch(result).ok
                            : service.patternSearch({true, false, true, false, false}, result).ok);
            ASSERT_EQ(w.waitForWrites(), "");
            ASSERT_TRUE(w.addDraw(next[static_cast<size_t>(round % 3)]).ok);

            // The same search on a copy, by the statements, from the state before it.
            const std::string copy = f.dir.file("copy" + std::to_string(round) + ".db");
            w.database().checkpoint(); // the file alone then holds everything
            std::filesystem::copy_file(w.databasePath(), copy);
            ASSERT_TRUE(combination
                            ? service.combinationSearch(result).ok
                            : service.patternSearch({true, false, true, false, false}, result).ok);
            ASSERT_EQ(w.waitForWrites(), "");
            platform::Database statements(copy);
            const auto expected = testing_support::runStatementSearch(statements, result.request);
            std::vector<std::int64_t> ids;
            for (auto h : result.hits) ids.push_back(w.rows()[h].id);
            EXPECT_EQ(ids, expected.hitIds) << round;
            EXPECT_EQ(testing_support::dumpTables(w.database()),
                      testing_support::dumpTables(statements))
                << round;
            ++round;
        }
    }
}

namespace {

std::vector<std::string> workingColumns(platform::Database& db) {
    std::vector<std::string> rows;
    auto stmt = db.prepare("SELECT intTh, txtHisPreLst FROM Lishi ORDER BY ID");
    while (stmt.step()) rows.push_back(stmt.textAt(0) + "|" + stmt.textAt(1));
    return rows;
}

} // namespace

TEST(SearchAfterEntry, WhatAnotherProcessWroteIsReadAgainBeforeTheNextSearch) {
    WorkspaceFixture f;
    f.type("2016090801", {{"03", "07", "01", "11", "05"},
                          {"01", "02", "03", "04", "05"},
                          {"06", "07", "08", "09", "10"},
                          {"02", "04", "06", "08", "10"},
                          {"11", "09", "07", "05", "03"}});
    auto& w = *f.workspace;
    app::SearchService service(w);
    w.setPositionMode(search::PositionMode::Free);
    w.setPeriodMode(search::PeriodMode::Back);
    app::SearchResult result;
    ASSERT_TRUE(service.patternSearch({true, false, true, false, false}, result).ok);
    ASSERT_EQ(w.waitForWrites(), "");

    // Another process stores a draw and leaves other working columns (a search of its own).
    const auto added = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                               {"add", "04", "05", "06", "07", "08"});
    ASSERT_EQ(added.status, 0) << added.err;
    {
        platform::Database other(w.databasePath());
        other.exec("UPDATE Lishi SET intTh = 9, txtHisPreLst = 'elsewhere'");
    }
    const std::string copy = f.dir.file("copy.db");
    w.database().checkpoint();
    std::filesystem::copy_file(w.databasePath(), copy);

    // The same search again: nothing this workspace kept may make it skip a row.
    ASSERT_TRUE(service.patternSearch({true, false, true, false, false}, result).ok);
    ASSERT_EQ(w.waitForWrites(), "");
    EXPECT_EQ(w.rows().size(), 6u);
    platform::Database statements(copy);
    const auto expected = testing_support::runStatementSearch(statements, result.request);
    std::vector<std::int64_t> ids;
    for (auto h : result.hits) ids.push_back(w.rows()[h].id);
    EXPECT_EQ(ids, expected.hitIds);
    EXPECT_EQ(testing_support::dumpTables(w.database()), testing_support::dumpTables(statements));
}

// The search's result stands (it read one consistent state): only its working state is not kept.
TEST(SearchAfterEntry, AWriteAfterTheSearchReadTheFileKeepsTheSearchStateOutAndChangesNothing) {
    WorkspaceFixture f;
    f.type("2016090801", {{"03", "07", "01", "11", "05"},
                          {"01", "02", "03", "04", "05"},
                          {"06", "07", "08", "09", "10"}});
    auto& w = *f.workspace;
    app::SearchService service(w);
    app::SearchResult result;
    // Another process holds the write lock; it changes the file while the search waits for it.
    auto held = platform::FileLock::acquire(w.lockPath(), std::chrono::milliseconds(0));
    ASSERT_TRUE(held.held());
    ASSERT_TRUE(service.patternSearch({true, true, false, false, false}, result).ok);
    {
        platform::Database other(w.databasePath());
        other.exec("UPDATE Lishi SET intTh = 9, txtHisPreLst = 'elsewhere'");
    }
    held.release();
    EXPECT_EQ(w.waitForWrites(), "");
    const std::string notice = w.takeWriteNotice();
    EXPECT_NE(notice.find("检索结果基于第2016090803期及以前的历史号码；检索之后另一个程序修改了历史"
                          "数据库，检索的工作状态没有保存到数据库。"),
              std::string::npos)
        << notice;
    platform::Database reader(w.databasePath());
    EXPECT_EQ(workingColumns(reader), std::vector<std::string>(3, "9|elsewhere"));
}
