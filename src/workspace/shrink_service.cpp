#include "workspace/shrink_service.h"

#include "play/pick_rules.h"
#include "play/random_draws.h"
#include "workspace/number_text.h"
#include "workspace/play_service.h"

#include <algorithm>

namespace app {

namespace {

std::string ratioText(const std::optional<double>& ratio) {
    return ratio ? decimals3(*ratio) : "—";
}

// The play's ticket index of a set of numbers.
std::optional<std::uint32_t> selectionsOfMask(play::Play play, search::NumberSet mask) {
    play::Selection s;
    for (int n = 1; n <= 11; ++n)
        if ((mask >> (n - 1)) & 1) s.numbers[s.size++] = static_cast<std::uint8_t>(n);
    return play::selectionsOf(play).indexOf(s);
}

} // namespace

std::string ticketsText(play::Play play, const std::vector<std::uint32_t>& tickets,
                        TicketFormat format) {
    const play::SelectionSet& selections = play::selectionsOf(play);
    const char separator = format == TicketFormat::Comma  ? ','
                           : format == TicketFormat::Pipe ? '|'
                                                          : ' ';
    std::string text;
    text.reserve(tickets.size() * 26);
    for (const auto s : tickets) {
        const play::Selection& selection = selections[s];
        for (int i = 0; i < selection.size; ++i) {
            if (i) text += separator;
            text += static_cast<char>('0' + selection.numbers[i] / 10);
            text += static_cast<char>('0' + selection.numbers[i] % 10);
        }
        text += "\r\n";
    }
    return text;
}

std::string shrinkTicketsText(const play::ShrinkFigures& figures, TicketFormat format) {
    return ticketsText(figures.play, figures.tickets, format);
}

const std::vector<std::uint32_t>& resultTickets(const ShrinkResult& result) {
    return result.cover ? result.coverTickets : result.figures.tickets;
}

std::vector<std::pair<std::string, std::string>> shrinkFigureLines(const ShrinkResult& r) {
    const play::ShrinkFigures& f = r.figures;
    std::vector<std::pair<std::string, std::string>> lines = {{"玩法", play::info(f.play).name}};
    if (r.cover) {
        const play::CoverResult& c = *r.cover;
        lines.push_back({"旋转矩阵注数", std::to_string(r.coverTickets.size())});
        lines.push_back({"全部复式注数", std::to_string(c.full)});
        lines.push_back({"注数下限", std::to_string(c.bound)});
        lines.push_back({"未保证的组合", std::to_string(c.uncovered)});
        if (c.wholeBet) lines.push_back({"说明", "任五中5保5只能买全部复式"});
        if (!r.figured) return lines;
    }
    const std::vector<std::pair<std::string, std::string>> figures = {
        {"全部注数", std::to_string(f.total)},
        {"缩水后注数", std::to_string(f.kept)},
        {"保留比例", percent2(f.keptShare)},
        {"统计期数", std::to_string(f.window)},
        {"随机通过率", percent2(f.chance)},
        {"通过率", percent2(f.passRate) + "（" + std::to_string(f.passed) + "期）"},
        {"通过率÷随机通过率", ratioText(f.ratio)},
        {"p值（双侧精确二项检验）", pValueText(f.pValue)},
    };
    lines.insert(lines.end(), figures.begin(), figures.end());
    if (f.tolerance > 0)
        for (size_t k = 0; k < f.failures.size(); ++k)
            lines.push_back({"容错：不符" + std::to_string(k) + "个条件",
                             std::to_string(f.failures[k]) + "注"});
    for (size_t c = 0; c < f.conditions.size(); ++c) {
        const auto& cf = f.conditions[c];
        lines.push_back({std::string("条件：") + play::conditionCaption(r.conditions[c].kind),
                         "保留" + percent2(cf.keptShare) + "，随机通过率" + percent2(cf.chance) +
                             "，通过率" + percent2(cf.passRate) + "，比值" + ratioText(cf.ratio)});
    }
    if (r.backtested) {
        const play::MoneyResult& m = r.money;
        lines.push_back({"回测期数", std::to_string(m.steps)});
        lines.push_back({"投注注数", std::to_string(m.tickets)});
        lines.push_back({"投注成本", std::to_string(m.cost) + "元"});
        lines.push_back({"中奖金额", std::to_string(m.won) + "元"});
        lines.push_back({"盈亏", std::to_string(m.net) + "元"});
        lines.push_back({"返奖率", m.returnRate ? percent2(*m.returnRate) : "—"});
        lines.push_back({"理论返奖率", percent2(m.expectedReturnRate)});
        lines.push_back({"中奖注数", std::to_string(m.hits)});
        lines.push_back({"最大回撤", std::to_string(m.maxDrawdown) + "元"});
        lines.push_back({"最长连续不中", std::to_string(m.longestLosingStreak) + "期"});
        if (m.random) {
            lines.push_back({"随机开奖对照",
                             (m.random->exact ? std::string("同样的号码在随机开奖下的精确分布")
                                              : "同样的号码在" + std::to_string(m.random->runs) +
                                                    "次模拟的随机开奖下") +
                                 "，平均盈亏" + decimals3(m.random->netMean) + "元"});
            const auto rank = rankLines("随机开奖", "实际开奖", m.random->percentile,
                                        m.random->below, m.random->equal, m.random->above);
            lines.insert(lines.end(), rank.begin(), rank.end());
        }
    }
    return lines;
}

Outcome ShrinkService::run(const ShrinkRequest& request, history::Progress& progress,
                           ShrinkResult& result) {
    result = ShrinkResult{};
    result.figures.play = request.play;
    result.conditions = request.conditions;
    if (auto sound = workspace_.checkDraws(); !sound.ok) return sound;
    const play::PlayInfo& info = play::info(request.play);
    if (!play::shrinkable(request.play))
        return Outcome::failure(std::string(info.name) + "不能缩水。");
    if (request.tolerance < 0 || request.tolerance > play::kConditionKinds)
        return Outcome::failure("容错个数“" + std::to_string(request.tolerance) + "”不在0到" +
                                std::to_string(play::kConditionKinds) + "之间，请改正。");
    if (request.window < 1 || request.window > kMaxShrinkWindow)
        return Outcome::failure("统计期数“" + std::to_string(request.window) + "”不在1到" +
                                std::to_string(kMaxShrinkWindow) + "之间，请改正。");
    if (request.backtestSteps < 0 || request.backtestSteps > kMaxBacktestSteps)
        return Outcome::failure("回测期数“" + std::to_string(request.backtestSteps) + "”不在1到" +
                                std::to_string(kMaxBacktestSteps) + "之间，请改正。");
    if (request.randomRuns < 0 || request.randomRuns > kMaxRandomRuns)
        return Outcome::failure("随机对照次数“" + std::to_string(request.randomRuns) + "”不在0到" +
                                std::to_string(kMaxRandomRuns) + "之间，请改正。");
    for (const auto& c : request.conditions)
        if (const std::string problem = play::conditionProblem(request.play, c); !problem.empty())
            return Outcome::failure(problem + "，请改正。");
    if (request.cover) {
        play::CoverRequest cover = *request.cover;
        cover.play = request.play;
        if (const std::string problem = play::coverProblem(cover); !problem.empty())
            return Outcome::failure(problem + "，请改正。");
        if (request.conditions.empty()) {
            result.cover = play::findCover(cover);
            for (const auto t : result.cover->tickets)
                result.coverTickets.push_back(*selectionsOfMask(request.play, t));
            return Outcome::success();
        }
    }
    const auto& rows = workspace_.rows();
    if (rows.size() < 2)
        return Outcome::failure("历史号码不足两期，无法统计通过率：请先输入或导入历史号码。");

    result.figures = play::shrinkFigures(request.play, request.conditions, rows, request.window,
                                         request.tolerance);
    result.figured = true;
    if (result.figures.kept == 0) return Outcome::failure("这些条件一注也不保留，请放宽条件。");
    if (request.cover) {
        // The conditions thin the matrix; the m-subsets left without a ticket are counted.
        play::CoverRequest cover = *request.cover;
        cover.play = request.play;
        result.cover = play::findCover(cover);
        std::vector<search::NumberSet> kept;
        for (const auto t : result.cover->tickets) {
            const std::uint32_t s = *selectionsOfMask(request.play, t);
            if (!std::binary_search(result.figures.tickets.begin(), result.figures.tickets.end(),
                                    s))
                continue;
            result.coverTickets.push_back(s);
            kept.push_back(t);
        }
        result.cover->uncovered = play::uncoveredSubsets(request.play, cover.pool, cover.m, kept);
    }

    if (request.backtestSteps > 0) {
        const play::SelectionSet& selections = play::selectionsOf(request.play);
        result.backtested = true;
        result.prize = workspace_.settings().prizes.of(request.play);
        result.periods =
            play::testedPeriods(rows, play::firstTestedRow(rows.size(), request.backtestSteps));
        play::ShrinkFilter filter(selections, request.conditions, rows, request.tolerance);
        progress.setTotal(result.periods.size());
        for (size_t p = 0; p < result.periods.size(); ++p) {
            filter.moveTo(result.periods[p].row);
            result.periods[p].tickets = filter.kept();
            if ((p & 63) == 63 && !progress.advance(p + 1)) {
                result.money.cancelled = true;
                return Outcome::failure("");
            }
        }
        // The record is set against the same kept tickets on random draws.
        result.money = play::moneyFigures(selections, result.prize, result.periods,
                                          {0, request.seed}, progress);
        if (!play::compareWithRandomDraws(selections, result.prize, result.periods,
                                          {request.randomRuns, request.seed}, result.money,
                                          progress)) {
            result.money.cancelled = true;
            return Outcome::failure("");
        }
        result.money.steps = static_cast<std::int64_t>(result.periods.size());
    }
    return Outcome::success();
}

} // namespace app
