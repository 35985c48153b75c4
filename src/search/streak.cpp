#include "search/streak.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>

namespace search {

namespace {

struct ShapeName {
    StreakShape shape;
    const char* name;
    const char* caption;
};
constexpr std::array<ShapeName, 7> kNames = {{
    {StreakShape::Big, "big", "大小"},
    {StreakShape::Odd, "odd", "单双"},
    {StreakShape::Prime, "prime", "质合"},
    {StreakShape::Route012, "route012", "012路"},
    {StreakShape::Sum5, "sum5", "和值大小"},
    {StreakShape::Span, "span", "跨度大小"},
    {StreakShape::Dragon, "dragon", "龙虎"},
}};

const ShapeName& info(StreakShape shape) {
    return kNames[static_cast<size_t>(shape)];
}

// The shape of the whole draw a count kind stands for.
Shape drawShape(StreakShape shape) {
    switch (shape) {
    case StreakShape::Odd:
        return Shape::Odd;
    case StreakShape::Prime:
        return Shape::Prime;
    case StreakShape::Route012:
        return Shape::Route012;
    default:
        return Shape::Big;
    }
}

bool onlyWholeDraw(StreakShape shape) {
    return shape == StreakShape::Sum5 || shape == StreakShape::Span || shape == StreakShape::Dragon;
}

// Above the middle of the values is 1 (大), below it 0 (小), the middle 2.
int aboveMiddle(int value, int middle) {
    return value > middle ? 1 : value < middle ? 0 : 2;
}

} // namespace

ParsedStreakKind parseStreakKind(std::string_view text) {
    const auto colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const auto found = std::find_if(kNames.begin(), kNames.end(),
                                    [&](const ShapeName& n) { return name == n.name; });
    if (found == kNames.end())
        return {std::nullopt, "没有这个形态：" + std::string(name) +
                                  "（big、odd、prime、route012 可加位置，如 big:1；"
                                  "sum5、span、dragon 指整期）"};
    StreakKind kind{found->shape, 0};
    if (colon != std::string_view::npos) {
        const std::string_view position = text.substr(colon + 1);
        if (onlyWholeDraw(kind.shape))
            return {std::nullopt, std::string(found->caption) + "是整期的形态，不能指定位置：" +
                                      std::string(text)};
        if (position.size() != 1 || position[0] < '1' || position[0] > '5')
            return {std::nullopt, "位置要写成 1 到 5：" + std::string(text)};
        kind.position = position[0] - '0';
    }
    return {kind, {}};
}

std::string streakKindText(const StreakKind& kind) {
    std::string text = info(kind.shape).name;
    if (kind.position) text += ":" + std::to_string(kind.position);
    return text;
}

std::string streakKindCaption(const StreakKind& kind) {
    if (kind.position)
        return "第" + std::to_string(kind.position) + "位" + info(kind.shape).caption;
    if (onlyWholeDraw(kind.shape)) return info(kind.shape).caption;
    return shapeCaption(drawShape(kind.shape));
}

int streakValue(const StreakKind& kind, std::span<const int, 5> numbers) {
    if (kind.position) {
        const int n = numbers[static_cast<size_t>(kind.position - 1)];
        switch (kind.shape) {
        case StreakShape::Big:
            return n >= 6 ? 1 : 0;
        case StreakShape::Odd:
            return n % 2;
        case StreakShape::Prime:
            return shapeValue(Shape::Prime, std::span<const int>(&n, 1));
        default:
            return n % 3;
        }
    }
    switch (kind.shape) {
    case StreakShape::Sum5:
        return aboveMiddle(shapeValue(Shape::Sum5, numbers), 30);
    case StreakShape::Span:
        return aboveMiddle(shapeValue(Shape::Span, numbers), 7);
    case StreakShape::Dragon:
        return numbers[0] > numbers[4] ? 1 : 0;
    default:
        return shapeValue(drawShape(kind.shape), numbers);
    }
}

int streakValue(const StreakKind& kind, const history::PositionValues& numbers) {
    const std::array<int, 5> drawn = {numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
    return streakValue(kind, std::span<const int, 5>(drawn));
}

std::string streakValueLabel(const StreakKind& kind, int value) {
    switch (kind.shape) {
    case StreakShape::Sum5:
        return value == 1 ? "大" : value == 0 ? "小" : "和";
    case StreakShape::Span:
        return value == 1 ? "大" : value == 0 ? "小" : "中";
    case StreakShape::Dragon:
        return value == 1 ? "龙" : "虎";
    default:
        break;
    }
    if (!kind.position) return shapeLabel(drawShape(kind.shape), value);
    switch (kind.shape) {
    case StreakShape::Big:
        return value ? "大" : "小";
    case StreakShape::Odd:
        return value ? "单" : "双";
    case StreakShape::Prime:
        return value ? "质" : "合";
    default:
        return std::to_string(value) + "路";
    }
}

namespace {

std::vector<StreakValueChance> countValueChances(const StreakKind& kind) {
    std::map<int, long> counts;
    long total = 0;
    std::array<int, 5> draw{};
    std::array<bool, 12> used{};
    // Every ordered draw: the positions and 龙虎 depend on the order.
    auto place = [&](auto&& self, size_t at) -> void {
        if (at == draw.size()) {
            ++counts[streakValue(kind, std::span<const int, 5>(draw))];
            ++total;
            return;
        }
        for (int n = 1; n <= 11; ++n) {
            if (used[static_cast<size_t>(n)]) continue;
            used[static_cast<size_t>(n)] = true;
            draw[at] = n;
            self(self, at + 1);
            used[static_cast<size_t>(n)] = false;
        }
    };
    place(place, 0);
    std::vector<StreakValueChance> chances;
    for (const auto& [value, count] : counts)
        chances.push_back({value, static_cast<double>(count) / static_cast<double>(total)});
    return chances;
}

} // namespace

std::vector<StreakValueChance> streakValueChances(const StreakKind& kind) {
    // Counted once per kind: the alerts ask again at every draw.
    static std::mutex mutex;
    static std::map<std::pair<int, int>, std::vector<StreakValueChance>> counted;
    const std::lock_guard lock(mutex);
    const std::pair key{static_cast<int>(kind.shape), kind.position};
    auto found = counted.find(key);
    if (found == counted.end()) found = counted.emplace(key, countValueChances(kind)).first;
    return found->second;
}

double runChance(std::span<const double> chances, int length, int draws) {
    if (draws <= 0 || length > draws) return 0;
    if (length <= 1) return 1;
    const size_t values = chances.size();
    const auto runs = static_cast<size_t>(length - 1);
    // open[v][l]: the chance that no run of `length` has come yet and the run in progress is of
    // value v and l + 1 draws long.
    std::vector<std::vector<double>> open(values, std::vector<double>(runs, 0.0));
    for (size_t v = 0; v < values; ++v) open[v][0] = chances[v];
    for (int d = 1; d < draws; ++d) {
        double none = 0;
        std::vector<double> byValue(values, 0.0);
        for (size_t v = 0; v < values; ++v) {
            for (const double p : open[v]) byValue[v] += p;
            none += byValue[v];
        }
        for (size_t v = 0; v < values; ++v) {
            // The run of v grows by one (one reaching `length` leaves the open states), or
            // another value's run ends and a run of v starts.
            for (size_t l = runs - 1; l > 0; --l) open[v][l] = open[v][l - 1] * chances[v];
            open[v][0] = (none - byValue[v]) * chances[v];
        }
    }
    double none = 0;
    for (const auto& byLength : open)
        for (const double p : byLength) none += p;
    return std::clamp(1.0 - none, 0.0, 1.0);
}

double streakChanceInDay(const StreakKind& kind, int length, int drawsPerDay) {
    std::vector<double> chances;
    for (const auto& v : streakValueChances(kind)) chances.push_back(v.chance);
    return runChance(chances, length, drawsPerDay);
}

bool followsDirectly(std::int32_t before, std::int32_t after) {
    if (after / 100 == before / 100) return after == before + 1;
    return after / 100 > before / 100 && after % 100 == 1;
}

Run currentRun(const StreakKind& kind, std::span<const history::HistoryRow> rows, std::size_t end) {
    if (end == 0 || end > rows.size()) return {};
    Run run{streakValue(kind, rows[end - 1].numbers()), 1, end - 1};
    while (run.first > 0) {
        const auto& before = rows[run.first - 1];
        if (!followsDirectly(before.period, rows[run.first].period) ||
            streakValue(kind, before.numbers()) != run.value)
            break;
        --run.first;
        ++run.length;
    }
    return run;
}

} // namespace search
