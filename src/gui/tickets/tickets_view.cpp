#include "gui/tickets/tickets_view.h"

#include "gui/common/chart_setup.h"
#include "gui/common/grid_style.h"
#include "gui/common/prompter.h"
#include "history/period.h"
#include "workspace/number_text.h"

#include <QAbstractTableModel>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>

namespace app::gui {

// Rows of texts, read from memory.
class TextRowsModel : public QAbstractTableModel {
  public:
    explicit TextRowsModel(QStringList header, QObject* parent = nullptr)
        : QAbstractTableModel(parent), header_(std::move(header)) {}
    void setRows(std::vector<QStringList> rows) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(rows_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(header_.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        const QStringList& row = rows_[static_cast<size_t>(index.row())];
        return index.column() < row.size() ? row[index.column()] : QString();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return {};
        return header_.value(section);
    }

  private:
    QStringList header_;
    std::vector<QStringList> rows_;
};

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

QString yuan(std::int64_t fen) {
    return text(play::yuanText(fen));
}

QTableView* newGrid(const QString& name, QAbstractItemModel* model) {
    auto* grid = new QTableView;
    grid->setObjectName(name);
    grid->setModel(model);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->verticalHeader()->hide();
    grid->horizontalHeader()->setStretchLastSection(true);
    return grid;
}

const play::PeriodState kStates[] = {play::PeriodState::Waiting, play::PeriodState::Won,
                                     play::PeriodState::Lost, play::PeriodState::Cancelled};

} // namespace

TicketsView::TicketsView(Workspace& workspace, Prompter& prompter, QWidget* parent)
    : QWidget(parent), workspace_(workspace), prompter_(prompter) {
    setObjectName(QStringLiteral("ticketsPage"));
    auto* layout = new QVBoxLayout(this);

    auto* filters = new QHBoxLayout;
    playFilter_ = new QComboBox;
    playFilter_->setObjectName(QStringLiteral("ticketPlayFilter"));
    playFilter_->addItem(QStringLiteral("全部玩法"));
    stateFilter_ = new QComboBox;
    stateFilter_->setObjectName(QStringLiteral("ticketStateFilter"));
    stateFilter_->addItem(QStringLiteral("全部状态"));
    for (const auto s : kStates) stateFilter_->addItem(QString::fromUtf8(play::stateName(s)));
    playBox_ = new QComboBox;
    playBox_->setObjectName(QStringLiteral("ticketPlayBox"));
    for (const auto& p : play::plays()) {
        playFilter_->addItem(QString::fromUtf8(p.name));
        playBox_->addItem(QString::fromUtf8(p.name));
    }
    damagedNote_ = new QLabel;
    damagedNote_->setObjectName(QStringLiteral("ticketDamagedNote"));
    damagedNote_->setWordWrap(true);
    filters->addWidget(new QLabel(QStringLiteral("玩法")));
    filters->addWidget(playFilter_);
    filters->addWidget(new QLabel(QStringLiteral("状态")));
    filters->addWidget(stateFilter_);
    filters->addWidget(damagedNote_, 1);
    layout->addLayout(filters);

    recordsModel_ =
        new TextRowsModel({QStringLiteral("编号"), QStringLiteral("玩法"), QStringLiteral("号码"),
                           QStringLiteral("注数"), QStringLiteral("期号"), QStringLiteral("倍数"),
                           QStringLiteral("单价"), QStringLiteral("状态"), QStringLiteral("投入"),
                           QStringLiteral("中奖"), QStringLiteral("记入时间")},
                          this);
    records_ = newGrid(QStringLiteral("ticketRecords"), recordsModel_);

    auto* entry = new QHBoxLayout;
    picksBox_ = new QLineEdit;
    picksBox_->setObjectName(QStringLiteral("ticketPicksBox"));
    picksBox_->setPlaceholderText(QStringLiteral("01 02 03；复式 01 02 03 04；胆拖 01#02 03 04"));
    multiplierBox_ = new QSpinBox;
    multiplierBox_->setObjectName(QStringLiteral("ticketMultiplierBox"));
    multiplierBox_->setRange(1, play::kMaxTicketMultiplier);
    priceBox_ = new QLineEdit(QStringLiteral("2"));
    priceBox_->setObjectName(QStringLiteral("ticketPriceBox"));
    priceBox_->setMaximumWidth(70);
    periodBox_ = new QLineEdit;
    periodBox_->setObjectName(QStringLiteral("ticketPeriodBox"));
    periodBox_->setPlaceholderText(QStringLiteral("下一期"));
    periodBox_->setMaximumWidth(110);
    chaseBox_ = new QSpinBox;
    chaseBox_->setObjectName(QStringLiteral("ticketChaseBox"));
    chaseBox_->setRange(1, play::kMaxTicketChase);
    stopBox_ = new QCheckBox(QStringLiteral("中奖后停止"));
    stopBox_->setObjectName(QStringLiteral("ticketStopBox"));
    auto* addButton = new QPushButton(QStringLiteral("记入"));
    addButton->setObjectName(QStringLiteral("ticketAddButton"));
    auto* removeButton = new QPushButton(QStringLiteral("删除所选记录"));
    removeButton->setObjectName(QStringLiteral("ticketRemoveButton"));
    for (QWidget* w : std::initializer_list<QWidget*>{
             playBox_, picksBox_, new QLabel(QStringLiteral("倍数")), multiplierBox_,
             new QLabel(QStringLiteral("单价")), priceBox_, new QLabel(QStringLiteral("期号")),
             periodBox_, new QLabel(QStringLiteral("追号期数")), chaseBox_, stopBox_, addButton,
             removeButton})
        entry->addWidget(w, w == picksBox_ ? 1 : 0);

    auto* ledgerBar = new QHBoxLayout;
    groupingBox_ = new QComboBox;
    groupingBox_->setObjectName(QStringLiteral("ledgerGroupingBox"));
    groupingBox_->addItems({QStringLiteral("按日"), QStringLiteral("按月")});
    ledgerBar->addWidget(new QLabel(QStringLiteral("账本（已开奖的期）")));
    ledgerBar->addWidget(groupingBox_);
    ledgerBar->addStretch(1);
    ledgerModel_ =
        new TextRowsModel({QStringLiteral("日期"), QStringLiteral("期数"), QStringLiteral("注数"),
                           QStringLiteral("投入"), QStringLiteral("中奖"), QStringLiteral("净额"),
                           QStringLiteral("返奖率"), QStringLiteral("期望净额"),
                           QStringLiteral("运气至少一样好的机会")},
                          this);
    ledger_ = newGrid(QStringLiteral("ledgerTable"), ledgerModel_);
    chart_ = new QChartView;
    chart_->setObjectName(QStringLiteral("bankrollChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    ledgerNote_ = new QLabel(QString::fromUtf8(play::kLedgerCaveat));
    ledgerNote_->setObjectName(QStringLiteral("ledgerNote"));
    ledgerNote_->setWordWrap(true);

    auto* top = new QWidget;
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->addWidget(records_, 1);
    topLayout->addLayout(entry);
    auto* bottom = new QSplitter(Qt::Horizontal);
    auto* ledgerColumn = new QWidget;
    auto* ledgerLayout = new QVBoxLayout(ledgerColumn);
    ledgerLayout->setContentsMargins(0, 0, 0, 0);
    ledgerLayout->addLayout(ledgerBar);
    ledgerLayout->addWidget(ledger_, 1);
    ledgerLayout->addWidget(ledgerNote_);
    bottom->addWidget(ledgerColumn);
    bottom->addWidget(chart_);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(top);
    split->addWidget(bottom);
    layout->addWidget(split, 1);

    todaysNet_ = new QLabel;
    todaysNet_->setObjectName(QStringLiteral("todaysNetLabel"));

    connect(playFilter_, &QComboBox::currentIndexChanged, this, &TicketsView::showRecords);
    connect(stateFilter_, &QComboBox::currentIndexChanged, this, &TicketsView::showRecords);
    connect(groupingBox_, &QComboBox::currentIndexChanged, this, &TicketsView::showLedger);
    connect(addButton, &QPushButton::clicked, this, &TicketsView::addRecord);
    connect(removeButton, &QPushButton::clicked, this, &TicketsView::removeRecord);
    connect(chaseBox_, &QSpinBox::valueChanged, this,
            [this](int l) { stopBox_->setEnabled(l > 1); });
    stopBox_->setEnabled(false);
}

void TicketsView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refresh();
}

void TicketsView::refresh() {
    TicketList now = TicketService(workspace_).list();
    const int game = static_cast<int>(workspace_.settings().game);
    if (listGame_ && *listGame_ == game)
        for (const auto& [line, period] : TicketService::newlySettled(list_, now))
            emit settled(text(line), period);
    list_ = std::move(now);
    listGame_ = game;
    const std::int64_t net = TicketService(workspace_).todaysNetFen(list_);
    todaysNet_->setText(QStringLiteral("今日投注净额：%1 元").arg(yuan(net)));
    damagedNote_->setText(
        list_.damaged.empty()
            ? QString()
            : QStringLiteral("%1（没有列出，也不计入账本）").arg(text(list_.damaged.front())) +
                  (list_.damaged.size() > 1 ? QStringLiteral("等%1条").arg(list_.damaged.size())
                                            : QString()));
    showRecords();
    showLedger();
}

void TicketsView::showRecords() {
    const int playIndex = playFilter_->currentIndex() - 1;
    const int stateIndex = stateFilter_->currentIndex() - 1;
    std::vector<QStringList> rows;
    for (const TicketView& v : list_.records) {
        const play::TicketRecord& r = v.record;
        if (playIndex >= 0 && r.play != play::plays()[static_cast<size_t>(playIndex)].play)
            continue;
        if (stateIndex >= 0 && !v.settled.has(kStates[stateIndex])) continue;
        QString periods = text(history::tenDigit(r.periods.front()));
        if (r.periods.size() > 1)
            periods += QStringLiteral("起%1期%2")
                           .arg(r.periods.size())
                           .arg(r.stopOnWin ? QStringLiteral("，中奖后停止") : QString());
        QString multipliers;
        for (size_t i = 0; i < r.multipliers.size() && i < 8; ++i)
            multipliers +=
                (i ? QStringLiteral(",") : QString()) + QString::number(r.multipliers[i]);
        if (r.multipliers.size() > 8) multipliers += QStringLiteral("…");
        QString state = QString::fromUtf8(play::stateName(v.settled.state));
        if (v.settled.has(play::PeriodState::Cancelled)) state += QStringLiteral("（余下已取消）");
        rows.push_back({QString::number(r.id), QString::fromUtf8(play::info(r.play).name),
                        text(r.entered), QString::number(r.tickets.size()), periods, multipliers,
                        yuan(r.priceFen), state, yuan(v.settled.stakedFen), yuan(v.settled.wonFen),
                        text(r.recorded)});
    }
    recordsModel_->setRows(std::move(rows));
}

void TicketsView::showLedger() {
    LedgerRequest request;
    request.by =
        groupingBox_->currentIndex() == 1 ? play::LedgerGrouping::Month : play::LedgerGrouping::Day;
    LedgerReport report;
    std::vector<QStringList> rows;
    auto* chart = new QChart;
    if (TicketService(workspace_).ledger(request, report).ok) {
        for (const play::LedgerLine& l : report.lines) {
            const auto rate = l.returnRate();
            QString luck = text(pValueText(l.luck.atLeast));
            if (l.luck.simulated)
                luck += QStringLiteral("（模拟%1次，种子%2）").arg(l.luck.runs).arg(l.luck.seed);
            rows.push_back({text(l.label), QString::number(l.periods), QString::number(l.tickets),
                            yuan(l.stakedFen), yuan(l.wonFen), yuan(l.netFen()),
                            rate ? text(percent2(*rate)) : QString(),
                            text(formatted(l.expectedNetFen / 100.0, "%.2f")), luck});
        }
        rows.push_back({QStringLiteral("等待开奖"), QString::number(report.waitingPeriods),
                        QString(), yuan(report.waitingStakeFen)});
        rows.push_back({QStringLiteral("已取消"), QString::number(report.cancelledPeriods)});
        auto* net = new QLineSeries;
        net->setName(QStringLiteral("净额"));
        auto* expected = new QLineSeries;
        expected->setName(QStringLiteral("期望净额"));
        double low = 0, high = 0;
        net->append(0, 0);
        expected->append(0, 0);
        for (size_t i = 0; i < report.bankroll.size(); ++i) {
            const auto& p = report.bankroll[i];
            const double n = static_cast<double>(p.netFen) / 100.0, e = p.expectedFen / 100.0;
            net->append(static_cast<double>(i + 1), n);
            expected->append(static_cast<double>(i + 1), e);
            low = std::min({low, n, e});
            high = std::max({high, n, e});
        }
        chart->addSeries(net);
        chart->addSeries(expected);
        auto* x = new QValueAxis;
        x->setTitleText(QStringLiteral("已开奖的期"));
        x->setRange(0, std::max<double>(1, static_cast<double>(report.bankroll.size())));
        x->setLabelFormat(QStringLiteral("%d"));
        auto* y = new QValueAxis;
        y->setTitleText(QStringLiteral("元"));
        setRoundRange(*y, low, high == low ? low + 1 : high);
        chart->addAxis(x, Qt::AlignBottom);
        chart->addAxis(y, Qt::AlignLeft);
        for (auto* s : {net, expected}) {
            s->attachAxis(x);
            s->attachAxis(y);
        }
        chart->setTitle(QStringLiteral("资金曲线与期望"));
    }
    ledgerModel_->setRows(std::move(rows));
    replaceChart(*chart_, chart);
}

void TicketsView::addRecord() {
    TicketRequest request;
    request.play = play::plays()[static_cast<size_t>(playBox_->currentIndex())].play;
    for (QString pick : picksBox_->text().split(QRegularExpression(QStringLiteral("[;；]")))) {
        pick = pick.trimmed();
        if (!pick.isEmpty()) request.picks.push_back(pick.toStdString());
    }
    request.multiplier = multiplierBox_->value();
    const auto price = parsePriceFen(priceBox_->text().trimmed().toStdString());
    if (!price) {
        prompter_.warn(QStringLiteral("我的投注"),
                       QStringLiteral("单价要在0.01到1000元之间（最多两位小数）。没有记入。"));
        return;
    }
    request.priceFen = *price;
    request.period = periodBox_->text().trimmed().toStdString();
    request.chase = chaseBox_->value();
    request.stopOnWin = stopBox_->isChecked() && request.chase > 1;
    const Outcome outcome = TicketService(workspace_).add(request);
    if (!outcome.ok) {
        prompter_.warn(QStringLiteral("我的投注"), text(outcome.message));
        return;
    }
    picksBox_->clear();
    refresh();
}

void TicketsView::removeRecord() {
    const QModelIndex current = records_->currentIndex();
    if (!current.isValid()) {
        prompter_.warn(QStringLiteral("我的投注"), QStringLiteral("请先在表中选一条记录。"));
        return;
    }
    const QString id =
        recordsModel_->data(recordsModel_->index(current.row(), 0), Qt::DisplayRole).toString();
    if (!prompter_.confirm(
            QStringLiteral("我的投注"),
            QStringLiteral("删除投注记录%1吗？删除前会把它的内容保存在历史号码文件夹中。").arg(id)))
        return;
    const Outcome outcome = TicketService(workspace_).remove(id.toLongLong());
    if (!outcome.ok) prompter_.warn(QStringLiteral("我的投注"), text(outcome.message));
    refresh();
}

} // namespace app::gui
