// Commands that only read leave the history file as it was: another process that has the file
// open (the window) sees no commit, so it neither reads the history again nor marks its results
// as belonging to a history that changed.

#include "platform/database.h"
#include "workspace/history_service.h"
#include "workspace/search_service.h"
#include "workspace/workspace_fixture.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <random>

using testing_support::WorkspaceFixture;

namespace {

// 300 random draws, 80 a day from 2016-09-01.
void importRandomDraws(WorkspaceFixture& f) {
    std::mt19937 random(11);
    std::string text;
    for (int i = 0; i < 300; ++i) {
        std::vector<int> all(11);
        std::iota(all.begin(), all.end(), 1);
        std::shuffle(all.begin(), all.end(), random);
        char line[64];
        std::snprintf(line, sizeof line, "1609%02d%02d %02d %02d %02d %02d %02d", 1 + i / 80,
                      1 + i % 80, all[0], all[1], all[2], all[3], all[4]);
        text += std::string(line) + "\n";
    }
    std::ofstream(f.dir.file("draws.txt")) << text;
    history::NoProgress quiet;
    const auto imported =
        app::HistoryService(*f.workspace).importFile(f.dir.file("draws.txt"), quiet);
    ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
}

struct ChildRun {
    int exitCode = -1;
    std::string err;
};

ChildRun runProgram(const WorkspaceFixture& f, const QStringList& command) {
    QProcess child;
    child.start(QString::fromUtf8(K11_EXECUTABLE),
                QStringList{"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                            QString::fromStdString(f.settingsPath())} +
                    command);
    if (!child.waitForFinished(60000)) return {};
    return {child.exitCode(), child.readAllStandardError().toStdString()};
}

} // namespace

TEST(ReadOnlyCommands, CommitNothingThatAnOpenWorkspaceWouldFollow) {
    WorkspaceFixture f;
    importRandomDraws(f);
    auto& w = *f.workspace;
    // The window's own search leaves its state in the file's log, as it does in use.
    app::SearchService searches(w);
    app::SearchResult result;
    ASSERT_TRUE(searches.patternSearch({true, false, false, false, false}, result).ok);
    ASSERT_EQ(w.waitForWrites(), "");
    ASSERT_FALSE(w.followOutsideChanges());

    platform::Database watcher(w.databasePath());
    const std::int64_t version = watcher.dataVersion();
    const std::vector<QStringList> commands = {
        {"history"},
        {"next"},
        {"get", "GsZl"},
        {"games"},
        {"omission", "--type", "number"},
        {"omission", "--type", "sum5", "--json"},
        {"plays", "--play", "r5", "--top", "3"},
        {"bet", "--play", "r5", "--pick-from", "coldest", "--steps", "30", "--random", "5"},
        {"bet", "--play", "q1", "--pick-from", "search", "--steps", "30", "--random", "5"},
        {"shrink", "--play", "r5", "--kill", "11", "--window", "50"},
        {"shrink", "--play", "r7", "--dan", "01", "--backtest", "30", "--tickets"},
        {"backtest", "--steps", "30"},
        {"backtest", "--size", "2", "--steps", "20"},
        {"export-text"},
        {"export-sheet", "history"},
        {"export-sheet", "hits", "--positions", "1,3"},
        {"export-sheet", "tally", "--size", "2"},
    };
    for (const QStringList& command : commands) {
        const ChildRun run = runProgram(f, command);
        const std::string name = command.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 0) << name << ": " << run.err;
        EXPECT_EQ(watcher.dataVersion(), version) << name << " committed to the history file";
        EXPECT_FALSE(w.followOutsideChanges()) << name << " made the workspace read again";
    }
    // A search is no reading command: it stores its state, and the others see that it did.
    ASSERT_EQ(runProgram(f, {"search", "--positions", "2"}).exitCode, 0);
    EXPECT_NE(watcher.dataVersion(), version);
}
