// The plan command: a chase plan's (追号/倍投) calculator table with its exact chances, or what the
// plan would have done over the last periods against the same plan on random tickets. It changes
// nothing stored.

#include "cli/commands.h"
#include "cli/pick_rule.h"
#include "cli/terminal_progress.h"
#include "workspace/figure_caveat.h"
#include "workspace/json_text.h"
#include "workspace/plan_service.h"

#include <ostream>

namespace app {

namespace {

// The members of the plan and its table; the caller adds "backtest".
Json tableJson(const PlanRequest& request, const PlanResult& r) {
    const play::ChasePlan& plan = request.plan;
    Json json;
    json["play"] = play::info(r.play).code;
    json["chase"] = plan.length;
    json["schedule"] = play::scheduleText(plan.schedule);
    json["max_multiplier"] = plan.maxMultiplier;
    json["stop_on_win"] = plan.stopOnWin;
    json["bankroll"] = plan.bankroll ? Json(*plan.bankroll) : Json(nullptr);
    json["tickets"] = r.tickets;
    json["prize"] = r.prize;
    json["p"] = roundedSignificant(r.table.winChance, 10);
    Json table = Json::array();
    for (const play::ChaseRow& row : r.table.rows)
        table.push_back({{"i", row.i},
                         {"multiplier", row.multiplier},
                         {"stake", row.stake},
                         {"staked", row.staked},
                         {"prize", row.prize},
                         {"profit", row.profit},
                         {"profit_rate", roundedDecimals(row.profitRate, 6)},
                         {"no_win_yet", roundedSignificant(row.noWinYet, 10)}});
    json["table"] = std::move(table);
    json["expected_staked"] = roundedDecimals(r.table.expectedStaked, 6);
    json["expected_chase_net"] = roundedDecimals(r.table.expectedNet, 6);
    return json;
}

Json backtestJson(const Workspace& w, const PlanResult& r) {
    const play::ChaseBacktest& b = *r.backtest;
    Json json;
    json["steps"] = b.steps;
    json["skipped"] = r.bought.skipped;
    json["played"] = b.played;
    json["chases"] = b.chases;
    json["chases_won"] = b.chasesWon;
    json["chases_lost"] = b.chasesLost;
    json["chases_open"] = b.chasesOpen;
    json["chases_cut_short"] = b.chasesCutShort;
    json["ruined_at"] = b.ruinedIndex
                            ? Json(w.historyPeriodText(r.bought.periods[*b.ruinedIndex].row))
                            : Json(nullptr);
    json["staked"] = b.staked;
    json["won"] = b.won;
    json["net"] = b.net;
    json["return_rate"] = b.returnRate ? roundedDecimals(*b.returnRate, 6) : Json(nullptr);
    json["expected_return_rate"] = roundedDecimals(b.expectedReturnRate, 6);
    json["max_drawdown"] = b.maxDrawdown;
    json["max_stake"] = b.maxStake;
    json["longest_chase"] = b.longestChase;
    if (b.random)
        json["random"] = {{"runs", b.random->runs},
                          {"net_mean", roundedDecimals(b.random->netMean, 3)},
                          {"percentile", roundedDecimals(b.random->percentile, 4)},
                          {"below", roundedDecimals(b.random->below, 4)},
                          {"equal", roundedDecimals(b.random->equal, 4)},
                          {"above", roundedDecimals(b.random->above, 4)},
                          {"ruin_share", roundedDecimals(b.random->ruinShare, 4)}};
    else
        json["random"] = nullptr;
    return json;
}

int runPlan(CommandContext& c) {
    PlanRequest request;
    BetRequest& bet = request.bet;
    play::ChasePlan& plan = request.plan;
    std::optional<play::Play> which;
    PickRuleOptions pick({"只能用一种选号规则：--pick 号码（可重复）或 --pick-from "
                          "coldest|hottest|search",
                          "要给出选号规则：--pick 号码 或 --pick-from 规则",
                          [](const std::string& from) {
                              return "--pick-from 是 coldest、hottest或search，不是“" + from + "”";
                          },
                          [](const std::string& option) { return "没有这个选项：" + option; }});
    bool json = false, tableOnly = false, haveChase = false, haveSchedule = false;
    std::optional<bool> stopOnWin;
    auto setStop = [&](bool stop) {
        if (stopOnWin && *stopOnWin != stop)
            throw UsageError{"--stop-on-win 和 --no-stop 只能用一个"};
        stopOnWin = stop;
    };
    for (const auto& given : c.given.options) {
        const auto& [a, value] = given;
        if (a == "--play") {
            which = playOption(value);
        } else if (PickRuleOptions::isPickOption(a)) {
            pick.take(a, value);
        } else if (a == "--chase") {
            plan.length = static_cast<int>(wholeOptionValue(a, value, 1, play::kMaxChase));
            haveChase = true;
        } else if (a == "--multiplier") {
            const auto parsed = play::parseSchedule(value);
            if (!parsed.schedule) throw UsageError{"--multiplier：" + parsed.error};
            plan.schedule = *parsed.schedule;
            haveSchedule = true;
        } else if (a == "--max-multiplier") {
            plan.maxMultiplier = wholeOptionValue(a, value, 1, kMaxMultiplierCap);
        } else if (a == "--stop-on-win") {
            setStop(true);
        } else if (a == "--no-stop") {
            setStop(false);
        } else if (a == "--bankroll") {
            plan.bankroll = wholeOptionValue(a, value, 1, kMaxBankroll);
        } else if (takeRunOption(a, value, bet)) {
            // --steps, --random, --seed
        } else if (a == "--table") {
            tableOnly = true;
        } else if (a == "--json") {
            json = true;
        } else if (a == "--from" || a == "--to") {
            throw UsageError{"plan 每个检验期都用它之前的全部历史号码，不能用 " + a};
        } else {
            pick.keepForSearch(given);
        }
    }
    if (!which) throw UsageError{"要用 --play 给出玩法"};
    pick.requireRule();
    if (!haveChase) throw UsageError{"要用 --chase 给出追号期数（1到200）"};
    if (!haveSchedule)
        throw UsageError{"要用 --multiplier 给出倍投方式：fixed:m、double[:m]、list:m,m,... 或 "
                         "profit:R[:m]"};
    if (const int status = pick.apply(c, bet); status != kExitOk) return status;
    plan.stopOnWin = stopOnWin.value_or(true);
    bet.play = *which;

    SearchService searches(c.workspace);
    PlanService service(c.workspace, searches);
    TerminalProgress progress("正在回测追号……");
    PlanResult result;
    const Outcome outcome =
        tableOnly ? service.table(request, result) : service.backtest(request, progress, result);
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (json) {
        Json out = tableJson(request, result);
        out["backtest"] = result.backtest ? backtestJson(c.workspace, result) : Json(nullptr);
        if (result.backtest) out["caveat"] = kFigureCaveat;
        printJson(out, c.out);
        return kExitOk;
    }
    if (tableOnly) {
        const auto header = planTableHeader();
        for (size_t k = 0; k < header.size(); ++k) c.out << (k ? "\t" : "") << header[k];
        c.out << '\n';
        for (const auto& row : result.table.rows) {
            const auto cells = planTableCells(row);
            for (size_t k = 0; k < cells.size(); ++k) c.out << (k ? "\t" : "") << cells[k];
            c.out << '\n';
        }
        for (const auto& [label, text] : planTableLines(result))
            c.out << label << '\t' << text << '\n';
        return kExitOk;
    }
    for (const auto& [label, text] : planBacktestLines(c.workspace, result))
        c.out << label << '\t' << text << '\n';
    c.out << "注意\t" << kFigureCaveat << '\n';
    return kExitOk;
}

} // namespace

void addPlanCommands(std::vector<CommandSpec>& table) {
    const std::string schedule = "fixed:m|double[:m]|list:m,m,...|profit:R[:m]";
    CommandSyntax plan{.options = {{"--play", "P", "玩法", "--play P"}}};
    for (auto& option : pickRuleOptions("plan", "[options of search or combo]"))
        plan.options.push_back(option);
    const std::vector<OptionSpec> own = {
        {"--chase", "L", "追号期数（1到200）", "--chase L"},
        {"--multiplier", schedule, "倍投方式", "--multiplier " + schedule},
        {"--max-multiplier", "X", "倍数的上限"},
        {"--stop-on-win", "", "中奖后停止追号（默认）", "[--stop-on-win|--no-stop]"},
        {"--no-stop", "", "中奖后继续追号", ""},
        {"--bankroll", "B", "本金"},
    };
    plan.options.insert(plan.options.end(), own.begin(), own.end());
    for (auto& option : runOptions()) plan.options.push_back(option);
    plan.options.push_back({"--table", "", "只列出倍投表"});
    plan.options.push_back({"--json", "", "以JSON输出"});
    table.push_back({"plan", plan, true, runPlan});
}

} // namespace app
