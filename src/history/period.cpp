#include "history/period.h"

#include "history/game_catalog.h"

#include <charconv>
#include <chrono>
#include <cstdio>

namespace history {

int drawsPerDay(Game game) {
    return games()->drawsPerDay(game);
}

int largestDrawNumber(Game game) {
    return games()->largestDrawNumber(game);
}

bool showsEightDigitIds(Game game) {
    return games()->idForm(game) == IdForm::EightDigit;
}

std::string eightDigit(int period) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08d", period);
    return buffer;
}

std::string tenDigit(int period) {
    return "20" + eightDigit(period);
}

std::string gridPeriodText(int period, Game game) {
    return showsEightDigitIds(game) ? eightDigit(period) : tenDigit(period);
}

std::string nextPeriodText(int newestPeriod, int perDay) {
    if (newestPeriod >= kLastPeriod) return {};
    const int drawNumber = newestPeriod % 100;
    // A draw number above the day's count (an older, longer schedule) ends the day as well.
    if (drawNumber >= perDay || drawNumber == 99) {
        using namespace std::chrono;
        const int yy = newestPeriod / 1000000;
        const int mm = newestPeriod / 10000 % 100;
        const int dd = newestPeriod / 100 % 100;
        const year_month_day date{year{2000 + yy}, month{static_cast<unsigned>(mm)},
                                  day{static_cast<unsigned>(dd)}};
        if (date.ok()) {
            const year_month_day next{sys_days{date} + days{1}};
            char buffer[16];
            if (static_cast<int>(next.year()) > 2099) return {};
            std::snprintf(buffer, sizeof buffer, "%04d%02u%02u01", static_cast<int>(next.year()),
                          static_cast<unsigned>(next.month()), static_cast<unsigned>(next.day()));
            return buffer;
        }
    }
    // Draw 99 of an id that is no date: the next "day" of the id, still never a draw 00.
    return tenDigit(newestPeriod + (drawNumber == 99 ? 2 : 1));
}

std::optional<int> parseTenDigitPeriod(std::string_view text) {
    if (text.size() != 10) return std::nullopt;
    for (char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const auto digits = [&](size_t from, size_t count) {
        int value = 0;
        for (size_t i = from; i < from + count; ++i) value = value * 10 + (text[i] - '0');
        return value;
    };
    const int y = digits(0, 4), m = digits(4, 2), d = digits(6, 2), nn = digits(8, 2);
    using namespace std::chrono;
    if (y < 2000 || y > 2099 || nn < 1) return std::nullopt;
    if (!year_month_day{year{y}, month{static_cast<unsigned>(m)}, day{static_cast<unsigned>(d)}}
             .ok()) {
        return std::nullopt;
    }
    return digits(2, 8);
}

std::optional<int> lastEightAsNumber(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.size() > 8) text = text.substr(text.size() - 8);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace history
