#include "gui/shrink/shrink_more_conditions.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSpinBox>

#include <algorithm>
#include <bit>

namespace app::gui {

namespace {

// The smallest and largest value of AC, the smallest or the largest number for `size` numbers.
std::pair<int, int> rangeOf(play::ConditionKind kind, int size) {
    if (kind == play::ConditionKind::Min) return {1, 12 - size};
    if (kind == play::ConditionKind::Max) return {size, 11};
    int most = 0;
    for (unsigned mask = 0; mask < 2048; ++mask)
        if (std::popcount(mask) == size)
            most = std::max(most, play::acValue(static_cast<search::NumberSet>(mask)));
    return {0, most};
}

std::optional<int> numberOf(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

} // namespace

QString parseDanGroups(const QString& text, std::vector<play::Condition>& out) {
    for (const QString& group :
         text.split(QRegularExpression(QStringLiteral("[;；]")), Qt::SkipEmptyParts)) {
        if (group.trimmed().isEmpty()) continue;
        const QStringList sides = group.split(QRegularExpression(QStringLiteral("[:：]")));
        const QString bad =
            QStringLiteral("胆组“%1”应写成 01,02,03:1-2 这样（号码:出几个）").arg(group.trimmed());
        if (sides.size() != 2) return bad;
        play::Condition c;
        c.kind = play::ConditionKind::DanGroup;
        for (const QString& n :
             sides[0].split(QRegularExpression(QStringLiteral("[,，\\s]")), Qt::SkipEmptyParts)) {
            const auto number = numberOf(n);
            if (!number || *number < 1 || *number > 11) return bad;
            c.numbers |= static_cast<search::NumberSet>(1u << (*number - 1));
        }
        const QStringList counts = sides[1].split(QLatin1Char('-'));
        const auto low = numberOf(counts.front());
        const auto high = counts.size() == 2 ? numberOf(counts.back()) : low;
        if (!low || !high || counts.size() > 2 || c.numbers == 0) return bad;
        c.low = *low;
        c.high = *high;
        out.push_back(c);
    }
    return {};
}

ShrinkMoreConditions::ShrinkMoreConditions(QWidget* parent)
    : QGroupBox(QStringLiteral("更多条件（胆组、AC值、和尾、最小号、最大号、直选位置形态、容错）"),
                parent) {
    setObjectName(QStringLiteral("shrinkMore"));
    auto* grid = new QGridLayout(this);
    // Close together, so that the conditions' table keeps its rows on a small screen.
    grid->setContentsMargins(6, 2, 6, 2);
    grid->setVerticalSpacing(1);
    auto* groupLine = new QHBoxLayout;
    groupLine->addWidget(new QLabel(QStringLiteral("胆组")));
    groups_ = new QLineEdit;
    groups_->setObjectName(QStringLiteral("shrinkDanGroups"));
    groups_->setPlaceholderText(QStringLiteral("如 01,02,03:1-2; 04,05:1（每组出几个）"));
    groupLine->addWidget(groups_, 1);
    grid->addLayout(groupLine, 0, 0, 1, 2);

    int cell = 2;
    for (const auto kind :
         {play::ConditionKind::Ac, play::ConditionKind::Min, play::ConditionKind::Max}) {
        Range r{kind};
        r.use = new QCheckBox(QString::fromUtf8(play::conditionCaption(kind)));
        r.use->setObjectName(QStringLiteral("shrinkUse_%1").arg(play::conditionName(kind)));
        r.low = new QSpinBox;
        r.high = new QSpinBox;
        r.low->setObjectName(QStringLiteral("shrinkLow_%1").arg(play::conditionName(kind)));
        r.high->setObjectName(QStringLiteral("shrinkHigh_%1").arg(play::conditionName(kind)));
        auto* line = new QHBoxLayout;
        line->addWidget(r.use);
        line->addWidget(r.low);
        line->addWidget(new QLabel(QStringLiteral("至")));
        line->addWidget(r.high);
        line->addStretch(1);
        grid->addLayout(line, cell / 2, cell % 2);
        ++cell;
        connect(r.use, &QCheckBox::toggled, this, &ShrinkMoreConditions::changed);
        connect(r.low, &QSpinBox::valueChanged, this, &ShrinkMoreConditions::changed);
        connect(r.high, &QSpinBox::valueChanged, this, &ShrinkMoreConditions::changed);
        ranges_.push_back(r);
    }
    tailUse_ = new QCheckBox(QStringLiteral("和尾"));
    tailUse_->setObjectName(QStringLiteral("shrinkUse_sum_tail"));
    tails_ = new QLineEdit;
    tails_->setObjectName(QStringLiteral("shrinkSumTails"));
    tails_->setPlaceholderText(QStringLiteral("和值个位，如 0,3,7"));
    auto* tailLine = new QHBoxLayout;
    tailLine->addWidget(tailUse_);
    tailLine->addWidget(tails_, 1);
    grid->addLayout(tailLine, cell / 2, cell % 2);
    ++cell;

    const std::pair<play::ConditionKind, const char*> patterns[] = {
        {play::ConditionKind::PatternOdd, "奇偶位置（1为奇），如 110,101"},
        {play::ConditionKind::PatternBig, "大小位置（1为06～11），如 011"},
        {play::ConditionKind::PatternRoute, "012路位置（除以3的余数），如 012,120"}};
    for (const auto& [kind, hint] : patterns) {
        auto* edit = new QLineEdit;
        edit->setObjectName(QStringLiteral("shrink_%1").arg(play::conditionName(kind)));
        edit->setPlaceholderText(QString::fromUtf8(hint));
        edit->setToolTip(QStringLiteral("只用于前二直选和前三直选，每位一个数字"));
        auto* line = new QHBoxLayout;
        line->addWidget(new QLabel(QString::fromUtf8(play::conditionCaption(kind))));
        line->addWidget(edit, 1);
        grid->addLayout(line, cell / 2, cell % 2);
        ++cell;
        connect(edit, &QLineEdit::editingFinished, this, &ShrinkMoreConditions::changed);
        patterns_.emplace_back(kind, edit);
    }
    auto* toleranceLine = new QHBoxLayout;
    toleranceLine->addWidget(new QLabel(QStringLiteral("容错：允许不符的条件数")));
    tolerance_ = new QSpinBox;
    tolerance_->setObjectName(QStringLiteral("shrinkTolerance"));
    tolerance_->setRange(0, play::kConditionKinds);
    tolerance_->setToolTip(
        QStringLiteral("一注最多不符这么多个条件仍然保留；胆码、胆组和杀号必须符合"));
    toleranceLine->addWidget(tolerance_);
    toleranceLine->addStretch(1);
    grid->addLayout(toleranceLine, cell / 2, cell % 2);
    // Its lines keep the usual room between their parts: with the grid's spacing down set apart
    // from its spacing across, they would take none.
    for (QObject* child : grid->children())
        if (auto* line = qobject_cast<QBoxLayout*>(child))
            line->setSpacing(grid->horizontalSpacing());

    connect(groups_, &QLineEdit::editingFinished, this, &ShrinkMoreConditions::changed);
    connect(tailUse_, &QCheckBox::toggled, this, &ShrinkMoreConditions::changed);
    connect(tails_, &QLineEdit::editingFinished, this, &ShrinkMoreConditions::changed);
    connect(tolerance_, &QSpinBox::valueChanged, this, &ShrinkMoreConditions::changed);
}

void ShrinkMoreConditions::setPlay(play::Play play) {
    play_ = play;
    const int size = play::info(play).size;
    for (auto& r : ranges_) {
        const auto [low, high] = rangeOf(r.kind, size);
        const QSignalBlocker blockLow(r.low), blockHigh(r.high);
        r.low->setRange(low, high);
        r.high->setRange(low, high);
        r.low->setValue(low);
        r.high->setValue(high);
    }
    for (const auto& [kind, edit] : patterns_) edit->setEnabled(play::info(play).ordered);
}

QString ShrinkMoreConditions::addTo(ShrinkRequest& r) const {
    if (const QString bad = parseDanGroups(groups_->text(), r.conditions); !bad.isEmpty())
        return bad;
    for (const auto& range : ranges_)
        if (range.use->isChecked())
            r.conditions.push_back({range.kind, 0, 0, range.low->value(), range.high->value(), {}});
    if (tailUse_->isChecked()) {
        play::Condition tail{play::ConditionKind::SumTail, 0, 0, 0, 0, {}};
        for (const QString& part : tails_->text().split(
                 QRegularExpression(QStringLiteral("[,，\\s]")), Qt::SkipEmptyParts)) {
            const auto n = numberOf(part);
            if (!n) return QStringLiteral("和尾“%1”应是0到9的数字").arg(part);
            tail.values.push_back(*n);
        }
        r.conditions.push_back(tail);
    }
    if (play::info(play_).ordered)
        for (const auto& [kind, edit] : patterns_) {
            play::Condition c{kind, 0, 0, 0, 0, {}};
            for (const QString& part : edit->text().split(
                     QRegularExpression(QStringLiteral("[,，\\s]")), Qt::SkipEmptyParts))
                c.patterns.push_back(part.trimmed().toStdString());
            if (!c.patterns.empty()) r.conditions.push_back(c);
        }
    r.tolerance = tolerance_->value();
    r.toleranceGiven = r.tolerance > 0;
    return {};
}

} // namespace app::gui
