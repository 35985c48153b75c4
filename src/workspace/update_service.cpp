#include "workspace/update_service.h"

#include "history/game_record.h"
#include "history/page_address.h"
#include "history/period.h"
#include "platform/html_table.h"
#include "platform/page_fetch.h"
#include "workspace/history_service.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <future>
#include <memory>
#include <set>
#include <thread>
#include <utility>

namespace app {

namespace {

UpdateResult failed(std::string message) {
    UpdateResult result;
    result.outcome = Outcome::failure(std::move(message));
    return result;
}

std::string nothingRead(const UpdateResult& r) {
    if (r.cancelled) return "在线更新已取消，历史号码没有改变。";
    return r.stoppedDay + "的网页无法读取（" + r.stopReason +
           "），没有更新：历史号码没有改变，也没有删除早于保留天数的历史号码。";
}

} // namespace

bool UpdateService::prunesNow() const {
    return prunes_ && workspace_.settings().updateDays > 0;
}

std::vector<history::Date> UpdateService::days() const {
    const Settings& s = workspace_.settings();
    std::set<int> withoutDraws;
    if (workspace_.databaseOpen())
        withoutDraws = history::loadDaysWithoutDraws(workspace_.database());
    const int keepDays = s.updateDays > 0 ? s.updateDays : kFirstDaysKeepingAll;
    return history::updateDays(workspace_.rows(), workspace_.today(), keepDays, s.game,
                               withoutDraws, !prunesNow());
}

size_t UpdateService::drawsToRemove() const {
    const Settings& s = workspace_.settings();
    if (s.updateDays <= 0) return 0;
    return history::rowsBefore(workspace_.rows(),
                               history::retentionStart(workspace_.today(), s.updateDays));
}

std::string UpdateService::pageAddress(history::Date day) const {
    const Settings& s = workspace_.settings();
    return history::dayPageAddress(s.updateSite, static_cast<int>(s.game), day);
}

namespace {

using Clock = std::chrono::steady_clock;
using Rows = std::vector<std::vector<std::string>>;

std::chrono::milliseconds until(Clock::time_point deadline) {
    return std::max(std::chrono::milliseconds(1),
                    std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()));
}

std::string wholeSeconds(std::chrono::milliseconds time) {
    return std::to_string((time.count() + 999) / 1000);
}

// What a page lists, read on a helper thread so that the wait can end at the deadline and the
// window (or a Ctrl+C) is heard meanwhile: the rows of its "draw_list" table, else the draws found
// in its own layout. A page not read by the deadline is given up: the helper finishes on its own
// and what it read is dropped.
struct TableReading {
    enum class Status { Read, TooDeep, TimedOut, Cancelled };
    Status status = Status::Read;
    std::optional<Rows> rows;
    std::optional<history::PageDraws> page;
};

TableReading readTableWithin(std::string text, Clock::time_point deadline,
                             UpdateProgress& progress) {
    if (platform::nestingDepth(text) > platform::kMaxNesting)
        return {TableReading::Status::TooDeep, std::nullopt, std::nullopt};
    struct Job {
        std::string text;
        std::promise<TableReading> reading;
    };
    auto job = std::make_shared<Job>();
    job->text = std::move(text);
    auto reading = job->reading.get_future();
    std::thread([job] {
        try {
            TableReading read;
            auto page = platform::readResultsPage(job->text);
            if (!page)
                read.status = TableReading::Status::TooDeep;
            else if (page->drawList)
                read.rows = std::move(page->drawList);
            else
                read.page = history::findPageDraws(page->rows, page->elements);
            job->reading.set_value(std::move(read));
        } catch (...) {
            job->reading.set_exception(std::current_exception());
        }
    }).detach();
    while (reading.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        QCoreApplication::processEvents();
        if (progress.cancelled()) return {TableReading::Status::Cancelled, {}, {}};
        if (Clock::now() >= deadline) return {TableReading::Status::TimedOut, {}, {}};
    }
    return reading.get();
}

} // namespace

UpdateService::DayReading UpdateService::readDay(history::Date day, Clock::time_point updateEnd,
                                                 UpdateProgress& progress) const {
    DayReading reading;
    for (int attempt = 0;; ++attempt) {
        if (Clock::now() >= updateEnd) {
            reading.problem = "在线更新超过了" + wholeSeconds(workspace_.updateTimeout()) +
                              "秒的时限，剩下的天没有读取";
            return reading;
        }
        // One limit for the whole of reading the day: the download and the reading of the page.
        const auto dayEnd = std::min(Clock::now() + workspace_.pageTimeout(), updateEnd);
        const auto page = platform::fetchPage(pageAddress(day), until(dayEnd),
                                              [&] { return progress.cancelled(); });
        if (page.cancelled || progress.cancelled()) {
            reading.cancelled = true;
            return reading;
        }
        if (!page.ok) {
            reading.problem = page.error;
            reading.unreachable = page.unreachable;
            reading.missing = page.status == 404 || page.status == 410;
            return reading;
        }
        auto text = platform::decodePage(page.body, page.contentType);
        if (!text) {
            reading.problem = "网页的字符集无法识别";
            return reading;
        }
        auto table = readTableWithin(std::move(*text), dayEnd, progress);
        switch (table.status) {
        case TableReading::Status::Cancelled:
            reading.cancelled = true;
            return reading;
        case TableReading::Status::TooDeep:
            reading.problem = "网页的元素嵌套超过" + std::to_string(platform::kMaxNesting) +
                              "层，不是开奖网页，没有读取";
            return reading;
        case TableReading::Status::TimedOut:
            reading.problem = "网页在" + wholeSeconds(workspace_.pageTimeout()) + "秒内没有读完";
            return reading;
        case TableReading::Status::Read:
            break;
        }
        if (table.rows) {
            if (!table.rows->empty()) {
                reading.rows = std::move(table.rows);
                return reading;
            }
            // A list not filled in yet: this day again, a bounded number of times.
            if (attempt < kRestarts) continue;
            reading.problem = "开奖表中没有任何一行";
            return reading;
        }
        if (table.page->shortIdsOfAnotherDay(day)) {
            reading.problem = "网页上的日期都不是" + history::isoDay(day) +
                              "，而期号只写了当天的期数（01、02……），无法确认这些开奖号码属于" +
                              history::isoDay(day) + "，没有读取";
            return reading;
        }
        if (table.page->severalGames()) {
            std::string names;
            for (const auto& name : table.page->gameNames)
                names += (names.empty() ? "" : "、") + name;
            reading.problem = "网页上找不到开奖号码：网页列出的是几个彩种（" + names +
                              "）的开奖，不是" + history::isoDay(day) + "这一天的开奖表，没有读取";
            return reading;
        }
        if (!table.page->draws.empty()) {
            reading.page = std::move(table.page);
            return reading;
        }
        if (attempt < kRestarts) continue;
        // A page that shows the heading of a results list is a day without draws; one that reads
        // as nothing at all is one only when the other days of the site tell so (the caller's):
        // a page read as none (its layout changed, or no results page) must not pass for a
        // holiday.
        if (table.page->dayWithoutDraws()) {
            reading.page = std::move(table.page);
            return reading;
        }
        if (table.page->readsEmpty()) {
            reading.page = std::move(table.page);
            reading.emptyList = "网页上找不到开奖号码：没有开奖表，也没有能读出的期号和开奖号码";
            return reading;
        }
        reading.problem = "网页上找不到开奖号码：没有开奖表，也没有能读出的期号和开奖号码";
        if (table.page->unread > 0)
            reading.problem +=
                "（有" + std::to_string(table.page->unread) + "个期号后面的开奖号码格式无法识别）";
        return reading;
    }
}

UpdateResult UpdateService::update(UpdateProgress& progress) {
    if (auto open = workspace_.requireWritable(); !open.ok) return failed(open.message);
    // New draws would be derived after the damaged rows.
    if (auto sound = workspace_.checkDraws(); !sound.ok) return failed(sound.message);
    const Settings& s = workspace_.settings();
    if (s.updateSite.empty())
        return failed("还没有设置开奖网站的地址：请先设置网址（例如 http://127.0.0.1:8080），"
                      "再在线更新。历史号码没有改变。");
    const auto updateEnd = Clock::now() + workspace_.updateTimeout();
    const history::Game game = s.game;

    // Pages are fetched without the lock. Every sound draw a page lists is kept: which of them
    // are new is decided under the lock, against the history as it is then.
    UpdateResult result;
    std::map<int, history::ListedDraw> found;               // by period
    std::set<int> daysRead;                                 // day numbers of the days read whole
    std::set<std::pair<std::string, std::string>> reported; // skipped draws told already
    std::set<int> daysPassed;         // days read again for draws missing that could not be read
    std::optional<int> stoppedAt;     // the day number of the day that could not be read
    std::set<int> withoutDraws;       // days read that had no draws
    std::set<std::string> drawFrames; // the frames of the lists days with draws had them in
    bool drawsSeen = false;           // a day read had draws
    const std::set<int> earlierBreak = history::loadDaysWithoutDraws(workspace_.database());
    const bool startedEmpty = workspace_.rows().empty();
    // Days whose page lists nothing, without a heading, waiting for a later day with draws to
    // tell that they are days without draws: day number, day and why.
    struct Waiting {
        int number;
        std::string day;
        std::string reason;
    };
    // The first day an empty history passed because it could not be read.
    std::optional<Waiting> firstPassed;
    for (int round = 1;; ++round) {
        const auto window = days();
        std::vector<Waiting> waiting;
        const auto stopAt = [&](int number, const std::string& day, const std::string& reason,
                                bool unreachable) {
            // A day waiting before it could not be told: the update stops there.
            if (!waiting.empty()) {
                stoppedAt = waiting.front().number;
                result.stoppedDay = waiting.front().day;
                result.stopReason = waiting.front().reason;
                return;
            }
            stoppedAt = number;
            result.stoppedDay = day;
            result.stopReason = reason;
            result.siteUnreachable = unreachable;
        };
        for (size_t i = 0; i < window.size(); ++i) {
            const int number = history::dayNumber(window[i]);
            if (stoppedAt && number >= *stoppedAt) break;
            if (daysRead.count(number) || daysPassed.count(number)) continue;
            const std::string day = history::isoDay(window[i]);
            progress.fetching(day, i, window.size());
            DayReading reading = readDay(window[i], updateEnd, progress);
            if (reading.cancelled || progress.cancelled()) {
                // The days read completely before are kept.
                result.cancelled = true;
                stoppedAt = waiting.empty() ? number : waiting.front().number;
                break;
            }
            const auto& rows = workspace_.rows();
            const bool listsNothing =
                reading.problem.empty() &&
                (reading.rows ? reading.rows->size() <= 1
                              : !reading.emptyList.empty() || reading.page->draws.empty());
            if (listsNothing) {
                // A page that lists nothing for a day the history holds draws of is no holiday.
                const auto held = std::count_if(rows.begin(), rows.end(), [&](const auto& row) {
                    return row.period / 100 == number;
                });
                if (held > 0)
                    reading.problem =
                        "网页上找不到开奖号码：网页上没有读出任何一期，而历史号码中已有这一天的" +
                        std::to_string(held) + "期；网页的格式可能无法识别";
            }
            if (!reading.problem.empty() && !rows.empty() && number < rows.back().period / 100) {
                // A day read again only for draws missing within it: the update goes on without
                // it, and a later update tries it again.
                result.skipped.push_back({day, "这一天的网页无法再读（" + reading.problem +
                                                   "），其中未列出的期没有补上"});
                daysPassed.insert(number);
                continue;
            }
            if (reading.missing && rows.empty() && !drawsSeen) {
                // An empty history begins where the site's draws do: a day before them that the
                // site has no page for is passed, and the update goes on with the later days. (A
                // day that failed otherwise may have draws: the update stops there.)
                result.skipped.push_back({day, "这一天的网页无法读取（" + reading.problem +
                                                   "），历史号码为空，从以后的日子开始更新"});
                if (!firstPassed) firstPassed = Waiting{number, day, reading.problem};
                daysPassed.insert(number);
                continue;
            }
            if (!reading.problem.empty()) {
                stopAt(number, day, reading.problem, reading.unreachable);
                break;
            }
            if (!reading.emptyList.empty()) {
                // The list the days with draws had, shown empty: a day without draws.
                const bool sameList =
                    std::any_of(drawFrames.begin(), drawFrames.end(), [&](const std::string& f) {
                        return reading.page->showsEmptyList(f);
                    });
                // Or it goes on a break an earlier update found (the day before had no draws).
                const int dayBefore = history::dayNumber(
                    history::Date{std::chrono::sys_days{window[i]} - std::chrono::days{1}});
                if (sameList || earlierBreak.count(dayBefore)) {
                    withoutDraws.insert(number);
                    daysRead.insert(number);
                } else {
                    waiting.push_back({number, day, reading.emptyList});
                }
                continue;
            }
            const auto table = reading.rows
                                   ? history::readDayTable(*reading.rows, game, window[i], 0)
                                   : history::readPageDraws(*reading.page, game, window[i], 0);
            if (table.otherGame) {
                // Nothing of a day that seems to be another game's goes into this game's history.
                stopAt(number, day,
                       "网页上列出的" + std::to_string(table.listed) + "期都不符合" +
                           history::gameName(game) +
                           "（期号的格式或当天的期数不对），这个网页似乎属于另一个彩种",
                       false);
                break;
            }
            if (table.otherNumbers()) {
                // Another lottery's numbers: the few that look like draws are none either.
                stopAt(number, day,
                       "网页上列出的" + std::to_string(table.withNumbers) + "组号码中有" +
                           std::to_string(table.unsoundNumbers) +
                           "组不是01到11之间互不相同的五个号码，这个网页似乎不是" +
                           history::gameName(game) + "的开奖号码，这一天一期也没有存入",
                       false);
                break;
            }
            if (!table.draws.empty()) {
                // Days that listed nothing between days with draws (or after stored draws) had
                // none.
                if (drawsSeen || (!rows.empty() && rows.front().period / 100 < number))
                    for (const auto& w : waiting) {
                        withoutDraws.insert(w.number);
                        daysRead.insert(w.number);
                    }
                else
                    // Days before the first draws an empty history gets: passed.
                    for (const auto& w : waiting) daysPassed.insert(w.number);
                waiting.clear();
                drawsSeen = true;
                if (reading.page && !reading.page->drawFrame.empty())
                    drawFrames.insert(reading.page->drawFrame);
            } else if (table.listed == 0 && table.skipped.empty()) {
                withoutDraws.insert(number); // a heading alone
            }
            for (const auto& draw : table.draws) found[draw.period] = draw;
            // A day read again in a later round reports its skipped draws again: said once. A
            // set keeps this linear on pages with many thousands of wrong rows.
            for (const auto& skipped : table.skipped)
                if (reported.insert({skipped.what, skipped.reason}).second)
                    result.skipped.push_back(skipped);
            daysRead.insert(number);
        }
        // Days still waiting at the end: nothing after them told what they are.
        if (!waiting.empty() && !result.cancelled &&
            (!stoppedAt || waiting.front().number < *stoppedAt))
            stopAt(0, {}, {}, false);
        // An empty history and not one page with draws: a site whose lists are filled by a
        // script shows the heading alone every day, which must not pass for days without draws
        // (and be passed for good).
        if (startedEmpty && !drawsSeen && !result.cancelled && !stoppedAt && !window.empty()) {
            stoppedAt = history::dayNumber(window.front());
            result.stoppedDay = history::isoDay(window.front());
            result.stopReason =
                "网页上找不到开奖号码：所读的各天网页都没有列出开奖号码（只有表头或空的"
                "列表），无法确认这个网站的网页列出开奖号码";
            // Not one day read: the first that could not be is why.
            if (firstPassed && daysRead.empty()) {
                result.stoppedDay = firstPassed->day;
                result.stopReason = firstPassed->reason;
            }
        }

        // The draws were fetched for one game; they go into that game's history only.
        if (workspace_.settings().game != game)
            return failed("在线更新期间彩种改成了" + history::gameName(workspace_.settings().game) +
                          "，取到的" + history::gameName(game) + "的开奖号码没有存入，" +
                          "历史号码没有改变。请重新在线更新。");
        WriteLock lock;
        if (auto locked = workspace_.lockForWriting(lock); !locked.ok)
            return failed(locked.message);
        // Another process may have stored, cut back or replaced the history meanwhile: the days
        // it needs now must all have been read (up to a day that could not be), else the days
        // missing are read first, without the lock.
        const auto needed = days();
        const bool allRead = std::all_of(needed.begin(), needed.end(), [&](history::Date d) {
            const int number = history::dayNumber(d);
            return (stoppedAt && number >= *stoppedAt) || daysRead.count(number) > 0 ||
                   daysPassed.count(number) > 0;
        });
        if (!allRead) {
            if (result.cancelled) {
                result.outcome = Outcome::failure(nothingRead(result));
                return result;
            }
            if (round < kRounds) continue;
            return failed("在线更新期间，另一个操作（另一个窗口或命令行）一再改变历史号码，"
                          "在线更新没有存入任何一期，历史号码没有改变。请稍后再更新。");
        }
        if (stoppedAt && (needed.empty() || *stoppedAt <= history::dayNumber(needed.front()))) {
            // Not even the first day: nothing changes at all.
            result.outcome = Outcome::failure(nothingRead(result));
            return result;
        }
        return store(result, found, daysRead, stoppedAt, withoutDraws);
    }
}

} // namespace app
