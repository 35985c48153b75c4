// A run that needs no draw (a setting, the clock, the list of games) opens the history without
// reading its draws: what it says about the history comes from the file itself, and an operation
// that does need the draws reads them first, so nothing is computed or stored from an empty
// history in memory.

#include "cli/commands.h"
#include "platform/database.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

std::unique_ptr<app::Workspace> openWithoutDraws(const WorkspaceFixture& f) {
    app::WorkspaceOptions options = f.options();
    options.readDraws = false;
    return std::make_unique<app::Workspace>(options);
}

TEST(WorkspaceWithoutDraws, AnswersFromTheFileAndReadsTheDrawsBeforeAnyOperation) {
    WorkspaceFixture f;
    f.type("2016090801", {{"03", "01", "02", "04", "06"},
                          {"07", "01", "02", "04", "06"},
                          {"05", "11", "10", "04", "06"}});
    f.workspace.reset();

    auto light = openWithoutDraws(f);
    ASSERT_TRUE(light->databaseOpen());
    EXPECT_TRUE(light->rows().empty());
    EXPECT_EQ(light->newestStoredPeriod(), 16090803);
    // Draws are stored, so a setting the stored values were derived under asks for a rebuild.
    const auto saved = light->setSetting("SxIni", light->settingText("SxIni") == "1" ? "0" : "1");
    EXPECT_TRUE(saved.ok);
    EXPECT_NE(saved.message.find("rebuild"), std::string::npos) << saved.message;
    EXPECT_TRUE(light->rows().empty());

    // A draw typed now goes under the period after the stored newest, as with the draws read.
    const auto added = light->addDraw({"01", "02", "03", "04", "05"});
    ASSERT_TRUE(added.ok) << added.message;
    EXPECT_EQ(added.message, "2016090804");
    ASSERT_EQ(light->rows().size(), 4u);
    EXPECT_EQ(light->newestStoredPeriod(), 16090804);
    EXPECT_EQ(light->nextPeriodText(), "2016090805");
    light.reset();

    // The clock as a command, with and without the draws read, says the same.
    auto clockOf = [](app::Workspace& w) {
        std::ostringstream out, err;
        EXPECT_EQ(app::runCommand(w, "clock", {"--json", "--at", "2016-09-08T09:30"}, out, err), 0)
            << err.str();
        return out.str();
    };
    f.reopen();
    const std::string withDraws = clockOf(*f.workspace);
    f.workspace.reset();
    light = openWithoutDraws(f);
    EXPECT_EQ(clockOf(*light), withDraws);
    // The draw due last (2016090803) is stored: nothing is waited for.
    EXPECT_EQ(withDraws.find("waiting"), std::string::npos) << withDraws;
    light.reset();

    // A period stored as text sorts above every number in the file; it is no newest period.
    {
        platform::Database db((fs::path(f.dataDir()) / "kelvora11S5.db").string());
        db.exec("UPDATE Lishi SET SQQH = 'abc' WHERE SQQH = 16090802");
    }
    light = openWithoutDraws(f);
    EXPECT_EQ(light->newestStoredPeriod(), 16090804);
}

TEST(WorkspaceWithoutDraws, AnEmptyHistoryHasNoNewestPeriodAndNoRebuildToAskFor) {
    WorkspaceFixture f;
    f.workspace.reset();
    auto light = openWithoutDraws(f);
    EXPECT_EQ(light->newestStoredPeriod(), 0);
    const auto saved = light->setSetting("SxIni", light->settingText("SxIni") == "1" ? "0" : "1");
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(saved.message, "");
}

} // namespace
