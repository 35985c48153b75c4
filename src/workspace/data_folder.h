#pragma once

#include <string>

namespace app {

// The program's folder when it is writable (a portable install), else the per-user data
// location. Needs a QCoreApplication.
std::string defaultDataFolder();

// The rule above for a program in programFolder. A program in the folder it was installed to
// (installedFolder, e.g. /usr/bin) is never portable: run by root, that folder is writable, but
// a history there would sit among the system's programs, outside the package manager's files.
std::string chooseDataFolder(const std::string& programFolder, const std::string& installedFolder,
                             const std::string& userFolder);

} // namespace app
