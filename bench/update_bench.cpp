// The online update over loopback: an empty history brought up to date over 17 days of 84 draws
// from a results site of our own, with the share of fetching, parsing and storing.

#include "benchmarks.h"
#include "history/history_table.h"
#include "history/page_draws.h"
#include "platform/html_table.h"
#include "platform/page_fetch.h"
#include "site/results_site.h"
#include "synthetic_history.h"
#include "workspace/update_service.h"

#include <algorithm>
#include <ostream>
#include <stdexcept>

namespace bench {

void runUpdateBenchmarks(std::ostream& out) {
    // 17 days: 2016-08-23 .. 2016-09-08 with 16 days kept.
    const auto draws = synthetic::makeHistory(17 * 84, 16082301);
    std::vector<site::SiteDraw> served;
    for (const auto& d : draws)
        served.push_back(
            {d.period, {d.numbers[0], d.numbers[1], d.numbers[2], d.numbers[3], d.numbers[4]}});
    site::ResultsSite site(served);
    if (site.listen() == 0) throw std::runtime_error("the results site cannot listen");

    const auto today = history::parseIsoDay("2016-09-08");
    const auto days = history::updateDays({}, today, 16, history::Game::Jiangxi);
    std::vector<std::string> pages;
    const double fetch = medianSeconds(3, [&] {
        pages.clear();
        for (const auto& day : days) {
            const auto page = platform::fetchPage(
                site.baseUrl() + "/lottery/draw/list/22?d=" + history::isoDay(day),
                std::chrono::seconds(30));
            if (!page.ok) throw std::runtime_error(page.error);
            pages.push_back(page.body);
        }
    });
    const double parse = medianSeconds(3, [&] {
        for (const auto& page : pages) {
            const auto text = platform::decodePage(page, "text/html; charset=utf-8");
            if (!text || !platform::tableRows(*text, "draw_list"))
                throw std::runtime_error("a page cannot be read");
        }
    });

    std::vector<double> totals;
    for (int run = 0; run < 3; ++run) {
        app::WorkspaceOptions options;
        options.dataDir = freshFolder("update");
        options.settingsFile = options.dataDir + "/settings.ini";
        options.today = [today] { return today; };
        app::Workspace workspace(options);
        workspace.settingsFile().setPersistent(false);
        workspace.setSetting("IniSerchDay", "16");
        workspace.setSetting("UpdateSite", site.baseUrl());
        app::QuietUpdate quiet;
        app::UpdateResult result;
        totals.push_back(
            medianSeconds(1, [&] { result = app::UpdateService(workspace).update(quiet); }));
        if (!result.complete() || result.stored != draws.size())
            throw std::runtime_error("the update did not store every draw: " +
                                     result.outcome.message);
    }
    std::sort(totals.begin(), totals.end());
    const double total = totals[1];
    out << "update of an empty history over " << days.size() << " days of 84 draws ("
        << draws.size() << " draws) from a loopback site: " << total * 1000
        << " ms to the refreshed workspace; fetching " << fetch * 1000 << " ms, parsing "
        << parse * 1000 << " ms, storing and the rest " << (total - fetch - parse) * 1000
        << " ms (medians of 3)\n";

    // One day's page of 84 draws in each layout the site writes: decoding, parsing and finding
    // the draws, as the update reads a page.
    const history::Date lastDay = days.back();
    const std::string dayText = history::isoDay(lastDay);
    std::vector<std::string> layouts{"draw_list"};
    for (const auto& name : site::layoutNames()) layouts.push_back(name);
    for (const auto& layout : layouts) {
        site::PageStyle style;
        if (layout != "draw_list") site::addStyle(layout, style);
        const std::string page = site::ResultsSite(served, style).page(22, dayText);
        size_t read = 0;
        const double seconds = medianSeconds(21, [&] {
            const auto text = platform::decodePage(page, "text/html; charset=utf-8");
            const auto parsed = text ? platform::readResultsPage(*text) : std::nullopt;
            if (!parsed) throw std::runtime_error("a page cannot be read");
            const auto table =
                parsed->drawList
                    ? history::readDayTable(*parsed->drawList, history::Game::Jiangxi, lastDay, 0)
                    : history::readPageDraws(history::findPageDraws(parsed->rows, parsed->elements),
                                             history::Game::Jiangxi, lastDay, 0);
            read = table.draws.size();
        });
        if (read != 84) throw std::runtime_error(layout + ": " + std::to_string(read) + " draws");
        out << "one day's page of 84 draws, " << layout << " (" << page.size() / 1024
            << " KiB): " << seconds * 1000 << " ms to its draws (median of 21)\n";
    }

    // Storing into a history of 300,000 draws: one new draw after the newest, and one draw that
    // a page had left out in the middle of the newest day (the day's later draws are stored
    // again behind it).
    const std::string folder = folderWithHistory(300000);
    platform::Database db(folder + "/kelvora11S5.db");
    history::Zodiac zodiac;
    const int newest = history::loadNewestRows(db, 1).back().period;
    const int gap = newest / 100 * 100 + 10;
    const auto stored = [&](int period) {
        history::ListedDraw draw{period, {}};
        for (const auto& row : history::loadRowsFrom(db, period))
            if (row.period == period)
                for (int p = 0; p < history::kPositions; ++p) draw.numbers[p] = row.numbers()[p];
        return draw;
    };
    const history::Date keepAll = history::parseIsoDay("2000-01-01");
    const auto timeStore = [&](const history::ListedDraw& draw) {
        std::vector<double> runs;
        for (int run = 0; run < 5; ++run) {
            auto remove = db.prepare("DELETE FROM Lishi WHERE SQQH = ?1");
            remove.bind(1, draw.period);
            remove.run();
            runs.push_back(
                medianSeconds(1, [&] { history::storeUpdate(db, zodiac, 1, keepAll, {draw}); }));
        }
        std::sort(runs.begin(), runs.end());
        return runs[2];
    };
    const double appended = timeStore(stored(newest));
    const double filled = timeStore(stored(gap));
    out << "storing into 300000 draws: one new draw " << appended * 1000
        << " ms; one draw missing within the newest day (" << newest % 100 - 10
        << " later draws stored again) " << filled * 1000 << " ms (medians of 5)\n";
}

} // namespace bench
