// --out FILE.png|.svg|.pdf: the basic trend chart, a play's table and a shrunk bet as pictures and
// PDFs, made by the real program without a display.

#include "cli/cli_run.h"
#include "support/picture_files.h"
#include "support/temp_dir.h"

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>

namespace {

using Draw = std::array<int, 5>;

// 2016090801..2016090808: every number drawn at least once.
const std::vector<Draw> kDraws = {{5, 3, 8, 1, 11}, {1, 2, 3, 4, 5},   {2, 4, 6, 8, 10},
                                  {1, 3, 5, 7, 9},  {11, 10, 9, 8, 7}, {1, 2, 3, 4, 5},
                                  {6, 7, 8, 9, 10}, {3, 6, 9, 11, 1}};

// A drawn number's cell: red, or purple where the period before drew it too.
bool isBall(const QColor& colour) {
    return colour == QColor(0xd0, 0x30, 0x30) || colour == QColor(0x7b, 0x3f, 0xb0);
}

struct ProgramRun {
    int status;
    QString out, err;
};

class PictureCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (size_t i = 0; i < kDraws.size(); ++i) {
            std::vector<std::string> args{"add"};
            if (i == 0) args.insert(args.end(), {"--period", "2016090801"});
            for (int n : kDraws[i]) args.push_back(std::to_string(n));
            ASSERT_EQ(testing_support::runCli(dir.file("data"), dir.file("s.ini"), args).status, 0);
        }
    }
    // The program as a process, as a script would run it: no display, no platform chosen, no
    // desktop session (as under cron).
    ProgramRun run(const QStringList& arguments) {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name :
             {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
            environment.remove(QLatin1String(name));
        program.setProcessEnvironment(environment);
        program.start(QString::fromUtf8(K11_EXECUTABLE),
                      QStringList{"--data-dir", QString::fromStdString(dir.file("data")),
                                  "--settings", QString::fromStdString(dir.file("s.ini"))} +
                          arguments);
        EXPECT_TRUE(program.waitForFinished(60000));
        return {program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                QString::fromUtf8(program.readAllStandardError())};
    }
    QString file(const char* name) { return QString::fromStdString(dir.file(name)); }

    testing_support::TempDir dir;
};

// The runs of the balls' colours along line y: their left ends.
std::vector<int> ballsOnLine(const QImage& image, int y) {
    std::vector<int> starts;
    for (int x = 0; x < image.width(); ++x)
        if (isBall(image.pixelColor(x, y)) && (x == 0 || !isBall(image.pixelColor(x - 1, y))))
            starts.push_back(x);
    return starts;
}

} // namespace

TEST_F(PictureCommandTest, TheBasicChartsPngHasEachDrawnNumberInTheBallsColour) {
    const ProgramRun made = run({"omission", "--basic", "--out", file("chart.png")});
    ASSERT_EQ(made.status, 0) << made.err.toStdString();
    EXPECT_EQ(made.out, file("chart.png") + '\n');
    // Nothing but the path: no note of Qt's on stderr.
    EXPECT_EQ(made.err, QString());
    QImage image;
    ASSERT_TRUE(image.load(file("chart.png")));
    // The first line of each band of rows holding the colour: one band per period.
    std::vector<int> bandTops;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        const bool any = !ballsOnLine(image, y).empty();
        if (any && !inBand) bandTops.push_back(y);
        inBand = any;
    }
    ASSERT_EQ(bandTops.size(), kDraws.size());
    // The columns of the eleven numbers, by where their cells begin; each band has its draw's
    // five numbers there and nothing else.
    std::set<int> columns;
    for (const int y : bandTops)
        for (const int x : ballsOnLine(image, y)) columns.insert(x);
    ASSERT_EQ(columns.size(), 11u);
    const std::vector<int> lefts(columns.begin(), columns.end());
    for (size_t i = 0; i < kDraws.size(); ++i) {
        std::vector<int> drawn;
        for (const int x : ballsOnLine(image, bandTops[i]))
            drawn.push_back(
                static_cast<int>(std::find(lefts.begin(), lefts.end(), x) - lefts.begin()) + 1);
        std::vector<int> expected(kDraws[i].begin(), kDraws[i].end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(drawn, expected) << i;
    }
}

TEST_F(PictureCommandTest, SvgAndPdfOfTheChartThePlaysTableAndTheShrunkBetCarryTheirTitles) {
    ASSERT_EQ(run({"omission", "--basic", "--from", "2016090803", "--to", "2016090806", "--out",
                   file("chart.svg")})
                  .status,
              0);
    const QByteArray svg = testing_support::fileBytes(dir.file("chart.svg"));
    EXPECT_TRUE(svg.contains(QStringLiteral("基本走势图 2016090803至2016090806（4期）").toUtf8()))
        << svg.left(600).toStdString();

    const ProgramRun plays = run({"plays", "--play", "r2", "--out", file("plays.pdf")});
    ASSERT_EQ(plays.status, 0) << plays.err.toStdString();
    const QByteArray pdf = testing_support::fileBytes(dir.file("plays.pdf"));
    EXPECT_TRUE(testing_support::pdfTitleHolds(pdf, QStringLiteral("任二遗漏表")));
    EXPECT_GE(testing_support::pdfPageCount(pdf), 1);

    // The shrunk bet keeps its figure lines on stdout, the tickets go into the PDF.
    const ProgramRun shrink =
        run({"shrink", "--play", "r5", "--dan", "01", "--out", file("bet.pdf")});
    ASSERT_EQ(shrink.status, 0) << shrink.err.toStdString();
    EXPECT_FALSE(shrink.out.isEmpty());
    EXPECT_TRUE(testing_support::pdfTitleHolds(testing_support::fileBytes(dir.file("bet.pdf")),
                                               QStringLiteral("缩水 任五 共210注")));
}

TEST_F(PictureCommandTest, WrongRequestsAreRefusedAndWriteNothing) {
    // Not a picture, the text formats' option, a command without the chart, --json beside it.
    EXPECT_EQ(run({"omission", "--basic", "--out", file("chart.txt")}).status, 2);
    EXPECT_EQ(run({"omission", "--type", "0", "--out", file("chart.png")}).status, 2);
    EXPECT_EQ(run({"omission", "--basic", "--json", "--out", file("chart.png")}).status, 2);
    EXPECT_EQ(run({"shrink", "--play", "r5", "--format", "comma", "--out", file("bet.pdf")}).status,
              2);
    // A folder that does not exist: said so, status 1, nothing left.
    const ProgramRun missing = run({"plays", "--play", "r2", "--out", file("none/plays.pdf")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.indexOf(QStringLiteral("文件没有保存")), -1) << missing.err.toStdString();
    EXPECT_TRUE(missing.out.isEmpty());
    for (const char* name : {"chart.txt", "chart.png", "bet.pdf", "none"})
        EXPECT_FALSE(std::filesystem::exists(dir.file(name))) << name;
}
