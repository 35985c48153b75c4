#include "gui/trend/trend_model.h"

#include "search/tally.h"
#include "workspace/figure_caveat.h"
#include "workspace/number_text.h"
#include "workspace/workspace.h"

#include <QColor>
#include <QStringList>

#include <algorithm>

namespace app::gui {

namespace {

// Marks keys: the kind, kShapeCode + the shape, or kChartCode + the chart.
constexpr int kShapeCode = 100;
constexpr int kChartCode = 200;

const QColor kMarkBackground(0xfb, 0xf6, 0xe4);
const QColor kColdBackground(0xdc, 0xe6, 0xf4);
// Every second group of the chart by position, so that the positions stand apart.
const QColor kGroupBackground(0xf4, 0xf4, 0xec);

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
    if (isChart()) return kChartSummaryRows + (basic_ ? kShapeSummaryRows : 0);
    return kSummaryRows + (table() && table()->uniformity() ? 1 : 0);
}

int TrendModel::testRow() const {
    if (isChart() || !table() || !table()->uniformity()) return -1;
    return periods() + kSummaryRows;
}

int TrendModel::sumRow() const {
    return basic_ && table() ? periods() + kChartSummaryRows : -1;
}

int TrendModel::headingRow() const {
    return isChart() && table() ? periods() + summaryRowCount() : -1;
}

int TrendModel::headingRowCount() const {
    if (!isChart() || !table()) return 0;
    return subject_.chart == TrendChart::Positions ? 2 : 1;
}

int TrendModel::firstMarkRow() const {
    return table() ? periods() + summaryRowCount() + headingRowCount() : 0;
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
    return periods() + summaryRowCount() + headingRowCount() + kMarkRows;
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
    if (row < periods + summaryRows) {
        if (sumRow() >= 0 && index.row() >= sumRow())
            return shapeSummaryData(index.row() == sumRow(), index.column(), role);
        return summaryData(row - periods, index.column(), role);
    }
    const auto marks = static_cast<size_t>(firstMarkRow());
    if (row < marks) return headingData(row - periods - summaryRows, index.column(), role);
    return markData(row - marks, index.column(), role);
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
    case RepeatRole:
        return carries && basic_ && basic_->repeats(row, table.values()[v]);
    case ConsecutiveRole:
        return carries && basic_ && basic_->consecutive(row, table.values()[v]);
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

} // namespace app::gui
