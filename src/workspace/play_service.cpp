#include "workspace/play_service.h"

#include "search/hit_finder.h"
#include "workspace/number_text.h"

#include <algorithm>

namespace app {

namespace {

std::string yuan(std::int64_t amount) {
    return std::to_string(amount) + "元";
}

} // namespace

std::string pickRuleName(PickRule rule) {
    switch (rule) {
    case PickRule::Fixed:
        return "固定号码";
    case PickRule::Coldest:
        return "追最冷（本次遗漏最大）";
    case PickRule::Hottest:
        return "追最热（本次遗漏最小）";
    default:
        return "检索结果前几位";
    }
}

std::vector<std::string> playTableHeader() {
    return {"号码",     "出现次数",   "理论次数",   "本次遗漏", "上次遗漏", "平均遗漏",
            "最大遗漏", "最大遗漏起", "最大遗漏止", "欲出几率", "最大连出"};
}

std::string playTableCell(const Workspace& workspace, const play::PlayTable& table,
                          std::uint32_t selection, int column) {
    const play::SelectionFigures& f = table.figures()[selection];
    switch (column) {
    case 0:
        return play::selectionText(table.selections()[selection]);
    case 1:
        return std::to_string(f.count);
    case 2:
        return decimals3(f.expected);
    case 3:
        return std::to_string(f.current);
    case 4:
        return f.previous ? std::to_string(*f.previous) : "";
    case 5:
        return decimals3(f.average);
    case 6:
        return std::to_string(f.max);
    case 7:
        return f.maxFrom ? workspace.historyPeriodText(*f.maxFrom) : "";
    case 8:
        return f.maxTo ? workspace.historyPeriodText(*f.maxTo) : "";
    case 9:
        return decimals3(f.ratio);
    default:
        return std::to_string(f.maxRun);
    }
}

double playTableSortKey(const play::PlayTable& table, std::uint32_t selection, int column) {
    const play::SelectionFigures& f = table.figures()[selection];
    switch (column) {
    case 0:
        return -static_cast<double>(selection);
    case 1:
        return static_cast<double>(f.count);
    case 2:
        return f.expected;
    case 3:
        return static_cast<double>(f.current);
    case 4:
        return f.previous ? static_cast<double>(*f.previous) : -1;
    case 5:
        return f.average;
    case 6:
        return static_cast<double>(f.max);
    case 7:
        return f.maxFrom ? static_cast<double>(*f.maxFrom) : -1;
    case 8:
        return f.maxTo ? static_cast<double>(*f.maxTo) : -1;
    case 9:
        return f.ratio;
    default:
        return static_cast<double>(f.maxRun);
    }
}

std::vector<std::pair<std::string, std::string>> betFigureLines(const BetResult& r) {
    const play::MoneyResult& m = r.money;
    const play::PlayInfo& p = play::info(r.play);
    std::vector<std::pair<std::string, std::string>> lines = {
        {"选号规则", pickRuleName(r.rule)},
        {"玩法", std::string(p.name) + "（每注" + std::to_string(play::kTicketPrice) + "元，奖金" +
                     std::to_string(r.prize) + "元）"},
        {"检验期数", std::to_string(m.steps) +
                         (r.skipped ? "（其中" + std::to_string(r.skipped) + "期检索无结果未投注）"
                                    : std::string())},
        {"投注注数", std::to_string(m.tickets)},
        {"投注成本", yuan(m.cost)},
        {"中奖金额", yuan(m.won)},
        {"盈亏", yuan(m.net)},
        {"返奖率", m.returnRate ? percent2(*m.returnRate) : "—"},
        {"理论返奖率", percent2(m.expectedReturnRate)},
        {"中奖注数", std::to_string(m.hits)},
        {"理论中奖注数", decimals3(m.expectedHits)},
        {"p值（至少这么多中奖的机会）", m.pValue ? pValueText(*m.pValue) : "—（每期不止一注）"},
        {"最大回撤", yuan(m.maxDrawdown)},
        {"最长连续不中", std::to_string(m.longestLosingStreak) + "期"},
    };
    if (m.random) {
        lines.push_back({"随机投注对照", std::to_string(m.random->runs) + "次，平均盈亏" +
                                             decimals3(m.random->netMean) + "元"});
        const auto rank = rankLines("随机投注", "本规则", m.random->percentile, m.random->below,
                                    m.random->equal, m.random->above);
        lines.insert(lines.end(), rank.begin(), rank.end());
    }
    return lines;
}

std::vector<std::pair<std::string, std::string>> rankLines(const std::string& runs,
                                                           const std::string& what, double midRank,
                                                           double below, double equal,
                                                           double above) {
    return {{runs + "中不如" + what + "的比例（持平算一半）", percent2(midRank)},
            {runs + "低于／持平／高于" + what,
             percent2(below) + "／" + percent2(equal) + "／" + percent2(above)}};
}

Outcome PlayService::table(play::Play play, std::optional<int> from, std::optional<int> to,
                           PlayTableResult& result) {
    if (auto sound = workspace_.checkDraws(); !sound.ok) return sound;
    const auto& rows = workspace_.rows();
    if (rows.empty())
        return Outcome::failure("没有历史号码，无法统计玩法遗漏。请先输入或导入历史号码。");
    size_t first = 0, last = rows.size();
    if (from || to) {
        std::tie(first, last) =
            search::spanRows(rows, from.value_or(0), to.value_or(history::kLastPeriod));
        if (last <= first)
            return Outcome::failure(
                "统计范围内没有开奖期（" + (from ? history::tenDigit(*from) : "最早一期") + " 至 " +
                (to ? history::tenDigit(*to) : "最新一期") + "），请改正起止期号。");
    }
    result.firstRow = first;
    result.table = std::make_unique<play::PlayTable>(play::selectionsOf(play), rows, first, last);
    return Outcome::success();
}

Outcome readTickets(play::Play play, const std::vector<std::string>& texts,
                    std::vector<std::uint32_t>& tickets) {
    tickets.clear();
    const play::SelectionSet& selections = play::selectionsOf(play);
    if (texts.empty()) return Outcome::failure("请至少输入一注号码。");
    for (const auto& text : texts) {
        const auto parsed = play::parseSelection(play, text);
        if (!parsed.selection) return Outcome::failure(parsed.error + "，请改正。");
        const auto index = selections.indexOf(*parsed.selection);
        if (std::find(tickets.begin(), tickets.end(), *index) != tickets.end())
            return Outcome::failure("号码“" + play::selectionText(*parsed.selection) +
                                    "”输入了两次，每注号码只能买一次。");
        tickets.push_back(*index);
    }
    return Outcome::success();
}

Outcome PlayService::buy(const BetRequest& request, history::Progress& progress,
                         BetResult& result) {
    result = BetResult{};
    result.play = request.play;
    result.rule = request.rule;
    result.prize = workspace_.settings().prizes.of(request.play);
    if (auto sound = workspace_.checkDraws(); !sound.ok) return sound;
    const play::PlayInfo& info = play::info(request.play);
    if (request.steps < 1 || request.steps > kMaxBetSteps)
        return Outcome::failure("回测期数“" + std::to_string(request.steps) + "”不在1到" +
                                std::to_string(kMaxBetSteps) + "之间，请改正。");
    if (request.randomRuns < 0 || request.randomRuns > kMaxRandomRuns)
        return Outcome::failure("随机对照次数“" + std::to_string(request.randomRuns) + "”不在0到" +
                                std::to_string(kMaxRandomRuns) + "之间，请改正。");
    const play::SelectionSet& selections = play::selectionsOf(request.play);

    // The tickets of a fixed rule are read before anything else is looked at.
    std::vector<std::uint32_t> fixed;
    if (request.rule == PickRule::Fixed) {
        if (const Outcome read = readTickets(request.play, request.tickets, fixed); !read.ok)
            return read;
    }
    if (request.rule == PickRule::Search) {
        if (info.ordered)
            return Outcome::failure(std::string(info.name) +
                                    "要求号码的顺序，检索结果只给出号码，无法用于这个玩法。");
        if (workspace_.settings().resultKind != history::Number)
            return Outcome::failure("按检索结果投注需要结果类为号码，请把结果类改为号码。");
    }
    const auto& rows = workspace_.rows();
    if (rows.size() < 2)
        return Outcome::failure("历史号码不足两期，无法回测：请先输入或导入历史号码。");

    const size_t firstTested = play::firstTestedRow(rows.size(), request.steps);
    result.periods = play::testedPeriods(rows, firstTested);
    switch (request.rule) {
    case PickRule::Fixed:
        play::buyFixed(result.periods, fixed);
        break;
    case PickRule::Coldest:
    case PickRule::Hottest:
        if (!play::buyByTemperature(result.periods, selections, rows,
                                    request.rule == PickRule::Coldest ? play::Temperature::Coldest
                                                                      : play::Temperature::Hottest,
                                    progress)) {
            result.money.cancelled = true;
            return Outcome::failure("");
        }
        break;
    case PickRule::Search: {
        // The search's back-test gives each tested period's result grid; its first numbers make
        // the period's ticket. Periods whose search found nothing buy nothing.
        BacktestService backtests(workspace_, searches_);
        BacktestOptions options;
        options.steps = request.steps;
        options.top = play::searchTicketSize(request.play);
        search::BacktestResult steps;
        const Outcome searched =
            backtests.run(request.searchType, request.positions, options, progress, steps);
        if (!searched.ok) {
            result.money.cancelled = steps.cancelled;
            return searched;
        }
        result.skipped = steps.skipped;
        size_t p = 0;
        for (const auto& step : steps.steps) {
            while (p < result.periods.size() && result.periods[p].period != step.period) ++p;
            if (p == result.periods.size()) break;
            if (const auto ticket = play::ticketOfTopNumbers(selections, step.top))
                result.periods[p].tickets = {*ticket};
        }
        break;
    }
    }
    return Outcome::success();
}

Outcome PlayService::bet(const BetRequest& request, history::Progress& progress,
                         BetResult& result) {
    if (const Outcome bought = buy(request, progress, result); !bought.ok) return bought;
    result.money = play::moneyFigures(play::selectionsOf(request.play), result.prize,
                                      result.periods, {request.randomRuns, request.seed}, progress);
    if (result.money.cancelled) return Outcome::failure("");
    result.money.steps = static_cast<std::int64_t>(result.periods.size());
    return Outcome::success();
}

} // namespace app
