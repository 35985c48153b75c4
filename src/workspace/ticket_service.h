#pragma once
// The player's recorded tickets (我的投注) for the window and the command line: recording them
// (typed, from a page, from a text file), listing them settled by the history as it stands,
// removing one (its text kept in 历史号码 first), the ledger, and the notices of periods that
// settled since the last look.

#include "play/ticket_ledger.h"
#include "play/ticket_record.h"
#include "workspace/workspace.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct TicketRequest {
    play::Play play = play::Play::Front1;
    // Picks as the player writes them (one ticket, a 复式 or a 胆拖 each).
    std::vector<std::string> picks;
    // Tickets handed over by a page or read from a file, besides the picks, and how they are shown.
    std::vector<play::Selection> tickets;
    std::string entered;
    std::int64_t multiplier = 1;
    std::int64_t priceFen = 200;
    // The first period (ten digits); empty: the next period of the history.
    std::string period;
    int chase = 1;
    bool stopOnWin = false;
    // One per period of the chase (a plan's schedule); empty: multiplier in every period.
    std::vector<std::int64_t> multipliers;
};

// A record settled by the history in memory.
struct TicketView {
    play::TicketRecord record;
    play::SettledRecord settled;
};

struct TicketList {
    std::vector<TicketView> records;
    // A message per damaged row: it is left out of everything else.
    std::vector<std::string> damaged;
};

struct LedgerRequest {
    std::string from, to; // draw days YYYY-MM-DD, both included; empty: no limit
    play::LedgerGrouping by = play::LedgerGrouping::Day;
};

struct LedgerReport {
    std::vector<play::LedgerLine> lines; // per day or month, then 全部
    std::vector<play::BankrollPoint> bankroll;
    int waitingPeriods = 0;
    std::int64_t waitingStakeFen = 0;
    int cancelledPeriods = 0;
    std::vector<std::string> damaged;
};

// A price typed in yuan ("2", "0.5", "1.25"): 0.01..1000 yuan, at most two decimals. Nothing
// when it is not.
std::optional<std::int64_t> parsePriceFen(const std::string& text);
// The tickets of a text file as the shrink page saves them: a ticket a line, its numbers
// separated by blanks, commas or bars; blank lines are passed over. The error names the line.
struct TicketFile {
    std::vector<play::Selection> tickets;
    std::string error;
};
TicketFile readTicketFile(const std::string& path, play::Play play);

// The start of the names of the copies of removed records in 历史号码.
inline constexpr const char* kRemovedTicketsPrefix = "删除投注-";

class TicketService {
  public:
    explicit TicketService(Workspace& workspace) : workspace_(workspace) {}

    // Validates and stores one record in one transaction; nothing is stored when it fails.
    Outcome add(const TicketRequest& request, std::int64_t* id = nullptr);
    // Every record of the game's history file, settled by the history in memory.
    TicketList list();
    // Removes a record after saving its text in 历史号码.
    Outcome remove(std::int64_t id);
    // The ledger of the settled periods whose draw day lies in the request's days.
    Outcome ledger(const LedgerRequest& request, LedgerReport& report);

    // The notices of the periods settled in after that were not settled in before, each with its
    // period (stored form).
    static std::vector<std::pair<std::string, int>> newlySettled(const TicketList& before,
                                                                 const TicketList& after);
    // The net (won less staked) of the periods drawn today, in fen.
    std::int64_t todaysNetFen(const TicketList& list) const;

  private:
    Workspace& workspace_;
};

// A record as one line of text (what a removal keeps, what the list shows).
std::string recordText(const play::TicketRecord& record);

} // namespace app
