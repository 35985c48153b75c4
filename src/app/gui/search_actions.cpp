#include "app/gui/search_actions.h"

#include "app/gui/busy_cursor.h"
#include "app/gui/grid_style.h"
#include "app/gui/main_window.h"
#include "app/gui/prompter.h"
#include "app/gui/search_models.h"
#include "app/gui/tally_chart.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>

namespace app::gui {

namespace {

template <typename T> T* control(MainWindow& window, const QString& name) {
    return window.findChild<T*>(name);
}

} // namespace

SearchActions::SearchActions(MainWindow& window, Workspace& workspace, Prompter& prompter)
    : QObject(&window), window_(window), workspace_(workspace), prompter_(prompter),
      service_(workspace) {
    hitGrid_ = control<QTableView>(window, QStringLiteral("MSFlexGrid2"));
    tallyGrid_ = control<QTableView>(window, QStringLiteral("MSFlexGrid3"));
    combo_ = control<QComboBox>(window, QStringLiteral("Combo1"));

    hitModel_ = new HitModel(this);
    hitGrid_->setModel(hitModel_);
    hitGrid_->setItemDelegateForColumn(6, new EarlierDrawDelegate(hitGrid_));
    setColumnTwips(
        hitGrid_, {1280, 800, 800, 800, 800, 800, 2800},
        {QStringLiteral("2016090852"), {}, {}, {}, {}, {}, QStringLiteral("03 07 01 11 05 ")});
    tallyModel_ = new TallyModel(this);
    tallyGrid_->setModel(tallyModel_);
    setColumnTwips(tallyGrid_, {480, 680, 800, 880},
                   {QStringLiteral("12"), QStringLiteral("11"), QStringLiteral("1000"),
                    QStringLiteral("100.000%")});

    if (QWidget* host = control<QWidget>(window, QStringLiteral("tallyChartHost"))) {
        chart_ = new TallyChart(host);
        host->layout()->addWidget(chart_);
    }

    connect(control<QPushButton>(window, QStringLiteral("Command1")), &QPushButton::clicked, this,
            &SearchActions::onSearchClicked);
    // Once the window is up, read ahead in the background what the first search needs.
    QTimer::singleShot(0, this, [this] { service_.warmUp(); });
    connect(control<QPushButton>(window, QStringLiteral("Command2")), &QPushButton::clicked, this,
            &SearchActions::onCombinationSearchClicked);
    // The size is taken when the box is left or an item is picked from its list.
    connect(combo_, &QComboBox::activated, this, [this] { takeCombinationSize(); });
    connect(combo_->lineEdit(), &QLineEdit::editingFinished, this,
            [this] { takeCombinationSize(); });
}

bool SearchActions::takeCombinationSize() {
    const std::string text = combo_->currentText().trimmed().toStdString();
    if (text == std::to_string(workspace_.settings().combinationSize)) return true;
    const Outcome outcome = workspace_.setCombinationSize(text);
    window_.reportSettingsProblem();
    if (!outcome.ok) {
        combo_->setCurrentText(QString::number(workspace_.settings().combinationSize));
        prompter_.warn(QStringLiteral("组合位数"), QString::fromStdString(outcome.message));
    }
    return outcome.ok;
}

std::array<bool, 5> SearchActions::chosenPositions() const {
    const bool manual = workspace_.targetSource() == TargetSource::Typed;
    std::array<bool, 5> positions{};
    for (int p = 1; p <= 5; ++p) {
        const QString name = QStringLiteral("%1_%2").arg(manual ? "Check11" : "Check1").arg(p);
        if (auto* box = control<QCheckBox>(window_, name)) positions[p - 1] = box->isChecked();
    }
    return positions;
}

void SearchActions::onSearchClicked() {
    window_.commitEditedBoxes();
    const std::array<bool, 5> positions = chosenPositions();
    SearchResult result;
    Outcome outcome;
    {
        BusyCursor busy;
        outcome = service_.patternSearch(positions, result);
    }
    show(std::move(result), outcome);
}

void SearchActions::onCombinationSearchClicked() {
    window_.commitEditedBoxes();
    if (!takeCombinationSize()) return;
    SearchResult result;
    Outcome outcome;
    {
        BusyCursor busy;
        outcome = service_.combinationSearch(result);
    }
    show(std::move(result), outcome);
}

void SearchActions::show(SearchResult result, const Outcome& outcome) {
    if (!outcome.ok) {
        prompter_.warn(QStringLiteral("检索"), QString::fromStdString(outcome.message));
        return;
    }
    last_ = std::make_shared<const SearchResult>(std::move(result));
    // Why each row is a hit, from the draws as the search read them.
    hitModel_->setResult(last_, search::hitReasons(workspace_.rows(), last_->request, last_->hits));
    tallyModel_->setResult(last_);
    hitGrid_->scrollToTop();
    if (chart_) chart_->showResult(*last_);
    window_.markResultsCurrent();
    if (workspace_.rows().empty())
        window_.statusBar()->showMessage(
            QStringLiteral("历史号码为空，没有可检索的期：请先输入或读入历史号码。"), 8000);
    else
        window_.statusBar()->showMessage(
            QStringLiteral("检索到 %1 期").arg(static_cast<qlonglong>(last_->hits.size())), 8000);
    // The database's final state is written in the background; a failure is told once it ends.
    QTimer::singleShot(0, this, &SearchActions::reportWriteProblem);
}

void SearchActions::reportWriteProblem() {
    if (workspace_.writePending()) {
        QTimer::singleShot(100, this, &SearchActions::reportWriteProblem);
        return;
    }
    const std::string problem = workspace_.takeWriteProblem();
    if (!problem.empty()) prompter_.warn(QStringLiteral("检索"), QString::fromStdString(problem));
    // The result stands; the window says what it is based on without stopping the user.
    if (const std::string notice = workspace_.takeWriteNotice(); !notice.empty() && problem.empty())
        window_.statusBar()->showMessage(QString::fromStdString(notice), 15000);
}

} // namespace app::gui
