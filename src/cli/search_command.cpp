// Commands of the searches: search (the pattern search) and combo (the combination search).
// Options override the stored settings for this run only.

#include "cli/commands.h"
#include "workspace/json_text.h"
#include "workspace/search_service.h"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <sstream>

namespace app {

namespace {

std::vector<std::string> splitCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, ',')) parts.push_back(part);
    return parts;
}

// The values a kind can take under the current settings, lowest first.
std::vector<int> kindValues(const Workspace& w, history::Kind kind) {
    if (kind == history::ZodiacKind) {
        std::vector<int> values;
        for (int v = 0; v < 12; ++v) values.push_back(w.settings().zodiacBase + v);
        return values;
    }
    std::vector<int> values;
    for (const history::Numbers& numbers :
         {history::Numbers{1, 2, 3, 4, 5}, history::Numbers{6, 7, 8, 9, 10},
          history::Numbers{11, 1, 2, 3, 4}}) {
        const auto derived = history::deriveDraw(numbers, w.zodiac(), w.settings().segmentBase);
        for (int v : derived[kind])
            if (std::find(values.begin(), values.end(), v) == values.end()) values.push_back(v);
    }
    std::sort(values.begin(), values.end());
    return values;
}

// Typed targets the search type cannot take would only find nothing: a usage error.
void checkTypedTargets(const Workspace& w, const std::vector<std::string>& parts) {
    const history::Kind kind = w.settings().searchKind;
    const auto values = kindValues(w, kind);
    for (const auto& part : parts) {
        int value = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        const bool number =
            !part.empty() && error == std::errc() && end == part.data() + part.size();
        if (!number || std::find(values.begin(), values.end(), value) == values.end())
            throw UsageError{
                "--targets：“" + part + "”不是检索类型" + history::kindCaptions()[kind] + "的值（" +
                std::to_string(values.front()) + "到" + std::to_string(values.back()) + "）"};
    }
}

void printText(const SearchResult& r, std::ostream& out) {
    auto line = [&](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) out << (i ? "\t" : "") << cells[i];
        out << "\n";
    };
    line(hitGridHeader(r));
    for (size_t h = 0; h < r.hits.size(); ++h) {
        std::vector<std::string> cells;
        for (int c = 0; c < 7; ++c) cells.push_back(hitGridCell(r, h, c));
        line(cells);
    }
    out << "\n";
    line(resultGridHeader());
    for (size_t row = 0; row < r.tally.byCount.size(); ++row) {
        std::vector<std::string> cells;
        for (int c = 0; c < 4; ++c) cells.push_back(resultGridCell(r, row, c));
        line(cells);
    }
}

void printJson(const SearchResult& r, std::ostream& out) {
    Json hits = Json::array();
    for (size_t h = 0; h < r.hits.size(); ++h) {
        Json cells = Json::array();
        for (int c = 1; c <= 5; ++c) cells.push_back(hitGridCell(r, h, c));
        hits.push_back({{"period", hitGridCell(r, h, 0)},
                        {"cells", std::move(cells)},
                        {"previous", hitGridCell(r, h, 6)}});
    }
    Json tally = Json::array();
    for (size_t row = 0; row < r.tally.byCount.size(); ++row) {
        const auto band = resultGridBand(r, row);
        tally.push_back({{"rank", row + 1},
                         {"value", resultGridCell(r, row, 1)},
                         {"count", r.tally.byCount[row].count},
                         {"percent", resultGridCell(r, row, 3)},
                         {"expected", roundedDecimals(band.expected, 3)},
                         {"low", roundedDecimals(band.low, 3)},
                         {"high", roundedDecimals(band.high, 3)}});
    }
    Json json;
    json["hits"] = std::move(hits);
    json["tally"] = std::move(tally);
    app::printJson(json, out);
}

} // namespace

std::vector<OptionSpec> searchOptions(SearchChoice choice) {
    std::vector<OptionSpec> options = {
        {"--type", "K", "检索的类型：0到5或 number、zodiac、head、tail、sum、segment"},
        {"--result", "K", "统计结果的类型（同 --type）"},
        {"--fixed", "", "按位置对应检索", "[--fixed|--free]"},
        {"--free", "", "不按位置检索", ""},
        {"--last", "", "以最新一期为检索目标", "[--last|--back N]"},
        {"--back", "N", "以最新一期之前第N期（1到9）为检索目标", ""},
        {"--targets", "a,b,c,d,e", "自己给出的五个检索目标"},
        {"--from", "ID", "检索的起始期号"},
        {"--to", "ID", "检索的结束期号"},
        {"--json", "", "以JSON输出"},
    };
    if (choice != SearchChoice::Combination)
        options.push_back({"--positions", "1,3", "参与检索的位置（1到5）"});
    if (choice != SearchChoice::Pattern) options.push_back({"--size", "K", "组合检索的组合大小"});
    if (choice == SearchChoice::BySize)
        for (auto& option : options) option.usage = "";
    return options;
}

bool isSearchOption(const std::string& name) {
    for (const auto& option : searchOptions(SearchChoice::BySize))
        if (option.name == name && name != "--json") return true;
    return false;
}

int applySearchOptions(CommandContext& c, const GivenOptions& given, SearchChoice choice,
                       SearchShape& shape, bool* json) {
    const auto has = [&](const std::string& name) {
        return std::any_of(given.begin(), given.end(),
                           [&](const GivenOption& g) { return g.name == name; });
    };
    const bool combination =
        choice == SearchChoice::Combination || (choice == SearchChoice::BySize && has("--size"));
    shape.combination = combination;
    Workspace& w = c.workspace;
    w.settingsFile().setPersistent(false);
    std::optional<std::string> from, to, typed, positionsText, size;
    for (const auto& [a, value] : given) {
        if (a == "--type") {
            w.setSearchKind(parseKind(value));
        } else if (a == "--result") {
            w.setResultKind(parseKind(value));
        } else if (a == "--fixed" || a == "--free") {
            w.setPositionMode(a == "--fixed" ? search::PositionMode::Fixed
                                             : search::PositionMode::Free);
        } else if (a == "--last") {
            w.setPeriodMode(search::PeriodMode::Last);
        } else if (a == "--back") {
            if (value.size() != 1 || value[0] < '0' || value[0] > '9')
                throw UsageError{"--back 后面要跟1到9的一位数字"};
            w.setPeriodMode(search::PeriodMode::Back);
            if (const auto outcome = w.setBackDistance(value); !outcome.ok) {
                c.err << outcome.message << "\n";
                return kExitRefused;
            }
        } else if (a == "--targets") {
            typed = value;
        } else if (a == "--from") {
            from = value;
        } else if (a == "--to") {
            to = value;
        } else if (json && a == "--json") {
            *json = true;
        } else if (!combination && a == "--positions") {
            positionsText = value;
        } else if (combination && a == "--size") {
            size = value;
        } else {
            throw UsageError{"没有这个选项：" + a};
        }
    }
    if (typed) {
        const auto parts = splitCommas(*typed);
        if (parts.size() != 5) throw UsageError{"--targets 要五个值，写成 a,b,c,d,e"};
        checkTypedTargets(w, parts);
        w.setTargetSource(TargetSource::Typed, {parts[0], parts[1], parts[2], parts[3], parts[4]});
    }
    std::array<bool, 5>& positions = shape.positions;
    positions = {true, true, true, true, true};
    if (positionsText) {
        positions = {};
        for (const auto& part : splitCommas(*positionsText)) {
            if (part.size() != 1 || part[0] < '1' || part[0] > '5')
                throw UsageError{"--positions 列出1到5的位置，例如1,3"};
            positions[part[0] - '1'] = true;
        }
    }
    if (size) {
        if (const auto outcome = w.setCombinationSize(*size); !outcome.ok) {
            c.err << outcome.message << "\n";
            return kExitRefused;
        }
    }
    // A start before the first stored draw names no draw of this history (older ones were
    // removed, or never stored): the search starts where a history's search starts, and says so.
    if (from && !w.rows().empty()) {
        const auto start = history::lastEightAsNumber(*from);
        const int first = w.rows().front().period;
        if (start && *start < first) {
            c.err << "检索起始期 " << *from << " 不在历史号码中（现存最早一期是 "
                  << history::tenDigit(first) << "），改从 " << w.spanStart() << " 开始检索\n";
            from = w.spanStart();
        }
    }
    if (from || to) w.setSpan(from.value_or(w.spanStart()), to.value_or(w.spanEnd()));
    // A reversed span would only find nothing.
    const auto start = history::lastEightAsNumber(w.spanStart());
    const auto end = history::lastEightAsNumber(w.spanEnd());
    if (start && end && *start > *end) {
        c.err << "检索起始期 " << w.spanStart() << " 晚于结束期 " << w.spanEnd()
              << "：请把 --from 和 --to 对调。\n";
        return kExitRefused;
    }
    return kExitOk;
}

int searchWithOptions(CommandContext& c, const GivenOptions& given, SearchChoice choice,
                      SearchResult& result, bool* json, bool storeState) {
    SearchShape shape;
    if (const int status = applySearchOptions(c, given, choice, shape, json); status != kExitOk)
        return status;
    SearchService service(c.workspace);
    service.setStoresState(storeState);
    const Outcome outcome = shape.combination ? service.combinationSearch(result)
                                              : service.patternSearch(shape.positions, result);
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

namespace {

int runSearch(CommandContext& c, bool combination) {
    bool json = false;
    SearchResult result;
    const int status = searchWithOptions(
        c, c.given.options, combination ? SearchChoice::Combination : SearchChoice::Pattern, result,
        &json);
    if (status != kExitOk) return status;
    if (json)
        printJson(result, c.out);
    else
        printText(result, c.out);
    if (const auto notice = c.workspace.takeWriteNotice(); !notice.empty()) c.err << notice << "\n";
    if (const auto problem = c.workspace.takeWriteProblem(); !problem.empty()) {
        c.err << problem << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

} // namespace

void addSearchCommands(std::vector<CommandSpec>& table) {
    table.push_back(
        {"search", {.options = searchOptions(SearchChoice::Pattern)}, true, [](CommandContext& c) {
             return runSearch(c, false);
         }});
    table.push_back({"combo",
                     {.options = searchOptions(SearchChoice::Combination)},
                     true,
                     [](CommandContext& c) { return runSearch(c, true); }});
}

} // namespace app
