#include "workspace/update_service.h"

// Storing what an update read, and taking the site's numbers for a stored draw it contradicts.

#include "history/period.h"
#include "workspace/history_service.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace app {

namespace {

// The name of a text copy of draws the update removed starts so.
constexpr const char* kRemovedPrefix = "更新删除-";
// And of a copy of the draws replaced by the site's numbers.
constexpr const char* kReplacedPrefix = "更新替换-";

std::string numbersText(const history::Numbers& numbers) {
    std::string text;
    for (int n : numbers) text += (text.empty() ? "" : " ") + history::format00(n);
    return text;
}

UpdateResult failed(std::string message) {
    UpdateResult result;
    result.outcome = Outcome::failure(std::move(message));
    return result;
}

std::string describe(const UpdateResult& r, history::Game game) {
    std::string text = "在线更新：新存入" + std::to_string(r.stored) + "期";
    if (r.filled > 0)
        text += "（其中" + std::to_string(r.filled) + "期补上了以前网页上没有列出的）";
    if (r.removed > 0)
        text += "，删除" + std::to_string(r.removed) + "期早于保留天数的历史号码（已保存到“" +
                r.removedFile + "”）";
    text += "。";
    if (!r.differing.empty()) {
        text += "\n网站上有" + std::to_string(r.differing.size()) +
                "期的号码与历史号码中的不同，这些期没有改动：\n";
        for (size_t i = 0; i < r.differing.size() && i < 20; ++i)
            text += UpdateService::differingText(r.differing[i], game) + "\n";
        if (r.differing.size() > 20)
            text += "……另有" + std::to_string(r.differing.size() - 20) + "期。\n";
    }
    if (!r.skipped.empty()) {
        text += "\n网页上有" + std::to_string(r.skipped.size()) + "期没有存入：\n";
        for (size_t i = 0; i < r.skipped.size() && i < 20; ++i)
            text += r.skipped[i].what + "：" + r.skipped[i].reason + "\n";
        if (r.skipped.size() > 20)
            text += "……另有" + std::to_string(r.skipped.size() - 20) + "期。\n";
    }
    if (!r.unlisted.empty()) {
        // Runs of a day's draws: 第2016090801–64期.
        text += "\n";
        size_t runs = 0;
        for (size_t i = 0; i < r.unlisted.size();) {
            size_t end = i + 1;
            while (end < r.unlisted.size() && r.unlisted[end] == r.unlisted[end - 1] + 1 &&
                   r.unlisted[end] / 100 == r.unlisted[i] / 100)
                ++end;
            if (++runs <= 20) {
                text += "第" + history::gridPeriodText(r.unlisted[i], game);
                if (end - i > 1) text += "–" + history::format00(r.unlisted[end - 1] % 100);
                text += "期页面未列出\n";
            }
            i = end;
        }
        if (runs > 20) text += "……另有" + std::to_string(runs - 20) + "段页面未列出。\n";
        text += "这些期没有存入，下次在线更新时再读这一天。\n";
    }
    if (!r.daysWithoutDraws.empty()) {
        text += "\n";
        for (size_t i = 0; i < r.daysWithoutDraws.size(); ++i)
            text += (i ? "、" : "") + r.daysWithoutDraws[i];
        text += "当天没有开奖（网页上没有列出开奖号码），更新跳过了这些天，以后也不再读取。\n";
    }
    if (r.cancelled)
        text += "\n在线更新已取消：取消前已读完的各天已经存入，其余的天下次更新时再读。";
    else if (!r.stoppedDay.empty())
        text += "\n" + r.stoppedDay + "的网页无法读取（" + r.stopReason + "），更新停在这一天；" +
                "之前各天已经存入，下次更新从这一天继续。";
    return text;
}

// Nothing was read before the update stopped: nothing was stored, nothing removed.
} // namespace

std::string UpdateService::differingText(const history::DifferingDraw& draw, history::Game game) {
    return "第" + history::gridPeriodText(draw.period, game) + "期：历史号码中是 " +
           numbersText(draw.stored) + "，网站上是 " + numbersText(draw.listed);
}

Outcome UpdateService::takeSiteDraws(const std::vector<history::DifferingDraw>& draws) {
    if (draws.empty()) return Outcome::success();
    if (auto open = workspace_.requireWritable(); !open.ok) return open;
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return locked;
    if (auto sound = workspace_.checkDraws(); !sound.ok) return sound;
    const Settings& s = workspace_.settings();
    const auto& rows = workspace_.rows();
    // The replaced draws as they are stored now, saved first; one that changed meanwhile stops it.
    std::vector<history::HistoryRow> replaced;
    for (const auto& draw : draws) {
        const auto row = std::find_if(rows.begin(), rows.end(), [&](const history::HistoryRow& r) {
            return r.period == draw.period;
        });
        history::Numbers stored{};
        if (row != rows.end())
            for (int p = 0; p < 5; ++p) stored[p] = row->numbers()[p];
        if (row == rows.end() || stored != draw.stored)
            return Outcome::failure("第" + history::gridPeriodText(draw.period, s.game) +
                                    "期已不是原来的号码（另一个窗口或命令行刚改变了历史号码），"
                                    "没有改成网站上的号码，历史号码没有改变。请重新在线更新。");
        replaced.push_back(*row);
    }
    std::string savedFile;
    try {
        savedFile =
            saveDrawsAsText(HistoryService(workspace_).importFolder(), replaced, 0, replaced.size(),
                            gameFilePrefix(kReplacedPrefix, s.game), kKeptFiles);
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("无法先把要替换的历史号码保存到历史号码文件夹（") +
                                e.what() + "），历史号码没有改变。请检查磁盘空间后重试。");
    }
    try {
        history::replaceDraws(workspace_.database(), workspace_.mutableZodiac(), s.segmentBase,
                              draws);
    } catch (const std::exception& e) {
        std::error_code ignored;
        std::filesystem::remove(savedFile, ignored);
        return Outcome::failure(std::string("改成网站上的号码时出错（") + e.what() +
                                "），历史号码没有改变。");
    }
    workspace_.historyChanged(false);
    return Outcome::success("已把" + std::to_string(draws.size()) +
                            "期改成网站上的号码，原来的号码已保存到“" + savedFile + "”。");
}

UpdateResult UpdateService::store(UpdateResult result,
                                  const std::map<int, history::ListedDraw>& found,
                                  const std::set<int>& daysRead, std::optional<int> stoppedAt,
                                  const std::set<int>& withoutDraws) {
    const Settings& s = workspace_.settings();
    const history::Game game = s.game;
    const auto& rows = workspace_.rows();
    const int newest = rows.empty() ? 0 : rows.back().period;
    const history::Date today = workspace_.today();
    const bool prunes = prunesNow();
    const history::Date keepFrom = history::retentionStart(today, s.updateDays);
    const auto storedAt = [&](int period) {
        const auto at =
            std::lower_bound(rows.begin(), rows.end(), period,
                             [](const history::HistoryRow& row, int p) { return row.period < p; });
        return at != rows.end() && at->period == period ? &*at : nullptr;
    };
    // A period of a day with stored draws that the history lacks (a page had not listed it).
    std::map<int, std::set<int>> missing; // by day number
    const auto isGap = [&](int period) {
        const int day = period / 100;
        auto known = missing.find(day);
        if (known == missing.end()) {
            const auto list =
                history::unlistedDraws(rows, history::dateOfPeriod(period), game, today);
            known = missing.emplace(day, std::set<int>(list.begin(), list.end())).first;
        }
        return known->second.count(period) > 0;
    };
    // New: after the newest stored draw, or missing between two stored draws of its day.
    std::vector<history::ListedDraw> draws;
    size_t filled = 0;
    for (const auto& [period, draw] : found) {
        if (stoppedAt && period / 100 >= *stoppedAt) continue;
        if (prunes && period / 100 < history::dayNumber(keepFrom)) continue;
        if (period > newest) {
            draws.push_back(draw);
        } else if (const history::HistoryRow* row = storedAt(period)) {
            // A stored draw (typed, say) the site gives otherwise is told and left as it is.
            history::Numbers stored{};
            for (int p = 0; p < 5; ++p) stored[p] = row->numbers()[p];
            if (stored != draw.numbers) result.differing.push_back({period, stored, draw.numbers});
        } else if (isGap(period)) {
            draws.push_back(draw);
            ++filled;
        }
    }
    const size_t removed = prunes ? history::rowsBefore(workspace_.rows(), keepFrom) : 0;
    if (removed > 0) {
        try {
            result.removedFile =
                saveDrawsAsText(HistoryService(workspace_).importFolder(), workspace_.rows(), 0,
                                removed, gameFilePrefix(kRemovedPrefix, game), kKeptFiles);
        } catch (const std::exception& e) {
            return failed(std::string("无法先把要删除的旧历史号码保存到历史号码文件夹（") +
                          e.what() + "），没有更新，历史号码没有改变。请检查磁盘空间后重试。");
        }
    }
    // Past days without draws are recorded, for later updates to pass them.
    std::vector<int> passed;
    for (int day : withoutDraws)
        if ((!stoppedAt || day < *stoppedAt) && day < history::dayNumber(today)) {
            passed.push_back(day);
            result.daysWithoutDraws.push_back(history::isoDay(history::dateOfPeriod(day * 100)));
        }
    try {
        history::storeUpdate(workspace_.database(), workspace_.mutableZodiac(), s.segmentBase,
                             prunes ? std::optional<history::Date>(keepFrom) : std::nullopt, draws,
                             passed);
    } catch (const std::exception& e) {
        std::error_code ignored;
        if (!result.removedFile.empty()) std::filesystem::remove(result.removedFile, ignored);
        return failed(std::string("在线更新时数据库出错（") + e.what() +
                      "），历史号码没有改变。请检查磁盘空间和数据文件夹后重试。");
    }
    result.stored = draws.size();
    result.filled = filled;
    result.removed = removed;
    result.changed = result.stored > 0 || result.removed > 0;
    // The span as at start: over the whole history.
    workspace_.historyChanged(true);
    // Draws a page passed over within a day: told, and read again by the next update.
    for (int day : daysRead) {
        if (stoppedAt && day >= *stoppedAt) continue;
        for (int period : history::unlistedDraws(workspace_.rows(),
                                                 history::dateOfPeriod(day * 100), game, today))
            result.unlisted.push_back(period);
    }
    const std::string text = describe(result, game);
    result.outcome =
        result.complete() || result.cancelled ? Outcome::success(text) : Outcome::failure(text);
    return result;
}

} // namespace app
