// Omission alerts on a hand-made history: the rules' written form, which selections meet a rule,
// the crossing rule (told once when a draw makes a selection cross, not again while it stays
// over), and the alerts command.

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

TEST(OmissionAlertRules, WrittenFormReadsBackAndBadRulesAreRefused) {
    for (const std::string text :
         {"q1 any current>=30", "r2 03,07 ratio>=2.5", "number@1 7 current>=20",
          "tail@any any current>=12", "q3d 03,01,02 current>=100"}) {
        const auto parsed = app::parseAlertRule(text);
        ASSERT_TRUE(parsed.rule) << text << ": " << parsed.error;
        EXPECT_EQ(app::alertRuleText(*parsed.rule), text);
    }
    EXPECT_EQ(app::alertRuleLabel(*app::parseAlertRule("q1 any current>=30").rule),
              "q1 任意 本次遗漏>=30");
    // A set's numbers are sorted; 直选 keeps their order.
    EXPECT_EQ(app::alertRuleText(*app::parseAlertRule("r2 07,03 current>=5").rule),
              "r2 03,07 current>=5");
    for (const std::string bad :
         {"q1 any", "q9 any current>=3", "q1 12 current>=3", "number@6 1 current>=3",
          "q1 any current>=0", "q1 any more>=3", "r2 03,03 current>=3", "q1 any current>=3 extra"})
        EXPECT_FALSE(app::parseAlertRule(bad).rule) << bad;
}

class Alerts : public ::testing::Test {
  protected:
    void typeFirsts(std::initializer_list<int> firsts) {
        for (int n : firsts) {
            const bool empty = f.workspace->rows().empty();
            ASSERT_TRUE(f.workspace->addDraw(leading(n), empty ? "2016090801" : "").ok);
        }
    }
    std::vector<std::string> fired() {
        std::vector<std::string> texts;
        for (const auto& fired : live.takeNews().alerts)
            texts.push_back(std::to_string(fired.rule) + ":" + fired.selection.selection + "=" +
                            std::to_string(fired.selection.current));
        return texts;
    }
    WorkspaceFixture f;
    app::LiveService live{*f.workspace};
};

TEST_F(Alerts, ASelectionIsToldWhenItCrossesAndNotAgainWhileItStaysOver) {
    // The same watch as a play and as the number at position 1.
    ASSERT_TRUE(live.addRule("q1 07 current>=3").ok);
    ASSERT_TRUE(live.addRule("number@1 7 current>=3").ok);
    typeFirsts({1, 7, 2, 3});
    live.takeNews();
    // 07 last led two draws ago: the next draw without it makes three.
    typeFirsts({4});
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:07=3", "1:07=3"}));
    typeFirsts({5});
    EXPECT_TRUE(fired().empty()); // still over: not told again
    typeFirsts({7, 1, 2});
    EXPECT_TRUE(fired().empty());
    typeFirsts({3}); // a new crossing after 07 came back
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:07=3", "1:07=3"}));
    // Several draws at once (an update after a pause) are one look: the crossing is told once.
    ASSERT_TRUE(live.removeRule(1).ok);
    typeFirsts({7, 1, 2, 3, 4});
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:07=4"}));
}

TEST_F(Alerts, AnySelectionAndTheRatioOverTheWholeHistory) {
    typeFirsts({1, 2, 1, 2, 1, 2, 3});
    // q1 任意 本次遗漏>=6: the numbers that never led (7 periods away) and none else.
    const auto rule = *app::parseAlertRule("q1 any current>=7").rule;
    const auto met = live.meetingNow(rule);
    ASSERT_EQ(met.size(), 8u);
    EXPECT_EQ(met.front().selection, "04");
    EXPECT_EQ(met.front().current, 7);
    EXPECT_DOUBLE_EQ(met.front().average, 7.0); // 7 periods ÷ (0 wins + 1)
    // 01 led 3 times, last 2 draws ago: average 7 ÷ 4, ratio 2 ÷ 1.75 ≈ 1.14.
    const auto ratio = live.meetingNow(*app::parseAlertRule("q1 01 ratio>=1.1").rule);
    ASSERT_EQ(ratio.size(), 1u);
    EXPECT_EQ(ratio[0].current, 2);
    EXPECT_DOUBLE_EQ(ratio[0].average, 1.75);
    EXPECT_TRUE(live.meetingNow(*app::parseAlertRule("q1 01 ratio>=1.2").rule).empty());
}

TEST(AlertsCommand, AddListAndRemoveRules) {
    WorkspaceFixture f;
    f.type("2016090801", {leading(1), leading(2), leading(1)});
    f.workspace.reset();
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), "alerts");
        return testing_support::runCli(f.dataDir(), f.settingsPath(), args);
    };
    EXPECT_EQ(run({"--add", "q1 any current>=3"}).status, 0);
    EXPECT_EQ(run({"--add", "q1 02 current>=1"}).status, 0);
    const auto duplicate = run({"--add", "q1 any current>=3"});
    EXPECT_EQ(duplicate.status, 1);
    EXPECT_EQ(run({"--add", "q1 nonsense"}).status, 1);
    auto listed = run({"--json"});
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out.rfind("[{\"rule\":\"q1 任意 本次遗漏>=3\",\"selections\":"
                               "[{\"selection\":\"03\",\"current\":3,\"average\":3.0}",
                               0),
              0u)
        << listed.out;
    EXPECT_NE(listed.out.find("{\"rule\":\"q1 02 本次遗漏>=1\",\"selections\":[{\"selection\":"
                              "\"02\",\"current\":1,\"average\":1.5}]}]\n"),
              std::string::npos)
        << listed.out;
    EXPECT_EQ(run({"--remove", "1"}).status, 0);
    EXPECT_EQ(run({}).out, "1\tq1 02 本次遗漏>=1\t02(1)\n");
    EXPECT_EQ(run({"--remove", "5"}).status, 1);
    // The rules are in the settings store.
    EXPECT_EQ(run({}).out, "1\tq1 02 本次遗漏>=1\t02(1)\n");
    EXPECT_EQ(testing_support::runCli(f.dataDir(), f.settingsPath(), {"get", "AlertRules"}).out,
              "q1 02 current>=1\n");
}

} // namespace
