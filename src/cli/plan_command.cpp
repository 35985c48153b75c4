// The plan command: a chase plan's (追号/倍投) calculator table with its exact chances, or what the
// plan would have done over the last periods against the same plan on random tickets. It changes
// nothing stored.

#include "cli/commands.h"
#include "cli/pick_rule.h"
#include "workspace/number_text.h"
#include "workspace/plan_service.h"

#include <ostream>

namespace app {

namespace {

std::string optional(const std::optional<double>& v, const char* format) {
    return v ? formatted(*v, format) : std::string("null");
}

void printTableJson(const PlanRequest& request, const PlanResult& r, std::ostream& out) {
    const play::ChasePlan& plan = request.plan;
    out << "{\"play\": " << jsonString(play::info(r.play).code) << ", \"chase\": " << plan.length
        << ", \"schedule\": " << jsonString(play::scheduleText(plan.schedule))
        << ", \"max_multiplier\": " << plan.maxMultiplier
        << ", \"stop_on_win\": " << (plan.stopOnWin ? "true" : "false")
        << ", \"bankroll\": " << (plan.bankroll ? std::to_string(*plan.bankroll) : "null")
        << ", \"tickets\": " << r.tickets << ", \"prize\": " << r.prize
        << ", \"p\": " << formatted(r.table.winChance, "%.10g") << ", \"table\": [";
    for (size_t k = 0; k < r.table.rows.size(); ++k) {
        const play::ChaseRow& row = r.table.rows[k];
        out << (k ? ", " : "") << "{\"i\": " << row.i << ", \"multiplier\": " << row.multiplier
            << ", \"stake\": " << row.stake << ", \"staked\": " << row.staked
            << ", \"prize\": " << row.prize << ", \"profit\": " << row.profit
            << ", \"profit_rate\": " << formatted(row.profitRate, "%.6f")
            << ", \"no_win_yet\": " << formatted(row.noWinYet, "%.10g") << "}";
    }
    out << "], \"expected_staked\": " << formatted(r.table.expectedStaked, "%.6f")
        << ", \"expected_chase_net\": " << formatted(r.table.expectedNet, "%.6f");
}

void printBacktestJson(const Workspace& w, const PlanResult& r, std::ostream& out) {
    const play::ChaseBacktest& b = *r.backtest;
    out << "{\"steps\": " << b.steps << ", \"skipped\": " << r.bought.skipped
        << ", \"played\": " << b.played << ", \"chases\": " << b.chases
        << ", \"chases_won\": " << b.chasesWon << ", \"chases_lost\": " << b.chasesLost
        << ", \"chases_open\": " << b.chasesOpen << ", \"chases_cut_short\": " << b.chasesCutShort
        << ", \"ruined_at\": "
        << (b.ruinedIndex ? jsonString(w.historyPeriodText(r.bought.periods[*b.ruinedIndex].row))
                          : std::string("null"))
        << ", \"staked\": " << b.staked << ", \"won\": " << b.won << ", \"net\": " << b.net
        << ", \"return_rate\": " << optional(b.returnRate, "%.6f")
        << ", \"expected_return_rate\": " << formatted(b.expectedReturnRate, "%.6f")
        << ", \"max_drawdown\": " << b.maxDrawdown << ", \"max_stake\": " << b.maxStake
        << ", \"longest_chase\": " << b.longestChase << ", \"random\": ";
    if (b.random)
        out << "{\"runs\": " << b.random->runs
            << ", \"net_mean\": " << formatted(b.random->netMean, "%.3f")
            << ", \"percentile\": " << formatted(b.random->percentile, "%.4f")
            << ", \"below\": " << formatted(b.random->below, "%.4f")
            << ", \"equal\": " << formatted(b.random->equal, "%.4f")
            << ", \"above\": " << formatted(b.random->above, "%.4f")
            << ", \"ruin_share\": " << formatted(b.random->ruinShare, "%.4f") << "}";
    else
        out << "null";
    out << "}";
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
            const std::string& code = value;
            which = play::playOfCode(code);
            if (!which)
                throw UsageError{
                    "--play 是 q1、r2、r3、r4、r5、r6、r7、r8、q2d、q2g、q3d、q3g 之一，不是“" +
                    code + "”"};
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
    history::NoProgress progress;
    PlanResult result;
    const Outcome outcome =
        tableOnly ? service.table(request, result) : service.backtest(request, progress, result);
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (json) {
        printTableJson(request, result, c.out);
        c.out << ", \"backtest\": ";
        if (result.backtest)
            printBacktestJson(c.workspace, result, c.out);
        else
            c.out << "null";
        c.out << "}\n";
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
