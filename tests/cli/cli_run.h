#pragma once
// Runs a command line as main() does, on a test's data folder and settings file, and keeps what
// it printed.

#include "cli/commands.h"
#include "workspace/figure_caveat.h"

#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun runCli(const std::string& dataDir, const std::string& settingsFile,
                     std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--data-dir", dataDir, "--settings", settingsFile});
    const auto line = app::parseCommandLine(arguments);
    std::ostringstream out, err;
    if (const auto answered = app::answerWithoutWorkspace(line, out, err))
        return {*answered, out.str(), err.str()};
    const int status = app::runCommand(line, out, err);
    return {status, out.str(), err.str()};
}

// A command's JSON without its caveat key, which the caveat's own test checks.
inline std::string withoutCaveat(std::string json) {
    const std::string key = std::string(",\"caveat\":\"") + app::kFigureCaveat + "\"";
    if (const auto at = json.find(key); at != std::string::npos) json.erase(at, key.size());
    return json;
}

} // namespace testing_support
