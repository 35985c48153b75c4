// Two writers on one data folder: an operation that replaces the database file excludes every
// other writer for its whole run, and a writer whose file was replaced meanwhile follows the new
// file instead of writing into the old one. Foreign database files are left as they are.

#include "workspace/workspace_fixture.h"

#include "workspace/history_service.h"

#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

using testing_support::WorkspaceFixture;

namespace {

// Calls a function at the n-th report of progress, in the middle of the work.
class CallAt : public history::Progress {
  public:
    CallAt(int stepAt, std::function<void()> call) : stepAt_(stepAt), call_(std::move(call)) {}
    void setTotal(std::size_t) override {}
    bool advance(std::size_t) override {
        if (++steps_ == stepAt_) call_();
        return true;
    }

  private:
    int stepAt_;
    std::function<void()> call_;
    int steps_ = 0;
};

using testing_support::manyDrawLines;

class ConcurrentWriters : public ::testing::Test {
  protected:
    ConcurrentWriters() {
        f.type("2016090884", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
        std::ofstream(f.dir.file("long.txt")) << manyDrawLines(10000);
    }
    app::WorkspaceOptions otherOptions(std::chrono::milliseconds wait) const {
        auto options = f.options();
        options.lockWait = wait;
        return options;
    }

    WorkspaceFixture f;
};

} // namespace

TEST_F(ConcurrentWriters, AWriterWaitsForAReplacementAndThenWritesIntoTheNewFile) {
    // A second writer on the same folder, opened before the import replaces the file.
    app::Workspace other(otherOptions(std::chrono::milliseconds(50)));
    ASSERT_EQ(other.rows().size(), 2u);
    app::Outcome duringImport;
    CallAt midway(2, [&] { duringImport = other.addDraw({"11", "10", "09", "08", "07"}); });
    const auto imported =
        app::HistoryService(*f.workspace).importFile(f.dir.file("long.txt"), midway);
    ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
    EXPECT_FALSE(duringImport.ok);
    EXPECT_NE(duringImport.message.find("另一个操作"), std::string::npos) << duringImport.message;

    // Once the import is done the other writer follows the new file: its draw goes after the
    // imported history and is there for everyone.
    const auto added = other.addDraw({"11", "10", "09", "08", "07"});
    ASSERT_TRUE(added.ok) << added.message;
    EXPECT_EQ(added.message, "2017020202"); // after the newest imported id, 17020201
    EXPECT_EQ(other.rows().size(), 10001u);
    const auto& reread = f.reopen();
    ASSERT_EQ(reread.rows().size(), 10001u);
    EXPECT_EQ(reread.rows().back().numbers(), (history::PositionValues{11, 10, 9, 8, 7}));
}

TEST_F(ConcurrentWriters, AnotherProcessAddingDuringAnImportLosesNothing) {
    QProcess child;
    CallAt midway(2, [&] {
        child.start(QString::fromUtf8(K11_EXECUTABLE),
                    {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                     QString::fromStdString(f.settingsPath()), "add", "11", "10", "09", "08",
                     "07"});
        ASSERT_TRUE(child.waitForStarted(5000));
        // Long enough for the child to open the old file and wait for the lock.
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
    });
    const auto imported =
        app::HistoryService(*f.workspace).importFile(f.dir.file("long.txt"), midway);
    ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
    ASSERT_TRUE(child.waitForFinished(20000));
    EXPECT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    EXPECT_EQ(child.readAllStandardOutput().toStdString(), "2017020202\n");
    const auto& reread = f.reopen();
    ASSERT_EQ(reread.rows().size(), 10001u);
    EXPECT_EQ(reread.rows().back().numbers(), (history::PositionValues{11, 10, 9, 8, 7}));
}

TEST_F(ConcurrentWriters, ADrawAddedElsewhereIsReadBeforeTheNextOneIsStored) {
    app::Workspace other(otherOptions(std::chrono::milliseconds(1000)));
    ASSERT_TRUE(f.workspace->addDraw({"01", "03", "05", "07", "09"}).ok);
    // other still shows two draws; storing follows the three in the file.
    const auto added = other.addDraw({"02", "04", "06", "08", "10"});
    ASSERT_TRUE(added.ok) << added.message;
    EXPECT_EQ(added.message, "2016090903");
    EXPECT_EQ(other.rows().size(), 4u);
}

TEST(ForeignDatabase, AFileThatIsNotOursIsLeftAsItIsAndSaysWhy) {
    const std::vector<std::pair<std::string, std::string>> files = {
        {"CREATE TABLE Lishi (ID INTEGER PRIMARY KEY, SQQH INTEGER, Note TEXT)", "缺少"},
        {"CREATE TABLE Accounts (Name TEXT, Balance INTEGER)", "没有历史号码表Lishi"}};
    for (const auto& [schema, reason] : files) {
        WorkspaceFixture f;
        f.workspace.reset();
        std::filesystem::remove(f.dataDir() + "/kelvora11S5.db");
        {
            platform::Database db(f.dataDir() + "/kelvora11S5.db");
            db.exec(schema);
        }
        const auto read = [&] {
            std::ifstream in(f.dataDir() + "/kelvora11S5.db", std::ios::binary);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        const std::string before = read();
        const auto& w = f.reopen();
        EXPECT_FALSE(w.databaseOpen());
        EXPECT_NE(w.databaseProblem().find(reason), std::string::npos) << w.databaseProblem();
        EXPECT_EQ(read(), before);
    }
}
