#include "workspace/backtest_service.h"

#include "workspace/number_text.h"
#include <cstdio>

namespace app {

namespace {

std::string percent(double share) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f%%", share * 100);
    return buffer;
}

} // namespace

std::string backtestVerdict(double pAdjusted) {
    return pAdjusted >= 0.05 ? "与随机无明显差别" : "明显高于随机";
}

std::vector<std::string> backtestTableHeader() {
    return {"前k位", "检验期数", "命中期数", "命中率", "随机命中率", "p值", "校正p值", "结论"};
}

std::string backtestTableCell(const search::BacktestResult& result, size_t row, int column) {
    const search::BacktestFigures& f = result.top[row];
    const auto tested = static_cast<double>(result.tested());
    switch (column) {
    case 0:
        return std::to_string(f.k);
    case 1:
        return std::to_string(result.tested());
    case 2:
        return std::to_string(f.successes);
    case 3:
        return result.tested() ? percent(static_cast<double>(f.successes) / tested) : "";
    case 4:
        return result.tested() ? percent(f.expected / tested) : "";
    case 5:
        return pValueText(f.pValue);
    case 6:
        return pValueText(f.pAdjusted);
    default:
        return backtestVerdict(f.pAdjusted);
    }
}

Outcome BacktestService::run(search::SearchType type, const std::array<bool, 5>& positions,
                             const BacktestOptions& options, history::Progress& progress,
                             search::BacktestResult& result) {
    if (auto sound = workspace_.checkDraws(); !sound.ok) return sound;
    if (options.steps < 1 || options.steps > kMaxBacktestSteps)
        return Outcome::failure("回测期数“" + std::to_string(options.steps) + "”不在1到" +
                                std::to_string(kMaxBacktestSteps) + "之间，请改正。");
    if (options.top < 1 || options.top > kMaxBacktestTop)
        return Outcome::failure("回测取前几位“" + std::to_string(options.top) + "”不在1到" +
                                std::to_string(kMaxBacktestTop) + "之间，请改正。");
    search::BacktestRequest request;
    request.search.type = type;
    request.search.positions = positions;
    request.search.combinationSize = workspace_.settings().combinationSize;
    if (auto ready = searches_.requestFromSettings(request.search); !ready.ok) return ready;
    if (workspace_.rows().size() < 2)
        return Outcome::failure("历史号码不足两期，无法回测：请先输入或导入历史号码。");
    request.typedTargets = workspace_.targetSource() == TargetSource::Typed;
    request.steps = options.steps;
    request.top = options.top;
    try {
        const search::SearchInput input = searches_.searchInput(request.search, true);
        result = search::runBacktest(input, request, workspace_.zodiac(), progress);
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("回测失败：") + e.what() +
                                "。数据库没有改变，请重试；如果问题依旧，请重新启动程序。");
    }
    if (result.cancelled) return Outcome::failure("");
    return Outcome::success();
}

} // namespace app
