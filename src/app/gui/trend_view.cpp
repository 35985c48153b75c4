#include "app/gui/trend_view.h"

#include "app/gui/grid_style.h"
#include "app/workspace.h"
#include "history/period.h"
#include "search/tally.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QTableView>
#include <QValueAxis>

#include <algorithm>

namespace app::gui {

namespace {

const char* const kSummaryTitles[TrendModel::kSummaryRows] = {"出现次数", "平均遗漏", "最大遗漏",
                                                              "当前遗漏", "最大连出"};
// The periods the chart looks back over.
constexpr size_t kChartPeriods = 100;

QString numbersText(const history::PositionValues& numbers) {
    QString text;
    for (int n : numbers) {
        if (!text.isEmpty()) text += QLatin1Char(' ');
        text += QString::fromStdString(history::format00(n));
    }
    return text;
}

} // namespace

// ---- the model ----

TrendModel::TrendModel(const Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {}

void TrendModel::setTable(std::shared_ptr<const search::OmissionTable> table, history::Kind kind,
                          int zodiacBase) {
    beginResetModel();
    table_ = std::move(table);
    kind_ = kind;
    zodiacBase_ = zodiacBase;
    endResetModel();
}

void TrendModel::setHideNumbers(bool hide) {
    if (hide == hideNumbers_) return;
    hideNumbers_ = hide;
    const int periods = table_ ? static_cast<int>(table_->periods()) : 0;
    if (periods > 0)
        emit dataChanged(index(0, kLeadColumns), index(periods - 1, columnCount() - 1),
                         {Qt::DisplayRole});
}

QString TrendModel::valueLabel(size_t v) const {
    if (!table_ || v >= table_->values().size()) return {};
    const int value = table_->values()[v];
    if (kind_ == history::Number) return QString::fromStdString(history::format00(value));
    return QString::fromStdString(search::valueText(kind_, value, zodiacBase_));
}

int TrendModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return static_cast<int>(table_->periods()) + kSummaryRows;
}

int TrendModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return kLeadColumns + static_cast<int>(table_->values().size());
}

QVariant TrendModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid()) return {};
    const auto row = static_cast<size_t>(index.row());
    if (row >= table_->periods()) return summaryData(row - table_->periods(), index.column(), role);
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    const size_t stored = table_->firstRow() + row;
    if (index.column() < kLeadColumns) {
        if (role != Qt::DisplayRole || stored >= workspace_.rows().size()) return {};
        if (index.column() == 0)
            return QString::fromStdString(workspace_.historyPeriodText(stored));
        return numbersText(workspace_.rows()[stored].numbers());
    }
    const auto v = static_cast<size_t>(index.column() - kLeadColumns);
    if (role == CarriesRole) return table_->carries(row, v);
    if (role != Qt::DisplayRole) return {};
    if (table_->carries(row, v)) return valueLabel(v);
    if (hideNumbers_) return QString();
    return QString::number(table_->omission(row, v));
}

QVariant TrendModel::summaryData(size_t summaryRow, int column, int role) const {
    if (role == Qt::BackgroundRole) return QColor(0xee, 0xf2, 0xf8);
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    if (column == 0) return QString::fromUtf8(kSummaryTitles[summaryRow]);
    if (column < kLeadColumns) return QString();
    const auto& figures = table_->summary()[static_cast<size_t>(column - kLeadColumns)];
    switch (summaryRow) {
    case 0:
        return QString::number(figures.count);
    case 1:
        // Tenths while they matter; whole periods keep the column narrow.
        return QString::number(figures.average, 'f', figures.average < 10 ? 1 : 0);
    case 2:
        return QString::number(figures.max);
    case 3:
        return QString::number(figures.current);
    default:
        return QString::number(figures.maxRun);
    }
}

QVariant TrendModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return QStringLiteral("期号");
    if (section == 1) return QStringLiteral("开奖号码");
    return valueLabel(static_cast<size_t>(section - kLeadColumns));
}

// ---- the balls ----

void TrendDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (!index.data(TrendModel::CarriesRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyle* style = nullptr;
    const QStyleOptionViewItem opt = paintWithoutText(painter, option, index, style);
    const QString text = opt.text;

    const int diameter = std::min(opt.rect.width(), opt.rect.height()) - 2;
    const QRect ball(opt.rect.center().x() - diameter / 2, opt.rect.center().y() - diameter / 2,
                     diameter, diameter);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(QColor(0xd0, 0x30, 0x30));
    painter->drawEllipse(ball);
    painter->setPen(Qt::white);
    painter->setFont(opt.font);
    painter->drawText(opt.rect, Qt::AlignCenter, text);
    painter->restore();
}

// ---- the view ----

TrendView::TrendView(Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace) {
    setObjectName(QStringLiteral("trendPage"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    kindBox_ = new QComboBox;
    kindBox_->setObjectName(QStringLiteral("trendKind"));
    kindBox_->addItems({QStringLiteral("号码"), QStringLiteral("生肖"), QStringLiteral("头数"),
                        QStringLiteral("尾数"), QStringLiteral("合数"), QStringLiteral("段数")});
    positionBox_ = new QComboBox;
    positionBox_->setObjectName(QStringLiteral("trendPosition"));
    positionBox_->addItem(QStringLiteral("任意位"));
    for (int p = 1; p <= 5; ++p) positionBox_->addItem(QStringLiteral("第%1位").arg(p));
    hideNumbers_ = new QCheckBox(QStringLiteral("隐藏遗漏数"));
    hideNumbers_->setObjectName(QStringLiteral("trendHideNumbers"));

    const auto periodBox = [](const char* name) {
        auto* box = new QLineEdit;
        box->setObjectName(QLatin1String(name));
        box->setMaxLength(10);
        box->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,10}")), box));
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("2016090852")) +
                             16);
        return box;
    };
    fromBox_ = periodBox("trendFrom");
    toBox_ = periodBox("trendTo");
    fromBox_->setToolTip(QStringLiteral("走势图的起始期号（十位）"));
    toBox_->setToolTip(QStringLiteral("走势图的结束期号（十位）"));

    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("类型")));
    choices->addWidget(kindBox_);
    choices->addWidget(new QLabel(QStringLiteral("位置")));
    choices->addWidget(positionBox_);
    choices->addWidget(hideNumbers_);
    choices->addStretch(1);
    auto* span = new QHBoxLayout;
    span->addWidget(new QLabel(QStringLiteral("从")));
    span->addWidget(fromBox_);
    span->addWidget(new QLabel(QStringLiteral("到")));
    span->addWidget(toBox_);
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("trendNote"));
    span->addWidget(note_, 1);
    layout->addLayout(choices, 0, 0);
    layout->addLayout(span, 1, 0);

    model_ = new TrendModel(workspace_, this);
    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("trendView"));
    table_->setModel(model_);
    setupGrid(table_);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setItemDelegate(new TrendDelegate(table_));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setMinimumSectionSize(8);
    table_->setToolTip(QStringLiteral("点击一列的号码或格子，下方的图显示它近100期的遗漏"));
    layout->addWidget(table_, 2, 0);
    layout->setRowStretch(2, 1);

    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    chart_ = new QChartView(chart);
    chart_->setObjectName(QStringLiteral("trendChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(140);
    chart_->setMaximumHeight(180);
    layout->addWidget(chart_, 3, 0);

    connect(kindBox_, &QComboBox::currentIndexChanged, this, [this] {
        chartedValue_ = -1;
        rebuild();
    });
    connect(positionBox_, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(hideNumbers_, &QCheckBox::toggled, model_, &TrendModel::setHideNumbers);
    connect(fromBox_, &QLineEdit::editingFinished, this, &TrendView::onSpanEdited);
    connect(toBox_, &QLineEdit::editingFinished, this, &TrendView::onSpanEdited);
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= TrendModel::kLeadColumns) showChart(section - TrendModel::kLeadColumns);
    });
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() >= TrendModel::kLeadColumns)
            showChart(index.column() - TrendModel::kLeadColumns);
    });
    historyChanged();
}

void TrendView::historyChanged() {
    const auto& rows = workspace_.rows();
    const QString first =
        rows.empty() ? QString() : QString::fromStdString(history::tenDigit(rows.front().period));
    const QString newest =
        rows.empty() ? QString() : QString::fromStdString(history::tenDigit(rows.back().period));
    if (fromFollows_ || rows.empty()) fromBox_->setText(first);
    if (toFollows_ || rows.empty()) toBox_->setText(newest);
    if (rows.empty()) fromFollows_ = toFollows_ = true;
    dirty_ = true;
    rebuild();
}

void TrendView::onSpanEdited() {
    const auto& rows = workspace_.rows();
    if (rows.empty()) return;
    fromFollows_ = fromBox_->text().isEmpty() ||
                   fromBox_->text().toStdString() == history::tenDigit(rows.front().period);
    toFollows_ = toBox_->text().isEmpty() ||
                 toBox_->text().toStdString() == history::tenDigit(rows.back().period);
    if (fromBox_->text().isEmpty())
        fromBox_->setText(QString::fromStdString(history::tenDigit(rows.front().period)));
    if (toBox_->text().isEmpty())
        toBox_->setText(QString::fromStdString(history::tenDigit(rows.back().period)));
    rebuild();
}

void TrendView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (dirty_) rebuild();
}

void TrendView::rebuild() {
    // Nothing is computed for a hidden view; it catches up when shown.
    if (!isVisible()) {
        dirty_ = true;
        return;
    }
    const auto kind = static_cast<history::Kind>(kindBox_->currentIndex());
    const auto& settings = workspace_.settings();
    Built wanted;
    wanted.version = workspace_.history().version();
    wanted.kind = kind;
    wanted.position = positionBox_->currentIndex();
    wanted.zodiacBase = settings.zodiacBase;
    wanted.segmentBase = settings.segmentBase;
    search::OmissionRequest request;
    request.kind = kind;
    request.position = wanted.position;
    request.zodiacBase = settings.zodiacBase;
    request.segmentBase = settings.segmentBase;
    if (!workspace_.rows().empty()) {
        const auto start = history::lastEightAsNumber(fromBox_->text().toStdString());
        const auto end = history::lastEightAsNumber(toBox_->text().toStdString());
        if (fromBox_->text().size() != 10 || toBox_->text().size() != 10 || !start || !end) {
            note_->setText(QStringLiteral("请输入十位期号，例如2016090801"));
            return;
        }
        request.spanStart = wanted.start = *start;
        request.spanEnd = wanted.end = *end;
    }
    if (!dirty_ && wanted == built_) return;
    dirty_ = false;
    built_ = wanted;

    workspace_.ensureKinds({kind});
    const QScrollBar* scroll = table_->verticalScrollBar();
    const bool atEnd = model_->rowCount() == 0 || scroll->value() >= scroll->maximum();
    auto table = std::make_shared<const search::OmissionTable>(workspace_.rows(), request,
                                                               workspace_.zodiac());
    const size_t periods = table->periods();
    model_->setTable(std::move(table), kind, settings.zodiacBase);
    note_->setText(workspace_.rows().empty() ? QStringLiteral("没有历史号码")
                                             : QStringLiteral("共 %1 期").arg(periods));
    fitColumns();
    if (atEnd) table_->scrollToBottom();
    showChart(chartedValue_);
}

void TrendView::fitColumns() {
    const QFontMetrics metrics(table_->font());
    const QFontMetrics header(table_->horizontalHeader()->font());
    const int pad = 12;
    table_->setColumnWidth(0, std::max(metrics.horizontalAdvance(QStringLiteral("2016090852")),
                                       header.horizontalAdvance(QStringLiteral("最大连出"))) +
                                  pad);
    table_->setColumnWidth(1, metrics.horizontalAdvance(QStringLiteral("03 07 01 11 05")) + pad);
    int widest = metrics.horizontalAdvance(QStringLiteral("888"));
    // The headers and the summary rows (counts reach four digits and more) are shown whole.
    const int periods = model_->table() ? static_cast<int>(model_->table()->periods()) : 0;
    for (int c = TrendModel::kLeadColumns; c < model_->columnCount(); ++c) {
        widest = std::max(
            widest, header.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString()));
        for (int r = 0; r < TrendModel::kSummaryRows; ++r)
            widest = std::max(
                widest, metrics.horizontalAdvance(model_->index(periods + r, c).data().toString()));
    }
    const int valueWidth = std::max(widest + 8, table_->verticalHeader()->defaultSectionSize());
    for (int c = TrendModel::kLeadColumns; c < model_->columnCount(); ++c)
        table_->setColumnWidth(c, valueWidth);
}

int TrendView::preferredWidth() const {
    int width = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < model_->columnCount(); ++c) width += table_->columnWidth(c);
    if (model_->columnCount() == 0) width += 400;
    const QMargins margins = layout()->contentsMargins();
    return std::max(width, minimumSizeHint().width()) + margins.left() + margins.right();
}

void TrendView::showChart(int v) {
    QChart* chart = chart_->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes()) {
        chart->removeAxis(axis);
        delete axis;
    }
    const search::OmissionTable* table = model_->table();
    if (!table || v < 0 || static_cast<size_t>(v) >= table->values().size() ||
        table->periods() == 0) {
        chartedValue_ = -1;
        chart->setTitle(QStringLiteral("点击上表的一列，看它近%1期的遗漏").arg(kChartPeriods));
        return;
    }
    chartedValue_ = v;
    const size_t periods = table->periods();
    const size_t shown = std::min(periods, kChartPeriods);
    auto* series = new QLineSeries;
    std::int64_t highest = 1;
    for (size_t k = 0; k < shown; ++k) {
        const size_t i = periods - shown + k;
        const std::int64_t omission = table->omission(i, static_cast<size_t>(v));
        highest = std::max(highest, omission);
        series->append(static_cast<double>(k + 1), static_cast<double>(omission));
    }
    series->setColor(QColor(0xd0, 0x30, 0x30));
    chart->addSeries(series);
    auto* x = new QValueAxis;
    x->setRange(1, static_cast<double>(std::max<size_t>(shown, 2)));
    x->setLabelFormat(QStringLiteral("%d"));
    x->setTickCount(std::min<int>(static_cast<int>(shown), 11) < 2 ? 2 : 11);
    auto* y = new QValueAxis;
    // Whole-number ticks: the range is a multiple of the tick step.
    const std::int64_t step = std::max<std::int64_t>(1, (highest + 4) / 5);
    y->setRange(0, static_cast<double>(step * ((highest + step - 1) / step)));
    y->setTickCount(static_cast<int>((highest + step - 1) / step) + 1);
    y->setLabelFormat(QStringLiteral("%d"));
    // Counts of five digits in a narrow chart are shown whole, never cut to "…".
    x->setTruncateLabels(false);
    y->setTruncateLabels(false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    chart->setTitle(QStringLiteral("%1 近%2期遗漏（%3）")
                        .arg(model_->valueLabel(static_cast<size_t>(v)))
                        .arg(shown)
                        .arg(positionBox_->currentText()));
}

} // namespace app::gui
