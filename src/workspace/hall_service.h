#pragma once
// The hall (开奖大厅): every followed game at a glance, one row each, read from the game's own
// history file without loading its history: the newest draw, today's draws stored against those
// due by now, the draw clock, the state of its automatic update and the runs its streak alerts
// watch. A game without a history, or whose file cannot be read (damaged, another game's, locked
// by another process), gets a row that says so; the other rows carry on.

#include "history/history_table.h"
#include "history/period.h"
#include "search/streak.h"
#include "workspace/draw_clock.h"
#include "workspace/game_service.h"
#include "workspace/workspace.h"

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace app {

// The automatic update of one game as the hall shows it.
struct HallUpdateState {
    enum class Kind { Off, Waiting, Fetching, Failed };
    Kind kind = Kind::Off;
    std::string why; // Failed: what went wrong; Waiting: for which draw, when (may be empty)
};
// "未开启", "等待", "正在取号", "失败"
const char* updateStateCaption(HallUpdateState::Kind kind);
// "off", "waiting", "fetching", "failed" (the command line's JSON)
const char* updateStateName(HallUpdateState::Kind kind);

struct HallStreak {
    std::string rule;    // the rule's label: "长龙 第1位大小 连开>=8期"
    std::string kind;    // its shape: "big:1"
    std::string caption; // "第1位大小"
    std::string value;   // the run's value: "大"
    std::size_t length = 0;
    std::int32_t since = 0; // the run's first period
    double chance = 0;      // a run at least as long somewhere in a day of random draws
};

struct HallRow {
    enum class State {
        Ready,      // the history was read
        NoHistory,  // no file, or a file without draws
        Unreadable, // problem says why
    };
    history::Game game = history::Game::Jiangxi;
    std::string name;
    std::string file; // the history file's name in the data folder
    State state = State::Ready;
    std::string problem; // NoHistory: what to do; Unreadable: why
    std::int32_t newest = 0;
    std::array<int, 5> numbers{};
    int storedToday = 0;           // today's draws stored
    int dueToday = 0;              // today's draws due by now
    std::vector<int> missingToday; // draw numbers due by now and not stored
    ClockReading clock;
    HallUpdateState update;
    std::vector<HallStreak> streaks; // the runs of the streak alerts that are met now
};

// A run of a row as the streak alerts tell it: "长龙提醒 广东11选5 第1位大小：大 连开4期（自第
// 2025020903期起），一天84期中出现4期以上长龙的概率…".
std::string streakNotice(const HallRow& row, const HallStreak& streak);
// The runs of after that before did not have (a run met anew, or one that started again).
std::vector<HallStreak> newStreaks(const HallRow& before, const HallRow& after);

class HallService {
  public:
    explicit HallService(Workspace& workspace, NowFunction now = {});

    SystemTime now() const { return now_(); }
    // Every followed game's row, read now.
    std::vector<HallRow> rows();
    HallRow row(history::Game game);
    // The clock of a row again at `now` without reading its file (the countdown each second).
    void retick(HallRow& row) const;

    // What tells a change of the game's history file by any process: the identity, size and time
    // of change of the file and of its log. Cheap: no file is opened.
    std::string fileStamp(history::Game game) const;

    // The draws stored after a period, oldest first (at most `most`); none when the file cannot
    // be read.
    std::vector<history::HistoryRow> drawsAfter(history::Game game, int period,
                                                size_t most = 1000) const;
    // The newest period stored in the game's file; 0 when none or when it cannot be read.
    int newestStored(history::Game game) const;

    // The state of a game's automatic update, set by whoever runs it.
    void setUpdateState(history::Game game, HallUpdateState state);

  private:
    void readFile(HallRow& row, const std::string& path);

    Workspace& workspace_;
    NowFunction now_;
    std::map<int, HallUpdateState> updates_;
};

} // namespace app
