#include "platform/laid_out_text.h"

#include "platform/ascii_text.h"

#include <algorithm>
#include <string_view>

namespace platform {

namespace {

// Blanks a cell's text collapses: ASCII blanks and the no-break space (U+00A0, C2 A0 in UTF-8).
// Returns the blank's length in bytes at text[i], 0 when none starts there.
size_t blankAt(const std::string& text, size_t i) {
    if (isAsciiBlank(text[i])) return 1;
    if (text[i] == '\xC2' && i + 1 < text.size() && text[i + 1] == '\xA0') return 2;
    return 0;
}

bool isOneOrTwoDigits(std::string_view part) {
    return !part.empty() && part.size() <= 2 &&
           std::all_of(part.begin(), part.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Marks a page puts between its balls (<i>03</i>+<i>07</i>).
bool isBallSeparator(std::string_view part) {
    for (std::string_view mark : {"+", ",", "，", "、", "|", "/", "-", "·"})
        if (part == mark) return true;
    return false;
}

// A time of day as a page writes it: 9:10, 09:10 or 23:00:00.
bool isTimeOfDay(std::string_view part) {
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    const size_t colon = part.find(':');
    if (colon != 1 && colon != 2) return false;
    for (size_t i = 0; i < colon; ++i)
        if (!digit(part[i])) return false;
    for (size_t at = colon; at < part.size(); at += 3)
        if (part.size() < at + 3 || part[at] != ':' || !digit(part[at + 1]) || !digit(part[at + 2]))
            return false;
    return part.size() <= colon + 6;
}

// A word of texts gathered with kJoint between them: run together as a browser shows it
// (20160908<span>052</span> is 20160908052), except when its texts are numbers of one or two
// digits, at least two, and marks between them (<i>03</i><i>07</i>, <i>01</i>+<b>11</b>): those
// are balls, each shown on its own, and stay apart. A time in an element of its own stays apart
// from the text beside it too (<span>2016090801</span><span>09:10</span>): run together, the
// draw number and the hour could not be told apart.
void appendWord(std::string_view word, std::string& out) {
    std::vector<std::string_view> parts;
    for (size_t at = 0; at <= word.size();) {
        size_t end = word.find(kJoint, at);
        if (end == std::string_view::npos) end = word.size();
        if (end > at) parts.push_back(word.substr(at, end - at));
        at = end + 1;
    }
    if (parts.empty()) return;
    const auto numbers = std::count_if(parts.begin(), parts.end(), isOneOrTwoDigits);
    const bool balls = numbers >= 2 && std::all_of(parts.begin(), parts.end(), [](auto part) {
                           return isOneOrTwoDigits(part) || isBallSeparator(part);
                       });
    if (!out.empty()) out.push_back(' ');
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0 && (balls || isTimeOfDay(parts[i]) || isTimeOfDay(parts[i - 1])))
            out.push_back(' ');
        out.append(parts[i]);
    }
}

} // namespace

std::string collapseBlanks(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    bool pendingBlank = false;
    for (size_t i = 0; i < text.size();) {
        if (const size_t length = blankAt(text, i)) {
            pendingBlank = true;
            i += length;
            continue;
        }
        if (pendingBlank && !out.empty()) out.push_back(' ');
        pendingBlank = false;
        out.push_back(text[i++]);
    }
    return out;
}

std::vector<Word> laidOutWords(const std::string& raw) {
    std::vector<Word> words;
    size_t start = 0;
    for (size_t i = 0; i <= raw.size();) {
        const size_t blank = i < raw.size() ? blankAt(raw, i) : 1;
        if (blank == 0) {
            ++i;
            continue;
        }
        std::string word;
        appendWord(std::string_view(raw).substr(start, i - start), word);
        if (!word.empty()) words.push_back({std::move(word), start});
        i += blank;
        start = i;
    }
    return words;
}

std::string laidOut(const std::string& raw) {
    std::string text;
    for (const auto& word : laidOutWords(raw)) text += (text.empty() ? "" : " ") + word.text;
    return text;
}

} // namespace platform
