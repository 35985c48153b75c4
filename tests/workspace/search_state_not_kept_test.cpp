// A search whose working state cannot be stored because another process holds the history's
// lock after the search read it: the command still prints the result with exit 0, and says on
// stderr what it is based on and that its state was not kept. The export of its grid keeps no
// state at all and so succeeds quietly.

#include "cli/commands.h"
#include "platform/file_lock.h"
#include "support/workbook_reader.h"
#include "workspace/workspace_fixture.h"

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
    const std::string printed = out.str(), told = err.str();
    EXPECT_NE(printed.find("\"hits\":[{"), std::string::npos) << printed;
    EXPECT_NE(told.find("检索结果基于第2016090803期及以前的历史号码；另一个程序正在修改历史数据库"),
              std::string::npos)
        << told;
    EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1);

    std::ostringstream sheetOut, sheetErr;
    EXPECT_EQ(app::runCommand(w, "export-sheet", {"hits", "--fixed"}, sheetOut, sheetErr), 0)
        << sheetErr.str();
    const std::string sheet = (std::filesystem::path(f.dataDir()) / "Jiansuo.xlsx").string();
    EXPECT_EQ(sheetOut.str(), sheet + "\n");
    // The export computes the search in memory only: nothing to keep, nothing to say.
    EXPECT_EQ(sheetErr.str(), "");
    EXPECT_GT(testing_support::readWorkbook(sheet).rowCount(), 1);
}
