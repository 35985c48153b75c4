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
    return report(ExportService(c.workspace).exportText(), c);
}

int exportSheet(CommandContext& c) {
    const auto& operands = c.given.operands;
    const std::string grid = operands.size() == 1 ? operands[0] : std::string();
    const GivenOptions& options = c.given.options;
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

namespace {

// The options of search and combo, but not --json: the sheet is the output.
std::vector<OptionSpec> sheetOptions() {
    std::vector<OptionSpec> options = searchOptions(SearchChoice::BySize);
    std::erase_if(options, [](const OptionSpec& option) { return option.name == "--json"; });
    return options;
}

} // namespace

void addExportCommands(std::vector<CommandSpec>& table) {
    table.push_back({"export-text", {.stray = "export-text 不带参数"}, true, exportText});
    table.push_back({"export-sheet",
                     {.lead = "history | export-sheet hits|tally",
                      .options = sheetOptions(),
                      .tail = "[options of search, or of combo with --size K]",
                      .operands = true},
                     true,
                     exportSheet});
}

} // namespace app
