#include "app/gui/trend_view.h"

#include "app/gui/chart_setup.h"
#include "app/gui/grid_style.h"
#include "app/gui/result_note.h"
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
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QToolTip>
#include <QValueAxis>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace app::gui {

namespace {

const char* const kSummaryTitles[TrendModel::kSummaryRows] = {"出现次数", "平均遗漏", "最大遗漏",
                                                              "当前遗漏", "最大连出", "近10期出现"};
// The periods the chart looks back over.
constexpr size_t kChartPeriods = 100;
// Item data of the kind chooser's entries: the kind, or kShapeCode + the shape.
constexpr int kShapeCode = 100;

const QColor kSummaryBackground(0xee, 0xf2, 0xf8);
const QColor kMarkBackground(0xfb, 0xf6, 0xe4);
const QColor kColdBackground(0xdc, 0xe6, 0xf4);
const QColor kBall(0xd0, 0x30, 0x30);
const QColor kMarkBall(0x2a, 0x62, 0xb8);

QString numbersText(const history::PositionValues& numbers) {
    QString text;
    for (int n : numbers) {
        if (!text.isEmpty()) text += QLatin1Char(' ');
        text += QString::fromStdString(history::format00(n));
    }
    return text;
}

QString percent(double chance) {
    return QString::number(chance * 100, 'f', chance < 0.001 ? 4 : 2) + QLatin1Char('%');
}

} // namespace

// ---- the model ----

TrendModel::TrendModel(const Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {}

void TrendModel::setTable(std::shared_ptr<const search::OmissionTable> table,
                          const TrendSubject& subject) {
    beginResetModel();
    table_ = std::move(table);
    subject_ = subject;
    endResetModel();
}

void TrendModel::emitValueCells(int firstRow, int lastRow) {
    if (!table_ || lastRow < firstRow) return;
    emit dataChanged(index(firstRow, kLeadColumns), index(lastRow, columnCount() - 1));
}

void TrendModel::setHideNumbers(bool hide) {
    if (hide == hideNumbers_) return;
    hideNumbers_ = hide;
    if (table_) emitValueCells(0, static_cast<int>(table_->periods()) - 1);
}

void TrendModel::setLayered(bool layered) {
    if (layered == layered_) return;
    layered_ = layered;
    if (table_) emitValueCells(0, static_cast<int>(table_->periods()) - 1);
}

QString TrendModel::valueLabel(size_t v) const {
    if (!table_ || v >= table_->values().size()) return {};
    const int value = table_->values()[v];
    if (subject_.shape) return QString::fromStdString(search::shapeLabel(*subject_.shape, value));
    if (subject_.kind == history::Number) return QString::fromStdString(history::format00(value));
    return QString::fromStdString(search::valueText(subject_.kind, value, subject_.zodiacBase));
}

QString TrendModel::subjectText() const {
    if (subject_.shape) return QString::fromUtf8(search::shapeCaption(*subject_.shape));
    const QString kind = QString::fromStdString(history::kindCaptions()[subject_.kind]);
    return subject_.position == 0 ? kind + QStringLiteral("（任意位）")
                                  : kind + QStringLiteral("（第%1位）").arg(subject_.position);
}

int TrendModel::summaryRowCount() const {
    return kSummaryRows + (table_ && table_->uniformity() ? 1 : 0);
}

int TrendModel::testRow() const {
    if (!table_ || !table_->uniformity()) return -1;
    return static_cast<int>(table_->periods()) + kSummaryRows;
}

int TrendModel::firstMarkRow() const {
    return table_ ? static_cast<int>(table_->periods()) + summaryRowCount() : 0;
}

const TrendModel::Marks* TrendModel::shownMarks() const {
    const int code =
        subject_.shape ? kShapeCode + static_cast<int>(*subject_.shape) : subject_.kind;
    const auto found = marks_.find({code, subject_.shape ? 0 : subject_.position});
    return found == marks_.end() ? nullptr : &found->second;
}

void TrendModel::toggleMark(const QModelIndex& index) {
    if (!table_ || !index.isValid() || index.column() < kLeadColumns) return;
    const int markRow = index.row() - firstMarkRow();
    if (markRow < 0 || markRow >= kMarkRows) return;
    const auto v = static_cast<size_t>(index.column() - kLeadColumns);
    if (v >= table_->values().size()) return;
    const int code =
        subject_.shape ? kShapeCode + static_cast<int>(*subject_.shape) : subject_.kind;
    auto& marked = marks_[{code, subject_.shape ? 0 : subject_.position}][markRow];
    const int value = table_->values()[v];
    if (!marked.erase(value)) marked.insert(value);
    emit dataChanged(index, index);
}

void TrendModel::clearMarks() {
    const Marks* shown = shownMarks();
    marks_.clear();
    if (shown && table_) emitValueCells(firstMarkRow(), firstMarkRow() + kMarkRows - 1);
}

int TrendModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return static_cast<int>(table_->periods()) + summaryRowCount() + kMarkRows;
}

int TrendModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table_) return 0;
    return kLeadColumns + static_cast<int>(table_->values().size());
}

QVariant TrendModel::data(const QModelIndex& index, int role) const {
    if (!table_ || !index.isValid()) return {};
    const auto row = static_cast<size_t>(index.row());
    const size_t periods = table_->periods();
    if (row < periods) return periodData(row, index.column(), role);
    const size_t summaryRows = static_cast<size_t>(summaryRowCount());
    if (row < periods + summaryRows) return summaryData(row - periods, index.column(), role);
    return markData(row - periods - summaryRows, index.column(), role);
}

QVariant TrendModel::periodData(size_t row, int column, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    const size_t stored = table_->firstRow() + row;
    if (column < kLeadColumns) {
        if (role != Qt::DisplayRole || stored >= workspace_.rows().size()) return {};
        if (column == 0) return QString::fromStdString(workspace_.historyPeriodText(stored));
        return numbersText(workspace_.rows()[stored].numbers());
    }
    const auto v = static_cast<size_t>(column - kLeadColumns);
    const bool carries = table_->carries(row, v);
    switch (role) {
    case CarriesRole:
        return carries;
    case Qt::DisplayRole:
        if (carries) return valueLabel(v);
        if (hideNumbers_) return QString();
        return QString::number(table_->omission(row, v));
    case Qt::BackgroundRole:
        // The current omission run: every period after the value last came.
        if (layered_ && !carries && static_cast<std::int64_t>(row) > table_->lastCarrying(v))
            return kColdBackground;
        return {};
    case Qt::ToolTipRole: {
        if (stored >= workspace_.rows().size()) return {};
        const QString state = carries ? QStringLiteral("本期开出")
                                      : QStringLiteral("遗漏 %1 期").arg(table_->omission(row, v));
        return QStringLiteral("%1期\n%2 %3：%4\n每期开出的机会 %5")
            .arg(QString::fromStdString(workspace_.historyPeriodText(stored)), subjectText(),
                 valueLabel(v), state, percent(table_->chance(row, v)));
    }
    default:
        return {};
    }
}

QVariant TrendModel::summaryData(size_t summaryRow, int column, int role) const {
    if (role == Qt::BackgroundRole) return kSummaryBackground;
    const bool testLine = summaryRow >= static_cast<size_t>(kSummaryRows);
    if (role == Qt::TextAlignmentRole)
        return QVariant(testLine && column == 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                                : Qt::AlignCenter);
    if (testLine) {
        const auto& test = table_->uniformity();
        if (column == 0 && role == Qt::DisplayRole) return QStringLiteral("分布检验");
        if (column != 1 || !test) return {};
        if (role == Qt::DisplayRole) {
            if (!test->tested()) return QStringLiteral("期数太少，无法检验");
            return QStringLiteral("χ² = %1，df = %2，p = %3（%4组）")
                .arg(QString::number(test->chi2, 'f', 2))
                .arg(test->df)
                .arg(test->pValue < 1e-300 ? QStringLiteral("< 1e-300")
                                           : QString::number(test->pValue, 'g', 3))
                .arg(test->groups);
        }
        if (role == Qt::ToolTipRole)
            return QStringLiteral(
                "各值的出现次数与理论次数的卡方检验：理论次数不到5次的值按从小到大"
                "与相邻的值合并成组，每组理论次数至少5次，卡方分布才适用；"
                "不到两组就无法检验。p 很小（例如小于 0.05）"
                "说明这段期内的分布不像随机开出；试过许多范围后碰到一个小 p "
                "并不说明什么。");
        return {};
    }
    if (column == 0 && role == Qt::DisplayRole)
        return QString::fromUtf8(kSummaryTitles[summaryRow]);
    if (column < kLeadColumns) return {};
    const auto v = static_cast<size_t>(column - kLeadColumns);
    const auto& figures = table_->summary()[v];
    if (role == Qt::ToolTipRole && summaryRow == 0)
        return QStringLiteral("%1 %2：出现 %3 次，理论 %4 次")
            .arg(subjectText(), valueLabel(v))
            .arg(figures.count)
            .arg(QString::number(figures.expected, 'f', 2));
    if (role != Qt::DisplayRole) return {};
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
    case 4:
        return QString::number(figures.maxRun);
    default:
        return QString::number(table_->countInLast(v, kRecentPeriods));
    }
}

QVariant TrendModel::markData(size_t markRow, int column, int role) const {
    if (role == Qt::BackgroundRole) return kMarkBackground;
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (column == 0)
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("预选%1").arg(markRow + 1))
                                       : QVariant();
    if (column < kLeadColumns) return {};
    const auto v = static_cast<size_t>(column - kLeadColumns);
    const Marks* marks = shownMarks();
    const bool marked = marks && (*marks)[markRow].count(table_->values()[v]) > 0;
    switch (role) {
    case MarkedRole:
        return marked;
    case Qt::DisplayRole:
        return marked ? valueLabel(v) : QString();
    case Qt::ToolTipRole:
        return QStringLiteral("点击标记或取消 %1 %2").arg(subjectText(), valueLabel(v));
    default:
        return {};
    }
}

QVariant TrendModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 0) return QStringLiteral("期号");
    if (section == 1) return QStringLiteral("开奖号码");
    return valueLabel(static_cast<size_t>(section - kLeadColumns));
}

// ---- the balls and the line ----

void TrendDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    const bool carries = index.data(TrendModel::CarriesRole).toBool();
    const bool marked = index.data(TrendModel::MarkedRole).toBool();
    if (!carries && !marked) {
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
    painter->setBrush(carries ? kBall : kMarkBall);
    // A label wider than the ball (shapes such as "2:2:1") sits on a bar with rounded corners.
    const int textWidth = opt.fontMetrics.horizontalAdvance(text) + 6;
    if (textWidth - 6 > diameter) {
        const int width = std::min(textWidth, opt.rect.width() - 2);
        const QRect bar(opt.rect.center().x() - width / 2, ball.top(), width, diameter);
        painter->drawRoundedRect(bar, 4, 4);
    } else {
        painter->drawEllipse(ball);
    }
    painter->setPen(Qt::white);
    painter->setFont(opt.font);
    painter->drawText(opt.rect, Qt::AlignCenter, text);
    painter->restore();
}

// The table, with the line through the carrying cells of consecutive periods (折线) drawn over
// its cells; the carrying cells are painted again over the line, so it joins their edges.
class TrendTable : public QTableView {
  public:
    using QTableView::QTableView;
    void setLine(bool line) {
        line_ = line;
        viewport()->update();
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QTableView::paintEvent(event);
        const auto* model = qobject_cast<const TrendModel*>(this->model());
        const search::OmissionTable* table = model ? model->table() : nullptr;
        if (!line_ || !table || !table->singleValued() || table->periods() < 2) return;
        const int periods = static_cast<int>(table->periods());
        int top = rowAt(0), bottom = rowAt(viewport()->height() - 1);
        if (top < 0) return;
        if (bottom < 0 || bottom >= periods) bottom = periods - 1;
        top = std::max(0, top - 1);
        bottom = std::min(periods - 1, bottom + 1);
        const auto cellOf = [&](int r) {
            const int v = table->valueAt(static_cast<size_t>(r));
            return v < 0 ? QModelIndex() : model->index(r, TrendModel::kLeadColumns + v);
        };
        QPainter painter(viewport());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(kBall, 1.5));
        for (int r = top; r < bottom; ++r) {
            const QModelIndex from = cellOf(r), to = cellOf(r + 1);
            if (from.isValid() && to.isValid())
                painter.drawLine(QRectF(visualRect(from)).center(),
                                 QRectF(visualRect(to)).center());
        }
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        for (int r = top; r <= bottom; ++r) {
            const QModelIndex cell = cellOf(r);
            if (!cell.isValid()) continue;
            option.rect = visualRect(cell);
            itemDelegate()->paint(&painter, option, cell);
        }
    }

  private:
    bool line_ = false;
};

// ---- the view ----

TrendView::TrendView(Workspace& workspace, QWidget* parent)
    : QWidget(parent), workspace_(workspace) {
    setObjectName(QStringLiteral("trendPage"));
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);

    kindBox_ = new QComboBox;
    kindBox_->setObjectName(QStringLiteral("trendKind"));
    for (int kind = 0; kind < history::kKinds; ++kind)
        kindBox_->addItem(QString::fromStdString(history::kindCaptions()[kind]), kind);
    // The shapes of the whole draw, a group of their own under a heading that cannot be chosen.
    kindBox_->insertSeparator(kindBox_->count());
    kindBox_->addItem(QStringLiteral("— 形态 —"), -1);
    if (auto* items = qobject_cast<QStandardItemModel*>(kindBox_->model()))
        items->item(kindBox_->count() - 1)->setEnabled(false);
    for (int s = 0; s < search::kShapes; ++s)
        kindBox_->addItem(QString::fromUtf8(search::shapeCaption(search::Shape(s))),
                          kShapeCode + s);
    kindBox_->setToolTip(
        QStringLiteral("号码的属性，或整期开奖号码的形态（和值、跨度、奇偶比……）"));
    positionBox_ = new QComboBox;
    positionBox_->setObjectName(QStringLiteral("trendPosition"));
    positionBox_->addItem(QStringLiteral("任意位"));
    for (int p = 1; p <= 5; ++p) positionBox_->addItem(QStringLiteral("第%1位").arg(p));
    hideNumbers_ = new QCheckBox(QStringLiteral("隐藏遗漏数"));
    hideNumbers_->setObjectName(QStringLiteral("trendHideNumbers"));
    layered_ = new QCheckBox(QStringLiteral("遗漏分层"));
    layered_->setObjectName(QStringLiteral("trendLayers"));
    layered_->setToolTip(QStringLiteral("给每个值最后一次开出之后的格子加底色，冷门的值一目了然"));
    line_ = new QCheckBox(QStringLiteral("折线"));
    line_->setObjectName(QStringLiteral("trendLine"));
    line_->setToolTip(QStringLiteral("把相邻各期开出的格子连成折线（每期只开出一个值时）"));

    presetBox_ = new QComboBox;
    presetBox_->setObjectName(QStringLiteral("trendPreset"));
    presetBox_->addItems({QStringLiteral("近30期"), QStringLiteral("近50期"),
                          QStringLiteral("近100期"), QStringLiteral("近200期"),
                          QStringLiteral("今天"), QStringLiteral("昨天"), QStringLiteral("全部"),
                          QStringLiteral("自定")});
    presetBox_->setCurrentIndex(static_cast<int>(Preset::All));
    presetBox_->setToolTip(QStringLiteral("走势图的范围；改动起止期号即为自定"));

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
    auto* clearMarks = new QPushButton(QStringLiteral("清除预选"));
    clearMarks->setObjectName(QStringLiteral("trendClearMarks"));
    clearMarks->setToolTip(QStringLiteral("清除预选行中标记的值"));

    // Three short rows, so that the tab stays as narrow as the history grid beside it.
    auto* choices = new QHBoxLayout;
    choices->addWidget(new QLabel(QStringLiteral("类型")));
    choices->addWidget(kindBox_);
    choices->addWidget(new QLabel(QStringLiteral("位置")));
    choices->addWidget(positionBox_);
    choices->addWidget(hideNumbers_);
    choices->addStretch(1);
    auto* tools = new QHBoxLayout;
    tools->addWidget(layered_);
    tools->addWidget(line_);
    tools->addWidget(clearMarks);
    note_ = new QLabel;
    note_->setObjectName(QStringLiteral("trendNote"));
    // It names the game, the kind and the span: wrapped, it never widens the tab.
    note_->setWordWrap(true);
    tools->addWidget(note_, 1);
    auto* span = new QHBoxLayout;
    span->addWidget(presetBox_);
    span->addWidget(new QLabel(QStringLiteral("从")));
    span->addWidget(fromBox_);
    span->addWidget(new QLabel(QStringLiteral("到")));
    span->addWidget(toBox_);
    span->addStretch(1);
    layout->addLayout(choices, 0, 0);
    layout->addLayout(span, 1, 0);
    layout->addLayout(tools, 2, 0);

    model_ = new TrendModel(workspace_, this);
    table_ = new TrendTable;
    table_->setObjectName(QStringLiteral("trendView"));
    table_->setModel(model_);
    setupGrid(table_);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setItemDelegate(new TrendDelegate(table_));
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->horizontalHeader()->setMinimumSectionSize(8);
    table_->setToolTip(QStringLiteral("点击一列的号码或格子，下方的图显示它近100期的遗漏"));
    layout->addWidget(table_, 3, 0);
    layout->setRowStretch(3, 1);

    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setMargins(QMargins(2, 2, 2, 2));
    chart->setBackgroundRoundness(0);
    chart_ = new QChartView(chart);
    chart_->setObjectName(QStringLiteral("trendChart"));
    chart_->setRenderHint(QPainter::Antialiasing);
    chart_->setMinimumHeight(140);
    chart_->setMaximumHeight(180);
    chart_->viewport()->installEventFilter(this);
    layout->addWidget(chart_, 4, 0);

    connect(kindBox_, &QComboBox::currentIndexChanged, this, [this] {
        chartedValue_ = -1;
        positionBox_->setEnabled(kindBox_->currentData().toInt() < kShapeCode);
        rebuild();
    });
    connect(positionBox_, &QComboBox::currentIndexChanged, this, [this] { rebuild(); });
    connect(hideNumbers_, &QCheckBox::toggled, model_, &TrendModel::setHideNumbers);
    connect(layered_, &QCheckBox::toggled, model_, &TrendModel::setLayered);
    connect(line_, &QCheckBox::toggled, table_, &TrendTable::setLine);
    connect(clearMarks, &QPushButton::clicked, model_, &TrendModel::clearMarks);
    connect(presetBox_, &QComboBox::activated, this, &TrendView::onPresetChosen);
    connect(fromBox_, &QLineEdit::editingFinished, this, &TrendView::onSpanEdited);
    connect(toBox_, &QLineEdit::editingFinished, this, &TrendView::onSpanEdited);
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section >= TrendModel::kLeadColumns) showChart(section - TrendModel::kLeadColumns);
    });
    connect(table_, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() < TrendModel::kLeadColumns) return;
        if (index.row() >= model_->firstMarkRow())
            model_->toggleMark(index);
        else
            showChart(index.column() - TrendModel::kLeadColumns);
    });
    historyChanged();
}

void TrendView::historyChanged() {
    const auto& rows = workspace_.rows();
    if (preset_ != Preset::Custom && !rows.empty()) {
        applyPreset(preset_);
    } else {
        const QString first = rows.empty()
                                  ? QString()
                                  : QString::fromStdString(history::tenDigit(rows.front().period));
        const QString newest = rows.empty()
                                   ? QString()
                                   : QString::fromStdString(history::tenDigit(rows.back().period));
        if (fromFollows_ || rows.empty()) fromBox_->setText(first);
        if (toFollows_ || rows.empty()) toBox_->setText(newest);
        if (rows.empty()) fromFollows_ = toFollows_ = true;
    }
    dirty_ = true;
    rebuild();
}

void TrendView::onSpanEdited() {
    const auto& rows = workspace_.rows();
    if (rows.empty()) return;
    const QString first = QString::fromStdString(history::tenDigit(rows.front().period));
    const QString newest = QString::fromStdString(history::tenDigit(rows.back().period));
    if (fromBox_->text().isEmpty()) fromBox_->setText(first);
    if (toBox_->text().isEmpty()) toBox_->setText(newest);
    const QString from = fromBox_->text(), to = toBox_->text();
    // Boxes that still say what the preset gave keep the preset; anything else is the user's own
    // span, whose ends follow the history only where they stand at its first or newest period.
    if (preset_ != Preset::Custom) {
        applyPreset(preset_);
        if (fromBox_->text() == from && toBox_->text() == to) {
            rebuild();
            return;
        }
        fromBox_->setText(from);
        toBox_->setText(to);
    }
    fromFollows_ = from == first;
    toFollows_ = to == newest;
    preset_ = fromFollows_ && toFollows_ ? Preset::All : Preset::Custom;
    presetBox_->setCurrentIndex(static_cast<int>(preset_));
    rebuild();
}

void TrendView::onPresetChosen() {
    preset_ = static_cast<Preset>(presetBox_->currentIndex());
    if (preset_ == Preset::Custom) return; // the boxes hold it already
    applyPreset(preset_);
    rebuild();
}

void TrendView::applyPreset(Preset preset) {
    const auto& rows = workspace_.rows();
    if (rows.empty() || preset == Preset::Custom) return;
    int start = rows.front().period, end = rows.back().period;
    switch (preset) {
    case Preset::Last30:
    case Preset::Last50:
    case Preset::Last100:
    case Preset::Last200: {
        static constexpr size_t kPeriods[] = {30, 50, 100, 200};
        const size_t wanted = kPeriods[static_cast<size_t>(preset)];
        start = rows[rows.size() > wanted ? rows.size() - wanted : 0].period;
        break;
    }
    case Preset::Today:
    case Preset::Yesterday: {
        auto day = std::chrono::sys_days(workspace_.today());
        if (preset == Preset::Yesterday) day -= std::chrono::days(1);
        const std::chrono::year_month_day date(day);
        const int stem = (static_cast<int>(date.year()) % 100) * 10000 +
                         static_cast<int>(static_cast<unsigned>(date.month())) * 100 +
                         static_cast<int>(static_cast<unsigned>(date.day()));
        start = stem * 100 + 1;
        // The day's last draw by the game's count, or a later one the history holds.
        end = stem * 100 + std::clamp(workspace_.drawsPerDay(), 1, 99);
        const auto after = std::upper_bound(
            rows.begin(), rows.end(), stem * 100 + 99,
            [](int period, const history::HistoryRow& row) { return period < row.period; });
        if (after != rows.begin() && (after - 1)->period / 100 == stem)
            end = std::max(end, (after - 1)->period);
        break;
    }
    default:
        break;
    }
    fromBox_->setText(QString::fromStdString(history::tenDigit(start)));
    toBox_->setText(QString::fromStdString(history::tenDigit(end)));
    fromFollows_ = preset == Preset::All;
    toFollows_ = preset != Preset::Today && preset != Preset::Yesterday;
}

void TrendView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // 今天 and 昨天 move on with the clock, even when no draw came meanwhile.
    if (preset_ == Preset::Today || preset_ == Preset::Yesterday) applyPreset(preset_);
    rebuild();
}

TrendSubject TrendView::chosenSubject() const {
    TrendSubject subject;
    const int code = kindBox_->currentData().toInt();
    if (code >= kShapeCode) {
        subject.shape = static_cast<search::Shape>(code - kShapeCode);
    } else {
        subject.kind = static_cast<history::Kind>(std::max(code, 0));
        subject.position = positionBox_->currentIndex();
    }
    subject.zodiacBase = workspace_.settings().zodiacBase;
    return subject;
}

void TrendView::rebuild() {
    // Nothing is computed for a hidden view; it catches up when shown.
    if (!isVisible()) {
        dirty_ = true;
        return;
    }
    const TrendSubject subject = chosenSubject();
    const auto& settings = workspace_.settings();
    Built wanted;
    wanted.version = workspace_.history().version();
    wanted.subject = subject;
    wanted.segmentBase = settings.segmentBase;
    search::OmissionRequest request;
    request.kind = subject.kind;
    request.position = subject.position;
    request.shape = subject.shape;
    request.zodiacBase = settings.zodiacBase;
    request.segmentBase = settings.segmentBase;
    if (!workspace_.rows().empty()) {
        const auto start = history::lastEightAsNumber(fromBox_->text().toStdString());
        const auto end = history::lastEightAsNumber(toBox_->text().toStdString());
        if (fromBox_->text().size() != 10 || toBox_->text().size() != 10 || !start || !end) {
            // The table stays, greyed: it shows the span it was made for, not the boxes'.
            note_->setText(shownFor_.isEmpty()
                               ? QStringLiteral("请输入十位期号，例如2016090801")
                               : QStringLiteral("请输入十位期号，例如2016090801（下表仍是%1）")
                                     .arg(shownFor_));
            setGreyed(table_, true);
            return;
        }
        request.spanStart = wanted.start = *start;
        request.spanEnd = wanted.end = *end;
    }
    setGreyed(table_, false);
    if (!dirty_ && wanted == built_) {
        note_->setText(shownFor_);
        return;
    }
    dirty_ = false;
    built_ = wanted;

    if (!subject.shape) workspace_.ensureKinds({subject.kind});
    const QScrollBar* scroll = table_->verticalScrollBar();
    const bool atEnd = model_->rowCount() == 0 || scroll->value() >= scroll->maximum();
    auto table = std::make_shared<const search::OmissionTable>(workspace_.rows(), request,
                                                               workspace_.zodiac());
    const size_t periods = table->periods();
    table_->clearSpans();
    if (periods == 0 && !workspace_.rows().empty()) {
        // A span without a draw has nothing to count: no table of zeros, the note says so.
        model_->setTable(nullptr, subject);
        line_->setEnabled(false);
        shownFor_.clear();
        note_->setText(emptySpanText());
        showChart(-1);
        return;
    }
    model_->setTable(std::move(table), subject);
    if (model_->testRow() >= 0 && model_->columnCount() > 2)
        table_->setSpan(model_->testRow(), 1, 1, model_->columnCount() - 1);
    line_->setEnabled(model_->table()->singleValued());
    shownFor_ = workspace_.rows().empty() ? QStringLiteral("没有历史号码")
                                          : QStringLiteral("%1 %2，%3至%4期，共 %5 期")
                                                .arg(gameText(workspace_), model_->subjectText(),
                                                     fromBox_->text(), toBox_->text())
                                                .arg(periods);
    note_->setText(shownFor_);
    fitColumns();
    if (atEnd) table_->scrollToBottom();
    showChart(chartedValue_);
}

QString TrendView::emptySpanText() const {
    const auto day = [this](int back) {
        const std::chrono::year_month_day date(std::chrono::sys_days(workspace_.today()) -
                                               std::chrono::days(back));
        return QStringLiteral("%1-%2-%3")
            .arg(static_cast<int>(date.year()))
            .arg(static_cast<unsigned>(date.month()), 2, 10, QLatin1Char('0'))
            .arg(static_cast<unsigned>(date.day()), 2, 10, QLatin1Char('0'));
    };
    if (preset_ == Preset::Today) return QStringLiteral("今天（%1）还没有开奖号码").arg(day(0));
    if (preset_ == Preset::Yesterday) return QStringLiteral("昨天（%1）没有开奖号码").arg(day(1));
    return QStringLiteral("%1至%2期之间没有开奖号码").arg(fromBox_->text(), toBox_->text());
}

void TrendView::fitColumns() {
    const QFontMetrics metrics(table_->font());
    const QFontMetrics header(table_->horizontalHeader()->font());
    const int pad = 12;
    table_->setColumnWidth(0, std::max(metrics.horizontalAdvance(QStringLiteral("2016090852")),
                                       header.horizontalAdvance(QStringLiteral("近10期出现"))) +
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
    // A label wider than its ball ("2:1:2") sits on a bar a little wider than the text.
    int label = 0;
    const size_t values = model_->table() ? model_->table()->values().size() : 0;
    for (size_t v = 0; v < values; ++v)
        label = std::max(label, metrics.horizontalAdvance(model_->valueLabel(v)));
    const int valueWidth =
        std::max({widest + 8, label + 12, table_->verticalHeader()->defaultSectionSize()});
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
    chartFirst_ = periods - shown;
    auto* series = new QLineSeries;
    std::int64_t highest = 1;
    for (size_t k = 0; k < shown; ++k) {
        const size_t i = periods - shown + k;
        const std::int64_t omission = table->omission(i, static_cast<size_t>(v));
        highest = std::max(highest, omission);
        series->append(static_cast<double>(k + 1), static_cast<double>(omission));
    }
    series->setColor(kBall);
    chart->addSeries(series);
    auto* x = new QValueAxis;
    setRoundRange(*x, 1, static_cast<double>(std::max<size_t>(shown, 2)));
    auto* y = new QValueAxis;
    setRoundRange(*y, 0, static_cast<double>(highest));
    // Counts of five digits in a narrow chart are shown whole, never cut to "…".
    x->setTruncateLabels(false);
    y->setTruncateLabels(false);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    chart->setTitle(model_->subject().shape ? QStringLiteral("%1 %2 近%3期遗漏")
                                                  .arg(model_->subjectText(),
                                                       model_->valueLabel(static_cast<size_t>(v)))
                                                  .arg(shown)
                                            : QStringLiteral("%1 近%2期遗漏（%3）")
                                                  .arg(model_->valueLabel(static_cast<size_t>(v)))
                                                  .arg(shown)
                                                  .arg(positionBox_->currentText()));
}

// The period under the pointer in the chart and the value's omission there.
QString TrendView::chartTip(const QPoint& position) const {
    const search::OmissionTable* table = model_->table();
    QChart* chart = chart_->chart();
    if (!table || chartedValue_ < 0 || chart->series().isEmpty()) return {};
    const QPointF scene = chart_->mapToScene(position);
    // A few pixels of grace around the plot: the newest point lies on its right edge.
    if (!chart->plotArea().adjusted(-4, -4, 4, 4).contains(chart->mapFromScene(scene))) return {};
    const QPointF value = chart->mapToValue(chart->mapFromScene(scene), chart->series().front());
    const auto k = static_cast<std::int64_t>(std::llround(value.x())) - 1;
    const size_t i = chartFirst_ + static_cast<size_t>(std::max<std::int64_t>(k, 0));
    if (k < 0 || i >= table->periods()) return {};
    const auto v = static_cast<size_t>(chartedValue_);
    const size_t stored = table->firstRow() + i;
    if (stored >= workspace_.rows().size()) return {};
    const QString state = table->carries(i, v)
                              ? QStringLiteral("本期开出")
                              : QStringLiteral("遗漏 %1 期").arg(table->omission(i, v));
    return QStringLiteral("%1期\n%2 %3：%4")
        .arg(QString::fromStdString(workspace_.historyPeriodText(stored)), model_->subjectText(),
             model_->valueLabel(v), state);
}

bool TrendView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chart_->viewport() && event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = chartTip(help->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, chart_->viewport());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace app::gui
