#include "app/backtest_service.h"

namespace app {

std::string backtestVerdict(double pValue) {
    return pValue >= 0.05 ? "与随机无明显差别" : "明显高于随机";
}

Outcome BacktestService::run(search::SearchType type, const std::array<bool, 5>& positions,
                             const BacktestOptions& options, history::Progress& progress,
                             search::BacktestResult& result) {
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
