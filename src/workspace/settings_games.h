#pragma once
// The settings keys of the player's games (FollowedGames, GameSchedules, AddedGames): taking a
// value the user gives, checked as a whole.

#include "workspace/settings.h"

namespace app {

std::optional<std::string> putFollowed(Settings& s, const std::string& text);
std::optional<std::string> putGameSchedules(Settings& s, const std::string& text);
std::optional<std::string> putAddedGames(Settings& s, const std::string& text);
// "22,1037": the codes of a list of games.
std::string followedText(const std::vector<history::Game>& games);
// The codes of FollowedGames as stored, leniently (no check that the games are known).
std::vector<history::Game> readFollowed(const std::string& text);

} // namespace app
