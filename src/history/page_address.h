#pragma once
// Where a day's results page is: the UpdateSite setting is either the site's base address, to
// which the draw-list path is appended, or a full address with placeholders for the game and the
// day ("https://example.org/kj/{code}/{yyyymmdd}.html").

#include "history/online_update.h"

#include <optional>
#include <string>

namespace history {

// What is wrong with an UpdateSite value, as the user is told; nothing when it can be used. An
// empty value is sound (no site chosen yet).
std::optional<std::string> siteAddressProblem(const std::string& site);

// The value as stored: blanks around it dropped, and the final "/" of a base address.
std::string normalisedSiteAddress(const std::string& site);

// The address of a day's page: placeholders filled in ({code}: the game code, {key}: the game's
// key in the game table, "sd"; {date}: YYYY-MM-DD,
// {yyyymmdd}, {yymmdd}), or base + "/lottery/draw/list/<code>?d=YYYY-MM-DD" for an address
// without placeholders. The site must have no problem.
std::string dayPageAddress(const std::string& site, int gameCode, Date day);

} // namespace history
