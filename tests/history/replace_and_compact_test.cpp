// Replacing the history in one transaction (import and rebuild), and compacting the database
// file without ever putting the live file at risk.

#include "history/history_import.h"
#include "history/maintenance.h"
#include "platform/file_io.h"
#include "support/temp_dir.h"
#include "support/test_progress.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace history;

namespace {

std::vector<ParsedDraw> draws(std::initializer_list<std::pair<int, Numbers>> list) {
    std::vector<ParsedDraw> out;
    int line = 0;
    for (const auto& [period, numbers] : list) out.push_back({++line, period, numbers});
    return out;
}

std::vector<ParsedDraw> manyDraws(int count) {
    std::vector<ParsedDraw> out;
    for (int i = 0; i < count; ++i) out.push_back({i + 1, 16010101 + i, {1 + i % 7, 8, 9, 10, 11}});
    return out;
}

// Stops when asked for the stepAt-th report.
using testing_support::FailAt;
using testing_support::StopAt;

std::vector<std::string> strings(platform::Database& db, int period, bool previous) {
    std::string sql = "SELECT ";
    for (int kind = -1; kind < kKinds; ++kind)
        sql += (kind > -1 ? ", " : "") + textColumn(previous, kind);
    auto stmt = db.prepare(sql + " FROM Lishi WHERE SQQH = ?1");
    stmt.bind(1, period);
    std::vector<std::string> out;
    if (stmt.step())
        for (int c = 0; c < 7; ++c) out.push_back(stmt.isNullAt(c) ? "<null>" : stmt.textAt(c));
    return out;
}

std::vector<int> values(platform::Database& db, int period, const char* suffix) {
    std::string sql = "SELECT L1A";
    for (int kind = 0; kind < kKinds; ++kind)
        for (int p = 1; p <= 5; ++p) sql += ", " + attributeColumn(p, kind, suffix);
    auto stmt = db.prepare(sql + " FROM Lishi WHERE SQQH = ?1");
    stmt.bind(1, period);
    std::vector<int> out;
    if (stmt.step())
        for (int c = 1; c <= 30; ++c) out.push_back(stmt.intAt(c));
    return out;
}

std::vector<int> flat(const DrawValues& v) {
    std::vector<int> out;
    for (const auto& kind : v)
        for (auto x : kind) out.push_back(x);
    return out;
}

class ReplaceHistory : public ::testing::Test {
  protected:
    ReplaceHistory() : db(dir.file("kelvora11S5.db")) {
        createTables(db);
        zodiac.setYear(2016);
        zodiac.updateYearGroups();
        zodiac.setValueOrder(true, 1);
    }

    std::vector<HistoryRow> replace(const std::vector<ParsedDraw>& list, bool rebuild,
                                    Progress& progress) {
        auto rows = replaceHistory(db, zodiac, list, {1, rebuild}, progress);
        return rows ? *rows : std::vector<HistoryRow>{};
    }

    testing_support::TempDir dir;
    platform::Database db;
    Zodiac zodiac;
    NoProgress quiet;
};

} // namespace

TEST_F(ReplaceHistory, RebuildFillsThePreviousDrawColumns) {
    const Numbers d1{3, 7, 1, 11, 5}, d2{1, 2, 3, 4, 5}, d3{6, 7, 8, 9, 10};
    replace(draws({{16090801, {9, 9, 9, 9, 9}}}), false, quiet); // replaced below
    const auto rows = replace(draws({{16090852, d1}, {16090853, d2}, {16090854, d3}}), true, quiet);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(loadHistory(db, true).size(), 3u);

    const auto v1 = deriveDraw(d1, zodiac, 1);
    const auto v2 = deriveDraw(d2, zodiac, 1);
    const std::vector<int> zeros(30, 0);
    const std::vector<std::string> empty(7, "");
    // d1: nothing before it.
    EXPECT_EQ(values(db, 16090852, "S"), zeros);
    EXPECT_EQ(values(db, 16090852, "P"), zeros);
    EXPECT_EQ(strings(db, 16090852, false), empty);
    EXPECT_EQ(strings(db, 16090852, true), empty);
    // d2: S is d1, P is still 0, no draw two back.
    EXPECT_EQ(values(db, 16090853, "S"), flat(v1));
    EXPECT_EQ(values(db, 16090853, "P"), zeros);
    EXPECT_EQ(strings(db, 16090853, true), empty);
    // d3: txtHisLst describes d2, txtHisPreLst d1.
    EXPECT_EQ(values(db, 16090854, "S"), flat(v2));
    EXPECT_EQ(values(db, 16090854, "P"), flat(v1));
    const auto s1 = describeDraw(v1), s2 = describeDraw(v2);
    EXPECT_EQ(strings(db, 16090854, false), std::vector<std::string>(s2.begin(), s2.end()));
    EXPECT_EQ(strings(db, 16090854, true), std::vector<std::string>(s1.begin(), s1.end()));
    EXPECT_EQ(strings(db, 16090854, true)[0], "03 07 01 11 05 ");

    // The import leaves txtHisPreLst unset.
    replace(draws({{1, d1}, {2, d2}, {3, d3}}), false, quiet);
    EXPECT_EQ(strings(db, 3, true), std::vector<std::string>(7, "<null>"));
}

TEST_F(ReplaceHistory, RowsComeBackInTheOrderOfTheOrderedView) {
    const auto rows = replace(draws({{16090853, {1, 2, 3, 4, 5}},
                                     {16090852, {5, 3, 8, 1, 11}},
                                     {16090853, {6, 7, 8, 9, 10}}}),
                              false, quiet);
    const auto stored = loadHistory(db, true);
    ASSERT_EQ(rows.size(), stored.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].id, stored[i].id);
        EXPECT_EQ(rows[i].period, stored[i].period);
        EXPECT_EQ(rows[i].values, stored[i].values);
    }
    // The previous-draw columns follow the lines of the file, not the periods.
    EXPECT_EQ(values(db, 16090852, "S")[0], 1);
}

TEST_F(ReplaceHistory, CancelOrFailureMidwayLeavesTheHistoryAsItWas) {
    replace(draws({{16090852, {5, 3, 8, 1, 11}}, {16090853, {1, 2, 3, 4, 5}}}), false, quiet);
    const auto before = loadHistory(db, true);
    const int yearBefore = zodiac.year();

    // Cancelled after the first few thousand rows were written.
    StopAt cancel(3);
    EXPECT_FALSE(replaceHistory(db, zodiac, manyDraws(6000), {1, false}, cancel).has_value());
    EXPECT_EQ(cancel.total_, 6000u);
    EXPECT_EQ(loadHistory(db, true).size(), before.size());
    EXPECT_EQ(zodiac.year(), yearBefore);

    // The database fails halfway through.
    FailAt failure(2, "disk full");
    EXPECT_THROW(replaceHistory(db, zodiac, manyDraws(6000), {1, false}, failure),
                 platform::DbError);
    const auto after = loadHistory(db, true);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after[1].period, 16090853);
    EXPECT_EQ(after[1].values, before[1].values);
    EXPECT_EQ(zodiac.year(), yearBefore);
}

TEST_F(ReplaceHistory, TheNewFileIsMadeFromOurOwnTablesAndTakesThePlaceOfTheLiveOne) {
    db.exec("PRAGMA user_version = 7");
    db.exec("INSERT INTO Carcu (rowid, Nmb, Count) VALUES (3, 105, 12), (9, 211, 4)");
    // What else a file holds does not come along: a planted trigger would fire on every row.
    db.exec("CREATE TABLE Notes (Word TEXT PRIMARY KEY, Seen INTEGER) WITHOUT ROWID");
    db.exec("CREATE TRIGGER planted AFTER INSERT ON Lishi "
            "BEGIN INSERT OR REPLACE INTO Notes VALUES ('fired', NEW.ID); END");
    std::ofstream(platform::pendingName(db.path())) << "left over from an earlier attempt";

    replace(manyDraws(3000), true, quiet);
    EXPECT_EQ(db.path(), dir.file("kelvora11S5.db"));
    EXPECT_FALSE(std::filesystem::exists(platform::pendingName(db.path())));
    EXPECT_EQ(loadHistory(db, true).size(), 3000u);
    EXPECT_EQ(db.integrityCheck(), "ok");
    const auto one = [&](const std::string& sql) {
        auto stmt = db.prepare(sql);
        return stmt.step() ? stmt.textAt(0) : std::string("<none>");
    };
    EXPECT_EQ(one("PRAGMA user_version"), "7");
    EXPECT_EQ(one("SELECT group_concat(Nmb || ':' || Count, ' ') FROM Carcu"), "105:12 211:4");
    EXPECT_EQ(one("SELECT count(*) FROM sqlite_master WHERE name IN ('Notes', 'planted')"), "0");
    EXPECT_EQ(one("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'Lishi'"),
              "LishiBySQQH");
    // Ids start afresh, as after emptying the table.
    EXPECT_EQ(one("SELECT min(ID) FROM Lishi"), "1");
    // The connection writes to the new file, through a log again.
    EXPECT_EQ(one("PRAGMA journal_mode"), "wal");
    db.exec("DELETE FROM Lishi WHERE SQQH = 16010101");
    EXPECT_EQ(loadHistory(db).size(), 2999u);
}

TEST_F(ReplaceHistory, ACancelOrABlockedNewFileLeavesTheLiveFileUntouched) {
    replace(draws({{16090852, {5, 3, 8, 1, 11}}, {16090853, {1, 2, 3, 4, 5}}}), true, quiet);
    const std::string live = db.path();
    const std::string scratch = platform::pendingName(live);
    const std::string bytes = platform::readFile(live);
    const auto unchanged = [&](const char* what) {
        EXPECT_EQ(platform::readFile(live), bytes) << what;
        EXPECT_FALSE(std::filesystem::exists(scratch)) << what;
        ASSERT_TRUE(db.isOpen()) << what;
        EXPECT_EQ(loadHistory(db).size(), 2u) << what;
    };

    StopAt cancelFirst(1);
    EXPECT_FALSE(replaceHistory(db, zodiac, manyDraws(6000), {1, true}, cancelFirst));
    unchanged("cancelled at once");
    StopAt cancelLast(4);
    EXPECT_FALSE(replaceHistory(db, zodiac, manyDraws(6000), {1, true}, cancelLast));
    unchanged("cancelled after the last row");

    // Something that cannot be removed stands where the new file goes.
    std::filesystem::create_directories(scratch + "/inside");
    EXPECT_ANY_THROW(replaceHistory(db, zodiac, manyDraws(100), {1, false}, quiet));
    EXPECT_EQ(platform::readFile(live), bytes);
    EXPECT_EQ(loadHistory(db).size(), 2u);
    std::filesystem::remove_all(scratch);

    // Still usable for writing and for the next replacement.
    db.exec("DELETE FROM Lishi WHERE SQQH = 16090853");
    EXPECT_EQ(loadHistory(db).size(), 1u);
    EXPECT_EQ(replace(manyDraws(10), false, quiet).size(), 10u);
}

TEST(Compaction, KeepsTheContentAndTheCopy) {
    testing_support::TempDir dir;
    const std::string live = dir.file("kelvora11S5.db");
    const std::string tmp = dir.file("kelvora11S5Tmp.db");
    platform::Database db(live);
    createTables(db);
    Zodiac zodiac;
    NoProgress quiet;
    ASSERT_TRUE(replaceHistory(db, zodiac, manyDraws(3000), {1, true}, quiet));
    db.exec("DELETE FROM Lishi WHERE SQQH > 16010101 + 500");
    const auto before = loadHistory(db, true);
    const auto sizeBefore = std::filesystem::file_size(live);

    std::ofstream(tmp) << "an old copy";
    compactDatabase(db, tmp);
    ASSERT_TRUE(db.isOpen());
    EXPECT_EQ(db.path(), live);
    const auto after = loadHistory(db, true);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].period, before[i].period);
        EXPECT_EQ(after[i].values, before[i].values);
    }
    EXPECT_LT(std::filesystem::file_size(live), sizeBefore);
    EXPECT_TRUE(std::filesystem::exists(tmp));
    EXPECT_EQ(platform::Database(tmp).integrityCheck(), "ok");
    EXPECT_FALSE(std::filesystem::exists(platform::pendingName(live)));
    // Still usable for writing.
    db.exec("DELETE FROM Lishi WHERE SQQH = 16010101");
    EXPECT_EQ(loadHistory(db, true).size(), before.size() - 1);
}

TEST(Compaction, AFailureLeavesTheLiveFileOpenAndAsItWas) {
    testing_support::TempDir dir;
    const std::string live = dir.file("kelvora11S5.db");
    platform::Database db(live);
    createTables(db);
    Zodiac zodiac;
    NoProgress quiet;
    ASSERT_TRUE(replaceHistory(db, zodiac, manyDraws(100), {1, false}, quiet));

    // The copy cannot be written: its folder does not exist.
    EXPECT_THROW(compactDatabase(db, dir.file("missing/kelvora11S5Tmp.db")), CompactError);
    ASSERT_TRUE(db.isOpen());
    EXPECT_EQ(loadHistory(db, true).size(), 100u);
    EXPECT_FALSE(std::filesystem::exists(platform::pendingName(live)));
    EXPECT_EQ(platform::Database(live).integrityCheck(), "ok");
}

TEST(Maintenance, EntriesAndKeptRows) {
    EXPECT_EQ(cutBackLimit("2016090852"), 16090852);
    EXPECT_EQ(cutBackLimit(" 2016090850 "), 16090850);
    EXPECT_EQ(cutBackLimit("16090852"), std::nullopt); // eight digits would cut to 090852
    EXPECT_EQ(cutBackLimit(""), std::nullopt);
    EXPECT_EQ(cutBackLimit("20160908ab"), std::nullopt);
    EXPECT_EQ(cutBackLimit("2000000000"), 0);

    EXPECT_EQ(periodCount("3"), 3);
    EXPECT_EQ(periodCount(" -2 "), -2);
    EXPECT_EQ(periodCount("0"), 0);
    EXPECT_EQ(periodCount("3.5"), std::nullopt);
    EXPECT_EQ(periodCount(""), std::nullopt);
    EXPECT_EQ(periodCount("99999999999"), std::nullopt);

    std::vector<HistoryRow> rows(4);
    const int ids[] = {16090884, 16090901, 16090902, 16090903};
    for (int i = 0; i < 4; ++i) {
        rows[i].period = ids[i];
        rows[i].values[Number] = {1, 2, 3, 4, static_cast<std::int16_t>(5 + i)};
    }
    EXPECT_EQ(rowsUpTo(rows, 16090884), 1u);
    EXPECT_EQ(rowsUpTo(rows, 16090900), 1u);
    EXPECT_EQ(rowsUpTo(rows, 16090903), 4u);
    EXPECT_EQ(rowsUpTo(rows, 16000000), 0u);
    EXPECT_EQ(backupText(rows, 2), "16090884 01 02 03 04 05 \r\n16090901 01 02 03 04 06 \r\n");
}
