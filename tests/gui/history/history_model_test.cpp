// The history grid's model against Qt's model checker, across changes of the history.

#include "gui/window_fixture.h"

#include "gui/history/history_model.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using testing_support::WindowFixture;

TEST(HistoryModel, StaysConsistentWhileTheHistoryGrows) {
    WindowFixture f;
    app::gui::HistoryModel model(f.workspace());
    QAbstractItemModelTester tester(&model,
                                    QAbstractItemModelTester::FailureReportingMode::Warning);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 6);

    f.store.type("2016090884", {{"03", "07", "01", "11", "05"}, {"10", "02", "04", "06", "08"}});
    // Until the refresh the model keeps answering for the rows it announced.
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_TRUE(model.refresh());
    EXPECT_FALSE(model.refresh());
    EXPECT_EQ(resets.count(), 1);
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.index(0, 0).data().toString(), "2016090884");
    EXPECT_EQ(model.index(1, 0).data().toString(), "2016090901");
    EXPECT_EQ(model.index(0, 2).data().toString(), "7");
    EXPECT_EQ(model.index(1, 1).data().toString(), "10");
    EXPECT_FALSE(model.index(0, 6).isValid());
    EXPECT_EQ(model.headerData(3, Qt::Horizontal).toString(), "第3码");
}
