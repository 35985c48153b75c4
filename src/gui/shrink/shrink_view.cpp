#include "gui/shrink/shrink_view.h"

#include "gui/common/background_work.h"
#include "gui/common/chart_setup.h"
#include "gui/common/prompter.h"
#include "gui/common/result_note.h"
#include "gui/common/scrolling_tab.h"
#include "gui/shrink/cover_panel.h"
#include "gui/shrink/shrink_more_conditions.h"
#include "gui/shrink/ticket_save.h"
#include "gui/tickets/ticket_recording.h"
#include "history/game_record.h"
#include "platform/file_io.h"
#include "workspace/figure_caveat.h"
#include "workspace/number_text.h"
#include "workspace/play_service.h"
#include "workspace/workspace.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QGraphicsLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <bit>
#include <optional>

namespace app::gui {

namespace {

const play::Play kPlays[] = {play::Play::Any5,   play::Play::Front3Group,  play::Play::Front3Direct,
                             play::Play::Any6,   play::Play::Any7,         play::Play::Any8,
                             play::Play::Front1, play::Play::Any2,         play::Play::Any3,
                             play::Play::Any4,   play::Play::Front2Direct, play::Play::Front2Group};

QString percent(double share) {
    return QString::number(share * 100, 'f', 2) + QLatin1Char('%');
}

QString ratio(const std::optional<double>& value) {
    return value ? QString::number(*value, 'f', 3) : QStringLiteral("—");
}

} // namespace

ShrinkView::ShrinkView(Workspace& workspace, Prompter& prompter, QWidget* parent)
    : QWidget(parent), workspace_(workspace), prompter_(prompter),
      service_(std::make_unique<ShrinkService>(workspace)) {
    setObjectName(QStringLiteral("shrinkView"));
    // The choices on the left, the tickets and the back-test on the right, with a handle
    // between them.
    auto* sides = new QSplitter(Qt::Horizontal);
    sides->setObjectName(QStringLiteral("shrinkSplitter"));
    sides->setChildrenCollapsible(false);
    scrollingColumn(*this)->addWidget(sides, 1);
    auto* leftSide = new QWidget;
    auto* layout = new QVBoxLayout(leftSide);
    layout->setContentsMargins(0, 0, 4, 0);
    // Close together, so that the whole column fits a 1024x640 screen.
    layout->setSpacing(2);
    // On the right, pages of their own: the tickets left, their back-test and the 旋转矩阵, so
    // that each has the column's whole height on a small screen.
    auto* rightTabs = new QTabWidget;
    rightTabs->setObjectName(QStringLiteral("shrinkResultTabs"));
    auto* rightSide = new QWidget;
    auto* right = new QVBoxLayout(rightSide);
    right->setContentsMargins(4, 4, 4, 4);
    rightTabs->addTab(rightSide, QStringLiteral("留下的号码"));
    auto* backtestSide = new QWidget;
    auto* backtestPage = new QVBoxLayout(backtestSide);
    backtestPage->setContentsMargins(4, 4, 4, 4);
    rightTabs->addTab(backtestSide, QStringLiteral("回测"));
    sides->addWidget(leftSide);
    sides->addWidget(rightTabs);
    sides->setStretchFactor(0, 3);
    sides->setStretchFactor(1, 2);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("玩法")));
    playBox_ = new QComboBox;
    playBox_->setObjectName(QStringLiteral("shrinkPlay"));
    for (const auto p : kPlays)
        playBox_->addItem(QString::fromUtf8(play::info(p).name), static_cast<int>(p));
    top->addWidget(playBox_);
    top->addWidget(new QLabel(QStringLiteral("统计期数")));
    window_ = new QSpinBox;
    window_->setObjectName(QStringLiteral("shrinkWindow"));
    window_->setRange(1, kMaxShrinkWindow);
    window_->setValue(200);
    top->addWidget(window_);
    count_ = new QLabel;
    count_->setObjectName(QStringLiteral("shrinkCount"));
    top->addWidget(count_, 1);
    layout->addLayout(top);

    // The pad: a click makes a number 胆, a second click 杀, a third neither.
    auto* padBox = new QGroupBox(QStringLiteral("胆码 / 杀号（点一次为胆，两次为杀，三次取消）"));
    auto* pad = new QHBoxLayout(padBox);
    pad->setContentsMargins(6, 2, 6, 2);
    for (int n = 1; n <= 11; ++n) {
        auto* button = new QPushButton(QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')));
        button->setObjectName(QStringLiteral("shrinkPad%1").arg(n));
        button->setFixedWidth(34);
        connect(button, &QPushButton::clicked, this, [this, n] { cycleNumber(n); });
        padButtons_[static_cast<size_t>(n - 1)] = button;
        pad->addWidget(button);
    }
    pad->addWidget(new QLabel(QStringLiteral("至少含胆")));
    danAtLeast_ = new QSpinBox;
    danAtLeast_->setObjectName(QStringLiteral("shrinkDanAtLeast"));
    // Every 胆 until the player asks for fewer: the box follows the number of 胆 chosen.
    danAtLeast_->setRange(1, 1);
    danAtLeast_->setEnabled(false);
    danAtLeast_->setToolTip(QStringLiteral("每注至少含几个胆码（默认全部）"));
    pad->addWidget(danAtLeast_);
    pad->addStretch(1);
    layout->addWidget(padBox);

    auto* conditionsBox = new QGroupBox(QStringLiteral("条件（勾选后生效，范围含两端）"));
    auto* grid = new QGridLayout(conditionsBox);
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    const play::ConditionKind rangeKinds[] = {
        play::ConditionKind::Sum,    play::ConditionKind::Span,
        play::ConditionKind::Odd,    play::ConditionKind::Big,
        play::ConditionKind::Prime,  play::ConditionKind::Consecutive,
        play::ConditionKind::Repeat, play::ConditionKind::Neighbour};
    int cell = 0;
    for (const auto kind : rangeKinds) {
        RangeRow row{kind};
        row.use = new QCheckBox(QString::fromUtf8(play::conditionCaption(kind)));
        row.use->setObjectName(QStringLiteral("shrinkUse_%1").arg(play::conditionName(kind)));
        row.low = new QSpinBox;
        row.high = new QSpinBox;
        row.low->setObjectName(QStringLiteral("shrinkLow_%1").arg(play::conditionName(kind)));
        row.high->setObjectName(QStringLiteral("shrinkHigh_%1").arg(play::conditionName(kind)));
        auto* line = new QHBoxLayout;
        line->addWidget(row.use);
        line->addWidget(row.low);
        line->addWidget(new QLabel(QStringLiteral("至")));
        line->addWidget(row.high);
        line->addStretch(1);
        grid->addLayout(line, cell / 2, cell % 2);
        ++cell;
        ranges_.push_back(row);
    }
    routeUse_ = new QCheckBox(QStringLiteral("012路"));
    routeUse_->setObjectName(QStringLiteral("shrinkUse_route"));
    routes_ = new QLineEdit;
    routes_->setObjectName(QStringLiteral("shrinkRoutes"));
    routes_->setPlaceholderText(QStringLiteral("允许的比例，如 2:2:1,1:2:2"));
    auto* routeLine = new QHBoxLayout;
    routeLine->addWidget(routeUse_);
    routeLine->addWidget(routes_, 1);
    grid->addLayout(routeLine, cell / 2, cell % 2);
    ++cell;
    excludeUse_ = new QCheckBox(QStringLiteral("排除最近开出的号码，期数"));
    excludeUse_->setObjectName(QStringLiteral("shrinkUse_exclude_drawn"));
    exclude_ = new QSpinBox;
    exclude_->setObjectName(QStringLiteral("shrinkExclude"));
    exclude_->setRange(1, 10000);
    exclude_->setValue(10);
    auto* excludeLine = new QHBoxLayout;
    excludeLine->addWidget(excludeUse_);
    excludeLine->addWidget(exclude_);
    excludeLine->addStretch(1);
    grid->addLayout(excludeLine, cell / 2, cell % 2);
    // Its lines keep the usual room between their parts: with the grid's spacing down set apart
    // from its spacing across, they would take none.
    for (QObject* child : grid->children())
        if (auto* line = qobject_cast<QBoxLayout*>(child))
            line->setSpacing(grid->horizontalSpacing());
    layout->addWidget(conditionsBox);
    more_ = new ShrinkMoreConditions;
    layout->addWidget(more_);

    table_ = new QTableWidget(0, 6);
    table_->setObjectName(QStringLiteral("shrinkTable"));
    table_->setHorizontalHeaderLabels({QStringLiteral("条件"), QStringLiteral("保留注数"),
                                       QStringLiteral("保留比例"), QStringLiteral("随机通过率"),
                                       QStringLiteral("通过率"),
                                       QStringLiteral("通过率÷随机通过率")});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Its titles and four rows stay in view; more rows scroll.
    table_->setMinimumHeight(table_->horizontalHeader()->sizeHint().height() +
                             4 * table_->verticalHeader()->defaultSectionSize() +
                             2 * table_->frameWidth());
    table_->setToolTip(
        QStringLiteral("随机通过率：开奖完全随机时，统计期内每期留下的号码中奖的机会的平均；"
                       "任六至任八一注覆盖多种开奖结果，所以它不等于保留比例。"
                       "比值接近1的条件只是少买了号码，并没有提高中奖的机会；明显大于1才有用。") +
        QString::fromUtf8(kFigureCaveat));
    countNote_ = new ResultNote(QStringLiteral("shrinkResultNote"));
    layout->addWidget(countNote_);
    layout->addWidget(table_);

    auto* ticketColumn = new QVBoxLayout;
    tickets_ = new QPlainTextEdit;
    tickets_->setObjectName(QStringLiteral("shrinkTickets"));
    tickets_->setReadOnly(true);
    tickets_->setMinimumHeight(120);
    ticketColumn->addWidget(tickets_, 1);
    auto* ticketButtons = new QHBoxLayout;
    auto* copy = new QPushButton(QStringLiteral("复制号码"));
    copy->setObjectName(QStringLiteral("shrinkCopy"));
    auto* save = new QPushButton(QStringLiteral("保存为文本…"));
    save->setObjectName(QStringLiteral("shrinkSave"));
    ticketButtons->addWidget(copy);
    format_ = newTicketFormatBox(QStringLiteral("shrinkFormat"));
    ticketButtons->addWidget(format_);
    ticketButtons->addWidget(save);
    auto* record = new QPushButton(QStringLiteral("记入我的投注"));
    record->setObjectName(QStringLiteral("shrinkRecord"));
    ticketButtons->addWidget(record);
    connect(record, &QPushButton::clicked, this, [this] {
        TicketsToRecord what;
        what.play = keptPlay_;
        for (const std::uint32_t i : kept_)
            what.tickets.push_back(play::selectionsOf(keptPlay_)[i]);
        what.entered = QStringLiteral("缩水结果%1注").arg(kept_.size());
        recordTickets(workspace_, prompter_, what);
    });
    ticketNote_ = new QLabel;
    ticketNote_->setObjectName(QStringLiteral("shrinkTicketNote"));
    ticketButtons->addWidget(ticketNote_, 1);
    ticketColumn->addLayout(ticketButtons);
    right->addLayout(ticketColumn, 1);

    auto* backtestColumn = new QVBoxLayout;
    auto* stepsLine = new QHBoxLayout;
    stepsLine->addWidget(new QLabel(QStringLiteral("回测期数")));
    steps_ = new QSpinBox;
    steps_->setObjectName(QStringLiteral("shrinkSteps"));
    steps_->setRange(1, kMaxBacktestSteps);
    steps_->setValue(1000);
    stepsLine->addWidget(steps_);
    stepsLine->addWidget(new QLabel(QStringLiteral("随机对照")));
    randomRuns_ = new QSpinBox;
    randomRuns_->setObjectName(QStringLiteral("shrinkRandomRuns"));
    randomRuns_->setRange(0, kMaxRandomRuns);
    randomRuns_->setValue(1000);
    randomRuns_->setToolTip(
        QStringLiteral("同样的缩水号码在随机开奖下的对照：能精确计算时给出精确分布，否则模拟"
                       "这么多次随机开奖；图中显示其5%–95%范围。0为不对照"));
    stepsLine->addWidget(randomRuns_);
    stepsLine->addStretch(1);
    backtestColumn->addLayout(stepsLine);
    // On a line of its own: beside the boxes it would widen the narrow column of a small screen.
    backtestButton_ = new QPushButton(QStringLiteral("回测缩水投注"));
    backtestButton_->setObjectName(QStringLiteral("shrinkBacktest"));
    auto* runLine = new QHBoxLayout;
    runLine->addWidget(backtestButton_);
    runLine->addStretch(1);
    backtestColumn->addLayout(runLine);
    figures_ = new QLabel;
    figures_->setObjectName(QStringLiteral("shrinkFigures"));
    figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figures_->setWordWrap(true);
    backtestNote_ = new ResultNote(QStringLiteral("shrinkBacktestNote"));
    backtestColumn->addWidget(backtestNote_);
    backtestColumn->addWidget(figures_);
    chart_ = newMoneyChartView(QStringLiteral("shrinkChart"),
                               QStringLiteral("回测后在此显示累计盈亏与理论盈亏"));
    backtestColumn->addWidget(chart_, 1);
    backtestPage->addLayout(backtestColumn, 1);
    cover_ = new CoverPanel(workspace_, prompter_, [this](ShrinkRequest& r) { return request(r); });
    rightTabs->addTab(cover_, QStringLiteral("旋转矩阵"));
    countNote_->addResult(table_);
    countNote_->addResult(tickets_);
    backtestNote_->addResult(figures_);
    backtestNote_->addResult(chart_);

    connect(playBox_, &QComboBox::currentIndexChanged, this, &ShrinkView::onPlayChanged);
    connect(danAtLeast_, &QSpinBox::valueChanged, this, &ShrinkView::recount);
    // The counts follow the 012 box when it is left; until then they belong to what it held.
    connect(routes_, &QLineEdit::textEdited, this, [this] {
        if (routeUse_->isChecked()) countNote_->setInputsDiffer(true, inputsChangedText());
    });
    connect(window_, &QSpinBox::valueChanged, this, &ShrinkView::recount);
    for (const auto& row : ranges_) {
        connect(row.use, &QCheckBox::toggled, this, &ShrinkView::recount);
        connect(row.low, &QSpinBox::valueChanged, this, &ShrinkView::recount);
        connect(row.high, &QSpinBox::valueChanged, this, &ShrinkView::recount);
    }
    connect(routeUse_, &QCheckBox::toggled, this, &ShrinkView::recount);
    connect(routes_, &QLineEdit::editingFinished, this, &ShrinkView::recount);
    connect(excludeUse_, &QCheckBox::toggled, this, &ShrinkView::recount);
    connect(exclude_, &QSpinBox::valueChanged, this, &ShrinkView::recount);
    connect(more_, &ShrinkMoreConditions::changed, this, &ShrinkView::recount);
    connect(copy, &QPushButton::clicked, this, &ShrinkView::copyTickets);
    connect(save, &QPushButton::clicked, this, &ShrinkView::saveTickets);
    connect(backtestButton_, &QPushButton::clicked, this, &ShrinkView::runBacktest);
    for (QSpinBox* box : {steps_, randomRuns_})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            backtestNote_->setInputsDiffer(conditionsText() != backtestFor_, inputsChangedText());
        });
    onPlayChanged();
}

ShrinkView::~ShrinkView() = default;

void ShrinkView::historyChanged() {
    // The back-test is not run again by itself: it says what it belongs to.
    if (backtestNote_->hasResult() && workspace_.history().version() != backtestVersion_)
        backtestNote_->setStale(historyChangeReason(workspace_, backtestGame_));
    cover_->historyChanged();
    stale_ = true;
    if (isVisible()) recount();
}

void ShrinkView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (stale_) recount();
}

void ShrinkView::onPlayChanged() {
    const auto p = static_cast<play::Play>(playBox_->currentData().toInt());
    const int size = play::info(p).size;
    // Each range spans its kind's values for the play's ticket size.
    for (auto& row : ranges_) {
        const auto values = search::shapeValues(*play::conditionShape(row.kind), size);
        const int low = values.empty() ? 0 : values.front();
        const int high = values.empty() ? 0 : values.back();
        for (QSpinBox* box : {row.low, row.high}) {
            const QSignalBlocker block(box);
            box->setRange(low, high);
        }
        const QSignalBlocker blockLow(row.low), blockHigh(row.high);
        row.low->setValue(low);
        row.high->setValue(high);
    }
    more_->setPlay(p);
    setTicketFormatsFor(*format_, play::info(p).ordered);
    recount();
}

void ShrinkView::cycleNumber(int number) {
    int& state = pad_[static_cast<size_t>(number - 1)];
    state = (state + 1) % 3;
    QPushButton* button = padButtons_[static_cast<size_t>(number - 1)];
    button->setStyleSheet(state == 1   ? QStringLiteral("background:#e04040;color:white")
                          : state == 2 ? QStringLiteral("background:#606060;color:white")
                                       : QString());
    button->setToolTip(state == 1   ? QStringLiteral("胆码")
                       : state == 2 ? QStringLiteral("杀号")
                                    : QString());
    // 至少含胆 follows the number of 胆 unless the player asked for fewer.
    const int dan = static_cast<int>(std::count(pad_.begin(), pad_.end(), 1));
    const bool follows = danAtLeast_->value() >= danAtLeast_->maximum();
    {
        const QSignalBlocker block(danAtLeast_);
        danAtLeast_->setRange(1, std::max(1, dan));
        if (follows) danAtLeast_->setValue(danAtLeast_->maximum());
        danAtLeast_->setEnabled(dan > 1);
    }
    recount();
}

QString ShrinkView::request(ShrinkRequest& r) const {
    r.play = static_cast<play::Play>(playBox_->currentData().toInt());
    r.window = window_->value();
    search::NumberSet dan = 0, kill = 0;
    for (int n = 0; n < 11; ++n) {
        if (pad_[static_cast<size_t>(n)] == 1) dan |= static_cast<search::NumberSet>(1u << n);
        if (pad_[static_cast<size_t>(n)] == 2) kill |= static_cast<search::NumberSet>(1u << n);
    }
    if (dan) {
        const int count = std::popcount(static_cast<unsigned>(dan));
        r.conditions.push_back(
            {play::ConditionKind::Dan, dan, std::min(count, danAtLeast_->value()), 0, 0, {}});
    }
    if (kill) r.conditions.push_back({play::ConditionKind::Kill, kill, 0, 0, 0, {}});
    for (const auto& row : ranges_)
        if (row.use->isChecked())
            r.conditions.push_back({row.kind, 0, 0, row.low->value(), row.high->value(), {}});
    if (routeUse_->isChecked()) {
        play::Condition route{play::ConditionKind::Route, 0, 0, 0, 0, {}};
        for (const QString& part : routes_->text().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            const QStringList counts = part.trimmed().split(QLatin1Char(':'));
            int value = 0;
            for (const QString& count : counts) {
                bool ok = false;
                const int n = count.toInt(&ok);
                if (counts.size() != 3 || !ok || n < 0 || n > 9)
                    return QStringLiteral("012路比例“%1”应写成 2:2:1 这样的三个数").arg(part);
                value = value * 10 + n;
            }
            route.routes.push_back(value);
        }
        r.conditions.push_back(route);
    }
    if (excludeUse_->isChecked())
        r.conditions.push_back(
            {play::ConditionKind::ExcludeDrawn, 0, 0, exclude_->value(), exclude_->value(), {}});
    return more_->addTo(r);
}

void ShrinkView::recount() {
    stale_ = false;
    ShrinkRequest r;
    ShrinkResult result;
    QString problem = request(r);
    if (problem.isEmpty()) {
        history::NoProgress progress;
        const Outcome outcome = service_->run(r, progress, result);
        if (!outcome.ok) problem = QString::fromStdString(outcome.message);
    }
    const play::ShrinkFigures& f = result.figures;
    table_->setRowCount(0);
    ticketsText_.clear();
    kept_.clear();
    ticketNote_->clear();
    tickets_->clear();
    backtestButton_->setEnabled(problem.isEmpty());
    backtestNote_->setInputsDiffer(conditionsText() != backtestFor_, inputsChangedText());
    if (!problem.isEmpty()) {
        countNote_->setEmpty();
        count_->setText(
            QStringLiteral("<span style='color:#b00000'>%1</span>").arg(problem.toHtmlEscaped()));
        return;
    }
    countNote_->setCurrent(
        QStringLiteral("%1 %2，%3，通过率按最近%4期")
            .arg(gameText(workspace_), playBox_->currentText(), historyText(workspace_))
            .arg(f.window));
    count_->setText(QStringLiteral("剩余 <b>%1</b> / %2 注（统计%3期）")
                        .arg(f.kept)
                        .arg(f.total)
                        .arg(f.window));
    auto addRow = [&](const QString& name, std::int64_t kept, double keptShare, double chance,
                      double passRate, const std::optional<double>& passRatio) {
        const int row = table_->rowCount();
        table_->insertRow(row);
        const QString cells[] = {name,
                                 QString::number(kept),
                                 percent(keptShare),
                                 percent(chance),
                                 percent(passRate),
                                 ratio(passRatio)};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, c, item);
        }
    };
    for (size_t c = 0; c < f.conditions.size(); ++c) {
        const play::ConditionFigures& cf = f.conditions[c];
        addRow(QString::fromUtf8(play::conditionCaption(r.conditions[c].kind)), cf.kept,
               cf.keptShare, cf.chance, cf.passRate, cf.ratio);
    }
    addRow(QStringLiteral("全部条件（p值 %1）").arg(QString::fromStdString(pValueText(f.pValue))),
           f.kept, f.keptShare, f.chance, f.passRate, f.ratio);
    if (f.tolerance > 0)
        for (size_t k = 0; k < f.failures.size(); ++k) {
            const int row = table_->rowCount();
            table_->insertRow(row);
            table_->setItem(row, 0,
                            new QTableWidgetItem(QStringLiteral("容错：不符%1个条件").arg(k)));
            auto* item = new QTableWidgetItem(QString::number(f.failures[k]));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(row, 1, item);
        }
    table_->resizeColumnsToContents();
    ticketsText_ = shrinkTicketsText(f);
    kept_ = f.tickets;
    keptPlay_ = f.play;
    const play::SelectionSet& selections = play::selectionsOf(f.play);
    QStringList lines;
    for (const auto s : f.tickets)
        lines << QString::fromStdString(play::selectionText(selections[s]));
    tickets_->setPlainText(lines.join(QLatin1Char('\n')));
}

QString ShrinkView::conditionsText() const {
    ShrinkRequest r;
    if (!request(r).isEmpty()) return {};
    QString text = QStringLiteral("%1|%2|%3")
                       .arg(static_cast<int>(r.play))
                       .arg(steps_->value())
                       .arg(randomRuns_->value());
    for (const auto& c : r.conditions) {
        text += QStringLiteral("|%1:%2:%3:%4:%5")
                    .arg(static_cast<int>(c.kind))
                    .arg(c.numbers)
                    .arg(c.atLeast)
                    .arg(c.low)
                    .arg(c.high);
        for (const int route : c.routes) text += QStringLiteral(",%1").arg(route);
        for (const int v : c.values) text += QStringLiteral(";%1").arg(v);
        for (const auto& pattern : c.patterns)
            text += QStringLiteral("/%1").arg(QString::fromStdString(pattern));
    }
    text += QStringLiteral("|t%1").arg(r.tolerance);
    return text;
}

void ShrinkView::copyTickets() {
    QApplication::clipboard()->setText(tickets_->toPlainText());
    ticketNote_->setText(QStringLiteral("已复制%1注").arg(kept_.size()));
}

void ShrinkView::saveTickets() {
    if (kept_.empty()) return;
    app::gui::saveTickets(prompter_, keptPlay_, kept_, QStringLiteral("缩水号码.txt"),
                          ticketFormatOf(*format_));
}

void ShrinkView::runBacktest() {
    ShrinkRequest r;
    if (const QString problem = request(r); !problem.isEmpty()) {
        prompter_.warn(QStringLiteral("缩水回测"), problem);
        return;
    }
    r.backtestSteps = steps_->value();
    r.randomRuns = randomRuns_->value();
    ShrinkResult result;
    Outcome outcome;
    runWithProgress(
        this, QStringLiteral("回测缩水投注"), QStringLiteral("正在回测缩水投注…"),
        [&](history::Progress& progress) { outcome = service_->run(r, progress, result); });
    if (!outcome.ok) {
        if (!outcome.message.empty())
            prompter_.warn(QStringLiteral("缩水回测"), QString::fromStdString(outcome.message));
        else
            showChartNote(*chart_, QStringLiteral("回测已取消"));
        return;
    }
    const play::MoneyResult& m = result.money;
    backtestFor_ = conditionsText();
    backtestGame_ = static_cast<int>(workspace_.settings().game);
    backtestVersion_ = workspace_.history().version();
    backtestNote_->setCurrent(
        QStringLiteral("%1 %2 缩水投注回测，%3")
            .arg(gameText(workspace_), playBox_->currentText(), historyText(workspace_)));
    // Against the same tickets on random draws: the share they did worse than, a tie counting
    // half, and the three shares apart.
    QString luck;
    if (m.random)
        luck = QStringLiteral("；同样的号码在随机开奖下平均盈亏%1元，随机开奖中不如实际开奖的比例"
                              "<b>%2</b>（持平算一半；低于／持平／高于 %3／%4／%5）")
                   .arg(m.random->netMean, 0, 'f', 2)
                   .arg(QString::fromStdString(percent2(m.random->percentile)),
                        QString::fromStdString(percent2(m.random->below)),
                        QString::fromStdString(percent2(m.random->equal)),
                        QString::fromStdString(percent2(m.random->above)));
    figures_->setText(
        QStringLiteral(
            "%11：%1期共买%2注，成本%3元，中奖%4元，盈亏<b>%5元</b>，返奖率%6（理论%7），"
            "中奖%8注，最大回撤%9元，最长连续不中%10期")
            .arg(m.steps)
            .arg(m.tickets)
            .arg(m.cost)
            .arg(m.won)
            .arg(m.net)
            .arg(m.returnRate ? percent(*m.returnRate) : QStringLiteral("—"))
            .arg(percent(m.expectedReturnRate))
            .arg(m.hits)
            .arg(m.maxDrawdown)
            .arg(m.longestLosingStreak)
            .arg(playBox_->currentText()) +
        luck +
        QStringLiteral("<p style=\"color:gray\">%1</p>")
            .arg(QString::fromUtf8(kFigureCaveat).toHtmlEscaped()));
    showMoneyChart(*chart_, m, QStringLiteral("缩水投注"));
}

} // namespace app::gui
