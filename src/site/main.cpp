// kelvora11s5-site: serves the draw-list pages of a draw-history file on 127.0.0.1, for trying
// the online update without the internet.
//     kelvora11s5-site [--port N] [--delay MS] [--style NAME,NAME...] [--game CODE]
//                      [--reveal-every S [--revealed N]] FILE
// With --game only that game's pages are served (its name, ids and draws a day); without it every
// game of the program's game table shows the file's draws.
// With --reveal-every the file's last day is today: its pages list N of its draws at first
// (none without --revealed), then one more every S seconds.
// (the style names: see site::addStyle)

#include "history/game_catalog.h"
#include "history/text_format.h"
#include "platform/file_io.h"
#include "platform/text_decoding.h"
#include "site/results_site.h"

#include <QCoreApplication>
#include <QTimer>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>

namespace {

constexpr const char* kUsage =
    "usage: kelvora11s5-site [--port N] [--delay MS] [--style NAME,NAME...] [--game CODE]\n"
    "                        [--reveal-every S [--revealed N]] FILE\n"
    "--game: serve only that game (a code or key of the program's game table)\n"
    "styles: newest-first, no-tbody, comma, gbk, decoy (the draw_list table);\n"
    "  layouts without it: numbers-text, numbers-em, numbers-split, numbers-list, numbers-cells,\n"
    "  numbers-attribute, side-by-side, tables-side-by-side, mixed, blocks, time-cells,\n"
    "  time-in-id-cell, trend;\n"
    "  with them: short-ids, dash-ids, three-digit-ids, split-ids, placeholders, hidden-copies,\n"
    "  class-hidden, newest-20, bare-holidays, carried-omissions (trend: figures run on from\n"
    "  the days before);\n"
    "  alias-titles (the game named by its alias);\n"
    "  pages to refuse: script-only, ajax, all-games, digit-draws\n";

bool parseNumber(const std::string& text, long max, long& out) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::stol(text);
    return out <= max;
}

bool applyStyle(const std::string& list, site::PageStyle& style) {
    std::stringstream items(list);
    std::string item;
    while (std::getline(items, item, ',')) {
        if (!item.empty() && !site::addStyle(item, style)) return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    long port = 8080;
    site::PageStyle style;
    std::string file;
    long revealEvery = -1;
    long revealed = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long number = 0;
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--port" && hasValue && parseNumber(argv[i + 1], 65535, port)) {
            ++i;
        } else if (arg == "--delay" && hasValue && parseNumber(argv[i + 1], 600000, number)) {
            style.delay = std::chrono::milliseconds(number);
            ++i;
        } else if (arg == "--reveal-every" && hasValue &&
                   parseNumber(argv[i + 1], 86400, revealEvery)) {
            ++i;
        } else if (arg == "--revealed" && hasValue && parseNumber(argv[i + 1], 99, revealed)) {
            ++i;
        } else if (arg == "--game" && hasValue && history::builtInGames().lookup(argv[i + 1])) {
            style.onlyGame = history::builtInGames().lookup(argv[i + 1])->code();
            ++i;
        } else if (arg == "--style" && hasValue && applyStyle(argv[i + 1], style)) {
            ++i;
        } else if (file.empty() && !arg.empty() && arg[0] != '-') {
            file = arg;
        } else {
            std::cerr << "bad argument: " << arg << "\n" << kUsage;
            return 2;
        }
    }
    if (file.empty()) {
        std::cerr << kUsage;
        return 2;
    }

    std::vector<site::SiteDraw> draws;
    try {
        const auto parsed =
            history::parseHistoryText(platform::decodeText(platform::readFile(file)).text, 0);
        for (const auto& draw : parsed.draws) {
            draws.push_back({draw.period, draw.numbers});
        }
    } catch (const platform::FileError& error) {
        std::cerr << error.what() << "\n";
        return 1;
    }
    if (draws.empty()) {
        std::cerr << "no draws in " << file << "\n";
        return 1;
    }

    site::ResultsSite results(std::move(draws), style);
    const quint16 listening = results.listen(static_cast<quint16>(port));
    if (listening == 0) {
        std::cerr << "cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::cout << "serving " << results.baseUrl() << std::endl;
    QTimer revealTimer;
    if (revealEvery >= 0) {
        results.revealGradually(std::chrono::seconds(revealEvery), static_cast<int>(revealed));
        // Each draw is told as it appears on the pages.
        auto told = std::make_shared<int>(-1);
        QObject::connect(&revealTimer, &QTimer::timeout, [&results, told] {
            const int now = results.revealedDraws();
            if (now != *told) {
                std::cout << "revealed " << now << " of " << results.lastDayDraws() << std::endl;
                *told = now;
            }
        });
        revealTimer.start(200);
    }
    return app.exec();
}
