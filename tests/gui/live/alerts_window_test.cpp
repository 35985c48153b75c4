// The window's omission alerts: an item of the stored rules that cannot be read is shown and can
// be removed, and a removal takes the rule chosen even when another process changed the rules
// since the list was shown.

#include "gui/window_fixture.h"

#include "cli/cli_run.h"
#include "gui/live/alerts_dialog.h"
#include "workspace/live_service.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using testing_support::runCli;
using testing_support::WorkspaceFixture;

TEST(AlertsWindow, TheRuleChosenIsRemovedThoughAnotherProcessChangedTheRulesMeanwhile) {
    testing_support::ensureApplication();
    WorkspaceFixture f(
        "[IniSetting]\nAlertRules=\"q1 any current>=9;q1 nonsense;q1 02 current>=1\"\n");
    app::LiveService live(*f.workspace);
    app::gui::AlertsDialog dialog(live);
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("alertList"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("无法读取")))
        << list->item(1)->text().toStdString();
    EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("q1 nonsense")));

    // Another process removes the first rule; the window still shows three lines.
    ASSERT_EQ(runCli(f.dataDir(), f.settingsPath(), {"alerts", "--remove", "1"}).status, 0);
    list->setCurrentRow(1);
    dialog.findChild<QPushButton*>(QStringLiteral("alertRemove"))->click();
    EXPECT_EQ(runCli(f.dataDir(), f.settingsPath(), {"get", "AlertRules"}).out,
              "q1 02 current>=1\n");
    ASSERT_EQ(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("前一 02 遗漏≥1")))
        << list->item(0)->text().toStdString();
}

// A rule picked from the lists as players name it, or typed in their words, is stored in its
// written form and shown in words; a rule that is none is refused with its reason.
TEST(AlertsWindow, RulesArePickedFromListsAndShownInThePlayersWords) {
    testing_support::ensureApplication();
    WorkspaceFixture f;
    f.type("2016090801", {{"03", "01", "02", "04", "05"}, {"07", "01", "02", "04", "05"}});
    app::LiveService live(*f.workspace);
    app::gui::AlertsDialog dialog(live);
    auto* play = dialog.findChild<QComboBox*>(QStringLiteral("alertPlayBox"));
    auto* position = dialog.findChild<QComboBox*>(QStringLiteral("alertPositionBox"));
    auto* selection = dialog.findChild<QLineEdit*>(QStringLiteral("alertSelectionBox"));
    auto* condition = dialog.findChild<QComboBox*>(QStringLiteral("alertConditionBox"));
    auto* threshold = dialog.findChild<QDoubleSpinBox*>(QStringLiteral("alertThresholdBox"));
    auto* addChosen = dialog.findChild<QPushButton*>(QStringLiteral("alertAddChosen"));
    ASSERT_TRUE(play && position && selection && condition && threshold && addChosen);

    play->setCurrentText(QStringLiteral("任二"));
    EXPECT_FALSE(position->isEnabled());
    selection->setText(QStringLiteral("07 03"));
    condition->setCurrentText(QStringLiteral("欲出几率 ≥"));
    threshold->setValue(2.5);
    addChosen->click();
    play->setCurrentText(QStringLiteral("号码"));
    EXPECT_TRUE(position->isEnabled());
    position->setCurrentText(QStringLiteral("第1位"));
    selection->setText(QStringLiteral("7"));
    condition->setCurrentText(QStringLiteral("遗漏 ≥"));
    threshold->setValue(1);
    addChosen->click();
    auto* typed = dialog.findChild<QLineEdit*>(QStringLiteral("alertRuleBox"));
    typed->setText(QStringLiteral("前一 01 遗漏>=23"));
    dialog.findChild<QPushButton*>(QStringLiteral("alertAdd"))->click();
    EXPECT_EQ(runCli(f.dataDir(), f.settingsPath(), {"get", "AlertRules"}).out,
              "r2 03,07 ratio>=2.5;number@1 7 current>=1;q1 01 current>=23\n");

    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("alertList"));
    ASSERT_EQ(list->count(), 3);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("任二 03,07 欲出几率≥2.5")))
        << list->item(0)->text().toStdString();
    // None is met now: 03 and 07 never came together, 07 led the newest draw, 01 never led.
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("号码第1位 7 遗漏≥1　现在：无"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("前一 01 遗漏≥23　现在：无"));

    // Refused: the reason shown, nothing stored, the typed text kept for correcting.
    typed->setText(QStringLiteral("前一 12 遗漏>=23"));
    dialog.findChild<QPushButton*>(QStringLiteral("alertAdd"))->click();
    EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("alertProblem"))->text().isEmpty());
    EXPECT_EQ(typed->text(), QStringLiteral("前一 12 遗漏>=23"));
    EXPECT_EQ(list->count(), 3);
}
