// The text columns a command line reads while its history loads are used only when they were
// read from the very file and rows the history came from.

#include "search/column_cache.h"
#include "workspace/history_service.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <fstream>

using testing_support::WorkspaceFixture;

namespace {

void importDraws(WorkspaceFixture& f, const std::string& numbers, int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(testing_support::syntheticPeriod(i)) + " " + numbers + "\n";
    std::ofstream(f.dir.file("draws.txt")) << text;
    history::NoProgress quiet;
    ASSERT_TRUE(
        app::HistoryService(*f.workspace).importFile(f.dir.file("draws.txt"), quiet).outcome.ok);
}

search::ColumnReading readAhead(const std::string& path) {
    return search::ColumnCache::readFileAhead(path, history::Number, std::promise<void>());
}

} // namespace

TEST(ColumnReadAhead, ColumnsOfAnotherFileOrOtherRowsAreNotTaken) {
    // Two files with the same ids and other draws.
    WorkspaceFixture a, b;
    importDraws(a, "01 02 03 04 05", 30);
    importDraws(b, "07 08 09 10 11", 30);
    auto& w = *b.workspace;
    const std::string own = w.databasePath();

    for (const std::string& path : {a.workspace->databasePath(), own}) {
        search::ColumnCache cache(w.history());
        cache.adopt(readAhead(path));
        const auto column = cache.column(w.database(), "txtHisLst");
        ASSERT_EQ(column->size(), 30u) << path;
        EXPECT_EQ(column->at(29), "07 08 09 10 11 ") << path;
    }

    // Read before the file was replaced by an import: the new file's texts are read.
    auto early = readAhead(own);
    early.wait();
    importDraws(b, "02 04 06 08 10", 30);
    search::ColumnCache cache(w.history());
    cache.adopt(std::move(early));
    // (txtHisLst holds the draw before each row's.)
    EXPECT_EQ(cache.column(w.database(), "txtHisLst")->at(1), "02 04 06 08 10 ");

    // Fewer rows read than the history holds: the rest are read on their own.
    auto shorter = readAhead(own);
    shorter.wait();
    ASSERT_TRUE(w.addDraw({"03", "05", "07", "09", "11"}, "").ok);
    search::ColumnCache grown(w.history());
    grown.adopt(std::move(shorter));
    const auto column = grown.column(w.database(), "txtHisLst");
    ASSERT_EQ(column->size(), 31u);
    EXPECT_EQ(column->at(30), "02 04 06 08 10 ");

    // No file: nothing is read, and nothing waits.
    EXPECT_FALSE(readAhead(a.dir.file("none.db")).valid());
}
