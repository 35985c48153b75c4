#include "play/chase_plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace play {

namespace {

std::optional<std::int64_t> wholeOf(const std::string& text, std::int64_t low, std::int64_t high) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value < low ||
        value > high)
        return std::nullopt;
    return value;
}

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(by, from);
        parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

ParsedSchedule failed(const std::string& error) {
    return {std::nullopt, error};
}

} // namespace

ParsedSchedule parseSchedule(const std::string& text) {
    const std::string multiplierRange = "1到1000000之间的整数";
    const size_t colon = text.find(':');
    const std::string kind = text.substr(0, colon);
    const std::string rest = colon == std::string::npos ? std::string() : text.substr(colon + 1);
    Schedule s;
    if (kind == "fixed" || kind == "double") {
        s.kind = kind == "fixed" ? Schedule::Kind::Fixed : Schedule::Kind::Double;
        if (colon == std::string::npos) {
            if (kind == "fixed") return failed("fixed:m 要写出倍数m，例如 fixed:2");
            return {s, ""};
        }
        const auto m = wholeOf(rest, 1, 1000000);
        if (!m) return failed(kind + " 的倍数是" + multiplierRange + "，不是“" + rest + "”");
        s.start = *m;
        return {s, ""};
    }
    if (kind == "list") {
        s.kind = Schedule::Kind::List;
        if (rest.empty()) return failed("list: 要写出各期的倍数，例如 list:1,1,2,3,5,8");
        for (const auto& part : split(rest, ',')) {
            const auto m = wholeOf(part, 1, 1000000);
            if (!m)
                return failed("list: 的每个倍数都是" + multiplierRange + "，不是“" + part + "”");
            s.list.push_back(*m);
        }
        if (s.list.size() > static_cast<size_t>(kMaxChase))
            return failed("list: 最多" + std::to_string(kMaxChase) + "个倍数");
        return {s, ""};
    }
    if (kind == "profit") {
        s.kind = Schedule::Kind::Profit;
        const auto parts = split(rest, ':');
        if (rest.empty() || parts.size() > 2)
            return failed("profit:R[:m] 要写出利润率R（%），例如 profit:30");
        const auto rate = wholeOf(parts[0], 0, 100000);
        if (!rate)
            return failed("profit: 的利润率是0到100000之间的整数（%），不是“" + parts[0] + "”");
        s.ratePercent = static_cast<int>(*rate);
        if (parts.size() == 2) {
            const auto m = wholeOf(parts[1], 1, 1000000);
            if (!m)
                return failed("profit: 的最小倍数是" + multiplierRange + "，不是“" + parts[1] +
                              "”");
            s.start = *m;
        }
        return {s, ""};
    }
    return failed("倍投方式是 fixed:m、double[:m]、list:m,m,... 或 profit:R[:m]，不是“" + text +
                  "”");
}

std::string scheduleText(const Schedule& s) {
    switch (s.kind) {
    case Schedule::Kind::Fixed:
        return "fixed:" + std::to_string(s.start);
    case Schedule::Kind::Double:
        return "double:" + std::to_string(s.start);
    case Schedule::Kind::List: {
        std::string text = "list:";
        for (size_t k = 0; k < s.list.size(); ++k)
            text += (k ? "," : "") + std::to_string(s.list[k]);
        return text;
    }
    default:
        return "profit:" + std::to_string(s.ratePercent) + ":" + std::to_string(s.start);
    }
}

Multipliers chaseMultipliers(const Schedule& s, int length, int tickets, int prize,
                             std::int64_t maxMultiplier) {
    Multipliers out;
    const std::int64_t perMultiplier = static_cast<std::int64_t>(tickets) * kTicketPrice;
    std::int64_t staked = 0, doubled = std::min(s.start, maxMultiplier);
    for (int i = 1; i <= length; ++i) {
        std::int64_t m = 0;
        switch (s.kind) {
        case Schedule::Kind::Fixed:
            m = s.start;
            break;
        case Schedule::Kind::Double:
            m = doubled;
            doubled = std::min(doubled * 2, maxMultiplier);
            break;
        case Schedule::Kind::List:
            m = s.list[std::min(static_cast<size_t>(i - 1), s.list.size() - 1)];
            break;
        case Schedule::Kind::Profit: {
            // m × prize ≥ (1 + R) × (staked + m × stake per multiplier), in whole percent:
            // m × gain ≥ (100 + R) × staked, where gain is what a multiplier wins above its
            // share of the rate. Without gain no multiplier reaches the rate.
            const std::int64_t rate = 100 + s.ratePercent;
            const std::int64_t gain = static_cast<std::int64_t>(prize) * 100 - rate * perMultiplier;
            if (gain <= 0) {
                out.failedAt = i;
                out.unreachable = true;
                return out;
            }
            const std::int64_t needed = (rate * staked + gain - 1) / gain;
            m = std::max(s.start, needed);
            if (m > maxMultiplier) {
                out.failedAt = i;
                return out;
            }
            break;
        }
        }
        m = std::min(m, maxMultiplier);
        staked += m * perMultiplier;
        out.values.push_back(m);
    }
    return out;
}

ChaseTable chaseTable(const std::vector<std::int64_t>& multipliers, int tickets, int prize,
                      double winChance, double ticketReturn, bool stopOnWin,
                      bool raisedOnLossOnly) {
    ChaseTable t;
    t.winChance = winChance;
    std::int64_t staked = 0;
    double reach = 1; // the chance of buying period i
    // Going on after wins with a multiplier raised on losses only: the chances of j losses
    // before period i, binomial(i - 1, 1 - q).
    const bool byLosses = !stopOnWin && raisedOnLossOnly;
    std::vector<double> losses{1.0};
    for (size_t k = 0; k < multipliers.size(); ++k) {
        ChaseRow row;
        row.i = static_cast<int>(k) + 1;
        row.multiplier = multipliers[k];
        row.stake = multipliers[k] * tickets * kTicketPrice;
        staked += row.stake;
        row.staked = staked;
        row.prize = multipliers[k] * prize;
        row.profit = row.prize - staked;
        row.profitRate = static_cast<double>(row.profit) / static_cast<double>(staked);
        row.noWinYet = std::pow(1 - winChance, row.i);
        // A period's stake is set before its draw, which is independent of the earlier ones, so
        // it returns ticketReturn per yuan on average whatever the schedule.
        if (byLosses) {
            double stake = 0;
            for (size_t j = 0; j < losses.size(); ++j)
                stake += losses[j] * static_cast<double>(multipliers[j] * tickets * kTicketPrice);
            t.expectedStaked += stake;
            losses.push_back(0);
            for (size_t j = losses.size() - 1; j > 0; --j)
                losses[j] = losses[j] * winChance + losses[j - 1] * (1 - winChance);
            losses[0] *= winChance;
        } else {
            t.expectedStaked += reach * static_cast<double>(row.stake);
        }
        if (stopOnWin) reach = row.noWinYet;
        t.rows.push_back(row);
    }
    t.expectedNet = t.expectedStaked * (ticketReturn - 1);
    return t;
}

double chanceOfAnyWin(const SelectionSet& selections, const std::vector<std::uint32_t>& tickets) {
    std::vector<std::uint8_t> mine(selections.size(), 0);
    for (std::uint32_t t : tickets) mine[t] = 1;
    std::vector<std::uint32_t> winners;
    std::int64_t draws = 0, won = 0;
    Draw draw{};
    // Every ordered draw of five different numbers is equally likely.
    for (int a = 1; a <= 11; ++a)
        for (int b = 1; b <= 11; ++b)
            for (int c = 1; c <= 11; ++c)
                for (int d = 1; d <= 11; ++d)
                    for (int e = 1; e <= 11; ++e) {
                        const int mask = (1 << a) | (1 << b) | (1 << c) | (1 << d) | (1 << e);
                        if (__builtin_popcount(static_cast<unsigned>(mask)) != 5) continue;
                        draw = {static_cast<std::int16_t>(a), static_cast<std::int16_t>(b),
                                static_cast<std::int16_t>(c), static_cast<std::int16_t>(d),
                                static_cast<std::int16_t>(e)};
                        selections.winners(draw, winners);
                        ++draws;
                        won += std::any_of(winners.begin(), winners.end(),
                                           [&](std::uint32_t w) { return mine[w] != 0; });
                    }
    return static_cast<double>(won) / static_cast<double>(draws);
}

} // namespace play
