#include "cli/money_json.h"

namespace app {

void addMoneyJson(const play::MoneyResult& m, bool withHitChance, Json& json) {
    json["tickets"] = m.tickets;
    json["cost"] = m.cost;
    json["won"] = m.won;
    json["net"] = m.net;
    json["return_rate"] = m.returnRate ? roundedDecimals(*m.returnRate, 6) : Json(nullptr);
    json["expected_return_rate"] = roundedDecimals(m.expectedReturnRate, 6);
    json["hits"] = m.hits;
    if (withHitChance) {
        json["expected_hits"] = roundedDecimals(m.expectedHits, 6);
        json["p_value"] = m.pValue ? roundedSignificant(*m.pValue, 6) : Json(nullptr);
    }
    json["max_drawdown"] = m.maxDrawdown;
    json["longest_losing_streak"] = m.longestLosingStreak;
    if (m.random)
        json["random"] = {{"runs", m.random->runs},
                          {"net_mean", roundedDecimals(m.random->netMean, 3)},
                          {"percentile", roundedDecimals(m.random->percentile, 4)},
                          {"below", roundedDecimals(m.random->below, 4)},
                          {"equal", roundedDecimals(m.random->equal, 4)},
                          {"above", roundedDecimals(m.random->above, 4)},
                          {"exact", m.random->exact}};
    else
        json["random"] = nullptr;
}

} // namespace app
