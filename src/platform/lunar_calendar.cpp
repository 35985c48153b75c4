#include "platform/lunar_calendar.h"

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <array>
#include <atomic>
#include <memory>

namespace platform {

namespace {

std::optional<MonthDay> computeLunarNewYear(int year) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> chinese(
        icu::Calendar::createInstance(icu::Locale("zh_CN@calendar=chinese"), status));
    if (U_FAILURE(status)) return std::nullopt;
    chinese->adoptTimeZone(icu::TimeZone::createTimeZone("GMT"));
    // Chinese extended years run 2637 ahead of the Gregorian ones: month 1, day 1 of the
    // Chinese year that starts within Gregorian year `year`.
    chinese->clear();
    chinese->set(UCAL_EXTENDED_YEAR, year + 2637);
    chinese->set(UCAL_MONTH, 0);
    chinese->set(UCAL_IS_LEAP_MONTH, 0);
    chinese->set(UCAL_DATE, 1);
    const UDate when = chinese->getTime(status);
    if (U_FAILURE(status)) return std::nullopt;

    icu::GregorianCalendar gregorian(icu::TimeZone::createTimeZone("GMT"), status);
    if (U_FAILURE(status)) return std::nullopt;
    gregorian.setTime(when, status);
    const int gYear = gregorian.get(UCAL_YEAR, status);
    const int month = gregorian.get(UCAL_MONTH, status) + 1;
    const int day = gregorian.get(UCAL_DATE, status);
    if (U_FAILURE(status) || gYear != year) return std::nullopt;
    return MonthDay{month, day};
}

constexpr int kFirstYear = 1901;
constexpr int kLastYear = 2099;

} // namespace

std::optional<MonthDay> lunarNewYear(int year) {
    if (year < kFirstYear || year > kLastYear) return computeLunarNewYear(year);
    // A cache of constant dates, each computed on first use: 0 unknown, -1 none, else mmdd.
    static std::array<std::atomic<int>, kLastYear - kFirstYear + 1> cache{};
    auto& slot = cache[year - kFirstYear];
    int code = slot.load(std::memory_order_relaxed);
    if (code == 0) {
        const auto date = computeLunarNewYear(year);
        code = date ? date->month * 100 + date->day : -1;
        slot.store(code, std::memory_order_relaxed);
    }
    if (code < 0) return std::nullopt;
    return MonthDay{code / 100, code % 100};
}

} // namespace platform
