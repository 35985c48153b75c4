#pragma once
// Omission alerts (遗漏提醒): rules that watch how long a selection has stayed away. A rule names
// a play (前一, 任二 … 前三组选) or a kind at a position (or any position) of the omission view, a
// selection (one ticket, one value, or 任意: every selection) and a threshold: 本次遗漏 ≥ N, or
// 本次遗漏 ÷ 平均遗漏 ≥ r, both over the whole history. A rule fires for a selection when a new
// draw makes it cross the threshold: not met before the draw, met after.
//
// Written form (the command line and the AlertRules setting, rules joined by ";"):
//     q1 any current>=30      r2 03,07 ratio>=2.5      number@1 7 current>=20      tail@any any
//     current>=12
// The reader also takes the words players use, as the window shows a rule: 前一 01 遗漏>=23,
// 任二 03,07 欲出几率≥2.5, 号码第1位 7 遗漏>=20, 尾数任意位 任意 遗漏>=12.
//
// A streak rule (长龙提醒) watches a run of one value of a shape (search/streak.h) reaching a
// length: streak:big:1>=8, streak:sum5>=6. It holds for every game; its selection is the value of
// the run in progress.

#include "history/attributes.h"
#include "history/history_table.h"
#include "history/zodiac.h"
#include "play/plays.h"
#include "search/omission.h"
#include "search/streak.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace app {

struct AlertRule {
    std::optional<play::Play> play; // else a kind at a position
    history::Kind kind = history::Number;
    int position = 0;      // 1..5, 0 for any position
    std::string selection; // empty: 任意; a ticket "03 07" or a value "7"
    bool byRatio = false; // 本次遗漏 ÷ 平均遗漏 ≥ threshold, else 本次遗漏 ≥ threshold
    double threshold = 0;
    std::optional<search::StreakKind> streak; // a streak rule: threshold is the run's length
};

struct ParsedRule {
    std::optional<AlertRule> rule;
    std::string error;
};
// A value outside every value its kind takes (number 12) is refused.
ParsedRule parseAlertRule(const std::string& text);
// Why the rule's value is none of those its kind takes under the current bases of the zodiac and
// segment values (zodiac 0 when they start at 1); nothing when it is one of them.
std::optional<std::string> alertValueProblem(const AlertRule& rule, int zodiacBase,
                                             int segmentBase);
// The written form, which parseAlertRule reads back.
std::string alertRuleText(const AlertRule& rule);
// As the command line lists it: "q1 任意 本次遗漏>=30".
std::string alertRuleLabel(const AlertRule& rule);
// In the words of players, as the window shows it: "前一 任意 遗漏≥30", "号码第1位 7 欲出几率≥2.5";
// parseAlertRule reads it back.
std::string alertRuleWords(const AlertRule& rule);

// The rules of the AlertRules setting; rules that cannot be read are left out.
std::vector<AlertRule> parseAlertRules(const std::string& setting);
std::string alertRulesText(const std::vector<AlertRule>& rules);

// Each item of the AlertRules setting in its order: a rule, or an item that cannot be read, with
// its text as stored and why (one whose bytes are not text is damaged). Such an item is kept in
// the setting as it is until it is removed.
struct AlertRuleItem {
    std::string text;
    std::optional<AlertRule> rule;
    std::string error;
    bool damaged = false;
};
std::vector<AlertRuleItem> alertRuleItems(const std::string& setting);
// The setting's text: the rules in their written form, the other items as they are.
std::string alertItemsText(const std::vector<AlertRuleItem>& items);
// "第2条提醒规则无法读取（why），保留原样：text", control characters shown as \x1B.
std::string unreadableRuleText(size_t number, const AlertRuleItem& item);

struct AlertSelection {
    std::string selection; // "07", "03 07", the value
    std::int64_t current = 0;
    double average = 0;
    // A streak rule's run: its first period, and the exact chance of a run at least as long
    // somewhere in a day of dayDraws random draws.
    std::int32_t since = 0;
    double chance = 0;
    int dayDraws = 0;
};

// Where a rule is evaluated: the first `end` rows of the history, under the settings' bases.
struct AlertHistory {
    const std::vector<history::HistoryRow>& rows;
    size_t end;
    const history::Zodiac& zodiac;
    int zodiacBase = 1;
    int segmentBase = 1;
    int drawsPerDay = 84; // for the chance of a run
};

// The omission table a kind rule reads: its kind and position over the history's first `end`
// rows (not empty), under its bases.
search::OmissionRequest omissionRequest(const AlertRule& rule, const AlertHistory& history);

// The selections that meet the rule over the history's first `end` rows.
std::vector<AlertSelection> meetingSelections(const AlertRule& rule, const AlertHistory& history);

struct FiredAlert {
    size_t rule = 0;          // index into the rules
    AlertSelection selection; // its figures right after the draw that made it cross
    size_t row = 0;           // that draw's row
    int period = 0;           // and its period (stored form)
};
// Every crossing of a rule's threshold by the rows from `before` on, draw by draw: a selection
// crosses at a draw when it meets the rule after that draw and did not after the draw before it.
// Each crossing is told once (one that stays over is not told again; one that falls back and
// crosses again is told again), in the order of the draws, then of the rules and selections.
std::vector<FiredAlert> crossedAlerts(const std::vector<AlertRule>& rules,
                                      const AlertHistory& history, size_t before);

// "遗漏提醒 第2025020961期：前一 任意 遗漏≥30，07 遗漏33期"; the period as the game's grid shows
// it.
std::string alertNotice(const AlertRule& rule, const FiredAlert& fired,
                        const std::string& periodText);
// A streak rule's notice, naming the game when given: "长龙提醒 江西11选5 第1位大小：大 连开8期
// （自第2025020901期起），一天84期中出现8期以上长龙的概率30.8%".
std::string streakAlertNotice(const AlertRule& rule, const AlertSelection& selection,
                              const std::string& game = {});
// The chance of a run as the notices show it: "30.8%", "0.0312%".
std::string runChanceText(double chance);

} // namespace app
