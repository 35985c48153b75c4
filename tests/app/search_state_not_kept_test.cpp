// A search whose working state cannot be stored because another process changed the history, or
// holds it, after the search read it: the result still stands (exit 0), and the user is told what
// it is based on and that its state was not kept. A disk error stays a failure.

#include "app/cli.h"
#include "app/search_service.h"
#include "platform/database.h"
#include "platform/file_lock.h"
#include "support/workbook_reader.h"
#include "workspace_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

using testing_support::WorkspaceFixture;

namespace {

void typeHistory(WorkspaceFixture& f) {
    f.type("2016090801", {{"03", "01", "02", "04", "06"},
                          {"07", "01", "02", "04", "06"},
                          {"03", "01", "02", "04", "06"}});
}

} // namespace

TEST(SearchStateNotKept, AChangeByAnotherProcessAfterTheSearchLeavesTheResultStanding) {
    WorkspaceFixture f;
    typeHistory(f);
    auto& w = *f.workspace;
    w.setPositionMode(search::PositionMode::Fixed);
    // Another process holds the write lock while the search runs, and changes the history.
    auto other = platform::FileLock::acquire(w.lockPath(), std::chrono::milliseconds(0));
    ASSERT_TRUE(other.held());
    app::SearchResult result;
    ASSERT_TRUE(app::SearchService(w).patternSearch({true, true, true, true, true}, result).ok);
    {
        platform::Database db(w.databasePath());
        db.exec("UPDATE Lishi SET bolOk = bolOk + 1");
    }
    other.release();

    EXPECT_EQ(w.takeWriteProblem(), "");
    const std::string notice = w.takeWriteNotice();
    EXPECT_NE(notice.find("第2016090803期"), std::string::npos) << notice;
    EXPECT_NE(notice.find("检索的工作状态没有保存"), std::string::npos) << notice;
    EXPECT_FALSE(result.hits.empty());
}

TEST(SearchStateNotKept, CommandsPrintTheResultExitZeroAndSayItOnStderr) {
    WorkspaceFixture f;
    typeHistory(f);
    f.workspace.reset();
    auto options = f.options();
    options.lockWait = std::chrono::milliseconds(100);
    app::Workspace w(options);
    auto other = platform::FileLock::acquire(w.lockPath(), std::chrono::milliseconds(0));
    ASSERT_TRUE(other.held());

    std::ostringstream out, err;
    EXPECT_EQ(app::runCommand(w, "search", {"--fixed", "--json"}, out, err), 0) << err.str();
    EXPECT_NE(out.str().find("\"hits\":[{"), std::string::npos) << out.str();
    EXPECT_NE(err.str().find("检索结果基于第2016090803期及以前的历史号码"), std::string::npos)
        << err.str();
    EXPECT_EQ(std::count(err.str().begin(), err.str().end(), '\n'), 1);

    std::ostringstream sheetOut, sheetErr;
    EXPECT_EQ(app::runCommand(w, "export-sheet", {"hits", "--fixed"}, sheetOut, sheetErr), 0)
        << sheetErr.str();
    const std::string sheet = (std::filesystem::path(f.dataDir()) / "Jiansuo.xlsx").string();
    EXPECT_EQ(sheetOut.str(), sheet + "\n");
    EXPECT_NE(sheetErr.str().find("检索的工作状态没有保存"), std::string::npos);
    EXPECT_GT(testing_support::readWorkbook(sheet).rowCount(), 1);
}
