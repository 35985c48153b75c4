#include "workspace/settings_games.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace app {

namespace {

std::optional<int> wholeNumber(const std::string& raw) {
    const auto first = raw.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const std::string text = raw.substr(first, raw.find_last_not_of(" \t") - first + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

} // namespace

// The games followed: codes of known games, at least one, none twice.
std::optional<std::string> putFollowed(Settings& s, const std::string& text) {
    std::vector<history::Game> followed;
    const auto catalog = history::games();
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ',')) {
        const auto* game = catalog->lookup(item);
        if (!game) return "FollowedGames：没有彩种“" + item + "”";
        if (std::find(followed.begin(), followed.end(), game->game) != followed.end())
            return "FollowedGames：" + game->name + "写了两次";
        followed.push_back(game->game);
    }
    if (followed.empty()) return "FollowedGames：至少要关注一个彩种";
    s.followedGames = std::move(followed);
    return std::nullopt;
}

std::optional<std::string> putGameSchedules(Settings& s, const std::string& text) {
    std::map<int, history::DrawSchedule> schedules;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ';')) {
        const auto equals = item.find('=');
        const auto schedule =
            equals == std::string::npos ? std::nullopt : readScheduleItem(item.substr(equals + 1));
        int code = 0;
        const auto [end, error] = std::from_chars(item.data(), item.data() + equals, code);
        if (!schedule || error != std::errc() || end != item.data() + equals)
            return "GameSchedules：无法读取“" + item + "”（应为 编号=HH:MM/间隔/每天期数）";
        if (auto problem = history::scheduleProblem(*schedule))
            return "GameSchedules：" + item + "：" + *problem;
        schedules[code] = *schedule;
    }
    s.gameSchedules = std::move(schedules);
    return std::nullopt;
}

std::optional<std::string> putAddedGames(Settings& s, const std::string& text) {
    std::vector<history::GameInfo> added;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ';')) {
        history::GameInfo game;
        if (auto problem = history::readGameLine(item, game))
            return "AddedGames：" + item + "：" + *problem;
        game.playerAdded = true;
        added.push_back(std::move(game));
    }
    s.addedGames = std::move(added);
    return std::nullopt;
}

std::optional<history::DrawSchedule> readScheduleItem(const std::string& text) {
    const auto slash = text.find('/');
    const auto second = text.find('/', slash + 1);
    if (slash == std::string::npos || second == std::string::npos) return std::nullopt;
    const auto first = history::parseClockTime(text.substr(0, slash));
    const auto every = wholeNumber(text.substr(slash + 1, second - slash - 1));
    const auto draws = wholeNumber(text.substr(second + 1));
    if (!first || !every || !draws) return std::nullopt;
    return history::DrawSchedule{*first, *every, *draws};
}

std::string scheduleItemText(const history::DrawSchedule& schedule) {
    return history::clockTimeText(schedule.firstMinute) + "/" +
           std::to_string(schedule.everyMinutes) + "/" + std::to_string(schedule.drawsPerDay);
}

std::map<int, history::DrawSchedule> readGameSchedules(const std::string& text) {
    std::map<int, history::DrawSchedule> schedules;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ';')) {
        const auto equals = item.find('=');
        if (equals == std::string::npos) continue;
        const auto code = wholeNumber(item.substr(0, equals));
        const auto schedule = readScheduleItem(item.substr(equals + 1));
        if (code && schedule && !history::scheduleProblem(*schedule)) schedules[*code] = *schedule;
    }
    return schedules;
}

std::string gameSchedulesText(const std::map<int, history::DrawSchedule>& schedules) {
    std::string text;
    for (const auto& [code, schedule] : schedules)
        text += (text.empty() ? "" : ";") + std::to_string(code) + "=" + scheduleItemText(schedule);
    return text;
}

std::vector<history::GameInfo> readAddedGames(const std::string& text) {
    std::vector<history::GameInfo> games;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ';')) {
        history::GameInfo game;
        if (history::readGameLine(item, game)) continue;
        game.playerAdded = true;
        games.push_back(std::move(game));
    }
    return games;
}

std::string addedGamesText(const std::vector<history::GameInfo>& games) {
    std::string text;
    for (const auto& game : games) text += (text.empty() ? "" : ";") + history::gameLineText(game);
    return text;
}

std::string followedText(const std::vector<history::Game>& games) {
    std::string text;
    for (auto game : games)
        text += (text.empty() ? "" : ",") + std::to_string(static_cast<int>(game));
    return text;
}

std::vector<history::Game> readFollowed(const std::string& text) {
    std::vector<history::Game> games;
    std::stringstream items(text);
    std::string item;
    while (std::getline(items, item, ','))
        if (const auto code = wholeNumber(item); code && *code > 0)
            games.push_back(history::Game{*code});
    return games;
}

} // namespace app
