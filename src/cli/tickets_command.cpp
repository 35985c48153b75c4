// The tickets command: the player's recorded tickets (我的投注). `tickets` lists them settled by
// the stored draws, `tickets add` and `tickets import FILE` record some, `tickets remove ID`
// removes one (its text kept in 历史号码), `tickets ledger` prints the ledger.

#include "cli/commands.h"
#include "cli/pick_rule.h"
#include "history/period.h"
#include "workspace/json_text.h"
#include "workspace/number_text.h"
#include "workspace/ticket_service.h"

#include <charconv>
#include <ostream>

namespace app {

namespace {

// A whole number as typed; nothing when it is not one (the service names the range).
std::optional<std::int64_t> wholeNumber(const std::string& text) {
    std::int64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

double yuan(std::int64_t fen) {
    return static_cast<double>(fen) / 100.0;
}

int refused(CommandContext& c, const std::string& message) {
    c.err << message << "\n";
    return kExitRefused;
}

// add and import: the request of the options; the bad values go to err (status 1).
int requestOf(CommandContext& c, TicketRequest& q, bool& hasPlay) {
    bool period = false, next = false, chase = false, stop = false, multipliers = false;
    for (const auto& [a, value] : c.given.options) {
        if (a == "--play") {
            q.play = playOption(value);
            hasPlay = true;
        } else if (a == "--pick") {
            q.picks.push_back(value);
        } else if (a == "--multiplier") {
            const auto m = wholeNumber(value);
            if (!m || *m < 1 || *m > play::kMaxTicketMultiplier)
                return refused(c, "倍数要在1到9999之间，不是“" + value + "”。没有记入。");
            q.multiplier = *m;
        } else if (a == "--price") {
            const auto fen = parsePriceFen(value);
            if (!fen)
                return refused(c, "单价要在0.01到1000元之间（最多两位小数），不是“" + value +
                                      "”。没有记入。");
            q.priceFen = *fen;
        } else if (a == "--period") {
            q.period = value;
            period = true;
        } else if (a == "--next") {
            next = true;
        } else if (a == "--chase") {
            const auto l = wholeNumber(value);
            if (!l || *l < 1 || *l > play::kMaxTicketChase)
                return refused(c, "追号期数要在1到999之间，不是“" + value + "”。没有记入。");
            q.chase = static_cast<int>(*l);
            chase = true;
        } else if (a == "--stop-on-win") {
            q.stopOnWin = stop = true;
        } else if (a == "--multipliers") {
            multipliers = true;
            size_t i = 0;
            while (true) {
                const size_t end = std::min(value.find(',', i), value.size());
                const auto m = wholeNumber(value.substr(i, end - i));
                if (!m || *m < 1 || *m > play::kMaxTicketMultiplier)
                    return refused(c, "--multipliers 的每个倍数要在1到9999之间（“" + value +
                                          "”）。没有记入。");
                q.multipliers.push_back(*m);
                if (end == value.size()) break;
                i = end + 1;
            }
        }
    }
    if (period == next) throw UsageError{"要用 --period ID 或 --next 给出期号（只能用一个）"};
    if ((stop || multipliers) && !chase)
        throw UsageError{"--stop-on-win 和 --multipliers 只用于追号（--chase L）"};
    if (multipliers && c.given.has("--multiplier"))
        throw UsageError{"--multiplier 和 --multipliers 只能用一个"};
    return kExitOk;
}

int runAdd(CommandContext& c, const std::string* file) {
    TicketRequest q;
    bool hasPlay = false;
    if (const int status = requestOf(c, q, hasPlay); status != kExitOk) return status;
    if (!hasPlay) throw UsageError{"要用 --play 给出玩法"};
    if (file) {
        if (!q.picks.empty()) throw UsageError{"tickets import 的号码来自文件，不用 --pick"};
        const TicketFile read = readTicketFile(*file, q.play);
        if (!read.error.empty()) return refused(c, read.error + "。没有记入。");
        q.tickets = read.tickets;
        q.entered = "文件" + *file + "（" + std::to_string(read.tickets.size()) + "注）";
    } else if (q.picks.empty()) {
        throw UsageError{"要用 --pick 给出号码"};
    }
    TicketService service(c.workspace);
    std::int64_t id = 0;
    const Outcome outcome = service.add(q, &id);
    if (!outcome.ok) return refused(c, outcome.message);
    c.out << id << "\n";
    return kExitOk;
}

Json recordJson(const TicketView& v) {
    const play::TicketRecord& r = v.record;
    Json tickets = Json::array();
    for (const auto& s : r.tickets) tickets.push_back(play::selectionText(s));
    Json periods = Json::array();
    for (const auto& p : v.settled.periods)
        periods.push_back({{"period", history::tenDigit(p.period)},
                           {"multiplier", p.multiplier},
                           {"state", play::stateCode(p.state)},
                           {"winning", p.winning},
                           {"stake", yuan(p.stakeFen)},
                           {"won", yuan(p.wonFen)}});
    return {{"id", r.id},
            {"recorded", r.recorded},
            {"play", play::info(r.play).code},
            {"entered", r.entered},
            {"tickets", std::move(tickets)},
            {"price", yuan(r.priceFen)},
            {"stop_on_win", r.stopOnWin},
            {"state", play::stateCode(v.settled.state)},
            {"staked", yuan(v.settled.stakedFen)},
            {"won", yuan(v.settled.wonFen)},
            {"periods", std::move(periods)}};
}

int runList(CommandContext& c) {
    std::optional<play::PeriodState> state;
    for (const auto& [a, value] : c.given.options) {
        if (a != "--state") continue;
        for (const auto s : {play::PeriodState::Waiting, play::PeriodState::Won,
                             play::PeriodState::Lost, play::PeriodState::Cancelled})
            if (value == play::stateCode(s)) state = s;
        if (!state)
            throw UsageError{"--state 是 waiting、won、lost或cancelled，不是“" + value + "”"};
    }
    TicketService service(c.workspace);
    const TicketList list = service.list();
    for (const std::string& problem : list.damaged) c.err << problem << "\n";
    Json json = Json::array();
    for (const TicketView& v : list.records) {
        if (state && !v.settled.has(*state)) continue;
        if (c.given.has("--json")) {
            json.push_back(recordJson(v));
            continue;
        }
        const play::TicketRecord& r = v.record;
        c.out << r.id << '\t' << play::info(r.play).name << '\t' << r.entered << '\t'
              << r.tickets.size() << "注\t" << history::tenDigit(r.periods.front());
        if (r.periods.size() > 1) c.out << "起追" << r.periods.size() << "期";
        c.out << '\t' << play::stateName(v.settled.state) << "\t投入"
              << play::yuanText(v.settled.stakedFen) << "\t中奖"
              << play::yuanText(v.settled.wonFen);
        if (v.settled.has(play::PeriodState::Cancelled)) c.out << "\t中奖后停止，余下的期已取消";
        c.out << '\n';
    }
    if (c.given.has("--json")) printJson(json, c.out);
    return kExitOk;
}

Json lineJson(const play::LedgerLine& l) {
    const auto rate = l.returnRate();
    return {{"label", l.label},
            {"periods", l.periods},
            {"tickets", l.tickets},
            {"staked", yuan(l.stakedFen)},
            {"won", yuan(l.wonFen)},
            {"net", yuan(l.netFen())},
            {"return_rate", rate ? roundedDecimals(*rate, 6) : Json(nullptr)},
            {"expected_net", roundedDecimals(l.expectedNetFen / 100.0, 2)},
            {"luck_at_least", roundedSignificant(l.luck.atLeast, 6)},
            {"luck_simulated", l.luck.simulated
                                   ? Json({{"runs", l.luck.runs}, {"seed", l.luck.seed}})
                                   : Json(nullptr)}};
}

std::string luckText(const play::LuckChance& luck) {
    std::string text = pValueText(luck.atLeast);
    if (luck.simulated)
        text +=
            "（模拟" + std::to_string(luck.runs) + "次，种子" + std::to_string(luck.seed) + "）";
    return text;
}

int runLedger(CommandContext& c) {
    LedgerRequest q;
    for (const auto& [a, value] : c.given.options) {
        if (a == "--from") q.from = value;
        if (a == "--to") q.to = value;
        if (a == "--by") {
            if (value != "day" && value != "month")
                throw UsageError{"--by 是 day 或 month，不是“" + value + "”"};
            q.by = value == "day" ? play::LedgerGrouping::Day : play::LedgerGrouping::Month;
        }
    }
    TicketService service(c.workspace);
    LedgerReport report;
    if (const Outcome outcome = service.ledger(q, report); !outcome.ok)
        return refused(c, outcome.message);
    for (const std::string& problem : report.damaged) c.err << problem << "，没有计入账本\n";
    if (c.given.has("--json")) {
        Json json;
        Json lines = Json::array();
        for (size_t i = 0; i + 1 < report.lines.size(); ++i)
            lines.push_back(lineJson(report.lines[i]));
        json["by"] = q.by == play::LedgerGrouping::Day ? "day" : "month";
        json["lines"] = std::move(lines);
        json["all"] = lineJson(report.lines.back());
        json["waiting_periods"] = report.waitingPeriods;
        json["waiting_stake"] = yuan(report.waitingStakeFen);
        json["cancelled_periods"] = report.cancelledPeriods;
        json["damaged"] = report.damaged.size();
        json["caveat"] = play::kLedgerCaveat;
        printJson(json, c.out);
        return kExitOk;
    }
    c.out << "日期\t期数\t注数\t投入\t中奖\t净额\t返奖率\t期望净额\t运气至少一样好的机会\n";
    for (const play::LedgerLine& l : report.lines) {
        const auto rate = l.returnRate();
        c.out << l.label << '\t' << l.periods << '\t' << l.tickets << '\t'
              << play::yuanText(l.stakedFen) << '\t' << play::yuanText(l.wonFen) << '\t'
              << play::yuanText(l.netFen()) << '\t' << (rate ? percent2(*rate) : "") << '\t'
              << formatted(l.expectedNetFen / 100.0, "%.2f") << '\t' << luckText(l.luck) << '\n';
    }
    c.out << "等待开奖\t" << report.waitingPeriods << "期，投入"
          << play::yuanText(report.waitingStakeFen) << "\n已取消\t" << report.cancelledPeriods
          << "期\n";
    c.out << "注意\t" << play::kLedgerCaveat << '\n';
    return kExitOk;
}

int runTickets(CommandContext& c) {
    const auto& words = c.given.operands;
    const std::string what = words.empty() ? "" : words[0];
    auto only = [&](size_t count, const std::string& usage) {
        if (words.size() != count) throw UsageError{"用法：tickets " + usage};
    };
    auto allowed = [&](std::initializer_list<const char*> names) {
        for (const auto& given : c.given.options) {
            bool ok = false;
            for (const char* n : names) ok = ok || given.name == n;
            if (!ok) throw UsageError{"tickets " + what + " 不用 " + given.name};
        }
    };
    static const std::initializer_list<const char*> recording = {
        "--play", "--pick",  "--multiplier",  "--price",      "--period",
        "--next", "--chase", "--stop-on-win", "--multipliers"};
    if (what.empty()) {
        allowed({"--state", "--json"});
        return runList(c);
    }
    if (what == "add") {
        only(1, "add --play P --pick TICKET...");
        allowed(recording);
        return runAdd(c, nullptr);
    }
    if (what == "import") {
        only(2, "import FILE --play P ...");
        allowed(recording);
        return runAdd(c, &words[1]);
    }
    if (what == "remove") {
        only(2, "remove ID");
        allowed({});
        const auto id = wholeNumber(words[1]);
        if (!id || *id < 1)
            throw UsageError{"tickets remove 后面要跟记录编号，不是“" + words[1] + "”"};
        TicketService service(c.workspace);
        const Outcome outcome = service.remove(*id);
        if (!outcome.ok) return refused(c, outcome.message);
        c.out << outcome.message << "\n";
        return kExitOk;
    }
    if (what == "ledger") {
        only(1, "ledger [--from DATE --to DATE] [--by day|month] [--json]");
        allowed({"--from", "--to", "--by", "--json"});
        return runLedger(c);
    }
    throw UsageError{
        "tickets 后面是 add、import、remove、ledger 之一，或者不跟（列出记录），不是“" + what +
        "”"};
}

} // namespace

void addTicketCommands(std::vector<CommandSpec>& table) {
    CommandSyntax syntax{
        .lead = "[add|import FILE|remove ID|ledger]",
        .options = {{"--play", "P", "玩法（add、import）", "[--play P]"},
                    {"--pick", "TICKET", "号码，一注、复式或胆拖（胆码#拖码），可给多个",
                     "[--pick TICKET...]", true},
                    {"--multiplier", "M", "倍数（1到9999，默认1）"},
                    {"--price", "Y", "每注单价（0.01到1000元，默认2）"},
                    {"--period", "ID", "期号（十位）", "[--period ID|--next]"},
                    {"--next", "", "下一期", ""},
                    {"--chase", "L", "追号期数（1到999）"},
                    {"--stop-on-win", "", "追号中奖后停止"},
                    {"--multipliers", "m,m,...", "追号各期的倍数"},
                    {"--state", "S", "只列出有这种状态的期的记录：waiting、won、lost、cancelled"},
                    {"--from", "DATE", "账本从这天的开奖起（YYYY-MM-DD）"},
                    {"--to", "DATE", "账本到这天的开奖止"},
                    {"--by", "day|month", "账本按日或按月"},
                    {"--json", "", "以JSON输出"}},
        .operands = true};
    table.push_back({"tickets", syntax, true, runTickets});
}

} // namespace app
