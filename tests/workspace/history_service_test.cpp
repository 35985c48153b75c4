// The history operations as the window and the command line call them: import, rebuild,
// cut-backs, deleting the newest draw, clearing and compaction, each leaving the history as it
// was when it fails or is cancelled.

#include "workspace/workspace_fixture.h"

#include "history/history_table.h"
#include "platform/file_io.h"
#include "support/test_progress.h"
#include "workspace/history_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/resource.h>
#include <sys/stat.h>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

std::vector<int> periods(const app::Workspace& w) {
    std::vector<int> out;
    for (const auto& row : w.rows()) out.push_back(row.period);
    return out;
}

// The periods as a fresh start reads them from the database file.
std::vector<int> storedPeriods(WorkspaceFixture& f) {
    return periods(f.reopen());
}

void write(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

using testing_support::FailAt;
using testing_support::StopAt;

using testing_support::manyDrawLines;

class HistoryServiceTest : public ::testing::Test {
  protected:
    HistoryServiceTest() {
        f.type("2016090884", {{"01", "02", "03", "04", "05"},
                              {"06", "07", "08", "09", "10"},
                              {"11", "01", "02", "03", "04"},
                              {"05", "06", "07", "08", "09"}});
    }
    app::Workspace& w() { return *f.workspace; }
    app::HistoryService service() { return app::HistoryService(w()); }
    std::string file(const std::string& name) { return f.dir.file(name); }

    WorkspaceFixture f;
    history::NoProgress quiet;
    const std::vector<int> typed = {16090884, 16090901, 16090902, 16090903};
};

} // namespace

TEST_F(HistoryServiceTest, ImportReplacesTheHistoryAndRefreshesTheWorkspace) {
    ASSERT_EQ(periods(w()), typed);
    write(file("DRAWS.TXT"), "期号 号码\n"
                             "2016100152 05 03 08 01 11\n"
                             "16100150 01 02 03 04 05\n"
                             "06 07 08 09 10\n"
                             "16100153 01 02 03\n");
    const auto result = service().importFile(file("DRAWS.TXT"), quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.stored, 3u);
    ASSERT_EQ(result.reported.size(), 1u);
    EXPECT_EQ(result.reported[0].line, 5);
    EXPECT_NE(result.outcome.message.find("已读入3期"), std::string::npos);
    EXPECT_NE(result.outcome.message.find("第5行"), std::string::npos);

    // Ordered by period whatever the order of the lines; the next period follows the newest.
    EXPECT_EQ(periods(w()), (std::vector<int>{16100150, 16100151, 16100152}));
    // Draw 52 is past the 42 of a day today: the next is the next day's first.
    EXPECT_EQ(w().nextPeriodText(), "2016100201");
    EXPECT_EQ(w().newestNextPeriod(), 16100153);
    EXPECT_EQ(w().spanEnd(), "2016100152");
    EXPECT_EQ(storedPeriods(f), (std::vector<int>{16100150, 16100151, 16100152}));
}

TEST_F(HistoryServiceTest, AnImportThatCannotFinishLeavesTheHistoryAsItWas) {
    // Not a text file name, a file that is not there, a folder, a named pipe, texts without a
    // single draw (empty, blank and header lines only, unreadable lines, digits of another
    // script).
    write(file("draws.text"), "16100150 01 02 03 04 05\n");
    fs::create_directory(file("folder.txt"));
    ASSERT_EQ(::mkfifo(file("pipe.txt").c_str(), 0600), 0);
    write(file("notes.txt"), "买了3注\n第12期 5 3 8\n");
    write(file("empty.txt"), "");
    write(file("blank.txt"), "\r\n   \r\n期号 号码\r\n");
    write(file("arabic.txt"), "١٦٠٩٠٨٥٢ ٠٥ ٠٣ ٠٨ ٠١ ١١\n");
    for (const auto& path :
         {file("draws.text"), file("missing.txt"), file("folder.txt"), file("pipe.txt"),
          file("notes.txt"), file("empty.txt"), file("blank.txt"), file("arabic.txt")}) {
        const auto result = service().importFile(path, quiet);
        EXPECT_FALSE(result.outcome.ok) << path;
        EXPECT_NE(result.outcome.message.find("历史号码没有改变"), std::string::npos) << path;
        EXPECT_EQ(periods(w()), typed);
    }

    // Cancelled halfway through a long file.
    write(file("long.txt"), manyDrawLines(10000));
    StopAt cancel(3);
    const auto cancelled = service().importFile(file("long.txt"), cancel);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.outcome.ok);
    EXPECT_EQ(periods(w()), typed);
    EXPECT_EQ(w().nextPeriodText(), "2016090904");

    // The database fails in the later part of the file.
    FailAt failure(4, "disk I/O error");
    const auto failed = service().importFile(file("long.txt"), failure);
    EXPECT_FALSE(failed.outcome.ok);
    EXPECT_FALSE(failed.changed);
    EXPECT_NE(failed.outcome.message.find("disk I/O error"), std::string::npos);
    EXPECT_EQ(periods(w()), typed);
    EXPECT_EQ(storedPeriods(f), typed);
}

TEST_F(HistoryServiceTest, FullWidthDigitsAndSpacesReadAsTheirPlainForms) {
    // As a Chinese input method types them in full-width mode.
    write(file("wide.txt"), "１６０９０８５２　０５　０３　０８　０１　１１\r\n"
                            "16090853 ０１，０２，０３，０４，０５\r\n");
    const auto result = service().importFile(file("wide.txt"), quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(periods(w()), (std::vector<int>{16090852, 16090853}));
    EXPECT_EQ(w().rows()[0].numbers(), (history::PositionValues{5, 3, 8, 1, 11}));
    EXPECT_EQ(w().rows()[1].numbers(), (history::PositionValues{1, 2, 3, 4, 5}));
}

TEST_F(HistoryServiceTest, ACutBackOverDamagedRowsRefusesAndNamesThem) {
    // Rows whose numbers the backup file cannot carry: another program's writing, a bad disk.
    w().database().exec("UPDATE Lishi SET L2A = 12 WHERE SQQH = 16090901");
    w().database().exec("UPDATE Lishi SET L5A = NULL WHERE SQQH = 16090902");
    f.reopen();
    const auto result = service().deleteLast("1", quiet);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_FALSE(result.changed);
    EXPECT_NE(result.outcome.message.find("2016090901、2016090902"), std::string::npos)
        << result.outcome.message;
    EXPECT_EQ(storedPeriods(f), typed);
    // Cutting back to before the damaged rows keeps only sound ones: that is allowed.
    const auto cut = service().cutBackTo("2016090884", quiet);
    ASSERT_TRUE(cut.outcome.ok) << cut.outcome.message;
    EXPECT_EQ(storedPeriods(f), (std::vector<int>{16090884}));
}

TEST_F(HistoryServiceTest, ImportAndClearSaveTheHistoryTheyReplaceAndKeepTheNewestTen) {
    write(file("two.txt"), "16100150 01 02 03 04 05\n16100151 06 07 08 09 10\n");
    const auto imported = service().importFile(file("two.txt"), quiet);
    ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
    ASSERT_FALSE(imported.backupFile.empty());
    EXPECT_NE(imported.outcome.message.find(imported.backupFile), std::string::npos);
    EXPECT_EQ(fs::path(imported.backupFile).parent_path(), fs::path(service().importFolder()));
    // The saved file imports back to the history it holds.
    const auto back = service().importFile(imported.backupFile, quiet);
    ASSERT_TRUE(back.outcome.ok) << back.outcome.message;
    EXPECT_EQ(periods(w()), typed);

    // A cancelled import leaves no copy behind.
    const auto count = [&] {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(service().importFolder()))
            n += entry.path().filename().string().rfind("备份-", 0) == 0 ? 1 : 0;
        return n;
    };
    const size_t before = count();
    write(file("long.txt"), manyDrawLines(5000));
    StopAt cancel(2);
    EXPECT_TRUE(service().importFile(file("long.txt"), cancel).cancelled);
    EXPECT_EQ(count(), before);

    const auto cleared = service().clearHistory();
    ASSERT_TRUE(cleared.outcome.ok);
    EXPECT_NE(cleared.outcome.message.find(cleared.backupFile), std::string::npos);
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(service().importFile(file("two.txt"), quiet).outcome.ok);
        ASSERT_TRUE(service().clearHistory().outcome.ok);
    }
    EXPECT_EQ(count(), app::HistoryService::kKeptBackups);
    // Clearing an empty history has nothing to save.
    EXPECT_TRUE(service().clearHistory().backupFile.empty());
}

TEST_F(HistoryServiceTest, RebuildReDerivesEveryDrawUnderChangedBases) {
    w().setSegmentBase(0);
    w().setZodiacOrder(true);
    w().setZodiacBase(0);
    const auto result = service().rebuild(quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.stored, 4u);
    EXPECT_EQ(result.removed, 0u);
    auto& reopened = f.reopen();
    reopened.ensureKinds({history::Segment, history::ZodiacKind});
    EXPECT_EQ(periods(reopened), typed);
    EXPECT_EQ(reopened.rows()[0].values[history::Segment],
              (history::PositionValues{0, 0, 0, 0, 1}));
    for (const auto& row : reopened.rows())
        for (auto v : row.values[history::ZodiacKind]) EXPECT_TRUE(v >= 0 && v <= 11) << v;
}

TEST_F(HistoryServiceTest, TheSampleHistoryIsInstalledOnceAndImportsCleanly) {
    const std::string folder = service().importFolder();
    EXPECT_EQ(fs::path(folder), fs::path(f.dataDir()) / "历史号码");
    const auto sample = fs::path(folder) / "示例-模拟数据.txt";
    ASSERT_TRUE(fs::exists(sample));
    const auto result = service().importFile(sample.string(), quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.stored, 40u * 84u);
    EXPECT_TRUE(result.reported.empty());

    // A user who removed the sample does not get it back.
    fs::remove(sample);
    service().importFolder();
    EXPECT_FALSE(fs::exists(sample));
}

TEST_F(HistoryServiceTest, DeleteTheLastPeriodsAcrossADay) {
    const auto result = service().deleteLast("3", quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.removed, 3u);
    EXPECT_EQ(periods(w()), std::vector<int>{16090884});
    EXPECT_EQ(w().nextPeriodText(), "2016090901");
    EXPECT_EQ(w().rows().back().nextPeriod, 16090885);
    EXPECT_TRUE(fs::exists(service().compactionPath()));
    std::ifstream backup(service().backupPath(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(backup), {}),
              "16090884 01 02 03 04 05 \r\n");
    EXPECT_EQ(storedPeriods(f), std::vector<int>{16090884});

    // More than there are: the history is emptied (the window asks as for a clear).
    const auto plan = service().planDeleteLast("9");
    EXPECT_TRUE(plan.moreThanStored);
    EXPECT_EQ(
        plan.question(),
        "历史号码只有1期（2016090884至2016090884），将全部删除。确定要清空所有的历史号码吗？");
    EXPECT_TRUE(service().deleteLast("9", quiet).outcome.ok);
    EXPECT_TRUE(w().rows().empty());
    EXPECT_EQ(w().spanEnd(), "");
}

TEST_F(HistoryServiceTest, DeletionsSayWhatGoesAndKeepACopyOfIt) {
    const auto plan = service().planCutBack("2016090884");
    EXPECT_EQ(plan.remove, 3u);
    EXPECT_EQ(plan.question(), "将删除3期历史号码（2016090901至2016090903），确定吗？");
    EXPECT_FALSE(service().planCutBack("abc").outcome.ok);
    EXPECT_EQ(service().planCutBack(service().cutBackDefault()).remove, 0u);
    EXPECT_EQ(service().planDeleteLast("2").first, "2016090902");

    // The copy holds the removed draws, the result names it, and the kept draws stay in lsbf.txt.
    const auto newest = service().deleteNewest();
    ASSERT_TRUE(newest.outcome.ok);
    EXPECT_EQ(platform::readFile(newest.backupFile), "16090903 05 06 07 08 09 \r\n");
    EXPECT_NE(newest.outcome.message.find(newest.backupFile), std::string::npos);
    const auto cut = service().cutBackTo("2016090884", quiet);
    ASSERT_TRUE(cut.outcome.ok) << cut.outcome.message;
    EXPECT_EQ(platform::readFile(cut.backupFile),
              "16090901 06 07 08 09 10 \r\n16090902 11 01 02 03 04 \r\n");
    EXPECT_NE(cut.outcome.message.find(cut.backupFile), std::string::npos);
    EXPECT_EQ(fs::path(cut.backupFile).parent_path(), fs::path(service().importFolder()));
    // A cut-back that removes nothing leaves no copy.
    EXPECT_TRUE(service().cutBackTo("2016090884", quiet).backupFile.empty());

    // A cancelled deletion changes nothing and leaves no copy behind.
    write(file("long.txt"), manyDrawLines(3000));
    ASSERT_TRUE(service().importFile(file("long.txt"), quiet).outcome.ok);
    const auto copies = [&] {
        size_t n = 0;
        for (const auto& entry : fs::directory_iterator(service().importFolder()))
            n += entry.path().filename().string().rfind("删除-", 0) == 0 ? 1 : 0;
        return n;
    };
    const size_t before = copies();
    StopAt cancel(2);
    EXPECT_TRUE(service().deleteLast("10", cancel).cancelled);
    EXPECT_EQ(copies(), before);
    for (int i = 0; i < 12; ++i) ASSERT_TRUE(service().deleteNewest().outcome.ok);
    EXPECT_EQ(copies(), app::HistoryService::kKeptDeletions);
}

TEST_F(HistoryServiceTest, EntriesThatAreNoCountOrPeriodChangeNothing) {
    for (const std::string entry : {"", "0", "-2", "abc", "1.5"})
        EXPECT_FALSE(service().deleteLast(entry, quiet).outcome.ok) << entry;
    for (const std::string entry : {"", "abc", "16090852", "2000000000"})
        EXPECT_FALSE(service().cutBackTo(entry, quiet).outcome.ok) << entry;
    EXPECT_EQ(periods(w()), typed);
    EXPECT_FALSE(fs::exists(service().backupPath()));
}

TEST_F(HistoryServiceTest, CutBackKeepsUpToThePeriodAndReDerivesUnderTheCurrentSettings) {
    EXPECT_EQ(service().cutBackDefault(), "2016090903");
    auto result = service().cutBackTo("2016090901", quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(periods(w()), (std::vector<int>{16090884, 16090901}));
    EXPECT_EQ(w().rows().back().nextPeriod, 16090902);

    // With the default entry every draw stays and is derived again: a segment base changed
    // since the draws were typed shows in every row, and the rebuild fills txtHisPreLst.
    w().setSegmentBase(0);
    result = service().cutBackTo(service().cutBackDefault(), quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.removed, 0u);
    auto& reopened = f.reopen();
    reopened.ensureKinds({history::Segment});
    ASSERT_EQ(reopened.rows().size(), 2u);
    EXPECT_EQ(reopened.rows()[0].values[history::Segment],
              (history::PositionValues{0, 0, 0, 0, 1}));
    EXPECT_EQ(reopened.rows()[1].values[history::Segment],
              (history::PositionValues{1, 1, 1, 2, 2}));
}

TEST_F(HistoryServiceTest, ACancelledRebuildLeavesTheHistoryAsItWas) {
    write(file("long.txt"), manyDrawLines(5000));
    ASSERT_TRUE(service().importFile(file("long.txt"), quiet).outcome.ok);
    StopAt cancel(2);
    const auto result = service().deleteLast("10", cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(w().rows().size(), 5000u);

    // A backup file that cannot be read stops the rebuild before anything changes.
    fs::remove(service().backupPath());
    EXPECT_FALSE(service().rebuildFromBackup(quiet).outcome.ok);
    EXPECT_EQ(w().rows().size(), 5000u);
    EXPECT_EQ(f.reopen().rows().size(), 5000u);
}

TEST_F(HistoryServiceTest, AReplacementWhoseNewFileCannotBeWrittenChangesNothing) {
    const std::string live = w().databasePath();
    const std::string scratch = platform::pendingName(live);
    const std::string bytes = platform::readFile(live);
    write(file("long.txt"), manyDrawLines(3000));
    fs::create_directories(scratch + "/inside");

    const auto imported = service().importFile(file("long.txt"), quiet);
    EXPECT_FALSE(imported.outcome.ok);
    EXPECT_FALSE(imported.changed);
    EXPECT_NE(imported.outcome.message.find("历史号码没有改变"), std::string::npos);
    const auto cut = service().deleteLast("2", quiet);
    EXPECT_FALSE(cut.outcome.ok);
    EXPECT_NE(cut.outcome.message.find("历史号码没有改变"), std::string::npos);
    EXPECT_EQ(platform::readFile(live), bytes);
    EXPECT_EQ(periods(w()), typed);

    // The workspace goes on: a typed draw is stored, and with the way clear the cut-back works.
    fs::remove_all(scratch);
    ASSERT_TRUE(w().addDraw({"01", "03", "05", "07", "09"}).ok);
    const auto again = service().deleteLast("2", quiet);
    ASSERT_TRUE(again.outcome.ok) << again.outcome.message;
    EXPECT_FALSE(fs::exists(scratch));
    EXPECT_EQ(platform::readFile(service().compactionPath()), platform::readFile(live));
    EXPECT_EQ(storedPeriods(f), (std::vector<int>{16090884, 16090901, 16090902}));
}

TEST_F(HistoryServiceTest, DeleteNewestClearAndCompaction) {
    auto result = service().deleteNewest();
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.outcome.message.rfind("已删除第2016090903期。删除的历史号码已保存到", 0), 0u);
    EXPECT_EQ(periods(w()), (std::vector<int>{16090884, 16090901, 16090902}));
    EXPECT_EQ(w().nextPeriodText(), "2016090903");
    EXPECT_TRUE(fs::exists(service().compactionPath()));

    result = service().clearHistory();
    ASSERT_TRUE(result.outcome.ok);
    EXPECT_EQ(result.removed, 3u);
    EXPECT_TRUE(w().rows().empty());
    EXPECT_EQ(w().nextPeriodText(), "");
    EXPECT_TRUE(storedPeriods(f).empty());

    // An empty history: nothing to delete, the file is still compacted.
    fs::remove(service().compactionPath());
    result = service().deleteNewest();
    EXPECT_TRUE(result.outcome.ok);
    EXPECT_EQ(result.removed, 0u);
    EXPECT_TRUE(fs::exists(service().compactionPath()));
    EXPECT_TRUE(w().databaseOpen());
}

TEST(HistoryServiceNames, TheTxtRule) {
    EXPECT_TRUE(app::HistoryService::isTextFileName("/a/DRAWS.TXT"));
    EXPECT_TRUE(app::HistoryService::isTextFileName("/a/draws.txt"));
    EXPECT_FALSE(app::HistoryService::isTextFileName("/a/draws.text"));
    EXPECT_FALSE(app::HistoryService::isTextFileName("/a.txt/draws"));
}

namespace {

// The most memory this process has held at once, in bytes.
long peakMemory() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024L;
}

} // namespace

TEST(ImportMemory, HugeFilesAreRefusedAtOnceAndEmptyLinesCostNothing) {
    WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}});
    history::NoProgress progress;
    app::HistoryService service(*f.workspace);
    constexpr long kMiB = 1024 * 1024;

    // A sparse file of 1 GB: refused before a byte is read, naming the limit.
    const std::string sparse = f.dir.file("huge.txt");
    std::ofstream(sparse).close();
    std::filesystem::resize_file(sparse, 1024 * kMiB);
    long before = peakMemory();
    auto result = service.importFile(sparse, progress);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_NE(result.outcome.message.find("64MB"), std::string::npos) << result.outcome.message;
    EXPECT_LT(peakMemory() - before, 16 * kMiB);

    // 40 MB of empty lines (and one endless line) within the limit: the memory is the file's
    // bytes and little more.
    const std::string blank = f.dir.file("blank.txt");
    {
        std::ofstream out(blank, std::ios::binary);
        const std::string lines(kMiB, '\n');
        for (int i = 0; i < 36; ++i) out << lines;
        out << std::string(4 * kMiB, '7') << "\n";
    }
    before = peakMemory();
    result = service.importFile(blank, progress);
    EXPECT_FALSE(result.outcome.ok);
    EXPECT_LT(peakMemory() - before, 80 * kMiB);
    EXPECT_EQ(f.workspace->rows().size(), 1u);
}
