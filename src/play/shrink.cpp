#include "play/shrink.h"

#include "play/pick_rules.h"
#include "play/shrink_chance.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>

namespace play {

namespace {

struct KindInfo {
    const char* name;
    const char* caption;
};
constexpr KindInfo kKinds[kConditionKinds] = {
    {"dan", "胆码"},
    {"kill", "杀号"},
    {"sum", "和值"},
    {"span", "跨度"},
    {"odd", "奇数个数"},
    {"big", "大数个数"},
    {"prime", "质数个数"},
    {"consecutive", "连号"},
    {"repeat", "重号"},
    {"neighbour", "邻号"},
    {"route", "012路"},
    {"exclude_drawn", "排除近期开出"},
    {"dan_group", "胆组"},
    {"ac", "AC值"},
    {"sum_tail", "和尾"},
    {"min", "最小号"},
    {"max", "最大号"},
    {"pattern_odd", "奇偶位置"},
    {"pattern_big", "大小位置"},
    {"pattern_route", "012路位置"},
};

constexpr search::NumberSet kAllNumbers = 0x7ff;

search::NumberSet maskOf(const Selection& s) {
    search::NumberSet mask = 0;
    for (int i = 0; i < s.size; ++i)
        mask |= static_cast<search::NumberSet>(1u << (s.numbers[i] - 1));
    return mask;
}

search::NumberSet maskOfDraw(const Draw& draw) {
    search::NumberSet mask = 0;
    for (const auto n : draw)
        if (n >= 1 && n <= 11) mask |= static_cast<search::NumberSet>(1u << (n - 1));
    return mask;
}

// The value of a kind that is not a shape (AC, the smallest, the largest number).
int setValue(ConditionKind kind, search::NumberSet mask) {
    switch (kind) {
    case ConditionKind::Ac:
        return acValue(mask);
    case ConditionKind::Min:
        return mask ? std::countr_zero(static_cast<unsigned>(mask)) + 1 : 0;
    case ConditionKind::Max:
        return mask ? 16 - std::countl_zero(static_cast<std::uint16_t>(mask)) : 0;
    default:
        return 0;
    }
}

// The values setValue takes over every set of `size` numbers, ascending.
std::vector<int> setValues(ConditionKind kind, int size) {
    std::vector<int> values;
    for (unsigned mask = 0; mask <= kAllNumbers; ++mask)
        if (std::popcount(mask) == size)
            values.push_back(setValue(kind, static_cast<search::NumberSet>(mask)));
    std::sort(values.begin(), values.end());
    values.erase(std::unique(values.begin(), values.end()), values.end());
    return values;
}

int patternDigit(ConditionKind kind, int number) {
    switch (kind) {
    case ConditionKind::PatternOdd:
        return number % 2;
    case ConditionKind::PatternBig:
        return number >= 6 ? 1 : 0;
    default:
        return number % 3;
    }
}

std::string rangeText(int low, int high) {
    return std::to_string(low) + "-" + std::to_string(high);
}

} // namespace

int acValue(search::NumberSet numbers) {
    unsigned differences = 0;
    for (unsigned m = numbers; m; m &= m - 1) {
        const int a = std::countr_zero(m);
        for (unsigned rest = m & (m - 1); rest; rest &= rest - 1)
            differences |= 1u << (std::countr_zero(rest) - a);
    }
    const int count = std::popcount(static_cast<unsigned>(numbers));
    return count == 0 ? 0 : std::popcount(differences) - (count - 1);
}

int patternCode(ConditionKind kind, const Selection& selection) {
    int code = 1; // a leading 1 keeps "011" apart from "11"
    for (int i = 0; i < selection.size; ++i)
        code = code * 10 + patternDigit(kind, selection.numbers[i]);
    return code;
}

bool alwaysHolds(ConditionKind kind) {
    return kind == ConditionKind::Dan || kind == ConditionKind::DanGroup ||
           kind == ConditionKind::Kill;
}

bool isPattern(ConditionKind kind) {
    return kind == ConditionKind::PatternOdd || kind == ConditionKind::PatternBig ||
           kind == ConditionKind::PatternRoute;
}

const char* conditionName(ConditionKind kind) {
    return kKinds[static_cast<size_t>(kind)].name;
}
const char* conditionCaption(ConditionKind kind) {
    return kKinds[static_cast<size_t>(kind)].caption;
}

std::optional<search::Shape> conditionShape(ConditionKind kind) {
    switch (kind) {
    case ConditionKind::Sum:
        return search::Shape::Sum5;
    case ConditionKind::Span:
        return search::Shape::Span;
    case ConditionKind::Odd:
        return search::Shape::Odd;
    case ConditionKind::Big:
        return search::Shape::Big;
    case ConditionKind::Prime:
        return search::Shape::Prime;
    case ConditionKind::Consecutive:
        return search::Shape::Consecutive;
    case ConditionKind::Repeat:
        return search::Shape::Repeat;
    case ConditionKind::Neighbour:
        return search::Shape::Neighbour;
    default:
        return std::nullopt;
    }
}

bool dependsOnPeriod(ConditionKind kind) {
    return kind == ConditionKind::Repeat || kind == ConditionKind::Neighbour ||
           kind == ConditionKind::ExcludeDrawn;
}

bool shrinkable(Play) {
    return true;
}

std::string conditionProblem(Play play, const Condition& c) {
    const int size = info(play).size;
    const std::string caption = conditionCaption(c.kind);
    switch (c.kind) {
    case ConditionKind::Dan:
    case ConditionKind::Kill: {
        if (c.numbers == 0 || (c.numbers & ~kAllNumbers)) return caption + "的号码须在01到11之间";
        const int count = std::popcount(static_cast<unsigned>(c.numbers));
        if (c.kind == ConditionKind::Dan && (c.atLeast < 1 || c.atLeast > count))
            return caption + "至少要含的个数须在1到" + std::to_string(count) + "之间";
        return {};
    }
    case ConditionKind::Route: {
        if (c.routes.empty()) return caption + "至少要给一种比例";
        const auto values = search::shapeValues(search::Shape::Route012, size);
        for (const int r : c.routes)
            if (std::find(values.begin(), values.end(), r) == values.end())
                return caption + "比例“" + search::shapeLabel(search::Shape::Route012, r, size) +
                       "”不是" + std::to_string(size) + "个号码可能的比例";
        return {};
    }
    case ConditionKind::ExcludeDrawn:
        if (c.low < 1 || c.low > 10000) return caption + "的期数须在1到10000之间";
        return {};
    case ConditionKind::DanGroup: {
        if (c.numbers == 0 || (c.numbers & ~kAllNumbers)) return caption + "的号码须在01到11之间";
        const int count = std::popcount(static_cast<unsigned>(c.numbers));
        if (c.low < 0 || c.low > c.high || c.high > count)
            return caption + "出号个数“" + rangeText(c.low, c.high) + "”须在0到" +
                   std::to_string(count) + "之间且起点不大于终点";
        return {};
    }
    case ConditionKind::SumTail:
        if (c.values.empty()) return caption + "至少要给一个尾数";
        for (const int v : c.values)
            if (v < 0 || v > 9) return caption + "“" + std::to_string(v) + "”不在0到9之间";
        return {};
    case ConditionKind::PatternOdd:
    case ConditionKind::PatternBig:
    case ConditionKind::PatternRoute: {
        if (!info(play).ordered) return caption + "只用于前二直选和前三直选";
        if (c.patterns.empty()) return caption + "至少要给一种形态";
        const char top = c.kind == ConditionKind::PatternRoute ? '2' : '1';
        for (const auto& pattern : c.patterns) {
            const bool digits = std::all_of(pattern.begin(), pattern.end(),
                                            [&](char d) { return d >= '0' && d <= top; });
            if (static_cast<int>(pattern.size()) != size || !digits)
                return caption + "“" + pattern + "”须是" + std::to_string(size) + "位、每位0到" +
                       top + "的形态";
        }
        return {};
    }
    case ConditionKind::Ac:
    case ConditionKind::Min:
    case ConditionKind::Max: {
        const auto values = setValues(c.kind, size);
        if (c.low > c.high) return caption + "范围“" + rangeText(c.low, c.high) + "”起点大于终点";
        if (c.low < values.front() || c.high > values.back())
            return caption + "范围“" + rangeText(c.low, c.high) + "”超出" + std::to_string(size) +
                   "个号码可能的值（" + std::to_string(values.front()) + "到" +
                   std::to_string(values.back()) + "）";
        return {};
    }
    default: {
        const auto values = search::shapeValues(*conditionShape(c.kind), size);
        if (c.low > c.high)
            return caption + "范围“" + std::to_string(c.low) + "-" + std::to_string(c.high) +
                   "”起点大于终点";
        if (values.empty() || c.low < values.front() || c.high > values.back())
            return caption + "范围“" + std::to_string(c.low) + "-" + std::to_string(c.high) +
                   "”超出" + std::to_string(size) + "个号码可能的值（" +
                   std::to_string(values.empty() ? 0 : values.front()) + "到" +
                   std::to_string(values.empty() ? 0 : values.back()) + "）";
        return {};
    }
    }
}

ShrinkFilter::ShrinkFilter(const SelectionSet& selections, std::vector<Condition> conditions,
                           const std::vector<history::HistoryRow>& rows, int tolerance)
    : selections_(selections), conditions_(std::move(conditions)), rows_(rows),
      tolerance_(tolerance) {
    masks_.reserve(selections.size());
    for (const auto& s : selections.all()) masks_.push_back(maskOf(s));
    patternCodes_.resize(conditions_.size());
    for (size_t c = 0; c < conditions_.size(); ++c) {
        for (const auto& pattern : conditions_[c].patterns) {
            if (pattern.size() > 8) continue; // no ticket is that long
            int code = 1;
            for (const char d : pattern) code = code * 10 + (d - '0');
            patternCodes_[c].push_back(code);
        }
        std::sort(patternCodes_[c].begin(), patternCodes_[c].end());
    }
    recent_.resize(conditions_.size());
    for (size_t c = 0; c < conditions_.size(); ++c)
        if (conditions_[c].kind == ConditionKind::ExcludeDrawn)
            recent_[c].assign(selections.size(), 0);
}

void ShrinkFilter::addRow(size_t c, size_t row, int sign) {
    selections_.winners(rows_[row].numbers(), winners_);
    for (const auto w : winners_) recent_[c][w] = static_cast<std::uint16_t>(recent_[c][w] + sign);
}

void ShrinkFilter::moveTo(size_t row) {
    row = std::min(row, rows_.size());
    for (size_t c = 0; c < conditions_.size(); ++c) {
        if (recent_[c].empty()) continue;
        const size_t k = static_cast<size_t>(conditions_[c].low);
        if (!started_ || row < current_ || row - current_ > k) {
            // Counted afresh from the K rows before the period.
            std::fill(recent_[c].begin(), recent_[c].end(), 0);
            for (size_t r = row - std::min(row, k); r < row; ++r) addRow(c, r, 1);
        } else {
            for (size_t r = current_; r < row; ++r) {
                addRow(c, r, 1);
                if (r >= k) addRow(c, r - k, -1);
            }
        }
    }
    current_ = row;
    started_ = true;
    previous_ = row > 0 ? maskOfDraw(rows_[row - 1].numbers()) : 0;
}

bool ShrinkFilter::holds(size_t c, std::uint32_t s) const {
    const Condition& condition = conditions_[c];
    const search::NumberSet mask = masks_[s];
    const auto count = [](unsigned bits) { return std::popcount(bits); };
    int value = 0;
    switch (condition.kind) {
    case ConditionKind::Dan:
        return count(mask & condition.numbers) >= condition.atLeast;
    case ConditionKind::Kill:
        return (mask & condition.numbers) == 0;
    case ConditionKind::Route:
        value = search::shapeValueOfSet(search::Shape::Route012, mask);
        return std::find(condition.routes.begin(), condition.routes.end(), value) !=
               condition.routes.end();
    case ConditionKind::ExcludeDrawn:
        return recent_[c][s] == 0;
    case ConditionKind::DanGroup:
        value = count(mask & condition.numbers);
        return value >= condition.low && value <= condition.high;
    case ConditionKind::SumTail:
        value = search::shapeValueOfSet(search::Shape::Sum5, mask) % 10;
        return std::find(condition.values.begin(), condition.values.end(), value) !=
               condition.values.end();
    case ConditionKind::Ac:
    case ConditionKind::Min:
    case ConditionKind::Max:
        value = setValue(condition.kind, mask);
        return value >= condition.low && value <= condition.high;
    case ConditionKind::PatternOdd:
    case ConditionKind::PatternBig:
    case ConditionKind::PatternRoute:
        return std::binary_search(patternCodes_[c].begin(), patternCodes_[c].end(),
                                  patternCode(condition.kind, selections_[s]));
    default:
        value = search::shapeValueOfSet(*conditionShape(condition.kind), mask, previous_);
        return value >= condition.low && value <= condition.high;
    }
}

int ShrinkFilter::failures(std::uint32_t s) const {
    int failed = 0;
    for (size_t c = 0; c < conditions_.size(); ++c) {
        if (holds(c, s)) continue;
        if (alwaysHolds(conditions_[c].kind)) return -1;
        ++failed;
    }
    return failed;
}

bool ShrinkFilter::holdsAll(std::uint32_t s) const {
    const int failed = failures(s);
    return failed >= 0 && failed <= tolerance_;
}

std::vector<std::uint32_t> ShrinkFilter::kept() const {
    std::vector<std::uint32_t> out;
    for (std::uint32_t s = 0; s < selections_.size(); ++s)
        if (holdsAll(s)) out.push_back(s);
    return out;
}

namespace {

// What each condition keeps in a period and the chance of that, found afresh only where it can
// change: once for the conditions on the ticket alone, once per previous draw for repeat and
// neighbour, every period for the last periods' winners.
class KeptByPeriod {
  public:
    KeptByPeriod(const ShrinkFilter& filter, size_t tickets, const OutcomeCover& cover)
        : filter_(filter), tickets_(tickets), cover_(cover), fixed_(filter.conditions().size()),
          byPrevious_(filter.conditions().size()) {}

    // Condition c in the filter's current period.
    const std::pair<TicketBits, double>& of(size_t c) {
        const ConditionKind kind = filter_.conditions()[c].kind;
        if (!dependsOnPeriod(kind)) {
            if (!fixed_[c]) fixed_[c] = compute(c);
            return *fixed_[c];
        }
        if (kind == ConditionKind::ExcludeDrawn) {
            scratch_ = compute(c);
            return scratch_;
        }
        auto& cache = byPrevious_[c];
        auto at = cache.find(filter_.previous());
        if (at == cache.end()) at = cache.emplace(filter_.previous(), compute(c)).first;
        return at->second;
    }

  private:
    std::pair<TicketBits, double> compute(size_t c) const {
        TicketBits bits(tickets_);
        for (std::uint32_t s = 0; s < tickets_; ++s)
            if (filter_.holds(c, s)) bits.set(s);
        const double chance = cover_.chance(bits);
        return {std::move(bits), chance};
    }

    const ShrinkFilter& filter_;
    size_t tickets_;
    const OutcomeCover& cover_;
    std::vector<std::optional<std::pair<TicketBits, double>>> fixed_;
    std::vector<std::unordered_map<search::NumberSet, std::pair<TicketBits, double>>> byPrevious_;
    std::pair<TicketBits, double> scratch_;
};

std::optional<double> ratioOf(double passRate, double chance) {
    if (chance <= 0) return std::nullopt;
    return passRate / chance;
}

} // namespace

ShrinkFigures shrinkFigures(Play play, const std::vector<Condition>& conditions,
                            const std::vector<history::HistoryRow>& rows, int window,
                            int tolerance) {
    const SelectionSet& selections = selectionsOf(play);
    const OutcomeCover& cover = outcomeCoverOf(play);
    ShrinkFilter filter(selections, conditions, rows, tolerance);
    ShrinkFigures f;
    f.play = play;
    f.total = static_cast<std::int64_t>(selections.size());
    f.conditions.resize(conditions.size());

    // The pass rates and chances: each window period judged as the one bet on.
    const size_t first = firstTestedRow(rows.size(), window);
    KeptByPeriod kept(filter, selections.size(), cover);
    std::vector<double> chanceSum(conditions.size(), 0.0);
    double allChanceSum = 0;
    std::vector<std::uint32_t> winners;
    std::vector<std::uint8_t> failed(selections.size()), fixedFailed(selections.size());
    f.tolerance = tolerance;
    for (size_t row = first; row < rows.size(); ++row) {
        filter.moveTo(row);
        selections.winners(rows[row].numbers(), winners);
        const auto wins = [&](const TicketBits& bits) {
            return std::any_of(winners.begin(), winners.end(),
                               [&](std::uint32_t w) { return bits.test(w); });
        };
        TicketBits all(selections.size(), true);
        // Failures of the conditions on the ticket alone are the same every period: counted
        // once, then only those that follow the previous draws are added.
        if (tolerance > 0 && row == first) {
            std::fill(fixedFailed.begin(), fixedFailed.end(), 0);
            for (size_t c = 0; c < conditions.size(); ++c) {
                if (alwaysHolds(conditions[c].kind) || dependsOnPeriod(conditions[c].kind))
                    continue;
                const TicketBits& bits = kept.of(c).first;
                for (std::uint32_t s = 0; s < selections.size(); ++s)
                    fixedFailed[s] += !bits.test(s);
            }
        }
        if (tolerance > 0) failed = fixedFailed;
        for (size_t c = 0; c < conditions.size(); ++c) {
            const auto& [bits, chance] = kept.of(c);
            f.conditions[c].passed += wins(bits);
            chanceSum[c] += chance;
            if (tolerance == 0 || alwaysHolds(conditions[c].kind)) {
                all &= bits;
                continue;
            }
            if (!dependsOnPeriod(conditions[c].kind)) continue;
            for (std::uint32_t s = 0; s < selections.size(); ++s) failed[s] += !bits.test(s);
        }
        if (tolerance > 0) {
            TicketBits forgiven(selections.size());
            for (std::uint32_t s = 0; s < selections.size(); ++s)
                if (failed[s] <= tolerance) forgiven.set(s);
            all &= forgiven;
        }
        f.passed += wins(all);
        allChanceSum += cover.chance(all);
    }
    f.window = static_cast<std::int64_t>(rows.size() - first);

    // The tickets for the period after the newest.
    filter.moveTo(rows.size());
    f.failures.assign(static_cast<size_t>(tolerance) + 1, 0);
    for (std::uint32_t s = 0; s < selections.size(); ++s) {
        int failures = 0;
        for (size_t c = 0; c < conditions.size(); ++c) {
            const bool h = filter.holds(c, s);
            f.conditions[c].kept += h;
            if (!h) failures += alwaysHolds(conditions[c].kind) ? 1000 : 1;
        }
        if (failures > tolerance) continue;
        f.tickets.push_back(s);
        ++f.failures[static_cast<size_t>(failures)];
    }
    f.kept = static_cast<std::int64_t>(f.tickets.size());

    const double total = static_cast<double>(f.total);
    const double periods = static_cast<double>(f.window);
    for (size_t c = 0; c < conditions.size(); ++c) {
        auto& figures = f.conditions[c];
        figures.keptShare = figures.kept / total;
        figures.passRate = f.window ? figures.passed / periods : 0;
        figures.chance = f.window ? chanceSum[c] / periods : 0;
        figures.ratio = ratioOf(figures.passRate, figures.chance);
    }
    f.keptShare = f.kept / total;
    f.passRate = f.window ? f.passed / periods : 0;
    f.chance = f.window ? allChanceSum / periods : 0;
    f.ratio = ratioOf(f.passRate, f.chance);
    f.pValue = binomialTwoSided(f.window, f.chance, f.passed);
    return f;
}

double binomialTwoSided(std::int64_t n, double p, std::int64_t k) {
    if (n <= 0) return 1;
    if (p <= 0) return k == 0 ? 1 : 0;
    if (p >= 1) return k == n ? 1 : 0;
    const double logP = std::log(p), logQ = std::log1p(-p);
    const double logN = std::lgamma(static_cast<double>(n) + 1);
    const auto logChance = [&](std::int64_t i) {
        return logN - std::lgamma(static_cast<double>(i) + 1) -
               std::lgamma(static_cast<double>(n - i) + 1) + static_cast<double>(i) * logP +
               static_cast<double>(n - i) * logQ;
    };
    // Outcomes as likely as k up to rounding count as no more likely.
    const double limit = logChance(k) + 1e-7;
    double sum = 0;
    for (std::int64_t i = 0; i <= n; ++i) {
        const double l = logChance(i);
        if (l <= limit) sum += std::exp(l);
    }
    return std::min(1.0, sum);
}

} // namespace play
