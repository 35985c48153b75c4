// The import of sheets through the service and the command line: the program's own workbook and
// text export come back as the same history, a sheet without draws is refused with the history
// and the backups untouched, and the command prints what it skipped.

#include "cli/cli_run.h"
#include "workspace/workspace_fixture.h"

#include "platform/file_io.h"
#include "platform/sheet_writer.h"
#include "support/sheet_files.h"
#include "support/test_progress.h"
#include "workspace/export_service.h"
#include "workspace/history_service.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using testing_support::WorkspaceFixture;
namespace fs = std::filesystem;

namespace {

// Draws over two days, one of them in 2009 so that its eight-digit id starts with a zero.
const std::string kDraws = "09090883 01 02 03 04 05\r\n09090884 11 10 09 08 07\r\n"
                           "16090801 05 03 08 01 11\r\n16090802 06 07 08 09 10\r\n";

std::vector<std::string> historyLines(const app::Workspace& w) {
    std::vector<std::string> lines;
    for (size_t row = 0; row < w.rows().size(); ++row) lines.push_back(w.historyLine(row));
    return lines;
}

std::vector<std::string> backups(const WorkspaceFixture& f) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(fs::path(f.dataDir()) / "历史号码", ignored))
        names.push_back(entry.path().filename().string());
    return names;
}

} // namespace

TEST(SheetImport, TheProgramsOwnWorkbookAndTextExportComeBackAsTheSameHistory) {
    for (const std::string settings : {"", "[IniSetting]\nGsZl=23\n"}) {
        WorkspaceFixture f(settings);
        app::HistoryService service(*f.workspace);
        history::NoProgress quiet;
        const std::string text = f.dir.file("draws.txt");
        platform::writeFileAtomically(text, kDraws);
        ASSERT_TRUE(service.importFile(text, quiet).outcome.ok);
        const auto before = historyLines(*f.workspace);
        ASSERT_EQ(before.size(), 4u);

        app::ExportService exports(*f.workspace);
        const auto sheet = exports.exportHistorySheet(quiet);
        ASSERT_TRUE(sheet.outcome.ok) << sheet.outcome.message;
        const auto fromSheet = service.importFile(sheet.path, quiet);
        ASSERT_TRUE(fromSheet.outcome.ok) << fromSheet.outcome.message;
        EXPECT_EQ(fromSheet.stored, 4u);
        EXPECT_TRUE(fromSheet.reported.empty());
        EXPECT_EQ(historyLines(f.reopen()), before) << settings;

        app::ExportService again(*f.workspace);
        const auto exported = again.exportText();
        ASSERT_TRUE(exported.outcome.ok);
        ASSERT_TRUE(app::HistoryService(*f.workspace).importFile(exported.path, quiet).outcome.ok);
        EXPECT_EQ(historyLines(*f.workspace), before) << settings;
    }
}

TEST(SheetImport, ASheetWithoutDrawsOrDamagedIsRefusedAndChangesNothing) {
    WorkspaceFixture f;
    f.type("2016090884", {{"01", "02", "03", "04", "05"}, {"06", "07", "08", "09", "10"}});
    const auto before = historyLines(*f.workspace);
    const auto savedBefore = backups(f);
    const auto file = [&](const std::string& name) { return f.dir.file(name); };

    platform::writeFileAtomically(file("people.csv"), "姓名,电话\r\n张三,13800138000\r\n");
    testing_support::writeZip(file("damaged.xlsx"), {{"xl/workbook.xml", "<workbook><sheets>"}});
    platform::writeFileAtomically(file("empty.xls"), "");
    history::NoProgress quiet;
    for (const char* name : {"people.csv", "damaged.xlsx", "empty.xls"}) {
        const auto result = app::HistoryService(*f.workspace).importFile(file(name), quiet);
        EXPECT_FALSE(result.outcome.ok) << name;
        EXPECT_FALSE(result.changed) << name;
        EXPECT_NE(result.outcome.message.find("历史号码没有改变"), std::string::npos)
            << result.outcome.message;
        EXPECT_EQ(historyLines(f.reopen()), before) << name;
        EXPECT_EQ(backups(f), savedBefore) << name;
    }
    // The message says what was looked for.
    const auto people = app::HistoryService(*f.workspace).importFile(file("people.csv"), quiet);
    EXPECT_NE(people.outcome.message.find("需要一列期号"), std::string::npos);
}

TEST(SheetImport, TheCommandReadsSheetsAndPrintsTheRowsItSkipped) {
    testing_support::TempDir dir;
    const auto run = [&](std::vector<std::string> arguments) {
        return testing_support::runCli(dir.file("data"), dir.file("s.ini"), std::move(arguments));
    };
    testing_support::writeXls(
        dir.file("draws.XLS"),
        {{testing_support::textCell("期号"), testing_support::textCell("开奖号码"),
          testing_support::textCell("和值")},
         {testing_support::numberCell(2016090802), testing_support::textCell("06 07 08 09 10"),
          testing_support::numberCell(40)},
         {testing_support::numberCell(2016090801), testing_support::textCell("05 03 08 01 11"),
          testing_support::numberCell(28)},
         {testing_support::numberCell(2016090803), testing_support::textCell("05 03 08 01"),
          testing_support::numberCell(17)}});
    const auto result = run({"import", dir.file("draws.XLS")});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "imported 2, skipped 1\n");
    EXPECT_EQ(result.err.substr(0, result.err.find('\n')),
              "line 4: 号码“05 03 08 01”不是五个号码：须为两位数并用空格或逗号隔开，如“03 07 01 "
              "11 05”");
    EXPECT_EQ(run({"history"}).out, "2016090801 05 03 08 01 11 \n2016090802 06 07 08 09 10 \n");

    std::ofstream(dir.file("notes.csv")) << "买了3注\n";
    const auto refused = run({"import", dir.file("notes.csv")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("需要一列期号"), std::string::npos) << refused.err;
    EXPECT_EQ(run({"history"}).out, "2016090801 05 03 08 01 11 \n2016090802 06 07 08 09 10 \n");
}

TEST(SheetImport, CancellingWhileTheSheetIsReadKeepsTheHistory) {
    WorkspaceFixture f;
    f.type("2016090884", {{"01", "02", "03", "04", "05"}});
    std::string csv = "期号,号码\n";
    // Draw numbers 01..99 (a draw number 00 is skipped on import).
    for (int i = 0; i < 20000; ++i)
        csv += std::to_string(2017010101 + i / 99 * 100 + i % 99) + ",01 02 03 04 05\n";
    platform::writeFileAtomically(f.dir.file("long.csv"), csv);
    // Stopped at the second report while reading, and while storing what was read.
    for (int stopAt : {2, 14}) {
        testing_support::StopAt stop(stopAt);
        const auto result =
            app::HistoryService(*f.workspace).importFile(f.dir.file("long.csv"), stop);
        EXPECT_TRUE(result.cancelled) << stopAt;
        EXPECT_EQ(stop.total_, stopAt == 2 ? csv.size() : 20000u);
        EXPECT_FALSE(result.changed);
        EXPECT_EQ(f.reopen().rows().size(), 1u);
    }
}

TEST(SheetImport, AWorkbookWithoutHeadingsAndTheNumbersAsOneText) {
    WorkspaceFixture f;
    // Newest first, the date before the id, notes after the numbers, no heading row.
    const std::vector<std::vector<std::string>> cells = {
        {"2016-09-08", "2016090802", "06,07,08,09,10", "大"},
        {"2016-09-08", "2016090801", "05,03,08,01,11", ""},
    };
    platform::SheetGrid grid;
    grid.rows = cells.size();
    grid.columns = 4;
    grid.text = [&](size_t r, size_t c) { return cells[r][c]; };
    ASSERT_TRUE(platform::writeSheet(f.dir.file("site.xlsx"), grid));
    history::NoProgress quiet;
    const auto result =
        app::HistoryService(*f.workspace).importFile(f.dir.file("site.xlsx"), quiet);
    ASSERT_TRUE(result.outcome.ok) << result.outcome.message;
    EXPECT_EQ(historyLines(*f.workspace), (std::vector<std::string>{"2016090801 05 03 08 01 11 ",
                                                                    "2016090802 06 07 08 09 10 "}));
}
