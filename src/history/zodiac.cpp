#include "history/zodiac.h"

#include "platform/lunar_calendar.h"

#include <chrono>
#include <cstdio>

namespace history {

namespace {

// Remainder in 0..11 for any sign.
int mod12(int value) {
    return ((value % 12) + 12) % 12;
}

int digitsAt(std::string_view text, size_t from, size_t count, bool& ok) {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
        if (i >= text.size() || text[i] < '0' || text[i] > '9') {
            ok = false;
            return 0;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

const std::array<std::string, 12>& Zodiac::names() {
    static const std::array<std::string, 12> kNames = {"鼠", "牛", "虎", "兔", "龙", "蛇",
                                                       "马", "羊", "猴", "鸡", "狗", "猪"};
    return kNames;
}

const std::array<std::string, 12>& Zodiac::groups() {
    static const std::array<std::string, 12> kGroups = [] {
        std::array<std::string, 12> g;
        for (int j = 0; j < 12; ++j) {
            for (int n = j + 1; n <= 49; n += 12) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "%02d", n);
                if (!g[j].empty()) g[j] += "、";
                g[j] += buffer;
            }
        }
        return g;
    }();
    return kGroups;
}

std::optional<int> Zodiac::yearOfPeriod(std::string_view period10) {
    while (!period10.empty() && period10.front() == ' ') period10.remove_prefix(1);
    while (!period10.empty() && period10.back() == ' ') period10.remove_suffix(1);
    bool ok = true;
    const int year = digitsAt(period10, 0, 4, ok);
    if (!ok) return std::nullopt;
    const int month = digitsAt(period10, 4, 2, ok);
    const int day = digitsAt(period10, 6, 2, ok);
    if (!ok) return year;
    return yearOfDate(year, month, day);
}

int Zodiac::yearOfDate(int year, int month, int day) {
    const auto newYear = platform::lunarNewYear(year);
    if (newYear && (month < newYear->month || (month == newYear->month && day < newYear->day)))
        return year - 1;
    return year;
}

void Zodiac::setYearOfPeriod(std::string_view period10) {
    if (const auto y = yearOfPeriod(period10)) year_ = *y;
}

void Zodiac::updateYearGroups() {
    if (groupsYear_ == year_) return;
    for (int k = 0; k < 12; ++k) yearGroups_[k] = groups()[mod12(year_ - 1972 - k)];
    // The first animal k = 0..10 whose group text contains the number written with two digits;
    // otherwise animal 11.
    for (int n = 0; n < 100; ++n) {
        char text[8];
        std::snprintf(text, sizeof text, "%02d", n);
        int animal = 11;
        for (int k = 0; k <= 10; ++k) {
            if (yearGroups_[k].find(text) != std::string::npos) {
                animal = k;
                break;
            }
        }
        animalOfNumber_[n] = static_cast<std::int8_t>(animal);
    }
    groupsYear_ = year_;
}

void Zodiac::setValueOrder(bool animalOrder, int base) {
    for (int k = 0; k < 12; ++k) {
        values_[k] =
            static_cast<std::int16_t>(animalOrder ? k + base : mod12(year_ - 1972 - k) + base);
    }
}

int Zodiac::animalOf(int n) const {
    if (n >= 0 && n < 100) return animalOfNumber_[n];
    return 11; // three-digit and negative numbers appear in no group
}

std::int16_t Zodiac::valueOf(int n) const {
    return values_[animalOf(n)];
}

std::string Zodiac::nameOf(int value, int base) {
    const int index = value - base;
    if (index < 0 || index >= 12) return {};
    return names()[index];
}

} // namespace history
