// Omission alerts on a hand-made history: the rules' written form, which selections meet a rule,
// the crossing rule (told once when a draw makes a selection cross, not again while it stays
// over), and the alerts command.

#include "cli/cli_run.h"
#include "workspace/live_service.h"
#include "workspace/omission_alerts.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

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
          "q1 any current>=0", "q1 any more>=3", "r2 03,03 current>=3", "q1 any current>=3 extra",
          "前九 01 遗漏>=3", "号码第6位 1 遗漏>=3", "前一 01 遗漏>=", "前一 01 遗漏<=3"})
        EXPECT_FALSE(app::parseAlertRule(bad).rule) << bad;
}

TEST(OmissionAlertRules, TheWordsOfPlayersReadAsTheWrittenForm) {
    const std::pair<std::string, std::string> cases[] = {
        {"前一 01 遗漏>=23", "q1 01 current>=23"},
        {"任二 03，07 欲出几率 ≥ 2.5", "r2 03,07 ratio>=2.5"},
        {"前三直选 03、01、02 本次遗漏>=100", "q3d 03,01,02 current>=100"},
        {"号码第1位 7 遗漏≥20", "number@1 7 current>=20"},
        {"尾数任意位 任意 遗漏 >= 12", "tail@any any current>=12"},
        {"前一　任意　遗漏>=30", "q1 any current>=30"},
    };
    for (const auto& [words, written] : cases) {
        const auto parsed = app::parseAlertRule(words);
        ASSERT_TRUE(parsed.rule) << words << ": " << parsed.error;
        EXPECT_EQ(app::alertRuleText(*parsed.rule), written) << words;
        // As the window shows it, and read back from that.
        const std::string shown = app::alertRuleWords(*parsed.rule);
        const auto again = app::parseAlertRule(shown);
        ASSERT_TRUE(again.rule) << shown;
        EXPECT_EQ(app::alertRuleText(*again.rule), written) << shown;
    }
    EXPECT_EQ(app::alertRuleWords(*app::parseAlertRule("q1 01 current>=23").rule),
              "前一 01 遗漏≥23");
    EXPECT_EQ(app::alertRuleWords(*app::parseAlertRule("tail@any any ratio>=2.5").rule),
              "尾数任意位 任意 欲出几率≥2.5");
}

class Alerts : public ::testing::Test {
  protected:
    void typeFirsts(std::initializer_list<int> firsts) {
        for (int n : firsts) {
            const bool empty = f.workspace->rows().empty();
            ASSERT_TRUE(f.workspace->addDraw(leading(n), empty ? "2016090801" : "").ok);
        }
    }
    // rule:selection=current@draw number, in the order told.
    std::vector<std::string> fired() {
        std::vector<std::string> texts;
        for (const auto& fired : live.takeNews().alerts)
            texts.push_back(std::to_string(fired.rule) + ":" + fired.selection.selection + "=" +
                            std::to_string(fired.selection.current) + "@" +
                            std::to_string(fired.period % 100));
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
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:07=3@5", "1:07=3@5"}));
    typeFirsts({5});
    EXPECT_TRUE(fired().empty()); // still over: not told again
    typeFirsts({7, 1, 2});
    EXPECT_TRUE(fired().empty());
    typeFirsts({3}); // a new crossing after 07 came back
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:07=3@10", "1:07=3@10"}));
    // Several draws at once (an update after a pause): told once, at the draw where it crossed.
    ASSERT_TRUE(live.removeRule(1).ok);
    typeFirsts({7, 1, 2, 3, 4});
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:07=3@14"}));
}

TEST_F(Alerts, EachCrossingOfABatchIsToldWithItsDrawThoughALaterDrawUndoesIt) {
    ASSERT_TRUE(live.addRule("前一 任意 遗漏>=3").ok);
    ASSERT_TRUE(live.addRule("号码第1位 2 遗漏>=2").ok);
    typeFirsts({1, 2, 3, 1, 2, 3});
    live.takeNews();
    // Seven draws at once: 01 crosses at the first (period 7) and leads again at the last; 02
    // crosses at the second and leads at the fifth; 03 crosses at the third and, after it led at
    // the fourth, again at the last. 02 at the first position crosses at the first and the last.
    // Numbers 4..11 were over before the batch and 04 never gets back.
    typeFirsts({4, 4, 4, 3, 2, 4, 1});
    EXPECT_EQ(fired(), (std::vector<std::string>{"0:01=3@7", "1:02=2@7", "0:02=3@8", "0:03=3@9",
                                                 "0:03=3@13", "1:02=2@13"}));
    // The notices name the draw.
    typeFirsts({4, 4, 4});
    const auto news = live.takeNews();
    ASSERT_FALSE(news.alertNotices.empty());
    EXPECT_EQ(news.alertNotices.front(), "遗漏提醒 第2016090814期：前一 任意 遗漏≥3，02 遗漏3期");
}

// What is told for a batch is what looking after each of its draws would tell: the rules of every
// form against the selections that meet them over each prefix of a random history.
TEST_F(Alerts, CrossingsAgreeWithTheRulesLookedAtAfterEveryDraw) {
    std::mt19937 random(20261209);
    std::vector<std::array<std::string, 5>> draws;
    for (int d = 0; d < 150; ++d) {
        std::array<int, 11> numbers{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
        std::shuffle(numbers.begin(), numbers.end(), random);
        std::array<std::string, 5> boxes;
        for (int i = 0; i < 5; ++i)
            boxes[i] = (numbers[i] < 10 ? "0" : "") + std::to_string(numbers[i]);
        draws.push_back(boxes);
    }
    f.type("2016090801", draws);
    std::vector<app::AlertRule> rules;
    for (const std::string text :
         {"q1 any current>=15", "r2 any current>=12", "q2g any ratio>=3", "r3 01,02,03 current>=4",
          "number@1 any current>=12", "tail@any any current>=4", "zodiac@any any ratio>=2.5",
          "segment@3 any current>=5", "sum@2 3 current>=10"})
        rules.push_back(*app::parseAlertRule(text).rule);
    const auto& rows = f.workspace->rows();
    const auto& s = f.workspace->settings();
    const auto historyTo = [&](size_t end) {
        return app::AlertHistory{rows, end, f.workspace->zodiac(), s.zodiacBase, s.segmentBase};
    };
    const size_t before = 90;
    std::vector<std::string> expected;
    for (size_t end = before + 1; end <= rows.size(); ++end)
        for (size_t r = 0; r < rules.size(); ++r) {
            std::set<std::string> earlier;
            for (const auto& m : app::meetingSelections(rules[r], historyTo(end - 1)))
                earlier.insert(m.selection);
            for (const auto& m : app::meetingSelections(rules[r], historyTo(end)))
                if (!earlier.count(m.selection))
                    expected.push_back(std::to_string(end) + " " + std::to_string(r) + " " +
                                       m.selection + " " + std::to_string(m.current));
        }
    std::vector<std::string> told;
    for (const auto& fired : app::crossedAlerts(rules, historyTo(rows.size()), before)) {
        EXPECT_EQ(fired.period, rows[fired.row].period);
        told.push_back(std::to_string(fired.row + 1) + " " + std::to_string(fired.rule) + " " +
                       fired.selection.selection + " " + std::to_string(fired.selection.current));
    }
    EXPECT_GT(expected.size(), 20u);
    EXPECT_EQ(told, expected);
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
