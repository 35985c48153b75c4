// The workspace: start-up state, typed draws, refreshes and the settings menus.

#include "workspace/workspace_fixture.h"

#include "history/history_table.h"
#include "workspace/history_service.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::WorkspaceFixture;

namespace {

int storedRowCount(app::Workspace& w) {
    auto count = w.database().prepare("SELECT COUNT(*) FROM Lishi");
    count.step();
    return count.intAt(0);
}

} // namespace

TEST(WorkspaceStart, FirstStartUsesTheDefaultsAndCreatesTheDatabase) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    const auto& s = w.settings();
    EXPECT_EQ(s.game, history::Game::Jiangxi);
    EXPECT_EQ(w.drawsPerDay(), 42);
    EXPECT_EQ(s.positionMode, search::PositionMode::Free);
    EXPECT_EQ(s.periodMode, search::PeriodMode::Last);
    EXPECT_EQ(s.searchKind, 0);
    EXPECT_EQ(s.resultKind, 0);
    EXPECT_EQ(s.zodiacBase, 1);
    EXPECT_EQ(s.segmentBase, 1);
    EXPECT_TRUE(s.zodiacInAnimalOrder);
    EXPECT_EQ(s.backDistance, 2);
    EXPECT_EQ(s.combinationSize, 2);
    EXPECT_EQ(s.updateDays, 6);
    EXPECT_TRUE(w.databaseOpen());
    EXPECT_TRUE(std::filesystem::exists(w.databasePath()));
    EXPECT_TRUE(w.rows().empty());
    EXPECT_EQ(w.nextPeriodText(), "");
    // With no draw the zodiac year is that of today (2016-09-08 here).
    EXPECT_EQ(w.zodiac().year(), 2016);
    // By age is chosen, but start-up always numbers the animals in order.
    EXPECT_EQ(w.zodiac().values()[0], 1);
    EXPECT_EQ(w.zodiac().values()[11], 12);
}

TEST(WorkspaceStart, StoredValuesAreReadAndBadOnesGiveDefaults) {
    WorkspaceFixture f(
        "[IniSetting]\nGsZl=569\nbolSq=False\nintLei=9\nintXianshiLei=x\n"
        "intPreQi=12\nSxIni=2\nDsIni=0\nSxSetup=True\nIniSerchDay=1\nbolZyw=maybe\n");
    const auto& s = f.workspace->settings();
    EXPECT_EQ(s.game, history::Game::Heilongjiang);
    EXPECT_EQ(f.workspace->drawsPerDay(), 44);
    EXPECT_EQ(s.periodMode, search::PeriodMode::Back);
    EXPECT_EQ(s.searchKind, 0);
    EXPECT_EQ(s.resultKind, 0);
    EXPECT_EQ(s.backDistance, 2);
    EXPECT_EQ(s.zodiacBase, 1);
    EXPECT_EQ(s.segmentBase, 0);
    EXPECT_TRUE(s.zodiacInAnimalOrder);
    EXPECT_EQ(s.updateDays, 6);
    EXPECT_EQ(s.positionMode, search::PositionMode::Free);

    WorkspaceFixture other("[IniSetting]\nGsZl=999\n");
    EXPECT_EQ(other.workspace->settings().game, history::Game{999}); // kept, no game checked
    EXPECT_EQ(other.workspace->drawsPerDay(), 42);                   // 江西's
}

TEST(WorkspaceStart, HistorySpanAndTargetsComeFromTheStoredDraws) {
    WorkspaceFixture f;
    f.type("2016090801", {{"03", "07", "01", "11", "05"},
                          {"01", "02", "03", "04", "05"},
                          {"06", "07", "08", "09", "10"}});
    auto& w = f.reopen();
    ASSERT_EQ(w.rows().size(), 3u);
    EXPECT_EQ(w.spanStart(), "2016090802");
    EXPECT_EQ(w.spanEnd(), "2016090803");
    EXPECT_EQ(w.nextPeriodText(), "2016090804");
    EXPECT_EQ(w.newestNextPeriod(), 16090804);
    EXPECT_EQ(w.targets(), (std::array<std::int16_t, 5>{6, 7, 8, 9, 10}));
    EXPECT_EQ(w.targetTexts()[4], "10");

    // 前期 with N = 2: the reference draw is one before the newest, the span starts two on.
    w.setPeriodMode(search::PeriodMode::Back);
    EXPECT_EQ(w.targets(), (std::array<std::int16_t, 5>{1, 2, 3, 4, 5}));
    EXPECT_EQ(w.spanStart(), "2016090803");
    // A zodiac search shows the animals' names.
    w.setSearchKind(history::ZodiacKind);
    EXPECT_EQ(w.targetTexts()[0], history::Zodiac::nameOf(w.targets()[0], 1));
    EXPECT_EQ(f.settingsFileText().find("bolSq=False") != std::string::npos, true);
    EXPECT_NE(f.settingsFileText().find("intLei=1"), std::string::npos);
}

TEST(TypedDraw, StoresUnderTheNextPeriodAndRollsTheDay) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    f.type("2016090841", {{"01", "02", "03", "04", "05"}, {"1_", "2_", "03", "04", "06"}});
    EXPECT_EQ(w.rows().back().period, 16090842);
    EXPECT_EQ(w.rows().back().numbers(), (history::PositionValues{1, 2, 3, 4, 6}));
    EXPECT_EQ(w.nextPeriodText(), "2016090901");
    const auto outcome = w.addDraw({"11", "10", "09", "08", "07"});
    ASSERT_TRUE(outcome.ok) << outcome.message;
    EXPECT_EQ(outcome.message, "2016090901");
    EXPECT_EQ(w.rows().back().period, 16090901);
    EXPECT_EQ(w.rows().back().nextPeriod, 16090902);
    EXPECT_EQ(w.nextPeriodText(), "2016090902");
    // The span end followed the newest draw.
    EXPECT_EQ(w.spanEnd(), "2016090901");
    EXPECT_EQ(storedRowCount(w), 3);
    // Years 2000 to 2009 keep ten digits.
    WorkspaceFixture old;
    old.type("2009090831", {{"01", "02", "03", "04", "05"}});
    EXPECT_EQ(old.workspace->nextPeriodText(), "2009090832");
    EXPECT_EQ(old.workspace->historyLine(0), "2009090831 01 02 03 04 05 ");
    // The first id typed may carry a draw number of an older, longer day (江西 drew 84), not more.
    WorkspaceFixture longer;
    EXPECT_TRUE(longer.workspace->addDraw({"01", "02", "03", "04", "05"}, "2016090884").ok);
    WorkspaceFixture tooLong;
    const auto refused = tooLong.workspace->addDraw({"01", "02", "03", "04", "05"}, "2016090885");
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("每天最多84期"), std::string::npos) << refused.message;
}

TEST(TypedDraw, BadEntriesStoreNothingAndSayWhichNumber) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    const auto before = w.nextPeriodText();
    struct Case {
        std::array<std::string, 5> boxes;
        const char* mentions;
    };
    for (const Case& c : {Case{{"01", "12", "03", "04", "05"}, "第2个号码"},
                          Case{{"00", "02", "03", "04", "05"}, "第1个号码"},
                          Case{{"01", "02", "03", "02", "05"}, "第4个号码"},
                          Case{{"01", "__", "03", "04", "05"}, "第2个号码"},
                          Case{{"", "", "", "", "05"}, "第1个号码"}}) {
        const auto outcome = w.addDraw(c.boxes);
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.message.find(c.mentions), std::string::npos) << outcome.message;
    }
    EXPECT_EQ(storedRowCount(w), 1);
    EXPECT_EQ(w.rows().size(), 1u);
    EXPECT_EQ(w.nextPeriodText(), before);
}

TEST(TypedDraw, TheFirstDrawNeedsAValidPeriod) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    EXPECT_FALSE(w.addDraw({"01", "02", "03", "04", "05"}).ok);
    EXPECT_FALSE(w.addDraw({"01", "02", "03", "04", "05"}, "2016130801").ok);
    EXPECT_FALSE(w.addDraw({"01", "02", "03", "04", "05"}, "16090801").ok);
    // A draw number the game has not: 00, or above its draws per day (84 here, 90 in 上海).
    for (const std::string period : {"2016090800", "2016090885", "2016090899"})
        EXPECT_FALSE(w.addDraw({"01", "02", "03", "04", "05"}, period).ok) << period;
    EXPECT_NE(w.addDraw({"01", "02", "03", "04", "05"}, "2016090885").message.find("01到84"),
              std::string::npos);
    w.setGame(history::Game::Shanghai);
    ASSERT_TRUE(w.addDraw({"01", "02", "03", "04", "05"}, "2016090890").ok);
    EXPECT_EQ(w.nextPeriodText(), "2016090901");
    ASSERT_TRUE(app::HistoryService(w).clearHistory().outcome.ok);
    w.setGame(history::Game::Jiangxi);
    EXPECT_TRUE(w.rows().empty());
    ASSERT_TRUE(w.addDraw({"01", "02", "03", "04", "05"}, "2016090801").ok);
    EXPECT_EQ(w.rows().front().period, 16090801);
    // One draw: the span is that draw, never one that starts after it ends.
    EXPECT_EQ(w.spanStart(), "2016090801");
    EXPECT_EQ(w.spanEnd(), "2016090801");
}

TEST(TypedDraw, NoDatabaseMeansAClearRefusal) {
    testing_support::TempDir dir;
    // The data folder is a file, so no database can be made in it.
    std::ofstream(dir.file("data")) << "not a folder";
    app::WorkspaceOptions options;
    options.dataDir = dir.file("data");
    options.settingsFile = dir.file("s.ini");
    app::Workspace w(options);
    EXPECT_FALSE(w.databaseOpen());
    EXPECT_NE(w.databaseProblem().find("无法打开历史数据库"), std::string::npos);
    const auto outcome = w.addDraw({"01", "02", "03", "04", "05"}, "2016090801");
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, w.databaseProblem());
}

TEST(SettingsMenus, GameAndBasesPersistAndApplyToLaterDraws) {
    WorkspaceFixture f;
    auto& w = *f.workspace;
    w.setGame(history::Game::Shanghai);
    EXPECT_EQ(w.settings().game, history::Game::Shanghai);
    EXPECT_EQ(w.drawsPerDay(), 45);
    EXPECT_NE(f.settingsFileText().find("GsZl=562"), std::string::npos);
    f.type("2016090844", {{"01", "02", "03", "04", "05"}, {"01", "02", "03", "04", "05"}});
    EXPECT_EQ(w.nextPeriodText(), "2016090901"); // draw 45 is the last of a Shanghai day

    w.setZodiacOrder(true); // in order
    EXPECT_NE(f.settingsFileText().find("SxSetup=True"), std::string::npos);
    w.setZodiacBase(0);
    EXPECT_EQ(w.zodiac().values()[0], 0);
    EXPECT_EQ(w.zodiac().values()[11], 11);
    w.setSegmentBase(0);
    w.addDraw({"01", "05", "09", "10", "11"});
    const auto& newest = w.rows().back();
    EXPECT_EQ(newest.values[history::Segment], (history::PositionValues{0, 1, 2, 2, 2}));
    // 2016: 01 is the monkey (index 8), now numbered from 0; earlier rows keep 1-based values.
    EXPECT_EQ(newest.values[history::ZodiacKind][0], 8);
    EXPECT_EQ(w.rows().front().values[history::ZodiacKind][0], 9);

    w.setZodiacOrder(false); // by age, from the next draw on; a base change keeps the rule
    EXPECT_NE(f.settingsFileText().find("SxSetup=False"), std::string::npos);
    w.setZodiacBase(1);
    EXPECT_NE(f.settingsFileText().find("SxIni=1"), std::string::npos);
    w.addDraw({"01", "02", "03", "04", "11"});
    EXPECT_EQ(w.rows().back().values[history::ZodiacKind],
              (history::PositionValues{1, 2, 3, 4, 11}));
}

TEST(SettingsMenus, EveryFrontEndStoresTheValuesOfTheTickedZodiacRule) {
    // Fresh settings: the ticked rule (in order) is the one applied.
    WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    f.workspace->ensureKinds({history::ZodiacKind});
    // 2016, the monkey's year: 01 is the monkey (9th animal), 02 the goat, ...
    EXPECT_EQ(f.workspace->rows()[0].values[history::ZodiacKind],
              (history::PositionValues{9, 8, 7, 6, 5}));

    // By age, then a new base: this workspace (the window) and a fresh one (a command) store
    // the same values.
    f.workspace->setZodiacOrder(false);
    f.workspace->setZodiacBase(0);
    f.type("", {{"01", "02", "03", "04", "05"}});
    auto& fresh = f.reopen();
    f.type("", {{"01", "02", "03", "04", "05"}});
    fresh.ensureKinds({history::ZodiacKind});
    EXPECT_EQ(fresh.rows()[1].values[history::ZodiacKind],
              (history::PositionValues{0, 1, 2, 3, 4}));
    EXPECT_EQ(fresh.rows()[2].values[history::ZodiacKind],
              fresh.rows()[1].values[history::ZodiacKind]);
}

TEST(SettingsMenus, PeriodDistanceBox) {
    // Draw 53 follows 52 on the 84-a-day schedule these ids were written for.
    WorkspaceFixture f{"[IniSetting]\nGameSchedules=\"22=09:10/10/84\"\n"};
    auto& w = *f.workspace;
    f.type("2016090852", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    w.setPeriodMode(search::PeriodMode::Back);
    // An empty box and 0 are told and change nothing.
    for (const char* refused : {"_", "0", ""}) {
        const auto outcome = w.setBackDistance(refused);
        EXPECT_FALSE(outcome.ok) << refused;
        EXPECT_NE(outcome.message.find("1到9"), std::string::npos);
        EXPECT_EQ(w.settings().backDistance, 2);
        // Two draws and a distance of two: the span is the newest draw alone.
        EXPECT_EQ(w.spanStart(), "2016090853");
    }
    EXPECT_EQ(f.settingsFileText().find("intPreQi"), std::string::npos);
    w.setBackDistance("1");
    EXPECT_EQ(w.settings().backDistance, 1);
    EXPECT_EQ(w.spanStart(), "2016090853");
    EXPECT_EQ(w.targets(), (std::array<std::int16_t, 5>{6, 7, 8, 9, 10}));
    EXPECT_NE(f.settingsFileText().find("intPreQi=1"), std::string::npos);
}
