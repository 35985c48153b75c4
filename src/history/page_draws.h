#pragma once
// The draws of a results page that has no "draw_list" table, found wherever the page lists them:
// a period id with the five numbers that belong to it, in one table row (the numbers as one
// text, as the texts of elements within one cell, as five cells, or as an attribute), several
// draws side by side in a row, rows of several tables, or the attributes of one element.

#include "history/online_update.h"
#include "platform/html_table.h"

#include <set>
#include <string>
#include <vector>

namespace history {

// A draw as a page lists it: its id as written, the day it names (yymmdd; -1 when the id is the
// draw number alone, of the page's day), its draw number and its numbers as written (0..99).
struct PageDraw {
    std::string id;
    int day = -1;
    int drawOfDay = 0;
    Numbers numbers{};
};

struct PageDraws {
    std::vector<PageDraw> draws; // in page order
    // ids whose numbers are written in a form not read ("0307011105"): a layout not understood
    size_t unread = 0;
    size_t unmade = 0;    // ids of draws not made yet (no numbers, or "--")
    bool heading = false; // a heading row names the period and the numbers columns
    // The days the page's texts name (2016-09-08, 2016/9/8, 2016年9月8日) as yymmdd.
    std::set<int> dates;
    // Rows whose numbers read in more than one way: none of them is taken.
    std::vector<SkippedDraw> unclear;
    // The games named beside the draws ("江西11选5"): more than one, and the page lists several
    // games' draws, which cannot be told apart by their ids.
    std::set<std::string> gameNames;
    // The frame of the list the draws stand in (platform::PageElement), and every frame of the
    // page: a day without draws of the same site shows the list's frame, empty.
    std::string drawFrame;
    std::set<std::string> frames;

    bool severalGames() const { return gameNames.size() > 1; }
    // Nothing on the page reads as a draw, or as one not understood.
    bool readsEmpty() const {
        return draws.empty() && unread == 0 && unclear.empty() && !severalGames();
    }
    // The page shows, empty, the list a page with draws had them in (its frame).
    bool showsEmptyList(const std::string& frameWithDraws) const {
        return readsEmpty() && !frameWithDraws.empty() && frames.count(frameWithDraws) > 0;
    }

    // A page of no draws is a day without draws only when it shows the heading of a results
    // list and nothing in it that might be draws not understood.
    bool dayWithoutDraws() const {
        return draws.empty() && heading && unread == 0 && unclear.empty();
    }
    // The page lists draws by their draw number alone, yet the days it names are all other
    // than the given one: a site that shows another day's page (the latest) for the day asked.
    // Those draws cannot be told to be the day's.
    bool shortIdsOfAnotherDay(Date day) const;
};

// Finds the draws in a page's rows (platform::readResultsPage). Rows with numbers and no id, and
// slots, are passed over silently.
PageDraws findPageDraws(const std::vector<platform::PageRow>& rows,
                        const std::vector<platform::PageElement>& elements = {});

// What the found draws say about the day, as readDayTable says it of a "draw_list" table: the
// new sound draws of the day, and the draws skipped with their reasons (another day's id, a draw
// number the game does not have, numbers that repeat or fall outside 01..11).
DayTable readPageDraws(const PageDraws& page, Game game, Date day, int newestStored);

} // namespace history
