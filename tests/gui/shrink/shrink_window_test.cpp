// The shrink tab: the number pad and the conditions change the count of tickets left and the
// conditions table at once, a filter that keeps nothing says so, the tickets save with CR LF, and
// the back-test shows the money of buying them.

#include "gui/window_fixture.h"

#include <QApplication>
#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include <algorithm>
#include <fstream>
#include <iterator>

using testing_support::WindowFixture;

namespace {

void prepare(WindowFixture& f) {
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"},
                                {"06", "07", "08", "09", "10"},
                                {"01", "02", "03", "04", "11"},
                                {"01", "02", "03", "05", "06"}});
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(3);
    QApplication::processEvents();
}

TEST(ShrinkWindow, PadAndConditionsCountAtOnceAndSaveTheTickets) {
    WindowFixture f;
    prepare(f);
    auto* count = f.find<QLabel>("shrinkCount");
    auto* table = f.find<QTableWidget>("shrinkTable");
    EXPECT_NE(count->text().indexOf("<b>462</b> / 462"), -1) << count->text().toStdString();

    // 01 02 03 04 as 胆 (one click each), 05 killed (two clicks): 01 02 03 04 and one of 06..11.
    for (int n = 1; n <= 4; ++n) f.find<QPushButton>(QStringLiteral("shrinkPad%1").arg(n))->click();
    f.find<QPushButton>("shrinkPad5")->click();
    f.find<QPushButton>("shrinkPad5")->click();
    EXPECT_NE(count->text().indexOf("<b>6</b> / 462"), -1) << count->text().toStdString();
    ASSERT_EQ(table->rowCount(), 3); // 胆码, 杀号, the whole filter
    EXPECT_EQ(table->item(0, 0)->text(), "胆码");
    EXPECT_EQ(table->item(0, 1)->text(), "7");
    ASSERT_EQ(table->columnCount(), 6);
    EXPECT_EQ(table->horizontalHeaderItem(3)->text(), "随机通过率");
    EXPECT_EQ(table->horizontalHeaderItem(5)->text(), "通过率÷随机通过率");
    EXPECT_EQ(table->item(0, 3)->text(), "1.52%");  // 7 of 462 draws, the same every period
    EXPECT_EQ(table->item(0, 4)->text(), "33.33%"); // the third of the three window periods
    EXPECT_EQ(table->item(0, 5)->text(), "22.000");
    EXPECT_EQ(f.find<QPlainTextEdit>("shrinkTickets")->toPlainText().count('\n'), 5);

    const std::string path = f.store.dir.file("tickets.txt");
    f.prompter.files.push_back(QString::fromStdString(path));
    f.find<QPushButton>("shrinkSave")->click();
    // Chosen in a save dialog that offers a name in the home folder.
    const auto offered = f.prompter.texts(QStringLiteral("save"));
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_TRUE(offered[0].startsWith(QDir::homePath())) << offered[0].toStdString();
    EXPECT_TRUE(offered[0].endsWith(QStringLiteral(".txt"))) << offered[0].toStdString();
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "01 02 03 04 06\r\n01 02 03 04 07\r\n01 02 03 04 08\r\n01 02 03 04 09\r\n"
              "01 02 03 04 10\r\n01 02 03 04 11\r\n");

    // The back-test buys the six tickets in each of the three periods; the third wins 540.
    f.find<QSpinBox>("shrinkSteps")->setValue(3);
    f.find<QPushButton>("shrinkBacktest")->click();
    const QString figures = f.find<QLabel>("shrinkFigures")->text();
    EXPECT_NE(figures.indexOf("3期共买18注，成本36元，中奖540元"), -1) << figures.toStdString();
    // Set against the same six tickets on random draws, a tie counting half: they win together
    // in 6 of 462 draws, so the one win stands above nearly all of them.
    EXPECT_NE(figures.indexOf("随机开奖中不如实际开奖的比例"), -1) << figures.toStdString();
    // The random runs' band lies under the net, as on the plays tab.
    const auto series = f.find<QChartView>("shrinkChart")->chart()->series();
    EXPECT_TRUE(std::any_of(series.begin(), series.end(), [](QAbstractSeries* s) {
        return qobject_cast<QAreaSeries*>(s) && s->name() == QStringLiteral("随机5%–95%");
    }));
    EXPECT_TRUE(f.prompter.warnings().empty());

    // A sum of 15 is 01..05 alone, which the killed 05 rules out: nothing left, no back-test.
    f.find<QCheckBox>("shrinkUse_sum")->setChecked(true);
    f.find<QSpinBox>("shrinkHigh_sum")->setValue(15);
    EXPECT_NE(count->text().indexOf("一注也不保留"), -1) << count->text().toStdString();
    EXPECT_FALSE(f.find<QPushButton>("shrinkBacktest")->isEnabled());
    EXPECT_TRUE(f.find<QPlainTextEdit>("shrinkTickets")->toPlainText().isEmpty());
}

} // namespace
