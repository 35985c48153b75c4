#include "search/hit_finder.h"

#include "history/attributes.h"
#include "search/combinations.h"

#include <algorithm>
#include <climits>
#include <cstdint>
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
    const auto [first, last] = spanRows(input.rows, request.spanStart, request.spanEnd);
    if (first >= last) return {};
    return HitMatcher(input, request, first, last).hits(request.targets, first, last);
}

HitMatcher::HitMatcher(const SearchInput& input, const SearchRequest& request, size_t first,
                       size_t last)
    : input_(input), request_(request), first_(first) {
    const auto& rows = input.rows;
    last = std::max(first, std::min(last, rows.size()));
    const int kind = request.kind;
    const size_t n = static_cast<size_t>(request.distance);
    for (auto& values : earlier_) values.assign(last - first, 0);

    if (!request.freePosition()) {
        // The earlier draw's values as the fixed rewrites leave them: the filler 0 where there
        // is none, and what the first row keeps in a fixed combination search N back.
        const size_t back = request.lastPeriod() ? 1 : n;
        for (size_t r = first; r < last; ++r) {
            const history::PositionValues* values = nullptr;
            if (r >= back)
                values = &rows[r - back].values[kind];
            else if (request.combination() && !request.lastPeriod() && r == 0)
                values = &input.firstRowPreviousValues;
            if (!values) continue;
            for (int p = 0; p < 5; ++p) earlier_[p][r - first] = (*values)[p];
        }
        return;
    }
    // Free position: the token text of the draw compared with, read as values where it is
    // exactly the tokens of five values; other rows are searched as text.
    for (size_t r = first; r < last; ++r) {
        std::optional<size_t> source;
        if (request.lastPeriod())
            source = r;
        else if (r + 1 >= n)
            source = r + 1 - n;
        if (source && input.kindValues && input.kindValues->exact[*source]) {
            const auto& values = input.kindValues->values[*source];
            for (int p = 0; p < 5; ++p) earlier_[p][r - first] = values[p];
        } else {
            textRows_.push_back(static_cast<std::uint32_t>(r));
        }
    }
}

std::string_view HitMatcher::freeText(size_t r) const {
    const size_t n = static_cast<size_t>(request_.distance);
    if (request_.lastPeriod()) return input_.kindText->at(r);
    if (r + 1 >= n) return input_.kindText->at(r + 1 - n);
    if (r >= 1) return {};
    return input_.firstRowPreviousText;
}

std::vector<std::uint32_t> HitMatcher::hits(const std::array<std::int16_t, 5>& targets,
                                            size_t first, size_t last) const {
    std::vector<std::uint32_t> found, masks;
    hits(targets, first, last, found, masks);
    return found;
}

void HitMatcher::hits(const std::array<std::int16_t, 5>& targets, size_t first, size_t last,
                      std::vector<std::uint32_t>& hits, std::vector<std::uint32_t>& masks) const {
    hits.clear();
    first = std::max(first, first_);
    last = std::min(last, first_ + earlier_[0].size());
    if (first >= last) return;
    SearchRequest request = request_;
    request.targets = targets;
    const auto sets = positionSets(request);
    if (sets.empty()) return;

    // Each set asks for some bits of a per-row mask: agreement per position (fixed mode) or
    // presence per distinct token (free mode). A set with a position that can never agree asks
    // for nothing and finds nothing.
    std::vector<std::string> tokens;
    std::vector<std::uint32_t> required;
    for (const auto& set : sets) {
        std::uint32_t bits = 0;
        bool possible = true;
        for (size_t i = 0; i < set.positions.size(); ++i) {
            if (!request.freePosition()) {
                bits |= 1u << (set.positions[i] - 1);
                continue;
            }
            const auto& token = set.tokens[i];
            if (!token) {
                possible = false;
                continue;
            }
            auto at = std::find(tokens.begin(), tokens.end(), *token);
            if (at == tokens.end()) at = tokens.insert(tokens.end(), *token);
            bits |= 1u << (at - tokens.begin());
        }
        if (possible) required.push_back(bits);
    }
    if (required.empty()) return;

    // The masks of the rows, compared position by position over whole arrays.
    const size_t count = last - first;
    const size_t offset = first - first_;
    masks.assign(count, 0);
    std::uint32_t* mask = masks.data();
    if (!request.freePosition()) {
        for (int p = 0; p < 5; ++p) {
            const std::int16_t* values = earlier_[p].data() + offset;
            const std::int16_t target = targets[p];
            for (size_t i = 0; i < count; ++i)
                mask[i] |= static_cast<std::uint32_t>(values[i] == target) << p;
        }
    } else {
        // A row whose text is exact holds a token when it holds the value at least count times
        // (a number's plain token asks for once).
        for (size_t t = 0; t < tokens.size(); ++t) {
            const auto x = tokens[t].find('X');
            const int held = x == std::string::npos ? 1 : std::stoi(tokens[t].substr(0, x));
            const int wanted =
                std::stoi(x == std::string::npos ? tokens[t] : tokens[t].substr(x + 1));
            if (wanted < INT16_MIN || wanted > INT16_MAX) continue;
            const auto value = static_cast<std::int16_t>(wanted);
            const std::int16_t* v0 = earlier_[0].data() + offset;
            const std::int16_t* v1 = earlier_[1].data() + offset;
            const std::int16_t* v2 = earlier_[2].data() + offset;
            const std::int16_t* v3 = earlier_[3].data() + offset;
            const std::int16_t* v4 = earlier_[4].data() + offset;
            for (size_t i = 0; i < count; ++i) {
                const int found = (v0[i] == value) + (v1[i] == value) + (v2[i] == value) +
                                  (v3[i] == value) + (v4[i] == value);
                mask[i] |= static_cast<std::uint32_t>(found >= held) << t;
            }
        }
        const auto from = std::lower_bound(textRows_.begin(), textRows_.end(), first);
        for (auto at = from; at != textRows_.end() && *at < last; ++at) {
            const std::string_view text = freeText(*at);
            std::uint32_t bits = 0;
            for (size_t t = 0; t < tokens.size(); ++t)
                if (text.find(tokens[t]) != std::string_view::npos) bits |= 1u << t;
            mask[*at - first] = bits;
        }
    }

    // Whether a mask is a hit, looked up when the masks are few.
    const size_t bits = request.freePosition() ? tokens.size() : 5;
    std::vector<std::uint8_t> table;
    if (bits <= 10) {
        table.assign(size_t{1} << bits, 0);
        for (size_t m = 0; m < table.size(); ++m)
            for (std::uint32_t want : required)
                if ((m & want) == want) table[m] = 1;
    }
    for (size_t i = 0; i < count; ++i) {
        bool hit = false;
        if (!table.empty()) {
            hit = table[mask[i]];
        } else {
            for (std::uint32_t want : required)
                if ((mask[i] & want) == want) hit = true;
        }
        if (hit) hits.push_back(static_cast<std::uint32_t>(first + i));
    }
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
