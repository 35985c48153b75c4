// The back-test set against the searches themselves: each tested period's search run one by one
// on a copy of the history cut back to the draws before it, as a user would run it there.

#include "cli/cli_run.h"
#include "cli/commands.h"
#include "history/period.h"
#include "search/chance.h"
#include "search/multiple_tests.h"
#include "support/test_progress.h"
#include "workspace/backtest_service.h"
#include "workspace/history_service.h"
#include "workspace/search_service.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <sstream>

using testing_support::WorkspaceFixture;

namespace {

// Twelve draws a day from 2018-02-10 to 2018-02-22, across the Lunar New Year of 2018-02-16.
// Draws repeat numbers of the draw before often, so that searches find something.
std::vector<std::string> randomDrawLines(std::mt19937& random) {
    std::vector<std::string> lines;
    std::vector<int> previous = {1, 2, 3, 4, 5};
    for (int day = 10; day <= 22; ++day) {
        for (int draw = 1; draw <= 12; ++draw) {
            std::vector<int> all(11);
            std::iota(all.begin(), all.end(), 1);
            std::shuffle(all.begin(), all.end(), random);
            if (random() % 2) {
                // Keep one number of the draw before at its position.
                const int keep = static_cast<int>(random() % 5);
                std::iter_swap(all.begin() + keep,
                               std::find(all.begin(), all.end(), previous[keep]));
            }
            char line[64];
            std::snprintf(line, sizeof line, "180202%02d%02d %02d %02d %02d %02d %02d", day, draw,
                          all[0], all[1], all[2], all[3], all[4]);
            lines.emplace_back(line);
            previous.assign(all.begin(), all.begin() + 5);
        }
    }
    return lines;
}

void importLines(WorkspaceFixture& f, const std::vector<std::string>& lines, size_t count) {
    std::ofstream(f.dir.file("draws.txt")) << [&] {
        std::string text;
        for (size_t i = 0; i < count; ++i) text += lines[i] + "\n";
        return text;
    }();
    history::NoProgress quiet;
    const auto result =
        app::HistoryService(*f.workspace).importFile(f.dir.file("draws.txt"), quiet);
    if (!result.outcome.ok) throw std::runtime_error(result.outcome.message);
}

struct Config {
    search::SearchType type;
    search::PositionMode position;
    std::string back; // "0" for 上期, else N of 前期
    history::Kind kind;
    history::Kind result;
    std::array<bool, 5> positions;
    std::string size;
    bool typed;
};

std::string describe(const Config& c) {
    return std::string(c.type == search::SearchType::Combination ? "combo k=" + c.size
                                                                 : "pattern") +
           (c.position == search::PositionMode::Free ? " free" : " fixed") + " back " + c.back +
           " kind " + std::to_string(c.kind) + " result " + std::to_string(c.result) +
           (c.typed ? " typed" : "");
}

void applyConfig(app::Workspace& w, const Config& c) {
    w.setSearchKind(c.kind);
    w.setResultKind(c.result);
    w.setPositionMode(c.position);
    if (c.back == "0") {
        w.setPeriodMode(search::PeriodMode::Last);
    } else {
        w.setPeriodMode(search::PeriodMode::Back);
        ASSERT_TRUE(w.setBackDistance(c.back).ok);
    }
    ASSERT_TRUE(w.setCombinationSize(c.size).ok);
}

const std::array<std::string, 5> kTyped = {"1", "0", "3", "1", "2"};

} // namespace

TEST(Backtest, EachStepIsTheSearchOnTheHistoryBeforeIt) {
    std::mt19937 random(3);
    const auto lines = randomDrawLines(random);
    const std::vector<Config> configs = {
        {search::SearchType::Pattern,
         search::PositionMode::Fixed,
         "0",
         history::Head,
         history::Number,
         {true, false, true, false, false},
         "2",
         false},
        {search::SearchType::Pattern,
         search::PositionMode::Free,
         "3",
         history::Segment,
         history::ZodiacKind,
         {true, true, false, false, false},
         "2",
         false},
        {search::SearchType::Combination,
         search::PositionMode::Fixed,
         "2",
         history::Tail,
         history::Segment,
         {},
         "1",
         false},
        {search::SearchType::Combination,
         search::PositionMode::Free,
         "0",
         history::Number,
         history::Tail,
         {},
         "2",
         false},
        {search::SearchType::Pattern,
         search::PositionMode::Free,
         "0",
         history::Head,
         history::ZodiacKind,
         {false, true, false, true, false},
         "2",
         true},
        {search::SearchType::Combination,
         search::PositionMode::Fixed,
         "4",
         history::Head,
         history::Number,
         {},
         "3",
         true},
        // Rarely a hit: most periods are skipped.
        {search::SearchType::Pattern,
         search::PositionMode::Fixed,
         "0",
         history::Number,
         history::Sum,
         {true, true, false, false, false},
         "2",
         false},
    };
    std::int64_t skipped = 0;
    const size_t steps = 7;
    WorkspaceFixture full;
    importLines(full, lines, lines.size());
    for (const auto& config : configs) {
        const std::string what = describe(config);
        auto& w = *full.workspace;
        applyConfig(w, config);
        w.setTargetSource(
            config.typed ? app::TargetSource::Typed : app::TargetSource::ReferenceDraw, kTyped);
        app::SearchService searches(w);
        app::BacktestService backtests(w, searches);
        search::BacktestResult result;
        history::NoProgress quiet;
        ASSERT_TRUE(
            backtests
                .run(config.type, config.positions, {static_cast<int>(steps), 3}, quiet, result)
                .ok)
            << what;
        ASSERT_EQ(static_cast<size_t>(result.tested() + result.skipped), steps) << what;
        skipped += result.skipped;
        ASSERT_EQ(result.top.size(), 3u) << what;

        size_t found = 0;
        std::vector<std::int64_t> successes(3, 0);
        for (size_t i = lines.size() - steps; i < lines.size(); ++i) {
            // The history before the tested period, opened afresh with the same settings.
            WorkspaceFixture cut(full.settingsFileText());
            importLines(cut, lines, i);
            auto& c = cut.reopen();
            c.setTargetSource(
                config.typed ? app::TargetSource::Typed : app::TargetSource::ReferenceDraw, kTyped);
            app::SearchService service(c);
            app::SearchResult searched;
            ASSERT_TRUE((config.type == search::SearchType::Combination
                             ? service.combinationSearch(searched)
                             : service.patternSearch(config.positions, searched))
                            .ok);
            c.waitForWrites();
            const int period = full.workspace->rows()[i].period;
            const auto step = std::find_if(result.steps.begin(), result.steps.end(),
                                           [&](const auto& s) { return s.period == period; });
            if (searched.hits.empty()) {
                EXPECT_EQ(step, result.steps.end()) << what << " period " << period;
                continue;
            }
            ASSERT_NE(step, result.steps.end()) << what << " period " << period;
            ++found;
            const auto& drawn = full.workspace->rows()[i].values[config.result];
            // The chance of each top k from the numbers' values in the period's own year.
            history::Zodiac zodiac = full.workspace->zodiac();
            zodiac.setYearOfPeriod(history::tenDigit(period));
            zodiac.updateYearGroups();
            std::vector<int> top;
            for (size_t k = 0; k < 3; ++k) {
                top.push_back(searched.tally.byCount[k].value);
                const bool hit = std::any_of(drawn.begin(), drawn.end(), [&](int v) {
                    return std::find(top.begin(), top.end(), v) != top.end();
                });
                int m = 0;
                for (int n = 1; n <= 11; ++n) {
                    const int value = config.result == history::ZodiacKind
                                          ? zodiac.valueOf(n)
                                          : search::plainValueOf(config.result, n, 1);
                    m += std::find(top.begin(), top.end(), value) != top.end();
                }
                EXPECT_EQ(step->success[k], hit) << what << " period " << period << " k " << k;
                EXPECT_NEAR(step->chance[k], search::chanceOfAny(m), 1e-12) << what;
                successes[k] += hit;
            }
        }
        EXPECT_EQ(static_cast<std::int64_t>(found), result.tested()) << what;
        for (size_t k = 0; k < 3; ++k) EXPECT_EQ(result.top[k].successes, successes[k]) << what;
    }
    EXPECT_GT(skipped, 0);
}

TEST(Backtest, CommandLineChangesNothingStoredAndReportsTheFigures) {
    WorkspaceFixture f;
    std::mt19937 random(9);
    importLines(f, randomDrawLines(random), 156);
    f.workspace.reset();
    const std::string db = f.dataDir() + "/kelvora11S5.db";
    auto bytes = [&] {
        std::ifstream file(db, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(file)), {});
    };
    const std::string before = bytes();
    const auto json = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                              {"backtest", "--free", "--back", "2", "--size", "2",
                                               "--steps", "40", "--top", "2", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"top\":[{\"k\":1,\"successes\":"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("{\"k\":2,"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find(",\"p_adjusted\":"), std::string::npos) << json.out;
    EXPECT_EQ(json.out.find("{\"k\":3,"), std::string::npos) << json.out;
    const auto text = testing_support::runCli(f.dataDir(), f.settingsPath(),
                                              {"backtest", "--type", "head", "--positions", "1"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("前k位\t检验期数\t命中期数\t命中率\t随机命中率\tp值\t校正p值\t结论"),
              std::string::npos)
        << text.out;
    EXPECT_EQ(bytes(), before);
    EXPECT_FALSE(std::filesystem::exists(db + "-wal") &&
                 std::filesystem::file_size(db + "-wal") > 0);

    // Options it cannot take are refused before anything runs.
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"backtest", "--steps", "0"},
          {"backtest", "--top", "x"},
          {"backtest", "--from", "2018021001"},
          {"backtest", "--steps"}}) {
        EXPECT_EQ(testing_support::runCli(f.dataDir(), f.settingsPath(), bad).status, 2)
            << bad.back();
    }
    EXPECT_EQ(bytes(), before);
}

TEST(Backtest, VerdictWeighsTheValuesOfKTestedTogether) {
    // Three values of k tested at once: the smallest of three p-values is below 0.04 about one
    // time in nine by chance alone, so 0.04 is adjusted to 0.12; 0.001 stays clearly above
    // chance adjusted.
    search::BacktestResult result;
    result.steps.resize(100);
    for (const double p : {0.04, 0.3, 0.6}) {
        search::BacktestFigures f;
        f.k = static_cast<int>(result.top.size()) + 1;
        f.pValue = p;
        result.top.push_back(f);
    }
    const auto adjusted = search::holmAdjusted({0.04, 0.3, 0.6});
    for (size_t k = 0; k < 3; ++k) result.top[k].pAdjusted = adjusted[k];
    EXPECT_EQ(app::backtestTableCell(result, 0, 5), "0.04");
    EXPECT_EQ(app::backtestTableCell(result, 0, 6), "0.12");
    EXPECT_EQ(app::backtestTableCell(result, 0, 7), "与随机无明显差别");
    result.top[0].pValue = 0.001;
    result.top[0].pAdjusted = 0.003;
    EXPECT_EQ(app::backtestTableCell(result, 0, 7), "明显高于随机");
    // A tail too small for a double is not shown as an impossible 0.
    result.top[0].pValue = result.top[0].pAdjusted = 0;
    EXPECT_EQ(app::backtestTableCell(result, 0, 5), "< 1e-300");
}

TEST(Backtest, CancelStopsWithoutFigures) {
    WorkspaceFixture f;
    std::mt19937 random(4);
    importLines(f, randomDrawLines(random), 156);
    auto& w = *f.workspace;
    app::SearchService searches(w);
    app::BacktestService backtests(w, searches);
    search::BacktestResult result;
    // Asks to stop once five periods are done. The count, not the number of reports, decides:
    // on a busy machine the helper thread may take almost every step between two reports.
    struct StopAfterFive : history::Progress {
        void setTotal(std::size_t) override {}
        bool advance(std::size_t done) override { return done < 5; }
    } stop;
    const auto outcome = backtests.run(search::SearchType::Combination, {}, {150, 3}, stop, result);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.empty());
    EXPECT_TRUE(result.cancelled);
    EXPECT_TRUE(result.steps.empty());

    // Too short a history, or figures out of range, are refused in words.
    WorkspaceFixture empty;
    app::SearchService none(*empty.workspace);
    history::NoProgress quiet;
    const auto refused = app::BacktestService(*empty.workspace, none)
                             .run(search::SearchType::Pattern, {true}, {100, 3}, quiet, result);
    EXPECT_FALSE(refused.ok);
    EXPECT_NE(refused.message.find("不足两期"), std::string::npos);
    EXPECT_FALSE(backtests.run(search::SearchType::Pattern, {true}, {0, 3}, quiet, result).ok);
    EXPECT_FALSE(backtests.run(search::SearchType::Pattern, {true}, {10, 13}, quiet, result).ok);
}
