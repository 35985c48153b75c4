#include "cli/money_json.h"

#include "workspace/number_text.h"

#include <ostream>
#include <string>

namespace app {

namespace {

std::string optionalJson(const std::optional<double>& v, const char* format) {
    return v ? formatted(*v, format) : std::string("null");
}

} // namespace

void printMoneyJson(const play::MoneyResult& m, bool withHitChance, std::ostream& out) {
    out << "\"tickets\": " << m.tickets << ", \"cost\": " << m.cost << ", \"won\": " << m.won
        << ", \"net\": " << m.net << ", \"return_rate\": " << optionalJson(m.returnRate, "%.6f")
        << ", \"expected_return_rate\": " << formatted(m.expectedReturnRate, "%.6f")
        << ", \"hits\": " << m.hits;
    if (withHitChance)
        out << ", \"expected_hits\": " << formatted(m.expectedHits, "%.6f")
            << ", \"p_value\": " << optionalJson(m.pValue, "%.6g");
    out << ", \"max_drawdown\": " << m.maxDrawdown
        << ", \"longest_losing_streak\": " << m.longestLosingStreak << ", \"random\": ";
    if (m.random)
        out << "{\"runs\": " << m.random->runs
            << ", \"net_mean\": " << formatted(m.random->netMean, "%.3f")
            << ", \"percentile\": " << formatted(m.random->percentile, "%.4f")
            << ", \"below\": " << formatted(m.random->below, "%.4f")
            << ", \"equal\": " << formatted(m.random->equal, "%.4f")
            << ", \"above\": " << formatted(m.random->above, "%.4f")
            << ", \"exact\": " << (m.random->exact ? "true" : "false") << "}";
    else
        out << "null";
}

} // namespace app
