// Commands that replace, trim or bring up to date the history: import, trim, delete-newest, clear,
// rebuild, repair, update.

#include "cli/commands.h"
#include "cli/live_commands.h"
#include "history/period.h"
#include "workspace/history_service.h"
#include "workspace/update_service.h"

#include <algorithm>
#include <csignal>
#include <ostream>

#include <signal.h>

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
    if (c.given.operands.size() != 1) throw UsageError{"import 后面要跟一个文件"};
    history::NoProgress progress;
    const HistoryResult result =
        HistoryService(c.workspace).importFile(c.given.operands[0], progress);
    printReported(result, c.err);
    if (!result.outcome.ok) {
        // The lines are printed above; the message's first line says what happened.
        const auto& message = result.outcome.message;
        c.err << message.substr(0, message.find('\n')) << "\n";
        return kExitRefused;
    }
    c.out << "imported " << result.stored << ", skipped " << result.reported.size() << "\n";
    if (!result.backupFile.empty()) c.err << "原来的历史号码已备份到 " << result.backupFile << "\n";
    if (const Outcome sound = c.workspace.checkDraws(); !sound.ok) c.err << sound.message << "\n";
    return kExitOk;
}

// What a deletion did. A compaction that fails after the history changed still exits 1.
int reportDeletion(const HistoryResult& result, CommandContext& c) {
    if (!result.outcome.ok && !result.changed) return refused(result, c);
    printReported(result, c.err);
    if (!result.backupFile.empty() && result.removed > 0)
        c.err << "删除的历史号码已保存到 " << result.backupFile << "\n";
    c.out << "deleted " << result.removed << ", kept " << c.workspace.rows().size() << "\n";
    if (!result.outcome.ok) return refused(result, c);
    return kExitOk;
}

int trim(CommandContext& c) {
    const GivenOptions& given = c.given.options;
    if (given.size() != 1) throw UsageError{"trim 要用 --to 期号 或 --last 期数"};
    const auto& [option, value] = given.front();
    HistoryService service(c.workspace);
    history::NoProgress progress;
    if (option == "--last") {
        // Asking for more than there is would empty the history: that is what clear is for.
        if (auto open = c.workspace.requireDatabase(); !open.ok) {
            c.err << open.message << "\n";
            return kExitRefused;
        }
        const DeletionPlan plan = service.planDeleteLast(value);
        if (plan.outcome.ok && plan.moreThanStored) {
            c.err << "历史号码只有" << plan.stored << "期，没有删除，历史号码没有改变。"
                  << "要删除全部历史号码请用 clear。\n";
            return kExitRefused;
        }
    }
    const HistoryResult result =
        option == "--to" ? service.cutBackTo(value, progress) : service.deleteLast(value, progress);
    return reportDeletion(result, c);
}

int deleteNewest(CommandContext& c) {
    const HistoryResult result = HistoryService(c.workspace).deleteNewest();
    if (result.outcome.ok && result.removed == 0) return refused(result, c);
    return reportDeletion(result, c);
}

int clear(CommandContext& c) {
    const HistoryResult result = HistoryService(c.workspace).clearHistory();
    if (!result.backupFile.empty()) c.err << "清空前已备份到 " << result.backupFile << "\n";
    HistoryResult reported = result;
    reported.backupFile.clear(); // said above
    return reportDeletion(reported, c);
}

int rebuild(CommandContext& c) {
    history::NoProgress progress;
    const HistoryResult result = HistoryService(c.workspace).rebuild(progress);
    if (!result.outcome.ok) return refused(result, c);
    c.out << "rebuilt " << result.stored << "\n";
    return kExitOk;
}

int repair(CommandContext& c) {
    history::NoProgress progress;
    const HistoryResult result = HistoryService(c.workspace).repairDamaged(progress);
    if (!result.outcome.ok) return refused(result, c);
    // What was removed and where it was saved, then the count as the other commands print it.
    c.err << result.outcome.message << "\n";
    c.out << "removed " << result.removed << ", kept " << result.stored << "\n";
    return kExitOk;
}

// Ctrl+C or a termination request during an update: the update stops at its next look (within
// a few milliseconds of waiting for a page), before anything is stored. Once storing has begun it
// completes; it is one transaction either way.
volatile std::sig_atomic_t stopAsked = 0;

void askToStop(int) {
    stopAsked = 1;
}

class StoppableUpdate : public UpdateProgress {
  public:
    StoppableUpdate() {
        stopAsked = 0;
        struct sigaction action {};
        action.sa_handler = askToStop;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &oldInterrupt_);
        sigaction(SIGTERM, &action, &oldTerminate_);
    }
    ~StoppableUpdate() override {
        sigaction(SIGINT, &oldInterrupt_, nullptr);
        sigaction(SIGTERM, &oldTerminate_, nullptr);
    }
    StoppableUpdate(const StoppableUpdate&) = delete;
    StoppableUpdate& operator=(const StoppableUpdate&) = delete;
    void fetching(const std::string&, size_t, size_t) override {}
    bool cancelled() override { return stopAsked != 0; }

  private:
    struct sigaction oldInterrupt_ {};
    struct sigaction oldTerminate_ {};
};

const char* const kUpdateOptions = "update 的选项是 --site 网址、--today 年-月-日 和 --prune";
const char* const kWatchOptions =
    "update --watch 的选项是 --until 时:分、--poll 秒数、--site 网址 和 "
    "--today 年-月-日，每个后面都要跟一个值";

int update(CommandContext& c) {
    if (c.given.has("--watch")) return watchUpdates(c);
    if (c.given.has("--all")) throw UsageError{"update --all 只用于 --watch：监视关注的每个彩种"};
    Workspace& w = c.workspace;
    w.settingsFile().setPersistent(false); // --site is for this run only
    // Nobody is asked here: draws are removed only when the command says so.
    bool prune = false;
    for (const auto& [a, value] : c.given.options) {
        if (a == "--prune") {
            prune = true;
            continue;
        }
        if (a != "--site" && a != "--today") throw UsageError{kUpdateOptions};
        if (a == "--site") {
            if (auto outcome = w.setSetting("UpdateSite", value); !outcome.ok)
                throw UsageError{outcome.message};
        } else {
            const auto day = history::parseIsoDay(value);
            if (!day.ok())
                throw UsageError{"--today 后面要跟日期，如2016-09-08，不是“" + value + "”"};
            w.setToday(day);
        }
    }
    if (prune && w.settings().updateDays == 0)
        c.err << "IniSerchDay 为 0（保留全部历史号码）：--prune 不删除任何一期\n";
    StoppableUpdate progress;
    UpdateService service(w);
    service.setPrunes(prune);
    const UpdateResult result = service.update(progress);
    if (!result.outcome.ok && result.stoppedDay.empty()) {
        c.err << result.outcome.message << "\n";
        return kExitRefused;
    }
    for (const auto& skipped : result.skipped)
        c.err << "skipped " << skipped.what << ": " << skipped.reason << "\n";
    for (int period : result.unlisted)
        c.err << "unlisted " << history::gridPeriodText(period, w.settings().game)
              << ": 页面未列出\n";
    for (const auto& day : result.daysWithoutDraws)
        c.err << "no draws " << day << ": 当天没有开奖\n";
    for (const auto& draw : result.differing)
        c.err << "differs " << history::gridPeriodText(draw.period, w.settings().game) << ": "
              << UpdateService::differingText(draw, w.settings().game) << "，没有改动\n";
    if (!result.stoppedDay.empty())
        c.err << "stopped at " << result.stoppedDay << ": " << result.stopReason << "\n";
    if (!result.removedFile.empty())
        c.err << "removed " << result.removed << " draws older than " << w.settings().updateDays
              << " days, saved to " << result.removedFile << "\n";
    c.out << "stored " << result.stored << ", skipped " << result.skipped.size() << ", removed "
          << result.removed << "\n";
    return result.complete() ? kExitOk : kExitRefused;
}

} // namespace

void addMaintenanceCommands(std::vector<CommandSpec>& table) {
    table.push_back({"import", {.tail = "FILE", .operands = true}, true, import});
    table.push_back({"trim",
                     {.options = {{"--to", "ID", "删去这一期之后的各期", "--to ID | trim --last N"},
                                  {"--last", "N", "删去最新的N期", ""}}},
                     true,
                     trim});
    table.push_back({"delete-newest", {.stray = "delete-newest 不带参数"}, true, deleteNewest});
    table.push_back({"clear", {.stray = "clear 不带参数"}, true, clear});
    table.push_back({"rebuild", {.stray = "rebuild 不带参数"}, true, rebuild});
    table.push_back({"repair", {.stray = "repair 不带参数"}, true, repair});
    table.push_back(
        {"update",
         {.options = {{"--site", "URL", "本次使用的开奖网站", std::nullopt, false, kUpdateOptions},
                      {"--today", "YYYY-MM-DD", "当作今天的日期", std::nullopt, false,
                       kUpdateOptions},
                      {"--prune", "", "删去超过保留天数的历史号码"},
                      {"--watch", "", "一直等待并存入新开出的号码",
                       "[--watch [--all] [--until HH:MM] [--poll S]]"},
                      {"--all", "", "监视关注的每个彩种（与 --watch 同用）", ""},
                      {"--until", "HH:MM", "--watch 等到北京时间几点", "", false, kWatchOptions},
                      {"--poll", "S", "--watch 每隔几秒查一次", "", false, kWatchOptions}},
          .stray = kUpdateOptions},
         true,
         update});
}

} // namespace app
