#pragma once
// A results site of our own: serves the draw-list pages of a draw history on a loopback port,
// "/lottery/draw/list/<game code>?d=YYYY-MM-DD", for trying and testing the online update
// without the internet. Every day from the first draw's day to the last draw's day has a page
// (a day without draws shows the heading row only); other days answer 404. A day's page is also
// served at any other address whose path or query holds the day and the game code as parts of
// their own ("/kj/22/20160908.html"), for trying address patterns.

#include <QtGlobal>

#include <array>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace site {

struct SiteDraw {
    int period = 0; // stored form yymmddNN
    std::array<int, 5> numbers{};
};

// Where a page lists its draws. DrawList: the table "draw_list" (id cell, numbers cell); the
// others have no table of that id, as many real sites have none.
enum class Layout {
    DrawList,
    NumbersText,      // the numbers as one text, the separator changing from row to row
    NumbersEm,        // the numbers as five em elements of one cell, the id inside a link
    NumbersSplit,     // the numbers in two groups of elements, 3 + 2
    NumbersList,      // the numbers as the li items of a ul in one cell
    NumbersCells,     // the numbers in five cells of their own, a spacer cell before them
    NumbersAttribute, // the numbers only in an attribute of their cell; the newest draw also in
                      // the attributes of a box above the table
    SideBySide,       // three draws side by side in each row, heading row of td cells
    TablesSideBySide, // two tables side by side, each with half the day's draws
    Mixed,            // rows of every layout above in two tables side by side
    Blocks,           // no table but the heading's: each draw a block of divs and spans
    TimeCells,        // the draw number, its time, then the numbers, each a cell
    TimeInIdCell,     // the id and the draw's time (or date and time) in one cell, apart by a
                      // blank, a <br> or elements of their own, then the numbers
    Trend,            // a trend chart: the id, five number cells, 55 omission cells a row, a
                      // row of column labels 1..11 and statistics rows
    ScriptOnly,       // the draws only as data in a script, an empty list to fill
    Ajax,             // an empty table whose rows a script fetches
    AllGames,         // the newest draw of every game, one row each
};

// How the ids of a page are written (not for DrawList pages).
enum class IdForm {
    Game,       // ten digits (games 22 and 562) or eight digits (23 and 569)
    Short,      // the draw number alone: 01
    Dash,       // 20160908-01
    ThreeDigit, // 20160908001
    Split,      // 20160908<span>001</span>: the draw number in an element of its own
};

// Copies of rows and numbers a page hides beside the real ones: none, hidden by their own
// attributes (display:none, visibility:hidden, hidden), or by classes the page's style sheet hides.
enum class HiddenCopies { None, OwnStyle, ByClass };

// How the pages are written: the variants of real sites the reader must cope with.
struct PageStyle {
    bool newestFirst = false;         // rows listed newest first
    bool withTbody = true;            // rows inside thead/tbody, else directly in the table
    bool commaNumbers = false;        // "05,03,08,01,11" rather than "05 03 08 01 11"
    bool gbk = false;                 // body in GBK, the charset named only in the page's meta tag
    bool decoyTableInComment = false; // a commented-out table with the same id before the real one
    std::chrono::milliseconds delay{0}; // each page answers this late
    int servedGame = 0; // every game's address shows this game's page (a site that mixes games
                        // up); 0: the game asked for
    Layout layout = Layout::DrawList;
    IdForm ids = IdForm::Game;
    bool placeholders = false; // the draws of the day not made yet listed with "--"
    HiddenCopies hiddenCopies = HiddenCopies::None;
    int newestOnly = 0;     // a page lists only the day's newest N draws, with 下一页
    bool bareEmpty = false; // a day without draws is the list empty, without its heading
    // Each draw's numbers written as digits 0..9 (repeats allowed), as the pages of lotteries
    // of five digits show theirs: a page of another lottery given as the site's address.
    bool digitDraws = false;
    // A trend chart's omissions and statistics count the draws of the days before the page's as
    // well (figures of three digits where a number stays away long).
    bool carriedOmissions = false;
    // The one game whose pages are served (its name, its ids, its draws a day), others answer
    // 404; 0: every game of the program's game table, each with the same draws.
    int onlyGame = 0;
    // The pages name the game by its first alias (十一运夺金 for 山东11选5), as some sites do.
    bool aliasTitles = false;
    std::string servedUntil =
        std::string(); // days up to this one ("YYYY-MM-DD") have pages, draws or none
};

// Adds a style by its name (newest-first, no-tbody, comma, gbk, decoy, numbers-text, numbers-em,
// numbers-split, numbers-list, numbers-cells, numbers-attribute, side-by-side,
// tables-side-by-side, mixed, blocks, time-cells, time-in-id-cell, trend, script-only, ajax,
// all-games, short-ids, dash-ids, three-digit-ids, split-ids, placeholders, hidden-copies,
// class-hidden, newest-20, bare-holidays, digit-draws, carried-omissions).
// False for an unknown name.
bool addStyle(const std::string& name, PageStyle& style);
// The names of the layouts other than the draw_list table's, for trying each.
std::vector<std::string> layoutNames();

class ResultsSite {
  public:
    explicit ResultsSite(std::vector<SiteDraw> draws, PageStyle style = {});
    ~ResultsSite();
    ResultsSite(const ResultsSite&) = delete;
    ResultsSite& operator=(const ResultsSite&) = delete;

    // Starts listening on 127.0.0.1 (port 0: any free port). Returns the port, 0 on failure.
    quint16 listen(quint16 port = 0);
    // "http://127.0.0.1:<port>".
    std::string baseUrl() const;

    // Days ("YYYY-MM-DD") that answer 404 although they lie within the history.
    void setMissingDays(std::set<std::string> days);
    // A day ("YYYY-MM-DD") answered with the given page, whatever the game (tests: odd and
    // hostile pages).
    void setPage(const std::string& day, std::string html);
    // How many pages were asked for so far (tests).
    int requests() const;

    // The history's last day is today and shows its draws as they are made: `shown` of them at
    // once, then one more every `every` (zero: no more by themselves).
    void revealGradually(std::chrono::milliseconds every, int shown = 0);
    // How many of the last day's draws the pages list now, and how many that day has.
    int revealedDraws() const;
    int lastDayDraws() const;

    // The page of a game and day as served; empty when there is none (404). Game codes 22 and
    // 562 show ten-digit ids, 23 and 569 eight digits; other codes have no pages.
    std::string page(int gameCode, const std::string& day) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace site
