#include "play/plays.h"

#include <algorithm>
#include <bit>
#include <charconv>

namespace play {

namespace {

constexpr std::array<PlayInfo, kPlays> kPlayTable = {{
    {Play::Front1, "q1", "前一", 1, false, 13},
    {Play::Any2, "r2", "任二", 2, false, 6},
    {Play::Any3, "r3", "任三", 3, false, 19},
    {Play::Any4, "r4", "任四", 4, false, 78},
    {Play::Any5, "r5", "任五", 5, false, 540},
    {Play::Any6, "r6", "任六", 6, false, 90},
    {Play::Any7, "r7", "任七", 7, false, 26},
    {Play::Any8, "r8", "任八", 8, false, 9},
    {Play::Front2Direct, "q2d", "前二直选", 2, true, 130},
    {Play::Front2Group, "q2g", "前二组选", 2, false, 65},
    {Play::Front3Direct, "q3d", "前三直选", 3, true, 1170},
    {Play::Front3Group, "q3g", "前三组选", 3, false, 195},
}};

double choose(int n, int k) {
    if (k < 0 || k > n) return 0;
    double c = 1;
    for (int i = 0; i < k; ++i) c = c * (n - i) / (i + 1);
    return c;
}

bool isAnyPlay(Play play) {
    return play >= Play::Any2 && play <= Play::Any5;
}
bool isCoverPlay(Play play) {
    return play >= Play::Any6 && play <= Play::Any8;
}

std::uint32_t maskOf(const Selection& s) {
    std::uint32_t mask = 0;
    for (int i = 0; i < s.size; ++i) mask |= 1u << (s.numbers[i] - 1);
    return mask;
}

// The numbers of an ordered selection as one value in base 12.
std::uint32_t codeOf(const std::uint8_t* numbers, int size) {
    std::uint32_t code = 0;
    for (int i = 0; i < size; ++i) code = code * 12 + numbers[i];
    return code;
}

constexpr std::uint32_t kNone = 0xffffffffu;

} // namespace

const std::array<PlayInfo, kPlays>& plays() {
    return kPlayTable;
}

const PlayInfo& info(Play play) {
    return kPlayTable[static_cast<size_t>(play)];
}

std::optional<Play> playOfCode(const std::string& code) {
    for (const auto& p : kPlayTable)
        if (code == p.code) return p.play;
    return std::nullopt;
}

double chance(Play play) {
    const int k = info(play).size;
    if (isAnyPlay(play)) return choose(5, k) / choose(11, k);
    if (isCoverPlay(play)) return choose(k, 5) / choose(11, 5);
    switch (play) {
    case Play::Front1:
        return 1.0 / 11;
    case Play::Front2Direct:
        return 1.0 / 110;
    case Play::Front2Group:
        return 1.0 / 55;
    case Play::Front3Direct:
        return 1.0 / 990;
    default:
        return 1.0 / 165;
    }
}

std::string selectionText(const Selection& selection) {
    std::string text;
    for (int i = 0; i < selection.size; ++i) {
        if (i) text += ' ';
        text += static_cast<char>('0' + selection.numbers[i] / 10);
        text += static_cast<char>('0' + selection.numbers[i] % 10);
    }
    return text;
}

SelectionSet::SelectionSet(Play play)
    : play_(play), size_(info(play).size), ordered_(info(play).ordered) {
    byMask_.assign(ordered_ ? 12 * 12 * 12 : 1u << 11, kNone);
    // Lexicographic order over the numbers is the order of the texts (two digits each).
    Selection current;
    current.size = static_cast<std::uint8_t>(size_);
    auto visit = [&](auto&& self, int depth, std::uint32_t used) -> void {
        if (depth == size_) {
            const auto index = static_cast<std::uint32_t>(selections_.size());
            if (ordered_)
                byMask_[codeOf(current.numbers.data(), size_)] = index;
            else
                byMask_[used] = index;
            selections_.push_back(current);
            return;
        }
        const int from = ordered_ || depth == 0 ? 1 : current.numbers[depth - 1] + 1;
        for (int n = from; n <= 11; ++n) {
            if (used & (1u << (n - 1))) continue;
            current.numbers[depth] = static_cast<std::uint8_t>(n);
            self(self, depth + 1, used | (1u << (n - 1)));
        }
    };
    visit(visit, 0, 0);
    if (isAnyPlay(play) || isCoverPlay(play)) {
        // Every set of five numbers once: its winners, looked up by the draw's mask from then on.
        winnersFrom_.assign((1u << 11) + 1, 0);
        std::vector<std::uint32_t> flat, out;
        for (std::uint32_t mask = 0; mask < (1u << 11); ++mask) {
            winnersFrom_[mask] = static_cast<std::uint32_t>(flat.size());
            if (std::popcount(mask) != 5) continue;
            enumerateWinners(mask, out);
            flat.insert(flat.end(), out.begin(), out.end());
        }
        winnersFrom_[1u << 11] = static_cast<std::uint32_t>(flat.size());
        winnersFlat_ = std::move(flat);
    }
}

std::optional<std::uint32_t> SelectionSet::indexOf(const Selection& s) const {
    if (s.size != size_) return std::nullopt;
    for (int i = 0; i < s.size; ++i)
        if (s.numbers[i] < 1 || s.numbers[i] > 11) return std::nullopt;
    const std::uint32_t index =
        ordered_ ? byMask_[codeOf(s.numbers.data(), s.size)] : byMask_[maskOf(s)];
    if (index == kNone || !(selections_[index] == s)) return std::nullopt;
    return index;
}

void SelectionSet::winners(const Draw& draw, std::vector<std::uint32_t>& out) const {
    out.clear();
    // A row that is no draw (a damaged one) wins nothing: its numbers index no table.
    for (int n : draw)
        if (n < 1 || n > 11) return;
    std::uint32_t drawMask = 0;
    for (int n : draw) drawMask |= 1u << (n - 1);
    if (ordered_) {
        std::uint8_t front[3];
        for (int i = 0; i < size_; ++i) front[i] = static_cast<std::uint8_t>(draw[i]);
        out.push_back(byMask_[codeOf(front, size_)]);
        return;
    }
    if (play_ == Play::Front1 || play_ == Play::Front2Group || play_ == Play::Front3Group) {
        std::uint32_t mask = 0;
        for (int i = 0; i < size_; ++i) mask |= 1u << (draw[i] - 1);
        out.push_back(byMask_[mask]);
        return;
    }
    const std::uint32_t* from = winnersFlat_.data() + winnersFrom_[drawMask];
    out.assign(from, winnersFlat_.data() + winnersFrom_[drawMask + 1]);
}

void SelectionSet::enumerateWinners(std::uint32_t drawMask, std::vector<std::uint32_t>& out) const {
    out.clear();
    if (isAnyPlay(play_)) {
        // Every k-subset of the five drawn numbers.
        for (std::uint32_t sub = drawMask;; sub = (sub - 1) & drawMask) {
            if (std::popcount(sub) == size_) out.push_back(byMask_[sub]);
            if (sub == 0) break;
        }
    } else {
        // The drawn five and k - 5 of the other six numbers.
        const std::uint32_t rest = ((1u << 11) - 1) & ~drawMask;
        for (std::uint32_t sub = rest;; sub = (sub - 1) & rest) {
            if (std::popcount(sub) == size_ - 5) out.push_back(byMask_[drawMask | sub]);
            if (sub == 0) break;
        }
    }
    std::sort(out.begin(), out.end());
}

const SelectionSet& selectionsOf(Play play) {
    static const std::vector<SelectionSet> sets = [] {
        std::vector<SelectionSet> all;
        for (const auto& p : kPlayTable) all.emplace_back(p.play);
        return all;
    }();
    return sets[static_cast<size_t>(play)];
}

bool wins(Play play, const Selection& s, const Draw& draw) {
    const auto among = [&](int n, int count) {
        return std::find(draw.begin(), draw.begin() + count, n) != draw.begin() + count;
    };
    switch (play) {
    case Play::Front1:
        return draw[0] == s.numbers[0];
    case Play::Front2Direct:
        return draw[0] == s.numbers[0] && draw[1] == s.numbers[1];
    case Play::Front3Direct:
        return draw[0] == s.numbers[0] && draw[1] == s.numbers[1] && draw[2] == s.numbers[2];
    case Play::Front2Group:
    case Play::Front3Group:
        for (int i = 0; i < s.size; ++i)
            if (!among(s.numbers[i], s.size)) return false;
        return true;
    default:
        break;
    }
    if (isAnyPlay(play)) {
        for (int i = 0; i < s.size; ++i)
            if (!among(s.numbers[i], 5)) return false;
        return true;
    }
    for (int n : draw)
        if (std::find(s.numbers.begin(), s.numbers.begin() + s.size, n) ==
            s.numbers.begin() + s.size)
            return false;
    return true;
}

std::optional<std::vector<int>> numbersOfText(const std::string& text, std::string_view separators,
                                              const std::string& unreadable, std::string& error) {
    const auto separator = [&](char c) { return separators.find(c) != std::string_view::npos; };
    std::vector<int> numbers;
    size_t i = 0;
    while (i < text.size()) {
        if (separator(text[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
        int n = 0;
        if (end == i || end - i > 2 ||
            std::from_chars(text.data() + i, text.data() + end, n).ec != std::errc() ||
            (end < text.size() && !separator(text[end]))) {
            error = unreadable;
            return std::nullopt;
        }
        if (n < 1 || n > 11) {
            error = "号码" + std::to_string(n) + "不在01到11之间";
            return std::nullopt;
        }
        numbers.push_back(n);
        i = end;
    }
    return numbers;
}

ParsedSelection parseSelection(Play play, const std::string& text) {
    const PlayInfo& p = info(play);
    std::string error;
    auto read = numbersOfText(
        text, " ,\t", "号码“" + text + "”无法识别：号码写成01到11，用空格或逗号分开", error);
    if (!read) return {std::nullopt, error};
    std::vector<int> numbers = std::move(*read);
    if (static_cast<int>(numbers.size()) != p.size)
        return {std::nullopt, std::string(p.name) + "每注" + std::to_string(p.size) + "个号码，“" +
                                  text + "”有" + std::to_string(numbers.size()) + "个"};
    std::vector<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        return {std::nullopt, "“" + text + "”中有重复的号码"};
    if (!p.ordered) numbers = sorted;
    Selection s;
    s.size = static_cast<std::uint8_t>(p.size);
    for (int k = 0; k < p.size; ++k) s.numbers[k] = static_cast<std::uint8_t>(numbers[k]);
    return {s, {}};
}

Prizes::Prizes() {
    for (const auto& p : kPlayTable) yuan[static_cast<size_t>(p.play)] = p.prize;
}

std::string prizesText(const Prizes& prizes) {
    std::string text;
    for (const auto& p : kPlayTable)
        text += (text.empty() ? "" : ",") + std::string(p.code) + "=" +
                std::to_string(prizes.of(p.play));
    return text;
}

ParsedPrizes parsePrizes(const std::string& text) {
    Prizes prizes;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(',', start);
        if (end == std::string::npos) end = text.size();
        std::string entry = text.substr(start, end - start);
        entry.erase(std::remove_if(entry.begin(), entry.end(),
                                   [](char c) { return c == ' ' || c == '\t'; }),
                    entry.end());
        start = end + 1;
        if (entry.empty()) continue;
        const size_t eq = entry.find('=');
        const auto play = eq == std::string::npos ? std::nullopt : playOfCode(entry.substr(0, eq));
        if (!play)
            return {std::nullopt, "奖金设置“" + entry +
                                      "”无法识别：应写成 玩法=奖金，玩法为 q1, r2..r8, q2d, q2g, "
                                      "q3d, q3g，例如 r2=6,r3=19"};
        int yuan = 0;
        const char* first = entry.data() + eq + 1;
        const char* last = entry.data() + entry.size();
        const auto [ptr, ec] = std::from_chars(first, last, yuan);
        if (first == last || ec != std::errc() || ptr != last || yuan < 1 || yuan > 100000000)
            return {std::nullopt,
                    "奖金设置“" + entry + "”中的奖金应是1到100000000之间的整数（元）"};
        prizes.yuan[static_cast<size_t>(*play)] = yuan;
    }
    return {prizes, {}};
}

} // namespace play
