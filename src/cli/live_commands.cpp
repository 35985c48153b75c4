// The draw clock and the omission alerts from the command line: clock [--json] [--at TIME],
// alerts [--json] [--add RULE] [--remove N].

#include "cli/live_commands.h"
#include "cli/commands.h"
#include "history/period.h"
#include "workspace/draw_clock.h"
#include "workspace/json_text.h"
#include "workspace/live_service.h"

#include <ostream>

namespace app {

std::optional<SystemTime> parseBeijingMoment(const std::string& text) {
    // YYYY-MM-DDTHH:MM or YYYY-MM-DDTHH:MM:SS (a space may stand for the T).
    if ((text.size() != 16 && text.size() != 19) || (text[10] != 'T' && text[10] != ' '))
        return std::nullopt;
    const history::Date day = history::parseIsoDay(text.substr(0, 10));
    const auto minute = history::parseClockTime(text.substr(11, 5));
    if (!day.ok() || !minute) return std::nullopt;
    int seconds = 0;
    if (text.size() == 19) {
        const char a = text[17], b = text[18];
        if (text[16] != ':' || a < '0' || a > '5' || b < '0' || b > '9') return std::nullopt;
        seconds = (a - '0') * 10 + (b - '0');
    }
    return beijingMoment(day, *minute) + std::chrono::seconds(seconds);
}

int newestStoredPeriod(Workspace& workspace) {
    return workspace.newestStoredPeriod();
}

namespace {

int clock(CommandContext& c) {
    bool json = false;
    SystemTime now = std::chrono::system_clock::now();
    for (const auto& [a, text] : c.given.options) {
        if (a == "--json") {
            json = true;
        } else if (a == "--at") {
            const auto at = parseBeijingMoment(text);
            if (!at)
                throw UsageError{"--at 后面要跟北京时间 年-月-日T时:分[:秒]，例如 "
                                 "2016-09-08T10:05，不是“" +
                                 text + "”"};
            // Period ids hold two digits of the year: another century has no period of its own.
            const int year = static_cast<int>(beijingDay(*at).year());
            if (year < 2000 || year > 2099)
                throw UsageError{"--at 的年份要在2000到2099之间（期号只记年份的后两位），不是“" +
                                 text + "”"};
            now = *at;
        }
    }
    const history::Game game = c.workspace.settings().game;
    const ClockReading reading = readClock(now, game, c.workspace.settings().schedule(game),
                                           newestStoredPeriod(c.workspace));
    c.out << (json ? clockJson(reading, game) : reading.text) << "\n";
    return kExitOk;
}

int alerts(CommandContext& c) {
    bool json = false;
    LiveService live(c.workspace);
    for (const auto& [a, value] : c.given.options) {
        if (a == "--json") {
            json = true;
        } else if (a == "--add") {
            if (auto added = live.addRule(value); !added.ok) {
                c.err << added.message << "\n";
                return kExitRefused;
            }
        } else if (a == "--remove") {
            const std::string& n = value;
            const bool digits = !n.empty() && n.size() < 6 &&
                                n.find_first_not_of("0123456789") == std::string::npos;
            if (!digits || std::stoi(n) < 1)
                throw UsageError{"--remove 后面要跟提醒规则的序号（alerts 列出的第一列），不是“" +
                                 n + "”"};
            if (auto removed = live.removeRule(static_cast<size_t>(std::stoi(n) - 1));
                !removed.ok) {
                c.err << removed.message << "\n";
                return kExitRefused;
            }
        }
    }
    // Items are numbered as they are stored, so that --remove N names the same one; those that
    // cannot be read are named on stderr and stay until removed.
    if (const auto problem = c.workspace.settingsFile().unreadableLines())
        c.err << *problem << "\n";
    const auto items = live.ruleItems();
    Json list = Json::array();
    for (size_t r = 0; r < items.size(); ++r) {
        if (!items[r].rule) {
            c.err << unreadableRuleText(r + 1, items[r]) << "（用 alerts --remove " << r + 1
                  << " 删除）\n";
            continue;
        }
        const AlertRule& rule = *items[r].rule;
        const auto met = live.meetingNow(rule);
        if (json) {
            Json selections = Json::array();
            for (const auto& m : met) {
                if (rule.streak) {
                    selections.push_back({{"selection", m.selection},
                                          {"current", m.current},
                                          {"since", history::tenDigit(m.since)},
                                          {"chance", roundedSignificant(m.chance, 4)}});
                    continue;
                }
                selections.push_back({{"selection", m.selection},
                                      {"current", m.current},
                                      {"average", roundedDecimals(m.average, 1)}});
            }
            list.push_back({{"rule", alertRuleLabel(rule)}, {"selections", selections}});
            continue;
        }
        c.out << r + 1 << "\t" << alertRuleLabel(rule) << "\t";
        for (size_t i = 0; i < met.size(); ++i) {
            c.out << (i ? " " : "") << met[i].selection << "(" << met[i].current << ")";
            // A run: since which period, and how often a day holds one as long.
            if (rule.streak)
                c.out << " 自" << history::tenDigit(met[i].since) << "期起 一天中出现的概率"
                      << runChanceText(met[i].chance);
        }
        c.out << "\n";
    }
    if (json) printJson(list, c.out);
    return kExitOk;
}

} // namespace

void addLiveCommands(std::vector<CommandSpec>& table) {
    table.push_back(
        {"clock",
         {.options = {{"--json", "", "以JSON输出"},
                      {"--at", "YYYY-MM-DDTHH:MM[:SS]", "当作现在的北京时间", std::nullopt, false,
                       "--at 后面要跟北京时间 年-月-日T时:分[:秒]"}}},
         false,
         clock});
    table.push_back({"alerts",
                     {.options = {{"--json", "", "以JSON输出"},
                                  {"--add", "RULE", "加一条提醒规则"},
                                  {"--remove", "N", "删去第N条提醒规则"}}},
                     true,
                     alerts});
    addHallCommand(table);
}

} // namespace app
