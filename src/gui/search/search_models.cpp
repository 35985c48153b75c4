#include "gui/search/search_models.h"

#include <QApplication>
#include <QPainter>

namespace app::gui {

namespace {

// Where the tokens of "03 07 01 11 05 " stand: the start and length of each run of non-blanks.
std::vector<std::pair<int, int>> tokenSpans(const QString& text) {
    std::vector<std::pair<int, int>> spans;
    for (int i = 0; i < text.size();) {
        if (text[i].isSpace()) {
            ++i;
            continue;
        }
        const int start = i;
        while (i < text.size() && !text[i].isSpace()) ++i;
        spans.emplace_back(start, i - start);
    }
    return spans;
}

} // namespace

void SearchResultModel::setResult(std::shared_ptr<const SearchResult> result) {
    beginResetModel();
    result_ = std::move(result);
    endResetModel();
}

int HitModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !result_) return 0;
    return static_cast<int>(result_->hitRows.size());
}

int HitModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 7;
}

void HitModel::setResult(std::shared_ptr<const SearchResult> result,
                         std::vector<search::HitReason> reasons) {
    reasons_ = std::move(reasons);
    sets_ = result ? search::positionSets(result->request) : std::vector<search::PositionSet>{};
    SearchResultModel::setResult(std::move(result));
}

QVariant HitModel::data(const QModelIndex& index, int role) const {
    if (!result_ || !index.isValid()) return {};
    const auto row = static_cast<size_t>(index.row());
    if (role == EarlierPositionsRole) {
        if (index.column() != 6 || row >= reasons_.size()) return {};
        return static_cast<int>(reasons_[row].earlierPositions);
    }
    if (role == Qt::ToolTipRole) {
        if (!result_->request.combination() || row >= reasons_.size() || reasons_[row].empty())
            return {};
        return QStringLiteral("命中的位置组合：") +
               QString::fromStdString(search::setsText(sets_, reasons_[row]));
    }
    if (role == Qt::TextAlignmentRole)
        return index.column() == 6 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                   : QVariant(Qt::AlignCenter);
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(
        hitGridCell(*result_, static_cast<size_t>(index.row()), index.column()));
}

QVariant HitModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    if (section == 6 && !result_) return QStringLiteral("上期开奖");
    SearchResult none;
    const auto header = hitGridHeader(result_ ? *result_ : none);
    return QString::fromStdString(header[static_cast<size_t>(section)]);
}

void EarlierDrawDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const int marked = index.data(HitModel::EarlierPositionsRole).toInt();
    if (marked == 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyle* style = nullptr;
    const QStyleOptionViewItem opt = paintWithoutText(painter, option, index, style);
    const QString text = opt.text;

    // The text where the style would put it, each marked token on a rounded patch.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, opt.widget) + 1;
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget)
                           .adjusted(margin, 0, -margin, 0);
    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    // Greyed results (the history changed since the search) get grey patches.
    const bool faded = opt.palette.color(group, QPalette::Text) ==
                       opt.palette.color(QPalette::Disabled, QPalette::Text);
    const QColor patch = faded ? QColor(0xd8, 0xd8, 0xd8) : QColor(0xff, 0xc8, 0x50);
    const QColor markedText = faded ? QColor(0x70, 0x70, 0x70) : QColor(0x80, 0x10, 0x00);
    const QColor plainText =
        opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

    painter->save();
    painter->setClipRect(opt.rect);
    painter->setFont(opt.font);
    painter->setRenderHint(QPainter::Antialiasing);
    const QFontMetrics& metrics = opt.fontMetrics;
    const int baseline = area.top() + (area.height() + metrics.ascent() - metrics.descent()) / 2;
    painter->setPen(plainText);
    painter->drawText(QPoint(area.left(), baseline), text);
    const auto spans = tokenSpans(text);
    for (size_t p = 0; p < spans.size() && p < 5; ++p) {
        if (!(marked & (1 << p))) continue;
        const QString token = text.mid(spans[p].first, spans[p].second);
        const int x = area.left() + metrics.horizontalAdvance(text.left(spans[p].first));
        const QRectF box(x - 2, area.top() + 2, metrics.horizontalAdvance(token) + 4,
                         area.height() - 4);
        painter->setPen(Qt::NoPen);
        painter->setBrush(patch);
        painter->drawRoundedRect(box, 3, 3);
        painter->setPen(markedText);
        painter->drawText(QPoint(x, baseline), token);
    }
    painter->restore();
}

int TallyModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || !result_) return 0;
    return static_cast<int>(result_->tally.byCount.size());
}

int TallyModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant TallyModel::data(const QModelIndex& index, int role) const {
    if (!result_ || !index.isValid()) return {};
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignCenter);
    if (role == Qt::ToolTipRole) {
        // Without hit periods chance gives nothing to compare with.
        if (result_->tally.hitPeriods == 0) return {};
        const search::ChanceBand band = resultGridBand(*result_, static_cast<size_t>(index.row()));
        return QStringLiteral("随机期望 %1，95%范围 %2–%3")
            .arg(band.expected, 0, 'f', 3)
            .arg(band.low, 0, 'f', 1)
            .arg(band.high, 0, 'f', 1);
    }
    if (role != Qt::DisplayRole) return {};
    return QString::fromStdString(
        resultGridCell(*result_, static_cast<size_t>(index.row()), index.column()));
}

QVariant TallyModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return QString::fromStdString(resultGridHeader()[static_cast<size_t>(section)]);
}

} // namespace app::gui
