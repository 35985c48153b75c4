#include "workspace/plan_service.h"

#include "workspace/number_text.h"

namespace app {

namespace {

std::string yuan(std::int64_t amount) {
    return std::to_string(amount) + "元";
}

std::string yuan2(double amount) {
    return formatted(amount, "%.2f") + "元";
}

std::string unreachedText(const play::Schedule& schedule, int period, bool unreachable, int tickets,
                          int prize, std::int64_t cap) {
    const std::string head = "按利润率" + std::to_string(schedule.ratePercent) + "%倍投：";
    if (unreachable)
        return head + "每期买" + std::to_string(tickets) + "注、每注奖金" + std::to_string(prize) +
               "元，第" + std::to_string(period) +
               "期任何倍数都达不到这个利润率。请降低利润率或减少注数。";
    return head + "第" + std::to_string(period) + "期需要的倍数超过上限" + std::to_string(cap) +
           "倍，达不到这个利润率。请降低利润率、减少追号期数或提高倍数上限。";
}

} // namespace

std::vector<std::string> planTableHeader() {
    return {"期", "倍数", "本期投入", "累计投入", "中奖奖金", "中奖盈利", "盈利率", "仍未中奖概率"};
}

std::vector<std::string> planTableCells(const play::ChaseRow& row) {
    return {std::to_string(row.i),      std::to_string(row.multiplier), std::to_string(row.stake),
            std::to_string(row.staked), std::to_string(row.prize),      std::to_string(row.profit),
            percent2(row.profitRate),   percent2(row.noWinYet)};
}

std::vector<std::pair<std::string, std::string>> planTableLines(const PlanResult& r) {
    const play::ChaseTable& t = r.table;
    const double noWin = t.rows.empty() ? 1 : t.rows.back().noWinYet;
    const double ticketReturn = r.prize * play::chance(r.play) / play::kTicketPrice;
    return {
        {"每期中奖概率", formatted(t.winChance * 100, "%.4f%%")},
        {"追完" + std::to_string(t.rows.size()) + "期仍未中奖的概率", percent2(noWin)},
        {"理论返奖率", percent2(ticketReturn)},
        {"一轮追号的期望投入", yuan2(t.expectedStaked)},
        {"一轮追号的期望盈亏", yuan2(t.expectedNet)},
    };
}

std::vector<std::pair<std::string, std::string>> planBacktestLines(const Workspace& workspace,
                                                                   const PlanResult& r) {
    std::vector<std::pair<std::string, std::string>> lines;
    if (!r.backtest) return lines;
    const play::ChaseBacktest& b = *r.backtest;
    lines = {
        {"检验期数", std::to_string(b.steps)},
        {"投注期数", std::to_string(b.played)},
        {"追号轮数", std::to_string(b.chases)},
        {"中奖轮数", std::to_string(b.chasesWon)},
        {"追满未中轮数", std::to_string(b.chasesLost)},
        {"未追完轮数", std::to_string(b.chasesOpen)},
        {"因本金不足中断轮数", std::to_string(b.chasesCutShort)},
        {"破产", b.ruinedIndex ? workspace.historyPeriodText(r.bought.periods[*b.ruinedIndex].row) +
                                     "期本金不足以支付投入"
                               : std::string("未破产")},
        {"投入", yuan(b.staked)},
        {"中奖金额", yuan(b.won)},
        {"盈亏", yuan(b.net)},
        {"返奖率", b.returnRate ? percent2(*b.returnRate) : "—"},
        {"理论返奖率", percent2(b.expectedReturnRate)},
        {"最大回撤", yuan(b.maxDrawdown)},
        {"单期最大投入", yuan(b.maxStake)},
        {"最长一轮追号", std::to_string(b.longestChase) + "期"},
    };
    if (b.random) {
        lines.push_back({"随机投注对照", std::to_string(b.random->runs) + "次，平均盈亏" +
                                             decimals3(b.random->netMean) + "元"});
        const auto rank = rankLines("随机投注", "本方案", b.random->percentile, b.random->below,
                                    b.random->equal, b.random->above);
        lines.insert(lines.end(), rank.begin(), rank.end());
        lines.push_back({"随机投注中破产的比例", percent2(b.random->ruinShare)});
    }
    return lines;
}

Outcome PlanService::table(const PlanRequest& request, PlanResult& result) {
    result = PlanResult{};
    const BetRequest& bet = request.bet;
    const play::ChasePlan& plan = request.plan;
    result.play = bet.play;
    result.rule = bet.rule;
    result.prize = workspace_.settings().prizes.of(bet.play);
    if (plan.length < 1 || plan.length > play::kMaxChase)
        return Outcome::failure("追号期数“" + std::to_string(plan.length) + "”不在1到" +
                                std::to_string(play::kMaxChase) + "之间，请改正。");
    if (plan.maxMultiplier < 1 || plan.maxMultiplier > kMaxMultiplierCap)
        return Outcome::failure("倍数上限“" + std::to_string(plan.maxMultiplier) + "”不在1到" +
                                std::to_string(kMaxMultiplierCap) + "之间，请改正。");
    if (plan.bankroll && (*plan.bankroll < 1 || *plan.bankroll > kMaxBankroll))
        return Outcome::failure("本金“" + std::to_string(*plan.bankroll) + "”不在1到" +
                                std::to_string(kMaxBankroll) + "元之间，请改正。");
    const play::PlayInfo& info = play::info(bet.play);
    if (bet.rule == PickRule::Search && info.ordered)
        return Outcome::failure(std::string(info.name) +
                                "要求号码的顺序，检索结果只给出号码，无法用于这个玩法。");

    // A pick rule buys one ticket a period; fixed tickets may win together, so their chance of
    // a win is counted over every draw.
    const play::SelectionSet& selections = play::selectionsOf(bet.play);
    double winChance = play::chance(bet.play);
    if (bet.rule == PickRule::Fixed) {
        std::vector<std::uint32_t> tickets;
        if (const Outcome read = readTickets(bet.play, bet.tickets, tickets); !read.ok) return read;
        result.tickets = static_cast<int>(tickets.size());
        if (tickets.size() > 1) winChance = play::chanceOfAnyWin(selections, tickets);
    }
    const play::Multipliers multipliers = play::chaseMultipliers(
        plan.schedule, plan.length, result.tickets, result.prize, plan.maxMultiplier);
    if (multipliers.failedAt)
        return Outcome::failure(unreachedText(plan.schedule, *multipliers.failedAt,
                                              multipliers.unreachable, result.tickets, result.prize,
                                              plan.maxMultiplier));
    result.table = play::chaseTable(multipliers.values, result.tickets, result.prize, winChance,
                                    result.prize * play::chance(bet.play) / play::kTicketPrice,
                                    plan.stopOnWin, play::raisedOnLossOnly(plan.schedule));
    return Outcome::success();
}

Outcome PlanService::backtest(const PlanRequest& request, history::Progress& progress,
                              PlanResult& result) {
    if (const Outcome made = table(request, result); !made.ok) return made;
    // The tickets of every tested period come from the bet's own rule; no money runs there.
    BetRequest bet = request.bet;
    const int runs = bet.randomRuns;
    if (runs < 0 || runs > kMaxRandomRuns)
        return Outcome::failure("随机对照次数“" + std::to_string(runs) + "”不在0到" +
                                std::to_string(kMaxRandomRuns) + "之间，请改正。");
    bet.randomRuns = 0;
    if (const Outcome bought = plays_.buy(bet, progress, result.bought); !bought.ok) {
        if (result.bought.money.cancelled) {
            result.backtest = play::ChaseBacktest{};
            result.backtest->cancelled = true;
        }
        return bought;
    }
    result.backtest = play::chaseBacktest(play::selectionsOf(bet.play), result.prize, request.plan,
                                          result.bought.periods, {runs, bet.seed}, progress);
    const play::ChaseBacktest& b = *result.backtest;
    if (b.cancelled) return Outcome::failure("");
    if (b.failedAt)
        return Outcome::failure(unreachedText(request.plan.schedule, *b.failedAt, b.unreachable,
                                              b.failedTickets, result.prize,
                                              request.plan.maxMultiplier));
    return Outcome::success();
}

} // namespace app
