#pragma once
// The zodiac of a number: twelve animals, number groups by the zodiac year, and the value stored
// for each animal (in animal order, or by age within the zodiac year).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace history {

class Zodiac {
  public:
    Zodiac() { updateYearGroups(); }

    // The animals in their fixed order, 鼠 first.
    static const std::array<std::string, 12>& names();
    // Group j holds the numbers congruent to j + 1 modulo 12.
    static const std::array<std::string, 12>& groups();

    // The zodiac year of a draw given by its ten-digit id: the year of the id, or the year before
    // when the draw's date lies before that year's Lunar New Year. Empty when the text holds no
    // year.
    static std::optional<int> yearOfPeriod(std::string_view period10);
    // The zodiac year of a calendar date.
    static int yearOfDate(int year, int month, int day);

    // Sets the zodiac year from a ten-digit id; an unreadable id leaves it unchanged.
    void setYearOfPeriod(std::string_view period10);
    void setYear(int zodiacYear) { year_ = zodiacYear; }
    int year() const { return year_; }

    // Gives each animal the number group it owns in the current zodiac year.
    void updateYearGroups();
    // The stored value of each animal: base + its place in animal order, or by age within the
    // zodiac year.
    void setValueOrder(bool animalOrder, int base);
    // The zodiac value of number n; a number in no group counts as animal 11.
    std::int16_t valueOf(int n) const;

    const std::array<std::string, 12>& yearGroups() const { return yearGroups_; }
    const std::array<std::int16_t, 12>& values() const { return values_; }

    // The animal name shown for a stored zodiac value, empty when the value has no name.
    static std::string nameOf(int value, int base);

  private:
    int animalOf(int n) const;

    int year_ = 2016;
    int groupsYear_ = -1;
    std::array<std::string, 12> yearGroups_{};
    std::array<std::int16_t, 12> values_{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    // The animal of each number 0..99 under the current groups.
    std::array<std::int8_t, 100> animalOfNumber_{};
};

} // namespace history
