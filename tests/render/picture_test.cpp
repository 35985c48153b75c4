// Pictures and paper of tables: the cells' colours in the PNG, the title in SVG and PDF, the
// pages of a long table each with its heading, the Chinese font, and files written whole or not
// at all.

#include "gui/window_fixture.h"
#include "platform/file_io.h"
#include "render/picture_file.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QFontDatabase>
#include <QImage>
#include <QPdfWriter>
#include <QStandardItemModel>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace {

const QColor kHit(0xd0, 0x30, 0x30);

// A table of rows × 4 cells; the cell (r, r % 4) on the hit colour.
std::unique_ptr<QStandardItemModel> table(int rows) {
    auto model = std::make_unique<QStandardItemModel>(rows, 4);
    for (int c = 0; c < 4; ++c)
        model->setHeaderData(c, Qt::Horizontal, QStringLiteral("第%1列").arg(c + 1));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 4; ++c) {
            auto* item = new QStandardItem(QString::number(r * 4 + c));
            if (c == r % 4) item->setBackground(kHit);
            model->setItem(r, c, item);
        }
    return model;
}

render::PageDocument document(int rows) {
    render::PageDocument made(QStringLiteral("江西11选5 测试表 2026-01-01制"),
                              QApplication::font());
    made.addTable(table(rows));
    return made;
}

class Pictures : public ::testing::Test {
  protected:
    void SetUp() override { testing_support::ensureApplication(); }
    testing_support::TempDir dir;
};

} // namespace

TEST_F(Pictures, PngIsTwiceTheCanvasWithEachCellInItsColour) {
    const auto made = document(6);
    const std::string path = dir.file("t.png");
    render::writePicture(made, path);
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path)));
    EXPECT_EQ(image.size(), made.canvasSize() * 2);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 4; ++c) {
            const QRect cell = made.canvasCellRect(0, r, c);
            // A point of the cell between its grid line and its text (left aligned after a
            // margin).
            const QPoint at = QPoint(cell.left() + 2, cell.center().y()) * 2;
            EXPECT_EQ(image.pixelColor(at) == kHit, c == r % 4) << r << "," << c;
        }
}

TEST_F(Pictures, SvgAndPdfCarryTheTitle) {
    const auto made = document(3);
    render::writePicture(made, dir.file("t.svg"));
    const QByteArray svg = testing_support::fileBytes(dir.file("t.svg"));
    EXPECT_TRUE(svg.contains(made.title().toUtf8())) << svg.left(400).toStdString();
    render::writePicture(made, dir.file("t.PDF"));
    const QByteArray pdf = testing_support::fileBytes(dir.file("t.PDF"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(testing_support::pdfTitleHolds(pdf, made.title()));
    EXPECT_FALSE(testing_support::pdfTitleHolds(pdf, QStringLiteral("别的标题")));
    EXPECT_EQ(testing_support::pdfPageCount(pdf), 1);
}

TEST_F(Pictures, ALongTableTakesPagesOfEqualRowsEachUnderItsHeading) {
    // The most rows one page holds, then five pages of them and one row more.
    QPdfWriter probe(dir.file("probe.pdf").c_str());
    probe.setPageLayout(render::paperLayout(document(1)));
    const QSize page(probe.width(), probe.height());
    const int dpi = probe.logicalDpiY();
    int perPage = 1;
    while (document(perPage + 1).pageCount(page, dpi) == 1) ++perPage;
    ASSERT_GT(perPage, 10);
    EXPECT_EQ(document(perPage * 5).pageCount(page, dpi), 5);
    const auto made = document(perPage * 5 + 1);
    EXPECT_EQ(made.pageCount(page, dpi), 6);
    render::writePicture(made, dir.file("long.pdf"));
    EXPECT_EQ(testing_support::pdfPageCount(testing_support::fileBytes(dir.file("long.pdf"))), 6);
}

TEST_F(Pictures, ChineseTextHasAFontWithItsGlyphs) {
    // Whatever font the window has, the pictures' font draws Chinese (fonts-noto-cjk).
    for (const char* family : {"DejaVu Sans", "Noto Sans CJK SC"}) {
        const QFont font = render::chineseFont(QFont(QLatin1String(family), 10));
        EXPECT_TRUE(QFontDatabase::writingSystems(font.families().value(0, font.family()))
                        .contains(QFontDatabase::SimplifiedChinese))
            << family;
    }
}

TEST_F(Pictures, AFailureSaysSoAndLeavesTheEarlierFileAsItWas) {
    const std::string path = dir.file("kept.png");
    platform::writeFileAtomically(path, "earlier");
    // Too long a table for one PNG: refused with a way out.
    try {
        render::writePicture(document(3000), path);
        ADD_FAILURE() << "a PNG of 3000 rows was written";
    } catch (const platform::FileError& e) {
        EXPECT_NE(std::string(e.what()).find("PDF"), std::string::npos) << e.what();
    }
    EXPECT_EQ(testing_support::fileBytes(path), QByteArray("earlier"));
    // A folder that does not exist: nothing written, no temporary file left beside it.
    EXPECT_THROW(render::writePicture(document(3), dir.file("none/t.pdf")), platform::FileError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("none")));
    // An extension that is no picture.
    EXPECT_THROW(render::writePicture(document(3), dir.file("t.txt")), platform::FileError);
    EXPECT_FALSE(std::filesystem::exists(dir.file("t.txt")));
    for (const auto& entry : std::filesystem::directory_iterator(dir.file("")))
        EXPECT_EQ(entry.path().string().find(platform::kPendingSuffix), std::string::npos);
}

TEST_F(Pictures, APdfToldPageByPageCanBeStoppedAndThenLeavesNothing) {
    const auto made = document(400);
    std::vector<std::size_t> told;
    render::writePicture(made, dir.file("whole.pdf"), [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, 400u);
        told.push_back(done);
        return true;
    });
    // Once before each page, from nothing, the rows of the pages before.
    const int pages =
        testing_support::pdfPageCount(testing_support::fileBytes(dir.file("whole.pdf")));
    ASSERT_EQ(static_cast<int>(told.size()), pages);
    EXPECT_EQ(told.front(), 0u);
    EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
    EXPECT_LT(told.back(), 400u);

    const std::string path = dir.file("kept.pdf");
    platform::writeFileAtomically(path, "earlier");
    EXPECT_THROW(
        render::writePicture(made, path, [](std::size_t done, std::size_t) { return done == 0; }),
        render::PaintingStopped);
    EXPECT_EQ(testing_support::fileBytes(path), QByteArray("earlier"));
}
