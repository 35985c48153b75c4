#include "workspace/history_service.h"

#include "history/game_record.h"
#include "history/history_import.h"
#include "history/maintenance.h"
#include "history/period.h"
#include "history/sheet_history.h"
#include "platform/file_io.h"
#include "platform/text_decoding.h"

#include <QFile>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <filesystem>

namespace app {

namespace {

namespace fs = std::filesystem;

// The sample history shipped in the program's resources and installed into a new 历史号码.
constexpr const char* kSampleResource = ":/sample/示例-模拟数据.txt";
constexpr const char* kSampleName = "示例-模拟数据.txt";

constexpr const char* kUnchanged = "历史号码没有改变。";

// The name of a text copy of a replaced history starts so, followed by the date and time.
constexpr const char* kBackupPrefix = "备份-";
// The same for the draws a cut-back or a deletion removed.
constexpr const char* kDeletedPrefix = kDeletedCopyPrefix;

std::string savedNote(const std::string& path) {
    return path.empty() ? std::string() : "删除的历史号码已保存到“" + path + "”。";
}

void forget(const std::string& path) {
    std::error_code ignored;
    if (!path.empty()) fs::remove(path, ignored);
}

std::string cannotSave(const std::string& what, const std::exception& e) {
    return "无法先把要删除的历史号码保存到历史号码文件夹（" + std::string(e.what()) + "），没有" +
           what + "，" + kUnchanged + "请检查磁盘空间和数据文件夹后重试。";
}

HistoryResult failed(std::string message) {
    HistoryResult result;
    result.outcome = Outcome::failure(std::move(message));
    return result;
}

HistoryResult cancelled(const std::string& what) {
    HistoryResult result = failed(what + "已取消，" + kUnchanged);
    result.cancelled = true;
    return result;
}

std::string databaseFailure(const std::string& what, const std::exception& e) {
    return what + "时数据库出错（" + e.what() + "）。" + kUnchanged +
           "请检查磁盘空间和数据文件夹后重试。";
}

// A replacement that failed: the history is unchanged unless the new file was put in place and
// only the reopening failed (the database is closed then).
std::string replaceFailure(const Workspace& w, const std::string& what, const std::exception& e) {
    if (w.databaseOpen()) return databaseFailure(what, e);
    return what + "已完成，新的历史号码已经保存，但数据库无法重新打开（" + e.what() +
           "）。请检查数据文件夹后重新启动程序。";
}

std::string compactionFailure(const std::exception& e) {
    return std::string("整理数据库文件失败（") + e.what() +
           "），数据库文件保持原样，历史号码可以继续使用。请检查磁盘空间后再删除一期或重启程序。";
}

std::string fileName(const std::string& path) {
    return fs::path(path).filename().string();
}

} // namespace

std::string HistoryService::importFolder() {
    const fs::path folder = fs::path(workspace_.dataDir()) / "历史号码";
    std::error_code error;
    if (fs::is_directory(folder, error)) return folder.string();
    fs::create_directories(folder, error);
    if (error) return folder.string(); // the dialog then starts elsewhere; nothing is lost
    QFile sample(QString::fromUtf8(kSampleResource));
    if (sample.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = sample.readAll();
        try {
            platform::writeFileAtomically((folder / kSampleName).string(),
                                          std::string_view(bytes.constData(), bytes.size()));
        } catch (const platform::FileError&) {
            // A missing sample takes nothing from the user.
        }
    }
    return folder.string();
}

bool HistoryService::isTextFileName(const std::string& path) {
    const std::string name = fileName(path);
    if (name.size() < 3) return false;
    std::string tail = name.substr(name.size() - 3);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == "txt";
}

std::string HistoryService::backupPath() const {
    return (fs::path(workspace_.dataDir()) / ("lsbf" + workspace_.gameFileSuffix() + ".txt"))
        .string();
}

std::string HistoryService::compactionPath() const {
    return (fs::path(workspace_.dataDir()) /
            ("kelvora11S5Tmp" + workspace_.gameFileSuffix() + ".db"))
        .string();
}

std::string gameFilePrefix(const std::string& prefix, history::Game game) {
    return prefix + history::gameName(game) + "-";
}

std::string HistoryService::describeReported(const std::vector<history::ReportedLine>& reported,
                                             size_t maxLines) {
    std::string text;
    for (size_t i = 0; i < reported.size() && i < maxLines; ++i)
        text += "第" + std::to_string(reported[i].line) + "行：" + reported[i].reason + "\n";
    if (reported.size() > maxLines)
        text += "……另有" + std::to_string(reported.size() - maxLines) + "行没有读入。\n";
    return text;
}

void HistoryService::publish(std::optional<std::vector<history::HistoryRow>> rows, bool replaced) {
    // A span end that showed the newest draw keeps showing the newest draw.
    const auto& old = workspace_.rows();
    if (!replaced && !old.empty() && workspace_.spanEnd() == history::tenDigit(old.back().period))
        workspace_.setSpan(workspace_.spanStart(), "");
    if (rows) {
        const bool reset = replaced || rows->empty();
        workspace_.historyChanged(std::move(*rows), reset);
    } else {
        workspace_.historyChanged(replaced);
    }
}

HistoryResult HistoryService::importFile(const std::string& path, history::Progress& progress) {
    if (auto open = workspace_.requireDatabase(); !open.ok) return failed(open.message);
    const bool sheet = history::isSheetFileName(path);
    if (!sheet && !isTextFileName(path))
        return failed("“" + fileName(path) +
                      "”不是txt文本文件，也不是csv、xls或xlsx表格，没有读入，" + kUnchanged +
                      "请选择扩展名为txt、csv、xls或xlsx的历史号码文件。");

    // Refused at once, before anything is read: no history file comes near this size.
    std::error_code sizeUnknown;
    if (const auto size = fs::file_size(path, sizeUnknown); !sizeUnknown && size > kMaxImportBytes)
        return failed("文件“" + fileName(path) + "”有" + std::to_string(size / (1024 * 1024)) +
                      "MB，超过了历史号码文件的上限" +
                      std::to_string(kMaxImportBytes / (1024 * 1024)) + "MB（十年的开奖号码不到" +
                      "10MB），没有读入，" + kUnchanged + "请确认选择的是历史号码文件。");

    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    history::ParsedHistory parsed;
    try {
        if (sheet) {
            auto read = history::readSheetHistory(path, progress);
            if (!read) return cancelled("读入");
            parsed = std::move(*read);
        } else {
            parsed = history::parseHistoryBytes(platform::readFile(path, kMaxImportBytes),
                                                workspace_.newestNextPeriod());
        }
    } catch (const history::SheetLayoutError& e) {
        return failed("表格“" + fileName(path) + "”" + e.what() + "。" + kUnchanged);
    } catch (const std::exception& e) {
        return failed("无法读取文件“" + path + "”（" + e.what() + "）。" + kUnchanged +
                      "请确认文件存在并且可以读取，然后重试。");
    }

    // The history is kept in the order of the periods, and each draw is derived from the draws
    // before it: a file may list the newest draw first, or a line out of its place.
    std::stable_sort(parsed.draws.begin(), parsed.draws.end(),
                     [](const auto& a, const auto& b) { return a.period < b.period; });

    // A file of which no line is a draw (empty, headers only, another kind of file, or one in an
    // encoding that is not recognised) would only empty the history.
    if (parsed.draws.empty()) {
        const std::string invalid =
            parsed.reported.empty() ? std::string()
                                    : "（" + std::to_string(parsed.reportedCount()) + "行无效）";
        HistoryResult refused = failed(
            "文件“" + fileName(path) + "”中没有可以读入的开奖号码" + invalid + "，" + kUnchanged +
            "请确认选择的是历史号码文件，每行一期，例如“16090852 05 03 08 01 11”。\n" +
            describeReported(parsed.reported, 20));
        refused.reported = std::move(parsed.reported);
        return refused;
    }

    std::string saved;
    try {
        saved = saveHistoryBeforeReplacing();
    } catch (const std::exception& e) {
        return failed(std::string("无法先把现有的历史号码备份到历史号码文件夹（") + e.what() +
                      "），没有读入，" + kUnchanged + "请检查磁盘空间和数据文件夹后重试。");
    }
    const auto forgetBackup = [&] {
        std::error_code ignored;
        if (!saved.empty()) fs::remove(saved, ignored);
    };
    std::optional<std::vector<history::HistoryRow>> rows;
    try {
        rows =
            history::replaceHistory(workspace_.database(), workspace_.mutableZodiac(), parsed.draws,
                                    {workspace_.settings().segmentBase, false}, progress);
    } catch (const std::exception& e) {
        HistoryResult result = failed(replaceFailure(workspace_, "读入", e));
        result.changed = !workspace_.databaseOpen();
        if (!result.changed) forgetBackup();
        return result;
    }
    if (!rows) {
        forgetBackup();
        return cancelled("读入");
    }

    HistoryResult result;
    result.changed = true;
    result.stored = rows->size();
    const size_t reportedCount = parsed.reportedCount();
    result.reported = std::move(parsed.reported);
    result.backupFile = saved;
    publish(std::move(*rows), true);
    std::string message = "已读入" + std::to_string(result.stored) + "期历史号码。";
    if (!saved.empty()) message += "原来的历史号码已备份到“" + saved + "”。";
    if (!result.reported.empty())
        message += "\n有" + std::to_string(reportedCount) + "行不是有效的开奖号码，没有读入：\n" +
                   describeReported(result.reported, 20);
    // A file's repeated ids are kept, as stored; the analyses wait for the repair.
    if (const Outcome sound = workspace_.checkDraws(); !sound.ok) message += "\n" + sound.message;
    result.outcome = Outcome::success(message);
    return result;
}

HistoryResult HistoryService::rebuildFromBackup(history::Progress& progress) {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    history::ParsedHistory parsed;
    try {
        parsed = history::parseHistoryBytes(platform::readFile(backupPath()),
                                            workspace_.newestNextPeriod());
    } catch (const std::exception& e) {
        return failed("无法读取备份文件lsbf.txt（" + std::string(e.what()) + "）。" + kUnchanged +
                      "请检查数据文件夹后重试。");
    }
    std::optional<std::vector<history::HistoryRow>> rows;
    try {
        rows =
            history::replaceHistory(workspace_.database(), workspace_.mutableZodiac(), parsed.draws,
                                    {workspace_.settings().segmentBase, true}, progress);
    } catch (const std::exception& e) {
        HistoryResult result = failed(replaceFailure(workspace_, "重建历史", e));
        result.changed = !workspace_.databaseOpen();
        return result;
    }
    if (!rows) return cancelled("重建历史");

    HistoryResult result;
    result.changed = true;
    result.stored = rows->size();
    result.removed =
        workspace_.rows().size() > rows->size() ? workspace_.rows().size() - rows->size() : 0;
    result.reported = std::move(parsed.reported);
    publish(std::move(*rows), false);
    std::string message = "已按当前设置重建" + std::to_string(result.stored) + "期历史号码。";
    if (!result.reported.empty())
        message += "\n备份文件中有" + std::to_string(result.reported.size()) +
                   "行无效，没有重建：\n" + describeReported(result.reported, 20);
    result.outcome = Outcome::success(message);
    return result;
}

Outcome HistoryService::compact() {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return locked;
    try {
        history::compactDatabase(workspace_.database(), compactionPath());
    } catch (const std::exception& e) {
        return Outcome::failure(compactionFailure(e));
    }
    return Outcome::success();
}

HistoryResult HistoryService::deleteNewest() {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    HistoryResult result;
    std::string deleted;
    if (const size_t n = workspace_.rows().size(); n > 0) {
        try {
            result.backupFile = saveDrawsBeforeDeleting(n - 1, n);
        } catch (const std::exception& e) {
            return failed(cannotSave("删除", e));
        }
        try {
            platform::Transaction transaction(workspace_.database());
            history::deleteNewestDraw(workspace_.database());
            transaction.commit();
        } catch (const std::exception& e) {
            forget(result.backupFile);
            return failed(databaseFailure("删除最后一期", e));
        }
        deleted = history::tenDigit(workspace_.rows().back().period);
        result.removed = 1;
        result.changed = true;
    }
    const Outcome compacted = compact();
    // The rows in memory may hold only some kinds; the history is read again.
    publish(std::nullopt, false);
    if (!compacted.ok) {
        result.outcome =
            Outcome::failure((deleted.empty() ? std::string()
                                              : "已删除第" + deleted + "期（" +
                                                    savedNote(result.backupFile) + "），但") +
                             compacted.message);
        return result;
    }
    result.outcome = Outcome::success(deleted.empty() ? "历史号码为空，没有可删除的期。"
                                                      : "已删除第" + deleted + "期。" +
                                                            savedNote(result.backupFile));
    return result;
}

HistoryResult HistoryService::clearHistory() {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    HistoryResult result;
    result.removed = workspace_.rows().size();
    try {
        result.backupFile = saveHistoryBeforeReplacing();
    } catch (const std::exception& e) {
        return failed(std::string("无法先把历史号码备份到历史号码文件夹（") + e.what() +
                      "），没有清空，" + kUnchanged + "请检查磁盘空间和数据文件夹后重试。");
    }
    try {
        platform::Transaction transaction(workspace_.database());
        history::deleteAllDraws(workspace_.database());
        transaction.commit();
    } catch (const std::exception& e) {
        return failed(databaseFailure("清空历史号码", e));
    }
    result.changed = true;
    publish(std::vector<history::HistoryRow>{}, true);
    std::string message = "已清空全部" + std::to_string(result.removed) + "期历史号码。";
    if (!result.backupFile.empty()) message += "清空前已备份到“" + result.backupFile + "”。";
    result.outcome = Outcome::success(message);
    return result;
}

std::string HistoryService::cutBackDefault() const {
    return workspace_.rows().empty() ? std::string()
                                     : history::tenDigit(workspace_.newestNextPeriod() - 1);
}

namespace {

Outcome checkCutBackEntry(const std::string& entry, int& limit) {
    const auto parsed = history::cutBackLimit(entry);
    if (!parsed)
        return Outcome::failure("“" + entry + "”不是十位期号，" + kUnchanged +
                                "请输入要保留到的那一期，例如2016090852。");
    if (*parsed <= 0) return Outcome::failure("期号须大于2000000000，" + std::string(kUnchanged));
    limit = *parsed;
    return Outcome::success();
}

Outcome checkDeleteLastEntry(const std::string& entry, int& count) {
    const auto parsed = history::periodCount(entry);
    if (!parsed)
        return Outcome::failure("“" + entry + "”不是整数，" + kUnchanged +
                                "请输入要删除的期数，例如3。");
    if (*parsed <= 0) return Outcome::failure("删除的期数须大于0，" + std::string(kUnchanged));
    count = *parsed;
    return Outcome::success();
}

DeletionPlan planKeeping(const std::vector<history::HistoryRow>& rows, size_t keep) {
    DeletionPlan plan;
    plan.stored = rows.size();
    plan.remove = plan.stored - std::min(keep, plan.stored);
    if (plan.remove > 0) {
        plan.first = history::tenDigit(rows[plan.stored - plan.remove].period);
        plan.last = history::tenDigit(rows.back().period);
    }
    return plan;
}

} // namespace

std::string DeletionPlan::question() const {
    const std::string range = "（" + first + "至" + last + "）";
    if (moreThanStored)
        return "历史号码只有" + std::to_string(stored) + "期" + range +
               "，将全部删除。确定要清空所有的历史号码吗？";
    return "将删除" + std::to_string(remove) + "期历史号码" + range + "，确定吗？";
}

DeletionPlan HistoryService::planCutBack(const std::string& entry) const {
    int limit = 0;
    if (auto checked = checkCutBackEntry(entry, limit); !checked.ok) {
        DeletionPlan refused;
        refused.outcome = checked;
        return refused;
    }
    return planKeeping(workspace_.rows(), history::rowsUpTo(workspace_.rows(), limit));
}

DeletionPlan HistoryService::planDeleteLast(const std::string& entry) const {
    int count = 0;
    if (auto checked = checkDeleteLastEntry(entry, count); !checked.ok) {
        DeletionPlan refused;
        refused.outcome = checked;
        return refused;
    }
    const size_t n = workspace_.rows().size();
    const size_t remove = std::min(n, static_cast<size_t>(count));
    DeletionPlan plan = planKeeping(workspace_.rows(), n - remove);
    plan.moreThanStored = static_cast<size_t>(count) > n;
    return plan;
}

HistoryResult HistoryService::cutBackTo(const std::string& entry, history::Progress& progress) {
    int limit = 0;
    if (auto checked = checkCutBackEntry(entry, limit); !checked.ok) return failed(checked.message);
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    return keepFirst(history::rowsUpTo(workspace_.rows(), limit),
                     "删除到第" + history::tenDigit(limit) + "期", progress);
}

HistoryResult HistoryService::deleteLast(const std::string& entry, history::Progress& progress) {
    int count = 0;
    if (auto checked = checkDeleteLastEntry(entry, count); !checked.ok)
        return failed(checked.message);
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    const size_t n = workspace_.rows().size();
    const size_t remove = std::min(n, static_cast<size_t>(count));
    return keepFirst(n - remove, "删除最后" + std::to_string(count) + "期", progress);
}

std::string saveDrawsAsText(const std::string& folderPath,
                            const std::vector<history::HistoryRow>& rows, size_t from, size_t to,
                            const std::string& prefix, size_t keep) {
    return saveTextCopy(folderPath, history::backupText(rows, from, to), prefix, keep);
}

std::string saveTextCopy(const std::string& folderPath, const std::string& text,
                         const std::string& prefix, size_t keep) {
    const fs::path folder = folderPath;
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string stem = prefix + stamp;
    fs::path path = folder / (stem + ".txt");
    for (int n = 2; fs::exists(path); ++n)
        path = folder / (stem + "-" + std::to_string(n) + ".txt");
    platform::writeFileAtomically(path.string(), text);

    // The newest `keep` stay; their names sort by time.
    std::vector<fs::path> saved;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && entry.path().extension() == ".txt")
            saved.push_back(entry.path());
    }
    std::sort(saved.begin(), saved.end());
    for (size_t i = 0; i + keep < saved.size(); ++i) fs::remove(saved[i], error);
    return path.string();
}

std::string HistoryService::saveHistoryBeforeReplacing() {
    const auto& rows = workspace_.rows();
    if (rows.empty()) return {};
    return saveDrawsAsText(importFolder(), rows, 0, rows.size(),
                           gameFilePrefix(kBackupPrefix, workspace_.settings().game), kKeptBackups);
}

std::string HistoryService::saveDrawsBeforeDeleting(size_t from, size_t to) {
    const auto& rows = workspace_.rows();
    to = std::min(to, rows.size());
    if (from >= to) return {};
    return saveDrawsAsText(importFolder(), rows, from, to,
                           gameFilePrefix(kDeletedPrefix, workspace_.settings().game),
                           kKeptDeletions);
}

HistoryResult HistoryService::rebuild(history::Progress& progress) {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    // The zodiac values as the settings now say, whatever the start-up numbering was.
    const Settings& s = workspace_.settings();
    workspace_.mutableZodiac().setValueOrder(s.zodiacInAnimalOrder, s.zodiacBase);
    HistoryResult result = keepFirst(workspace_.rows().size(), "重新计算", progress);
    if (result.outcome.ok)
        result.outcome = Outcome::success("已按当前设置重新计算全部" +
                                          std::to_string(result.stored) + "期历史号码。");
    return result;
}

HistoryResult HistoryService::keepFirst(size_t keep, const std::string& what,
                                        history::Progress& progress) {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    const size_t before = workspace_.rows().size();
    // Only the values in memory are checked; they hold the numbers, which is what the backup
    // writes.
    if (const auto damaged = history::rowsBackupCannotCarry(workspace_.rows(), keep);
        !damaged.empty()) {
        std::string periods;
        for (size_t i = 0; i < damaged.size() && i < 10; ++i)
            periods += (i ? "、" : "") + history::tenDigit(workspace_.rows()[damaged[i]].period);
        if (damaged.size() > 10) periods += "等" + std::to_string(damaged.size()) + "期";
        return failed("第" + periods +
                      "期的期号或号码已损坏（不是01到11之间互不相同的五个号码），按当前设置重建时"
                      "会丢失这些期，所以没有删除，" +
                      kUnchanged + "请重新读入完整的历史号码文件后再删除。");
    }
    // The draws that go are saved first, from the rows as they are under the lock.
    std::string saved;
    try {
        saved = saveDrawsBeforeDeleting(keep, before);
    } catch (const std::exception& e) {
        return failed(cannotSave("删除", e));
    }
    try {
        platform::writeFileAtomically(backupPath(), history::backupText(workspace_.rows(), keep));
    } catch (const std::exception& e) {
        forget(saved);
        return failed("无法写入备份文件lsbf.txt（" + std::string(e.what()) + "），" + kUnchanged +
                      "请检查磁盘空间和数据文件夹后重试。");
    }
    HistoryResult result = rebuildFromBackup(progress);
    if (!result.outcome.ok) {
        if (!result.changed)
            forget(saved);
        else
            result.backupFile = saved;
        return result;
    }
    result.backupFile = saved;
    result.removed = before > result.stored ? before - result.stored : 0;
    // The rebuild wrote the database file afresh, so it is compact already: the compaction only
    // leaves its copy.
    Outcome compacted = Outcome::success();
    try {
        platform::writeDurableCopy(workspace_.databasePath(), compactionPath());
    } catch (const std::exception& e) {
        compacted = Outcome::failure(compactionFailure(e));
    }
    std::string message = what + "：删除" + std::to_string(result.removed) + "期，保留" +
                          std::to_string(result.stored) + "期，并已按当前设置重新计算。" +
                          savedNote(saved);
    if (!result.reported.empty())
        message += "\n备份文件中有" + std::to_string(result.reported.size()) +
                   "行无效，没有保留：\n" + describeReported(result.reported, 20);
    if (!compacted.ok) message += "\n" + compacted.message;
    result.outcome = compacted.ok ? Outcome::success(message) : Outcome::failure(message);
    return result;
}

} // namespace app
