#include "workspace/hall_service.h"

#include "history/game_catalog.h"
#include "history/game_record.h"
#include "history/history_table.h"
#include "history/online_update.h"
#include "workspace/omission_alerts.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

namespace app {

const char* updateStateCaption(HallUpdateState::Kind kind) {
    switch (kind) {
    case HallUpdateState::Kind::Waiting:
        return "等待";
    case HallUpdateState::Kind::Fetching:
        return "正在取号";
    case HallUpdateState::Kind::Failed:
        return "失败";
    default:
        return "未开启";
    }
}

const char* updateStateName(HallUpdateState::Kind kind) {
    switch (kind) {
    case HallUpdateState::Kind::Waiting:
        return "waiting";
    case HallUpdateState::Kind::Fetching:
        return "fetching";
    case HallUpdateState::Kind::Failed:
        return "failed";
    default:
        return "off";
    }
}

namespace {

// The run in progress of one streak rule, followed from the newest draw back.
struct RunWatch {
    AlertRule rule;
    search::Run run;
    std::int32_t since = 0;
    bool done = false;
};

std::string fileStampOf(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return "-";
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
           std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec);
}

std::string readProblem(const std::string& what) {
    if (what.find("locked") != std::string::npos || what.find("busy") != std::string::npos)
        return "被另一个程序锁住，暂时无法读取（" + what + "），稍后会再读";
    return "无法读取（" + what + "）";
}

} // namespace

HallService::HallService(Workspace& workspace, NowFunction now)
    : workspace_(workspace),
      now_(now ? std::move(now) : [] { return std::chrono::system_clock::now(); }) {}

std::vector<HallRow> HallService::rows() {
    std::vector<HallRow> rows;
    // The window's own writes are in its file before the file is read.
    workspace_.waitForWrites();
    for (const history::Game game : followedGames(workspace_)) rows.push_back(row(game));
    return rows;
}

void HallService::retick(HallRow& row) const {
    row.clock = readClock(now_(), row.game, workspace_.settings().schedule(row.game), row.newest);
    const int perDay = history::drawsPerDay(row.game);
    row.dueToday = perDay - row.clock.drawsLeftToday;
}

HallRow HallService::row(history::Game game) {
    HallRow row;
    row.game = game;
    row.name = history::gameName(game);
    row.file = workspace_.historyFileName(game);
    if (auto found = updates_.find(static_cast<int>(game)); found != updates_.end())
        row.update = found->second;
    const std::string path = (std::filesystem::path(workspace_.dataDir()) / row.file).string();
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        row.state = HallRow::State::NoHistory;
    } else if (auto two = workspace_.twoFilesProblem(game)) {
        row.state = HallRow::State::Unreadable;
        row.problem = *two;
    } else {
        try {
            readFile(row, path);
        } catch (const std::exception& e) {
            row.state = HallRow::State::Unreadable;
            row.problem = readProblem(e.what());
        }
    }
    if (row.state == HallRow::State::NoHistory)
        row.problem = "还没有历史号码：切换到这个彩种，用“在线更新”取得，或导入历史号码文件"
                      "（命令行：--game " +
                      std::to_string(static_cast<int>(game)) + " update）";
    retick(row);
    // Only the draws due by now can be missing.
    std::erase_if(row.missingToday, [&](int n) { return n > row.dueToday; });
    return row;
}

void HallService::readFile(HallRow& row, const std::string& path) {
    platform::Database db = workspace_.openToRead(path);
    if (const auto problem = history::foreignSchemaProblem(db); !problem.empty()) {
        row.state = HallRow::State::Unreadable;
        row.problem = "不是本程序的历史数据库（" + problem + "）";
        return;
    }
    const auto record = history::readGameRecord(db);
    if (record.state == history::GameRecord::State::Foreign ||
        (record.state == history::GameRecord::State::Recorded &&
         record.code != static_cast<int>(row.game))) {
        row.state = HallRow::State::Unreadable;
        row.problem = record.state == history::GameRecord::State::Foreign
                          ? "记录的是另一个程序的标记，不是本程序的历史数据库"
                          : "记录的是" + history::gameName(history::Game{record.code}) +
                                "的历史号码，不是" + row.name + "的";
        return;
    }
    // One read transaction: the newest draw and today's draws of one state of the file.
    const platform::ReadTransaction reading(db);

    std::vector<RunWatch> watches;
    for (const auto& rule : parseAlertRules(workspace_.settings().alertRules))
        if (rule.streak) watches.push_back({rule, {}, 0, false});

    // From the newest draw back (the index on SQQH), as far as the runs watched reach.
    auto newest = db.prepare("SELECT SQQH, L1A, L2A, L3A, L4A, L5A FROM Lishi "
                             "ORDER BY SQQH DESC, ID DESC");
    std::int32_t after = 0; // the draw read before (the next one in time)
    bool first = true;
    while (newest.step()) {
        const std::int32_t period = newest.intAt(0);
        history::PositionValues numbers{};
        for (int p = 0; p < 5; ++p)
            numbers[static_cast<size_t>(p)] = static_cast<std::int16_t>(newest.intAt(p + 1));
        if (first) {
            row.newest = period;
            for (size_t p = 0; p < 5; ++p) row.numbers[p] = numbers[p];
        }
        bool open = false;
        for (auto& watch : watches) {
            if (watch.done) continue;
            const int value = search::streakValue(*watch.rule.streak, numbers);
            if (first) {
                watch.run = {value, 1, 0};
            } else if (value == watch.run.value && search::followsDirectly(period, after)) {
                ++watch.run.length;
            } else {
                watch.done = true;
                continue;
            }
            watch.since = period;
            open = true;
        }
        first = false;
        after = period;
        if (!open) break;
    }
    if (first) {
        row.state = HallRow::State::NoHistory;
        return;
    }
    const int perDay = history::drawsPerDay(row.game);
    for (const auto& watch : watches) {
        if (static_cast<double>(watch.run.length) < watch.rule.threshold) continue;
        const auto& kind = *watch.rule.streak;
        row.streaks.push_back(
            {alertRuleLabel(watch.rule), search::streakKindText(kind),
             search::streakKindCaption(kind), search::streakValueLabel(kind, watch.run.value),
             watch.run.length, watch.since,
             search::streakChanceInDay(kind, static_cast<int>(watch.run.length), perDay)});
    }

    // Today's draws (the index on SQQH again): which are stored.
    const int today = history::dayNumber(beijingDay(now_())) * 100;
    auto ofToday = db.prepare("SELECT DISTINCT SQQH FROM Lishi WHERE SQQH > ? AND SQQH < ?");
    ofToday.bind(1, today).bind(2, today + 100);
    std::vector<bool> stored(static_cast<size_t>(std::max(perDay, 99)) + 1, false);
    while (ofToday.step()) {
        const int n = ofToday.intAt(0) - today;
        if (n >= 1 && n < static_cast<int>(stored.size())) stored[static_cast<size_t>(n)] = true;
        ++row.storedToday;
    }
    for (int n = 1; n <= perDay; ++n)
        if (!stored[static_cast<size_t>(n)]) row.missingToday.push_back(n);
}

std::string HallService::fileStamp(history::Game game) const {
    const std::string path =
        (std::filesystem::path(workspace_.dataDir()) / workspace_.historyFileName(game)).string();
    return fileStampOf(path) + "|" + fileStampOf(path + "-wal");
}

std::string streakNotice(const HallRow& row, const HallStreak& streak) {
    AlertRule rule;
    rule.streak = search::parseStreakKind(streak.kind).kind;
    if (!rule.streak) return {};
    AlertSelection run{streak.value, static_cast<std::int64_t>(streak.length), 0};
    run.since = streak.since;
    run.chance = streak.chance;
    run.dayDraws = history::drawsPerDay(row.game);
    return streakAlertNotice(rule, run, row.name);
}

std::vector<HallStreak> newStreaks(const HallRow& before, const HallRow& after) {
    std::vector<HallStreak> added;
    for (const auto& s : after.streaks) {
        const bool known =
            std::any_of(before.streaks.begin(), before.streaks.end(), [&](const HallStreak& b) {
                return b.rule == s.rule && b.since == s.since && b.value == s.value;
            });
        if (!known) added.push_back(s);
    }
    return added;
}

std::vector<history::HistoryRow> HallService::drawsAfter(history::Game game, int period,
                                                         size_t most) const {
    std::vector<history::HistoryRow> rows;
    const std::string path =
        (std::filesystem::path(workspace_.dataDir()) / workspace_.historyFileName(game)).string();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || workspace_.twoFilesProblem(game))
        return rows;
    try {
        platform::Database db = workspace_.openToRead(path);
        auto after = db.prepare("SELECT SQQH, L1A, L2A, L3A, L4A, L5A FROM Lishi WHERE SQQH > ? "
                                "ORDER BY SQQH, ID LIMIT ?");
        after.bind(1, period).bind(2, static_cast<std::int64_t>(most));
        while (after.step()) {
            history::HistoryRow row;
            row.period = after.intAt(0);
            for (int p = 0; p < 5; ++p)
                row.values[history::Number][static_cast<size_t>(p)] =
                    static_cast<std::int16_t>(after.intAt(p + 1));
            rows.push_back(row);
        }
    } catch (const std::exception&) {
        rows.clear();
    }
    return rows;
}

int HallService::newestStored(history::Game game) const {
    const std::string path =
        (std::filesystem::path(workspace_.dataDir()) / workspace_.historyFileName(game)).string();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error) || workspace_.twoFilesProblem(game))
        return 0;
    try {
        platform::Database db = workspace_.openToRead(path);
        auto newest = db.prepare("SELECT max(SQQH) FROM Lishi");
        return newest.step() && !newest.isNullAt(0) ? newest.intAt(0) : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void HallService::setUpdateState(history::Game game, HallUpdateState state) {
    updates_[static_cast<int>(game)] = std::move(state);
}

} // namespace app
