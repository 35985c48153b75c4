// What the window keeps of how it was left: the page, the trend page's kind, span and marks, the
// plays page's play and back-test, the shrink page's play, pad and conditions, the splitters and
// the window's size; values that cannot be read give the defaults.

#include "gui/window_fixture.h"

#include "gui/trend/trend_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabBar>
#include <QTableView>
#include <QTest>

using app::gui::TrendModel;
using testing_support::WindowFixture;

namespace {

void addDraws(WindowFixture& f) {
    f.store.type("2016090801", std::vector<std::array<std::string, 5>>(
                                   40, std::array<std::string, 5>{"01", "02", "03", "04", "05"}));
}

void choose(QComboBox* box, const QString& text) {
    const int index = box->findText(text);
    ASSERT_GE(index, 0) << text.toStdString();
    box->setCurrentIndex(index);
}

// Closes the window as the user would and opens a new one over the same settings file.
void reopen(WindowFixture& f) {
    f.window->close();
    f.window.reset();
    f.open();
    QTest::qWait(20); // the splitters are restored once the window has its size
    QApplication::processEvents();
}

} // namespace

TEST(WindowState, EveryChoiceOfThePagesComesBackAfterARestart) {
    WindowFixture f;
    addDraws(f);
    f.open();
    auto* pages = f.find<QTabBar>("pageTabs");

    // The trend page: the chart by position over the last 30, a mark, the tools.
    pages->setCurrentIndex(1);
    QApplication::processEvents();
    choose(f.find<QComboBox>("trendKind"), QStringLiteral("定位走势"));
    auto* preset = f.find<QComboBox>("trendPreset");
    choose(preset, QStringLiteral("近30期"));
    emit preset->activated(preset->currentIndex());
    f.find<QCheckBox>("trendLayers")->setChecked(true);
    auto* trend = qobject_cast<TrendModel*>(f.find<QTableView>("trendView")->model());
    const int marks = trend->firstMarkRow();
    trend->toggleMark(trend->index(marks + 2, 2 + 11 + 3)); // 04 at the second position
    ASSERT_TRUE(trend->index(marks + 2, 2 + 11 + 3).data(TrendModel::MarkedRole).toBool());

    // The plays page: a play and the back-test's settings.
    pages->setCurrentIndex(2);
    QApplication::processEvents();
    choose(f.find<QComboBox>("playChooser"), QStringLiteral("任三"));
    choose(f.find<QComboBox>("betRule"), QStringLiteral("固定号码"));
    f.find<QLineEdit>("betTickets")->setText(QStringLiteral("01 02 03；04 05 06"));
    f.find<QSpinBox>("betSteps")->setValue(250);
    f.find<QSpinBox>("betSeed")->setValue(77);

    // The shrink page: a play, a 胆 and a 杀, two conditions.
    pages->setCurrentIndex(3);
    QApplication::processEvents();
    choose(f.find<QComboBox>("shrinkPlay"), QStringLiteral("前三组选"));
    f.find<QPushButton>("shrinkPad3")->click();
    f.find<QPushButton>("shrinkPad7")->click();
    f.find<QPushButton>("shrinkPad7")->click();
    f.find<QCheckBox>("shrinkUse_sum")->setChecked(true);
    f.find<QSpinBox>("shrinkLow_sum")->setValue(9);
    f.find<QSpinBox>("shrinkHigh_sum")->setValue(20);
    f.find<QCheckBox>("shrinkUse_route")->setChecked(true);
    f.find<QLineEdit>("shrinkRoutes")->setText(QStringLiteral("1:1:1"));
    f.find<QSpinBox>("shrinkWindow")->setValue(30);
    const QString padTip = f.find<QPushButton>("shrinkPad7")->toolTip();

    // The search page's columns moved, and the window smaller.
    pages->setCurrentIndex(0);
    QApplication::processEvents();
    auto* columns = f.find<QSplitter>("columnSplitter");
    QList<int> sizes = columns->sizes();
    sizes[0] -= 30;
    sizes[2] += 30;
    columns->setSizes(sizes);
    sizes = columns->sizes();
    pages->setCurrentIndex(3);

    reopen(f);
    EXPECT_EQ(f.find<QTabBar>("pageTabs")->currentIndex(), 3);
    EXPECT_EQ(f.find<QComboBox>("shrinkPlay")->currentText(), QStringLiteral("前三组选"));
    EXPECT_EQ(f.find<QPushButton>("shrinkPad3")->toolTip(), QStringLiteral("胆码"));
    EXPECT_EQ(f.find<QPushButton>("shrinkPad7")->toolTip(), padTip);
    EXPECT_TRUE(f.find<QCheckBox>("shrinkUse_sum")->isChecked());
    EXPECT_EQ(f.find<QSpinBox>("shrinkLow_sum")->value(), 9);
    EXPECT_EQ(f.find<QSpinBox>("shrinkHigh_sum")->value(), 20);
    EXPECT_TRUE(f.find<QCheckBox>("shrinkUse_route")->isChecked());
    EXPECT_EQ(f.find<QLineEdit>("shrinkRoutes")->text(), QStringLiteral("1:1:1"));
    EXPECT_EQ(f.find<QSpinBox>("shrinkWindow")->value(), 30);

    EXPECT_EQ(f.find<QComboBox>("playChooser")->currentText(), QStringLiteral("任三"));
    EXPECT_EQ(f.find<QComboBox>("betRule")->currentText(), QStringLiteral("固定号码"));
    EXPECT_TRUE(f.find<QLineEdit>("betTickets")->isEnabled());
    EXPECT_EQ(f.find<QLineEdit>("betTickets")->text(), QStringLiteral("01 02 03；04 05 06"));
    EXPECT_EQ(f.find<QSpinBox>("betSteps")->value(), 250);
    EXPECT_EQ(f.find<QSpinBox>("betSeed")->value(), 77);

    EXPECT_EQ(f.find<QComboBox>("trendKind")->currentText(), QStringLiteral("定位走势"));
    EXPECT_EQ(f.find<QComboBox>("trendPreset")->currentText(), QStringLiteral("近30期"));
    EXPECT_EQ(f.find<QLineEdit>("trendFrom")->text(), "2016090811");
    EXPECT_TRUE(f.find<QCheckBox>("trendLayers")->isChecked());
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QApplication::processEvents();
    trend = qobject_cast<TrendModel*>(f.find<QTableView>("trendView")->model());
    EXPECT_EQ(trend->periods(), 30);
    EXPECT_TRUE(
        trend->index(trend->firstMarkRow() + 2, 2 + 11 + 3).data(TrendModel::MarkedRole).toBool());
    EXPECT_EQ(f.window->rememberedSize(), QSize(1366, 768));
    // The search page's columns, once it is shown.
    f.find<QTabBar>("pageTabs")->setCurrentIndex(0);
    QTest::qWait(20);
    EXPECT_EQ(f.find<QSplitter>("columnSplitter")->sizes(), sizes);
}

TEST(WindowState, ValuesThatCannotBeReadGiveTheDefaults) {
    WindowFixture f("[WindowState]\n"
                    "page=7\n"
                    "trendKind=\\x2014 \\x5f62\\x6001 \\x2014\n"
                    "trendPreset=nonsense\n"
                    "trendMarks=1,2\n"
                    "playChooser=none\n"
                    "betSteps=-5\n"
                    "betSeed=abc\n"
                    "shrinkPad=0000000001x\n"
                    "shrinkUse_sum=maybe\n"
                    "windowWidth=wide\n"
                    "windowHeight=768\n"
                    "columnSplitter=100 0 50\n");
    addDraws(f);
    f.open();
    QTest::qWait(20);
    EXPECT_EQ(f.find<QTabBar>("pageTabs")->currentIndex(), 0);
    EXPECT_EQ(f.find<QComboBox>("trendKind")->currentText(), QStringLiteral("基本走势图"));
    EXPECT_EQ(f.find<QComboBox>("trendPreset")->currentText(), QStringLiteral("近50期"));
    EXPECT_EQ(f.find<QComboBox>("playChooser")->currentText(), QStringLiteral("任五"));
    EXPECT_EQ(f.find<QSpinBox>("betSteps")->value(), 1000);
    EXPECT_EQ(f.find<QSpinBox>("betSeed")->value(), 1);
    EXPECT_FALSE(f.find<QCheckBox>("shrinkUse_sum")->isChecked());
    for (int n = 1; n <= 11; ++n)
        EXPECT_TRUE(f.find<QPushButton>(QStringLiteral("shrinkPad%1").arg(n))->toolTip().isEmpty());
    EXPECT_FALSE(f.window->rememberedSize().isValid());
    for (int size : f.find<QSplitter>("columnSplitter")->sizes()) EXPECT_GT(size, 50);
    f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
    QApplication::processEvents();
    auto* trend = qobject_cast<TrendModel*>(f.find<QTableView>("trendView")->model());
    EXPECT_TRUE(trend->marksText().isEmpty());
}
