#include "gui/search/search_actions.h"

#include "gui/common/busy_cursor.h"
#include "gui/common/grid_style.h"
#include "gui/common/prompter.h"
#include "gui/common/result_note.h"
#include "gui/history/history_model.h"
#include "gui/search/search_models.h"
#include "gui/search/tally_chart.h"
#include "gui/window/main_window.h"
#include "history/period.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace app::gui {

namespace {

template <typename T> T* control(MainWindow& window, const QString& name) {
    return window.findChild<T*>(name);
}

// Whether the options and targets of now would search what request searched.
bool sameSearch(const search::SearchRequest& a, const search::SearchRequest& b, bool hasSpan) {
    if (a.type != b.type || a.positionMode != b.positionMode || a.periodMode != b.periodMode ||
        a.kind != b.kind || a.resultKind != b.resultKind || a.zodiacBase != b.zodiacBase ||
        a.segmentBase != b.segmentBase)
        return false;
    if (!a.lastPeriod() && a.distance != b.distance) return false;
    if (hasSpan && (a.spanStart != b.spanStart || a.spanEnd != b.spanEnd)) return false;
    if (a.combination()) return a.combinationSize == b.combinationSize && a.targets == b.targets;
    if (a.positions != b.positions) return false;
    for (int p = 0; p < 5; ++p)
        if (a.positions[p] && a.targets[p] != b.targets[p]) return false;
    return true;
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

    note_ = new ResultNote(QStringLiteral("searchResultNote"));
    if (auto* column = control<QWidget>(window, QStringLiteral("resultColumn")))
        if (auto* layout = qobject_cast<QVBoxLayout*>(column->layout()))
            layout->insertWidget(1, note_);
    watchInputs();
}

void SearchActions::watchInputs() {
    const auto watch = [this](const QString& name) {
        QObject* object = window_.findChild<QObject*>(name);
        if (auto* button = qobject_cast<QAbstractButton*>(object))
            connect(button, &QAbstractButton::toggled, this, &SearchActions::scheduleInputCheck);
        else if (auto* box = qobject_cast<QLineEdit*>(object)) {
            connect(box, &QLineEdit::textChanged, this, &SearchActions::scheduleInputCheck);
            connect(box, &QLineEdit::editingFinished, this, &SearchActions::scheduleInputCheck);
        }
    };
    for (int i = 0; i < 4; ++i) watch(QStringLiteral("Option1_%1").arg(i));
    for (int i = 0; i < 6; ++i) {
        watch(QStringLiteral("Option3_%1").arg(i));
        watch(QStringLiteral("Option4_%1").arg(i));
    }
    for (int p = 1; p <= 5; ++p)
        for (const char* name : {"Check1", "Check11", "Text22"})
            watch(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(p));
    watch(QStringLiteral("Text3_0"));
    watch(QStringLiteral("Text3_1"));
    watch(QStringLiteral("MaskEdBox2"));
    connect(combo_, &QComboBox::currentTextChanged, this, &SearchActions::scheduleInputCheck);
    if (auto* tabs = control<QTabWidget>(window_, QStringLiteral("TabStrip1")))
        connect(tabs, &QTabWidget::currentChanged, this, &SearchActions::scheduleInputCheck);
    // The targets and the span follow the history; a changed history is a reason of its own.
    connect(window_.historyModel(), &QAbstractItemModel::modelReset, this,
            &SearchActions::scheduleInputCheck);
}

void SearchActions::scheduleInputCheck() {
    // After the window's own handlers of the change have told the workspace.
    if (checkPending_ || !last_) return;
    checkPending_ = true;
    QTimer::singleShot(0, this, &SearchActions::checkInputs);
}

void SearchActions::checkInputs() {
    checkPending_ = false;
    if (!last_) return;
    const search::SearchRequest& was = last_->request;
    const Settings& s = workspace_.settings();
    search::SearchRequest now = was;
    now.positionMode = s.positionMode;
    now.periodMode = s.periodMode;
    now.distance = s.backDistance;
    now.kind = s.searchKind;
    now.resultKind = s.resultKind;
    now.zodiacBase = s.zodiacBase;
    now.segmentBase = s.segmentBase;
    now.targets = workspace_.targets();
    if (now.combination())
        now.combinationSize = s.combinationSize;
    else
        now.positions = chosenPositions();
    now.spanStart = history::lastEightAsNumber(workspace_.spanStart()).value_or(-1);
    now.spanEnd = history::lastEightAsNumber(workspace_.spanEnd()).value_or(-1);
    const bool hasSpan = !workspace_.rows().empty() || was.spanStart != 0;
    const bool differ = !sameSearch(was, now, hasSpan);
    const bool historyMoved = workspace_.history().version() != searchedVersion_;
    note_->setInputsDiffer(differ, historyMoved ? historyChangedText()
                                                : QStringLiteral("检索条件已改动，请重新检索"));
    // The window's own note (a history replaced, another game) greys the grids as well.
    const auto* hint = control<QLabel>(window_, QStringLiteral("staleResultsHint"));
    const bool greyed = note_->isStale() || (hint && !hint->isHidden());
    setGreyed(hitGrid_, greyed);
    setGreyed(tallyGrid_, greyed);
    if (chart_) chart_->setFaded(greyed);
}

QString SearchActions::resultText() const {
    const search::SearchRequest& r = last_->request;
    const auto& kinds = history::kindCaptions();
    QString what;
    if (r.combination()) {
        what = QStringLiteral("组合检索%1位").arg(r.combinationSize);
    } else {
        QStringList positions;
        for (int p = 0; p < 5; ++p)
            if (r.positions[p]) positions << QString::number(p + 1);
        what = positions.isEmpty()
                   ? QStringLiteral("检索")
                   : QStringLiteral("检索第%1位").arg(positions.join(QChar(0x3001)));
    }
    QString text =
        QStringLiteral("%1 %2，%3，%4，%5→%6")
            .arg(gameText(workspace_), what,
                 r.freePosition() ? QStringLiteral("自由位") : QStringLiteral("固定位"),
                 r.lastPeriod() ? QStringLiteral("上期") : QStringLiteral("前%1期").arg(r.distance),
                 QString::fromStdString(kinds[r.kind]),
                 QString::fromStdString(kinds[r.resultKind]));
    if (r.spanStart != 0)
        text += QStringLiteral("，%1至%2期")
                    .arg(QString::fromStdString(history::tenDigit(r.spanStart)),
                         QString::fromStdString(history::tenDigit(r.spanEnd)));
    return text;
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
    searchedVersion_ = workspace_.history().version();
    note_->setCurrent(resultText());
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
    const std::string notice = workspace_.takeWriteNotice();
    if (workspace_.readOnly() && problem.empty() && !notice.empty()) {
        // The status bar says it all along; a box after every search would only be in the way.
        if (readOnlyTold_) return;
        readOnlyTold_ = true;
        prompter_.warn(QStringLiteral("检索"), QString::fromStdString(notice));
        return;
    }
    // The result stands; the window says what it is based on without stopping the user.
    if (!notice.empty() && problem.empty())
        window_.statusBar()->showMessage(QString::fromStdString(notice), 15000);
    if (problem.empty()) return;
    prompter_.warn(QStringLiteral("检索"), QString::fromStdString(problem));
}

} // namespace app::gui
