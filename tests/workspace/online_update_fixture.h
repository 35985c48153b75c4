#pragma once
// The online update's tests: a workspace whose today is 2016-09-08 on a results site of our own,
// and draws of consecutive days to serve.

#include "workspace/workspace_fixture.h"

#include "site/results_site.h"
#include "support/core_application.h"
#include "workspace/update_service.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace testing_support {

// Draws of consecutive days, `perDay` a day, from the first day's draw 01.
inline std::vector<site::SiteDraw> drawsOfDays(int firstDay, int dayCount, int perDay) {
    std::vector<site::SiteDraw> draws;
    const auto first = history::dateOfPeriod(firstDay * 100 + 1);
    for (int d = 0; d < dayCount; ++d) {
        const history::Date day{std::chrono::sys_days{first} + std::chrono::days{d}};
        for (int n = 1; n <= perDay; ++n) {
            const int a = (n + d) % 11;
            draws.push_back(
                {history::dayNumber(day) * 100 + n,
                 {a + 1, (a + 1) % 11 + 1, (a + 2) % 11 + 1, (a + 3) % 11 + 1, (a + 4) % 11 + 1}});
        }
    }
    return draws;
}

// Counts the days fetched and can cancel at a given day.
class Watch : public app::UpdateProgress {
  public:
    void fetching(const std::string& day, size_t, size_t) override { days.push_back(day); }
    bool cancelled() override { return cancelAt > 0 && days.size() >= cancelAt; }
    std::vector<std::string> days;
    size_t cancelAt = 0;
};

class OnlineUpdate : public ::testing::Test {
  protected:
    OnlineUpdate() { testing_support::ensureCoreApplication(); }

    // A workspace whose today is 2016-09-08 (the fixture's clock) on the given site.
    app::Workspace& open(site::ResultsSite& site, const std::string& keepDays = "6") {
        EXPECT_NE(site.listen(), 0);
        auto& w = *f.workspace;
        EXPECT_TRUE(w.setSetting("UpdateSite", site.baseUrl()).ok);
        EXPECT_TRUE(w.setSetting("IniSerchDay", keepDays).ok);
        return w;
    }
    // An update that only adds, or one the player asked to prune (the window's, after its
    // question, or update --prune).
    app::UpdateResult update(Watch& watch, bool prune = false) {
        app::UpdateService service(*f.workspace);
        service.setPrunes(prune);
        return service.update(watch);
    }
    std::vector<int> periods() const {
        std::vector<int> out;
        for (const auto& row : f.workspace->rows()) out.push_back(row.period);
        return out;
    }

    WorkspaceFixture f;
};

} // namespace testing_support
