// The exports of the history and of a search's grids, read back from the written files, and their
// commands.

#include "cli/commands.h"
#include "platform/file_io.h"
#include "support/test_progress.h"
#include "support/workbook_reader.h"
#include "workspace/export_service.h"
#include "workspace/workspace_fixture.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>

using testing_support::readWorkbook;
using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

// 广东 shows the stored eight-digit ids in the history grid.
const std::string kGuangdong = "[IniSetting]\nGsZl=23\n";

void typeHistory(WorkspaceFixture& f, const std::string& first = "2016090801") {
    f.type(first, {{"03", "01", "02", "04", "06"},
                   {"07", "01", "02", "04", "06"},
                   {"03", "01", "02", "04", "06"},
                   {"05", "11", "10", "04", "06"},
                   {"03", "01", "02", "04", "06"}});
}

std::vector<std::string> texts(std::initializer_list<const char*> items) {
    return {items.begin(), items.end()};
}

} // namespace

TEST(TextExport, WritesTheGridLinesUnderTheNewestPeriodsName) {
    WorkspaceFixture f(kGuangdong);
    app::ExportService service(*f.workspace);
    const auto refused = service.exportText();
    EXPECT_FALSE(refused.outcome.ok);
    EXPECT_NE(refused.outcome.message.find("没有可以导出"), std::string::npos);
    EXPECT_TRUE(refused.path.empty());

    f.type("2009090830", {{"07", "01", "11", "02", "03"}, {"10", "09", "08", "05", "04"}});
    const auto first = service.exportText();
    ASSERT_TRUE(first.outcome.ok) << first.outcome.message;
    EXPECT_EQ(first.path,
              (fs::path(f.dataDir()) / "更新至09090831期广东11选5历史号码.txt").string());
    EXPECT_EQ(platform::readFile(first.path),
              "09090830 07 01 11 02 03 \r\n09090831 10 09 08 05 04 \r\n");

    // A new draw gives a second file; the first stays as it was.
    f.type("", {{"01", "02", "03", "04", "05"}});
    const auto second = service.exportText();
    ASSERT_TRUE(second.outcome.ok);
    EXPECT_EQ(fs::path(second.path).filename(), "更新至09090832期广东11选5历史号码.txt");
    EXPECT_EQ(platform::readFile(second.path).substr(52), "09090832 01 02 03 04 05 \r\n");
    EXPECT_EQ(platform::readFile(first.path).size(), 52u);

    // The games with ten-digit ids write them so; the file name keeps eight digits. Each game
    // has its own history and file, also when both end at the same period.
    ASSERT_TRUE(f.workspace->setSetting("GsZl", "22").ok);
    f.type("2009090830", {{"07", "01", "11", "02", "03"},
                          {"10", "09", "08", "05", "04"},
                          {"01", "02", "03", "04", "05"}});
    const auto tenDigit = service.exportText();
    EXPECT_EQ(fs::path(tenDigit.path).filename(), "更新至09090832期江西11选5历史号码.txt");
    EXPECT_EQ(platform::readFile(tenDigit.path).substr(0, 28), "2009090830 07 01 11 02 03 \r\n");
    EXPECT_EQ(platform::readFile(second.path).substr(0, 26), "09090830 07 01 11 02 03 \r\n");

    // A write that fails keeps the earlier file and says where.
    fs::create_directory(platform::pendingName(tenDigit.path));
    const auto failed = service.exportText();
    EXPECT_FALSE(failed.outcome.ok);
    EXPECT_NE(failed.outcome.message.find(tenDigit.path), std::string::npos);
    EXPECT_EQ(platform::readFile(tenDigit.path).substr(0, 28), "2009090830 07 01 11 02 03 \r\n");
}

TEST(SheetExport, HistoryGridWithItsHeaderAsTheWindowShowsIt) {
    WorkspaceFixture f(kGuangdong);
    typeHistory(f, "2009090801");
    app::ExportService service(*f.workspace);
    history::NoProgress quiet;
    const auto result = service.exportHistorySheet(quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(result.path, (fs::path(f.dataDir()) / "lishi.xlsx").string());

    const auto book = readWorkbook(result.path);
    EXPECT_EQ(book.sheetNames, texts({"Sheet1"}));
    EXPECT_EQ(book.rowCount(), 6);
    EXPECT_EQ(book.row(1), texts({"期号", "第1码", "第2码", "第3码", "第4码", "第5码"}));
    EXPECT_EQ(book.row(5), texts({"09090804", "5", "11", "10", "4", "6"}));
    EXPECT_FALSE(book.at(5, 1).number); // the leading zero stays
    EXPECT_TRUE(book.at(5, 2).number);

    // Cancelled, or failing: the earlier workbook stays. (The same draws in 江西's history.)
    ASSERT_TRUE(f.workspace->setSetting("GsZl", "22").ok);
    typeHistory(f, "2009090801");
    testing_support::StopAt stop(1);
    const auto cancelled = service.exportHistorySheet(stop);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.outcome.ok);
    EXPECT_EQ(stop.total_, 6u);
    EXPECT_EQ(readWorkbook(result.path).at(5, 1).value, "09090804");

    fs::create_directory(platform::pendingName(result.path));
    const auto failed = service.exportHistorySheet(quiet);
    EXPECT_FALSE(failed.outcome.ok);
    EXPECT_FALSE(failed.cancelled);
    EXPECT_EQ(readWorkbook(result.path).at(5, 1).value, "09090804");
    fs::remove(platform::pendingName(result.path));

    ASSERT_TRUE(service.exportHistorySheet(quiet).outcome.ok);
    const auto tenDigit = readWorkbook(result.path);
    EXPECT_TRUE(tenDigit.at(5, 1).number);
    EXPECT_EQ(tenDigit.at(5, 1).value, "2009090804");
}

TEST(SheetExport, HitAndResultGridsOfASearch) {
    WorkspaceFixture f;
    app::ExportService service(*f.workspace);

    // Before any search: the header rows only.
    const app::SearchResult none;
    const auto hitsHeader = service.exportHitsSheet(none);
    ASSERT_TRUE(hitsHeader.outcome.ok) << hitsHeader.outcome.message;
    EXPECT_EQ(fs::path(hitsHeader.path).filename(), "Jiansuo.xlsx");
    auto book = readWorkbook(hitsHeader.path);
    EXPECT_EQ(book.rowCount(), 1);
    EXPECT_EQ(book.row(1),
              texts({"期号", "第1码", "第2码", "第3码", "第4码", "第5码", "上期开奖"}));
    const auto tallyHeader = service.exportTallySheet(none);
    EXPECT_EQ(fs::path(tallyHeader.path).filename(), "Jieguo.xlsx");
    book = readWorkbook(tallyHeader.path);
    EXPECT_EQ(book.rowCount(), 1);
    EXPECT_EQ(book.row(1), texts({"序号", "结果", "出现次数", "百分比"}));

    typeHistory(f);
    auto& w = *f.workspace;
    w.setPositionMode(search::PositionMode::Fixed);
    w.setSpan("2016090801", "2016090805");
    app::SearchService search(w);
    app::SearchResult result;
    ASSERT_TRUE(search.patternSearch({true, false, false, false, false}, result).ok);

    ASSERT_TRUE(service.exportHitsSheet(result).outcome.ok);
    book = readWorkbook(hitsHeader.path);
    ASSERT_EQ(book.rowCount(), 3);
    EXPECT_EQ(book.row(2), texts({"2016090802", "7", "1", "2", "4", "6", "03 01 02 04 06 "}));
    EXPECT_FALSE(book.at(2, 7).number);

    ASSERT_TRUE(service.exportTallySheet(result).outcome.ok);
    book = readWorkbook(tallyHeader.path);
    ASSERT_EQ(book.rowCount(), static_cast<int>(result.tally.byCount.size()) + 1);
    for (size_t row = 0; row < result.tally.byCount.size(); ++row)
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(book.at(static_cast<int>(row) + 2, c + 1).value,
                      app::resultGridCell(result, row, c));
    EXPECT_EQ(app::resultGridCell(result, 0, 3), "20.000%");
    EXPECT_EQ(book.at(2, 4).value, "0.2");
    EXPECT_EQ(book.at(2, 4).format, "0.000%");
}

namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

CliRun run(WorkspaceFixture& f, const std::string& command, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = app::runCommand(*f.workspace, command, args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace

TEST(ExportCommands, PrintTheWrittenPathOrWhyNot) {
    WorkspaceFixture f;
    const auto empty = run(f, "export-text", {});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.out, "");
    EXPECT_NE(empty.err.find("没有可以导出"), std::string::npos);
    const auto emptySheet = run(f, "export-sheet", {"history"});
    EXPECT_EQ(emptySheet.status, 1);
    EXPECT_EQ(emptySheet.out, "");
    EXPECT_FALSE(fs::exists(fs::path(f.dataDir()) / "lishi.xlsx"));

    typeHistory(f);
    const fs::path data = f.dataDir();
    EXPECT_EQ(run(f, "export-text", {}).out,
              (data / "更新至16090805期江西11选5历史号码.txt").string() + "\n");
    EXPECT_EQ(run(f, "export-text", {"x"}).status, 2);

    EXPECT_EQ(run(f, "export-sheet", {"history"}).out, (data / "lishi.xlsx").string() + "\n");
    EXPECT_EQ(readWorkbook((data / "lishi.xlsx").string()).rowCount(), 6);

    const auto hits =
        run(f, "export-sheet", {"hits", "--fixed", "--positions", "1", "--from", "2016090801"});
    EXPECT_EQ(hits.status, 0) << hits.err;
    EXPECT_EQ(hits.out, (data / "Jiansuo.xlsx").string() + "\n");
    EXPECT_EQ(readWorkbook((data / "Jiansuo.xlsx").string()).row(2)[0], "2016090802");

    // With --size, the combination search.
    const auto tally = run(f, "export-sheet", {"tally", "--fixed", "--size", "1"});
    EXPECT_EQ(tally.status, 0) << tally.err;
    EXPECT_EQ(tally.out, (data / "Jieguo.xlsx").string() + "\n");
    EXPECT_EQ(readWorkbook((data / "Jieguo.xlsx").string()).row(1),
              texts({"序号", "结果", "出现次数", "百分比"}));

    EXPECT_EQ(run(f, "export-sheet", {}).status, 2);
    EXPECT_EQ(run(f, "export-sheet", {"grid"}).status, 2);
    EXPECT_EQ(run(f, "export-sheet", {"history", "--fixed"}).status, 2);
    EXPECT_EQ(run(f, "export-sheet", {"hits", "--json"}).status, 2);
    EXPECT_EQ(run(f, "export-sheet", {"hits", "--size", "2", "--positions", "1"}).status, 2);

    // A refused search writes nothing.
    fs::remove(data / "Jiansuo.xlsx");
    const auto refused = run(f, "export-sheet", {"hits", "--back", "0"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    EXPECT_FALSE(fs::exists(data / "Jiansuo.xlsx"));
}

// A workbook the disk cannot take whole (here: a file size limit on the command's process, which
// the compressed workbook stays under and the writer's temporary files do not) is a failed export
// with exit 1, and the earlier workbook stays as it was.
TEST(ExportCommands, AWorkbookThatCannotBeWrittenWholeFailsAndKeepsTheEarlierOne) {
    WorkspaceFixture f;
    const std::string lines = f.dir.file("many.txt");
    std::ofstream(lines) << testing_support::manyDrawLines(6000);
    ASSERT_EQ(run(f, "import", {lines}).status, 0);
    ASSERT_EQ(run(f, "export-sheet", {"history"}).status, 0);
    const std::string sheet = (fs::path(f.dataDir()) / "lishi.xlsx").string();
    const auto before = platform::readFile(sheet);
    f.workspace.reset();

    QProcess program;
    program.setChildProcessModifier([] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 << 10, 256 << 10};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    program.start(QString::fromUtf8(K11_EXECUTABLE),
                  {"--data-dir", QString::fromStdString(f.dataDir()), "--settings",
                   QString::fromStdString(f.settingsPath()), "export-sheet", "history"});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
    EXPECT_EQ(program.readAllStandardOutput(), QByteArray());
    EXPECT_NE(QString::fromUtf8(program.readAllStandardError())
                  .indexOf(QStringLiteral("原有的同名文件保持不变")),
              -1);
    EXPECT_EQ(platform::readFile(sheet), before);
    EXPECT_EQ(readWorkbook(sheet).rowCount(), 6001);
}
