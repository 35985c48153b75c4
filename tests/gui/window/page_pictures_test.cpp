// 图片与打印: the page shown saved as PNG, SVG or PDF over its whole span, and printed with as many
// pages as its preview shows.

#include "gui/window_fixture.h"

#include "gui/trend/trend_model.h"
#include "gui/window/page_pictures.h"
#include "render/picture_file.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include <filesystem>
#include <random>

using app::gui::TrendModel;
using testing_support::WindowFixture;

namespace {

// A drawn number's ball: red, or purple where the period before drew it too.
bool isBall(const QColor& colour) {
    return colour == QColor(0xd0, 0x30, 0x30) || colour == QColor(0x7b, 0x3f, 0xb0);
}

// count draws from 2016090801 on, numbers in a seeded random order.
std::vector<std::array<std::string, 5>> draws(int count) {
    std::mt19937 random(7);
    std::vector<std::array<std::string, 5>> made;
    for (int i = 0; i < count; ++i) {
        std::array<int, 11> numbers{};
        for (int n = 0; n < 11; ++n) numbers[static_cast<size_t>(n)] = n + 1;
        std::shuffle(numbers.begin(), numbers.end(), random);
        std::array<std::string, 5> draw;
        for (size_t k = 0; k < 5; ++k)
            draw[k] = (numbers[k] < 10 ? "0" : "") + std::to_string(numbers[k]);
        made.push_back(draw);
    }
    return made;
}

class PagePicturesTest : public ::testing::Test {
  protected:
    // The window on the basic trend chart of count draws.
    void openBasicChart(int count) {
        f.store.type("2016090801", draws(count));
        f.open();
        f.find<QTabBar>("pageTabs")->setCurrentIndex(1);
        auto* kinds = f.find<QComboBox>("trendKind");
        kinds->setCurrentIndex(kinds->findText(QStringLiteral("基本走势图")));
        QApplication::processEvents();
    }
    app::gui::PagePictures& pictures() { return *f.window->findChild<app::gui::PagePictures*>(); }
    // Saves the page shown through the menu into name; the message the user was given.
    QString save(const std::string& name) {
        f.prompter.files.push_back(QString::fromStdString(dir.file(name)));
        f.find<QAction>("mnuSavePicture")->trigger();
        return f.prompter.shown.back().text;
    }

    WindowFixture f;
    testing_support::TempDir dir;
};

} // namespace

TEST_F(PagePicturesTest, TheBasicChartsPngHasTheBallsWhereNumbersWereDrawn) {
    openBasicChart(40);
    auto* model = f.find<QTableView>("trendView")->model();
    const auto document = pictures().document();
    ASSERT_EQ(save("chart.png").left(3), QStringLiteral("已保存"));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(dir.file("chart.png"))));
    EXPECT_EQ(image.size(), document->canvasSize() * 2);
    // Every period of the span, the first ones that scrolled away too; the summary under them.
    int hits = 0, misses = 0;
    for (int row : {0, 1, 20, 39})
        for (int column = TrendModel::kLeadColumns; column < TrendModel::kLeadColumns + 11;
             ++column) {
            const QRect cell = document->canvasCellRect(0, row, column);
            // The ball's top, above its number.
            const QPoint at(cell.center().x() * 2, (cell.center().y() - cell.height() / 2 + 3) * 2);
            const bool carries = model->index(row, column).data(TrendModel::CarriesRole).toBool();
            (carries ? hits : misses) += 1;
            EXPECT_EQ(isBall(image.pixelColor(at)), carries) << row << "," << column;
        }
    EXPECT_EQ(hits, 20);
    EXPECT_EQ(misses, 24);
}

TEST_F(PagePicturesTest, SvgAndPdfNameTheGameTheChartAndTheSpan) {
    openBasicChart(12);
    const QString title = pictures().document()->title();
    for (const QString& part :
         {QStringLiteral("基本走势图"), QStringLiteral("2016090801至2016090812")})
        EXPECT_TRUE(title.contains(part)) << title.toStdString();
    ASSERT_EQ(save("chart.svg").left(3), QStringLiteral("已保存"));
    EXPECT_TRUE(testing_support::fileBytes(dir.file("chart.svg")).contains(title.toUtf8()));
    ASSERT_EQ(save("chart.pdf").left(3), QStringLiteral("已保存"));
    EXPECT_TRUE(
        testing_support::pdfTitleHolds(testing_support::fileBytes(dir.file("chart.pdf")), title));
    // Not a picture, or a folder that does not exist: the user is told, nothing is written.
    EXPECT_EQ(save("chart.txt"), QStringLiteral("文件名要以 .png、.svg 或 .pdf 结尾。"));
    EXPECT_NE(save("none/chart.pdf").indexOf(QStringLiteral("文件没有保存")), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("chart.txt")));
}

TEST_F(PagePicturesTest, PrintingALongSpanTakesThePagesOfItsPreview) {
    openBasicChart(150);
    const auto document = pictures().document();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(dir.file("printed.pdf")));
    ASSERT_TRUE(app::gui::printDocument(printer, *document));
    const int printed =
        testing_support::pdfPageCount(testing_support::fileBytes(dir.file("printed.pdf")));
    EXPECT_GE(printed, 3);

    QPrinter previewed(QPrinter::HighResolution);
    previewed.setPageLayout(render::paperLayout(*document));
    QPrintPreviewWidget preview(&previewed);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested,
                     [&](QPrinter* target) { app::gui::printDocument(*target, *document); });
    preview.updatePreview();
    EXPECT_EQ(preview.pageCount(), printed);
}

TEST_F(PagePicturesTest, EachPagePutsItsOwnTablesAndCharts) {
    openBasicChart(12);
    const auto names = [&] {
        QStringList shown;
        for (QWidget* view : pictures().content().views) shown << view->objectName();
        return shown;
    };
    EXPECT_EQ(names(), QStringList({QStringLiteral("trendView"), QStringLiteral("trendChart")}));
    f.find<QTabBar>("pageTabs")->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_TRUE(names().contains(QStringLiteral("playTable"))) << names().join(' ').toStdString();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(4);
    QApplication::processEvents();
    EXPECT_EQ(names(), QStringList({QStringLiteral("hallTable")}));
    f.find<QTabBar>("pageTabs")->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_EQ(names(), QStringList({QStringLiteral("MSFlexGrid3"), QStringLiteral("tallyChart")}));
}

TEST_F(PagePicturesTest, TheBacktestWindowSavesItsTableAndChart) {
    f.store.type("2016090801", draws(40));
    f.open();
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    QTest::mouseClick(f.find<QPushButton>("backtestButton"), Qt::LeftButton);
    auto* dialog = f.find<QDialog>("backtestDialog");
    ASSERT_NE(dialog, nullptr);
    dialog->findChild<QSpinBox*>(QStringLiteral("backtestSteps"))->setValue(20);
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("backtestRun")),
                      Qt::LeftButton);
    f.prompter.files.push_back(QString::fromStdString(dir.file("backtest.pdf")));
    QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("backtestSavePicture")),
                      Qt::LeftButton);
    ASSERT_EQ(f.prompter.shown.back().text.left(3), QStringLiteral("已保存"));
    const QByteArray pdf = testing_support::fileBytes(dir.file("backtest.pdf"));
    EXPECT_TRUE(testing_support::pdfTitleHolds(pdf, QStringLiteral("回测 检验最后20期")));
    EXPECT_GE(testing_support::pdfPageCount(pdf), 1);
    dialog->close();
}

TEST_F(PagePicturesTest, TheShrinkPagesPdfHoldsItsConditionsAndTicketsFiveToARow) {
    f.store.type("2016090801", draws(12));
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(3);
    QApplication::processEvents();
    // 01 02 03 04 as 胆 and 05 killed: six tickets.
    for (int n = 1; n <= 4; ++n) f.find<QPushButton>(QStringLiteral("shrinkPad%1").arg(n))->click();
    f.find<QPushButton>("shrinkPad5")->click();
    f.find<QPushButton>("shrinkPad5")->click();
    const auto document = pictures().document();
    EXPECT_TRUE(document->title().contains(QStringLiteral("缩水 任五")))
        << document->title().toStdString();
    // The conditions' table, then the tickets: six, on two rows.
    const QRect firstTicket = document->canvasCellRect(1, 0, 0);
    const QRect sixthTicket = document->canvasCellRect(1, 1, 0);
    EXPECT_EQ(sixthTicket.top() - firstTicket.top(), firstTicket.height());
    // Nothing under them but the margin.
    EXPECT_EQ(document->canvasSize().height(), sixthTicket.bottom() + 1 + 8);
    ASSERT_EQ(save("shrink.pdf").left(3), QStringLiteral("已保存"));
    EXPECT_EQ(testing_support::pdfPageCount(testing_support::fileBytes(dir.file("shrink.pdf"))), 1);
}

TEST_F(PagePicturesTest, TheChartByPositionNamesEachPositionOverItsColumns) {
    openBasicChart(12);
    auto* kinds = f.find<QComboBox>("trendKind");
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("定位走势")));
    QApplication::processEvents();
    ASSERT_EQ(save("positions.svg").left(3), QStringLiteral("已保存"));
    const QByteArray svg = testing_support::fileBytes(dir.file("positions.svg"));
    for (int p = 1; p <= 5; ++p)
        EXPECT_TRUE(svg.contains(QStringLiteral("第%1位").arg(p).toUtf8())) << p;
    // The heading grows by the band's line: the first row stands lower than on the basic chart.
    const int positionsTop = pictures().document()->canvasCellRect(0, 0, 0).top();
    kinds->setCurrentIndex(kinds->findText(QStringLiteral("基本走势图")));
    QApplication::processEvents();
    EXPECT_GT(positionsTop, pictures().document()->canvasCellRect(0, 0, 0).top());
}
