#include "search/hit_reasons.h"

#include <algorithm>

namespace search {

namespace {

// A free-position token as (count, value): "2X05" asks for the value 5 at least twice, a plain
// "05" for once.
std::pair<int, int> countAndValue(const std::string& token) {
    const auto x = token.find('X');
    if (x == std::string::npos) return {1, std::stoi(token)};
    return {std::stoi(token.substr(0, x)), std::stoi(token.substr(x + 1))};
}

} // namespace

HitReason hitReason(const SearchRequest& request, const std::vector<PositionSet>& sets,
                    const std::optional<history::PositionValues>& earlier) {
    HitReason reason;
    if (request.freePosition() && !earlier) return reason;
    const history::PositionValues values = earlier.value_or(history::PositionValues{});
    for (size_t s = 0; s < sets.size() && s < 32; ++s) {
        const PositionSet& set = sets[s];
        bool agrees = !set.positions.empty();
        std::uint8_t positions = 0;
        for (size_t i = 0; i < set.positions.size() && agrees; ++i) {
            const int p = set.positions[i];
            if (!request.freePosition()) {
                agrees = values[p - 1] == request.targets[p - 1];
                positions |= static_cast<std::uint8_t>(1u << (p - 1));
                continue;
            }
            if (!set.tokens[i]) {
                agrees = false;
                break;
            }
            const auto [count, value] = countAndValue(*set.tokens[i]);
            agrees = std::count(values.begin(), values.end(), value) >= count;
            for (int q = 0; q < history::kPositions; ++q)
                if (values[q] == value) positions |= static_cast<std::uint8_t>(1u << q);
        }
        if (!agrees) continue;
        reason.sets |= 1u << s;
        reason.earlierPositions |= positions;
    }
    return reason;
}

std::vector<HitReason> hitReasons(const std::vector<history::HistoryRow>& rows,
                                  const SearchRequest& request,
                                  const std::vector<std::uint32_t>& hits) {
    const auto sets = positionSets(request);
    const size_t back = request.lastPeriod() ? 1 : static_cast<size_t>(request.distance);
    std::vector<HitReason> reasons;
    reasons.reserve(hits.size());
    for (std::uint32_t r : hits) {
        if (r >= rows.size() || back < 1) {
            reasons.emplace_back();
            continue;
        }
        std::optional<history::PositionValues> earlier;
        if (r >= back) earlier = rows[r - back].values[request.kind];
        reasons.push_back(hitReason(request, sets, earlier));
    }
    return reasons;
}

std::string setsText(const std::vector<PositionSet>& sets, const HitReason& reason) {
    std::string text;
    for (size_t s = 0; s < sets.size() && s < 32; ++s) {
        if (!(reason.sets & (1u << s))) continue;
        if (!text.empty()) text += "、";
        for (size_t i = 0; i < sets[s].positions.size(); ++i) {
            if (i > 0) text += '+';
            text += std::to_string(sets[s].positions[i]);
        }
    }
    return text;
}

} // namespace search
