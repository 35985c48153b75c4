// The 我的投注 page driven as a user would: a typed record, settled by a new draw with its notice
// in the notices and today's net in the status bar, the ledger, removing after the question; and
// 记入我的投注 from the shrink page.

#include "gui/window_fixture.h"

#include "workspace/notices.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabBar>
#include <QTableView>

using testing_support::WindowFixture;

namespace {

QString cell(QTableView* table, int row, int column) {
    return table->model()->index(row, column).data().toString();
}

} // namespace

TEST(TicketsWindow, RecordSettleTellAndRemove) {
    WindowFixture f;
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"}});
    auto& window = f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(5);
    QApplication::processEvents();
    auto* records = f.find<QTableView>("ticketRecords");
    f.find<QComboBox>("ticketPlayBox")->setCurrentIndex(1); // 任二
    f.find<QLineEdit>("ticketPicksBox")->setText("01 02；09 10");
    f.find<QPushButton>("ticketAddButton")->click();
    ASSERT_TRUE(f.prompter.warnings().empty()) << f.prompter.warnings().front().toStdString();
    ASSERT_EQ(records->model()->rowCount(), 1);
    EXPECT_EQ(cell(records, 0, 2), "01 02；09 10");
    EXPECT_EQ(cell(records, 0, 7), "等待开奖");

    // A bad pick is refused and nothing is added.
    f.find<QLineEdit>("ticketPicksBox")->setText("01 12");
    f.find<QPushButton>("ticketAddButton")->click();
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_EQ(records->model()->rowCount(), 1);

    ASSERT_TRUE(f.workspace().addDraw({"01", "02", "06", "07", "08"}).ok);
    window.refreshAfterHistoryChange();
    ASSERT_FALSE(window.notices().all().empty());
    const app::Notice& told = window.notices().all().back();
    EXPECT_EQ(told.kind, app::NoticeKind::Ticket);
    EXPECT_EQ(told.text, "投注记录1：第2016090802期 任二 中奖 6 元");
    EXPECT_EQ(told.period, 16090802);
    EXPECT_EQ(f.find<QLabel>("todaysNetLabel")->text(), "今日投注净额：2 元");
    EXPECT_EQ(cell(records, 0, 7), "中奖");
    auto* ledger = f.find<QTableView>("ledgerTable");
    EXPECT_EQ(cell(ledger, 0, 0), "2016-09-08");
    EXPECT_EQ(cell(ledger, 0, 5), "2");
    EXPECT_EQ(cell(ledger, 1, 0), "全部");

    records->selectRow(0);
    f.prompter.confirmations.push_back(false);
    f.find<QPushButton>("ticketRemoveButton")->click();
    EXPECT_EQ(records->model()->rowCount(), 1);
    f.prompter.confirmations.push_back(true);
    f.find<QPushButton>("ticketRemoveButton")->click();
    EXPECT_EQ(records->model()->rowCount(), 0);
}

TEST(TicketsWindow, TheShrinkPagesTicketsAreRecorded) {
    WindowFixture f;
    f.store.type("2016090801", {{"01", "02", "03", "04", "05"},
                                {"06", "07", "08", "09", "10"},
                                {"01", "03", "02", "04", "11"}});
    f.open();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(3);
    QApplication::processEvents();
    auto* playBox = f.find<QComboBox>("shrinkPlay");
    playBox->setCurrentIndex(playBox->findData(static_cast<int>(play::Play::Front2Direct)));
    // Both positions odd and small: 01, 03, 05 in either order.
    for (const auto& [name, pattern] :
         {std::pair{"shrink_pattern_odd", "11"}, std::pair{"shrink_pattern_big", "00"}}) {
        auto* box = f.find<QLineEdit>(name);
        box->setText(pattern);
        emit box->editingFinished();
    }
    f.prompter.answers.push_back(QString());
    f.find<QPushButton>("shrinkRecord")->click();
    const auto told = f.prompter.texts(QStringLiteral("inform"));
    ASSERT_FALSE(told.empty()) << (f.prompter.warnings().empty()
                                       ? ""
                                       : f.prompter.warnings()[0].toStdString());
    EXPECT_NE(told.back().indexOf("已记入投注记录1"), -1) << told.back().toStdString();
    f.find<QTabBar>("pageTabs")->setCurrentIndex(5);
    QApplication::processEvents();
    auto* records = f.find<QTableView>("ticketRecords");
    ASSERT_EQ(records->model()->rowCount(), 1);
    EXPECT_EQ(cell(records, 0, 3), "6");
    EXPECT_EQ(cell(records, 0, 4), "2016090804");
}
