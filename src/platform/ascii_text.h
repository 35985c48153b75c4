#pragma once
// ASCII letter case and blanks, as HTML reads them in tag names, attribute values and character
// set names: other bytes (UTF-8 among them) are left as they are.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

char lowered(char c);
std::string lowerCase(std::string_view text);
// Where needle (lower case) first occurs in text at or after from, ignoring letter case.
size_t findNoCase(std::string_view text, std::string_view needle, size_t from = 0);
// Space, tab, carriage return, line feed, form feed.
bool isAsciiBlank(char c);

} // namespace platform
