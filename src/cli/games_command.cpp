// The games: games [--json] lists the games that have a history; games --all lists every game
// known with its schedule; --set, --add, --remove and --follow change the player's games.

#include "cli/commands.h"
#include "history/game_record.h"
#include "workspace/game_histories.h"
#include "workspace/game_service.h"
#include "workspace/json_text.h"

#include <filesystem>
#include <ostream>

namespace app {

namespace {

std::string periodText(int period) {
    return period == 0 ? std::string() : history::tenDigit(period);
}

int histories(CommandContext& c, bool json) {
    const GameHistories found = listGameHistories(c.workspace);
    for (const auto& problem : found.problems) c.err << problem << "\n";
    if (json) {
        Json list = Json::array();
        for (const GameHistory& g : found.games)
            list.push_back({{"code", static_cast<int>(g.game)},
                            {"name", history::gameName(g.game)},
                            {"draws", g.draws},
                            {"first", periodText(g.first)},
                            {"newest", periodText(g.newest)},
                            {"file", g.file}});
        printJson(list, c.out);
        return kExitOk;
    }
    for (const GameHistory& g : found.games)
        c.out << static_cast<int>(g.game) << "\t" << history::gameName(g.game) << "\t" << g.draws
              << "\t" << periodText(g.first) << "\t" << periodText(g.newest) << "\t" << g.file
              << "\n";
    return kExitOk;
}

std::string joined(const std::vector<std::string>& parts, const char* separator) {
    std::string text;
    for (const auto& part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

// Every game known, with its schedule, whether it is followed and whether it has a history file
// (only the files' presence is looked at: no draw is read).
int allGames(CommandContext& c, bool json) {
    const GameService service(c.workspace);
    const auto catalog = history::games();
    Json list = Json::array();
    for (const history::GameInfo& g : catalog->all()) {
        const std::string file = c.workspace.historyFileName(g.game);
        std::error_code error;
        const bool hasHistory = std::filesystem::is_regular_file(
            std::filesystem::path(c.workspace.dataDir()) / file, error);
        const auto& s = g.schedule;
        if (!json) {
            c.out << g.code() << "\t" << g.key << "\t" << g.name << "\t"
                  << (g.aliases.empty() ? "-" : joined(g.aliases, ",")) << "\t"
                  << history::clockTimeText(s.firstMinute) << "\t" << s.everyMinutes << "\t"
                  << s.drawsPerDay << "\t"
                  << history::timeOfDayText(history::dueMinute(s, s.drawsPerDay)) << "\t"
                  << (service.isFollowed(g.game) ? "关注" : "-") << "\t"
                  << (hasHistory ? file : "-")
                  << (g.playerAdded       ? "\t自己添加"
                      : g.scheduleChanged ? "\t时间已改"
                                          : "")
                  << "\n";
            continue;
        }
        list.push_back({{"code", g.code()},
                        {"key", g.key},
                        {"name", g.name},
                        {"aliases", g.aliases},
                        {"ids", g.idForm == history::IdForm::EightDigit ? 8 : 10},
                        {"first", history::clockTimeText(s.firstMinute)},
                        {"every", s.everyMinutes},
                        {"draws", s.drawsPerDay},
                        {"last", history::timeOfDayText(history::dueMinute(s, s.drawsPerDay))},
                        {"most", g.largestDrawNumber()},
                        {"followed", service.isFollowed(g.game)},
                        {"history", hasHistory},
                        {"file", file},
                        {"added", g.playerAdded},
                        {"changed", g.scheduleChanged}});
    }
    if (json) printJson(list, c.out);
    return kExitOk;
}

// The game an option names (a code, key, name or alias); a usage error naming the closest games
// otherwise.
const history::GameInfo& namedGame(const history::GameCatalog& catalog, const std::string& option,
                                   const std::string& text) {
    if (const auto* game = catalog.lookup(text)) return *game;
    throw UsageError{option + "：" + unknownGameText(catalog, text)};
}

struct ScheduleOptions {
    std::optional<int> first, every, draws;
};

ScheduleOptions scheduleOptions(const GivenOptions& given) {
    ScheduleOptions s;
    for (const auto& [name, value] : given) {
        if (name == "--first") {
            s.first = history::parseClockTime(value);
            if (!s.first)
                throw UsageError{"--first 后面要跟第一期的开奖时间 HH:MM（北京时间），不是“" +
                                 value + "”"};
        } else if (name == "--every") {
            s.every = static_cast<int>(wholeOptionValue(name, value, 1, 1440));
        } else if (name == "--draws") {
            s.draws = static_cast<int>(wholeOptionValue(name, value, 1, 999));
        }
    }
    return s;
}

int report(CommandContext& c, const Outcome& outcome) {
    if (!outcome.ok) {
        c.err << outcome.message << "\n";
        return kExitRefused;
    }
    if (!outcome.message.empty()) c.out << outcome.message << "\n";
    return kExitOk;
}

int games(CommandContext& c) {
    const bool json = c.given.has("--json");
    const auto catalog = history::games();
    GameService service(c.workspace);
    const ScheduleOptions schedule = scheduleOptions(c.given.options);
    std::optional<std::string> set, add, remove, follow;
    std::string name, key;
    std::vector<std::string> aliases;
    int ids = 10;
    for (const auto& [option, value] : c.given.options) {
        if (option == "--set") set = value;
        if (option == "--add") add = value;
        if (option == "--remove") remove = value;
        if (option == "--follow") follow = value;
        if (option == "--name") name = value;
        if (option == "--key") key = value;
        if (option == "--alias") aliases.push_back(value);
        if (option == "--ids") ids = static_cast<int>(wholeOptionValue(option, value, 8, 10));
    }
    const int changes = !!set + !!add + !!remove + !!follow;
    if (changes > 1) throw UsageError{"--set、--add、--remove 和 --follow 一次只能用一个"};
    const bool scheduleGiven = schedule.first || schedule.every || schedule.draws;
    if (scheduleGiven && !set && !add)
        throw UsageError{"--first、--every 和 --draws 要和 --set 或 --add 一起用"};
    if ((!name.empty() || !key.empty() || !aliases.empty() || c.given.has("--ids")) && !add)
        throw UsageError{"--name、--key、--alias 和 --ids 要和 --add 一起用"};
    if (set) {
        const history::GameInfo& game = namedGame(*catalog, "--set", *set);
        if (!scheduleGiven) throw UsageError{"--set 要跟 --first、--every 或 --draws"};
        history::DrawSchedule changed = game.schedule;
        changed.firstMinute = schedule.first.value_or(changed.firstMinute);
        changed.everyMinutes = schedule.every.value_or(changed.everyMinutes);
        changed.drawsPerDay = schedule.draws.value_or(changed.drawsPerDay);
        return report(c, service.setSchedule(game.game, changed));
    }
    if (add) {
        const bool digits = !add->empty() && add->size() <= 5 &&
                            add->find_first_not_of("0123456789") == std::string::npos;
        if (!digits) throw UsageError{"--add 后面要跟新彩种的编号（1到32767），不是“" + *add + "”"};
        if (name.empty()) throw UsageError{"--add 要跟 --name 名称"};
        if (!schedule.first || !schedule.every || !schedule.draws)
            throw UsageError{"--add 要跟 --first HH:MM、--every 分钟 和 --draws 每天期数"};
        if (ids != 8 && ids != 10) throw UsageError{"--ids 是 10 或 8"};
        history::GameInfo game;
        game.game = history::Game{std::stoi(*add)};
        game.name = name;
        game.key = key.empty() ? "g" + *add : key;
        game.aliases = aliases;
        game.idForm = ids == 8 ? history::IdForm::EightDigit : history::IdForm::TenDigit;
        game.schedule = {*schedule.first, *schedule.every, *schedule.draws};
        return report(c, service.addGame(std::move(game)));
    }
    if (remove) return report(c, service.removeGame(namedGame(*catalog, "--remove", *remove).game));
    if (follow) {
        std::vector<history::Game> chosen;
        size_t start = 0;
        while (start <= follow->size()) {
            const size_t end = std::min(follow->find(',', start), follow->size());
            chosen.push_back(
                namedGame(*catalog, "--follow", follow->substr(start, end - start)).game);
            start = end + 1;
        }
        return report(c, service.setFollowed(chosen));
    }
    if (c.given.has("--all")) return allGames(c, json);
    return histories(c, json);
}

} // namespace

void addGamesCommands(std::vector<CommandSpec>& table) {
    const std::string none;
    table.push_back(
        {"games",
         {.options =
              {{"--json", "", "以JSON输出", "[--all] [--json]"},
               {"--all", "",
                "列出全部彩种：编号、简称、名称、别名、首期、间隔、每天期数、末期、是否关注、历史文"
                "件",
                none},
               {"--set", "GAME", "修改彩种的开奖时间（与 --first/--every/--draws 一起用）",
                "| --set GAME [--first HH:MM] [--every MIN] [--draws N]"},
               {"--add", "CODE", "添加自己的彩种（与 --name、--first、--every、--draws 一起用）",
                "| --add CODE --name NAME [--key KEY] [--alias NAME]... [--ids 10|8] --first "
                "HH:MM --every MIN --draws N"},
               {"--remove", "GAME", "删除自己添加的彩种", "| --remove GAME"},
               {"--follow", "GAMES", "关注的彩种（彩种菜单），逗号分隔，例如 22,sd,广东11选5",
                "| --follow GAMES"},
               {"--first", "HH:MM", "第一期的开奖时间（北京时间）", none},
               {"--every", "MIN", "每期间隔的分钟数（1到120）", none},
               {"--draws", "N", "每天的期数（1到99）", none},
               {"--name", "NAME", "新彩种的名称", none},
               {"--key", "KEY", "新彩种的简称（网址中的 {key}）", none},
               {"--alias", "NAME", "新彩种的别名（可以写几次）", none},
               {"--ids", "10|8", "新彩种期号的位数（默认10）", none}}},
         false,
         games});
}

} // namespace app
