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
    {"dan", "胆码"},       {"kill", "杀号"},        {"sum", "和值"},
    {"span", "跨度"},      {"odd", "奇数个数"},     {"big", "大数个数"},
    {"prime", "质数个数"}, {"consecutive", "连号"}, {"repeat", "重号"},
    {"neighbour", "邻号"}, {"route", "012路"},      {"exclude_drawn", "排除近期开出"},
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

} // namespace

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

bool shrinkable(Play play) {
    switch (play) {
    case Play::Any5:
    case Play::Any6:
    case Play::Any7:
    case Play::Any8:
    case Play::Front3Group:
    case Play::Front3Direct:
        return true;
    default:
        return false;
    }
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
                           const std::vector<history::HistoryRow>& rows)
    : selections_(selections), conditions_(std::move(conditions)), rows_(rows) {
    masks_.reserve(selections.size());
    for (const auto& s : selections.all()) masks_.push_back(maskOf(s));
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
    default:
        value = search::shapeValueOfSet(*conditionShape(condition.kind), mask, previous_);
        return value >= condition.low && value <= condition.high;
    }
}

bool ShrinkFilter::holdsAll(std::uint32_t s) const {
    for (size_t c = 0; c < conditions_.size(); ++c)
        if (!holds(c, s)) return false;
    return true;
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
                            const std::vector<history::HistoryRow>& rows, int window) {
    const SelectionSet& selections = selectionsOf(play);
    const OutcomeCover& cover = outcomeCoverOf(play);
    ShrinkFilter filter(selections, conditions, rows);
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
    for (size_t row = first; row < rows.size(); ++row) {
        filter.moveTo(row);
        selections.winners(rows[row].numbers(), winners);
        const auto wins = [&](const TicketBits& bits) {
            return std::any_of(winners.begin(), winners.end(),
                               [&](std::uint32_t w) { return bits.test(w); });
        };
        TicketBits all(selections.size(), true);
        for (size_t c = 0; c < conditions.size(); ++c) {
            const auto& [bits, chance] = kept.of(c);
            f.conditions[c].passed += wins(bits);
            chanceSum[c] += chance;
            all &= bits;
        }
        f.passed += wins(all);
        allChanceSum += cover.chance(all);
    }
    f.window = static_cast<std::int64_t>(rows.size() - first);

    // The tickets for the period after the newest.
    filter.moveTo(rows.size());
    for (std::uint32_t s = 0; s < selections.size(); ++s) {
        bool all = true;
        for (size_t c = 0; c < conditions.size(); ++c) {
            const bool h = filter.holds(c, s);
            f.conditions[c].kept += h;
            all = all && h;
        }
        if (all) f.tickets.push_back(s);
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
