// The searches as the window and the command line run them on a workspace.

#include "cli/commands.h"
#include "workspace/search_service.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

using testing_support::WorkspaceFixture;

namespace {

void typeHistory(WorkspaceFixture& f) {
    f.type("2016090801", {{"03", "01", "02", "04", "06"},
                          {"07", "01", "02", "04", "06"},
                          {"03", "01", "02", "04", "06"},
                          {"05", "01", "02", "04", "06"},
                          {"03", "01", "02", "04", "06"}});
}

std::vector<std::pair<int, int>> carcu(app::Workspace& w) {
    auto stmt = w.database().prepare("SELECT Nmb, Count FROM Carcu ORDER BY rowid");
    std::vector<std::pair<int, int>> rows;
    while (stmt.step()) rows.emplace_back(stmt.intAt(0), stmt.intAt(1));
    return rows;
}

} // namespace

TEST(SearchService, FixedLastPeriodSearchShowsHitsTallyAndStoresTheState) {
    WorkspaceFixture f;
    typeHistory(f);
    auto& w = *f.workspace;
    w.setPositionMode(search::PositionMode::Fixed);
    EXPECT_EQ(w.targets()[0], 3);
    w.setSpan("2016090801", "2016090805");
    app::SearchService service(w);
    app::SearchResult result;
    ASSERT_TRUE(service.patternSearch({true, false, false, false, false}, result).ok);
    ASSERT_EQ(result.hits.size(), 2u);
    EXPECT_EQ(app::hitGridCell(result, 0, 0), "2016090802");
    EXPECT_EQ(app::hitGridCell(result, 0, 1), "7");
    EXPECT_EQ(app::hitGridCell(result, 0, 6), "03 01 02 04 06 ");
    EXPECT_EQ(app::hitGridCell(result, 1, 0), "2016090804");
    EXPECT_EQ(app::hitGridHeader(result).back(), "上期开奖");
    EXPECT_EQ(app::resultGridCell(result, 0, 1), "1"); // 1, 2, 4, 6 twice; ties by value
    EXPECT_EQ(app::resultGridCell(result, 0, 3), "20.000%");

    // The database holds the final state once the background write is done.
    EXPECT_EQ(w.waitForWrites(), "");
    auto stmt = w.database().prepare("SELECT L1AS, intTh FROM Lishi ORDER BY SQQH");
    std::vector<std::pair<int, int>> state;
    while (stmt.step()) state.emplace_back(stmt.intAt(0), stmt.intAt(1));
    EXPECT_EQ(state, (std::vector<std::pair<int, int>>{{0, 0}, {3, 1}, {7, 0}, {3, 1}, {5, 0}}));
    const auto tally = carcu(w);
    ASSERT_EQ(tally.size(), 11u);
    EXPECT_EQ(tally[0], (std::pair<int, int>{1, 2}));
    EXPECT_EQ(tally[6], (std::pair<int, int>{7, 1}));
}

TEST(SearchService, AnEmptyHistoryOrASizeOutsideOneToFiveSearchesAndFindsNothing) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    app::SearchService service(w);
    app::SearchResult result;
    ASSERT_TRUE(service.patternSearch({true, true, true, true, true}, result).ok);
    EXPECT_TRUE(result.hits.empty());
    ASSERT_EQ(result.tally.byCount.size(), 11u);
    EXPECT_EQ(app::resultGridCell(result, 0, 2), "0");
    EXPECT_EQ(app::resultGridCell(result, 0, 3), "");
    EXPECT_EQ(w.waitForWrites(), "");
    EXPECT_EQ(carcu(w).size(), 11u);
    EXPECT_EQ(carcu(w)[10], (std::pair<int, int>{11, 0}));

    typeHistory(f);
    w.setSpan("2016090801", "2016090805");
    for (const char* size : {"0", "6", "-3"}) {
        ASSERT_TRUE(w.setCombinationSize(size).ok) << size;
        ASSERT_TRUE(service.combinationSearch(result).ok) << size;
        EXPECT_TRUE(result.hits.empty()) << size;
        EXPECT_EQ(result.tally.total, 0) << size;
    }
    EXPECT_EQ(w.settings().combinationSize, -3);
    EXPECT_NE(f.settingsFileText().find("intZhWSetup=-3"), std::string::npos);
}

TEST(SearchService, RefusesWhatCannotBeSearchedAndChangesNothing) {
    // A distance of 0 can only come from the settings store: the box refuses it.
    WorkspaceFixture f("[IniSetting]\nbolSq=False\nintPreQi=0\n");
    app::SearchService service(*f.workspace);
    app::SearchResult result;
    typeHistory(f);
    auto& w = *f.workspace;
    w.setSpan("2016O90802", "2016090805");
    const auto badSpan = service.patternSearch({true, true, true, true, true}, result);
    EXPECT_FALSE(badSpan.ok);
    EXPECT_NE(badSpan.message.find("2016O90802"), std::string::npos);
    w.setSpan("2016090802", "2016090805");
    const auto zero = service.combinationSearch(result);
    EXPECT_FALSE(zero.ok);
    EXPECT_NE(zero.message.find("前期"), std::string::npos);
    EXPECT_TRUE(carcu(w).empty());
    EXPECT_FALSE(w.setCombinationSize("x").ok);
    EXPECT_FALSE(w.setCombinationSize("2.5").ok);
    EXPECT_TRUE(w.setCombinationSize("3").ok);
    EXPECT_EQ(w.settings().combinationSize, 3);
}

TEST(SearchService, CommandLineJsonAndTabSeparatedOutput) {
    WorkspaceFixture f;
    typeHistory(f);
    f.workspace.reset();
    std::ostringstream out, err;
    auto line = app::parseCommandLine({"--data-dir", f.dataDir(), "--settings", f.settingsPath(),
                                       "search", "--fixed", "--positions", "1", "--from",
                                       "2016090801", "--result", "head", "--json"});
    ASSERT_EQ(line.error, "");
    ASSERT_EQ(app::runCommand(line, out, err), 0) << err.str();
    EXPECT_EQ(
        out.str(),
        "{\"hits\":[{\"period\":\"2016090802\",\"cells\":[\"0\",\"0\",\"0\",\"0\",\"0\"],"
        "\"previous\":\"03 01 02 04 06 \"},{\"period\":\"2016090804\",\"cells\":[\"0\","
        "\"0\",\"0\",\"0\",\"0\"],\"previous\":\"03 01 02 04 06 \"}],\"tally\":["
        "{\"rank\":1,\"value\":\"0\",\"count\":10,\"percent\":\"100.000%\",\"expected\":8.182,"
        "\"low\":6.33,\"high\":10.034},{\"rank\":2,"
        "\"value\":\"1\",\"count\":0,\"percent\":\"0.000%\",\"expected\":1.818,"
        "\"low\":0.0,\"high\":3.67}]}\n");

    // Options are for this run only; the stored settings stay.
    std::ostringstream stored, ignored;
    app::runCommand(app::parseCommandLine({"--data-dir", f.dataDir(), "--settings",
                                           f.settingsPath(), "get", "bolZyw"}),
                    stored, ignored);
    EXPECT_EQ(stored.str(), "True\n");

    std::ostringstream text, textErr;
    line = app::parseCommandLine({"--data-dir", f.dataDir(), "--settings", f.settingsPath(),
                                  "combo", "--size", "5", "--targets", "5,1,2,4,6", "--back", "2",
                                  "--type", "zodiac"});
    ASSERT_EQ(app::runCommand(line, text, textErr), 0) << textErr.str();
    EXPECT_EQ(text.str().substr(0, text.str().find('\n')),
              "期号\t第1码\t第2码\t第3码\t第4码\t第5码\t前期开奖");
    EXPECT_EQ(
        app::runCommand(app::parseCommandLine({"--data-dir", f.dataDir(), "--settings",
                                               f.settingsPath(), "combo", "--positions", "1"}),
                        text, textErr),
        2);
}
