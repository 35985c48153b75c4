// Commands of the exports: export-text (the history as a text file) and export-sheet (the history
// grid, or the hit or result grid of a search run with the options of search or combo, as a
// workbook). Each prints the path of the file it wrote.

#include "cli/commands.h"
#include "workspace/export_service.h"

#include <ostream>

namespace app {

namespace {

int report(const ExportResult& result, CommandContext& c) {
    if (!result.outcome.ok) {
        c.err << result.outcome.message << "\n";
        return kExitRefused;
    }
    c.out << result.path << "\n";
    return kExitOk;
}

int exportText(CommandContext& c) {
    if (!c.args.empty()) throw UsageError{"export-text 不带参数"};
    return report(ExportService(c.workspace).exportText(), c);
}

int exportSheet(CommandContext& c) {
    const std::string grid = c.args.empty() ? std::string() : c.args[0];
    const std::vector<std::string> options(c.args.begin() + (c.args.empty() ? 0 : 1), c.args.end());
    ExportService service(c.workspace);
    if (grid == "history") {
        if (!options.empty()) throw UsageError{"export-sheet history 不带选项"};
        if (c.workspace.rows().empty()) {
            c.err << "历史号码为空，没有可以导出的号码。请先输入或读入历史号码后再导出。\n";
            return kExitRefused;
        }
        history::NoProgress progress;
        return report(service.exportHistorySheet(progress), c);
    }
    if (grid != "hits" && grid != "tally")
        throw UsageError{"export-sheet 后面要写导出哪个表：history、hits或tally"};
    SearchResult result;
    // The grid is exported as the search finds it; the history file is only read.
    if (const int status =
            searchWithOptions(c, options, SearchChoice::BySize, result, nullptr, false);
        status != kExitOk)
        return status;
    const int status = report(
        grid == "hits" ? service.exportHitsSheet(result) : service.exportTallySheet(result), c);
    if (const auto notice = c.workspace.takeWriteNotice(); !notice.empty()) c.err << notice << "\n";
    if (const auto problem = c.workspace.takeWriteProblem(); !problem.empty()) {
        c.err << problem << "\n";
        return kExitRefused;
    }
    return status;
}

} // namespace

void addExportCommands(std::vector<CommandSpec>& table) {
    table.push_back({"export-text", "export-text", true, exportText});
    table.push_back({"export-sheet",
                     "export-sheet history | export-sheet hits|tally [options of search, or of "
                     "combo with --size K]",
                     true, exportSheet});
}

} // namespace app
