// Two writers whose steps interleave at the worst moments, forced rather than hoped for: another
// writer commits while a workspace reads the history (the hook between its rows and the file's
// version), or changes the history after a workspace read it and before it locks. No draw may be
// lost or stored twice, and a backup must hold every draw that goes.

#include "workspace/workspace_fixture.h"

#include "history/draw_appender.h"
#include "platform/file_io.h"
#include "platform/file_lock.h"
#include "workspace/history_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <sys/wait.h>
#include <unistd.h>

using testing_support::WorkspaceFixture;

namespace {

class RacingWriters : public ::testing::Test {
  protected:
    RacingWriters() {
        f.type("2016090884", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
        std::ofstream(f.dir.file("file.txt")) << testing_support::manyDrawLines(50);
    }

    // A second workspace on the same folder, as another process would have it.
    std::unique_ptr<app::Workspace> another() const {
        auto options = f.options();
        options.lockWait = std::chrono::milliseconds(2000);
        return std::make_unique<app::Workspace>(options);
    }

    // A workspace during whose first reading of the history `other` stores a draw.
    std::unique_ptr<app::Workspace> openWhile(app::Workspace& other,
                                              const std::array<std::string, 5>& draw) {
        auto options = f.options();
        options.historyReadHook = [&other, draw, done = false]() mutable {
            if (std::exchange(done, true)) return;
            const auto added = other.addDraw(draw);
            ASSERT_TRUE(added.ok) << added.message;
        };
        return std::make_unique<app::Workspace>(options);
    }

    // The periods in the file, checked to be all different.
    std::vector<int> storedPeriods() {
        const auto& rows = f.reopen().rows();
        std::vector<int> periods;
        for (const auto& row : rows) periods.push_back(row.period);
        EXPECT_EQ(std::set<int>(periods.begin(), periods.end()).size(), periods.size())
            << "a period is stored twice";
        return periods;
    }

    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    WorkspaceFixture f;
};

} // namespace

TEST_F(RacingWriters, ADrawStoredWhileTheHistoryIsReadIsFollowedBeforeStoring) {
    auto other = another();
    auto late = openWhile(*other, {"11", "10", "09", "08", "07"});
    // Both believe the history ends at 2016090902 and have just typed the next draw.
    const auto added = late->addDraw({"02", "04", "06", "08", "10"});
    ASSERT_TRUE(added.ok) << added.message;
    EXPECT_EQ(added.message, "2016090903");
    EXPECT_EQ(late->rows().size(), 4u);
    EXPECT_EQ(storedPeriods(), (std::vector<int>{16090884, 16090901, 16090902, 16090903}));
}

TEST_F(RacingWriters, BackupsBeforeImportAndClearHoldTheDrawStoredMeanwhile) {
    for (const bool clearing : {false, true}) {
        SCOPED_TRACE(clearing ? "clear" : "import");
        auto other = another();
        auto late = openWhile(*other, {"11", "10", "09", "08", "07"});
        history::NoProgress progress;
        const auto result =
            clearing ? app::HistoryService(*late).clearHistory()
                     : app::HistoryService(*late).importFile(f.dir.file("file.txt"), progress);
        ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
        const std::string backup = read(result.backupFile);
        EXPECT_NE(backup.find("11 10 09 08 07"), std::string::npos) << backup;
        if (clearing) {
            EXPECT_EQ(result.removed, 3u); // the two draws and the one typed meanwhile
        }
        // Start the next round from the two typed draws again.
        f.reopen();
        if (!clearing) {
            ASSERT_TRUE(app::HistoryService(*f.workspace).clearHistory().outcome.ok);
        }
        f.type("2016090884", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    }
}

TEST_F(RacingWriters, AWriterThatReadTheHistoryBeforeAnotherChangedItWritesAfterTheChange) {
    using Operation = std::function<app::HistoryResult(app::HistoryService&)>;
    history::NoProgress progress;
    const std::vector<std::pair<std::string, Operation>> operations = {
        {"rebuild", [&](app::HistoryService& h) { return h.rebuild(progress); }},
        {"trim --last", [&](app::HistoryService& h) { return h.deleteLast("1", progress); }},
        {"trim --to", [&](app::HistoryService& h) { return h.cutBackTo("2016090884", progress); }},
        {"import",
         [&](app::HistoryService& h) { return h.importFile(f.dir.file("file.txt"), progress); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        auto typist = another(); // read the history, then the user typed a draw
        auto* w = f.workspace.get();
        app::HistoryService service(*w);
        const auto done = operation(service);
        ASSERT_TRUE(done.outcome.ok) << done.outcome.message;
        const size_t after = w->rows().size();
        const int newest = w->rows().back().period;

        const auto added = typist->addDraw({"03", "05", "07", "09", "11"});
        ASSERT_TRUE(added.ok) << added.message;
        const auto periods = storedPeriods();
        ASSERT_EQ(periods.size(), after + 1);
        EXPECT_EQ(periods[after - 1], newest);
        EXPECT_GT(periods.back(), newest);
        EXPECT_EQ(f.workspace->rows().back().numbers(), (history::PositionValues{3, 5, 7, 9, 11}));
    }
}

TEST_F(RacingWriters, StoringNeverPutsASecondDrawUnderAPeriodTheFileHolds) {
    // A writer that ignored the lock and its own stale view: the file refuses the period.
    platform::Database db(f.workspace->databasePath());
    history::Zodiac zodiac;
    EXPECT_THROW(history::storeDraw(db, zodiac, 1, 16090901, {1, 2, 3, 4, 5}),
                 history::PeriodTaken);
    EXPECT_THROW(history::storeDraw(db, zodiac, 1, 16090884, {1, 2, 3, 4, 5}),
                 history::PeriodTaken);
    EXPECT_EQ(storedPeriods(), (std::vector<int>{16090884, 16090901}));
}

namespace {

// A process that stores draws and ends without closing anything, as a killed one does: its log
// stays beside the file with the draws in it.
void storeAndVanish(const app::WorkspaceOptions& options,
                    const std::vector<std::array<std::string, 5>>& draws) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        app::Workspace w(options);
        for (const auto& d : draws)
            if (!w.addDraw(d).ok) _exit(1);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace

TEST(DataFolderAtStart, ALogLeftBesideAnotherCopyOfTheFileIsKeptAsideNotApplied) {
    WorkspaceFixture f;
    f.type("2016090801", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    f.workspace.reset();
    const std::string db = f.dataDir() + "/kelvora11S5.db";
    std::filesystem::copy_file(db, f.dir.file("copy.db"));

    // Killed after storing three draws; then the copy of two draws is put back over the file
    // (written into it, as cp does), beside the log the killed process left.
    storeAndVanish(f.options(), {{"01", "03", "05", "07", "09"},
                                 {"02", "04", "06", "08", "10"},
                                 {"11", "01", "02", "03", "04"}});
    ASSERT_GT(std::filesystem::file_size(db + "-wal"), 32u);
    std::filesystem::copy_file(f.dir.file("copy.db"), db,
                               std::filesystem::copy_options::overwrite_existing);
    auto& w = f.reopen();
    EXPECT_EQ(w.rows().size(), 2u);
    const std::string notice = w.takeDatabaseNotice();
    EXPECT_NE(notice.find("kelvora11S5.db-wal"), std::string::npos) << notice;
    EXPECT_EQ(w.database().integrityCheck(), "ok");
    bool kept = false;
    for (const auto& entry : std::filesystem::directory_iterator(f.dataDir()))
        kept |= entry.path().filename().string().rfind("kelvora11S5.db-wal.foreign-", 0) == 0;
    EXPECT_TRUE(kept);

    // The file's own log, left by a killed process, is applied as before.
    f.workspace.reset();
    storeAndVanish(f.options(), {{"01", "03", "05", "07", "09"}});
    auto& again = f.reopen();
    EXPECT_EQ(again.rows().size(), 3u);
    EXPECT_EQ(again.takeDatabaseNotice(), "");
}

TEST(DataFolderAtStart, HalfMadeFilesOfKilledRunsAreRemovedUnlessAnOperationRuns) {
    WorkspaceFixture f;
    f.workspace.reset();
    const std::string replacement = std::string("kelvora11S5.db") + platform::kPendingSuffix;
    // kelvora11S5.db.new: the name earlier versions built a new history under.
    const std::vector<std::string> leftovers = {replacement, replacement + "-journal",
                                                "kelvora11S5Tmp.db-journal", "kelvora11S5.db.new",
                                                "kelvora11S5.db.new-journal"};
    const auto leave = [&] {
        for (const auto& name : leftovers) std::ofstream(f.dataDir() + "/" + name) << "x";
    };
    const auto present = [&] {
        size_t count = 0;
        for (const auto& name : leftovers)
            count += std::filesystem::exists(f.dataDir() + "/" + name) ? 1 : 0;
        return count;
    };
    leave();
    {
        // Another process importing right now: its new file is no leftover.
        auto busy = platform::FileLock::acquire(f.dataDir() + "/kelvora11S5.lock",
                                                std::chrono::milliseconds(0));
        ASSERT_TRUE(busy.held());
        f.reopen();
        EXPECT_EQ(present(), leftovers.size());
        f.workspace.reset();
    }
    f.reopen();
    EXPECT_EQ(present(), 0u);
}
