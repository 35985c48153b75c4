// Streak alerts (长龙提醒): their written form, bad rules refused with nothing stored, a run told
// once when it reaches the length with its first period and its chance in a day, and the alerts
// command.

#include "cli/cli_run.h"
#include "workspace/live_service.h"
#include "workspace/omission_alerts.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

using testing_support::WorkspaceFixture;

namespace {

// A draw whose first number is `first`, the others the smallest numbers left.
std::array<std::string, 5> leading(int first) {
    std::array<std::string, 5> boxes;
    boxes[0] = (first < 10 ? "0" : "") + std::to_string(first);
    int next = 1;
    for (int i = 1; i < 5; ++i) {
        if (next == first) ++next;
        boxes[i] = (next < 10 ? "0" : "") + std::to_string(next);
        ++next;
    }
    return boxes;
}

TEST(StreakAlertRules, WrittenFormReadsBackAndBadRulesAreRefused) {
    for (const std::string text : {"streak:big:1>=8", "streak:sum5>=6", "streak:dragon>=5",
                                   "streak:route012:3>=4", "streak:odd>=3"}) {
        const auto parsed = app::parseAlertRule(text);
        ASSERT_TRUE(parsed.rule) << text << ": " << parsed.error;
        EXPECT_EQ(app::alertRuleText(*parsed.rule), text);
    }
    EXPECT_EQ(app::alertRuleLabel(*app::parseAlertRule(" streak:big:1>=8 ").rule),
              "长龙 第1位大小 连开>=8期");
    for (const std::string bad :
         {"streak:tall:1>=5", "streak:big:1>=1", "streak:big:1>=0", "streak:big:1>=x",
          "streak:big:1>=2.5", "streak:sum5:2>=3", "streak:big:6>=3", "streak:big:1"}) {
        const auto parsed = app::parseAlertRule(bad);
        EXPECT_FALSE(parsed.rule) << bad;
        EXPECT_FALSE(parsed.error.empty()) << bad;
    }
}

TEST(StreakAlerts, ARunIsToldOnceWithItsFirstPeriodAndItsChanceInADay) {
    WorkspaceFixture f;
    app::LiveService live(*f.workspace);
    ASSERT_TRUE(live.addRule("streak:big:1>=3").ok);
    const auto type = [&](std::initializer_list<int> firsts) {
        for (int n : firsts) {
            const bool empty = f.workspace->rows().empty();
            ASSERT_TRUE(f.workspace->addDraw(leading(n), empty ? "2016090801" : "").ok);
        }
    };
    type({1, 7, 8});
    live.takeNews();
    type({9}); // 07 08 09: three big first numbers since 2016090802
    auto news = live.takeNews();
    ASSERT_EQ(news.alerts.size(), 1u);
    const auto& run = news.alerts[0].selection;
    EXPECT_EQ(run.selection, "大");
    EXPECT_EQ(run.current, 3);
    EXPECT_EQ(run.since, 16090802);
    const double chance =
        search::streakChanceInDay({search::StreakShape::Big, 1}, 3, 42); // 江西 draws 42 a day
    EXPECT_DOUBLE_EQ(run.chance, chance);
    EXPECT_GT(chance, 0.99); // a run of three is an everyday thing
    ASSERT_EQ(news.alertNotices.size(), 1u);
    EXPECT_EQ(news.alertNotices[0],
              "长龙提醒 江西11选5 第1位大小：大 连开3期（自第2016090802期起），"
              "一天42期中出现3期以上长龙的概率" +
                  app::runChanceText(chance));
    type({10});
    EXPECT_TRUE(live.takeNews().alerts.empty()); // the same run goes on
    type({2, 3, 4});
    news = live.takeNews();
    ASSERT_EQ(news.alerts.size(), 1u);
    EXPECT_EQ(news.alerts[0].selection.selection, "小");
    EXPECT_EQ(news.alerts[0].selection.since, 16090806);
}

TEST(StreakAlerts, TheCommandRefusesBadRulesAndListsTheRunningOnes) {
    WorkspaceFixture f;
    f.type("2016090801", {leading(1), leading(7), leading(8)});
    f.workspace.reset();
    const auto run = [&](std::vector<std::string> args) {
        return testing_support::runCli(f.dataDir(), f.settingsPath(), args);
    };
    for (const char* bad : {"streak:tall:1>=5", "streak:big:1>=1"}) {
        const auto refused = run({"alerts", "--add", bad});
        EXPECT_EQ(refused.status, 1) << bad;
        EXPECT_FALSE(refused.err.empty()) << bad;
    }
    EXPECT_EQ(run({"get", "AlertRules"}).out, "\n");
    EXPECT_EQ(run({"alerts", "--add", "streak:big:1>=2"}).status, 0);
    const auto listed = run({"alerts", "--json"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_NE(
        listed.out.find("{\"rule\":\"长龙 第1位大小 连开>=2期\",\"selections\":[{\"selection\":"
                        "\"大\",\"current\":2,\"since\":\"2016090802\",\"chance\":"),
        std::string::npos)
        << listed.out;
}

} // namespace
