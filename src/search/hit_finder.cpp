#include "search/hit_finder.h"

#include "history/attributes.h"
#include "search/combinations.h"

#include <algorithm>
#include <map>

namespace search {

namespace {

using history::Kind;

// Occurrence counters of the free-position search, indexed by the value itself. A target
// outside a counter table has no counter.
struct CounterRange {
    int low;
    int high;
};

// By kind (number, zodiac, head, tail, sum, segment). The pattern search matches numbers by
// their value alone, so it has no number counters.
constexpr CounterRange kPatternCounters[] = {{1, 0}, {0, 12}, {0, 1}, {0, 9}, {1, 11}, {0, 3}};
constexpr CounterRange kCombinationCounters[] = {{0, 11}, {0, 12}, {0, 1}, {0, 9}, {1, 11}, {0, 5}};

CounterRange patternCounters(int kind) {
    return kPatternCounters[kind];
}
CounterRange combinationCounters(int kind) {
    return kCombinationCounters[kind];
}

// The counters reset before each combination: the values the kind can take.
CounterRange combinationReset(int kind, int zodiacBase, int segmentBase) {
    switch (kind) {
    case history::Number:
        return {1, 11};
    case history::ZodiacKind:
        return {zodiacBase, zodiacBase + 11};
    case history::Head:
        return {0, 1};
    case history::Tail:
        return {0, 9};
    case history::Sum:
        return {1, 11};
    default:
        return {segmentBase, segmentBase + 2};
    }
}

bool inside(CounterRange r, int v) {
    return v >= r.low && v <= r.high;
}

} // namespace

std::vector<PositionSet> positionSets(const SearchRequest& request) {
    std::vector<PositionSet> sets;
    const int kind = request.kind;
    if (!request.combination()) {
        PositionSet set;
        const CounterRange range = patternCounters(kind);
        std::map<int, int> counters; // all counters start at 0 for the search
        for (int p = 1; p <= 5; ++p) {
            if (!request.positions[p - 1]) continue;
            set.positions.push_back(p);
            const int v = request.targets[p - 1];
            if (kind == history::Number) {
                set.tokens.emplace_back(history::format00(v));
            } else if (inside(range, v)) {
                set.tokens.emplace_back(history::countedToken(kind, ++counters[v], v));
            } else {
                set.tokens.emplace_back(std::nullopt);
            }
        }
        sets.push_back(std::move(set));
        return sets;
    }

    const CounterRange range = combinationCounters(kind);
    const CounterRange reset = combinationReset(kind, request.zodiacBase, request.segmentBase);
    std::map<int, int> counters; // counters outside the reset range carry over
    for (const auto& combination : positionCombinations(request.combinationSize)) {
        for (int v = reset.low; v <= reset.high; ++v) counters[v] = 0;
        for (int p : combination) {
            const int v = request.targets[p - 1];
            if (inside(range, v)) ++counters[v];
        }
        PositionSet set;
        set.positions = combination;
        for (int p : combination) {
            const int v = request.targets[p - 1];
            if (inside(range, v))
                set.tokens.emplace_back(history::countedToken(kind, counters[v], v));
            else
                set.tokens.emplace_back(std::nullopt);
        }
        sets.push_back(std::move(set));
    }
    return sets;
}

TokenValues tokenValues(const TextColumn& column, int kind) {
    TokenValues result;
    extendTokenValues(result, column, kind);
    return result;
}

void extendTokenValues(TokenValues& result, const TextColumn& column, int kind) {
    const size_t from = result.values.size();
    result.values.resize(column.size());
    result.exact.resize(column.size());
    for (size_t r = from; r < column.size(); ++r) {
        const std::string_view text = column.at(r);
        // Five tokens "cXv " in a row; anything else is searched as text.
        history::PositionValues values{};
        size_t at = 0;
        bool ok = !column.isNull(r);
        for (int p = 0; p < 5 && ok; ++p) {
            const size_t x = text.find('X', at);
            const size_t blank = text.find(' ', at);
            if (x == std::string_view::npos || blank == std::string_view::npos || x > blank) {
                ok = false;
                break;
            }
            int value = 0;
            for (size_t i = x + 1; i < blank && ok; ++i) {
                ok = text[i] >= '0' && text[i] <= '9' && value < 1000;
                value = value * 10 + (text[i] - '0');
            }
            values[p] = static_cast<std::int16_t>(value);
            at = blank + 1;
        }
        if (ok && at == text.size() && history::countedTokens(values, kind) == text) {
            result.values[r] = values;
            result.exact[r] = 1;
        }
    }
}

std::pair<size_t, size_t> spanRows(const std::vector<history::HistoryRow>& rows, int start,
                                   int end) {
    const auto first = std::lower_bound(rows.begin(), rows.end(), start,
                                        [](const auto& row, int id) { return row.period < id; });
    const auto last = std::upper_bound(rows.begin(), rows.end(), end,
                                       [](int id, const auto& row) { return id < row.period; });
    if (last <= first) return {0, 0};
    return {static_cast<size_t>(first - rows.begin()), static_cast<size_t>(last - rows.begin())};
}

std::vector<std::uint32_t> findHits(const SearchInput& input, const SearchRequest& request) {
    const auto& rows = input.rows;
    const auto sets = positionSets(request);
    const auto [first, last] = spanRows(rows, request.spanStart, request.spanEnd);
    std::vector<std::uint32_t> hits;
    if (sets.empty() || first >= last) return hits;

    const int kind = request.kind;
    const size_t n = static_cast<size_t>(request.distance);

    // Each set asks for some bits of a per-row mask: agreement per position (fixed mode) or
    // presence per distinct token (free mode). A set with a position that can never agree asks
    // for nothing and finds nothing.
    std::vector<std::string> tokens;
    std::vector<std::uint32_t> required(sets.size(), 0);
    std::vector<bool> possible(sets.size(), true);
    for (size_t s = 0; s < sets.size(); ++s) {
        for (size_t i = 0; i < sets[s].positions.size(); ++i) {
            if (!request.freePosition()) {
                required[s] |= 1u << (sets[s].positions[i] - 1);
                continue;
            }
            const auto& token = sets[s].tokens[i];
            if (!token) {
                possible[s] = false;
                continue;
            }
            auto at = std::find(tokens.begin(), tokens.end(), *token);
            if (at == tokens.end()) at = tokens.insert(tokens.end(), *token);
            required[s] |= 1u << (at - tokens.begin());
        }
    }

    // The earlier draw's values at each position for row r, as the fixed rewrites leave them.
    auto fixedMask = [&](size_t r) {
        const history::PositionValues* earlier = nullptr;
        const size_t back = request.lastPeriod() ? 1 : n;
        if (r >= back) earlier = &rows[r - back].values[kind];
        std::uint32_t mask = 0;
        for (int p = 0; p < 5; ++p) {
            std::int16_t value = 0;
            if (earlier)
                value = (*earlier)[p];
            else if (request.combination() && !request.lastPeriod() && r == 0)
                value = input.firstRowPreviousValues[p]; // the first row is not rewritten
            if (value == request.targets[p]) mask |= 1u << p;
        }
        return mask;
    };
    // The earlier draw's tokens for row r, as the free rewrite leaves them.
    auto freeText = [&](size_t r) -> std::string_view {
        if (request.lastPeriod()) return input.kindText->at(r);
        if (r + 1 >= n) return input.kindText->at(r + 1 - n);
        if (r >= 1) return {};
        return input.firstRowPreviousText;
    };
    // The tokens as (count, value): a row whose text is exact holds a token when it holds the
    // value at least count times (a number's plain token asks for once).
    std::vector<std::pair<int, int>> tokenCounts;
    for (const auto& token : tokens) {
        const auto x = token.find('X');
        tokenCounts.emplace_back(x == std::string::npos ? 1 : std::stoi(token.substr(0, x)),
                                 std::stoi(x == std::string::npos ? token : token.substr(x + 1)));
    }
    auto sourceRow = [&](size_t r) -> std::optional<size_t> {
        if (request.lastPeriod()) return r;
        if (r + 1 >= n) return r + 1 - n;
        return std::nullopt;
    };
    auto freeMask = [&](size_t r) {
        if (input.kindValues) {
            const auto source = sourceRow(r);
            if (source && input.kindValues->exact[*source]) {
                const auto& values = input.kindValues->values[*source];
                std::uint32_t mask = 0;
                for (size_t t = 0; t < tokenCounts.size(); ++t) {
                    const int held = static_cast<int>(
                        std::count(values.begin(), values.end(), tokenCounts[t].second));
                    if (held >= tokenCounts[t].first) mask |= 1u << t;
                }
                return mask;
            }
        }
        const std::string_view text = freeText(r);
        std::uint32_t mask = 0;
        for (size_t t = 0; t < tokens.size(); ++t)
            if (text.find(tokens[t]) != std::string_view::npos) mask |= 1u << t;
        return mask;
    };

    for (size_t r = first; r < last; ++r) {
        const std::uint32_t mask = request.freePosition() ? freeMask(r) : fixedMask(r);
        for (size_t s = 0; s < sets.size(); ++s) {
            if (possible[s] && (mask & required[s]) == required[s]) {
                hits.push_back(static_cast<std::uint32_t>(r));
                break;
            }
        }
    }
    return hits;
}

} // namespace search

namespace search {

void loadFirstRowState(platform::Database& db, int kind, SearchInput& input) {
    std::string sql = "SELECT " + history::textColumn(true, kind);
    for (int p = 1; p <= 5; ++p) sql += ", " + history::attributeColumn(p, kind, "P");
    sql += " FROM Lishi ORDER BY SQQH, ID LIMIT 1";
    auto stmt = db.prepare(sql);
    input.firstRowPreviousText.clear();
    input.firstRowPreviousValues = {};
    if (!stmt.step()) return;
    input.firstRowPreviousText = stmt.textAt(0);
    for (int p = 0; p < 5; ++p)
        input.firstRowPreviousValues[p] = static_cast<std::int16_t>(stmt.intAt(p + 1));
}

} // namespace search
