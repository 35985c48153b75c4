#include "app/search_service.h"

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/period.h"
#include "search/hit_finder.h"
#include "search/search_state.h"

#include <future>

namespace app {

namespace {

// The stored value a column keeps through the rewrites, read for the first row only.
std::string firstRowText(platform::Database& db, const std::string& column) {
    auto stmt = db.prepare("SELECT " + column + " FROM Lishi ORDER BY SQQH, ID LIMIT 1");
    return stmt.step() ? stmt.textAt(0) : std::string();
}

} // namespace

std::vector<std::string> hitGridHeader(const SearchResult& result) {
    std::vector<std::string> header = {"期号"};
    for (int k = 1; k <= 5; ++k) header.push_back("第" + std::to_string(k) + "码");
    header.push_back(result.request.lastPeriod ? "上期开奖" : "前期开奖");
    return header;
}

std::string hitGridCell(const SearchResult& result, size_t hit, int column) {
    const HitRow& row = result.hitRows[hit];
    if (column == 0) return history::tenDigit(row.period);
    if (column >= 1 && column <= 5) {
        return search::valueText(result.request.resultKind, row.values[column - 1],
                                 result.request.zodiacBase);
    }
    return result.previousTexts[hit];
}

std::vector<std::string> resultGridHeader() {
    return {"序号", "结果", "出现次数", "百分比"};
}

std::string resultGridCell(const SearchResult& result, size_t row, int column) {
    const auto& entry = result.tally.byCount[row];
    switch (column) {
    case 0:
        return std::to_string(row + 1);
    case 1:
        return search::valueText(result.tally.resultKind, entry.value, result.tally.zodiacBase);
    case 2:
        return std::to_string(entry.count);
    default:
        return search::percentText(entry.count, result.tally.total);
    }
}

void SearchService::syncCaches() {
    const auto& rows = workspace_.rows();
    if (readAhead_.valid()) {
        const auto ahead = readAhead_.get();
        const bool current =
            ahead && ahead->generation == workspace_.historyGeneration() &&
            ahead->ids.size() <= rows.size() &&
            std::equal(ahead->ids.begin(), ahead->ids.end(), rows.begin(),
                       [](std::int64_t id, const auto& row) { return id == row.id; });
        if (current) {
            columns_ = ahead->columns;
            tokenValues_ = ahead->tokenValues;
            cacheGeneration_ = ahead->generation;
            cacheRows_ = ahead->ids.size();
            cacheVersion_ = ~std::uint64_t{0}; // draws added since are read below
        }
    }
    // The txtHisLst columns change only with the stored draws, never through a search.
    if (cacheVersion_ == workspace_.historyVersion()) return;
    if (cacheGeneration_ != workspace_.historyGeneration() || rows.size() < cacheRows_) {
        columns_.clear();
        tokenValues_.clear();
    } else if (rows.size() > cacheRows_ && !columns_.empty()) {
        platform::Database& db = workspace_.database();
        for (auto& [name, column] : columns_) {
            auto extended = std::make_shared<search::TextColumn>(*column);
            auto stmt = db.prepare("SELECT " + name + " FROM Lishi WHERE ID = ?1");
            for (size_t r = cacheRows_; r < rows.size(); ++r) {
                stmt.bind(1, rows[r].id);
                if (!stmt.step()) throw platform::DbError("a stored draw is missing");
                extended->push(stmt.textAt(0), stmt.isNullAt(0));
                stmt.reset();
            }
            column = std::move(extended);
        }
        for (auto& [kind, values] : tokenValues_) {
            const auto at = columns_.find(history::textColumn(false, kind));
            if (at == columns_.end())
                values = {};
            else
                search::extendTokenValues(values, *at->second, kind);
        }
    }
    cacheVersion_ = workspace_.historyVersion();
    cacheGeneration_ = workspace_.historyGeneration();
    cacheRows_ = rows.size();
}

std::shared_ptr<const search::TextColumn> SearchService::cachedColumn(const std::string& name) {
    syncCaches();
    auto at = columns_.find(name);
    if (at == columns_.end()) {
        auto column = std::make_shared<const search::TextColumn>(
            search::loadTextColumn(workspace_.database(), name));
        at = columns_.emplace(name, std::move(column)).first;
    }
    return at->second;
}

const search::TokenValues& SearchService::cachedTokenValues(int kind) {
    const auto column = cachedColumn(history::textColumn(false, kind));
    auto at = tokenValues_.find(kind);
    if (at == tokenValues_.end() || at->second.values.size() != column->size()) {
        tokenValues_.erase(kind);
        at = tokenValues_.emplace(kind, search::tokenValues(*column, kind)).first;
    }
    return at->second;
}

void SearchService::warmUp() {
    if (!workspace_.databaseOpen() || workspace_.rows().empty() || readAhead_.valid()) return;
    const int kind = workspace_.settings().intLei;
    readAhead_ =
        std::async(std::launch::async,
                   [path = workspace_.databasePath(), generation = workspace_.historyGeneration(),
                    kind]() -> std::shared_ptr<ReadAhead> {
                       try {
                           platform::Database db(path);
                           auto ahead = std::make_shared<ReadAhead>();
                           ahead->generation = generation;
                           db.exec("BEGIN"); // one snapshot for every column
                           auto ids = db.prepare("SELECT ID FROM Lishi ORDER BY SQQH, ID");
                           while (ids.step()) ahead->ids.push_back(ids.int64At(0));
                           const std::string tokens = history::textColumn(false, kind);
                           for (const std::string& name : {std::string("txtHisLst"), tokens}) {
                               ahead->columns[name] = std::make_shared<const search::TextColumn>(
                                   search::loadTextColumn(db, name));
                           }
                           db.exec("COMMIT");
                           ahead->tokenValues[kind] =
                               search::tokenValues(*ahead->columns[tokens], kind);
                           return ahead;
                       } catch (const std::exception&) {
                           return nullptr; // the search reads them itself
                       }
                   });
}

Outcome SearchService::Command1_Click(const std::array<bool, 5>& positions, SearchResult& result) {
    search::SearchRequest request;
    request.combination = false;
    request.positions = positions;
    return run(request, result);
}

Outcome SearchService::Command2_Click(SearchResult& result) {
    search::SearchRequest request;
    request.combination = true;
    request.comboSize = workspace_.settings().intZhWSetup;
    return run(request, result);
}

Outcome SearchService::completeRequest(search::SearchRequest& request) {
    if (auto open = workspace_.requireDatabase(); !open.ok) return open;
    const Settings& s = workspace_.settings();
    if (workspace_.rows().empty())
        return Outcome::failure("历史号码为空：请先输入或导入历史号码，再检索。");
    const auto start = history::lastEightAsNumber(workspace_.spanStart());
    const auto end = history::lastEightAsNumber(workspace_.spanEnd());
    if (!start)
        return Outcome::failure("检索起始期号“" + workspace_.spanStart() +
                                "”不是期号：请输入十位期号，例如2016090802。");
    if (!end)
        return Outcome::failure("检索结束期号“" + workspace_.spanEnd() +
                                "”不是期号：请输入十位期号，例如2016090852。");
    if (!s.bolSq && s.intPreQi < 1)
        return Outcome::failure("前期的期数是0：请在期数框输入1到9之间的数字后再检索。");

    request.freePosition = s.bolZyw;
    request.lastPeriod = s.bolSq;
    request.distance = s.intPreQi;
    request.kind = s.intLei;
    request.resultKind = s.intXianshiLei;
    request.targets = workspace_.intTarget();
    request.spanStart = *start;
    request.spanEnd = *end;
    request.zodiacBase = s.SxIni;
    request.segmentBase = s.DsIni;
    return Outcome::success();
}

SearchResult SearchService::compute(const search::SearchRequest& request) {
    workspace_.ensureKinds({request.kind, request.resultKind});
    const auto& rows = workspace_.rows();
    search::SearchInput input{rows, nullptr, {}, {}};
    if (request.freePosition) {
        input.kindText = cachedColumn(history::textColumn(false, request.kind)).get();
        input.kindValues = &cachedTokenValues(request.kind);
    }
    const auto [first, last] = search::spanRows(rows, request.spanStart, request.spanEnd);
    if (first == 0 && last > 0 && !request.lastPeriod)
        search::loadFirstRowState(workspace_.database(), request.kind, input);

    SearchResult out;
    out.request = request;
    out.hits = search::findHits(input, request);
    out.hitRows.reserve(out.hits.size());
    for (std::uint32_t r : out.hits)
        out.hitRows.push_back({rows[r].period, rows[r].values[request.resultKind]});
    out.tally = search::tallyHits(rows, out.hits, request.resultKind, request.zodiacBase, request.segmentBase);
    const history::Zodiac& zodiac = workspace_.zodiac();
    out.chance =
        search::chanceShares(out.tally, request.segmentBase, [&](int n) { return zodiac.valueOf(n); });
    out.previousTexts = previousTexts(request, out.hits);
    return out;
}

std::vector<std::string> SearchService::previousTexts(const search::SearchRequest& request,
                                                      const std::vector<std::uint32_t>& hits) {
    // The last column: the draw one back, or N back as the rewrites leave it. A fixed 前期 pattern
    // search without a chosen position rewrites nothing and shows what is stored.
    std::vector<std::string> texts;
    texts.reserve(hits.size());
    const bool rewritten = request.freePosition || request.combination ||
                           std::find(request.positions.begin(), request.positions.end(), true) !=
                               request.positions.end();
    if (!request.lastPeriod && !rewritten) {
        const auto stored = search::loadTextColumn(workspace_.database(), "txtHisPreLst");
        for (std::uint32_t r : hits) texts.emplace_back(stored.at(r));
        return texts;
    }
    const auto& plain = *cachedColumn("txtHisLst");
    const size_t n = static_cast<size_t>(request.distance);
    for (std::uint32_t r : hits) {
        if (request.lastPeriod)
            texts.emplace_back(plain.at(r));
        else if (r == 0)
            texts.push_back(firstRowText(workspace_.database(), "txtHisPreLst"));
        else if (r + 1 >= n)
            texts.emplace_back(plain.at(r + 1 - n));
        else
            texts.emplace_back();
    }
    return texts;
}

void SearchService::startWrite(const search::SearchRequest& request, const search::Tally& tally) {
    // The history as the search read it; the writer works on a connection of its own.
    auto stored = std::make_shared<search::StoredHistory>();
    const auto& rows = workspace_.rows();
    stored->generation = workspace_.historyGeneration();
    stored->ids.reserve(rows.size());
    stored->values.reserve(rows.size());
    for (const auto& row : rows) {
        stored->ids.push_back(row.id);
        stored->values.push_back(row.values[request.kind]);
    }
    stored->plain = cachedColumn("txtHisLst");
    stored->kindText = cachedColumn(history::textColumn(false, request.kind));
    if (!writer_) writer_ = std::make_shared<search::SearchStateWriter>(workspace_.databasePath());
    workspace_.setPendingWrite(
        std::async(std::launch::async, [writer = writer_, stored, request, tally]() -> std::string {
            try {
                writer->write(*stored, request, tally);
                return {};
            } catch (const std::exception& e) {
                return std::string("检索结果未能写入数据库（") + e.what() +
                       "）。检索结果仍然正确显示；请检查磁盘空间后重新检索。";
            }
        }));
}

Outcome SearchService::run(search::SearchRequest request, SearchResult& result) {
    if (auto ready = completeRequest(request); !ready.ok) return ready;
    try {
        result = compute(request);
        // The database's final state is written in the background.
        startWrite(request, result.tally);
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("检索失败：") + e.what() +
                                "。数据库没有改变，请重试；如果问题依旧，请重新启动程序。");
    }
    return Outcome::success();
}

} // namespace app
