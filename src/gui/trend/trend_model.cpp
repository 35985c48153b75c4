#include "gui/trend/trend_model.h"

#include "search/tally.h"
#include "workspace/figure_caveat.h"
#include "workspace/number_text.h"
#include "workspace/workspace.h"

#include <QPainter>
#include <QStringList>

#include <algorithm>

namespace app::gui {

namespace {

const char* const kSummaryTitles[TrendModel::kChartSummaryRows] = {
    "出现次数",   "平均遗漏", "最大遗漏", "当前遗漏", "最大连出",
    "近10期出现", "理论次数", "欲出几率", "冷温热"};
// Marks keys: the kind, kShapeCode + the shape, or kChartCode + the chart.
constexpr int kShapeCode = 100;
constexpr int kChartCode = 200;

const QColor kSummaryBackground(0xee, 0xf2, 0xf8);
const QColor kMarkBackground(0xfb, 0xf6, 0xe4);
const QColor kColdBackground(0xdc, 0xe6, 0xf4);
// Every second group of the chart by position, so that the positions stand apart.
const QColor kGroupBackground(0xf4, 0xf4, 0xec);
const QColor kBall(0xd0, 0x30, 0x30);
const QColor kMarkBall(0x2a, 0x62, 0xb8);

QColor heatColour(const std::optional<search::Heat>& heat) {
    if (!heat) return kSummaryBackground;
    switch (*heat) {
    case search::Heat::Hot:
        return QColor(0xf6, 0xc8, 0xc0);
    case search::Heat::Warm:
        return QColor(0xf8, 0xe6, 0xb8);
    case search::Heat::Cold:
        break;
    }
    return QColor(0xc8, 0xdc, 0xf4);
}

QString heatText(const std::optional<search::Heat>& heat) {
    return heat ? QString::fromUtf8(search::heatCaption(*heat)) : QStringLiteral("—");
}

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

// Tenths while they matter; whole numbers keep the columns narrow.
QString tenths(double value) {
    return QString::number(value, 'f', value < 10 ? 1 : 0);
}

} // namespace

// ---- the model ----

TrendModel::TrendModel(const Workspace& workspace, QObject* parent)
    : QAbstractTableModel(parent), workspace_(workspace) {}

void TrendModel::setGroups(std::vector<Group> groups, const TrendSubject& subject) {
    beginResetModel();
    int column = kLeadColumns;
    for (Group& g : groups) {
        g.firstColumn = column;
        column += static_cast<int>(g.table->values().size());
    }
    groups_ = std::move(groups);
    subject_ = subject;
    endResetModel();
}

void TrendModel::setTable(std::shared_ptr<const search::OmissionTable> table,
                          const TrendSubject& subject) {
    basic_.reset();
    // No table: a span without a draw shows nothing.
    if (!table)
        setGroups({}, subject);
    else
        setGroups({Group{std::move(table), subject.position}}, subject);
}

void TrendModel::setBasic(std::shared_ptr<const search::BasicTrend> basic,
                          const TrendSubject& subject) {
    std::shared_ptr<const search::OmissionTable> numbers(basic, &basic->numbers());
    basic_ = std::move(basic);
    setGroups({Group{std::move(numbers), 0}}, subject);
}

void TrendModel::setPositions(std::vector<std::shared_ptr<const search::OmissionTable>> tables,
                              const TrendSubject& subject) {
    basic_.reset();
    std::vector<Group> groups;
    for (size_t p = 0; p < tables.size(); ++p)
        groups.push_back(Group{std::move(tables[p]), static_cast<int>(p) + 1});
    setGroups(std::move(groups), subject);
}

const search::OmissionTable* TrendModel::groupTable(int group) const {
    return group >= 0 && group < groupCount() ? groups_[static_cast<size_t>(group)].table.get()
                                              : nullptr;
}

int TrendModel::groupFirstColumn(int group) const {
    return group >= 0 && group < groupCount() ? groups_[static_cast<size_t>(group)].firstColumn
                                              : -1;
}

std::optional<std::pair<int, size_t>> TrendModel::valueOfColumn(int column) const {
    for (int g = 0; g < groupCount(); ++g) {
        const Group& group = groups_[static_cast<size_t>(g)];
        const int v = column - group.firstColumn;
        if (v >= 0 && static_cast<size_t>(v) < group.table->values().size())
            return std::pair{g, static_cast<size_t>(v)};
    }
    return std::nullopt;
}

int TrendModel::firstShapeColumn() const {
    if (!basic_ || groups_.empty()) return -1;
    return groups_.back().firstColumn + static_cast<int>(groups_.back().table->values().size());
}

int TrendModel::periods() const {
    return table() ? static_cast<int>(table()->periods()) : 0;
}

void TrendModel::emitValueCells(int firstRow, int lastRow) {
    if (groups_.empty() || lastRow < firstRow) return;
    emit dataChanged(index(firstRow, kLeadColumns), index(lastRow, columnCount() - 1));
}

void TrendModel::setHideNumbers(bool hide) {
    if (hide == hideNumbers_) return;
    hideNumbers_ = hide;
    emitValueCells(0, periods() - 1);
}

void TrendModel::setLayered(bool layered) {
    if (layered == layered_) return;
    layered_ = layered;
    emitValueCells(0, periods() - 1);
}

QString TrendModel::valueLabel(int group, size_t v) const {
    const search::OmissionTable* table = groupTable(group);
    if (!table || v >= table->values().size()) return {};
    const int value = table->values()[v];
    if (subject_.shape) return QString::fromStdString(search::shapeLabel(*subject_.shape, value));
    if (subject_.kind == history::Number) return QString::fromStdString(history::format00(value));
    return QString::fromStdString(search::valueText(subject_.kind, value, subject_.zodiacBase));
}

QString TrendModel::subjectText(int group) const {
    if (subject_.shape) return QString::fromUtf8(search::shapeCaption(*subject_.shape));
    const QString kind = QString::fromStdString(history::kindCaptions()[subject_.kind]);
    const int position = group >= 0 && group < groupCount()
                             ? groups_[static_cast<size_t>(group)].position
                             : subject_.position;
    return position == 0 ? kind + QStringLiteral("（任意位）")
                         : kind + QStringLiteral("（第%1位）").arg(position);
}

int TrendModel::summaryRowCount() const {
    if (isChart()) return kChartSummaryRows;
    return kSummaryRows + (table() && table()->uniformity() ? 1 : 0);
}

int TrendModel::testRow() const {
    if (isChart() || !table() || !table()->uniformity()) return -1;
    return periods() + kSummaryRows;
}

int TrendModel::firstMarkRow() const {
    return table() ? periods() + summaryRowCount() : 0;
}

TrendModel::MarksKey TrendModel::marksKey(int group) const {
    if (isChart())
        return {kChartCode + static_cast<int>(subject_.chart),
                groups_[static_cast<size_t>(group)].position};
    if (subject_.shape) return {kShapeCode + static_cast<int>(*subject_.shape), 0};
    return {subject_.kind, subject_.position};
}

const TrendModel::Marks* TrendModel::shownMarks(int group) const {
    if (group < 0 || group >= groupCount()) return nullptr;
    const auto found = marks_.find(marksKey(group));
    return found == marks_.end() ? nullptr : &found->second;
}

void TrendModel::toggleMark(const QModelIndex& index) {
    if (!index.isValid()) return;
    const int markRow = index.row() - firstMarkRow();
    if (markRow < 0 || markRow >= kMarkRows) return;
    const auto value = valueOfColumn(index.column());
    if (!value) return;
    const auto [group, v] = *value;
    auto& marked = marks_[marksKey(group)][static_cast<size_t>(markRow)];
    const int stored = groupTable(group)->values()[v];
    if (!marked.erase(stored)) marked.insert(stored);
    emit dataChanged(index, index);
}

void TrendModel::clearMarks() {
    marks_.clear();
    if (table()) emitValueCells(firstMarkRow(), firstMarkRow() + kMarkRows - 1);
}

// "code,position,row:value value;...", one part a row of a key that holds marks.
QString TrendModel::marksText() const {
    QStringList parts;
    for (const auto& [key, rows] : marks_) {
        for (size_t row = 0; row < rows.size(); ++row) {
            if (rows[row].empty()) continue;
            QStringList values;
            for (const int value : rows[row]) values << QString::number(value);
            parts << QStringLiteral("%1,%2,%3:%4")
                         .arg(key.first)
                         .arg(key.second)
                         .arg(row)
                         .arg(values.join(QLatin1Char(' ')));
        }
    }
    return parts.join(QLatin1Char(';'));
}

bool TrendModel::setMarksText(const QString& text) {
    std::map<MarksKey, Marks> read;
    const auto number = [](const QString& part, int low, int high, int& out) {
        bool ok = false;
        out = part.toInt(&ok);
        return ok && out >= low && out <= high;
    };
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList halves = part.split(QLatin1Char(':'));
        if (halves.size() != 2) return false;
        const QStringList key = halves[0].split(QLatin1Char(','));
        int code = 0, position = 0, row = 0;
        if (key.size() != 3 || !number(key[0], 0, kChartCode + 2, code) ||
            !number(key[1], 0, history::kPositions, position) ||
            !number(key[2], 0, kMarkRows - 1, row))
            return false;
        for (const QString& value : halves[1].split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            int stored = 0;
            if (!number(value, -1000, 100000, stored)) return false;
            read[{code, position}][static_cast<size_t>(row)].insert(stored);
        }
    }
    marks_ = std::move(read);
    if (table()) emitValueCells(firstMarkRow(), firstMarkRow() + kMarkRows - 1);
    return true;
}

int TrendModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !table()) return 0;
    return periods() + summaryRowCount() + kMarkRows;
}

int TrendModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid() || groups_.empty()) return 0;
    const Group& last = groups_.back();
    return last.firstColumn + static_cast<int>(last.table->values().size()) +
           (basic_ ? static_cast<int>(search::kBasicShapes.size()) : 0);
}

QVariant TrendModel::data(const QModelIndex& index, int role) const {
    if (!table() || !index.isValid()) return {};
    const auto row = static_cast<size_t>(index.row());
    const auto periods = static_cast<size_t>(this->periods());
    if (row < periods) return periodData(row, index.column(), role);
    const size_t summaryRows = static_cast<size_t>(summaryRowCount());
    if (row < periods + summaryRows) return summaryData(row - periods, index.column(), role);
    return markData(row - periods - summaryRows, index.column(), role);
}

QVariant TrendModel::shapeData(size_t row, int column, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    const auto k = static_cast<size_t>(column - firstShapeColumn());
    const auto value = basic_->shape(row, k);
    return value ? QString::fromStdString(search::shapeLabel(search::kBasicShapes[k], *value))
                 : QString();
}

QVariant TrendModel::periodData(size_t row, int column, int role) const {
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    const search::OmissionTable& first = *table();
    const size_t stored = first.firstRow() + row;
    if (column < kLeadColumns) {
        if (role != Qt::DisplayRole || stored >= workspace_.rows().size()) return {};
        if (column == 0) return QString::fromStdString(workspace_.historyPeriodText(stored));
        return numbersText(workspace_.rows()[stored].numbers());
    }
    const auto value = valueOfColumn(column);
    if (!value) return basic_ ? shapeData(row, column, role) : QVariant();
    const auto [group, v] = *value;
    const search::OmissionTable& table = *groupTable(group);
    const bool carries = table.carries(row, v);
    switch (role) {
    case CarriesRole:
        return carries;
    case Qt::DisplayRole:
        if (carries) return valueLabel(group, v);
        if (hideNumbers_) return QString();
        return QString::number(table.omission(row, v));
    case Qt::BackgroundRole:
        // The current omission run: every period after the value last came.
        if (layered_ && !carries && static_cast<std::int64_t>(row) > table.lastCarrying(v))
            return kColdBackground;
        if (subject_.chart == TrendChart::Positions && group % 2 == 1) return kGroupBackground;
        return {};
    case Qt::ToolTipRole: {
        if (stored >= workspace_.rows().size()) return {};
        const QString state = carries ? QStringLiteral("本期开出")
                                      : QStringLiteral("遗漏 %1 期").arg(table.omission(row, v));
        return QStringLiteral("%1期\n%2 %3：%4\n每期开出的机会 %5")
            .arg(QString::fromStdString(workspace_.historyPeriodText(stored)), subjectText(group),
                 valueLabel(group, v), state, percent(table.chance(row, v)));
    }
    default:
        return {};
    }
}

QVariant TrendModel::summaryData(size_t summaryRow, int column, int role) const {
    const bool testLine = !isChart() && summaryRow >= static_cast<size_t>(kSummaryRows);
    if (role == Qt::TextAlignmentRole)
        return QVariant(testLine && column == 1 ? Qt::AlignLeft | Qt::AlignVCenter
                                                : Qt::AlignCenter);
    if (testLine) {
        if (role == Qt::BackgroundRole) return kSummaryBackground;
        const auto& test = table()->uniformity();
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
                       "说明这段期内的分布不像随机开出。") +
                   QString::fromUtf8(kFigureCaveat);
        return {};
    }
    if (column == 0 && role == Qt::DisplayRole)
        return QString::fromUtf8(kSummaryTitles[summaryRow]);
    const auto value = valueOfColumn(column);
    if (!value) return role == Qt::BackgroundRole ? QVariant(kSummaryBackground) : QVariant();
    const auto [group, v] = *value;
    const search::NumberFigures figures = search::figuresOf(*groupTable(group), v);
    const search::ValueOmission& omission = figures.omission;
    if (role == Qt::BackgroundRole)
        return summaryRow == 8 ? heatColour(figures.heat) : kSummaryBackground;
    if (role == Qt::ToolTipRole && summaryRow == 0)
        return QStringLiteral("%1 %2：出现 %3 次，理论 %4 次")
            .arg(subjectText(group), valueLabel(group, v))
            .arg(omission.count)
            .arg(QString::number(omission.expected, 'f', 2));
    if (role == Qt::ToolTipRole && summaryRow == 7) return ratioTip(group, v);
    if (role == Qt::ToolTipRole && summaryRow == 8) return heatTip(group, v);
    if (role != Qt::DisplayRole) return {};
    switch (summaryRow) {
    case 0:
        return QString::number(omission.count);
    case 1:
        return tenths(omission.average);
    case 2:
        return QString::number(omission.max);
    case 3:
        return QString::number(omission.current);
    case 4:
        return QString::number(omission.maxRun);
    case 5:
        return QString::number(figures.last10);
    case 6:
        return tenths(omission.expected);
    case 7:
        return QString::number(figures.ratio, 'f', 2);
    default:
        return heatText(figures.heat);
    }
}

QString TrendModel::ratioTip(int group, size_t v) const {
    const search::OmissionTable& table = *groupTable(group);
    return QStringLiteral("欲出几率 = 当前遗漏 ÷ 平均遗漏，是一个比值，不是开出的机会：%1 %2 "
                          "每期开出的机会都是 %3，遗漏多久都不变")
        .arg(subjectText(group), valueLabel(group, v),
             QString::fromStdString(
                 chanceText(table.periods() ? table.chance(table.periods() - 1, v) : 0)));
}

QString TrendModel::heatTip(int group, size_t v) const {
    const search::OmissionTable& table = *groupTable(group);
    const search::NumberFigures figures = search::figuresOf(table, v);
    const QString rule = QString::fromStdString(search::heatRuleText(search::heatRuleOf(table, v)));
    if (!figures.heat)
        return QStringLiteral("统计范围不到%1期，不分冷温热。").arg(search::kHeatPeriods) + rule;
    return QStringLiteral("%1 %2：近10期开出 %3 次，当前遗漏 %4，%5。")
               .arg(subjectText(group), valueLabel(group, v))
               .arg(figures.last10)
               .arg(figures.omission.current)
               .arg(heatText(figures.heat)) +
           rule + QStringLiteral("。只说明最近十期，不预示下一期");
}

QVariant TrendModel::markData(size_t markRow, int column, int role) const {
    if (role == Qt::BackgroundRole) return kMarkBackground;
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (column == 0)
        return role == Qt::DisplayRole ? QVariant(QStringLiteral("预选%1").arg(markRow + 1))
                                       : QVariant();
    const auto value = valueOfColumn(column);
    if (!value) return {};
    const auto [group, v] = *value;
    const Marks* marks = shownMarks(group);
    const bool marked = marks && (*marks)[markRow].count(groupTable(group)->values()[v]) > 0;
    switch (role) {
    case MarkedRole:
        return marked;
    case Qt::DisplayRole:
        return marked ? valueLabel(group, v) : QString();
    case Qt::ToolTipRole:
        return QStringLiteral("点击标记或取消 %1 %2").arg(subjectText(group), valueLabel(group, v));
    default:
        return {};
    }
}

QVariant TrendModel::valueHeader(int group, size_t v, int role) const {
    if (!isChart()) return role == Qt::DisplayRole ? QVariant(valueLabel(group, v)) : QVariant();
    // The charts mark each number hot, warm or cold by its last ten periods.
    const search::NumberFigures figures = search::figuresOf(*groupTable(group), v);
    switch (role) {
    case Qt::DisplayRole:
        return valueLabel(group, v) + QLatin1Char('\n') + heatText(figures.heat);
    case Qt::BackgroundRole:
        return heatColour(figures.heat);
    case Qt::ToolTipRole:
        return heatTip(group, v);
    default:
        return {};
    }
}

QVariant TrendModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (section < kLeadColumns) {
        if (role != Qt::DisplayRole) return {};
        return section == 0 ? QStringLiteral("期号") : QStringLiteral("开奖号码");
    }
    if (const auto value = valueOfColumn(section))
        return valueHeader(value->first, value->second, role);
    if (basic_ && section >= firstShapeColumn() && role == Qt::DisplayRole) {
        const auto k = static_cast<size_t>(section - firstShapeColumn());
        if (k < search::kBasicShapes.size())
            return QString::fromUtf8(search::shapeCaption(search::kBasicShapes[k]));
    }
    return {};
}

// ---- the balls ----

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

} // namespace app::gui
