#include "workspace/search_service.h"

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
    header.push_back(result.request.lastPeriod() ? "上期开奖" : "前期开奖");
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

search::ChanceBand resultGridBand(const SearchResult& result, size_t row) {
    const auto& byValue = result.tally.byValue;
    const int value = result.tally.byCount[row].value;
    // byValue lists every value of the kind once, ascending and without gaps.
    const auto index = static_cast<size_t>(value - byValue.front().value);
    return index < result.bands.size() ? result.bands[index] : search::ChanceBand{};
}

std::shared_ptr<const search::TextColumn> SearchService::column(const std::string& name) {
    return columns_.column(workspace_.database(), name);
}

void SearchService::warmUp() {
    if (!workspace_.databaseOpen()) return;
    columns_.readAhead(workspace_.databasePath(), workspace_.settings().searchKind);
}

Outcome SearchService::patternSearch(const std::array<bool, 5>& positions, SearchResult& result) {
    search::SearchRequest request;
    request.type = search::SearchType::Pattern;
    request.positions = positions;
    return run(request, result);
}

Outcome SearchService::combinationSearch(SearchResult& result) {
    search::SearchRequest request;
    request.type = search::SearchType::Combination;
    request.combinationSize = workspace_.settings().combinationSize;
    return run(request, result);
}

namespace {

Outcome checkDistance(const Settings& s) {
    if (s.periodMode == search::PeriodMode::Back && s.backDistance < 1)
        return Outcome::failure("前期的期数是0：请在期数框输入1到9之间的数字后再检索。");
    return Outcome::success();
}

} // namespace

Outcome SearchService::requestFromSettings(search::SearchRequest& request) {
    if (auto filled = fillRequest(request); !filled.ok) return filled;
    return checkDistance(workspace_.settings());
}

Outcome SearchService::fillRequest(search::SearchRequest& request) {
    if (auto open = workspace_.requireDatabase(); !open.ok) return open;
    const Settings& s = workspace_.settings();
    request.positionMode = s.positionMode;
    request.periodMode = s.periodMode;
    request.distance = s.backDistance;
    request.kind = s.searchKind;
    request.resultKind = s.resultKind;
    request.targets = workspace_.targets();
    request.zodiacBase = s.zodiacBase;
    request.segmentBase = s.segmentBase;
    return Outcome::success();
}

Outcome SearchService::completeRequest(search::SearchRequest& request) {
    if (auto filled = fillRequest(request); !filled.ok) return filled;
    // An empty history has no span: the search runs and finds nothing.
    if (!workspace_.rows().empty()) {
        const auto start = history::lastEightAsNumber(workspace_.spanStart());
        const auto end = history::lastEightAsNumber(workspace_.spanEnd());
        if (!start)
            return Outcome::failure("检索起始期号“" + workspace_.spanStart() +
                                    "”不是期号：请输入十位期号，例如2016090802。");
        if (!end)
            return Outcome::failure("检索结束期号“" + workspace_.spanEnd() +
                                    "”不是期号：请输入十位期号，例如2016090852。");
        request.spanStart = *start;
        request.spanEnd = *end;
    }
    return checkDistance(workspace_.settings());
}

search::SearchInput SearchService::searchInput(const search::SearchRequest& request,
                                               bool withFirstRow) {
    workspace_.ensureKinds({request.kind, request.resultKind});
    search::SearchInput input{workspace_.rows(), nullptr, {}, {}};
    if (request.freePosition()) {
        input.kindText = column(history::textColumn(false, request.kind)).get();
        input.kindValues = &columns_.tokenValues(workspace_.database(), request.kind);
    }
    if (withFirstRow && !workspace_.rows().empty() && !request.lastPeriod())
        search::loadFirstRowState(workspace_.database(), request.kind, input);
    return input;
}

SearchResult SearchService::compute(const search::SearchRequest& request) {
    const auto& rows = workspace_.rows();
    const auto [first, last] = search::spanRows(rows, request.spanStart, request.spanEnd);
    const search::SearchInput input = searchInput(request, first == 0 && last > 0);

    SearchResult out;
    out.request = request;
    out.hits = search::findHits(input, request);
    out.hitRows.reserve(out.hits.size());
    for (std::uint32_t r : out.hits)
        out.hitRows.push_back({rows[r].period, rows[r].values[request.resultKind]});
    out.tally = search::tallyHits(rows, out.hits, request.resultKind, request.zodiacBase,
                                  request.segmentBase);
    out.bands =
        search::chanceBands(rows, out.hits, out.tally, workspace_.zodiac(), request.segmentBase);
    out.previousTexts = previousTexts(request, out.hits);
    return out;
}

std::vector<std::string> SearchService::previousTexts(const search::SearchRequest& request,
                                                      const std::vector<std::uint32_t>& hits) {
    // The last column: the draw one back, or N back as the rewrites leave it. A fixed 前期 pattern
    // search without a chosen position rewrites nothing and shows what is stored.
    std::vector<std::string> texts;
    texts.reserve(hits.size());
    const bool rewritten = request.freePosition() || request.combination() ||
                           std::find(request.positions.begin(), request.positions.end(), true) !=
                               request.positions.end();
    if (!request.lastPeriod() && !rewritten) {
        const auto stored = search::loadTextColumn(workspace_.database(), "txtHisPreLst");
        for (std::uint32_t r : hits) texts.emplace_back(stored.at(r));
        return texts;
    }
    const auto& plain = *column("txtHisLst");
    const size_t n = static_cast<size_t>(request.distance);
    for (std::uint32_t r : hits) {
        if (request.lastPeriod())
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
    if (workspace_.readOnly()) {
        // Nothing can be written there; the result stands as shown, as when another process
        // holds the history.
        std::promise<WriteReport> told;
        told.set_value({{},
                        "检索结果的工作状态没有保存：数据文件夹“" + workspace_.dataDir() +
                            "”是只读的（不能写入）。检索结果仍然正确显示。"});
        workspace_.setPendingWrite(told.get_future());
        return;
    }
    // The history as the search read it. The writer works on the workspace's connection, which
    // waits for it before anything else uses it.
    auto stored = std::make_shared<search::StoredHistory>();
    const auto& rows = workspace_.rows();
    stored->generation = workspace_.history().generation();
    stored->dataVersion = workspace_.followedDataVersion();
    stored->ids.reserve(rows.size());
    stored->values.reserve(rows.size());
    for (const auto& row : rows) {
        stored->ids.push_back(row.id);
        stored->values.push_back(row.values[request.kind]);
    }
    stored->plain = column("txtHisLst");
    stored->kindText = column(history::textColumn(false, request.kind));
    if (!writer_) writer_ = std::make_shared<search::SearchStateWriter>();
    platform::Database* db = &workspace_.database();
    // The search read one consistent state of the history, so its result stands even when its
    // working state cannot be kept because another process changed the history since.
    const std::string basis =
        rows.empty()
            ? std::string("检索结果基于当时为空的历史号码")
            : "检索结果基于第" + history::tenDigit(rows.back().period) + "期及以前的历史号码";
    workspace_.setPendingWrite(std::async(
        std::launch::async,
        [writer = writer_, stored, request, tally, db, basis, lockPath = workspace_.lockPath(),
         wait = workspace_.lockWait()]() -> WriteReport {
            try {
                // Another process replacing the file must not swallow these writes.
                const auto lock = platform::FileLock::acquire(lockPath, wait);
                if (!lock.held())
                    return {{},
                            basis +
                                "；另一个程序正在修改历史数据库，检索的工作状态没有保存到数据库。"};
                writer->write(*db, *stored, request, tally);
                return {};
            } catch (const search::StaleSearch&) {
                return {
                    {},
                    basis +
                        "；检索之后另一个程序修改了历史数据库，检索的工作状态没有保存到数据库。"};
            } catch (const std::exception& e) {
                return {std::string("检索结果未能写入数据库（") + e.what() +
                            "）。检索结果仍然正确显示；请检查磁盘空间后重新检索。",
                        {}};
            }
        }));
}

Outcome SearchService::run(search::SearchRequest request, SearchResult& result) {
    if (auto ready = completeRequest(request); !ready.ok) return ready;
    if (auto sound = workspace_.checkDraws(); !sound.ok) return sound;
    try {
        // Every search reads these (the writer both); one pass through the table reads them.
        columns_.prefetch(workspace_.database(),
                          {"txtHisLst", history::textColumn(false, request.kind)});
        result = compute(request);
        // The database's final state is written in the background.
        if (storesState_) startWrite(request, result.tally);
    } catch (const std::exception& e) {
        return Outcome::failure(std::string("检索失败：") + e.what() +
                                "。数据库没有改变，请重试；如果问题依旧，请重新启动程序。");
    }
    return Outcome::success();
}

} // namespace app
