#pragma once
// The online update's reading of results pages and its plan: which days to fetch, which listed
// draws are new, which stored draws the retention removes. Pure functions over the rows of a
// page's "draw_list" table; fetching and storing are the caller's.

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/period.h"
#include "history/zodiac.h"
#include "platform/database.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace history {

using Date = std::chrono::year_month_day;

// The calendar day of a stored period id (20yy-mm-dd); not ok() for an id that is no date.
Date dateOfPeriod(int period);
// yymmdd of a day as an integer (2016-09-08 gives 160908).
int dayNumber(Date day);
// "YYYY-MM-DD".
std::string isoDay(Date day);
// Reads "YYYY-MM-DD"; not ok() when the text is no date.
Date parseIsoDay(const std::string& text);

// The days an update fetches, oldest first: from the later of the newest stored draw's day and
// today minus keepDays (an empty history: today minus keepDays) up to today, and before those the
// kept days with draws not stored (unlistedDraws: read again, so that draws a page had not listed
// yet are filled in once it lists them). Days without draws found by an earlier update
// (withoutDraws, yymmdd) right after the newest stored draw's day are not fetched again.
// keepOlder: the update removes nothing, so the days run from the newest stored draw's day however
// old it is (a history left alone for weeks gets no hole).
std::vector<Date> updateDays(const std::vector<HistoryRow>& rows, Date today, int keepDays,
                             Game game, const std::set<int>& withoutDraws = {},
                             bool keepOlder = false);

// The draws of a day missing between its first and its last stored draw, as periods, ascending.
std::vector<int> missingDraws(const std::vector<HistoryRow>& rows, Date day);

// The draws of a day with stored draws that are not stored, as periods, ascending: before its
// first stored draw, between its stored draws, and after its last one when the day is over
// (before today), up to the game's draws per day. None for a day without stored draws.
std::vector<int> unlistedDraws(const std::vector<HistoryRow>& rows, Date day, Game game,
                               Date today);

// The days without draws an earlier update found (yymmdd); none when the file has no record.
std::set<int> loadDaysWithoutDraws(platform::Database& db);

// The first day whose draws the retention keeps: today minus keepDays. Draws dated before it go.
Date retentionStart(Date today, int keepDays);
// How many rows (from the oldest of the ordered history) are dated before start.
size_t rowsBefore(const std::vector<HistoryRow>& rows, Date start);

// A draw a page lists that is new and sound, and one that was passed over with the reason.
struct ListedDraw {
    int period = 0;
    Numbers numbers{};
};
struct SkippedDraw {
    std::string what; // the period id as listed, or the row's text
    std::string reason;
};

// What the table of one day says: its new sound draws in ascending period order, and the listed
// draws that were not taken with their reasons. A heading row alone is a day without draws.
struct DayTable {
    std::vector<ListedDraw> draws;
    std::vector<SkippedDraw> skipped;
    // The rows that look like draws (an id of digits, or five numbers), and whether none of them
    // fits the game (an id of the game's length with a draw number the game has): the page then
    // seems to be another game's.
    size_t listed = 0;
    bool otherGame = false;
    // Of the rows whose numbers read as five two-digit numbers, how many are not five different
    // ones of 01..11. A page of 11选5 draws has hardly any; when they are more than a quarter
    // (and at least two), the page lists another lottery's numbers (five digits 0..9, say), of
    // which the few that happen to look like a draw are no draws.
    size_t withNumbers = 0;
    size_t unsoundNumbers = 0;
    bool otherNumbers() const { return unsoundNumbers >= 2 && unsoundNumbers * 4 > withNumbers; }
};

// A draw number the game has: 1 up to its draws per day.
bool drawNumberFitsGame(int drawOfDay, Game game);

// Reads the rows of a day's table (row 0 is the heading). In each row the cells but the first and
// the last are read: a cell at most as long as the game's period id (ten characters for games 22
// and 562, eight for 23 and 569) is the id, a longer one the numbers (two digits, one separator
// character between them). A draw is new when its id day x 100 + NN lies above newestStored; it
// is stored under the page's day with its NN. Draws whose id is not of this day, not a number, or
// whose numbers are not five different ones of 01..11 are skipped and reported, and so are draw
// numbers above the game's draws per day.
DayTable readDayTable(const std::vector<std::vector<std::string>>& rows, Game game, Date day,
                      int newestStored);

// Stores an update in one transaction: removes the draws dated before pruneBefore (none without
// it), then stores the new draws (ascending) with every derived column. The rows left first after
// a removal keep nothing of the removed draws: their columns of the draws before them are cleared
// as those of a history's first rows are. Draws after the newest stored one are appended;
// a draw before it fills a gap: the stored draws after it are stored again behind it, so that their
// previous-draw columns follow the filled order. Throws PeriodTaken (nothing stored) when the file
// holds the period of one of the draws already.
// daysWithoutDraws (yymmdd) are recorded in the same transaction, for later updates to pass;
// records dated before pruneBefore go.
void storeUpdate(platform::Database& db, Zodiac& zodiac, int segmentBase,
                 std::optional<Date> pruneBefore, const std::vector<ListedDraw>& draws,
                 const std::vector<int>& daysWithoutDraws = {});

// Clears what the first stored rows keep of draws before them (the first row's previous and
// two-back columns, the second row's two-back ones), as storing them into an empty history
// leaves them: after the draws before them were removed, nothing may name those. The caller owns
// the transaction.
void detachFirstRows(platform::Database& db);
// True when the first stored row keeps a draw before it (its draws were removed by a path that
// left its columns as they were).
bool firstRowNamesEarlierDraw(platform::Database& db);

// A stored draw whose numbers a results page gives otherwise.
struct DifferingDraw {
    int period = 0;
    Numbers stored{};
    Numbers listed{};
};

// Puts the given numbers in place of the stored draws of their periods, in one transaction: the
// draws from the first of them on are stored again in order, so that the columns of the draws
// before each follow the new numbers. Throws std::runtime_error (nothing changed) when a period
// is not stored or no longer holds the numbers `stored` says.
void replaceDraws(platform::Database& db, Zodiac& zodiac, int segmentBase,
                  const std::vector<DifferingDraw>& draws);

} // namespace history
