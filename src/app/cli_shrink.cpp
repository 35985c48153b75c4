// The command that shrinks a bet: shrink (the tickets a filter keeps, how often each condition
// held, the money of the shrunk bet). It changes nothing stored; --out writes the tickets.

#include "app/cli.h"
#include "app/number_text.h"
#include "app/play_service.h"
#include "app/shrink_service.h"
#include "platform/file_io.h"

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
                               std::optional<int>& outside) {
    search::NumberSet set = 0;
    for (const auto part : split(text, ',')) {
        const auto n = wholeNumber(part);
        if (!n) throw UsageError{option + " takes numbers separated by commas, such as 01,02"};
        if (*n < 1 || *n > 11) {
            if (!outside) outside = *n;
            continue;
        }
        set |= static_cast<search::NumberSet>(1u << (*n - 1));
    }
    return set;
}

// "A-B" or "A".
std::pair<int, int> parseRange(const std::string& option, const std::string& text) {
    const size_t dash = text.find('-', 1);
    const auto low = wholeNumber(std::string_view(text).substr(0, dash));
    const auto high =
        dash == std::string::npos ? low : wholeNumber(std::string_view(text).substr(dash + 1));
    if (!low || !high) throw UsageError{option + " takes a range A-B or a single value A: " + text};
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
                throw UsageError{option + " takes 012 counts such as 2:2:1,1:2:2: " + text};
            value = value * 10 + *n;
        }
        routes.push_back(value);
    }
    return routes;
}

std::string optionalJson(const std::optional<double>& value) {
    return value ? formatted(*value, "%.6f") : std::string("null");
}

void printJson(const ShrinkResult& r, bool tickets, std::ostream& out) {
    const play::ShrinkFigures& f = r.figures;
    out << "{\"play\": " << jsonString(play::info(f.play).code) << ", \"total\": " << f.total
        << ", \"kept\": " << f.kept << ", \"kept_share\": " << formatted(f.keptShare, "%.6f")
        << ", \"chance\": " << formatted(f.chance, "%.6f")
        << ", \"pass_rate\": " << formatted(f.passRate, "%.6f")
        << ", \"ratio\": " << optionalJson(f.ratio)
        << ", \"p_value\": " << formatted(f.pValue, "%.6g") << ", \"conditions\": [";
    for (size_t c = 0; c < f.conditions.size(); ++c) {
        const play::ConditionFigures& cf = f.conditions[c];
        out << (c ? ", " : "")
            << "{\"name\": " << jsonString(play::conditionName(r.conditions[c].kind))
            << ", \"kept_share\": " << formatted(cf.keptShare, "%.6f")
            << ", \"chance\": " << formatted(cf.chance, "%.6f")
            << ", \"pass_rate\": " << formatted(cf.passRate, "%.6f")
            << ", \"ratio\": " << optionalJson(cf.ratio) << "}";
    }
    out << "]";
    if (tickets) {
        const play::SelectionSet& selections = play::selectionsOf(f.play);
        out << ", \"tickets\": [";
        for (size_t i = 0; i < f.tickets.size(); ++i)
            out << (i ? ", " : "") << jsonString(play::selectionText(selections[f.tickets[i]]));
        out << "]";
    }
    if (r.backtested) {
        const play::MoneyResult& m = r.money;
        out << ", \"backtest\": {\"tickets\": " << m.tickets << ", \"cost\": " << m.cost
            << ", \"won\": " << m.won << ", \"net\": " << m.net << ", \"return_rate\": "
            << (m.returnRate ? formatted(*m.returnRate, "%.6f") : std::string("null"))
            << ", \"expected_return_rate\": " << formatted(m.expectedReturnRate, "%.6f")
            << ", \"hits\": " << m.hits << ", \"max_drawdown\": " << m.maxDrawdown
            << ", \"longest_losing_streak\": " << m.longestLosingStreak << ", \"random\": ";
        if (m.random)
            out << "{\"runs\": " << m.random->runs
                << ", \"net_mean\": " << formatted(m.random->netMean, "%.3f")
                << ", \"percentile\": " << formatted(m.random->percentile, "%.4f") << "}";
        else
            out << "null";
        out << "}";
    }
    out << "}\n";
}

int runShrink(CommandContext& c) {
    ShrinkRequest request;
    std::optional<play::Play> which;
    bool json = false, tickets = false, randomGiven = false;
    std::optional<std::string> outFile;
    std::optional<int> outside;
    const auto& args = c.args;
    auto value = [&](size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) throw UsageError{args[i] + " needs a value"};
        return args[++i];
    };
    auto whole = [&](size_t& i, int low, int high) {
        const std::string& option = args[i];
        const auto n = wholeNumber(value(i));
        if (!n || *n < low || *n > high)
            throw UsageError{option + " takes a whole number from " + std::to_string(low) + " to " +
                             std::to_string(high)};
        return *n;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        play::Condition condition;
        bool isCondition = true;
        if (a == "--play") {
            which = play::playOfCode(value(i));
            if (!which || !play::shrinkable(*which))
                throw UsageError{"--play is one of r5, r6, r7, r8, q3g, q3d: " + args[i]};
            isCondition = false;
        } else if (a == "--dan" || a == "--kill") {
            const std::string& text = value(i);
            const size_t colon = text.find(':');
            condition.kind = a == "--dan" ? play::ConditionKind::Dan : play::ConditionKind::Kill;
            condition.numbers = parseNumbers(a, std::string_view(text).substr(0, colon), outside);
            const int count = std::popcount(static_cast<unsigned>(condition.numbers));
            if (colon != std::string::npos) {
                const auto m = wholeNumber(std::string_view(text).substr(colon + 1));
                if (a == "--kill" || !m) throw UsageError{a + " takes NUMBERS[:m]: " + text};
                condition.atLeast = *m;
            } else {
                condition.atLeast = count;
            }
        } else if (a == "--route") {
            condition.kind = play::ConditionKind::Route;
            condition.routes = parseRoutes(a, value(i));
        } else if (a == "--exclude-drawn") {
            condition.kind = play::ConditionKind::ExcludeDrawn;
            condition.low = whole(i, 1, 10000);
        } else if (a == "--window") {
            request.window = whole(i, 1, kMaxShrinkWindow);
            isCondition = false;
        } else if (a == "--backtest") {
            request.backtestSteps = whole(i, 1, kMaxBacktestSteps);
            isCondition = false;
        } else if (a == "--random") {
            request.randomRuns = whole(i, 0, kMaxRandomRuns);
            isCondition = false;
            randomGiven = true;
        } else if (a == "--seed") {
            const std::string& text = value(i);
            const auto [end, ec] =
                std::from_chars(text.data(), text.data() + text.size(), request.seed);
            if (text.empty() || ec != std::errc() || end != text.data() + text.size())
                throw UsageError{"--seed takes a whole number from 0 to " +
                                 std::to_string(UINT64_MAX)};
            isCondition = false;
            randomGiven = true;
        } else if (a == "--json" || a == "--tickets") {
            (a == "--json" ? json : tickets) = true;
            isCondition = false;
        } else if (a == "--out") {
            outFile = value(i);
            isCondition = false;
        } else {
            // The range conditions: --sum, --span, ... named as the JSON names them.
            std::optional<play::ConditionKind> kind;
            for (int k = 0; k < play::kConditionKinds; ++k)
                if (play::conditionShape(play::ConditionKind(k)) &&
                    a == std::string("--") + play::conditionName(play::ConditionKind(k)))
                    kind = play::ConditionKind(k);
            if (!kind) throw UsageError{"unknown option " + a};
            condition.kind = *kind;
            std::tie(condition.low, condition.high) = parseRange(a, value(i));
        }
        if (isCondition) request.conditions.push_back(std::move(condition));
    }
    if (!which) throw UsageError{"--play is needed"};
    if (randomGiven && request.backtestSteps == 0)
        throw UsageError{"--random and --seed go with --backtest M"};
    request.play = *which;
    if (outside) {
        c.err << "号码“" << *outside << "”不在01到11之间，请改正。\n";
        return kExitRefused;
    }

    ShrinkService service(c.workspace);
    history::NoProgress progress;
    ShrinkResult result;
    if (const Outcome outcome = service.run(request, progress, result); !outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (outFile) {
        try {
            platform::writeFileAtomically(*outFile, shrinkTicketsText(result.figures));
        } catch (const platform::FileError& e) {
            c.err << "无法写入“" << *outFile << "”：" << e.what() << "\n";
            return kExitRefused;
        }
    }
    if (json) {
        printJson(result, tickets, c.out);
        return kExitOk;
    }
    for (const auto& [label, text] : shrinkFigureLines(result))
        c.out << label << '\t' << text << '\n';
    if (tickets) {
        const play::SelectionSet& selections = play::selectionsOf(request.play);
        for (const auto s : result.figures.tickets)
            c.out << play::selectionText(selections[s]) << '\n';
    }
    return kExitOk;
}

} // namespace

void addShrinkCommands(std::vector<CommandSpec>& table) {
    table.push_back({"shrink",
                     "shrink --play P [--dan N,N[:m]] [--kill N,N] [--sum A-B] [--span A-B] "
                     "[--odd A-B] [--big A-B] [--prime A-B] [--consecutive A-B] [--repeat A-B] "
                     "[--neighbour A-B] [--route 2:2:1,...] [--exclude-drawn K] [--window W] "
                     "[--json] [--tickets] [--out FILE] [--backtest M [--random R] [--seed S]]   "
                     "(P: r5..r8, q3g, q3d)",
                     true, runShrink});
}

} // namespace app
