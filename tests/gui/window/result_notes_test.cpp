// Every result panel says what it was computed for, and greys with a note the moment the
// history, the game or its own inputs no longer give what it shows, until it is computed again.

#include "gui/window_fixture.h"

#include "gui/common/chart_setup.h"
#include "platform/file_io.h"

#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QValueAxis>

using testing_support::WindowFixture;

namespace {

bool greyed(QWidget* widget) {
    if (auto* chart = qobject_cast<QChartView*>(widget)) return chart->chart()->opacity() < 1.0;
    const QPalette& p = widget->palette();
    const auto role = qobject_cast<QLabel*>(widget) ? QPalette::WindowText : QPalette::Text;
    return p.color(QPalette::Active, role) == p.color(QPalette::Disabled, role);
}

void typeDraw(WindowFixture& f, const std::array<const char*, 5>& numbers) {
    for (int i = 0; i < 5; ++i)
        QTest::keyClicks(f.find<QLineEdit>(QStringLiteral("MaskEdBox1_%1").arg(i + 1)),
                         QString::fromLatin1(numbers[i]));
    QApplication::processEvents();
}

void showTab(WindowFixture& f, int index) {
    f.find<QTabBar>("pageTabs")->setCurrentIndex(index);
    QApplication::processEvents();
}

} // namespace

TEST(ResultNotes, SearchGridsNameTheirSearchAndGreyWhenItsOptionsOrDrawsChange) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    f.find<QPushButton>("Command1")->click();
    auto* note = f.find<QLabel>("searchResultNote");
    auto* hits = f.find<QTableView>("MSFlexGrid2");
    auto* tally = f.find<QTableView>("MSFlexGrid3");
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains(QStringLiteral("江西11选5 检索第1位，固定位，上期")))
        << note->text().toStdString();
    EXPECT_TRUE(note->text().contains(QStringLiteral("2016090802至2016090805期")));
    EXPECT_FALSE(greyed(hits));

    // Another result kind: the grids are the old one's until searched again; put back, they fit.
    f.find<QRadioButton>("Option4_3")->click();
    QApplication::processEvents();
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("检索条件已改动")))
        << note->text().toStdString();
    EXPECT_TRUE(greyed(hits));
    EXPECT_TRUE(greyed(tally));
    f.find<QRadioButton>("Option4_0")->click();
    QApplication::processEvents();
    EXPECT_FALSE(greyed(hits));
    EXPECT_FALSE(note->text().contains(QStringLiteral("已改动")));

    // Another position, another span: the same.
    f.find<QCheckBox>("Check1_2")->setChecked(true);
    QApplication::processEvents();
    EXPECT_TRUE(greyed(hits));
    f.find<QCheckBox>("Check1_2")->setChecked(false);
    QApplication::processEvents();
    EXPECT_FALSE(greyed(hits));

    // A new draw moves the targets: the result belongs to the history before.
    typeDraw(f, {"02", "04", "06", "08", "10"});
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("历史号码已更改")))
        << note->text().toStdString();
    EXPECT_TRUE(greyed(hits));
    f.find<QPushButton>("Command1")->click();
    EXPECT_FALSE(greyed(hits));
    EXPECT_TRUE(note->text().contains(QStringLiteral("2016090802至2016090806期")));

    // Another game: the window's note names it, the grids grey and stay greyed.
    f.find<QAction>("mnu11S5_1")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(greyed(hits));
    EXPECT_TRUE(f.find<QLabel>("staleResultsHint")->isVisible());
}

TEST(ResultNotes, BetFiguresNameTheirPlayAndGreyWhenTheBoxesTheHistoryOrTheGameChange) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    showTab(f, 2);
    f.find<QComboBox>("playChooser")->setCurrentIndex(0); // 前一
    EXPECT_TRUE(f.find<QLabel>("playTableNote")->text().contains(QStringLiteral("江西11选5")));
    EXPECT_TRUE(f.find<QLabel>("playTableNote")->text().contains(QStringLiteral("2016090805期")));
    auto* steps = f.find<QSpinBox>("betSteps");
    steps->setValue(3);
    f.find<QSpinBox>("betRandomRuns")->setValue(10);
    f.find<QPushButton>("betButton")->click();
    auto* note = f.find<QLabel>("betResultNote");
    auto* figures = f.find<QLabel>("betFigures");
    auto* chart = f.find<QChartView>("betChart");
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains(QStringLiteral("前一 追最冷"))) << note->text().toStdString();
    EXPECT_FALSE(greyed(figures));
    EXPECT_FALSE(greyed(chart));

    steps->setValue(4);
    EXPECT_TRUE(greyed(figures));
    EXPECT_TRUE(greyed(chart));
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("条件已改动")));
    steps->setValue(3);
    EXPECT_FALSE(greyed(figures));

    // A draw stored: the figures stay greyed whatever the boxes say, until run again.
    typeDraw(f, {"02", "04", "06", "08", "10"});
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("历史号码已更改")))
        << note->text().toStdString();
    steps->setValue(4);
    steps->setValue(3);
    EXPECT_TRUE(greyed(figures));
    f.find<QPushButton>("betButton")->click();
    EXPECT_FALSE(greyed(figures));

    f.find<QAction>("mnu11S5_1")->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(greyed(figures));
    EXPECT_TRUE(note->text().contains(QStringLiteral("这是江西11选5的结果")))
        << note->text().toStdString();
}

TEST(ResultNotes, ShrinkBacktestNamesItsPlayAndGreysWhenTheConditionsChange) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    showTab(f, 3);
    auto* counts = f.find<QLabel>("shrinkResultNote");
    EXPECT_TRUE(
        counts->text().contains(QStringLiteral("江西11选5 任五，历史号码至2016090805期（共5期）")))
        << counts->text().toStdString();
    f.find<QPushButton>("shrinkPad11")->click(); // 11 as 胆
    f.find<QSpinBox>("shrinkSteps")->setValue(3);
    f.find<QPushButton>("shrinkBacktest")->click();
    auto* note = f.find<QLabel>("shrinkBacktestNote");
    auto* figures = f.find<QLabel>("shrinkFigures");
    EXPECT_TRUE(figures->text().startsWith(QStringLiteral("任五：3期")))
        << figures->text().toStdString();
    EXPECT_FALSE(greyed(figures));

    // Another play: the counts follow at once, the back-test line is the other play's.
    auto* play = f.find<QComboBox>("shrinkPlay");
    play->setCurrentIndex(play->findText(QStringLiteral("任七")));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("任七")));
    EXPECT_FALSE(greyed(f.find<QTableWidget>("shrinkTable")));
    EXPECT_TRUE(greyed(figures));
    EXPECT_TRUE(greyed(f.find<QChartView>("shrinkChart")));
    EXPECT_TRUE(note->text().contains(QStringLiteral("任五"))) << note->text().toStdString();
    play->setCurrentIndex(play->findText(QStringLiteral("任五")));
    EXPECT_FALSE(greyed(figures));
    f.find<QPushButton>("shrinkPad11")->click(); // 11 killed now
    EXPECT_TRUE(greyed(figures));
    f.find<QPushButton>("shrinkPad11")->click();
    f.find<QPushButton>("shrinkPad11")->click(); // 胆 again
    EXPECT_FALSE(greyed(figures));

    typeDraw(f, {"02", "04", "06", "08", "10"});
    EXPECT_TRUE(greyed(figures));
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("历史号码已更改")));
    EXPECT_TRUE(counts->text().contains(QStringLiteral("2016090806期")));
    f.find<QPushButton>("shrinkBacktest")->click();
    EXPECT_FALSE(greyed(figures));
}

TEST(ResultNotes, ShrinkDanCountFollowsTheDanChosenUntilLoweredAndTicketsSaveIntoAFolderThatIs) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f);
    showTab(f, 3);
    auto* atLeast = f.find<QSpinBox>("shrinkDanAtLeast");
    EXPECT_FALSE(atLeast->isEnabled());
    f.find<QPushButton>("shrinkPad1")->click();
    f.find<QPushButton>("shrinkPad2")->click();
    EXPECT_EQ(atLeast->value(), 2);
    EXPECT_EQ(atLeast->maximum(), 2);
    f.find<QPushButton>("shrinkPad3")->click();
    EXPECT_EQ(atLeast->value(), 3);
    EXPECT_NE(f.find<QLabel>("shrinkCount")->text().indexOf("<b>28</b>"), -1); // C(8,2)
    atLeast->setValue(2);
    f.find<QPushButton>("shrinkPad4")->click();
    EXPECT_EQ(atLeast->value(), 2); // the player's own choice stays

    // A folder that does not exist is named as such, never the file written on the way.
    const QString folder = QString::fromStdString(f.store.dir.file("nowhere"));
    f.prompter.files.push_back(folder + QStringLiteral("/x.txt"));
    f.find<QPushButton>("shrinkSave")->click();
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    const QString warning = f.prompter.warnings()[0];
    EXPECT_TRUE(warning.contains(QStringLiteral("文件夹“%1”不存在").arg(folder)))
        << warning.toStdString();
    EXPECT_FALSE(warning.contains(QString::fromUtf8(platform::kPendingSuffix)));
}

TEST(ResultNotes, TrendTableNamesItsSpanGreysOnABadSpanAndSaysWhenTheSpanHasNoDraw) {
    WindowFixture f;
    testing_support::openWithFiveDraws(f); // today is 2016-09-08, the draws 2016090801..05
    showTab(f, 1);
    auto* note = f.find<QLabel>("trendNote");
    auto* table = f.find<QTableView>("trendView");
    EXPECT_EQ(note->text(),
              QStringLiteral("江西11选5 号码（任意位），2016090801至2016090805期，共 5 期"));
    auto* to = f.find<QLineEdit>("trendTo");
    to->setText("2016");
    emit to->editingFinished();
    EXPECT_TRUE(greyed(table));
    EXPECT_TRUE(note->text().contains(QStringLiteral("下表仍是江西11选5")))
        << note->text().toStdString();
    to->setText("2016090805");
    emit to->editingFinished();
    EXPECT_FALSE(greyed(table));
    EXPECT_TRUE(note->text().contains(QStringLiteral("共 5 期")));

    // Tomorrow, before its first draw: no table of zeros.
    f.workspace().setToday(std::chrono::year_month_day{
        std::chrono::year{2016}, std::chrono::September, std::chrono::day{9}});
    auto* presets = f.find<QComboBox>("trendPreset");
    presets->setCurrentIndex(presets->findText(QStringLiteral("今天")));
    emit presets->activated(presets->currentIndex());
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_EQ(note->text(), QStringLiteral("今天（2016-09-09）还没有开奖号码"));
}

TEST(ResultNotes, ChartAxesTickOnRoundNumbers) {
    testing_support::ensureApplication();
    struct Case {
        double low, high, first, last;
        int ticks;
    } cases[] = {
        {-561, 1021, -1000, 1500, 6}, // the money chart's net of a losing rule
        {0, 7, 0, 8, 5},
        {1, 100, 0, 100, 6},
        {0, 0, 0, 1, 2}, // nothing to show still makes an axis
        {-3.5, 2.2, -4, 4, 5},
    };
    for (const Case& c : cases) {
        QValueAxis axis;
        app::gui::setRoundRange(axis, c.low, c.high);
        EXPECT_EQ(axis.min(), c.first) << c.low << ".." << c.high;
        EXPECT_EQ(axis.max(), c.last) << c.low << ".." << c.high;
        EXPECT_EQ(axis.tickCount(), c.ticks) << c.low << ".." << c.high;
    }
}
