// Commands that replace or trim the history: import, trim, delete-newest, clear.

#include "app/cli.h"
#include "app/history_service.h"

#include <ostream>

namespace app {

namespace {

void printReported(const HistoryResult& result, std::ostream& err) {
    for (const auto& line : result.reported)
        err << "line " << line.line << ": " << line.reason << "\n";
}

// A refused or failed operation: its message on stderr, status 1.
int refused(const HistoryResult& result, CommandContext& c) {
    c.err << result.outcome.message << "\n";
    return kExitRefused;
}

int import(CommandContext& c) {
    if (c.args.size() != 1) throw UsageError{"import needs one file"};
    history::NoProgress progress;
    const HistoryResult result = HistoryService(c.workspace).importFile(c.args[0], progress);
    printReported(result, c.err);
    if (!result.outcome.ok) {
        // The lines are printed above; the message's first line says what happened.
        const auto& message = result.outcome.message;
        c.err << message.substr(0, message.find('\n')) << "\n";
        return kExitRefused;
    }
    c.out << "imported " << result.stored << ", skipped " << result.reported.size() << "\n";
    if (!result.backupFile.empty()) c.err << "原来的历史号码已备份到 " << result.backupFile << "\n";
    return kExitOk;
}

// What a deletion did. A compaction that fails after the history changed still exits 1.
int reportDeletion(const HistoryResult& result, CommandContext& c) {
    if (!result.outcome.ok && !result.changed) return refused(result, c);
    printReported(result, c.err);
    c.out << "deleted " << result.removed << ", kept " << c.workspace.rows().size() << "\n";
    if (!result.outcome.ok) return refused(result, c);
    return kExitOk;
}

int trim(CommandContext& c) {
    if (c.args.size() != 2 || (c.args[0] != "--to" && c.args[0] != "--last"))
        throw UsageError{"trim needs --to ID or --last N"};
    HistoryService service(c.workspace);
    history::NoProgress progress;
    const HistoryResult result = c.args[0] == "--to" ? service.cutBackTo(c.args[1], progress)
                                                     : service.deleteLast(c.args[1], progress);
    return reportDeletion(result, c);
}

int deleteNewest(CommandContext& c) {
    if (!c.args.empty()) throw UsageError{"delete-newest takes no arguments"};
    return reportDeletion(HistoryService(c.workspace).deleteNewest(), c);
}

int clear(CommandContext& c) {
    if (!c.args.empty()) throw UsageError{"clear takes no arguments"};
    const HistoryResult result = HistoryService(c.workspace).clearHistory();
    if (!result.backupFile.empty()) c.err << "清空前已备份到 " << result.backupFile << "\n";
    return reportDeletion(result, c);
}

int rebuild(CommandContext& c) {
    if (!c.args.empty()) throw UsageError{"rebuild takes no arguments"};
    history::NoProgress progress;
    const HistoryResult result = HistoryService(c.workspace).rebuild(progress);
    if (!result.outcome.ok) return refused(result, c);
    c.out << "rebuilt " << result.stored << "\n";
    return kExitOk;
}

} // namespace

void addMaintenanceCommands(std::vector<CommandSpec>& table) {
    table.push_back({"import", "import FILE", true, import});
    table.push_back({"trim", "trim --to ID | trim --last N", true, trim});
    table.push_back({"delete-newest", "delete-newest", true, deleteNewest});
    table.push_back({"clear", "clear", true, clear});
    table.push_back({"rebuild", "rebuild", true, rebuild});
}

} // namespace app
