#pragma once

#include <string>

namespace app {

// The program's folder when it is writable (a portable install), else the per-user data
// location. Needs a QCoreApplication.
std::string defaultDataFolder();

} // namespace app
