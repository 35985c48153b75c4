#pragma once
// The plays of the game (玩法): which tickets ("selections") each one sells, when a ticket wins,
// its chance per period and its prize. A period's draw is n1..n5 in drawn order.

#include "history/attributes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace play {

// A period's draw, n1..n5 in drawn order, as the history rows hold it.
using Draw = history::PositionValues;

enum class Play {
    Front1, // q1 前一: n1 = a
    Any2,   // r2..r5 任二..任五: the k numbers are all among n1..n5
    Any3,
    Any4,
    Any5,
    Any6, // r6..r8 任六..任八: n1..n5 are all in the set
    Any7,
    Any8,
    Front2Direct, // q2d 前二直选: (n1, n2) = (a, b)
    Front2Group,  // q2g 前二组选: {n1, n2} = {a, b}
    Front3Direct, // q3d 前三直选: (n1, n2, n3) = (a, b, c)
    Front3Group,  // q3g 前三组选: {n1, n2, n3} = the set
};
constexpr int kPlays = 12;
constexpr int kTicketPrice = 2; // yuan

struct PlayInfo {
    Play play;
    const char* code; // q1, r2, ..., q3g: what the command line and the Prizes setting use
    const char* name; // 前一, 任二, ...
    int size;         // numbers on a ticket
    bool ordered;     // 直选: the ticket's numbers in drawn order
    int prize;        // default prize in yuan
};

// Every play in the order of the table above.
const std::array<PlayInfo, kPlays>& plays();
const PlayInfo& info(Play play);
std::optional<Play> playOfCode(const std::string& code);

// The chance that one ticket of the play wins in a period.
double chance(Play play);

// One ticket: its numbers ascending for sets, in order for 直选.
struct Selection {
    std::array<std::uint8_t, 8> numbers{};
    std::uint8_t size = 0;

    bool operator==(const Selection&) const = default;
};

// A selection's text: its numbers as two digits joined by one space ("01 02 03").
std::string selectionText(const Selection& selection);

// The selections of a play in selection order (lexicographic over their texts) and their index
// by content. Built once per play.
class SelectionSet {
  public:
    explicit SelectionSet(Play play);

    Play play() const { return play_; }
    size_t size() const { return selections_.size(); }
    const Selection& operator[](size_t i) const { return selections_[i]; }
    const std::vector<Selection>& all() const { return selections_; }

    // The index of a selection of this play's form, or nothing when it is not one.
    std::optional<std::uint32_t> indexOf(const Selection& selection) const;

    // The indexes of the selections that win with a draw (n1..n5 in drawn order), ascending;
    // at most 20. out is cleared first.
    void winners(const Draw& draw, std::vector<std::uint32_t>& out) const;

  private:
    void enumerateWinners(std::uint32_t drawMask, std::vector<std::uint32_t>& out) const;

    Play play_;
    int size_;
    bool ordered_;
    std::vector<Selection> selections_;
    // Sets: index by the mask of their numbers (bit n-1); 直选: index by the numbers in base 12.
    std::vector<std::uint32_t> byMask_;
    // 任选: the winners of each draw's set of numbers, flat, from winnersFrom_[mask] on.
    std::vector<std::uint32_t> winnersFrom_;
    std::vector<std::uint32_t> winnersFlat_;
};

// The selections of each play, built once and shared.
const SelectionSet& selectionsOf(Play play);

// Whether a selection wins with a draw, straight from the rule (for checking the tables).
bool wins(Play play, const Selection& selection, const Draw& draw);

// Reads a selection of the play from text such as "01 02 03" or "1,2,3" (numbers separated by
// blanks or commas; sets are sorted). The error says what is wrong.
struct ParsedSelection {
    std::optional<Selection> selection;
    std::string error;
};
ParsedSelection parseSelection(Play play, const std::string& text);
// The numbers of a text split at any of the separators; nothing, with `unreadable` or the number
// outside 01..11 in error, when a part is not one of them.
std::optional<std::vector<int>> numbersOfText(const std::string& text, std::string_view separators,
                                              const std::string& unreadable, std::string& error);

// The prize of each play in yuan (provinces differ).
struct Prizes {
    std::array<int, kPlays> yuan{};

    Prizes();
    int of(Play play) const { return yuan[static_cast<size_t>(play)]; }
    bool operator==(const Prizes&) const = default;
};
// The text form of the Prizes setting: every play's code and prize, "q1=13,r2=6,...".
std::string prizesText(const Prizes& prizes);
// Reads "r2=6,r3=19"; a play left out keeps its default. An error text for a bad entry.
struct ParsedPrizes {
    std::optional<Prizes> prizes;
    std::string error;
};
ParsedPrizes parsePrizes(const std::string& text);

} // namespace play
