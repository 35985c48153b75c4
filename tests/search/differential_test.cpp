// The fast searches (hits in memory, the database's final state written set-based) against the
// defined statements run one by one, on random histories with random earlier working state, for
// every kind, mode and period option.

#include "support/statement_search.h"

#include "history/draw_appender.h"
#include "history/history_table.h"
#include "search/hit_finder.h"
#include "search/search_state.h"
#include "search/tally.h"
#include "search/text_column.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <numeric>
#include <random>

namespace {

using search::SearchRequest;

// A history stored partly out of period order, under changing zodiac and segment bases, with
// random leftovers of earlier searches in the working columns.
void makeHistory(const std::string& path, std::mt19937& random, int draws) {
    platform::Database db(path);
    history::createTables(db);
    std::vector<int> ids;
    int period = 16020401;
    for (int i = 0; i < draws; ++i) {
        ids.push_back(period);
        period = (period % 100 == 84) ? (period / 100 + 1) * 100 + 1 : period + 1;
    }
    // Swap a few neighbours so the stored order differs from the ordered view.
    for (int i = 0; i + 1 < draws; i += 7) std::swap(ids[i], ids[i + 1]);
    history::Zodiac zodiac;
    platform::Transaction transaction(db);
    for (int chunk = 0; chunk < 3; ++chunk) {
        zodiac.setValueOrder(chunk != 1, chunk % 2);
        history::DrawAppender appender(db, zodiac, chunk % 2, chunk == 2);
        for (int i = chunk * draws / 3; i < (chunk + 1) * draws / 3; ++i) {
            std::array<int, 11> pool;
            std::iota(pool.begin(), pool.end(), 1);
            std::shuffle(pool.begin(), pool.end(), random);
            appender.append(ids[i], {pool[0], pool[1], pool[2], pool[3], pool[4]});
        }
    }
    // Leftovers: earlier searches' counts, flags, copies and rewritten fields.
    auto ids_ = db.prepare("SELECT ID FROM Lishi");
    std::vector<std::int64_t> rowIds;
    while (ids_.step()) rowIds.push_back(ids_.int64At(0));
    std::uniform_int_distribution<int> small(0, 6);
    for (auto id : rowIds) {
        auto update = db.prepare("UPDATE Lishi SET intTh = ?1, bolOk = ?2, txtHisP6 = ?3, "
                                 "L1AP = ?4, L2BS = ?5, txtHisPreLstSx = ?6 WHERE ID = ?7");
        update.bind(1, small(random)).bind(2, small(random) % 2);
        if (small(random) == 0)
            update.bindNull(3);
        else
            update.bind(3, std::string_view("1X05 "));
        update.bind(4, small(random)).bind(5, small(random));
        if (small(random) < 2)
            update.bindNull(6);
        else
            update.bind(6, std::string_view("1X03 1X07 "));
        update.bind(7, id).run();
    }
    transaction.commit();
}

SearchRequest randomRequest(std::mt19937& random, bool combination, bool free, bool last, int kind,
                            const std::vector<history::HistoryRow>& rows) {
    std::uniform_int_distribution<int> any(0, 1000);
    SearchRequest r;
    r.type = combination ? search::SearchType::Combination : search::SearchType::Pattern;
    r.positionMode = free ? search::PositionMode::Free : search::PositionMode::Fixed;
    r.periodMode = last ? search::PeriodMode::Last : search::PeriodMode::Back;
    r.kind = history::Kind(kind);
    r.resultKind = history::Kind(any(random) % 6);
    r.distance = 1 + any(random) % 9;
    r.combinationSize = any(random) % 7;
    r.zodiacBase = any(random) % 2;
    r.segmentBase = any(random) % 2;
    for (int p = 0; p < 5; ++p) r.positions[p] = any(random) % 2 == 0;
    // Targets mostly from a stored draw (so there are hits), now and then typed out of range.
    const auto& reference = rows[static_cast<size_t>(any(random)) % rows.size()];
    for (int p = 0; p < 5; ++p) {
        const int roll = any(random) % 10;
        r.targets[p] = roll < 7   ? reference.values[kind][p]
                       : roll < 9 ? reference.values[kind][(p + 1) % 5]
                                  : static_cast<std::int16_t>(any(random) % 16 - 2);
    }
    const size_t a = static_cast<size_t>(any(random)) % rows.size();
    const size_t b = static_cast<size_t>(any(random)) % rows.size();
    r.spanStart = any(random) % 4 == 0 ? 0 : rows[std::min(a, b)].period;
    r.spanEnd =
        any(random) % 8 == 0 ? rows[std::min(a, b)].period - 1 : rows[std::max(a, b)].period;
    return r;
}

// The first line where two table dumps differ, empty when they are equal.
std::string firstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string left = i < a.size() ? a[i] : "<none>";
        const std::string right = i < b.size() ? b[i] : "<none>";
        if (left != right) return "fast:       " + left + "\nstatements: " + right;
    }
    return {};
}

std::string describe(const SearchRequest& r) {
    std::string text =
        std::string(r.combination() ? "combination k=" + std::to_string(r.combinationSize)
                                    : "pattern") +
        (r.freePosition() ? " free" : " fixed") +
        (r.lastPeriod() ? " last" : " back N=" + std::to_string(r.distance)) +
        " kind=" + std::to_string(r.kind) + " result=" + std::to_string(r.resultKind) + " targets=";
    for (int p = 0; p < 5; ++p)
        text += std::to_string(r.targets[p]) + (r.positions[p] ? "*" : "") + ",";
    return text + " span " + std::to_string(r.spanStart) + ".." + std::to_string(r.spanEnd);
}

} // namespace

TEST(SearchDifferential, FastSearchesLeaveWhatTheStatementsLeave) {
    testing_support::TempDir dir;
    std::mt19937 random(7);
    // One database for the statements, one for the fast path; searches follow one another on
    // them, so each starts from what the previous one left.
    const std::string a = dir.file("a.db"), b = dir.file("b.db");
    makeHistory(a, random, 45);
    std::filesystem::copy_file(a, b);
    platform::Database statementsDb(a);
    platform::Database fastDb(b);
    for (auto* db : {&statementsDb, &fastDb}) db->exec("PRAGMA synchronous=OFF");
    statementsDb.exec("PRAGMA journal_mode=MEMORY");
    const auto rows = history::loadHistory(fastDb, true);
    search::SearchStateWriter writer;

    int cases = 0, withHits = 0;
    for (int round = 0; round < 3; ++round) {
        for (int kind = 0; kind < 6; ++kind) {
            for (int mode = 0; mode < 8; ++mode) {
                const auto request =
                    randomRequest(random, mode & 4, mode & 2, mode & 1, kind, rows);
                const auto expected = testing_support::runStatementSearch(statementsDb, request);

                search::StoredHistory stored;
                stored.generation = 1;
                stored.dataVersion = fastDb.dataVersion();
                for (const auto& row : rows) {
                    stored.ids.push_back(row.id);
                    stored.values.push_back(row.values[request.kind]);
                }
                stored.plain = std::make_shared<const search::TextColumn>(
                    search::loadTextColumn(fastDb, "txtHisLst"));
                stored.kindText = std::make_shared<const search::TextColumn>(
                    search::loadTextColumn(fastDb, history::textColumn(false, request.kind)));
                search::SearchInput input{rows, stored.kindText.get(), {}, {}};
                search::loadFirstRowState(fastDb, request.kind, input);
                const auto hits = search::findHits(input, request);
                // Reading exact token texts as values finds the same rows.
                const auto values = search::tokenValues(*stored.kindText, request.kind);
                input.kindValues = &values;
                ASSERT_EQ(search::findHits(input, request), hits) << describe(request);
                const auto tally = search::tallyHits(rows, hits, request.resultKind,
                                                     request.zodiacBase, request.segmentBase);
                writer.write(fastDb, stored, request, tally);

                std::vector<std::int64_t> hitIds;
                for (auto h : hits) hitIds.push_back(rows[h].id);
                std::vector<std::pair<int, std::int64_t>> byCount;
                for (const auto& row : tally.byCount) byCount.emplace_back(row.value, row.count);

                const std::string what = describe(request);
                ASSERT_EQ(hitIds, expected.hitIds) << what;
                ASSERT_EQ(byCount, expected.carcu) << what;
                ASSERT_EQ(firstDifference(testing_support::dumpTables(fastDb),
                                          testing_support::dumpTables(statementsDb)),
                          "")
                    << what;
                ++cases;
                withHits += hits.empty() ? 0 : 1;
            }
        }
    }
    EXPECT_EQ(cases, 144);
    EXPECT_GT(withHits, 40); // the random requests do find something
}
