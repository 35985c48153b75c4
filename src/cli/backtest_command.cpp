// The back-test command: the options of search or combo, the tested periods and the top values
// taken. Prints the figures of each k; changes nothing stored.

#include "cli/commands.h"
#include "workspace/backtest_service.h"
#include "workspace/figure_caveat.h"
#include "workspace/json_text.h"
#include "workspace/search_service.h"

#include <ostream>

namespace app {

namespace {

int wholeOption(const std::string& name, const std::string& text, int low, int high) {
    int value = 0;
    for (char ch : text) {
        if (ch < '0' || ch > '9' || value > high) value = high + 1;
        if (value <= high) value = value * 10 + (ch - '0');
    }
    if (text.empty() || value < low || value > high)
        throw UsageError{name + " 后面要跟" + std::to_string(low) + "到" + std::to_string(high) +
                         "之间的整数"};
    return value;
}

void printText(const search::BacktestResult& r, std::ostream& out) {
    out << "回测：检验" << r.tested() + r.skipped << "期，其中" << r.skipped
        << "期检索无结果未计入\n";
    const auto header = backtestTableHeader();
    for (size_t c = 0; c < header.size(); ++c) out << (c ? "\t" : "") << header[c];
    out << '\n';
    for (size_t row = 0; row < r.top.size(); ++row) {
        for (size_t c = 0; c < header.size(); ++c)
            out << (c ? "\t" : "") << backtestTableCell(r, row, static_cast<int>(c));
        out << '\n';
    }
    out << "注意：" << kFigureCaveat << '\n';
}

void printJson(const search::BacktestResult& r, std::ostream& out) {
    Json top = Json::array();
    for (const auto& f : r.top)
        top.push_back({{"k", f.k},
                       {"successes", f.successes},
                       {"expected", roundedDecimals(f.expected, 3)},
                       {"p_value", roundedSignificant(f.pValue, 4)},
                       {"p_adjusted", roundedSignificant(f.pAdjusted, 4)}});
    Json json;
    json["steps"] = r.tested();
    json["skipped"] = r.skipped;
    json["top"] = std::move(top);
    json["caveat"] = kFigureCaveat;
    app::printJson(json, out);
}

int runBacktestCommand(CommandContext& c) {
    BacktestOptions options;
    GivenOptions searchArgs;
    for (const auto& given : c.given.options) {
        const auto& [a, text] = given;
        if (a == "--steps" || a == "--top") {
            if (a == "--steps")
                options.steps = wholeOption(a, text, 1, kMaxBacktestSteps);
            else
                options.top = wholeOption(a, text, 1, kMaxBacktestTop);
        } else if (a == "--from" || a == "--to") {
            throw UsageError{"backtest 每个检验期都检索它之前的全部历史号码，不能用 " + a};
        } else {
            searchArgs.push_back(given);
        }
    }
    bool json = false;
    SearchShape shape;
    if (const int status = applySearchOptions(c, searchArgs, SearchChoice::BySize, shape, &json);
        status != kExitOk)
        return status;
    SearchService searches(c.workspace);
    BacktestService service(c.workspace, searches);
    history::NoProgress progress;
    search::BacktestResult result;
    const Outcome outcome = service.run(shape.combination ? search::SearchType::Combination
                                                          : search::SearchType::Pattern,
                                        shape.positions, options, progress, result);
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (json)
        printJson(result, c.out);
    else
        printText(result, c.out);
    return kExitOk;
}

} // namespace

void addBacktestCommands(std::vector<CommandSpec>& table) {
    CommandSyntax syntax{.lead = "[options of search, or of combo with --size K]",
                         .options = searchOptions(SearchChoice::BySize)};
    // Each step searches all the draws before it: no span of its own.
    for (auto& option : syntax.options)
        if (option.name == "--from" || option.name == "--to") option.help = "不能用于 backtest";
    std::erase_if(syntax.options, [](const OptionSpec& option) { return option.name == "--json"; });
    syntax.options.push_back({"--steps", "M", "检验的期数"});
    syntax.options.push_back({"--top", "T", "列出最好的T个结果"});
    syntax.options.push_back({"--json", "", "以JSON输出"});
    table.push_back({"backtest", syntax, true, runBacktestCommand});
}

} // namespace app
