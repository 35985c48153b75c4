#pragma once
// The Gregorian date of the Lunar New Year (first day of the first month of the Chinese
// calendar) for a Gregorian year, from ICU's Chinese calendar.

#include <optional>

namespace platform {

struct MonthDay {
    int month = 1;
    int day = 1;
    friend bool operator==(const MonthDay&, const MonthDay&) = default;
};

// Empty when ICU cannot compute the date.
std::optional<MonthDay> lunarNewYear(int year);

} // namespace platform
