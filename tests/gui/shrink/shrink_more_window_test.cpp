// The shrink tab's further conditions and tolerance, the format of saved tickets and the
// 旋转矩阵 part, driven as a user would.

#include "gui/window_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>

#include <fstream>
#include <iterator>

using testing_support::WindowFixture;

namespace {

void prepare(WindowFixture& f) {
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"},
                                {"06", "07", "08", "09", "10"},
                                {"01", "03", "02", "04", "11"}});
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(3);
    QApplication::processEvents();
}

void type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    emit edit->editingFinished();
}

// 前二直选, both positions odd and both small: 01, 03, 05 in either order; one forgiven: 44.
TEST(ShrinkMoreWindow, PatternsToleranceAndTheSavedFormat) {
    WindowFixture f;
    prepare(f);
    auto* playBox = f.find<QComboBox>("shrinkPlay");
    playBox->setCurrentIndex(playBox->findData(static_cast<int>(play::Play::Front2Direct)));
    auto* count = f.find<QLabel>("shrinkCount");
    EXPECT_NE(count->text().indexOf("<b>110</b> / 110"), -1) << count->text().toStdString();
    type(f.find<QLineEdit>("shrink_pattern_odd"), "11");
    type(f.find<QLineEdit>("shrink_pattern_big"), "00");
    EXPECT_NE(count->text().indexOf("<b>6</b> / 110"), -1) << count->text().toStdString();
    f.find<QSpinBox>("shrinkTolerance")->setValue(1);
    EXPECT_NE(count->text().indexOf("<b>44</b> / 110"), -1) << count->text().toStdString();
    auto* table = f.find<QTableWidget>("shrinkTable");
    ASSERT_EQ(table->rowCount(), 5); // two patterns, the filter, 0 and 1 failures
    EXPECT_EQ(table->item(3, 0)->text(), "容错：不符0个条件");
    EXPECT_EQ(table->item(3, 1)->text(), "6");
    EXPECT_EQ(table->item(4, 1)->text(), "38");

    f.find<QSpinBox>("shrinkTolerance")->setValue(0);
    auto* format = f.find<QComboBox>("shrinkFormat");
    ASSERT_EQ(format->count(), 3); // bars for an ordered play
    format->setCurrentIndex(2);
    const std::string path = f.store.dir.file("q2d.txt");
    f.prompter.files.push_back(QString::fromStdString(path));
    f.find<QPushButton>("shrinkSave")->click();
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "01|03\r\n01|05\r\n03|01\r\n03|05\r\n05|01\r\n05|03\r\n");
    const auto told = f.prompter.texts(QStringLiteral("inform"));
    ASSERT_FALSE(told.empty());
    EXPECT_NE(told.back().indexOf("已保存6注"), -1) << told.back().toStdString();
    f.find<QPushButton>("shrinkCopy")->click();
    EXPECT_EQ(f.find<QLabel>("shrinkTicketNote")->text(), "已复制6注");

    // A set play has no positions: no bars, no patterns.
    playBox->setCurrentIndex(playBox->findData(static_cast<int>(play::Play::Any3)));
    EXPECT_EQ(format->count(), 2);
    EXPECT_FALSE(f.find<QLineEdit>("shrink_pattern_odd")->isEnabled());
    // A folder that does not exist is named, nothing written.
    f.prompter.files.push_back(QString::fromStdString(f.store.dir.file("missing/x.txt")));
    f.find<QPushButton>("shrinkSave")->click();
    ASSERT_FALSE(f.prompter.warnings().empty());
    EXPECT_NE(f.prompter.warnings().back().indexOf("missing”不存在"), -1)
        << f.prompter.warnings().back().toStdString();

    // A bad group of 胆 says so in the count line.
    type(f.find<QLineEdit>("shrinkDanGroups"), "01,02");
    EXPECT_NE(count->text().indexOf("胆组"), -1) << count->text().toStdString();
    type(f.find<QLineEdit>("shrinkDanGroups"), "01,02,03:3");
    EXPECT_NE(count->text().indexOf("<b>1</b> / 165"), -1) << count->text().toStdString();
}

TEST(ShrinkMoreWindow, CoverFromAPoolOnThePad) {
    WindowFixture f;
    prepare(f);
    f.find<QComboBox>("coverPlay")->setCurrentIndex(0); // 任二
    f.find<QSpinBox>("coverM")->setValue(3);
    for (int n = 6; n <= 8; ++n) f.find<QPushButton>(QStringLiteral("coverPool%1").arg(n))->click();
    f.find<QPushButton>("coverBuild")->click();
    const QString counts = f.find<QLabel>("coverCounts")->text();
    EXPECT_NE(counts.indexOf("<b>4</b> 注（全部复式 10 注，至少需要 4 注）"), -1)
        << counts.toStdString();
    EXPECT_EQ(f.find<QPlainTextEdit>("coverTickets")->toPlainText().count('\n'), 3);
    // With the tab's conditions (01 killed) the guarantee breaks for some triples.
    f.find<QPushButton>("shrinkPad1")->click();
    f.find<QPushButton>("shrinkPad1")->click();
    f.find<QCheckBox>("coverWithConditions")->setChecked(true);
    f.find<QComboBox>("shrinkPlay")
        ->setCurrentIndex(
            f.find<QComboBox>("shrinkPlay")->findData(static_cast<int>(play::Play::Any2)));
    f.find<QPushButton>("coverBuild")->click();
    EXPECT_NE(f.find<QLabel>("coverCounts")->text().indexOf("不再保证"), -1)
        << f.find<QLabel>("coverCounts")->text().toStdString();

    // The matrix names what it was made from and greys once the pool, the play or m differ, or
    // (thinned by the conditions, some of which look at the draws) once the history changes.
    auto* note = f.find<QLabel>("coverResultNote");
    auto* tickets = f.find<QPlainTextEdit>("coverTickets");
    const auto greyed = [tickets] {
        const QPalette& p = tickets->palette();
        return p.color(QPalette::Active, QPalette::Text) ==
               p.color(QPalette::Disabled, QPalette::Text);
    };
    EXPECT_TRUE(note->text().contains(QStringLiteral("号码池 01 02 03 04 05")))
        << note->text().toStdString();
    EXPECT_FALSE(greyed());
    f.find<QPushButton>("coverPool9")->click();
    EXPECT_TRUE(greyed());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("条件已改动")));
    f.find<QPushButton>("coverPool9")->click();
    EXPECT_FALSE(greyed());
    f.find<QComboBox>("coverPlay")->setCurrentIndex(1);
    EXPECT_TRUE(greyed());
    f.find<QComboBox>("coverPlay")->setCurrentIndex(0);
    f.find<QSpinBox>("coverM")->setValue(3);
    EXPECT_FALSE(greyed());
    ASSERT_TRUE(f.workspace().addDraw({"02", "04", "06", "08", "10"}).ok);
    f.window->refreshAfterHistoryChange();
    EXPECT_TRUE(greyed());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("历史号码已更改")))
        << note->text().toStdString();
    f.find<QPushButton>("coverBuild")->click();
    EXPECT_FALSE(greyed());
    // Not thinned, the matrix does not depend on the draws.
    f.find<QCheckBox>("coverWithConditions")->setChecked(false);
    f.find<QPushButton>("coverBuild")->click();
    ASSERT_TRUE(f.workspace().addDraw({"01", "03", "05", "07", "09"}).ok);
    f.window->refreshAfterHistoryChange();
    EXPECT_FALSE(greyed());
    EXPECT_EQ(f.workspace().waitForWrites(), "");
}

} // namespace
