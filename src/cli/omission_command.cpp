// The omission command: how often each value of a kind (or of a shape of the whole draw) came up
// over a span, how often chance would have it, and how long it has stayed away.

#include "cli/basic_trend_command.h"
#include "cli/commands.h"
#include "history/period.h"
#include "search/omission.h"
#include "search/shape.h"
#include "search/tally.h"
#include "workspace/figure_caveat.h"
#include "workspace/json_text.h"
#include "workspace/number_text.h"

#include <algorithm>
#include <optional>
#include <ostream>

namespace app {

namespace {

int parsePosition(const std::string& text) {
    if (text == "any") return 0;
    if (text.size() == 1 && text[0] >= '1' && text[0] <= '5') return text[0] - '0';
    throw UsageError{"--position 是1到5或 any，不是“" + text + "”"};
}

int parsePeriod(const std::string& option, const std::string& text) {
    const auto period = history::parseTenDigitPeriod(text);
    if (!period) throw UsageError{option + " 后面要跟十位期号，例如2016090801"};
    return *period;
}

// What the user asked for: a kind (at a position) or a shape.
struct Subject {
    history::Kind kind = history::Number;
    std::optional<search::Shape> shape;
    int zodiacBase = 1;

    std::string label(int value) const {
        return shape ? search::shapeLabel(*shape, value)
                     : search::valueText(kind, value, zodiacBase);
    }
};

const char* const kTooFewToTest = "期数太少，无法检验";

void printSummary(const search::OmissionTable& table, const Subject& subject, std::ostream& out) {
    out << "值\t出现次数\t理论次数\t当前遗漏\t最大遗漏\t平均遗漏\t最大连出\n";
    for (const auto& v : table.summary()) {
        out << subject.label(v.value) << '\t' << v.count << '\t' << decimals3(v.expected) << '\t'
            << v.current << '\t' << v.max << '\t' << decimals3(v.average) << '\t' << v.maxRun
            << '\n';
    }
    if (const auto& test = table.uniformity()) {
        out << "分布检验\t";
        if (test->tested())
            out << "χ² = " << decimals3(test->chi2) << "，df = " << test->df
                << "，p = " << pValueText(test->pValue) << "（" << test->groups << "组）\n"
                << "注意\t" << kFigureCaveat << '\n';
        else
            out << kTooFewToTest << '\n';
    }
}

void printJson(const search::OmissionTable& table, const Subject& subject, std::ostream& out) {
    Json values = Json::array();
    for (const auto& v : table.summary())
        values.push_back({{"value", v.value},
                          {"label", subject.label(v.value)},
                          {"count", v.count},
                          {"expected", roundedDecimals(v.expected, 3)},
                          {"current", v.current},
                          {"max", v.max},
                          {"average", roundedDecimals(v.average, 3)},
                          {"max_run", v.maxRun}});
    Json json;
    json["periods"] = table.periods();
    json["values"] = std::move(values);
    if (const auto& test = table.uniformity()) {
        if (test->tested()) {
            json["chi2"] = roundedDecimals(test->chi2, 3);
            json["df"] = test->df;
            // Very small p-values keep their digits in exponent form.
            json["p_value"] = roundedSignificant(test->pValue, 6);
            json["caveat"] = kFigureCaveat;
        } else {
            json["chi2"] = nullptr;
            json["df"] = nullptr;
            json["p_value"] = nullptr;
        }
        json["groups"] = test->groups;
    }
    app::printJson(json, out);
}

void printRows(const search::OmissionTable& table, const Workspace& w, std::ostream& out) {
    const size_t values = table.values().size();
    for (size_t i = 0; i < table.periods(); ++i) {
        out << w.historyPeriodText(table.firstRow() + i);
        for (size_t v = 0; v < values; ++v) out << '\t' << table.omission(i, v);
        out << '\n';
    }
}

int runOmission(CommandContext& c) {
    std::optional<std::string> typeName;
    std::optional<history::Kind> kind;
    std::optional<search::Shape> shape;
    std::optional<int> position;
    std::optional<int> from, to;
    enum class Output { Summary, Json, Rows } output = Output::Summary;
    if (c.given.has("--basic")) return runBasicTrend(c);
    auto setOutput = [&](Output chosen) {
        if (output != Output::Summary) throw UsageError{"--json 和 --rows 只能用一个"};
        output = chosen;
    };
    for (const auto& [a, value] : c.given.options) {
        if (a == "--type") {
            typeName = value;
        } else if (a == "--position") {
            position = parsePosition(value);
        } else if (a == "--from") {
            from = parsePeriod(a, value);
        } else if (a == "--to") {
            to = parsePeriod(a, value);
        } else if (a == "--json") {
            setOutput(Output::Json);
        } else if (a == "--rows") {
            setOutput(Output::Rows);
        } else if (a == "--out") {
            throw UsageError{"--out 只与 --basic 一起用（基本走势图的图片或PDF）"};
        }
    }
    if (!typeName) throw UsageError{"要用 --type 给出类型"};
    shape = search::parseShape(*typeName);
    if (!shape) kind = parseKind(*typeName);
    if (shape && position)
        throw UsageError{"--position 不能用于整期号码的形态（--type " +
                         std::string(search::shapeName(*shape)) + "）"};

    Workspace& w = c.workspace;
    if (w.rows().empty()) {
        c.err << "没有历史号码，无法统计遗漏。\n";
        return kExitRefused;
    }
    search::OmissionRequest request;
    request.kind = kind.value_or(history::Number);
    request.shape = shape;
    request.position = position.value_or(0);
    if (from || to) {
        request.spanStart = from.value_or(0);
        request.spanEnd = to.value_or(history::kLastPeriod);
    }
    request.zodiacBase = w.settings().zodiacBase;
    request.segmentBase = w.settings().segmentBase;
    if (kind) w.ensureKinds({*kind});
    const search::OmissionTable table(w.rows(), request, w.zodiac());
    if (table.periods() == 0) {
        if (shape && search::needsPrevious(*shape))
            c.err << search::shapeCaption(*shape) << "要和上一期比较，历史的第一期不计入。";
        c.err << "统计范围内没有开奖期（" << (from ? history::tenDigit(*from) : "最早一期")
              << " 至 " << (to ? history::tenDigit(*to) : "最新一期") << "），请改正起止期号。\n";
        return kExitRefused;
    }
    const Subject subject{request.kind, shape, request.zodiacBase};
    switch (output) {
    case Output::Summary:
        printSummary(table, subject, c.out);
        break;
    case Output::Json:
        printJson(table, subject, c.out);
        break;
    case Output::Rows:
        printRows(table, w, c.out);
        break;
    }
    return kExitOk;
}

} // namespace

void addOmissionCommands(std::vector<CommandSpec>& table) {
    table.push_back(
        {"omission",
         {.options = {{"--type", "K", "类型（0到5或其名称）或整期号码的形态", "--type K"},
                      {"--position", "1..5|any", "只看这个位置"},
                      {"--from", "ID", "统计的起始期号", "[--from ID --to ID]"},
                      {"--to", "ID", "统计的结束期号", ""},
                      {"--json", "", "以JSON输出", "[--json|--rows]"},
                      {"--rows", "", "逐期列出遗漏", ""},
                      {"--basic", "", "基本走势图（只与 --from、--to、--json 和 --out 一起用）",
                       ""},
                      {"--out", "FILE", "把基本走势图存为图片或PDF（.png、.svg、.pdf）", ""}},
          .tail = "(K also a shape: sum5 span odd big prime route012 consecutive repeat "
                  "neighbour sum3); omission --basic [--from ID --to ID] [--json | --out "
                  "FILE.png|.svg|.pdf]: the basic trend chart"},
         true,
         runOmission});
}

} // namespace app
