// The back-test driven through the window: the 回测 button, its dialog, the run, cancel and the
// figures against the service's own.

#include "gui/window_fixture.h"

#include "gui/backtest/backtest_chart.h"
#include "gui/backtest/backtest_dialog.h"
#include "gui/backtest/backtest_model.h"
#include "workspace/backtest_service.h"
#include "workspace/search_service.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>

using testing_support::WindowFixture;

namespace {

// Forty draws that vary, the same in every run.
std::vector<std::array<std::string, 5>> variedDraws() {
    std::vector<std::array<std::string, 5>> draws;
    unsigned state = 12345;
    for (int d = 0; d < 40; ++d) {
        std::array<int, 11> numbers{};
        std::iota(numbers.begin(), numbers.end(), 1);
        for (int i = 10; i > 0; --i) {
            state = state * 1103515245u + 12345u;
            std::swap(numbers[i], numbers[(state >> 16) % static_cast<unsigned>(i + 1)]);
        }
        std::array<std::string, 5> draw;
        for (int i = 0; i < 5; ++i) {
            char text[8];
            std::snprintf(text, sizeof text, "%02d", numbers[i]);
            draw[i] = text;
        }
        draws.push_back(draw);
    }
    return draws;
}

app::gui::BacktestDialog* openDialog(WindowFixture& f) {
    QTest::mouseClick(f.find<QPushButton>("backtestButton"), Qt::LeftButton);
    return f.find<app::gui::BacktestDialog>("backtestDialog");
}

// The window over forty varied draws, the first position chosen, and the dialog opened.
app::gui::BacktestDialog* openOnVariedDraws(WindowFixture& f) {
    f.store.type("2016090801", variedDraws());
    f.open();
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    return openDialog(f);
}

template <class T> T* in(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(QLatin1String(name));
    if (!child) ADD_FAILURE() << "no child named " << name;
    return child;
}

// The figures the service gives for the workspace's settings.
search::BacktestResult serviceRun(WindowFixture& f, search::SearchType type,
                                  const std::array<bool, 5>& positions, int steps, int top) {
    app::SearchService searches(f.workspace());
    app::BacktestService service(f.workspace(), searches);
    history::NoProgress progress;
    search::BacktestResult result;
    EXPECT_TRUE(service.run(type, positions, {steps, top}, progress, result).ok);
    return result;
}

void expectTableShows(QTableView* table, const search::BacktestResult& expected) {
    ASSERT_EQ(table->model()->rowCount(), static_cast<int>(expected.top.size()));
    for (int row = 0; row < table->model()->rowCount(); ++row)
        for (int c = 0; c < table->model()->columnCount(); ++c)
            EXPECT_EQ(table->model()->index(row, c).data().toString().toStdString(),
                      app::backtestTableCell(expected, static_cast<size_t>(row), c))
                << "row " << row << ", column " << c;
}

} // namespace

TEST(BacktestWindow, TheDialogTestsTheSearchOfTheWindowAndShowsTheServicesFigures) {
    WindowFixture f;
    f.store.type("2016090801", variedDraws());
    f.open();
    f.find<QRadioButton>("Option1_0")->click(); // fixed position
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    f.find<QCheckBox>("Check1_3")->setChecked(true);
    // A box of the other tab is not a position 检索 compares.
    f.find<QCheckBox>("Check11_2")->setChecked(true);

    auto* dialog = openDialog(f);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    auto* pattern = in<QRadioButton>(dialog, "backtestPattern");
    EXPECT_TRUE(pattern->isChecked());
    EXPECT_TRUE(pattern->text().contains(QStringLiteral("第1、3位")));
    EXPECT_TRUE(in<QLabel>(dialog, "backtestRules")->text().contains(QStringLiteral("固定位")));
    EXPECT_EQ(in<QSpinBox>(dialog, "backtestSteps")->value(), 100);
    EXPECT_EQ(in<QSpinBox>(dialog, "backtestTop")->value(), 3);
    in<QSpinBox>(dialog, "backtestSteps")->setValue(30);
    in<QSpinBox>(dialog, "backtestTop")->setValue(4);
    QTest::mouseClick(in<QPushButton>(dialog, "backtestRun"), Qt::LeftButton);

    const auto expected =
        serviceRun(f, search::SearchType::Pattern, {true, false, true, false, false}, 30, 4);
    ASSERT_EQ(expected.top.size(), 4u);
    auto* table = in<QTableView>(dialog, "backtestTable");
    expectTableShows(table, expected);
    const QString summary = in<QLabel>(dialog, "backtestSummary")->text();
    EXPECT_TRUE(summary.contains(QStringLiteral("%1期检索无结果").arg(expected.skipped)))
        << summary.toStdString();
    EXPECT_TRUE(f.prompter.warnings().empty());

    // The chart follows the row chosen: cumulative successes of that k, from 0 to its total.
    table->selectRow(1);
    auto* chart = in<app::gui::BacktestChart>(dialog, "backtestChart");
    const auto series = chart->chart()->series();
    ASSERT_EQ(series.size(), 2);
    auto* successes = qobject_cast<QLineSeries*>(series.front());
    ASSERT_NE(successes, nullptr);
    ASSERT_EQ(successes->count(), static_cast<int>(expected.tested()) + 1);
    EXPECT_EQ(successes->at(successes->count() - 1).y(),
              static_cast<double>(expected.top[1].successes));

    // The combination search with the size of the box, as 组合检索 would run it.
    in<QRadioButton>(dialog, "backtestCombination")->click();
    QTest::mouseClick(in<QPushButton>(dialog, "backtestRun"), Qt::LeftButton);
    expectTableShows(table, serviceRun(f, search::SearchType::Combination, {}, 30, 4));

    // Reopened, the dialog keeps what was chosen.
    QPointer<QDialog> closed(dialog);
    QTest::mouseClick(in<QPushButton>(dialog, "backtestClose"), Qt::LeftButton);
    QTest::qWait(0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closed.isNull());
    dialog = openDialog(f);
    EXPECT_TRUE(in<QRadioButton>(dialog, "backtestCombination")->isChecked());
    EXPECT_EQ(in<QSpinBox>(dialog, "backtestSteps")->value(), 30);
    dialog->reject();
    EXPECT_EQ(f.workspace().waitForWrites(), "");
}

// A run of many periods goes on beside the window: the window's timers keep running, a click on
// 取消 is taken at once, closing the dialog stops the run, and closing the window asks first.
TEST(BacktestWindow, ALongRunLeavesTheWindowAliveAndStopsForCancelOrClose) {
    WindowFixture f;
    ASSERT_NO_FATAL_FAILURE(testing_support::importRandomDraws(f, 3000, 5));
    f.open();
    f.find<QCheckBox>("Check1_1")->setChecked(true);
    auto* dialog = openDialog(f);
    ASSERT_NE(dialog, nullptr);
    auto* table = in<QTableView>(dialog, "backtestTable");
    auto* run = in<QPushButton>(dialog, "backtestRun");
    auto* steps = in<QSpinBox>(dialog, "backtestSteps");
    steps->setValue(2999);
    // The combination search, the longer of the two.
    in<QRadioButton>(dialog, "backtestCombination")->click();

    // Ticks of a timer of the window counted while the run goes on; actions at given ticks.
    int ticks = 0;
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += dialog->running(); });
    const auto at = [&](int tick, std::function<void()> action) {
        return QObject::connect(&ticker, &QTimer::timeout,
                                [&ticks, tick, action, done = false]() mutable {
                                    if (ticks < tick || done) return;
                                    done = true;
                                    action();
                                });
    };
    const auto runWhile = [&](std::vector<QMetaObject::Connection> actions) {
        ticks = 0;
        ticker.start();
        QTest::mouseClick(run, Qt::LeftButton);
        ticker.stop();
        for (const auto& action : actions) QObject::disconnect(action);
    };
    bool cancelShown = false;
    runWhile({at(1, [&] {
        auto* cancel = dialog->findChild<QPushButton*>(QStringLiteral("backtestCancel"));
        cancelShown = cancel && cancel->isVisible() && cancel->isEnabled() && dialog->running();
        if (cancel) cancel->click();
    })});
    EXPECT_TRUE(cancelShown);
    EXPECT_GE(ticks, 1) << "the window's timers stood still";
    EXPECT_FALSE(dialog->running());
    EXPECT_EQ(table->model()->rowCount(), 0);
    EXPECT_TRUE(in<QLabel>(dialog, "backtestSummary")->text().contains(QStringLiteral("取消")));
    EXPECT_TRUE(in<app::gui::BacktestChart>(dialog, "backtestChart")->chart()->series().isEmpty());
    EXPECT_TRUE(run->isEnabled());
    EXPECT_TRUE(f.prompter.warnings().empty());

    // A run after a cancel runs to its end.
    steps->setValue(20);
    in<QSpinBox>(dialog, "backtestTop")->setValue(2);
    QTest::mouseClick(run, Qt::LeftButton);
    EXPECT_EQ(table->model()->rowCount(), 2);

    // Closing the dialog while it runs stops the run and then closes it.
    steps->setValue(2999);
    QPointer<QDialog> watched(dialog);
    runWhile({at(1, [dialog] { dialog->reject(); })});
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
    EXPECT_TRUE(f.prompter.warnings().empty());

    // Closing the window while a run goes on: "no" lets it run on, "yes" stops it and closes.
    dialog = openDialog(f);
    run = in<QPushButton>(dialog, "backtestRun");
    f.prompter.confirmations = {false, true};
    bool runsOn = false;
    runWhile({at(1, [&] { f.window->close(); }), at(3, [&] {
                  runsOn = f.window->isVisible() && dialog->running();
                  f.window->close();
              })});
    QApplication::processEvents();
    EXPECT_TRUE(runsOn);
    EXPECT_FALSE(f.window->isVisible());
    const auto asked = f.prompter.texts(QStringLiteral("confirm"));
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_TRUE(asked[0].contains(QStringLiteral("回测"))) << asked[0].toStdString();
    EXPECT_EQ(f.workspace().waitForWrites(), "");
}

TEST(BacktestWindow, FiguresNameWhatTheyWereRunOnAndGreyWhenTheSettingsOrTheHistoryChange) {
    WindowFixture f;
    auto* dialog = openOnVariedDraws(f);
    ASSERT_NE(dialog, nullptr);
    auto* note = in<QLabel>(dialog, "backtestResultNote");
    auto* table = in<QTableView>(dialog, "backtestTable");
    auto* steps = in<QSpinBox>(dialog, "backtestSteps");
    const auto greyed = [table] {
        const QPalette& p = table->palette();
        return p.color(QPalette::Active, QPalette::Text) ==
               p.color(QPalette::Disabled, QPalette::Text);
    };
    EXPECT_FALSE(note->isVisible());
    steps->setValue(20);
    QTest::mouseClick(in<QPushButton>(dialog, "backtestRun"), Qt::LeftButton);
    EXPECT_TRUE(note->isVisible());
    EXPECT_TRUE(note->text().contains(QStringLiteral("江西11选5")));
    EXPECT_TRUE(note->text().contains(QStringLiteral("2016090840期")))
        << note->text().toStdString();
    EXPECT_FALSE(greyed());

    // Other settings in the dialog grey the figures until they are put back.
    steps->setValue(21);
    EXPECT_TRUE(greyed());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("条件已改动")));
    steps->setValue(20);
    EXPECT_FALSE(greyed());

    // Should the window take in a draw while the dialog is open (it defers outside changes
    // while a dialog is up): the figures stay greyed, whatever the boxes say, until run again.
    ASSERT_TRUE(f.workspace().addDraw({"02", "04", "06", "08", "10"}).ok);
    f.window->refreshAfterHistoryChange();
    EXPECT_TRUE(greyed());
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("历史号码已更改")))
        << note->text().toStdString();
    steps->setValue(21);
    steps->setValue(20);
    EXPECT_TRUE(greyed());
    QTest::mouseClick(in<QPushButton>(dialog, "backtestRun"), Qt::LeftButton);
    EXPECT_FALSE(greyed());
    EXPECT_TRUE(note->text().contains(QStringLiteral("2016090841期")))
        << note->text().toStdString();
    dialog->reject();
    EXPECT_EQ(f.workspace().waitForWrites(), "");
}

TEST(BacktestWindow, AHistoryTooShortIsToldAndShowsNoFigures) {
    WindowFixture f;
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"}});
    f.open();
    auto* dialog = openDialog(f);
    ASSERT_NE(dialog, nullptr);
    QTest::mouseClick(in<QPushButton>(dialog, "backtestRun"), Qt::LeftButton);
    ASSERT_EQ(f.prompter.warnings().size(), 1u);
    EXPECT_TRUE(f.prompter.warnings().front().contains(QStringLiteral("不足两期")));
    EXPECT_EQ(in<QTableView>(dialog, "backtestTable")->model()->rowCount(), 0);
    dialog->reject();
}

TEST(BacktestWindow, TheRedMarkGoesByTheAdjustedPValue) {
    // k = 1 with p 0.03 but adjusted 0.06 over three values of k: no mark; k = 2 adjusted 0.006.
    auto result = std::make_shared<search::BacktestResult>();
    result->steps.resize(50);
    const double p[] = {0.03, 0.002, 0.5}, adjusted[] = {0.06, 0.006, 0.5};
    for (int k = 0; k < 3; ++k) {
        search::BacktestFigures f;
        f.k = k + 1;
        f.pValue = p[k];
        f.pAdjusted = adjusted[k];
        result->top.push_back(f);
    }
    app::gui::BacktestModel model;
    model.setResult(result);
    const int verdict = model.columnCount() - 1;
    EXPECT_EQ(model.headerData(verdict - 1, Qt::Horizontal).toString(), "校正p值");
    EXPECT_FALSE(model.data(model.index(0, verdict), Qt::ForegroundRole).isValid());
    EXPECT_TRUE(model.data(model.index(1, verdict), Qt::ForegroundRole).isValid());
    EXPECT_EQ(model.data(model.index(0, verdict)).toString(), "与随机无明显差别");
    EXPECT_EQ(model.data(model.index(1, verdict)).toString(), "明显高于随机");
}
