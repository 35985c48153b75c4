#include "workspace/ticket_service.h"

#include "history/period.h"
#include "platform/file_io.h"
#include "workspace/history_service.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace app {

namespace {

std::string nowText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

std::string dayText(std::chrono::year_month_day day) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(day.year()),
                  static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()));
    return text;
}

bool isDayText(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    const std::chrono::year_month_day day{
        std::chrono::year{std::stoi(text.substr(0, 4))},
        std::chrono::month{static_cast<unsigned>(std::stoi(text.substr(5, 2)))},
        std::chrono::day{static_cast<unsigned>(std::stoi(text.substr(8, 2)))}};
    return day.ok();
}

// The draw of each stored period with sound numbers (the first row of a period stored twice).
play::DrawOfPeriod drawsOf(const history::OrderedHistory& history) {
    return [&history](int period) -> std::optional<play::Draw> {
        const auto& rows = history.rows();
        const auto it =
            std::lower_bound(rows.begin(), rows.end(), period,
                             [](const history::HistoryRow& row, int p) { return row.period < p; });
        if (it == rows.end() || it->period != period) return std::nullopt;
        const play::Draw& draw = it->numbers();
        if (std::any_of(draw.begin(), draw.end(), [](std::int16_t n) { return n < 1 || n > 11; }))
            return std::nullopt;
        return draw;
    };
}

} // namespace

std::optional<std::int64_t> parsePriceFen(const std::string& text) {
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    const std::string part = dot == std::string::npos ? "" : text.substr(dot + 1);
    auto digits = [](const std::string& s) {
        return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || whole.size() > 4 || !digits(whole) || part.size() > 2 || !digits(part) ||
        (dot != std::string::npos && part.empty()))
        return std::nullopt;
    std::int64_t fen = std::stoll(whole) * 100;
    if (!part.empty()) fen += std::stoll(part) * (part.size() == 1 ? 10 : 1);
    if (fen < play::kMinTicketPriceFen || fen > play::kMaxTicketPriceFen) return std::nullopt;
    return fen;
}

TicketFile readTicketFile(const std::string& path, play::Play play) {
    TicketFile result;
    std::string text;
    try {
        text = platform::readFile(path);
    } catch (const std::exception& e) {
        return {{}, "无法读取文件“" + path + "”：" + e.what()};
    }
    std::istringstream lines(text);
    std::string line;
    for (int n = 1; std::getline(lines, line); ++n) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (line.empty()) continue;
        std::string numbers = line;
        std::replace(numbers.begin(), numbers.end(), '|', ' ');
        const auto parsed = play::parseSelection(play, numbers);
        if (!parsed.selection) return {{}, "第" + std::to_string(n) + "行：" + parsed.error};
        result.tickets.push_back(*parsed.selection);
        if (result.tickets.size() > play::kMaxTicketsPerRecord)
            return {{}, "文件中的注数多于" + std::to_string(play::kMaxTicketsPerRecord) + "注"};
    }
    if (result.tickets.empty()) result.error = "文件“" + path + "”中没有号码";
    return result;
}

std::string recordText(const play::TicketRecord& r) {
    std::string text = "投注记录" + std::to_string(r.id) + "\t记入" + r.recorded + "\t" +
                       play::info(r.play).name + "\t" + r.entered + "\t" +
                       std::to_string(r.tickets.size()) + "注\t单价" + play::yuanText(r.priceFen) +
                       "元\t期号";
    for (size_t i = 0; i < r.periods.size(); ++i)
        text += (i ? "," : "") + history::tenDigit(r.periods[i]) + "x" +
                std::to_string(r.multipliers[i]);
    if (r.stopOnWin) text += "\t中奖后停止";
    text += "\r\n号码";
    for (const play::Selection& s : r.tickets) text += "\r\n" + play::selectionText(s);
    return text + "\r\n";
}

Outcome TicketService::add(const TicketRequest& q, std::int64_t* id) {
    const play::PlayInfo& info = play::info(q.play);
    play::TicketRecord r;
    r.play = q.play;
    r.tickets = q.tickets;
    std::string entered = q.entered;
    for (const std::string& pick : q.picks) {
        const auto expanded = play::expandPick(q.play, pick);
        if (!expanded.error.empty())
            return Outcome::failure("不是" + std::string(info.name) + "的投注：" + expanded.error +
                                    "。没有记入。");
        r.tickets.insert(r.tickets.end(), expanded.tickets.begin(), expanded.tickets.end());
        entered += (entered.empty() ? "" : "；") + pick;
        if (r.tickets.size() > play::kMaxTicketsPerRecord) break;
    }
    for (const play::Selection& s : r.tickets)
        if (!play::selectionsOf(q.play).indexOf(s))
            return Outcome::failure("“" + play::selectionText(s) + "”不是" + info.name +
                                    "的一注。没有记入。");
    if (r.tickets.empty()) return Outcome::failure("没有号码，没有记入。");
    if (r.tickets.size() > play::kMaxTicketsPerRecord)
        return Outcome::failure("一条记录最多" + std::to_string(play::kMaxTicketsPerRecord) +
                                "注，没有记入。");
    r.entered = entered;
    if (q.priceFen < play::kMinTicketPriceFen || q.priceFen > play::kMaxTicketPriceFen)
        return Outcome::failure("单价要在0.01到1000元之间，没有记入。");
    r.priceFen = q.priceFen;
    if (q.chase < 1 || q.chase > play::kMaxTicketChase)
        return Outcome::failure("追号期数要在1到999之间，没有记入。");
    if (!q.multipliers.empty() && static_cast<int>(q.multipliers.size()) != q.chase)
        return Outcome::failure("给了" + std::to_string(q.multipliers.size()) + "个倍数，追号却是" +
                                std::to_string(q.chase) + "期：每期一个倍数。没有记入。");
    for (const std::int64_t m :
         q.multipliers.empty() ? std::vector<std::int64_t>{q.multiplier} : q.multipliers)
        if (m < 1 || m > play::kMaxTicketMultiplier)
            return Outcome::failure("倍数要在1到9999之间（不是" + std::to_string(m) +
                                    "），没有记入。");
    r.stopOnWin = q.stopOnWin;

    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return locked;
    if (auto writable = workspace_.requireWritable(); !writable.ok) return writable;
    int first = 0;
    if (q.period.empty()) {
        const std::string next = workspace_.nextPeriodText();
        if (next.empty())
            return Outcome::failure("历史号码是空的，没有下一期：请给出期号。没有记入。");
        first = *history::parseTenDigitPeriod(next);
    } else {
        const auto parsed = history::parseTenDigitPeriod(q.period);
        // A draw number of an older, longer schedule is a period too: its draws are kept.
        const int largest = history::largestDrawNumber(workspace_.settings().game);
        if (!parsed || !play::periodExists(*parsed, largest))
            return Outcome::failure("期号“" + q.period + "”在这个彩种不存在（十位期号，每天01到" +
                                    std::to_string(largest) + "期）。没有记入。");
        first = *parsed;
    }
    r.periods = play::chasePeriods(first, q.chase, workspace_.drawsPerDay());
    if (static_cast<int>(r.periods.size()) != q.chase)
        return Outcome::failure("追号的期号超出了2099年，没有记入。");
    r.multipliers.clear();
    for (int i = 0; i < q.chase; ++i)
        r.multipliers.push_back(static_cast<int>(
            q.multipliers.empty() ? q.multiplier : q.multipliers[static_cast<size_t>(i)]));
    r.recorded = nowText();
    try {
        platform::Database& db = workspace_.database();
        platform::Transaction transaction(db);
        history::createTicketTable(db);
        const std::int64_t stored = history::insertTicketRow(db, play::rowOfRecord(r));
        transaction.commit();
        if (id) *id = stored;
        return Outcome::success("已记入投注记录" + std::to_string(stored) + "：" + info.name +
                                std::to_string(r.tickets.size()) + "注，" +
                                std::to_string(r.periods.size()) + "期。");
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("无法记入投注：") + e.what() + "。没有记入。");
    }
}

TicketList TicketService::list() {
    TicketList list;
    if (!workspace_.requireDatabase().ok) return list;
    std::vector<history::TicketRow> rows;
    try {
        rows = history::loadTicketRows(workspace_.database());
    } catch (const std::exception& e) {
        list.damaged.push_back(std::string("无法读取投注记录：") + e.what());
        return list;
    }
    const auto drawOf = drawsOf(workspace_.history());
    const play::Prizes& prizes = workspace_.settings().prizes;
    for (const auto& row : rows) {
        auto read = play::recordOfRow(row);
        if (!read.record) {
            list.damaged.push_back(read.problem);
            continue;
        }
        TicketView view{std::move(*read.record), {}};
        view.settled = play::settle(view.record, prizes, drawOf);
        list.records.push_back(std::move(view));
    }
    return list;
}

Outcome TicketService::remove(std::int64_t id) {
    WriteLock lock;
    if (auto locked = workspace_.lockForWriting(lock); !locked.ok) return locked;
    if (auto writable = workspace_.requireWritable(); !writable.ok) return writable;
    const TicketList all = list();
    const auto it = std::find_if(all.records.begin(), all.records.end(),
                                 [id](const TicketView& v) { return v.record.id == id; });
    std::string text;
    if (it != all.records.end()) {
        text = recordText(it->record);
    } else {
        // A damaged row is removed too, its stored values kept as they are.
        for (const auto& row : history::loadTicketRows(workspace_.database()))
            if (row.id == id)
                text = "投注记录" + std::to_string(id) + "（已损坏）\t" + row.recorded + "\t" +
                       row.play + "\t" + row.entered + "\t" + row.tickets + "\t" + row.periods +
                       "\r\n";
        if (text.empty()) return Outcome::failure("没有投注记录" + std::to_string(id) + "。");
    }
    std::string saved;
    try {
        saved = saveTextCopy(HistoryService(workspace_).importFolder(), text,
                             gameFilePrefix(kRemovedTicketsPrefix, workspace_.settings().game), 10);
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("无法把要删除的投注记录保存到历史号码文件夹（") +
                                e.what() + "），没有删除。");
    }
    try {
        platform::Database& db = workspace_.database();
        platform::Transaction transaction(db);
        history::deleteTicketRow(db, id);
        transaction.commit();
    } catch (const std::exception& e) {
        std::error_code ignored;
        std::filesystem::remove(saved, ignored);
        return Outcome::failure(std::string("无法删除投注记录：") + e.what() + "。没有删除。");
    }
    return Outcome::success("已删除投注记录" + std::to_string(id) + "，原记录保存在" + saved);
}

Outcome TicketService::ledger(const LedgerRequest& q, LedgerReport& report) {
    for (const std::string* day : {&q.from, &q.to})
        if (!day->empty() && !isDayText(*day))
            return Outcome::failure("日期写成YYYY-MM-DD，不是“" + *day + "”");
    if (auto open = workspace_.requireDatabase(); !open.ok) return open;
    const TicketList kept = list(); // the records the items point into
    report = {};
    report.damaged = kept.damaged;
    std::vector<play::LedgerItem> items;
    for (const TicketView& v : kept.records)
        for (const play::SettledPeriod& p : v.settled.periods) {
            const std::string day = play::drawDayText(p.period);
            if ((!q.from.empty() && day < q.from) || (!q.to.empty() && day > q.to)) continue;
            if (p.state == play::PeriodState::Waiting) {
                ++report.waitingPeriods;
                report.waitingStakeFen += p.stakeFen;
            } else if (p.state == play::PeriodState::Cancelled) {
                ++report.cancelledPeriods;
            } else {
                items.push_back({&v.record, p});
            }
        }
    const play::Prizes& prizes = workspace_.settings().prizes;
    report.lines = play::ledgerLines(items, q.by, prizes);
    report.bankroll = play::bankroll(items, prizes);
    return Outcome::success();
}

std::vector<std::pair<std::string, int>> TicketService::newlySettled(const TicketList& before,
                                                                     const TicketList& after) {
    std::set<std::pair<std::int64_t, int>> settled;
    for (const TicketView& v : before.records)
        for (const auto& p : v.settled.periods)
            if (p.state == play::PeriodState::Won || p.state == play::PeriodState::Lost)
                settled.insert({v.record.id, p.period});
    std::vector<std::pair<std::string, int>> notices;
    for (const TicketView& v : after.records)
        for (const auto& p : v.settled.periods)
            if ((p.state == play::PeriodState::Won || p.state == play::PeriodState::Lost) &&
                !settled.count({v.record.id, p.period}))
                notices.emplace_back("投注记录" + std::to_string(v.record.id) + "：" +
                                         play::settledNotice(v.record, p),
                                     p.period);
    return notices;
}

std::int64_t TicketService::todaysNetFen(const TicketList& list) const {
    const std::string today = dayText(workspace_.today());
    std::int64_t net = 0;
    for (const TicketView& v : list.records)
        for (const auto& p : v.settled.periods)
            if ((p.state == play::PeriodState::Won || p.state == play::PeriodState::Lost) &&
                play::drawDayText(p.period) == today)
                net += p.wonFen - p.stakeFen;
    return net;
}

} // namespace app
