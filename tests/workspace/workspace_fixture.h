#pragma once
// A workspace on its own temporary data folder and settings file.

#include "support/temp_dir.h"
#include "workspace/workspace.h"

#include <fstream>
#include <memory>
#include <string>

namespace testing_support {

class WorkspaceFixture {
  public:
    explicit WorkspaceFixture(const std::string& settingsText = {}) {
        if (!settingsText.empty()) std::ofstream(settingsPath()) << settingsText;
        reopen();
    }

    std::string dataDir() const { return dir.file("data"); }
    std::string settingsPath() const { return dir.file("settings.ini"); }

    app::WorkspaceOptions options() const {
        app::WorkspaceOptions o;
        o.dataDir = dataDir();
        o.settingsFile = settingsPath();
        o.today = [] {
            using namespace std::chrono;
            return year_month_day{year{2016}, month{9}, day{8}};
        };
        return o;
    }

    app::Workspace& reopen() {
        workspace.reset();
        workspace = std::make_unique<app::Workspace>(options());
        return *workspace;
    }

    std::string settingsFileText() const {
        std::ifstream file(settingsPath());
        return std::string((std::istreambuf_iterator<char>(file)), {});
    }

    // Stores draws as typed: the first under firstPeriod, the rest under the next period.
    void type(const std::string& firstPeriod,
              const std::vector<std::array<std::string, 5>>& draws) {
        bool first = workspace->rows().empty();
        for (const auto& d : draws) {
            const auto outcome = workspace->addDraw(d, first ? firstPeriod : std::string());
            if (!outcome.ok) throw std::runtime_error(outcome.message);
            first = false;
        }
    }

    TempDir dir;
    std::unique_ptr<app::Workspace> workspace;
};

// count lines of the import format, one draw each, ids 17010101 on (no day roll-over).
// The i-th of many synthetic periods from 17010101 on: 99 draws a "day", never a draw 00.
inline int syntheticPeriod(int i) {
    return 17010101 + i + i / 99;
}

inline std::string manyDrawLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i)
        text += std::to_string(syntheticPeriod(i)) + " 01 02 03 04 05\n";
    return text;
}

} // namespace testing_support
