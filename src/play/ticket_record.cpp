#include "play/ticket_record.h"

#include "history/period.h"

#include <algorithm>
#include <charconv>
#include <chrono>

namespace play {

namespace {

// The numbers of a text separated by blanks, commas or bars; nothing when a part is no number.
std::optional<std::vector<int>> numbersOf(const std::string& text, std::string& error) {
    return numbersOfText(text, " ,|\t",
                         "“" + text + "”无法识别：号码写成01到11，用空格、逗号或竖线分开", error);
}

bool repeats(std::vector<int> numbers) {
    std::sort(numbers.begin(), numbers.end());
    return std::adjacent_find(numbers.begin(), numbers.end()) != numbers.end();
}

Selection selectionOf(const std::vector<int>& numbers) {
    Selection s;
    s.size = static_cast<std::uint8_t>(numbers.size());
    for (size_t k = 0; k < numbers.size(); ++k)
        s.numbers[k] = static_cast<std::uint8_t>(numbers[k]);
    return s;
}

// Every choice of k of pool (ascending), each joined with fixed, as sorted tickets.
void combine(const std::vector<int>& fixed, const std::vector<int>& pool, int k,
             std::vector<Selection>& out) {
    std::vector<int> pick(static_cast<size_t>(k));
    std::vector<int> index(static_cast<size_t>(k));
    for (int i = 0; i < k; ++i) index[static_cast<size_t>(i)] = i;
    const int n = static_cast<int>(pool.size());
    while (true) {
        std::vector<int> numbers = fixed;
        for (int i = 0; i < k; ++i)
            numbers.push_back(pool[static_cast<size_t>(index[static_cast<size_t>(i)])]);
        std::sort(numbers.begin(), numbers.end());
        out.push_back(selectionOf(numbers));
        int i = k - 1;
        while (i >= 0 && index[static_cast<size_t>(i)] == n - k + i) --i;
        if (i < 0) return;
        ++index[static_cast<size_t>(i)];
        for (int j = i + 1; j < k; ++j)
            index[static_cast<size_t>(j)] = index[static_cast<size_t>(j - 1)] + 1;
    }
}

std::optional<std::chrono::year_month_day> dayOf(int period) {
    const int yy = period / 1000000, mm = period / 10000 % 100, dd = period / 100 % 100;
    const std::chrono::year_month_day day{std::chrono::year{2000 + yy},
                                          std::chrono::month{static_cast<unsigned>(mm)},
                                          std::chrono::day{static_cast<unsigned>(dd)}};
    if (!day.ok()) return std::nullopt;
    return day;
}

std::vector<int> intList(const std::string& text, bool& sound) {
    std::vector<int> values;
    size_t i = 0;
    while (i <= text.size() && !text.empty()) {
        size_t end = text.find(',', i);
        if (end == std::string::npos) end = text.size();
        int v = 0;
        const auto [p, ec] = std::from_chars(text.data() + i, text.data() + end, v);
        if (ec != std::errc() || p != text.data() + end) sound = false;
        values.push_back(v);
        if (end == text.size()) break;
        i = end + 1;
    }
    return values;
}

} // namespace

ExpandedPick expandPick(Play play, const std::string& text) {
    const PlayInfo& p = info(play);
    ExpandedPick result;
    const size_t hash = text.find('#');
    std::string error;
    const auto bankers =
        numbersOf(text.substr(0, hash == std::string::npos ? text.size() : hash), error);
    if (!bankers) return {{}, error};
    std::vector<int> rest;
    if (hash != std::string::npos) {
        if (text.find('#', hash + 1) != std::string::npos)
            return {{}, "“" + text + "”中有两个#：胆拖写成“胆码#拖码”"};
        const auto dragged = numbersOf(text.substr(hash + 1), error);
        if (!dragged) return {{}, error};
        rest = *dragged;
    }
    std::vector<int> all = *bankers;
    all.insert(all.end(), rest.begin(), rest.end());
    if (all.empty()) return {{}, "没有号码"};
    if (repeats(all)) return {{}, "“" + text + "”中有重复的号码"};
    const int k = p.size;
    const int n = static_cast<int>(all.size());
    if (p.ordered) {
        if (hash != std::string::npos || n != k)
            return {{},
                    std::string(p.name) + "每注" + std::to_string(k) + "个号码，按开出的顺序写，“" +
                        text + "”有" + std::to_string(n) + "个"};
        return {{selectionOf(all)}, {}};
    }
    if (hash == std::string::npos) {
        if (n < k)
            return {{},
                    std::string(p.name) + "每注" + std::to_string(k) + "个号码，“" + text +
                        "”只有" + std::to_string(n) + "个"};
        combine({}, all, k, result.tickets);
        return result;
    }
    const int banked = static_cast<int>(bankers->size());
    if (banked < 1 || banked >= k)
        return {{},
                std::string(p.name) + "的胆码要有1到" + std::to_string(k - 1) + "个，“" + text +
                    "”有" + std::to_string(banked) + "个"};
    if (n <= k)
        return {{},
                "胆拖的胆码和拖码合起来要多于" + std::to_string(k) + "个，“" + text + "”只有" +
                    std::to_string(n) + "个"};
    combine(*bankers, rest, k - banked, result.tickets);
    return result;
}

bool periodExists(int period, int drawsPerDay) {
    const int draw = period % 100;
    return period > 0 && period <= history::kLastPeriod && draw >= 1 && draw <= drawsPerDay &&
           dayOf(period).has_value();
}

std::vector<int> chasePeriods(int first, int count, int drawsPerDay) {
    std::vector<int> periods;
    int period = first;
    for (int i = 0; i < count; ++i) {
        periods.push_back(period);
        if (period % 100 < drawsPerDay) {
            ++period;
            continue;
        }
        const auto day = dayOf(period);
        if (!day) break;
        const std::chrono::year_month_day next{std::chrono::sys_days{*day} + std::chrono::days{1}};
        const int yy = static_cast<int>(next.year()) - 2000;
        if (yy > 99) break;
        period = ((yy * 100 + static_cast<int>(static_cast<unsigned>(next.month()))) * 100 +
                  static_cast<int>(static_cast<unsigned>(next.day()))) *
                     100 +
                 1;
    }
    return periods;
}

RecordOfRow recordOfRow(const history::TicketRow& row) {
    const std::string name = "投注记录" + std::to_string(row.id) + "已损坏：";
    if (!row.typesSound) return {std::nullopt, name + "有的栏目不是应有的类型"};
    TicketRecord r;
    r.id = row.id;
    r.recorded = row.recorded;
    r.entered = row.entered;
    const auto play = playOfCode(row.play);
    if (!play) return {std::nullopt, name + "玩法“" + row.play + "”不认识"};
    r.play = *play;
    size_t i = 0;
    while (i <= row.tickets.size()) {
        size_t end = row.tickets.find('|', i);
        if (end == std::string::npos) end = row.tickets.size();
        const auto parsed = parseSelection(r.play, row.tickets.substr(i, end - i));
        if (!parsed.selection) return {std::nullopt, name + parsed.error};
        r.tickets.push_back(*parsed.selection);
        if (end == row.tickets.size()) break;
        i = end + 1;
    }
    if (r.tickets.size() > kMaxTicketsPerRecord) return {std::nullopt, name + "注数太多"};
    if (row.priceFen < kMinTicketPriceFen || row.priceFen > kMaxTicketPriceFen)
        return {std::nullopt, name + "单价不在0.01到1000元之间"};
    r.priceFen = row.priceFen;
    bool sound = true;
    r.periods = intList(row.periods, sound);
    if (!sound || r.periods.empty() || r.periods.size() > static_cast<size_t>(kMaxTicketChase))
        return {std::nullopt, name + "期号无法识别"};
    for (const int period : r.periods)
        if (!periodExists(period, 99))
            return {std::nullopt, name + "期号" + std::to_string(period) + "不存在"};
    if (row.multipliers.empty()) {
        if (row.multiplier < 1 || row.multiplier > kMaxTicketMultiplier)
            return {std::nullopt, name + "倍数不在1到9999之间"};
        r.multipliers.assign(r.periods.size(), static_cast<int>(row.multiplier));
    } else {
        r.multipliers = intList(row.multipliers, sound);
        if (!sound || r.multipliers.size() != r.periods.size())
            return {std::nullopt, name + "各期倍数与期数不符"};
        for (const int m : r.multipliers)
            if (m < 1 || m > kMaxTicketMultiplier)
                return {std::nullopt, name + "倍数不在1到9999之间"};
    }
    if (row.stopOnWin != 0 && row.stopOnWin != 1)
        return {std::nullopt, name + "中奖后停止的标记无法识别"};
    r.stopOnWin = row.stopOnWin == 1;
    return {std::move(r), {}};
}

history::TicketRow rowOfRecord(const TicketRecord& r) {
    history::TicketRow row;
    row.id = r.id;
    row.recorded = r.recorded;
    row.play = info(r.play).code;
    row.entered = r.entered;
    for (size_t i = 0; i < r.tickets.size(); ++i)
        row.tickets += (i ? "|" : "") + selectionText(r.tickets[i]);
    for (size_t i = 0; i < r.periods.size(); ++i)
        row.periods += (i ? "," : "") + std::to_string(r.periods[i]);
    row.priceFen = r.priceFen;
    row.stopOnWin = r.stopOnWin ? 1 : 0;
    row.multiplier = r.multipliers.empty() ? 1 : r.multipliers.front();
    const bool constant = std::all_of(r.multipliers.begin(), r.multipliers.end(),
                                      [&](int m) { return m == row.multiplier; });
    if (!constant)
        for (size_t i = 0; i < r.multipliers.size(); ++i)
            row.multipliers += (i ? "," : "") + std::to_string(r.multipliers[i]);
    return row;
}

const char* stateName(PeriodState state) {
    switch (state) {
    case PeriodState::Waiting:
        return "等待开奖";
    case PeriodState::Won:
        return "中奖";
    case PeriodState::Lost:
        return "未中奖";
    default:
        return "已取消";
    }
}

const char* stateCode(PeriodState state) {
    switch (state) {
    case PeriodState::Waiting:
        return "waiting";
    case PeriodState::Won:
        return "won";
    case PeriodState::Lost:
        return "lost";
    default:
        return "cancelled";
    }
}

bool SettledRecord::has(PeriodState s) const {
    return std::any_of(periods.begin(), periods.end(),
                       [s](const SettledPeriod& p) { return p.state == s; });
}

SettledRecord settle(const TicketRecord& record, const Prizes& prizes, const DrawOfPeriod& drawOf) {
    SettledRecord result;
    const std::int64_t prizeFen = static_cast<std::int64_t>(prizes.of(record.play)) * 100;
    const auto tickets = static_cast<std::int64_t>(record.tickets.size());
    bool stopped = false;
    for (size_t i = 0; i < record.periods.size(); ++i) {
        SettledPeriod p;
        p.period = record.periods[i];
        p.multiplier = record.multipliers[i];
        p.stakeFen = tickets * record.priceFen * p.multiplier;
        const auto draw = stopped ? std::nullopt : drawOf(p.period);
        if (stopped) {
            p.state = PeriodState::Cancelled;
        } else if (!draw) {
            p.state = PeriodState::Waiting;
        } else {
            for (const Selection& s : record.tickets)
                if (wins(record.play, s, *draw)) ++p.winning;
            p.wonFen = p.winning * prizeFen * p.multiplier;
            p.state = p.winning > 0 ? PeriodState::Won : PeriodState::Lost;
            result.stakedFen += p.stakeFen;
            result.wonFen += p.wonFen;
            if (p.winning > 0 && record.stopOnWin) stopped = true;
        }
        result.periods.push_back(p);
    }
    if (result.has(PeriodState::Waiting))
        result.state = PeriodState::Waiting;
    else if (result.has(PeriodState::Won))
        result.state = PeriodState::Won;
    else if (result.has(PeriodState::Lost))
        result.state = PeriodState::Lost;
    else
        result.state = PeriodState::Cancelled;
    return result;
}

std::string yuanText(std::int64_t fen) {
    const bool negative = fen < 0;
    const std::int64_t a = negative ? -fen : fen;
    std::string text = (negative ? "-" : "") + std::to_string(a / 100);
    if (const std::int64_t cents = a % 100; cents != 0) {
        text += '.';
        text += static_cast<char>('0' + cents / 10);
        if (cents % 10 != 0) text += static_cast<char>('0' + cents % 10);
    }
    return text;
}

std::string settledNotice(const TicketRecord& record, const SettledPeriod& period) {
    std::string text = "第" + history::tenDigit(period.period) + "期 " + info(record.play).name;
    if (period.state == PeriodState::Won) return text + " 中奖 " + yuanText(period.wonFen) + " 元";
    return text + " 未中奖";
}

} // namespace play
