#include "workspace/omission_alerts.h"

#include "history/period.h"
#include "play/play_table.h"
#include "search/omission.h"
#include "search/tally.h"

#include <charconv>
#include <cstdio>
#include <sstream>
#include <string_view>

namespace app {

namespace {

const char* kKindNames[] = {"number", "zodiac", "head", "tail", "sum", "segment"};
const char* kKindLabels[] = {"号码", "生肖", "头数", "尾数", "合数", "段数"};

std::string figureText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

std::optional<double> parseFigure(const std::string& text) {
    if (text.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0) || value > 1e9)
        return std::nullopt;
    return value;
}

std::string twoDigits(int value) {
    return std::string(value < 10 ? "0" : "") + std::to_string(value);
}

std::string valueText(const AlertRule& rule, int value) {
    return rule.kind == history::Number ? twoDigits(value) : std::to_string(value);
}

// Bytes a rule never holds: the replacement character of undecodable bytes, control characters.
bool textOnly(const std::string& text) {
    if (text.find("\xEF\xBF\xBD") != std::string::npos) return false;
    for (const unsigned char c : text)
        if (c == 0x7F || (c < 0x20 && c != '\t')) return false;
    return true;
}

// Why value is none of the kind's values low..high; nothing when it is one of them.
std::optional<std::string> outsideValues(history::Kind kind, int value, int low, int high) {
    if (value >= low && value <= high) return std::nullopt;
    return std::string(kKindLabels[kind]) + "的值是" + std::to_string(low) + "到" +
           std::to_string(high) + "，没有“" + std::to_string(value) + "”";
}

// The rule as the reader takes it apart: ≥ as >=, full-width blanks and commas as ASCII ones, no
// blanks around >= ("遗漏 >= 23").
std::string plainRuleText(const std::string& typed) {
    std::string text;
    for (size_t i = 0; i < typed.size();) {
        const auto rest = std::string_view(typed).substr(i);
        if (rest.starts_with("≥")) {
            text += ">=";
            i += std::string_view("≥").size();
        } else if (rest.starts_with("\u3000")) { // full-width blank
            text += ' ';
            i += 3;
        } else if (rest.starts_with("，") || rest.starts_with("、")) {
            text += ',';
            i += 3;
        } else {
            text += typed[i++];
        }
    }
    for (;;) {
        const auto at = text.find(">=");
        const auto blankBefore = text.find(" >=");
        const auto blankAfter = text.find(">= ");
        if (at == std::string::npos ||
            (blankBefore == std::string::npos && blankAfter == std::string::npos))
            break;
        if (blankBefore != std::string::npos)
            text.erase(blankBefore, 1);
        else
            text.erase(blankAfter + 2, 1);
    }
    return text;
}

// A play by its code (q1) or its name (前一).
std::optional<play::Play> playOfWord(const std::string& word) {
    if (auto play = play::playOfCode(word)) return play;
    for (const auto& p : play::plays())
        if (word == p.name) return p.play;
    return std::nullopt;
}

// A kind at a position in words: 号码第1位, 尾数任意位.
std::optional<std::pair<history::Kind, int>> kindOfWords(const std::string& word) {
    for (int k = 0; k < history::kKinds; ++k) {
        const std::string label = kKindLabels[k];
        if (!word.starts_with(label)) continue;
        const std::string at = word.substr(label.size());
        if (at == "任意位") return std::pair{history::Kind(k), 0};
        for (int p = 1; p <= 5; ++p)
            if (at == "第" + std::to_string(p) + "位") return std::pair{history::Kind(k), p};
    }
    return std::nullopt;
}
// streak:SHAPE[:POSITION]>=N, N a whole number of 2..1000.
ParsedRule parseStreakRule(const std::string& text) {
    const std::string body = text.substr(7);
    const auto ge = body.find(">=");
    if (ge == std::string::npos)
        return {std::nullopt, "长龙提醒要写成 streak:形态[:位置]>=N，例如 streak:big:1>=8"};
    const auto kind = search::parseStreakKind(body.substr(0, ge));
    if (!kind.kind) return {std::nullopt, kind.error};
    const std::string length = body.substr(ge + 2);
    int n = 0;
    const auto [end, error] = std::from_chars(length.data(), length.data() + length.size(), n);
    if (length.empty() || error != std::errc() || end != length.data() + length.size() || n < 2 ||
        n > 1000)
        return {std::nullopt, "长龙的长度要是2到1000的整数：" + text};
    AlertRule rule;
    rule.streak = kind.kind;
    rule.threshold = n;
    return {rule, {}};
}

} // namespace

ParsedRule parseAlertRule(const std::string& typed) {
    const auto start = typed.find_first_not_of(" \t");
    if (start != std::string::npos && typed.compare(start, 7, "streak:") == 0) {
        const auto last = typed.find_last_not_of(" \t");
        return parseStreakRule(typed.substr(start, last + 1 - start));
    }
    std::istringstream in(plainRuleText(typed));
    std::string what, selection, threshold, extra;
    in >> what >> selection >> threshold;
    if (threshold.empty() || (in >> extra))
        return {std::nullopt, "提醒规则要写成“玩法 选号 条件”三部分，例如 q1 any current>=30 或 "
                              "前一 01 遗漏>=23"};
    AlertRule rule;
    if (auto play = playOfWord(what)) {
        rule.play = play;
    } else if (auto spoken = kindOfWords(what)) {
        rule.kind = spoken->first;
        rule.position = spoken->second;
    } else {
        const auto at = what.find('@');
        const std::string kind = what.substr(0, at);
        const std::string position = at == std::string::npos ? "" : what.substr(at + 1);
        int found = -1;
        for (int k = 0; k < history::kKinds; ++k)
            if (kind == kKindNames[k]) found = k;
        if (found < 0 || position.empty())
            return {std::nullopt, "没有这个玩法：" + what +
                                      "（q1、r2…r8、q2d、q2g、q3d、q3g 或 前一、任二…前三组选，"
                                      "或 number@1、tail@any、号码第1位、尾数任意位 等）"};
        rule.kind = history::Kind(found);
        if (position == "any")
            rule.position = 0;
        else if (position.size() == 1 && position[0] >= '1' && position[0] <= '5')
            rule.position = position[0] - '0';
        else
            return {std::nullopt, "位置要写成 1 到 5 或 any：" + what};
    }
    if (selection != "any" && selection != "任意") {
        if (rule.play) {
            std::string spaced = selection;
            for (char& c : spaced)
                if (c == ',') c = ' ';
            const auto parsed = play::parseSelection(*rule.play, spaced);
            if (!parsed.selection) return {std::nullopt, parsed.error};
            rule.selection = play::selectionText(*parsed.selection);
        } else {
            int value = 0;
            const auto [end, error] =
                std::from_chars(selection.data(), selection.data() + selection.size(), value);
            if (error != std::errc() || end != selection.data() + selection.size() || value < 0 ||
                value > 99)
                return {std::nullopt, "选号要写成一个值或 any：" + selection};
            // A value the kind never takes, under either base of zodiac and segment values,
            // would wait for ever.
            const auto zeroBased = search::resultValues(rule.kind, 0, 0);
            const auto oneBased = search::resultValues(rule.kind, 1, 1);
            if (auto problem = outsideValues(rule.kind, value, zeroBased.front(), oneBased.back()))
                return {std::nullopt, *problem};
            rule.selection = std::to_string(value);
        }
    }
    const auto ge = threshold.find(">=");
    const std::string measure = threshold.substr(0, ge);
    const auto figure =
        ge == std::string::npos ? std::nullopt : parseFigure(threshold.substr(ge + 2));
    const bool byCurrent = measure == "current" || measure == "本次遗漏" || measure == "遗漏";
    const bool byRatio =
        measure == "ratio" || measure == "本次遗漏÷平均遗漏" || measure == "欲出几率";
    if (!figure || (!byCurrent && !byRatio))
        return {std::nullopt, "条件要写成 current>=N（遗漏>=N）或 ratio>=r（欲出几率>=r），N、r "
                              "为正数：" +
                                  threshold};
    rule.byRatio = byRatio;
    rule.threshold = *figure;
    return {rule, {}};
}

std::optional<std::string> alertValueProblem(const AlertRule& rule, int zodiacBase,
                                             int segmentBase) {
    if (rule.play || rule.selection.empty()) return std::nullopt;
    const auto values = search::resultValues(rule.kind, zodiacBase, segmentBase);
    return outsideValues(rule.kind, std::stoi(rule.selection), values.front(), values.back());
}

std::string alertRuleText(const AlertRule& rule) {
    if (rule.streak)
        return "streak:" + search::streakKindText(*rule.streak) + ">=" + figureText(rule.threshold);
    std::string text = rule.play ? play::info(*rule.play).code
                                 : std::string(kKindNames[rule.kind]) + "@" +
                                       (rule.position ? std::to_string(rule.position) : "any");
    std::string selection = rule.selection.empty() ? "any" : rule.selection;
    for (char& c : selection)
        if (c == ' ') c = ',';
    return text + " " + selection + " " + (rule.byRatio ? "ratio>=" : "current>=") +
           figureText(rule.threshold);
}

std::string alertRuleLabel(const AlertRule& rule) {
    if (rule.streak)
        return "长龙 " + search::streakKindCaption(*rule.streak) +
               " 连开>=" + figureText(rule.threshold) + "期";
    std::string text =
        rule.play ? play::info(*rule.play).code
                  : std::string(kKindLabels[rule.kind]) +
                        (rule.position ? "第" + std::to_string(rule.position) + "位" : "任意位");
    std::string selection = rule.selection.empty() ? "任意" : rule.selection;
    for (char& c : selection)
        if (c == ' ') c = ',';
    return text + " " + selection + " " + (rule.byRatio ? "本次遗漏÷平均遗漏>=" : "本次遗漏>=") +
           figureText(rule.threshold);
}

std::string alertRuleWords(const AlertRule& rule) {
    if (rule.streak) return alertRuleText(rule);
    std::string text =
        rule.play ? play::info(*rule.play).name
                  : std::string(kKindLabels[rule.kind]) +
                        (rule.position ? "第" + std::to_string(rule.position) + "位" : "任意位");
    std::string selection = rule.selection.empty() ? "任意" : rule.selection;
    for (char& c : selection)
        if (c == ' ') c = ',';
    return text + " " + selection + " " + (rule.byRatio ? "欲出几率≥" : "遗漏≥") +
           figureText(rule.threshold);
}

std::vector<AlertRule> parseAlertRules(const std::string& setting) {
    std::vector<AlertRule> rules;
    std::istringstream in(setting);
    std::string item;
    while (std::getline(in, item, ';'))
        if (auto parsed = parseAlertRule(item); parsed.rule) rules.push_back(*parsed.rule);
    return rules;
}

std::string alertRulesText(const std::vector<AlertRule>& rules) {
    std::string text;
    for (const auto& rule : rules) text += (text.empty() ? "" : ";") + alertRuleText(rule);
    return text;
}

std::vector<AlertRuleItem> alertRuleItems(const std::string& setting) {
    std::vector<AlertRuleItem> items;
    std::istringstream in(setting);
    std::string item;
    while (std::getline(in, item, ';')) {
        AlertRuleItem read{item, std::nullopt, {}};
        if (!textOnly(item)) {
            read.error = "已损坏，含有不是文字的字节";
            read.damaged = true;
        } else if (auto parsed = parseAlertRule(item); parsed.rule) {
            read.rule = parsed.rule;
            read.text = alertRuleText(*parsed.rule);
        } else {
            read.error = parsed.error;
        }
        items.push_back(std::move(read));
    }
    return items;
}

std::string alertItemsText(const std::vector<AlertRuleItem>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i ? ";" : "") + items[i].text;
    return text;
}

std::string unreadableRuleText(size_t number, const AlertRuleItem& item) {
    // Control characters are shown as codes, never sent to the terminal.
    std::string shown;
    for (const char c : item.text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0x7F || (byte < 0x20 && c != '\t')) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", byte);
            shown += code;
        } else {
            shown += c;
        }
    }
    return "第" + std::to_string(number) + "条提醒规则无法读取（" + item.error + "），保留原样：" +
           shown;
}

search::OmissionRequest omissionRequest(const AlertRule& rule, const AlertHistory& history) {
    search::OmissionRequest request;
    request.kind = rule.kind;
    request.position = rule.position;
    request.spanStart = history.rows.front().period;
    request.spanEnd = history.rows[history.end - 1].period;
    request.zodiacBase = history.zodiacBase;
    request.segmentBase = history.segmentBase;
    return request;
}

std::vector<AlertSelection> meetingSelections(const AlertRule& rule, const AlertHistory& history) {
    std::vector<AlertSelection> met;
    if (history.end == 0) return met;
    if (rule.streak) {
        const auto run = search::currentRun(*rule.streak, history.rows, history.end);
        if (static_cast<double>(run.length) < rule.threshold) return met;
        AlertSelection s{search::streakValueLabel(*rule.streak, run.value),
                         static_cast<std::int64_t>(run.length), 0};
        s.since = history.rows[run.first].period;
        s.dayDraws = history.drawsPerDay;
        s.chance = search::streakChanceInDay(*rule.streak, static_cast<int>(run.length),
                                             history.drawsPerDay);
        met.push_back(std::move(s));
        return met;
    }
    const auto meets = [&rule](std::int64_t current, double average) {
        const double measure = rule.byRatio ? (average > 0 ? current / average : 0) : current;
        return measure >= rule.threshold;
    };
    if (rule.play) {
        const play::PlayTable table(play::selectionsOf(*rule.play), history.rows, 0, history.end);
        const auto& selections = table.selections();
        for (size_t i = 0; i < selections.size(); ++i) {
            const std::string text = play::selectionText(selections[i]);
            if (!rule.selection.empty() && text != rule.selection) continue;
            const auto& figures = table.figures()[i];
            if (meets(figures.current, figures.average))
                met.push_back({text, figures.current, figures.average});
        }
        return met;
    }
    const search::OmissionTable table(history.rows, omissionRequest(rule, history), history.zodiac);
    for (const auto& value : table.summary()) {
        if (!rule.selection.empty() && std::to_string(value.value) != rule.selection) continue;
        if (meets(value.current, value.average))
            met.push_back({valueText(rule, value.value), value.current, value.average});
    }
    return met;
}

std::string runChanceText(double chance) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3g%%", chance * 100);
    return buffer;
}

std::string streakAlertNotice(const AlertRule& rule, const AlertSelection& selection,
                              const std::string& game) {
    const std::string length = std::to_string(selection.current);
    return "长龙提醒 " + (game.empty() ? "" : game + " ") +
           (rule.streak ? search::streakKindCaption(*rule.streak) : std::string()) + "：" +
           selection.selection + " 连开" + length + "期（自第" +
           history::tenDigit(selection.since) + "期起），一天" +
           std::to_string(selection.dayDraws) + "期中出现" + length + "期以上长龙的概率" +
           runChanceText(selection.chance);
}

} // namespace app
