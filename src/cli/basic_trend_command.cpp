#include "cli/basic_trend_command.h"

#include "cli/picture_out.h"
#include "history/period.h"
#include "search/basic_trend.h"
#include "workspace/json_text.h"

#include <ostream>

namespace app {

namespace {

int parsePeriod(const std::string& option, const std::string& text) {
    const auto period = history::parseTenDigitPeriod(text);
    if (!period) throw UsageError{option + " 后面要跟十位期号，例如2016090801"};
    return *period;
}

std::string drawText(const history::HistoryRow& row) {
    std::string text;
    for (const int n : row.numbers()) {
        if (!text.empty()) text += ' ';
        text += history::format00(n);
    }
    return text;
}

// The text of a shape column as the window shows it; empty where there is no value.
std::string shapeText(const search::BasicTrend& trend, size_t i, size_t k) {
    const auto value = trend.shape(i, k);
    return value ? search::shapeLabel(search::kBasicShapes[k], *value) : std::string();
}

void printRows(const search::BasicTrend& trend, const Workspace& w, std::ostream& out) {
    const search::OmissionTable& numbers = trend.numbers();
    for (size_t i = 0; i < trend.periods(); ++i) {
        const size_t row = trend.firstRow() + i;
        out << w.historyPeriodText(row) << '\t' << drawText(w.rows()[row]);
        for (size_t v = 0; v < numbers.values().size(); ++v) out << '\t' << numbers.omission(i, v);
        for (size_t k = 0; k < search::kBasicShapes.size(); ++k)
            out << '\t' << shapeText(trend, i, k);
        out << '\n';
    }
}

// The list of one figure of each number, 01 first.
template <class F> Json listOf(size_t count, F value) {
    Json list = Json::array();
    for (size_t v = 0; v < count; ++v) list.push_back(value(v));
    return list;
}

void printJson(const search::BasicTrend& trend, const Workspace& w, std::ostream& out) {
    const search::OmissionTable& numbers = trend.numbers();
    const size_t values = numbers.values().size();
    // Keys of the shape columns, in the order of kBasicShapes.
    static const char* const kShapeKeys[] = {"sum",   "span",  "odd",   "big",
                                             "prime", "route", "repeat"};
    Json rows = Json::array();
    for (size_t i = 0; i < trend.periods(); ++i) {
        const size_t row = trend.firstRow() + i;
        Json item;
        item["period"] = w.historyPeriodText(row);
        item["draw"] = drawText(w.rows()[row]);
        item["cells"] = listOf(values, [&](size_t v) { return numbers.omission(i, v); });
        for (size_t k = 0; k < search::kBasicShapes.size(); ++k) {
            const auto value = trend.shape(i, k);
            const auto s = search::kBasicShapes[k];
            Json& cell = item[kShapeKeys[k]];
            if (!value)
                cell = nullptr;
            else if (s == search::Shape::Odd || s == search::Shape::Big ||
                     s == search::Shape::Prime || s == search::Shape::Route012)
                cell = search::shapeLabel(s, *value);
            else
                cell = *value;
        }
        // The numbers the period before drew too (重号), and those next to another drawn (连号).
        Json repeats = Json::array(), consecutive = Json::array();
        for (int n = 1; n <= 11; ++n) {
            if (trend.repeats(i, n)) repeats.push_back(n);
            if (trend.consecutive(i, n)) consecutive.push_back(n);
        }
        item["repeats"] = std::move(repeats);
        item["consecutive"] = std::move(consecutive);
        rows.push_back(std::move(item));
    }
    const auto& f = trend.figures();
    Json summary;
    summary["count"] = listOf(values, [&](size_t v) { return f[v].omission.count; });
    summary["expected"] =
        listOf(values, [&](size_t v) { return roundedDecimals(f[v].omission.expected, 3); });
    summary["average"] =
        listOf(values, [&](size_t v) { return roundedDecimals(f[v].omission.average, 3); });
    // The omissions as the rows carry them over from the whole history, then the span's own.
    summary["max"] = listOf(values, [&](size_t v) { return f[v].omission.carriedMax; });
    summary["current"] = listOf(values, [&](size_t v) { return f[v].omission.carriedCurrent; });
    summary["span_max"] = listOf(values, [&](size_t v) { return f[v].omission.max; });
    summary["span_current"] = listOf(values, [&](size_t v) { return f[v].omission.current; });
    summary["max_run"] = listOf(values, [&](size_t v) { return f[v].omission.maxRun; });
    summary["last10"] = listOf(values, [&](size_t v) { return f[v].last10; });
    // 欲出几率 under its old key and under one that says what it is.
    for (const char* key : {"ratio", "omission_ratio"})
        summary[key] = listOf(values, [&](size_t v) { return roundedDecimals(f[v].ratio, 3); });
    summary["heat"] = listOf(values, [&](size_t v) {
        return f[v].heat ? Json(search::heatCaption(*f[v].heat)) : Json(nullptr);
    });
    summary["heat_rule"] = search::heatRuleText(search::heatRuleOf(trend.numbers(), 0));
    const auto sums = trend.sumFigures();
    Json sum;
    sum["average"] = roundedDecimals(sums.average, 3);
    sum["expected"] = roundedDecimals(sums.expected, 3);
    sum["low"] = sums.low;
    sum["high"] = sums.high;
    summary["sum"] = std::move(sum);
    // Per span 4..10: how often the span's draws had it, how often chance would, its omission.
    const search::OmissionTable& spans = trend.spans();
    const size_t spanValues = spans.values().size();
    Json span;
    span["values"] = listOf(spanValues, [&](size_t v) { return spans.values()[v]; });
    span["count"] = listOf(spanValues, [&](size_t v) { return spans.summary()[v].count; });
    span["expected"] = listOf(
        spanValues, [&](size_t v) { return roundedDecimals(spans.summary()[v].expected, 3); });
    span["current"] =
        listOf(spanValues, [&](size_t v) { return spans.summary()[v].carriedCurrent; });
    summary["span"] = std::move(span);
    Json json;
    json["periods"] = trend.periods();
    json["rows"] = std::move(rows);
    json["summary"] = std::move(summary);
    app::printJson(json, out);
}

} // namespace

int runBasicTrend(CommandContext& c) {
    std::optional<int> from, to;
    std::optional<std::string> out;
    bool json = false;
    for (const auto& [a, value] : c.given.options) {
        if (a == "--basic")
            continue;
        else if (a == "--from")
            from = parsePeriod(a, value);
        else if (a == "--to")
            to = parsePeriod(a, value);
        else if (a == "--json")
            json = true;
        else if (a == "--out")
            out = value;
        else
            throw UsageError{
                "omission --basic 只能与 --from、--to、--json 和 --out 一起用，不能用 " + a};
    }
    if (out && json) throw UsageError{"--out 和 --json 只能用一个"};
    if (out && !isPictureFile(*out))
        throw UsageError{"--out 的文件要以 .png、.svg 或 .pdf 结尾，不是“" + *out + "”"};
    Workspace& w = c.workspace;
    if (w.rows().empty()) {
        c.err << "没有历史号码，无法统计遗漏。\n";
        return kExitRefused;
    }
    search::OmissionRequest request;
    if (from || to) {
        request.spanStart = from.value_or(0);
        request.spanEnd = to.value_or(history::kLastPeriod);
    }
    request.zodiacBase = w.settings().zodiacBase;
    request.segmentBase = w.settings().segmentBase;
    w.ensureKinds({history::Number});
    const search::BasicTrend trend(w.rows(), request, w.zodiac());
    if (trend.periods() == 0) {
        c.err << "统计范围内没有开奖期（" << (from ? history::tenDigit(*from) : "最早一期")
              << " 至 " << (to ? history::tenDigit(*to) : "最新一期") << "），请改正起止期号。\n";
        return kExitRefused;
    }
    if (out) return writeBasicTrendPicture(c, trend, *out);
    if (json)
        printJson(trend, w, c.out);
    else
        printRows(trend, w, c.out);
    return kExitOk;
}

} // namespace app
