// The commands of the plays: plays (a play's omission table) and bet (the money back-test of a
// way of picking tickets). Neither changes anything stored.

#include "cli/commands.h"
#include "cli/money_json.h"
#include "cli/pick_rule.h"
#include "cli/picture_out.h"
#include "cli/terminal_progress.h"
#include "history/period.h"
#include "workspace/figure_caveat.h"
#include "workspace/play_service.h"

#include <QStandardItemModel>

#include <ostream>

namespace app {

namespace {

int parsePeriod(const std::string& option, const std::string& text) {
    const auto period = history::parseTenDigitPeriod(text);
    if (!period) throw UsageError{option + " 后面要跟十位期号，例如2016090801"};
    return *period;
}

int runPlays(CommandContext& c) {
    std::optional<play::Play> which;
    std::optional<int> from, to;
    int sortColumn = -1;
    std::optional<size_t> top;
    std::optional<std::string> out;
    bool json = false;
    for (const auto& [a, value] : c.given.options) {
        if (a == "--play") {
            which = playOption(value);
        } else if (a == "--out") {
            if (!isPictureFile(value))
                throw UsageError{"--out 的文件要以 .png、.svg 或 .pdf 结尾，不是“" + value + "”"};
            out = value;
        } else if (a == "--from") {
            from = parsePeriod(a, value);
        } else if (a == "--to") {
            to = parsePeriod(a, value);
        } else if (a == "--sort") {
            const std::string& s = value;
            sortColumn = s == "current" ? 3
                         : s == "count" ? 1
                         : s == "max"   ? 6
                         : s == "ratio" ? 9
                                        : -2;
            if (sortColumn == -2)
                throw UsageError{"--sort 是 current、count、max或ratio，不是“" + s + "”"};
        } else if (a == "--top") {
            top = static_cast<size_t>(wholeOptionValue(a, value, 1, 1000000));
        } else if (a == "--json") {
            json = true;
        }
    }
    if (!which) throw UsageError{"要用 --play 给出玩法"};
    if (out && json) throw UsageError{"--out 和 --json 只能用一个"};

    SearchService searches(c.workspace);
    PlayService service(c.workspace, searches);
    PlayTableResult result;
    if (const Outcome outcome = service.table(*which, from, to, result); !outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    const play::PlayTable& table = *result.table;
    const play::TableSort sort = sortColumn == 3   ? play::TableSort::Current
                                 : sortColumn == 1 ? play::TableSort::Count
                                 : sortColumn == 6 ? play::TableSort::Max
                                 : sortColumn == 9 ? play::TableSort::Ratio
                                                   : play::TableSort::Selection;
    auto order = table.order(sort);
    if (top && *top < order.size()) order.resize(*top);

    const Workspace& w = c.workspace;
    if (out) {
        const auto header = playTableHeader();
        std::vector<std::vector<std::string>> rows;
        for (const auto s : order) {
            rows.emplace_back();
            for (int k = 0; k < static_cast<int>(header.size()); ++k)
                rows.back().push_back(playTableCell(w, table, s, k));
        }
        const auto model = textTable(header, rows);
        const std::string span =
            table.periods() == 0 ? std::string()
                                 : w.historyPeriodText(result.firstRow) + "至" +
                                       w.historyPeriodText(result.firstRow + table.periods() - 1) +
                                       "（" + std::to_string(table.periods()) + "期）";
        return writePictureOut(c, std::string(play::info(*which).name) + "遗漏表", span,
                               {model.get()}, *out, true);
    }
    if (!json) {
        const auto header = playTableHeader();
        for (size_t k = 0; k < header.size(); ++k) c.out << (k ? "\t" : "") << header[k];
        c.out << '\n';
        for (const auto s : order) {
            for (int k = 0; k < static_cast<int>(header.size()); ++k)
                c.out << (k ? "\t" : "") << playTableCell(w, table, s, k);
            c.out << '\n';
        }
        return kExitOk;
    }
    auto period = [&](const std::optional<size_t>& row) {
        return row ? Json(w.historyPeriodText(*row)) : Json(nullptr);
    };
    Json rows = Json::array();
    for (const auto s : order) {
        const play::SelectionFigures& f = table.figures()[s];
        rows.push_back({{"selection", play::selectionText(table.selections()[s])},
                        {"count", f.count},
                        {"expected", roundedDecimals(f.expected, 3)},
                        {"current", f.current},
                        {"previous", f.previous ? Json(*f.previous) : Json(nullptr)},
                        {"max", f.max},
                        {"max_from", period(f.maxFrom)},
                        {"max_to", period(f.maxTo)},
                        {"average", roundedDecimals(f.average, 3)},
                        {"ratio", roundedDecimals(f.ratio, 3)},
                        {"omission_ratio", roundedDecimals(f.ratio, 3)},
                        {"max_run", f.maxRun}});
    }
    Json document;
    document["play"] = play::info(*which).code;
    document["periods"] = table.periods();
    document["p"] = roundedSignificant(table.chance(), 10);
    document["rows"] = std::move(rows);
    printJson(document, c.out);
    return kExitOk;
}

void printBetJson(const BetRequest& request, const BetResult& r, std::ostream& out) {
    static const char* rules[] = {"fixed", "coldest", "hottest", "search"};
    Json json;
    json["play"] = play::info(r.play).code;
    json["caveat"] = kFigureCaveat;
    json["rule"] = rules[static_cast<int>(request.rule)];
    json["prize"] = r.prize;
    json["steps"] = r.money.steps;
    json["skipped"] = r.skipped;
    addMoneyJson(r.money, true, json);
    printJson(json, out);
}

int runBet(CommandContext& c) {
    BetRequest request;
    std::optional<play::Play> which;
    PickRuleOptions pick({"只能用一种选号规则：--pick 号码（可重复）或 --pick-from "
                          "coldest|hottest|search",
                          "要给出选号规则：--pick 号码 或 --pick-from 规则",
                          [](const std::string& from) {
                              return "--pick-from 是 coldest、hottest或search，不是“" + from + "”";
                          },
                          [](const std::string& option) { return "没有这个选项：" + option; }});
    bool json = false;
    for (const auto& given : c.given.options) {
        const auto& [a, value] = given;
        if (a == "--play") {
            which = playOption(value);
        } else if (PickRuleOptions::isPickOption(a)) {
            pick.take(a, value);
        } else if (takeRunOption(a, value, request)) {
            // --steps, --random, --seed
        } else if (a == "--json") {
            json = true;
        } else if (a == "--from" || a == "--to") {
            throw UsageError{"bet 每个检验期都用它之前的全部历史号码，不能用 " + a};
        } else {
            pick.keepForSearch(given);
        }
    }
    if (!which) throw UsageError{"要用 --play 给出玩法"};
    if (const int status = pick.apply(c, request); status != kExitOk) return status;
    request.play = *which;

    SearchService searches(c.workspace);
    PlayService service(c.workspace, searches);
    TerminalProgress progress("正在回测投注……");
    BetResult result;
    if (const Outcome outcome = service.bet(request, progress, result); !outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (json) {
        printBetJson(request, result, c.out);
    } else {
        for (const auto& [label, text] : betFigureLines(result))
            c.out << label << '\t' << text << '\n';
        c.out << "注意\t" << kFigureCaveat << '\n';
    }
    return kExitOk;
}

} // namespace

void addPlayCommands(std::vector<CommandSpec>& table) {
    table.push_back({"plays",
                     {.options = {{"--play", "P", "玩法", "--play P"},
                                  {"--from", "ID", "统计的起始期号", "[--from ID --to ID]"},
                                  {"--to", "ID", "统计的结束期号", ""},
                                  {"--sort", "current|count|max|ratio", "排序的列"},
                                  {"--top", "N", "只列出前N行"},
                                  {"--json", "", "以JSON输出", "[--json | --out FILE]"},
                                  {"--out", "FILE", "把表存为图片或PDF（.png、.svg、.pdf）", ""}},
                      .tail = "  (P: q1, r2..r8, q2d, q2g, q3d, q3g)"},
                     true,
                     runPlays});
    CommandSyntax bet{.options = {{"--play", "P", "玩法", "--play P"}}};
    for (auto& option : pickRuleOptions("bet", "[options of search, or of combo with --size K]"))
        bet.options.push_back(option);
    for (auto& option : runOptions()) bet.options.push_back(option);
    bet.options.push_back({"--json", "", "以JSON输出"});
    table.push_back({"bet", bet, true, runBet});
}

} // namespace app
