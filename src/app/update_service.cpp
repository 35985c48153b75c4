#include "app/update_service.h"

#include "app/history_service.h"
#include "platform/html_table.h"
#include "platform/page_fetch.h"

#include <algorithm>
#include <filesystem>
#include <map>

namespace app {

namespace {

// The name of a text copy of draws the update removed starts so.
constexpr const char* kRemovedPrefix = "更新删除-";

UpdateResult failed(std::string message) {
    UpdateResult result;
    result.outcome = Outcome::failure(std::move(message));
    return result;
}

std::string describe(const UpdateResult& r) {
    std::string text = "在线更新：新存入" + std::to_string(r.stored) + "期";
    if (r.removed > 0)
        text += "，删除" + std::to_string(r.removed) + "期早于保留天数的历史号码（已保存到“" +
                r.removedFile + "”）";
    text += "。";
    if (!r.skipped.empty()) {
        text += "\n网页上有" + std::to_string(r.skipped.size()) + "期没有存入：\n";
        for (size_t i = 0; i < r.skipped.size() && i < 20; ++i)
            text += r.skipped[i].what + "：" + r.skipped[i].reason + "\n";
        if (r.skipped.size() > 20)
            text += "……另有" + std::to_string(r.skipped.size() - 20) + "期。\n";
    }
    if (r.cancelled)
        text += "\n在线更新已取消：取消前已读完的各天已经存入，其余的天下次更新时再读。";
    else if (!r.stoppedDay.empty())
        text += "\n" + r.stoppedDay + "的网页无法读取（" + r.stopReason + "），更新停在这一天；" +
                "之前各天已经存入，下次更新从这一天继续。";
    return text;
}

// Nothing was read before the update stopped: nothing was stored, nothing removed.
std::string nothingRead(const UpdateResult& r) {
    if (r.cancelled) return "在线更新已取消，历史号码没有改变。";
    return r.stoppedDay + "的网页无法读取（" + r.stopReason +
           "），没有更新：历史号码没有改变，也没有删除早于保留天数的历史号码。";
}

} // namespace

std::vector<history::Date> UpdateService::days() const {
    const Settings& s = workspace_.settings();
    return history::updateDays(workspace_.rows(), workspace_.today(), s.updateDays);
}

size_t UpdateService::drawsToRemove() const {
    const Settings& s = workspace_.settings();
    return history::rowsBefore(workspace_.rows(),
                               history::retentionStart(workspace_.today(), s.updateDays));
}

std::string UpdateService::pageAddress(history::Date day) const {
    const Settings& s = workspace_.settings();
    return s.updateSite + "/lottery/draw/list/" + std::to_string(static_cast<int>(s.game)) +
           "?d=" + history::isoDay(day);
}

UpdateResult UpdateService::update(UpdateProgress& progress) {
    if (auto open = workspace_.requireDatabase(); !open.ok) return failed(open.message);
    const Settings& s = workspace_.settings();
    if (s.updateSite.empty())
        return failed("还没有设置开奖网站的地址：请先设置网址（例如 http://127.0.0.1:8080），"
                      "再在线更新。历史号码没有改变。");
    const auto window = days();
    const int newest = workspace_.rows().empty() ? 0 : workspace_.rows().back().period;

    // Fetch every day first; the history is locked only for storing.
    UpdateResult result;
    std::map<int, history::ListedDraw> found;
    size_t stoppedAt = window.size();
    int restarts = 0;
    for (size_t i = 0; i < window.size(); ++i) {
        const std::string day = history::isoDay(window[i]);
        progress.fetching(day, i, window.size());
        const auto page = platform::fetchPage(pageAddress(window[i]), workspace_.pageTimeout(),
                                              [&] { return progress.cancelled(); });
        if (page.cancelled || progress.cancelled()) {
            // The days read completely before are kept.
            result.cancelled = true;
            stoppedAt = i;
            break;
        }
        std::string problem;
        std::optional<std::vector<std::vector<std::string>>> rows;
        if (!page.ok) {
            problem = page.error;
        } else if (const auto text = platform::decodePage(page.body, page.contentType); !text) {
            problem = "网页的字符集无法识别";
        } else {
            rows = platform::tableRows(*text, "draw_list");
            if (!rows || rows->empty()) {
                // A list not filled in yet: the whole pass again, a bounded number of times.
                if (restarts < kRestarts) {
                    ++restarts;
                    i = static_cast<size_t>(-1);
                    continue;
                }
                problem = rows ? "开奖表中没有任何一行" : "网页中没有开奖表";
            }
        }
        if (!problem.empty()) {
            result.stoppedDay = day;
            result.stopReason = problem;
            result.siteUnreachable = page.unreachable;
            stoppedAt = i;
            break;
        }
        const auto table = history::readDayTable(*rows, s.game, window[i], newest);
        for (const auto& draw : table.draws) found.emplace(draw.period, draw);
        for (const auto& skipped : table.skipped) {
            const bool known = std::any_of(
                result.skipped.begin(), result.skipped.end(), [&](const history::SkippedDraw& k) {
                    return k.what == skipped.what && k.reason == skipped.reason;
                });
            if (!known) result.skipped.push_back(skipped);
        }
    }
    if (stoppedAt == 0) {
        // Not even the first day: nothing changes at all.
        result.outcome = Outcome::failure(nothingRead(result));
        return result;
    }

    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return failed(locked.message);
    // Another process may have stored some of these draws meanwhile.
    const int newestNow = workspace_.rows().empty() ? 0 : workspace_.rows().back().period;
    std::vector<history::ListedDraw> draws;
    for (const auto& [period, draw] : found)
        if (period > newestNow) draws.push_back(draw);
    const history::Date keepFrom = history::retentionStart(workspace_.today(), s.updateDays);
    const size_t removed = history::rowsBefore(workspace_.rows(), keepFrom);
    if (removed > 0) {
        try {
            result.removedFile =
                saveDrawsAsText(HistoryService(workspace_).importFolder(), workspace_.rows(), 0,
                                removed, kRemovedPrefix, kKeptFiles);
        } catch (const std::exception& e) {
            return failed(std::string("无法先把要删除的旧历史号码保存到历史号码文件夹（") +
                          e.what() + "），没有更新，历史号码没有改变。请检查磁盘空间后重试。");
        }
    }
    try {
        history::storeUpdate(workspace_.database(), workspace_.mutableZodiac(), s.segmentBase,
                             keepFrom, draws);
    } catch (const std::exception& e) {
        std::error_code ignored;
        if (!result.removedFile.empty()) std::filesystem::remove(result.removedFile, ignored);
        return failed(std::string("在线更新时数据库出错（") + e.what() +
                      "），历史号码没有改变。请检查磁盘空间和数据文件夹后重试。");
    }
    result.stored = draws.size();
    result.removed = removed;
    result.changed = result.stored > 0 || result.removed > 0;
    // The span as at start: over the whole history.
    workspace_.historyChanged(true);
    const std::string text = describe(result);
    result.outcome =
        result.complete() || result.cancelled ? Outcome::success(text) : Outcome::failure(text);
    return result;
}

} // namespace app
