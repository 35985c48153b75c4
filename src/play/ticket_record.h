#pragma once
// The tickets the player bought (我的投注): a record of one play's tickets over one period or a
// 追号 of several, read from its stored row, and what the stored draws make of it. Nothing of the
// settling is stored: each period is won, lost, waiting or cancelled by the draws the history
// holds when it is read, so a record always agrees with the history, however the draws came or
// went.

#include "history/ticket_table.h"
#include "play/plays.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace play {

constexpr int kMaxTicketChase = 999;
constexpr int kMaxTicketMultiplier = 9999;
constexpr std::int64_t kMinTicketPriceFen = 1;      // 0.01 元
constexpr std::int64_t kMaxTicketPriceFen = 100000; // 1000 元
constexpr std::size_t kMaxTicketsPerRecord = 100000;

struct TicketRecord {
    std::int64_t id = 0;
    std::string recorded; // local date and time of recording
    Play play = Play::Front1;
    std::string entered;            // the tickets as the player entered them
    std::vector<Selection> tickets; // every ticket they stand for
    std::int64_t priceFen = 200;    // one ticket at multiplier 1
    std::vector<int> periods;       // stored form, in order
    std::vector<int> multipliers;   // one per period
    bool stopOnWin = false;
};

// One pick as the player writes it, expanded into the tickets it stands for: a single ticket
// ("01 02 03 04 05"), a 复式 of more numbers than the play takes ("01 02 03 04 05 06": every set
// of five of them), or a 胆拖 with the 胆码 before '#' ("01 02#03 04 05 06": 01 02 with every
// three of the rest). Numbers are separated by blanks, commas or bars. A 直选 pick is one ticket
// with its numbers in drawn order. The error says what is wrong.
struct ExpandedPick {
    std::vector<Selection> tickets;
    std::string error;
};
ExpandedPick expandPick(Play play, const std::string& text);

// Whether a period id (stored form yymmddNN) can exist for a game of drawsPerDay draws a day: a
// real date of 2000..2099 and a draw number of 01..drawsPerDay.
bool periodExists(int period, int drawsPerDay);
// The periods of a 追号 of count periods from first: draw NN+1 of the day, after the day's last
// draw the next day's 01. Fewer when the ids would pass the last period there can be.
std::vector<int> chasePeriods(int first, int count, int drawsPerDay);

// A stored row as a record, or what is wrong with it ("投注记录5：...").
struct RecordOfRow {
    std::optional<TicketRecord> record;
    std::string problem;
};
RecordOfRow recordOfRow(const history::TicketRow& row);
history::TicketRow rowOfRecord(const TicketRecord& record);

enum class PeriodState { Waiting, Won, Lost, Cancelled };
// 等待开奖, 中奖, 未中奖, 已取消; the command line's waiting, won, lost, cancelled.
const char* stateName(PeriodState state);
const char* stateCode(PeriodState state);

struct SettledPeriod {
    int period = 0;
    int multiplier = 1;
    PeriodState state = PeriodState::Waiting;
    int winning = 0;           // winning tickets
    std::int64_t stakeFen = 0; // tickets x price x multiplier
    std::int64_t wonFen = 0;   // winning tickets x prize x multiplier
};

struct SettledRecord {
    std::vector<SettledPeriod> periods;
    std::int64_t stakedFen = 0; // of the settled periods
    std::int64_t wonFen = 0;
    // The record as a whole: waiting while a period waits, else won when one won, else lost;
    // cancelled when nothing settled and the rest was cancelled.
    PeriodState state = PeriodState::Waiting;
    bool has(PeriodState s) const;
};

// The draw of a stored period (n1..n5 in drawn order), or nothing when the history holds none.
using DrawOfPeriod = std::function<std::optional<Draw>(int period)>;

// Settles each period by its draw: won or lost with its prize times the period's multiplier;
// after a won period of a record that stops on a win, every later period is cancelled.
SettledRecord settle(const TicketRecord& record, const Prizes& prizes, const DrawOfPeriod& drawOf);

// "第2026120901期 任五 中奖 540 元" / "第…期 任五 未中奖": the notice of a settled period.
std::string settledNotice(const TicketRecord& record, const SettledPeriod& period);

// Money as the user reads it: "540", "-3.5", "0.01".
std::string yuanText(std::int64_t fen);

} // namespace play
