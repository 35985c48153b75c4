// Stored rows that cannot be a draw of the history (a number out of range, missing, text or
// repeated; a period that is no id, stored twice, or stored after a later one): every command
// names them and refuses to compute from them, none crashes, and the repair saves what it removes
// as stored, removes it and derives the rest afresh in the order of the periods.

#include "cli/commands.h"
#include "platform/database.h"
#include "platform/file_io.h"
#include "workspace/history_service.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class DamagedRows : public ::testing::Test {
  protected:
    // Six draws 2016090801..06; the third is the one damaged.
    void typeHistory(WorkspaceFixture& w) {
        w.type("2016090801", {{"03", "01", "02", "04", "06"},
                              {"07", "01", "02", "04", "06"},
                              {"05", "11", "10", "04", "06"},
                              {"03", "08", "02", "04", "09"},
                              {"05", "11", "10", "04", "07"},
                              {"01", "02", "03", "04", "05"}});
    }

    void SetUp() override { typeHistory(f); }

    // Changes the stored third row behind the program's back, then opens the history again.
    void damage(const std::string& assignment) {
        change("UPDATE Lishi SET " + assignment + " WHERE SQQH = 16090803");
    }
    void change(const std::string& sql) {
        f.workspace.reset();
        {
            platform::Database db(fs::path(f.dataDir()) / "kelvora11S5.db");
            db.exec(sql);
        }
        f.reopen();
    }
    // The text of the newest copy in 历史号码 whose name starts with prefix.
    std::string copy(const std::string& prefix) {
        std::string newest, text;
        for (const auto& entry : fs::directory_iterator(fs::path(f.dataDir()) / "历史号码")) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0 && name > newest) {
                newest = name;
                text = platform::readFile(entry.path().string());
            }
        }
        return text;
    }

    CommandRun run(const std::string& command, const std::vector<std::string>& args) {
        std::ostringstream out, err;
        const int status = app::runCommand(*f.workspace, command, args, out, err);
        return {status, out.str(), err.str()};
    }

    // Every column of Lishi but ID, row by row in period order.
    std::vector<std::vector<std::string>> stored(const std::string& dataDir) {
        platform::Database db((fs::path(dataDir) / "kelvora11S5.db").string());
        auto stmt = db.prepare("SELECT * FROM Lishi ORDER BY SQQH");
        std::vector<std::vector<std::string>> rows;
        while (stmt.step()) {
            std::vector<std::string> row;
            for (int c = 1; c < stmt.columnCount(); ++c)
                row.push_back(stmt.isNullAt(c) ? "NULL" : stmt.textAt(c));
            rows.push_back(row);
        }
        return rows;
    }

    WorkspaceFixture f;
};

const std::vector<std::vector<std::string>> kAnalyses = {
    {"search", "--fixed"},
    {"combo", "--size", "2"},
    {"backtest", "--steps", "2"},
    {"omission", "--type", "number"},
    {"plays", "--play", "r5"},
    {"plays", "--play", "q1"},
    {"bet", "--play", "q1", "--pick-from", "coldest", "--steps", "3", "--random", "0"},
    {"shrink", "--play", "r5", "--sum", "15-40", "--backtest", "3"},
    {"export-sheet", "hits", "--fixed"},
    {"export-text"},
    {"add", "01", "02", "03", "04", "05"},
    {"rebuild"},
};

} // namespace

TEST_F(DamagedRows, EveryKindOfDamageIsNamedAndRefusedByEveryAnalysis) {
    struct Case {
        std::string assignment;
        std::string named;
    };
    const std::vector<Case> cases = {
        {"L3A = 0", "第16090803期的号码已损坏"},
        {"L3A = NULL", "第16090803期的号码已损坏"},
        {"L3A = 'abc'", "第16090803期的号码已损坏"},
        {"L3A = 99999", "第16090803期的号码已损坏"},
        {"L3A = -7", "第16090803期的号码已损坏"},
        {"L3A = 12", "第16090803期的号码已损坏"},
        {"L3A = 5000000000", "第16090803期的号码已损坏"},
        {"L3A = 2.5", "第16090803期的号码已损坏"},
        {"L2A = L1A", "第16090803期的号码已损坏"},
        {"SQQH = 'abc'", "历史号码表第3行的期号已损坏"},
        {"SQQH = -5", "历史号码表第3行的期号已损坏"},
        {"SQQH = 16090800", "历史号码表第3行的期号已损坏"},
        {"SQQH = 1609080301", "历史号码表第3行的期号已损坏"},
        {"SQQH = 16090802", "第16090802期存了两次（历史号码表第3行）"},
        {"SQQH = 16090701", "第16090701期在第16090802期之后才存入"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.assignment);
        damage(c.assignment);
        ASSERT_EQ(f.workspace->damagedRows().size(), 1u);
        for (const auto& command : kAnalyses) {
            SCOPED_TRACE(command[0] + (command.size() > 1 ? " " + command[1] : ""));
            const auto r = run(command[0], {command.begin() + 1, command.end()});
            EXPECT_EQ(r.status, 1);
            EXPECT_EQ(r.out, "");
            EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        }
        // The services refuse too, so the window's handlers do.
        app::SearchResult result;
        const auto refused =
            app::SearchService(*f.workspace).patternSearch({true, true, true, true, true}, result);
        EXPECT_FALSE(refused.ok);
        EXPECT_NE(refused.message.find("repair"), std::string::npos);
        // A command that reads no draw runs, and names them.
        const auto get = run("get", {"GsZl"});
        EXPECT_EQ(get.status, 0);
        EXPECT_NE(get.err.find(c.named), std::string::npos) << get.err;
        // The listing shows every row as stored, as the window's grid does, and names them.
        const auto listed = run("history", {});
        EXPECT_EQ(listed.status, 0);
        EXPECT_EQ(std::count(listed.out.begin(), listed.out.end(), '\n'), 6) << listed.out;
        EXPECT_NE(listed.err.find(c.named), std::string::npos) << listed.err;
        // Back to the sound history for the next case.
        f.workspace.reset();
        fs::remove_all(f.dataDir());
        f.reopen();
        typeHistory(f);
    }
}

TEST_F(DamagedRows, RepairSavesThemAsStoredRemovesThemAndDerivesTheRestAfresh) {
    // What a sound history without the third draw looks like once re-derived.
    WorkspaceFixture expected;
    const std::string lines = expected.dir.file("draws.txt");
    std::ofstream(lines) << "16090801 03 01 02 04 06\n16090802 07 01 02 04 06\n"
                            "16090804 03 08 02 04 09\n16090805 05 11 10 04 07\n"
                            "16090806 01 02 03 04 05\n";
    history::NoProgress quiet;
    ASSERT_TRUE(app::HistoryService(*expected.workspace).importFile(lines, quiet).outcome.ok);
    ASSERT_TRUE(app::HistoryService(*expected.workspace).rebuild(quiet).outcome.ok);
    expected.workspace.reset();

    damage("L3A = 'abc', L5A = NULL");
    const auto repaired = run("repair", {});
    ASSERT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_EQ(repaired.out, "removed 1, kept 5\n");
    EXPECT_TRUE(f.workspace->damagedRows().empty());

    // The copy in 历史号码 holds the row as it was stored.
    EXPECT_EQ(copy("删除-"), "16090803 05 11 abc 04 NULL\r\n");

    std::vector<std::vector<std::string>> want = stored(expected.dataDir());
    std::vector<std::vector<std::string>> got = stored(f.dataDir());
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got, want);

    // Analyses run again; a second repair has nothing to do.
    EXPECT_EQ(run("search", {"--fixed"}).status, 0);
    EXPECT_EQ(run("plays", {"--play", "r5"}).status, 0);
    const auto again = run("repair", {});
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, "removed 0, kept 5\n");
}

TEST_F(DamagedRows, RepairKeepsThePeriodStoredFirstAndDerivesDrawsStoredOutOfOrderInTheirPlace) {
    // What the history is once repaired: 03 gone, 05 and 06 in the order of their periods.
    WorkspaceFixture expected;
    const std::string lines = expected.dir.file("draws.txt");
    std::ofstream(lines) << "16090801 03 01 02 04 06\n16090802 07 01 02 04 06\n"
                            "16090804 03 08 02 04 09\n16090805 01 02 03 04 05\n"
                            "16090806 05 11 10 04 07\n";
    history::NoProgress quiet;
    ASSERT_TRUE(app::HistoryService(*expected.workspace).importFile(lines, quiet).outcome.ok);
    ASSERT_TRUE(app::HistoryService(*expected.workspace).rebuild(quiet).outcome.ok);
    expected.workspace.reset();

    // The third row holds 02 again; the fifth and sixth rows hold each other's periods, so the
    // draw stored as 06 is derived from 04, and 05 from it.
    change("UPDATE Lishi SET SQQH = 16090802, QQH = 16090803 WHERE SQQH = 16090803;"
           "UPDATE Lishi SET SQQH = 16090800 WHERE SQQH = 16090805;"
           "UPDATE Lishi SET SQQH = 16090805 WHERE SQQH = 16090806;"
           "UPDATE Lishi SET SQQH = 16090806 WHERE SQQH = 16090800;");
    ASSERT_EQ(f.workspace->damagedRows().size(), 2u);
    const auto refused = run("search", {"--fixed"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("第16090802期存了两次（历史号码表第3行），第16090805期在第16090806期"
                               "之后才存入"),
              std::string::npos)
        << refused.err;

    const auto repaired = run("repair", {});
    ASSERT_EQ(repaired.status, 0) << repaired.err;
    EXPECT_EQ(repaired.out, "removed 1, kept 5\n");
    EXPECT_TRUE(f.workspace->damagedRows().empty());
    // The second row of 02 as it was stored; the history before, in the order it was stored.
    EXPECT_EQ(copy("删除-"), "16090802 05 11 10 04 06\r\n");
    EXPECT_EQ(copy("备份-"), "16090801 03 01 02 04 06 \r\n16090802 07 01 02 04 06 \r\n"
                             "16090804 03 08 02 04 09 \r\n16090806 05 11 10 04 07 \r\n"
                             "16090805 01 02 03 04 05 \r\n");
    EXPECT_EQ(stored(f.dataDir()), stored(expected.dataDir()));

    // Nothing refuses any more, in this process or the next.
    EXPECT_EQ(run("search", {"--fixed"}).status, 0);
    EXPECT_EQ(run("add", {"01", "02", "03", "04", "05"}).status, 0);
    f.reopen();
    EXPECT_TRUE(f.workspace->damagedRows().empty());
    EXPECT_EQ(run("plays", {"--play", "r5"}).status, 0);
    EXPECT_EQ(run("repair", {}).out, "removed 0, kept 6\n");
}

TEST_F(DamagedRows, AnImportStoresDrawsInTheOrderOfThePeriodsAndNamesARepeatedId) {
    // Newest first: derived as the same draws oldest first are.
    WorkspaceFixture oldestFirst;
    history::NoProgress quiet;
    const std::string up = oldestFirst.dir.file("up.txt");
    std::ofstream(up) << "16090801 03 01 02 04 06\n16090802 07 01 02 04 06\n"
                         "16090803 05 11 10 04 06\n";
    ASSERT_TRUE(app::HistoryService(*oldestFirst.workspace).importFile(up, quiet).outcome.ok);
    oldestFirst.workspace.reset();
    const std::string down = f.dir.file("down.txt");
    std::ofstream(down) << "16090803 05 11 10 04 06\n16090802 07 01 02 04 06\n"
                           "16090801 03 01 02 04 06\n";
    const auto imported = run("import", {down});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_TRUE(f.workspace->damagedRows().empty());
    EXPECT_EQ(stored(f.dataDir()), stored(oldestFirst.dataDir()));

    // A repeated id is kept, as imports always kept them, and named at once.
    const std::string twice = f.dir.file("twice.txt");
    std::ofstream(twice) << "16090801 03 01 02 04 06\n16090802 07 01 02 04 06\n"
                            "16090802 05 11 10 04 06\n";
    const auto kept = run("import", {twice});
    EXPECT_EQ(kept.status, 0);
    EXPECT_EQ(kept.out, "imported 3, skipped 0\n");
    EXPECT_NE(kept.err.find("第16090802期存了两次（历史号码表第3行）"), std::string::npos)
        << kept.err;
    EXPECT_EQ(run("search", {"--fixed"}).status, 1);
    EXPECT_EQ(run("repair", {}).out, "removed 1, kept 2\n");
    EXPECT_EQ(run("search", {"--fixed"}).status, 0);
}
