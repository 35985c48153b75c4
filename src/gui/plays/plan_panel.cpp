#include "gui/plays/plan_panel.h"

#include "gui/common/background_work.h"
#include "gui/common/chart_setup.h"
#include "gui/common/grid_style.h"
#include "gui/common/prompter.h"
#include "gui/tickets/ticket_recording.h"
#include "play/ticket_record.h"
#include "workspace/figure_caveat.h"
#include "workspace/number_text.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace app::gui {

namespace {

QString figureTable(const std::vector<std::pair<std::string, std::string>>& lines) {
    QString text = QStringLiteral("<table cellspacing=2>");
    for (const auto& [label, value] : lines)
        text += QStringLiteral("<tr><td>%1</td><td><b>%2</b></td></tr>")
                    .arg(QString::fromStdString(label).toHtmlEscaped(),
                         QString::fromStdString(value).toHtmlEscaped());
    return text + QStringLiteral("</table>");
}

QWidget* scrolled(QLabel* label) {
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    auto* area = new QScrollArea;
    area->setWidget(label);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

QSpinBox* spinBox(const char* name, int low, int high, int value) {
    auto* box = new QSpinBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

} // namespace

PlanPanel::PlanPanel(Workspace& workspace, Prompter& prompter, SearchService& searches,
                     std::function<BetRequest()> bet, QWidget* parent)
    : QWidget(parent), workspace_(workspace), prompter_(prompter),
      service_(std::make_unique<PlanService>(workspace, searches)), bet_(std::move(bet)) {
    setObjectName(QStringLiteral("planPanel"));
    auto* layout = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* form = new QFormLayout;
    scheduleBox_ = new QComboBox;
    scheduleBox_->setObjectName(QStringLiteral("planSchedule"));
    scheduleBox_->addItem(QStringLiteral("利润率倍投"), QStringLiteral("profit"));
    scheduleBox_->addItem(QStringLiteral("固定倍数"), QStringLiteral("fixed"));
    scheduleBox_->addItem(QStringLiteral("输一期翻倍"), QStringLiteral("double"));
    scheduleBox_->addItem(QStringLiteral("倍数列表"), QStringLiteral("list"));
    form->addRow(QStringLiteral("倍投方案"), scheduleBox_);
    valuesBox_ = new QLineEdit(QStringLiteral("30"));
    valuesBox_->setObjectName(QStringLiteral("planValues"));
    valuesLabel_ = new QLabel(QStringLiteral("利润率%"));
    form->addRow(valuesLabel_, valuesBox_);
    startBox_ = spinBox("planStart", 1, 1000000, 1);
    form->addRow(QStringLiteral("起始倍数"), startBox_);
    chaseBox_ = spinBox("planChase", 1, play::kMaxChase, 10);
    form->addRow(QStringLiteral("追号期数"), chaseBox_);
    capBox_ = spinBox("planCap", 1, static_cast<int>(kMaxMultiplierCap),
                      static_cast<int>(play::kDefaultMaxMultiplier));
    form->addRow(QStringLiteral("倍数上限"), capBox_);
    stopBox_ = new QCheckBox(QStringLiteral("中奖后停止追号"));
    stopBox_->setObjectName(QStringLiteral("planStopOnWin"));
    stopBox_->setChecked(true);
    form->addRow(QString(), stopBox_);
    bankrollBox_ = spinBox("planBankroll", 0, 1000000000, 0);
    bankrollBox_->setSpecialValueText(QStringLiteral("不限"));
    bankrollBox_->setSuffix(QStringLiteral("元"));
    form->addRow(QStringLiteral("本金"), bankrollBox_);
    left->addLayout(form);
    auto* calculateButton = new QPushButton(QStringLiteral("计算倍投表"));
    calculateButton->setObjectName(QStringLiteral("planCalculate"));
    left->addWidget(calculateButton);
    auto* backtestButton = new QPushButton(QStringLiteral("回测追号"));
    backtestButton->setObjectName(QStringLiteral("planBacktest"));
    backtestButton->setToolTip(
        QStringLiteral("玩法、选号规则、回测期数、随机对照次数和种子用“投注回测”页的设置"));
    left->addWidget(backtestButton);
    auto* recordButton = new QPushButton(QStringLiteral("记入我的投注"));
    recordButton->setObjectName(QStringLiteral("planRecord"));
    recordButton->setToolTip(QStringLiteral("把固定号码按这个倍投表记入我的投注"));
    left->addWidget(recordButton);
    connect(recordButton, &QPushButton::clicked, this, &PlanPanel::record);
    left->addStretch(1);
    layout->addLayout(left);

    auto* results = new QTabWidget;
    results->setObjectName(QStringLiteral("planResults"));
    auto* tablePage = new QWidget;
    auto* tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableWidget;
    table_->setObjectName(QStringLiteral("planTable"));
    setupGrid(table_);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->hide();
    tableLayout->addWidget(table_, 1);
    tableFigures_ = new QLabel(QStringLiteral("点“计算倍投表”：每期倍数、投入、中奖盈利、盈利率，"
                                              "以及追到这一期仍未中奖的概率"));
    tableFigures_->setObjectName(QStringLiteral("planTableFigures"));
    tableFigures_->setWordWrap(true);
    tableFigures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    tableLayout->addWidget(tableFigures_);
    results->addTab(tablePage, QStringLiteral("倍投表"));
    chart_ = newMoneyChartView(QStringLiteral("planChart"),
                               QStringLiteral("回测后在此显示<br>资金变化<br>"
                                              "与随机投注的5%–95%范围"));
    results->addTab(chart_, QStringLiteral("资金曲线"));
    figures_ = new QLabel(QStringLiteral("回测后在此显示追号轮数、破产、返奖率等数字"));
    figures_->setObjectName(QStringLiteral("planFigures"));
    results->addTab(scrolled(figures_), QStringLiteral("回测数字"));
    layout->addWidget(results, 1);

    connect(scheduleBox_, &QComboBox::currentIndexChanged, this, &PlanPanel::onScheduleChanged);
    connect(calculateButton, &QPushButton::clicked, this, &PlanPanel::calculate);
    connect(backtestButton, &QPushButton::clicked, this, &PlanPanel::runBacktest);
    onScheduleChanged();
}

PlanPanel::~PlanPanel() = default;

void PlanPanel::onScheduleChanged() {
    const QString kind = scheduleBox_->currentData().toString();
    valuesLabel_->setText(kind == QLatin1String("list") ? QStringLiteral("倍数列表")
                                                        : QStringLiteral("利润率%"));
    valuesBox_->setEnabled(kind == QLatin1String("profit") || kind == QLatin1String("list"));
    startBox_->setEnabled(kind != QLatin1String("list"));
    if (kind == QLatin1String("list") && !valuesBox_->text().contains(QLatin1Char(',')))
        valuesBox_->setText(QStringLiteral("1,1,2,3,5,8"));
    else if (kind == QLatin1String("profit") && valuesBox_->text().contains(QLatin1Char(',')))
        valuesBox_->setText(QStringLiteral("30"));
    valuesBox_->setToolTip(kind == QLatin1String("list")
                               ? QStringLiteral("第i期用第i个倍数，用完后一直用最后一个")
                               : QStringLiteral("利润率倍投：哪一期中奖都至少赚这个百分比"));
}

std::optional<PlanRequest> PlanPanel::request() {
    PlanRequest r;
    r.bet = bet_();
    const QString kind = scheduleBox_->currentData().toString();
    const QString start = QString::number(startBox_->value());
    QString text;
    if (kind == QLatin1String("profit"))
        text = QStringLiteral("profit:%1:%2").arg(valuesBox_->text().trimmed(), start);
    else if (kind == QLatin1String("list"))
        text = QStringLiteral("list:") +
               valuesBox_->text().remove(QLatin1Char(' ')).replace(QStringLiteral("，"), ",");
    else
        text = kind + QLatin1Char(':') + start;
    const auto parsed = play::parseSchedule(text.toStdString());
    if (!parsed.schedule) {
        prompter_.warn(QStringLiteral("追号/倍投"),
                       kind == QLatin1String("list")
                           ? QStringLiteral("倍数列表是用逗号分开的正整数，例如 1,1,2,3,5,8。")
                           : QStringLiteral("利润率是 0 到 100000 之间的整数（%）。"));
        return std::nullopt;
    }
    r.plan.schedule = *parsed.schedule;
    r.plan.length = chaseBox_->value();
    r.plan.maxMultiplier = capBox_->value();
    r.plan.stopOnWin = stopBox_->isChecked();
    if (bankrollBox_->value() > 0) r.plan.bankroll = bankrollBox_->value();
    return r;
}

void PlanPanel::showTable(const PlanResult& result) {
    const auto header = planTableHeader();
    table_->clear();
    table_->setColumnCount(static_cast<int>(header.size()));
    QStringList labels;
    for (const auto& h : header) labels << QString::fromStdString(h);
    table_->setHorizontalHeaderLabels(labels);
    table_->setRowCount(static_cast<int>(result.table.rows.size()));
    for (size_t row = 0; row < result.table.rows.size(); ++row) {
        const auto cells = planTableCells(result.table.rows[row]);
        for (size_t column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[column]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(static_cast<int>(row), static_cast<int>(column), item);
        }
    }
    table_->resizeColumnsToContents();
    QString text;
    for (const auto& [label, value] : planTableLines(result))
        text += QStringLiteral("%1 <b>%2</b>　")
                    .arg(QString::fromStdString(label).toHtmlEscaped(),
                         QString::fromStdString(value).toHtmlEscaped());
    tableFigures_->setText(text);
}

void PlanPanel::calculate() {
    const auto r = request();
    if (!r) return;
    PlanResult result;
    if (const Outcome outcome = service_->table(*r, result); !outcome.ok) {
        prompter_.warn(QStringLiteral("追号/倍投"), QString::fromStdString(outcome.message));
        return;
    }
    showTable(result);
}

void PlanPanel::record() {
    const auto r = request();
    if (!r) return;
    const QString title = QStringLiteral("记入我的投注");
    if (r->bet.rule != PickRule::Fixed || r->bet.tickets.empty()) {
        prompter_.warn(
            title,
            QStringLiteral("记入我的投注要用固定号码：在“投注回测”里选固定号码并填上号码。"));
        return;
    }
    PlanResult result;
    if (const Outcome outcome = service_->table(*r, result); !outcome.ok) {
        prompter_.warn(title, QString::fromStdString(outcome.message));
        return;
    }
    TicketsToRecord what;
    what.play = r->bet.play;
    for (const std::string& typed : r->bet.tickets) {
        const auto expanded = play::expandPick(what.play, typed);
        what.tickets.insert(what.tickets.end(), expanded.tickets.begin(), expanded.tickets.end());
        what.entered += (what.entered.isEmpty() ? QString() : QStringLiteral("；")) +
                        QString::fromStdString(typed);
    }
    for (const auto& row : result.table.rows) what.multipliers.push_back(row.multiplier);
    what.stopOnWin = r->plan.stopOnWin;
    recordTickets(workspace_, prompter_, what);
}

void PlanPanel::runBacktest() {
    const auto r = request();
    if (!r) return;
    PlanResult result;
    Outcome outcome;
    runWithProgress(
        this, QStringLiteral("回测追号"), QStringLiteral("正在回测追号…"),
        [&](history::Progress& progress) { outcome = service_->backtest(*r, progress, result); });
    if (!outcome.ok) {
        if (!outcome.message.empty())
            prompter_.warn(QStringLiteral("追号/倍投"), QString::fromStdString(outcome.message));
        else
            showChartNote(*chart_, QStringLiteral("回测已取消"));
        return;
    }
    showTable(result);
    figures_->setText(figureTable(planBacktestLines(workspace_, result)) +
                      QStringLiteral("<p style=\"color:gray\">%1</p>")
                          .arg(QString::fromUtf8(kFigureCaveat).toHtmlEscaped()));

    // The chart shows what is left of the bankroll (the net without one), the random runs' band
    // and the expected course the same way.
    const play::ChaseBacktest& b = *result.backtest;
    play::MoneyResult money;
    const auto base = static_cast<double>(r->plan.bankroll.value_or(0));
    for (play::MoneyPoint point : b.curve) {
        point.net += r->plan.bankroll.value_or(0);
        point.expectedNet += base;
        point.low += base;
        point.high += base;
        money.curve.push_back(point);
    }
    if (b.random) money.random = play::RandomFigures{b.random->runs, b.random->netMean, 0};
    showMoneyChart(*chart_, money,
                   r->plan.bankroll ? QStringLiteral("本方案剩余本金")
                                    : QStringLiteral("本方案盈亏"));
    if (QChart* chart = chart_->chart(); chart && !b.curve.empty()) {
        QString title =
            r->plan.bankroll ? QStringLiteral("剩余本金（元）") : QStringLiteral("累计盈亏（元）");
        if (b.random)
            title += QStringLiteral("　随机投注破产比例 %1")
                         .arg(QString::fromStdString(percent2(b.random->ruinShare)));
        chart->setTitle(title);
    }
}

} // namespace app::gui
