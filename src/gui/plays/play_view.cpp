#include "gui/plays/play_view.h"

#include "gui/common/background_work.h"
#include "gui/common/chart_setup.h"
#include "gui/common/grid_style.h"
#include "gui/common/prompter.h"
#include "gui/common/result_note.h"
#include "gui/common/scrolling_tab.h"
#include "gui/plays/plan_panel.h"
#include "gui/tickets/ticket_recording.h"
#include "history/game_record.h"
#include "history/period.h"
#include "workspace/figure_caveat.h"
#include "workspace/number_text.h"
#include "workspace/workspace.h"

#include <QChart>
#include <QChartView>
#include <QColor>
#include <QComboBox>
#include <QFormLayout>
#include <QGraphicsLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace app::gui {

namespace {

// The column of 欲出几率 in playTableHeader().
constexpr int kRatioColumn = 9;

// Rows sorted by the value a column sorts by, not by its text.
class PlaySortModel : public QSortFilterProxyModel {
  public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

  protected:
    bool lessThan(const QModelIndex& a, const QModelIndex& b) const override {
        const double x = a.data(PlayTableModel::SortRole).toDouble();
        const double y = b.data(PlayTableModel::SortRole).toDouble();
        if (x != y) return x < y;
        // Ties keep selection order whichever way the column is sorted.
        const bool descending = sortOrder() == Qt::DescendingOrder;
        return descending ? a.row() > b.row() : a.row() < b.row();
    }
};

} // namespace

void PlayTableModel::setTable(std::unique_ptr<play::PlayTable> table) {
    beginResetModel();
    table_ = std::move(table);
    coldest_ = table_ && table_->periods() ? table_->largestCurrent() : -1;
    endResetModel();
}

int PlayTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !table_ ? 0 : static_cast<int>(table_->selections().size());
}

int PlayTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(playTableHeader().size());
}

QVariant PlayTableModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid()) return {};
    const auto selection = static_cast<std::uint32_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(
            playTableCell(workspace_, *table_, selection, index.column()));
    case SortRole:
        return playTableSortKey(*table_, selection, index.column());
    case Qt::TextAlignmentRole:
        return index.column() == 0 ? int(Qt::AlignLeft | Qt::AlignVCenter)
                                   : int(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // The coldest tickets: the largest current omission.
        if (table_->figures()[selection].current == coldest_) return QColor(0xcf, 0xe8, 0xff);
        return {};
    case Qt::ToolTipRole:
        if (table_->figures()[selection].current == coldest_)
            return QStringLiteral("最冷：本次遗漏最大");
        return {};
    default:
        return {};
    }
}

QVariant PlayTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && section == kRatioColumn &&
        table_)
        return QStringLiteral("欲出几率 = 本次遗漏 ÷ 平均遗漏，是一个比值，不是中奖的机会："
                              "每注每期中奖的机会都是 %1，遗漏多久都不变")
            .arg(QString::fromStdString(chanceText(table_->chance())));
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    const auto header = playTableHeader();
    return section >= 0 && static_cast<size_t>(section) < header.size()
               ? QString::fromStdString(header[static_cast<size_t>(section)])
               : QVariant();
}

PlayView::PlayView(Workspace& workspace, Prompter& prompter, QWidget* parent)
    : QWidget(parent), workspace_(workspace), prompter_(prompter),
      searches_(std::make_unique<SearchService>(workspace)),
      service_(std::make_unique<PlayService>(workspace, *searches_)) {
    setObjectName(QStringLiteral("playView"));
    auto* layout = scrollingColumn(*this);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("玩法")));
    playBox_ = new QComboBox;
    playBox_->setObjectName(QStringLiteral("playChooser"));
    for (const auto& p : play::plays())
        playBox_->addItem(QString::fromUtf8(p.name), QString::fromUtf8(p.code));
    playBox_->setCurrentIndex(static_cast<int>(play::Play::Any5));
    top->addWidget(playBox_);
    tableNote_ = new QLabel;
    tableNote_->setObjectName(QStringLiteral("playTableNote"));
    tableNote_->setWordWrap(true);
    top->addWidget(tableNote_, 1);
    layout->addLayout(top);

    auto* splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("playSplitter"));
    layout->addWidget(splitter, 1);
    model_ = new PlayTableModel(workspace_, this);
    auto* sorted = new PlaySortModel(this);
    sorted->setSourceModel(model_);
    sorted->setSortRole(PlayTableModel::SortRole);
    grid_ = new QTableView;
    grid_->setObjectName(QStringLiteral("playTable"));
    grid_->setModel(sorted);
    setupGrid(grid_);
    grid_->setSortingEnabled(true);
    grid_->sortByColumn(-1, Qt::AscendingOrder);
    grid_->horizontalHeader()->setSortIndicatorShown(true);
    grid_->setToolTip(QStringLiteral("点列标题排序；浅蓝色的行是本次遗漏最大的号码（最冷）"));
    splitter->addWidget(grid_);

    auto* panel = new QGroupBox(QStringLiteral("投注回测：这样选号，过去会赢还是输"));
    panel->setObjectName(QStringLiteral("betPanel"));
    auto* panelLayout = new QHBoxLayout(panel);
    auto* left = new QVBoxLayout;
    auto* form = new QFormLayout;
    ruleBox_ = new QComboBox;
    ruleBox_->setObjectName(QStringLiteral("betRule"));
    ruleBox_->addItem(QStringLiteral("追最冷（本次遗漏最大）"), int(PickRule::Coldest));
    ruleBox_->addItem(QStringLiteral("追最热（本次遗漏最小）"), int(PickRule::Hottest));
    ruleBox_->addItem(QStringLiteral("固定号码"), int(PickRule::Fixed));
    ruleBox_->addItem(QStringLiteral("检索结果前几位（当前检索条件）"), int(PickRule::Search));
    ruleBox_->addItem(QStringLiteral("组合检索结果前几位（当前条件）"), 100);
    form->addRow(QStringLiteral("选号规则"), ruleBox_);
    ticketsBox_ = new QLineEdit;
    ticketsBox_->setObjectName(QStringLiteral("betTickets"));
    ticketsBox_->setPlaceholderText(
        QStringLiteral("每注号码用空格分开，多注用分号分开：01 02；03 04"));
    form->addRow(QStringLiteral("固定号码"), ticketsBox_);
    stepsBox_ = new QSpinBox;
    stepsBox_->setObjectName(QStringLiteral("betSteps"));
    stepsBox_->setRange(1, kMaxBetSteps);
    stepsBox_->setValue(1000);
    form->addRow(QStringLiteral("回测期数"), stepsBox_);
    randomBox_ = new QSpinBox;
    randomBox_->setObjectName(QStringLiteral("betRandomRuns"));
    randomBox_->setRange(0, kMaxRandomRuns);
    randomBox_->setValue(1000);
    form->addRow(QStringLiteral("随机对照次数"), randomBox_);
    seedBox_ = new QSpinBox;
    seedBox_->setObjectName(QStringLiteral("betSeed"));
    seedBox_->setRange(0, 1000000000);
    seedBox_->setValue(1);
    form->addRow(QStringLiteral("随机种子"), seedBox_);
    left->addLayout(form);
    runButton_ = new QPushButton(QStringLiteral("回测投注"));
    runButton_->setObjectName(QStringLiteral("betButton"));
    left->addWidget(runButton_);
    auto* record = new QPushButton(QStringLiteral("记入我的投注"));
    record->setObjectName(QStringLiteral("playRecord"));
    record->setToolTip(QStringLiteral("把表中选中的号码记入我的投注"));
    left->addWidget(record);
    connect(record, &QPushButton::clicked, this, [this] {
        TicketsToRecord what;
        what.play = chosenPlay();
        std::set<int> rows;
        for (const QModelIndex& cell : grid_->selectionModel()->selectedIndexes())
            rows.insert(cell.row());
        for (const int row : rows)
            if (const auto parsed = play::parseSelection(
                    what.play,
                    grid_->model()->index(row, 0).data(Qt::DisplayRole).toString().toStdString());
                parsed.selection)
                what.tickets.push_back(*parsed.selection);
        what.entered = QStringLiteral("玩法表选中%1注").arg(what.tickets.size());
        recordTickets(workspace_, prompter_, what);
    });
    left->addStretch(1);
    panelLayout->addLayout(left);
    // The chart and the figures take turns on the right: beside the form neither fits whole.
    auto* results = new QTabWidget;
    results->setObjectName(QStringLiteral("betResults"));
    // The note in lines: one line would be cut to "…" in a narrow chart.
    chart_ = newMoneyChartView(QStringLiteral("betChart"),
                               QStringLiteral("回测后在此显示<br>累计盈亏、理论盈亏<br>"
                                              "与随机投注的5%–95%范围"));
    results->addTab(chart_, QStringLiteral("累计盈亏图"));
    figures_ = new QLabel(QStringLiteral("回测后在此显示投注成本、中奖金额、返奖率等数字"));
    figures_->setObjectName(QStringLiteral("betFigures"));
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    figures_->setWordWrap(true);
    auto* figuresArea = new QScrollArea;
    figuresArea->setWidget(figures_);
    figuresArea->setWidgetResizable(true);
    figuresArea->setFrameShape(QFrame::NoFrame);
    results->addTab(figuresArea, QStringLiteral("回测数字"));
    auto* resultColumn = new QVBoxLayout;
    betNote_ = new ResultNote(QStringLiteral("betResultNote"));
    betNote_->addResult(chart_);
    betNote_->addResult(figures_);
    resultColumn->addWidget(betNote_);
    resultColumn->addWidget(results, 1);
    panelLayout->addLayout(resultColumn, 1);
    // The bet and the chase plan (追号/倍投) share the lower part; the plan takes the bet's play,
    // pick rule, periods and random runs.
    auto* lower = new QTabWidget;
    lower->setObjectName(QStringLiteral("playLowerTabs"));
    lower->addTab(panel, QStringLiteral("投注回测"));
    lower->addTab(new PlanPanel(workspace_, prompter_, *searches_, [this] { return betRequest(); }),
                  QStringLiteral("追号/倍投"));
    splitter->addWidget(lower);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setSizes({300, 200});

    // A column sorts from its largest value first (the coldest on top for 本次遗漏); a second
    // click turns it round.
    connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section == sortedColumn_) return;
        sortedColumn_ = section;
        grid_->sortByColumn(section, Qt::DescendingOrder);
    });

    connect(playBox_, &QComboBox::currentIndexChanged, this, [this] { refreshTable(); });
    connect(ruleBox_, &QComboBox::currentIndexChanged, this, &PlayView::onRuleChanged);
    connect(runButton_, &QPushButton::clicked, this, &PlayView::runBet);
    connect(playBox_, &QComboBox::currentIndexChanged, this, &PlayView::betInputsChanged);
    connect(ruleBox_, &QComboBox::currentIndexChanged, this, &PlayView::betInputsChanged);
    connect(ticketsBox_, &QLineEdit::textChanged, this, &PlayView::betInputsChanged);
    for (QSpinBox* box : {stepsBox_, randomBox_, seedBox_})
        connect(box, &QSpinBox::valueChanged, this, &PlayView::betInputsChanged);
    onRuleChanged();
}

PlayView::~PlayView() = default;

int PlayView::preferredWidth() const {
    return 780;
}

play::Play PlayView::chosenPlay() const {
    return static_cast<play::Play>(std::max(0, playBox_->currentIndex()));
}

void PlayView::historyChanged() {
    // The back-test's figures are not run again by themselves: they say what they belong to.
    if (betNote_->hasResult() && workspace_.history().version() != betVersion_)
        betNote_->setStale(historyChangeReason(workspace_, betGame_));
    stale_ = true;
    if (isVisible()) refreshTable();
}

void PlayView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) refreshTable();
}

void PlayView::refreshTable() {
    stale_ = false;
    PlayTableResult result;
    const Outcome outcome = service_->table(chosenPlay(), std::nullopt, std::nullopt, result);
    if (!outcome.ok) {
        model_->setTable(nullptr);
        tableNote_->setText(QString::fromStdString(outcome.message));
        return;
    }
    const play::PlayTable& table = *result.table;
    // The table follows the history by itself; the note names what it was counted over.
    const auto& rows = workspace_.rows();
    tableNote_->setText(
        QStringLiteral("%1 %2，全部%3期（至%4期），每注中奖机会 %5，奖金%6元")
            .arg(gameText(workspace_), playBox_->currentText())
            .arg(table.periods())
            .arg(rows.empty() ? QStringLiteral("—")
                              : QString::fromStdString(history::tenDigit(rows.back().period)))
            .arg(table.chance(), 0, 'g', 4)
            .arg(workspace_.settings().prizes.of(chosenPlay())));
    model_->setTable(std::move(result.table));
    grid_->resizeColumnsToContents();
}

void PlayView::onRuleChanged() {
    ticketsBox_->setEnabled(ruleBox_->currentData().toInt() == int(PickRule::Fixed));
}

BetRequest PlayView::betRequest() const {
    BetRequest request;
    request.play = chosenPlay();
    const int rule = ruleBox_->currentData().toInt();
    request.rule = rule == 100 ? PickRule::Search : static_cast<PickRule>(rule);
    request.searchType =
        rule == 100 ? search::SearchType::Combination : search::SearchType::Pattern;
    if (positions_) request.positions = positions_();
    if (request.rule == PickRule::Fixed) {
        for (QString part :
             ticketsBox_->text().split(QRegularExpression(QStringLiteral("[;；]")))) {
            part = part.trimmed();
            if (!part.isEmpty()) request.tickets.push_back(part.toStdString());
        }
    }
    request.steps = stepsBox_->value();
    request.randomRuns = randomBox_->value();
    request.seed = static_cast<std::uint64_t>(seedBox_->value());
    return request;
}

void PlayView::runBet() {
    const BetRequest request = betRequest();
    BetResult result;
    Outcome outcome;
    runWithProgress(
        this, QStringLiteral("回测投注"), QStringLiteral("正在回测投注…"),
        [&](history::Progress& progress) { outcome = service_->bet(request, progress, result); });
    if (!outcome.ok) {
        if (!outcome.message.empty())
            prompter_.warn(QStringLiteral("投注回测"), QString::fromStdString(outcome.message));
        else
            showChartNote(*chart_, QStringLiteral("回测已取消"));
        return;
    }
    showBet(result);
}

QString PlayView::betInputs() const {
    return QStringLiteral("%1|%2|%3|%4|%5|%6")
        .arg(playBox_->currentIndex())
        .arg(ruleBox_->currentIndex())
        .arg(ruleBox_->currentData().toInt() == int(PickRule::Fixed) ? ticketsBox_->text()
                                                                     : QString())
        .arg(stepsBox_->value())
        .arg(randomBox_->value())
        .arg(seedBox_->value());
}

void PlayView::betInputsChanged() {
    betNote_->setInputsDiffer(betInputs() != betShownFor_, inputsChangedText());
}

void PlayView::showBet(const BetResult& result) {
    betShownFor_ = betInputs();
    betGame_ = static_cast<int>(workspace_.settings().game);
    betVersion_ = workspace_.history().version();
    betNote_->setCurrent(
        QStringLiteral("%1 %2 %3，回测%4期，%5")
            .arg(gameText(workspace_), playBox_->currentText(), ruleBox_->currentText())
            .arg(result.money.steps)
            .arg(historyText(workspace_)));
    QString text = QStringLiteral("<table cellspacing=2>");
    for (const auto& [label, value] : betFigureLines(result))
        text += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>")
                    .arg(QString::fromStdString(label).toHtmlEscaped(),
                         QString::fromStdString(value).toHtmlEscaped());
    figures_->setText(text + QStringLiteral("</table><p style=\"color:gray\">%1</p>")
                                 .arg(QString::fromUtf8(kFigureCaveat).toHtmlEscaped()));

    showMoneyChart(*chart_, result.money, QStringLiteral("本规则"));
}

} // namespace app::gui
