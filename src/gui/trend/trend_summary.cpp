// The summary rows of the trend table, the rows of the basic chart's sums and spans, the
// heading repeated under them and the heading itself.

#include "gui/trend/trend_model.h"

#include "workspace/figure_caveat.h"
#include "workspace/number_text.h"

#include <QColor>
#include <QFont>
#include <QStringList>

namespace app::gui {

namespace {

// The summary rows: the single views have the first six kinds, the charts all of them in their
// order, the whole history's longest and current omission each with the span's own under it.
enum class Line {
    Count,
    Average,
    Max,
    SpanMax,
    Current,
    SpanCurrent,
    MaxRun,
    Last10,
    Expected,
    Ratio,
    Heat
};
constexpr Line kSingleLines[TrendModel::kSummaryRows] = {
    Line::Count, Line::Average, Line::Max, Line::Current, Line::MaxRun, Line::Last10};
constexpr Line kChartLines[TrendModel::kChartSummaryRows] = {
    Line::Count,  Line::Average, Line::Max,      Line::SpanMax, Line::Current, Line::SpanCurrent,
    Line::MaxRun, Line::Last10,  Line::Expected, Line::Ratio,   Line::Heat};
const char* const kLineTitles[] = {"出现次数", "平均遗漏", "最大遗漏", "本段最大",
                                   "当前遗漏", "本段当前", "最大连出", "近10期出现",
                                   "理论次数", "欲出几率", "冷温热"};

const QColor kSummaryBackground(0xee, 0xf2, 0xf8);
const QColor kHeadingBackground(0xe2, 0xe6, 0xec);
// The bands of the positions, every second one darker.
const QColor kBandBackground(0xd8, 0xe4, 0xd4);
const QColor kOtherBandBackground(0xe8, 0xee, 0xe0);

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

// Tenths while they matter; whole numbers keep the columns narrow.
QString tenths(double value) {
    return QString::number(value, 'f', value < 10 ? 1 : 0);
}

} // namespace

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
    const Line line = isChart() ? kChartLines[summaryRow] : kSingleLines[summaryRow];
    if (column == 0 && role == Qt::DisplayRole)
        return QString::fromUtf8(kLineTitles[static_cast<int>(line)]);
    const auto value = valueOfColumn(column);
    if (!value) return role == Qt::BackgroundRole ? QVariant(kSummaryBackground) : QVariant();
    const auto [group, v] = *value;
    const search::OmissionTable* table = groupTable(group);
    const search::NumberFigures figures = search::figuresOf(*table, v);
    const search::ValueOmission& omission = figures.omission;
    if (role == Qt::BackgroundRole)
        return line == Line::Heat ? heatColour(figures.heat) : kSummaryBackground;
    if (role == Qt::ToolTipRole) {
        const QString name = subjectText(group) + QLatin1Char(' ') + valueLabel(group, v);
        switch (line) {
        case Line::Count:
            return QStringLiteral("%1：出现 %2 次，理论 %3 次")
                .arg(name)
                .arg(omission.count)
                .arg(QString::number(omission.expected, 'f', 2));
        case Line::Max:
        case Line::Current:
            if (!table->carriesOver()) return {};
            return QStringLiteral("%1：%2 %3 期，从全部历史算起（到本段最后一期）")
                .arg(name,
                     line == Line::Max ? QStringLiteral("最大遗漏") : QStringLiteral("当前遗漏"))
                .arg(line == Line::Max ? omission.carriedMax : omission.carriedCurrent);
        case Line::SpanMax:
        case Line::SpanCurrent:
            return QStringLiteral("%1：只算本段 %2 期的%3（与全部历史的不同时才显示）")
                .arg(name)
                .arg(table->periods())
                .arg(line == Line::SpanMax ? QStringLiteral("最大遗漏")
                                           : QStringLiteral("当前遗漏"));
        case Line::Ratio:
            return ratioTip(group, v);
        case Line::Heat:
            return heatTip(group, v);
        default:
            return {};
        }
    }
    if (role != Qt::DisplayRole) return {};
    switch (line) {
    case Line::Count:
        return QString::number(omission.count);
    case Line::Average:
        return tenths(omission.average);
    case Line::Max:
        return QString::number(omission.carriedMax);
    case Line::SpanMax:
        return omission.max == omission.carriedMax ? QString() : QString::number(omission.max);
    case Line::Current:
        return QString::number(omission.carriedCurrent);
    case Line::SpanCurrent:
        return omission.current == omission.carriedCurrent ? QString()
                                                           : QString::number(omission.current);
    case Line::MaxRun:
        return QString::number(omission.maxRun);
    case Line::Last10:
        return QString::number(figures.last10);
    case Line::Expected:
        return tenths(omission.expected);
    case Line::Ratio:
        return QString::number(figures.ratio, 'f', 2);
    case Line::Heat:
        break;
    }
    return heatText(figures.heat);
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
               .arg(figures.omission.carriedCurrent)
               .arg(heatText(figures.heat)) +
           rule + QStringLiteral("。只说明最近十期，不预示下一期");
}

QVariant TrendModel::shapeSummaryData(bool sums, int column, int role) const {
    if (role == Qt::BackgroundRole) return kSummaryBackground;
    if (role == Qt::TextAlignmentRole)
        return QVariant(column == 1 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
    if (column == 0)
        return role == Qt::DisplayRole
                   ? QVariant(sums ? QStringLiteral("和值") : QStringLiteral("跨度"))
                   : QVariant();
    if (column != 1 || !basic_ || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
    const auto last = static_cast<size_t>(periods() - 1);
    if (sums) {
        const auto f = basic_->sumFigures();
        const auto newest = basic_->shape(last, 0);
        return QStringLiteral("平均 %1（随机开奖平均 %2），最小 %3，最大 %4，最近一期 %5")
            .arg(QString::number(f.average, 'f', 1), QString::number(f.expected, 'f', 1))
            .arg(f.low)
            .arg(f.high)
            .arg(newest ? QString::number(*newest) : QStringLiteral("—"));
    }
    const search::OmissionTable& spans = basic_->spans();
    QStringList counts, omissions;
    for (size_t v = 0; v < spans.values().size(); ++v) {
        const auto& s = spans.summary()[v];
        counts << QStringLiteral("%1:%2(%3)")
                      .arg(spans.values()[v])
                      .arg(s.count)
                      .arg(QString::number(s.expected, 'f', 1));
        omissions << QStringLiteral("%1:%2").arg(spans.values()[v]).arg(s.carriedCurrent);
    }
    if (role == Qt::ToolTipRole)
        return QStringLiteral("各跨度出现的次数，括号里是随机开奖的理论次数；当前遗漏 %1")
            .arg(omissions.join(QLatin1Char(' ')));
    const auto newest = basic_->shape(last, 1);
    return QStringLiteral("出现次数(理论) %1，最近一期 %2")
        .arg(counts.join(QLatin1Char(' ')),
             newest ? QString::number(*newest) : QStringLiteral("—"));
}

QString TrendModel::groupTitle(int group) const {
    if (subject_.chart != TrendChart::Positions || group < 0 || group >= groupCount()) return {};
    return QStringLiteral("第%1位").arg(groups_[static_cast<size_t>(group)].position);
}

QVariant TrendModel::headingData(size_t headingRow, int column, int role) const {
    const auto value = valueOfColumn(column);
    if (headingRow > 0) {
        // The band of positions: its title at each group's first column, which spans the group.
        if (role == Qt::BackgroundRole)
            return !value             ? kHeadingBackground
                   : value->first % 2 ? kOtherBandBackground
                                      : kBandBackground;
        if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
        if (role == Qt::DisplayRole && value && column == groupFirstColumn(value->first))
            return groupTitle(value->first);
        return {};
    }
    switch (role) {
    case Qt::BackgroundRole:
        return kHeadingBackground;
    case Qt::TextAlignmentRole:
        return QVariant(Qt::AlignCenter);
    case Qt::FontRole: {
        QFont font;
        font.setBold(true);
        return font;
    }
    case Qt::DisplayRole:
        if (value) return valueLabel(value->first, value->second);
        return headerData(column, Qt::Horizontal, Qt::DisplayRole);
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

} // namespace app::gui
