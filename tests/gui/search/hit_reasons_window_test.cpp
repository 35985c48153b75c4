// Why a row of the hit grid is a hit: the marked positions of the earlier draw in its last column
// and, for a combination search, the agreeing sets of positions in the row's tooltip.

#include "gui/window_fixture.h"

#include "gui/search/search_models.h"
#include "history/period.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

#include <set>

using app::gui::HitModel;
using testing_support::WindowFixture;

namespace {

struct Row {
    QString period;
    QString earlier; // the last column's text
    int marked;      // positions 1..5 as bits 0..4
    QString tip;
};

std::vector<Row> hitRows(WindowFixture& f) {
    auto* model = f.find<QTableView>("MSFlexGrid2")->model();
    std::vector<Row> rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        rows.push_back({model->index(r, 0).data().toString(), model->index(r, 6).data().toString(),
                        model->index(r, 6).data(HitModel::EarlierPositionsRole).toInt(),
                        model->index(r, 1).data(Qt::ToolTipRole).toString()});
    }
    return rows;
}

void click(WindowFixture& f, const char* name) {
    QTest::mouseClick(f.find<QPushButton>(QLatin1String(name)), Qt::LeftButton);
}

// The targets are the newest draw, 03 01 02 04 06.
void prepare(WindowFixture& f) {
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"},
                                {"01", "03", "02", "04", "06"},
                                {"05", "06", "07", "08", "09"},
                                {"03", "01", "02", "04", "06"},
                                {"03", "01", "02", "04", "06"}});
    f.open();
}

} // namespace

TEST(HitReasons, TheEarlierDrawMarksWhatMadeEachRowAHit) {
    WindowFixture f;
    prepare(f);

    // Fixed position: the chosen positions, on every hit; no tooltip for a pattern search.
    f.find<QRadioButton>("Option1_0")->click();
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    f.find<QCheckBox>("Check1_3")->setChecked(true);
    click(f, "Command1");
    auto rows = hitRows(f);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].period, "2016090802");
    EXPECT_EQ(rows[0].earlier, "03 01 02 04 06 "); // the text itself is unchanged
    EXPECT_EQ(rows[0].marked, 0b00101);
    EXPECT_EQ(rows[1].period, "2016090805");
    EXPECT_EQ(rows[1].marked, 0b00101);
    EXPECT_EQ(rows[1].tip, "");

    // Free position: wherever the target value stood in the earlier draw.
    f.find<QCheckBox>("Check1_3")->setChecked(false);
    f.find<QRadioButton>("Option1_1")->click();
    click(f, "Command1");
    rows = hitRows(f);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].period, "2016090802");
    EXPECT_EQ(rows[0].marked, 0b00001);
    EXPECT_EQ(rows[1].period, "2016090803");
    EXPECT_EQ(rows[1].earlier, "01 03 02 04 06 ");
    EXPECT_EQ(rows[1].marked, 0b00010);
    EXPECT_EQ(rows[2].period, "2016090805");
    EXPECT_EQ(rows[2].marked, 0b00001);

    // A combination search names the sets that agreed and marks their positions.
    f.find<QRadioButton>("Option1_0")->click();
    f.find<QComboBox>("Combo1")->setCurrentText("2");
    click(f, "Command2");
    rows = hitRows(f);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].tip, "命中的位置组合：1+2、1+3、1+4、1+5、2+3、2+4、2+5、3+4、3+5、4+5");
    EXPECT_EQ(rows[0].marked, 0b11111);
    EXPECT_EQ(rows[1].period, "2016090803");
    EXPECT_EQ(rows[1].tip, "命中的位置组合：3+4、3+5、4+5");
    EXPECT_EQ(rows[1].marked, 0b11100);
    EXPECT_EQ(f.find<QTableView>("MSFlexGrid2")->model()->index(1, 6).data().toString(),
              "01 03 02 04 06 ");

    // The marks are painted: the patch colour shows in the row's last cell.
    auto* grid = f.find<QTableView>("MSFlexGrid2");
    const QImage image = grid->viewport()->grab().toImage();
    const QRect cell = grid->visualRect(grid->model()->index(1, 6));
    int patched = 0;
    for (int x = cell.left(); x <= cell.right() && x < image.width(); ++x)
        patched += image.pixelColor(x, cell.center().y()) == QColor(0xff, 0xc8, 0x50) ? 1 : 0;
    EXPECT_GT(patched, 0);
}

// Over a long history, every hit whose earlier draw is in memory has a reason: the reasons are
// found with the comparison the search made, for every mode and kind.
TEST(HitReasons, EveryHitOfTheSampleHasItsReason) {
    WindowFixture f;
    const std::string file = f.store.dir.file("sample.txt");
    {
        QFile sample(QStringLiteral(":/sample/示例-模拟数据.txt"));
        ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
        QFile out(QString::fromStdString(file));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(sample.readAll());
    }
    f.open();
    f.prompter.confirmations = {true};
    f.prompter.files = {QString::fromStdString(file)};
    click(f, "cmdRdLst");
    ASSERT_GT(f.workspace().rows().size(), 3000u);
    f.find<QComboBox>("Combo1")->setCurrentText("3");
    f.find<QCheckBox>("Check1_2")->setChecked(true);
    f.find<QCheckBox>("Check1_4")->setChecked(true);

    for (const char* kind : {"Option3_0", "Option3_1", "Option3_3", "Option3_5"}) {
        f.find<QRadioButton>(QLatin1String(kind))->click();
        for (const char* position : {"Option1_0", "Option1_1"}) {
            f.find<QRadioButton>(QLatin1String(position))->click();
            for (const int back : {1, 3}) {
                if (back == 1) {
                    f.find<QRadioButton>("Option1_3")->click();
                } else {
                    ASSERT_TRUE(f.workspace().setBackDistance(std::to_string(back)).ok);
                    f.find<QRadioButton>("Option1_2")->click();
                }
                // The first periods have no earlier draw in memory.
                std::set<QString> early;
                for (int r = 0; r < back; ++r)
                    early.insert(
                        QString::fromStdString(history::tenDigit(f.workspace().rows()[r].period)));
                for (const char* button : {"Command1", "Command2"}) {
                    SCOPED_TRACE(std::string(kind) + " " + position + " " + std::to_string(back) +
                                 " " + button);
                    click(f, button);
                    const auto rows = hitRows(f);
                    EXPECT_FALSE(rows.empty());
                    for (const Row& row : rows) {
                        if (early.count(row.period)) continue;
                        EXPECT_NE(row.marked, 0) << row.period.toStdString();
                        if (std::string(button) == "Command2") {
                            EXPECT_TRUE(row.tip.startsWith(QStringLiteral("命中的位置组合：")))
                                << row.period.toStdString();
                        }
                    }
                }
            }
        }
    }
    EXPECT_TRUE(f.prompter.warnings().empty());
}
