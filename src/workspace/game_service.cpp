#include "workspace/game_service.h"

#include "history/game_record.h"
#include "workspace/settings_games.h"

#include <QCoreApplication>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace app {

namespace {

// What a game code is called in messages: "山东11选5（1037）".
std::string called(history::Game game) {
    return history::gameName(game) + "（" + std::to_string(static_cast<int>(game)) + "）";
}

} // namespace

std::string installedGameTablePath() {
    if (!QCoreApplication::instance()) return {};
    namespace fs = std::filesystem;
    const fs::path program = QCoreApplication::applicationDirPath().toStdString();
    std::error_code error;
    for (const fs::path& candidate :
         {program / "games.tsv", program.parent_path() / "share" / "kelvora11s5" / "games.tsv"})
        if (fs::exists(candidate, error)) return candidate.string();
    return {};
}

const ShippedGames& shippedGames(const std::string& path) {
    static std::mutex mutex;
    static std::map<std::string, ShippedGames> read;
    std::lock_guard lock(mutex);
    const std::string file = path.empty() ? installedGameTablePath() : path;
    if (const auto found = read.find(file); found != read.end()) return found->second;
    ShippedGames shipped;
    shipped.catalog = history::builtInGames();
    if (!file.empty()) {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::vector<history::CatalogProblem> problems;
        if (!in) {
            problems.push_back({file, 0, "无法读取"});
        } else if (auto parsed = history::GameCatalog::parse(text.str(), file, problems)) {
            shipped.catalog = std::move(*parsed);
            shipped.source = file;
        }
        for (const auto& problem : problems)
            shipped.problems.push_back("彩种表 " + problem.text() +
                                       "。这次使用程序内置的彩种表；你修改过的开奖时间和添加的"
                                       "彩种都还在设置里。");
    }
    return read.emplace(file, std::move(shipped)).first->second;
}

history::GameCatalog gamesWithChanges(const history::GameCatalog& shipped,
                                      const Settings& settings) {
    history::GameCatalog catalog = shipped;
    for (history::GameInfo game : settings.addedGames) {
        game.playerAdded = true;
        if (!catalog.problemAdding(game)) catalog = catalog.withGame(std::move(game));
    }
    for (const auto& [code, schedule] : settings.gameSchedules)
        if (catalog.find(history::Game{code}) && !history::scheduleProblem(schedule))
            catalog = catalog.withSchedule(history::Game{code}, schedule);
    for (size_t i = 0; i < settings.drawTimes.size(); ++i) {
        const history::Game game = history::kFirstGames[i];
        const auto& times = settings.drawTimes[i];
        if (!catalog.find(game) || (!times.first && !times.every)) continue;
        history::DrawSchedule schedule = catalog.schedule(game);
        schedule.firstMinute = times.first.value_or(schedule.firstMinute);
        schedule.everyMinutes = times.every.value_or(schedule.everyMinutes);
        if (!history::scheduleProblem(schedule)) catalog = catalog.withSchedule(game, schedule);
    }
    return catalog;
}

std::vector<history::Game> followedGames(const Workspace& workspace) {
    const auto catalog = history::games();
    std::vector<history::Game> games;
    for (auto game : workspace.settings().followedGames)
        if (catalog->find(game) && std::find(games.begin(), games.end(), game) == games.end())
            games.push_back(game);
    if (games.empty())
        for (auto game : history::kFirstGames)
            if (catalog->find(game)) games.push_back(game);
    return games;
}

std::vector<history::Game> GameService::followed() const {
    return followedGames(workspace_);
}

bool GameService::isFollowed(history::Game game) const {
    const auto games = followed();
    return std::find(games.begin(), games.end(), game) != games.end();
}

Outcome GameService::setSchedule(history::Game game, const history::DrawSchedule& schedule) {
    const auto catalog = history::games();
    if (!catalog->find(game))
        return Outcome::failure("没有编号为" + std::to_string(static_cast<int>(game)) +
                                "的彩种，开奖时间没有保存。");
    if (auto problem = history::scheduleProblem(schedule))
        return Outcome::failure(called(game) + "的开奖时间不能这样设：" + *problem +
                                "。开奖时间没有改变。");
    auto& file = workspace_.settingsFile();
    Settings& values = file.mutableValues();
    values.gameSchedules[static_cast<int>(game)] = schedule;
    std::optional<std::string> problem = file.save("GameSchedules");
    // The draw times of the four first games go over GameSchedules: they take the same times
    // (an older version of the program reads those).
    for (size_t i = 0; i < 4; ++i) {
        if (history::kFirstGames[i] != game || problem) continue;
        values.drawTimes[i] = {schedule.firstMinute, schedule.everyMinutes};
        const std::string code = std::to_string(static_cast<int>(game));
        problem = file.save("DrawFirst" + code);
        if (!problem) problem = file.save("DrawEvery" + code);
    }
    workspace_.gamesChanged();
    if (problem) return Outcome::failure(*problem);
    return Outcome::success(called(game) + "：" + history::scheduleText(schedule));
}

Outcome GameService::resetSchedule(history::Game game) {
    const auto& shipped = shippedGames(workspace_.options().gameTable.value_or(""));
    const history::GameInfo* info = shipped.catalog.find(game);
    if (!info) {
        for (const auto& added : workspace_.settings().addedGames)
            if (added.game == game) return setSchedule(game, added.schedule);
        return Outcome::failure("没有编号为" + std::to_string(static_cast<int>(game)) + "的彩种。");
    }
    return setSchedule(game, info->schedule);
}

Outcome GameService::addGame(history::GameInfo game) {
    game.playerAdded = true;
    game.scheduleChanged = false;
    if (auto problem = history::games()->problemAdding(game))
        return Outcome::failure("无法添加彩种" + game.name + "：" + *problem +
                                "。什么也没有保存。");
    auto& file = workspace_.settingsFile();
    file.mutableValues().addedGames.push_back(game);
    const auto problem = file.save("AddedGames");
    workspace_.gamesChanged();
    if (problem) return Outcome::failure(*problem);
    return Outcome::success("已添加" + called(game.game) + "：" +
                            history::scheduleText(game.schedule));
}

Outcome GameService::removeGame(history::Game game) {
    auto& file = workspace_.settingsFile();
    auto& added = file.mutableValues().addedGames;
    const auto found = std::find_if(added.begin(), added.end(),
                                    [&](const history::GameInfo& g) { return g.game == game; });
    if (found == added.end()) {
        if (history::games()->find(game))
            return Outcome::failure(called(game) +
                                    "是程序自带的彩种，不能删除（只能删除自己添加的彩种）。");
        return Outcome::failure("没有编号为" + std::to_string(static_cast<int>(game)) + "的彩种。");
    }
    if (game == workspace_.settings().game)
        return Outcome::failure(called(game) + "是现在打开的彩种：请先换到别的彩种再删除它。");
    const std::string name = called(game);
    added.erase(found);
    std::optional<std::string> problem = file.save("AddedGames");
    if (file.mutableValues().gameSchedules.erase(static_cast<int>(game)) && !problem)
        problem = file.save("GameSchedules");
    auto& followed = file.mutableValues().followedGames;
    if (const auto at = std::find(followed.begin(), followed.end(), game);
        at != followed.end() && followed.size() > 1 && !problem) {
        followed.erase(at);
        problem = file.save("FollowedGames");
    }
    workspace_.gamesChanged();
    if (problem) return Outcome::failure(*problem);
    return Outcome::success("已删除" + name + "（它的历史数据库文件仍在数据文件夹里）");
}

Outcome GameService::setFollowed(const std::vector<history::Game>& games) {
    if (auto error = workspace_.settingsFile().set("FollowedGames", followedText(games)))
        return Outcome::failure(*error);
    return Outcome::success();
}

std::vector<std::string> GameService::tableProblems() const {
    return shippedGames(workspace_.options().gameTable.value_or("")).problems;
}

} // namespace app
