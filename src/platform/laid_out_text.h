#pragma once
// Text gathered from a page's elements, laid out as a browser shows it: runs of blanks collapsed,
// texts of inline elements run together, except balls and times drawn as elements of their own.

#include <string>
#include <vector>

namespace platform {

// Stands between the texts of two elements while a cell's text is gathered: where a browser runs
// texts together that a page may mean apart (balls drawn as elements of their own).
inline constexpr char kJoint = '\x01';

// The text with every run of blanks (ASCII blanks and the no-break space) one space, trimmed.
std::string collapseBlanks(const std::string& text);

struct Word {
    std::string text;
    size_t at = 0; // where it starts in the gathered text
};

// The words of gathered text as a browser lays them out, blanks collapsed, trimmed.
std::vector<Word> laidOutWords(const std::string& raw);
// The same words joined by single spaces.
std::string laidOut(const std::string& raw);

} // namespace platform
