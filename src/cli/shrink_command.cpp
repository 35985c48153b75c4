// The command that shrinks a bet: shrink (the tickets a filter keeps, how often each condition
// held, the money of the shrunk bet). It changes nothing stored; --out writes the tickets.

#include "cli/commands.h"
#include "cli/money_json.h"
#include "cli/picture_out.h"
#include "cli/terminal_progress.h"
#include "platform/file_io.h"
#include "workspace/figure_caveat.h"
#include "workspace/play_service.h"
#include "workspace/shrink_service.h"

#include <QStandardItemModel>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstdint>
#include <ostream>

namespace app {

namespace {

// A whole number (a leading minus allowed), or nothing.
std::optional<int> wholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    size_t from = 0;
    while (true) {
        const size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at == std::string_view::npos ? at : at - from));
        if (at == std::string_view::npos) return parts;
        from = at + 1;
    }
}

// Numbers such as "01,02,11". Throws UsageError when they are not numbers; a number outside
// 01..11 is kept in `outside` for a refusal.
search::NumberSet parseNumbers(const std::string& option, std::string_view text,
                               std::optional<int>& outside,
                               std::optional<int>* repeated = nullptr) {
    search::NumberSet set = 0;
    for (const auto part : split(text, ',')) {
        const auto n = wholeNumber(part);
        if (!n) throw UsageError{option + " 后面要跟用逗号分开的号码，例如01,02"};
        if (*n < 1 || *n > 11) {
            if (!outside) outside = *n;
            continue;
        }
        const auto bit = static_cast<search::NumberSet>(1u << (*n - 1));
        if ((set & bit) && repeated && !*repeated) *repeated = *n;
        set |= bit;
    }
    return set;
}

// "A-B" or "A".
std::pair<int, int> parseRange(const std::string& option, const std::string& text) {
    const size_t dash = text.find('-', 1);
    const auto low = wholeNumber(std::string_view(text).substr(0, dash));
    const auto high =
        dash == std::string::npos ? low : wholeNumber(std::string_view(text).substr(dash + 1));
    if (!low || !high) throw UsageError{option + " 后面要跟范围A-B或一个值A，不是“" + text + "”"};
    return {*low, *high};
}

// "2:2:1,1:2:2" as r0·100 + r1·10 + r2 each.
std::vector<int> parseRoutes(const std::string& option, const std::string& text) {
    std::vector<int> routes;
    for (const auto part : split(text, ',')) {
        const auto counts = split(part, ':');
        int value = 0;
        for (const auto count : counts) {
            const auto n = wholeNumber(count);
            if (counts.size() != 3 || !n || *n < 0 || *n > 9)
                throw UsageError{option + " 后面要跟012路比例，例如2:2:1,1:2:2，不是“" + text +
                                 "”"};
            value = value * 10 + *n;
        }
        routes.push_back(value);
    }
    return routes;
}

Json optionalJson(const std::optional<double>& value) {
    return value ? roundedDecimals(*value, 6) : Json(nullptr);
}

std::string numberText(int n) {
    return std::string{static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
}

Json coverJson(const ShrinkResult& r, const ShrinkRequest& request) {
    const play::CoverResult& c = *r.cover;
    Json pool = Json::array();
    for (int n = 1; n <= 11; ++n)
        if ((request.cover->pool >> (n - 1)) & 1) pool.push_back(numberText(n));
    Json json;
    json["pool"] = std::move(pool);
    json["m"] = request.cover->m;
    json["tickets"] = r.coverTickets.size();
    json["full"] = c.full;
    json["bound"] = c.bound;
    json["uncovered"] = c.uncovered;
    json["whole_bet"] = c.wholeBet;
    return json;
}

void addFiguresJson(const ShrinkResult& r, const ShrinkRequest& request, Json& json) {
    const play::ShrinkFigures& f = r.figures;
    json["total"] = f.total;
    json["kept"] = f.kept;
    json["kept_share"] = roundedDecimals(f.keptShare, 6);
    json["chance"] = roundedDecimals(f.chance, 6);
    json["pass_rate"] = roundedDecimals(f.passRate, 6);
    json["ratio"] = optionalJson(f.ratio);
    json["p_value"] = roundedSignificant(f.pValue, 6);
    Json conditions = Json::array();
    for (size_t c = 0; c < f.conditions.size(); ++c) {
        const play::ConditionFigures& cf = f.conditions[c];
        conditions.push_back({{"name", play::conditionName(r.conditions[c].kind)},
                              {"kept_share", roundedDecimals(cf.keptShare, 6)},
                              {"chance", roundedDecimals(cf.chance, 6)},
                              {"pass_rate", roundedDecimals(cf.passRate, 6)},
                              {"ratio", optionalJson(cf.ratio)}});
    }
    json["conditions"] = std::move(conditions);
    if (request.toleranceGiven) {
        json["tolerance"] = f.tolerance;
        json["failures"] = f.failures;
    }
}

void printJson(const ShrinkResult& r, const ShrinkRequest& request, bool tickets,
               std::ostream& out) {
    Json json;
    json["play"] = play::info(request.play).code;
    // What the figures against chance do not prove, where there are any.
    if (r.figured || r.backtested) json["caveat"] = kFigureCaveat;
    if (r.cover) json["cover"] = coverJson(r, request);
    if (r.figured) addFiguresJson(r, request, json);
    if (tickets) {
        const play::SelectionSet& selections = play::selectionsOf(request.play);
        Json list = Json::array();
        for (const auto t : resultTickets(r)) list.push_back(play::selectionText(selections[t]));
        json["tickets"] = std::move(list);
    }
    if (r.backtested) {
        Json backtest;
        addMoneyJson(r.money, false, backtest);
        json["backtest"] = std::move(backtest);
    }
    app::printJson(json, out);
}

// The figures and the tickets left, as a picture or a PDF: five tickets a row.
int writeShrinkPicture(CommandContext& c, play::Play which, const ShrinkResult& result,
                       const std::string& path) {
    std::vector<std::vector<std::string>> figures;
    for (const auto& [label, text] : shrinkFigureLines(result)) figures.push_back({label, text});
    if (result.figured || result.backtested) figures.push_back({"注意", kFigureCaveat});
    constexpr size_t kPerRow = 5;
    const play::SelectionSet& selections = play::selectionsOf(which);
    std::vector<std::vector<std::string>> tickets;
    for (const auto s : resultTickets(result)) {
        if (tickets.empty() || tickets.back().size() == kPerRow) tickets.emplace_back();
        tickets.back().push_back(play::selectionText(selections[s]));
    }
    const auto figureTable = textTable({"项目", "结果"}, figures);
    const auto ticketTable = textTable(std::vector<std::string>(kPerRow, "号码"), tickets);
    return writePictureOut(c,
                           std::string("缩水 ") + play::info(which).name + " 共" +
                               std::to_string(resultTickets(result).size()) + "注",
                           {}, {figureTable.get(), ticketTable.get()}, path, false);
}

int runShrink(CommandContext& c) {
    ShrinkRequest request;
    std::optional<play::Play> which;
    bool json = false, tickets = false, randomGiven = false;
    std::optional<std::string> outFile, format;
    std::optional<search::NumberSet> pool;
    std::optional<int> coverM;
    bool patternGiven = false;
    std::optional<int> outside;
    // A number written twice in the pool: the matrix would be one of a smaller pool.
    std::optional<int> repeatedInPool;
    auto whole = [&](const std::string& option, const std::string& value, int low, int high) {
        const auto n = wholeNumber(value);
        if (!n || *n < low || *n > high)
            throw UsageError{option + " 后面要跟" + std::to_string(low) + "到" +
                             std::to_string(high) + "之间的整数"};
        return *n;
    };
    for (const auto& [a, value] : c.given.options) {
        play::Condition condition;
        bool isCondition = true;
        if (a == "--play") {
            which = play::playOfCode(value);
            if (!which || !play::shrinkable(*which))
                throw UsageError{"--play 是 q1、r2至r8、q2d、q2g、q3d、q3g 之一，不是“" + value +
                                 "”"};
            isCondition = false;
        } else if (a == "--dan-group") {
            const std::string& text = value;
            const size_t colon = text.find(':');
            if (colon == std::string::npos)
                throw UsageError{a + " 要写成 号码:m 或 号码:m-n，不是“" + text + "”"};
            condition.kind = play::ConditionKind::DanGroup;
            condition.numbers = parseNumbers(a, std::string_view(text).substr(0, colon), outside);
            std::tie(condition.low, condition.high) = parseRange(a, text.substr(colon + 1));
        } else if (a == "--ac" || a == "--min" || a == "--max") {
            condition.kind = a == "--ac"    ? play::ConditionKind::Ac
                             : a == "--min" ? play::ConditionKind::Min
                                            : play::ConditionKind::Max;
            std::tie(condition.low, condition.high) = parseRange(a, value);
        } else if (a == "--sum-tail") {
            condition.kind = play::ConditionKind::SumTail;
            for (const auto part : split(value, ',')) {
                const auto n = wholeNumber(part);
                if (!n) throw UsageError{a + " 要写成以逗号分开的个位数，例如 0,3,7"};
                condition.values.push_back(*n);
            }
        } else if (a == "--pattern") {
            const std::string& text = value;
            const size_t equals = text.find('=');
            const std::string kind = text.substr(0, equals);
            if (equals == std::string::npos || (kind != "odd" && kind != "big" && kind != "route"))
                throw UsageError{a + " 要写成 odd=…、big=… 或 route=…，例如 odd=110,101"};
            condition.kind = kind == "odd"   ? play::ConditionKind::PatternOdd
                             : kind == "big" ? play::ConditionKind::PatternBig
                                             : play::ConditionKind::PatternRoute;
            for (const auto part : split(std::string_view(text).substr(equals + 1), ','))
                condition.patterns.emplace_back(part);
            patternGiven = true;
            // One condition per kind: a second --pattern of the same kind adds its patterns.
            const auto same =
                std::find_if(request.conditions.begin(), request.conditions.end(),
                             [&](const play::Condition& c) { return c.kind == condition.kind; });
            if (same != request.conditions.end()) {
                same->patterns.insert(same->patterns.end(), condition.patterns.begin(),
                                      condition.patterns.end());
                isCondition = false;
            }
        } else if (a == "--tolerance") {
            request.tolerance = whole(a, value, 0, play::kConditionKinds);
            request.toleranceGiven = true;
            isCondition = false;
        } else if (a == "--format") {
            format = value;
            if (*format != "space" && *format != "comma" && *format != "pipe")
                throw UsageError{"--format 是 space、comma、pipe 之一，不是“" + *format + "”"};
            isCondition = false;
        } else if (a == "--pool") {
            pool = parseNumbers(a, value, outside, &repeatedInPool);
            isCondition = false;
        } else if (a == "--cover") {
            coverM = whole(a, value, 1, 8);
            isCondition = false;
        } else if (a == "--dan" || a == "--kill") {
            const std::string& text = value;
            const size_t colon = text.find(':');
            condition.kind = a == "--dan" ? play::ConditionKind::Dan : play::ConditionKind::Kill;
            condition.numbers = parseNumbers(a, std::string_view(text).substr(0, colon), outside);
            const int count = std::popcount(static_cast<unsigned>(condition.numbers));
            if (colon != std::string::npos) {
                const auto m = wholeNumber(std::string_view(text).substr(colon + 1));
                if (a == "--kill" || !m)
                    throw UsageError{a + " 后面要跟号码（--dan 可加“:至少几个”），不是“" + text +
                                     "”"};
                condition.atLeast = *m;
            } else {
                condition.atLeast = count;
            }
        } else if (a == "--route") {
            condition.kind = play::ConditionKind::Route;
            condition.routes = parseRoutes(a, value);
        } else if (a == "--exclude-drawn") {
            condition.kind = play::ConditionKind::ExcludeDrawn;
            condition.low = whole(a, value, 1, 10000);
        } else if (a == "--window") {
            request.window = whole(a, value, 1, kMaxShrinkWindow);
            isCondition = false;
        } else if (a == "--backtest") {
            request.backtestSteps = whole(a, value, 1, kMaxBacktestSteps);
            isCondition = false;
        } else if (a == "--random") {
            request.randomRuns = whole(a, value, 0, kMaxRandomRuns);
            isCondition = false;
            randomGiven = true;
        } else if (a == "--seed") {
            const std::string& text = value;
            const auto [end, ec] =
                std::from_chars(text.data(), text.data() + text.size(), request.seed);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size())
                throw UsageError{"--seed 后面要跟0到" + std::to_string(UINT64_MAX) + "之间的整数"};
            isCondition = false;
            randomGiven = true;
        } else if (a == "--json" || a == "--tickets") {
            (a == "--json" ? json : tickets) = true;
            isCondition = false;
        } else if (a == "--out") {
            outFile = value;
            isCondition = false;
        } else {
            // The range conditions: --sum, --span, ... named as the JSON names them.
            std::optional<play::ConditionKind> kind;
            for (int k = 0; k < play::kConditionKinds; ++k)
                if (play::conditionShape(play::ConditionKind(k)) &&
                    a == std::string("--") + play::conditionName(play::ConditionKind(k)))
                    kind = play::ConditionKind(k);
            if (!kind) throw UsageError{"没有这个选项：" + a}; // declared but not a condition
            condition.kind = *kind;
            std::tie(condition.low, condition.high) = parseRange(a, value);
        }
        if (isCondition) request.conditions.push_back(std::move(condition));
    }
    if (!which) throw UsageError{"要用 --play 给出玩法"};
    if (randomGiven && request.backtestSteps == 0)
        throw UsageError{"--random 和 --seed 要与 --backtest M 一起用"};
    request.play = *which;
    const bool ordered = play::info(*which).ordered;
    if (patternGiven && !ordered) throw UsageError{"--pattern 只用于有顺序的玩法 q2d 和 q3d"};
    if (format && !outFile) throw UsageError{"--format 要与 --out FILE 一起用"};
    if (format && isPictureFile(*outFile))
        throw UsageError{"--format 只用于文本文件，不用于图片或PDF"};
    if (format && *format == "pipe" && !ordered)
        throw UsageError{"--format pipe 只用于有顺序的玩法 q2d 和 q3d"};
    if (pool.has_value() != coverM.has_value()) throw UsageError{"--pool 和 --cover m 要一起用"};
    if (pool && request.backtestSteps > 0) throw UsageError{"--backtest 不能与 --cover 一起用"};
    if (pool) {
        const auto p = *which;
        if (p < play::Play::Any2 || p > play::Play::Any8)
            throw UsageError{"--cover 只用于 r2 至 r8"};
        request.cover = play::CoverRequest{};
        request.cover->pool = *pool;
        request.cover->m = *coverM;
    }
    if (outside) {
        c.err << "号码“" << *outside << "”不在01到11之间，请改正。\n";
        return kExitRefused;
    }
    if (repeatedInPool) {
        c.err << "号码池中的号码“" << (*repeatedInPool < 10 ? "0" : "") << *repeatedInPool
              << "”写了不止一次：号码池的每个号码只能选一次，请改正。\n";
        return kExitRefused;
    }

    ShrinkService service(c.workspace);
    TerminalProgress progress("正在回测缩水……");
    ShrinkResult result;
    if (const Outcome outcome = service.run(request, progress, result); !outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (outFile && isPictureFile(*outFile)) {
        if (const int status = writeShrinkPicture(c, request.play, result, *outFile);
            status != kExitOk)
            return status;
    } else if (outFile) {
        try {
            const TicketFormat how = !format || *format == "space" ? TicketFormat::Space
                                     : *format == "comma"          ? TicketFormat::Comma
                                                                   : TicketFormat::Pipe;
            platform::writeFileAtomically(*outFile,
                                          ticketsText(request.play, resultTickets(result), how));
        } catch (const platform::FileError& e) {
            // The message names the file asked for (and its folder when that is missing).
            c.err << e.what() << "。号码没有保存。\n";
            return kExitRefused;
        }
    }
    if (json) {
        printJson(result, request, tickets, c.out);
        return kExitOk;
    }
    for (const auto& [label, text] : shrinkFigureLines(result))
        c.out << label << '\t' << text << '\n';
    if (result.figured || result.backtested) c.out << "注意\t" << kFigureCaveat << '\n';
    if (tickets) {
        const play::SelectionSet& selections = play::selectionsOf(request.play);
        for (const auto s : resultTickets(result))
            c.out << play::selectionText(selections[s]) << '\n';
    }
    return kExitOk;
}

} // namespace

void addShrinkCommands(std::vector<CommandSpec>& table) {
    auto range = [](const std::string& name, const std::string& help) {
        return OptionSpec{name, "A-B", help};
    };
    table.push_back(
        {"shrink",
         {.options =
              {
                  {"--play", "P", "玩法", "--play P"},
                  {"--dan", "N,N[:m]", "胆码（可加至少出几个）"},
                  {"--kill", "N,N", "杀号"},
                  range("--sum", "和值的范围"),
                  range("--span", "跨度的范围"),
                  range("--odd", "奇数个数的范围"),
                  range("--big", "大数个数的范围"),
                  range("--prime", "质数个数的范围"),
                  range("--consecutive", "连号个数的范围"),
                  range("--repeat", "与上期重号个数的范围"),
                  range("--neighbour", "与上期邻号个数的范围"),
                  {"--route", "2:2:1,...", "012路比"},
                  {"--exclude-drawn", "K", "去掉最近K期开出过的号码组合"},
                  {"--dan-group", "N,N:m[-n]", "胆组：这些号码出m到n个（可重复）",
                   "[--dan-group N,N:m[-n]]..."},
                  range("--ac", "AC值的范围"),
                  {"--sum-tail", "0,3,7", "和尾"},
                  range("--min", "最小号码的范围"),
                  range("--max", "最大号码的范围"),
                  {"--pattern", "odd|big|route=110,...", "按位的形态（q2d、q3d）"},
                  {"--tolerance", "K", "容错：允许不满足的条件数"},
                  {"--pool", "N,N,...", "旋转矩阵的号码池", "[--pool N,N,... --cover m]"},
                  {"--cover", "m", "旋转矩阵保证中m个", ""},
                  {"--window", "W", "统计用的期数"},
                  {"--json", "", "以JSON输出"},
                  {"--tickets", "", "列出每一注号码"},
                  {"--out", "FILE", "把号码写入文件（.png、.svg、.pdf：存为图片或PDF）",
                   "[--out FILE [--format space|comma|pipe]]"},
                  {"--format", "space|comma|pipe", "写入文件的格式", ""},
                  {"--backtest", "M", "回测的期数", "[--backtest M [--random R] [--seed S]]"},
                  {"--random", "R", "随机选号对照的次数", ""},
                  {"--seed", "S", "随机数的种子", ""},
              },
          .tail = "  (P: q1, r2..r8, q2d, q2g, q3d, q3g)"},
         true,
         runShrink});
}

} // namespace app
