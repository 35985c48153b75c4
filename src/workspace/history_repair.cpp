// The repair of a history holding rows that cannot be a draw: they are saved as they are stored,
// removed, and the rest is derived afresh, so that no value derived from a damaged row remains.

#include "history/history_import.h"
#include "workspace/history_service.h"

#include <filesystem>
#include <optional>
#include <set>

namespace app {

HistoryResult HistoryService::repairDamaged(history::Progress& progress) {
    HistoryResult result;
    const auto refused = [&](std::string message) {
        result.outcome = Outcome::failure(std::move(message));
        return result;
    };
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return refused(locked.message);
    // The rows as they are under the lock (another process's change was read again).
    const std::vector<history::DamagedRow> damaged = workspace_.damagedRows();
    if (damaged.empty()) {
        result.stored = workspace_.rows().size();
        result.outcome = Outcome::success("历史号码中没有损坏的行，不需要修复。");
        return result;
    }
    std::string text;
    for (const auto& row : damaged) text += row.stored + "\r\n";
    std::string saved;
    try {
        saved = saveTextCopy(importFolder(), text,
                             gameFilePrefix(kDeletedCopyPrefix, workspace_.settings().game),
                             kKeptDeletions);
    } catch (const std::exception& e) {
        return refused("无法先把损坏的行保存到历史号码文件夹（" + std::string(e.what()) +
                       "），没有修复，历史号码没有改变。请检查磁盘空间和数据文件夹后重试。");
    }

    std::set<std::int64_t> gone;
    for (const auto& row : damaged) gone.insert(row.id);
    std::vector<history::ParsedDraw> draws;
    const auto& rows = workspace_.rows();
    draws.reserve(rows.size());
    for (const auto& row : rows) {
        if (gone.count(row.id)) continue;
        history::ParsedDraw draw;
        draw.period = row.period;
        for (int p = 0; p < history::kPositions; ++p) draw.numbers[p] = row.numbers()[p];
        draws.push_back(draw);
    }
    const Settings& s = workspace_.settings();
    workspace_.mutableZodiac().setValueOrder(s.zodiacInAnimalOrder, s.zodiacBase);
    std::optional<std::vector<history::HistoryRow>> kept;
    std::error_code ignored;
    try {
        kept = history::replaceHistory(workspace_.database(), workspace_.mutableZodiac(), draws,
                                       {s.segmentBase, true}, progress);
    } catch (const std::exception& e) {
        std::filesystem::remove(saved, ignored);
        if (!workspace_.databaseOpen()) {
            result.changed = true;
            return refused("修复已完成，新的历史号码已经保存，但数据库无法重新打开（" +
                           std::string(e.what()) + "）。请检查数据文件夹后重新启动程序。");
        }
        return refused("修复历史号码时数据库出错（" + std::string(e.what()) +
                       "）。历史号码没有改变。请检查磁盘空间和数据文件夹后重试。");
    }
    if (!kept) {
        std::filesystem::remove(saved, ignored);
        result.cancelled = true;
        return refused("修复历史号码已取消，历史号码没有改变。");
    }
    result.changed = true;
    result.removed = damaged.size();
    result.stored = kept->size();
    result.backupFile = saved;
    publish(std::move(*kept), false);
    result.outcome = Outcome::success(
        "已删除" + std::to_string(result.removed) + "行损坏的历史号码（" +
        history::describeDamagedRows(damaged) + "），保留" + std::to_string(result.stored) +
        "期，并已按当前设置重新计算。损坏的行已原样保存到“" + saved + "”。");
    return result;
}

} // namespace app
