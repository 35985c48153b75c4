// The exports driven through the window: the text export button, the history menu item and a
// double-click on each grid, with the opening of the written file recorded instead of done.

#include "gui/window_fixture.h"

#include "platform/file_io.h"
#include "support/workbook_reader.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTableView>
#include <QTest>

#include <filesystem>

using testing_support::readWorkbook;
using testing_support::WindowFixture;
namespace fs = std::filesystem;

namespace {

void prepare(WindowFixture& f) {
    testing_support::openWithFiveDraws(f);
}

void doubleClick(WindowFixture& f, const char* grid) {
    QTest::mouseDClick(f.find<QTableView>(QLatin1String(grid))->viewport(), Qt::LeftButton, {},
                       QPoint(5, 5));
}

std::vector<QString> opened(WindowFixture& f) {
    return f.prompter.texts(QStringLiteral("document"));
}

QString dataFile(WindowFixture& f, const std::string& name) {
    return QString::fromStdString((fs::path(f.store.dataDir()) / name).string());
}

} // namespace

TEST(ExportWindow, DoubleClickedGridsAreWrittenAndOpened) {
    WindowFixture f;
    prepare(f);

    // Before any search the result grids export their header rows.
    doubleClick(f, "MSFlexGrid2");
    ASSERT_EQ(opened(f), std::vector<QString>{dataFile(f, "Jiansuo.xlsx")});
    EXPECT_EQ(readWorkbook(dataFile(f, "Jiansuo.xlsx").toStdString()).rowCount(), 1);

    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    auto* start = f.find<QLineEdit>("Text3_0");
    start->selectAll();
    QTest::keyClicks(start, "2016090801");
    QTest::mouseClick(f.find<QPushButton>("Command1"), Qt::LeftButton);

    doubleClick(f, "MSFlexGrid2");
    doubleClick(f, "MSFlexGrid3");
    // Also on the header of the history grid.
    QTest::mouseDClick(f.find<QTableView>("MSFlexGrid1")->horizontalHeader()->viewport(),
                       Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(opened(f).size(), 4u);
    EXPECT_EQ(opened(f)[2], dataFile(f, "Jieguo.xlsx"));
    EXPECT_EQ(opened(f)[3], dataFile(f, "lishi.xlsx"));
    const auto hits = readWorkbook(dataFile(f, "Jiansuo.xlsx").toStdString());
    EXPECT_EQ(hits.rowCount(), 3);
    EXPECT_EQ(hits.row(3)[0], "2016090804");
    const auto tally = readWorkbook(dataFile(f, "Jieguo.xlsx").toStdString());
    EXPECT_EQ(tally.rowCount(), 12);
    EXPECT_EQ(tally.at(2, 4).format, "0.000%");
    EXPECT_EQ(readWorkbook(dataFile(f, "lishi.xlsx").toStdString()).row(6),
              (std::vector<std::string>{"2016090805", "3", "1", "2", "4", "6"}));
    EXPECT_TRUE(f.prompter.warnings().empty());
}

TEST(ExportWindow, TextButtonAndMenuItemSayWhereTheFileIsWhenNothingOpensIt) {
    WindowFixture f;
    f.open();
    auto* button = f.find<QPushButton>("Command4");
    auto* item = f.find<QAction>("mnuDcls");
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(item->isEnabled());

    // An empty history has nothing to write.
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(f.prompter.warnings()[0].contains(QStringLiteral("没有可以导出")));
    EXPECT_TRUE(opened(f).empty());

    f.window.reset();
    prepare(f);
    f.prompter.shown.clear();
    f.prompter.documentsOpen = false;
    QTest::mouseClick(f.find<QPushButton>("Command4"), Qt::LeftButton);
    const QString text = dataFile(f, "更新至16090805期江西11选5历史号码.txt");
    EXPECT_EQ(opened(f), std::vector<QString>{text});
    ASSERT_EQ(f.prompter.texts(QStringLiteral("tell")).size(), 1u);
    EXPECT_TRUE(
        f.prompter.texts(QStringLiteral("tell"))[0].contains(QDir::toNativeSeparators(text)));
    EXPECT_EQ(platform::readFile(text.toStdString()).substr(0, 28),
              "2016090801 03 01 02 04 06 \r\n");

    f.prompter.documentsOpen = true;
    f.find<QAction>("mnuDcls")->trigger();
    EXPECT_EQ(opened(f).back(), dataFile(f, "lishi.xlsx"));
    EXPECT_TRUE(f.window->statusBar()->currentMessage().contains(dataFile(f, "lishi.xlsx")));
    EXPECT_EQ(readWorkbook(dataFile(f, "lishi.xlsx").toStdString()).rowCount(), 6);
}
