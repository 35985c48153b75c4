// The repair of a history holding rows that cannot be a draw of it: rows whose period or numbers
// are damaged and the second rows of a period stored twice are saved as they are stored and
// removed; the rest is derived afresh in the order of the periods, so that no value derived from
// a removed row, or from a draw stored out of order, remains.

#include "history/history_import.h"
#include "history/maintenance.h"
#include "workspace/history_service.h"

#include <algorithm>
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
    const auto& rows = workspace_.rows();
    std::string removedText;
    std::set<std::int64_t> gone;
    size_t moved = 0;
    for (const auto& row : damaged) {
        if (!row.removed()) {
            ++moved;
            continue;
        }
        removedText += row.stored + "\r\n";
        gone.insert(row.id);
    }
    // What goes is saved as stored; a history whose draws only move is saved whole, in the order
    // it was stored in.
    std::string saved, savedOrder;
    std::error_code ignored;
    const auto forgetCopies = [&] {
        if (!saved.empty()) std::filesystem::remove(saved, ignored);
        if (!savedOrder.empty()) std::filesystem::remove(savedOrder, ignored);
    };
    try {
        const history::Game game = workspace_.settings().game;
        if (!removedText.empty())
            saved = saveTextCopy(importFolder(), removedText,
                                 gameFilePrefix(kDeletedCopyPrefix, game), kKeptDeletions);
        if (moved > 0) {
            std::vector<history::HistoryRow> asStored;
            for (const auto& row : rows)
                if (!gone.count(row.id)) asStored.push_back(row);
            std::stable_sort(asStored.begin(), asStored.end(),
                             [](const auto& a, const auto& b) { return a.id < b.id; });
            savedOrder =
                saveTextCopy(importFolder(), history::backupText(asStored, asStored.size()),
                             gameFilePrefix("备份-", game), kKeptBackups);
        }
    } catch (const std::exception& e) {
        forgetCopies();
        return refused("无法先把要修复的历史号码保存到历史号码文件夹（" + std::string(e.what()) +
                       "），没有修复，历史号码没有改变。请检查磁盘空间和数据文件夹后重试。");
    }

    // The rows in memory are in the order of the periods: the draws kept are derived in it.
    std::vector<history::ParsedDraw> draws;
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
    try {
        kept = history::replaceHistory(workspace_.database(), workspace_.mutableZodiac(), draws,
                                       {s.segmentBase, true}, progress);
    } catch (const std::exception& e) {
        if (!workspace_.databaseOpen()) {
            result.changed = true;
            result.backupFile = saved;
            return refused("修复已完成，新的历史号码已经保存，但数据库无法重新打开（" +
                           std::string(e.what()) + "）。请检查数据文件夹后重新启动程序。");
        }
        forgetCopies();
        return refused("修复历史号码时数据库出错（" + std::string(e.what()) +
                       "）。历史号码没有改变。请检查磁盘空间和数据文件夹后重试。");
    }
    if (!kept) {
        forgetCopies();
        result.cancelled = true;
        return refused("修复历史号码已取消，历史号码没有改变。");
    }
    result.changed = true;
    result.removed = gone.size();
    result.stored = kept->size();
    result.backupFile = saved.empty() ? savedOrder : saved;
    publish(std::move(*kept), false);
    std::string message = "已修复历史号码（" + history::describeDamagedRows(damaged) + "）：";
    if (!gone.empty())
        message += "删除了" + std::to_string(gone.size()) +
                   "行损坏或重复存入的历史号码，原样保存到“" + saved + "”；";
    if (moved > 0)
        message += std::to_string(moved) + "期按期号顺序排到了应在的位置，原来的存放次序保存在“" +
                   savedOrder + "”；";
    message += "保留" + std::to_string(result.stored) + "期，并已按期号顺序和当前设置重新计算。";
    result.outcome = Outcome::success(message);
    return result;
}

} // namespace app
