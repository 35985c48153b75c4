// The chase part of the plays tab: the calculator table of a 30 % plan for 前一, a schedule the cap
// cannot reach warned with its period, and the back-test's figures with the bankroll's ruin.

#include "gui/window_fixture.h"

#include <QChartView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

using testing_support::WindowFixture;

namespace {

TEST(PlanWindow, TableWarningAndBacktest) {
    WindowFixture f;
    f.store.type("2016090801", {{"08", "09", "10", "11", "07"},
                                {"02", "09", "10", "11", "07"},
                                {"03", "09", "10", "11", "07"},
                                {"01", "09", "10", "11", "07"}});
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(2);
    f.find<QComboBox>("playChooser")->setCurrentIndex(0); // 前一
    auto* rule = f.find<QComboBox>("betRule");
    rule->setCurrentIndex(rule->findData(0)); // fixed tickets
    f.find<QLineEdit>("betTickets")->setText("01");
    f.find<QSpinBox>("betSteps")->setValue(3);
    f.find<QSpinBox>("betRandomRuns")->setValue(50);
    f.find<QTabWidget>("playLowerTabs")->setCurrentIndex(1);
    QApplication::processEvents();

    QTest::mouseClick(f.find<QPushButton>("planCalculate"), Qt::LeftButton);
    auto* table = f.find<QTableWidget>("planTable");
    ASSERT_EQ(table->rowCount(), 10);
    QStringList multipliers;
    for (int row = 0; row < 10; ++row) multipliers << table->item(row, 1)->text();
    EXPECT_EQ(multipliers.join(','), "1,1,1,1,1,2,2,3,3,4");
    EXPECT_EQ(table->item(9, 7)->text(), "38.55%");
    EXPECT_NE(f.find<QLabel>("planTableFigures")->text().indexOf("-9.14元"), -1);

    f.find<QSpinBox>("planCap")->setValue(2);
    QTest::mouseClick(f.find<QPushButton>("planCalculate"), Qt::LeftButton);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_NE(f.prompter.warnings()[0].indexOf("第8期"), -1);

    // Doubling from 1 with 13 yuan: 2 and 4 are paid, the third period's 8 is not.
    f.find<QSpinBox>("planCap")->setValue(10000);
    auto* schedule = f.find<QComboBox>("planSchedule");
    schedule->setCurrentIndex(schedule->findData("double"));
    f.find<QSpinBox>("planBankroll")->setValue(13);
    QTest::mouseClick(f.find<QPushButton>("planBacktest"), Qt::LeftButton);
    EXPECT_EQ(f.prompter.warnings().size(), 1u);
    const QString figures = f.find<QLabel>("planFigures")->text();
    EXPECT_NE(figures.indexOf("2016090804期本金不足以支付投入"), -1) << figures.toStdString();
    EXPECT_NE(figures.indexOf("随机投注中破产的比例"), -1);
    EXPECT_NE(f.find<QChartView>("planChart")->chart()->title().indexOf("随机投注破产比例"), -1);
}

} // namespace
