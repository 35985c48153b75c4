// The window's omission alerts: an item of the stored rules that cannot be read is shown and can
// be removed, and a removal takes the rule chosen even when another process changed the rules
// since the list was shown.

#include "gui/window_fixture.h"

#include "cli/cli_run.h"
#include "gui/live/alerts_dialog.h"
#include "workspace/live_service.h"

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
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("q1 02")))
        << list->item(0)->text().toStdString();
}
