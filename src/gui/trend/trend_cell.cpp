#include "gui/trend/trend_cell.h"

#include "gui/trend/trend_model.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace app::gui {

bool paintTrendBall(QPainter& painter, const QRect& rect, const QModelIndex& index,
                    const QFont& font) {
    const bool carries = index.data(TrendModel::CarriesRole).toBool();
    const bool marked = index.data(TrendModel::MarkedRole).toBool();
    if (!carries && !marked) return false;
    const QString text = index.data().toString();
    const QFontMetrics metrics(font);
    const int diameter = std::min(rect.width(), rect.height()) - 2;
    const QRect ball(rect.center().x() - diameter / 2, rect.center().y() - diameter / 2, diameter,
                     diameter);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    // Consecutive numbers stand in neighbouring columns: a bar from the ball's centre to each
    // side with a consecutive neighbour joins them.
    if (carries && index.data(TrendModel::ConsecutiveRole).toBool()) {
        const QAbstractItemModel* model = index.model();
        const auto neighbour = [&](int step) {
            const QModelIndex next = model->index(index.row(), index.column() + step);
            return next.isValid() && next.data(TrendModel::ConsecutiveRole).toBool();
        };
        const int height = std::max(4, diameter / 2);
        const int top = rect.center().y() - height / 2;
        const int left = neighbour(-1) ? rect.left() : rect.center().x();
        const int right = neighbour(1) ? rect.right() + 1 : rect.center().x();
        painter.setBrush(kTrendConsecutiveBar);
        if (right > left) painter.drawRect(QRect(left, top, right - left, height));
    }
    const bool repeat = carries && index.data(TrendModel::RepeatRole).toBool();
    painter.setBrush(!carries ? kTrendMarkBall : repeat ? kTrendRepeatBall : kTrendBall);
    // A label wider than the ball (shapes such as "2:2:1") sits on a bar with rounded corners.
    const int textWidth = metrics.horizontalAdvance(text) + 6;
    if (textWidth - 6 > diameter) {
        const int width = std::min(textWidth, rect.width() - 2);
        painter.drawRoundedRect(QRect(rect.center().x() - width / 2, ball.top(), width, diameter),
                                4, 4);
    } else {
        painter.drawEllipse(ball);
    }
    painter.setPen(Qt::white);
    painter.setFont(font);
    painter.drawText(rect, Qt::AlignCenter, text);
    painter.restore();
    return true;
}

void paintTrendCell(QPainter& painter, const QRect& rect, const QModelIndex& index,
                    const QFont& font) {
    const QVariant background = index.data(Qt::BackgroundRole);
    if (background.canConvert<QColor>()) painter.fillRect(rect, background.value<QColor>());
    if (paintTrendBall(painter, rect, index, font)) return;
    painter.save();
    QFont cellFont = font;
    if (const QVariant own = index.data(Qt::FontRole); own.canConvert<QFont>())
        cellFont = own.value<QFont>();
    painter.setFont(cellFont);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter.setPen(foreground.canConvert<QColor>() ? foreground.value<QColor>()
                                                   : QColor(Qt::black));
    const QVariant alignment = index.data(Qt::TextAlignmentRole);
    const int flags = alignment.isValid() ? alignment.toInt() : int(Qt::AlignCenter);
    painter.drawText(rect.adjusted(2, 0, -2, 0), flags, index.data().toString());
    painter.restore();
}

QString trendMarksLegend() {
    const auto ball = [](const QColor& colour, const QString& text) {
        return QStringLiteral(
                   "<span style=\"background-color:%1; color:white\">&nbsp;%2&nbsp;</span>")
            .arg(colour.name(), text);
    };
    return ball(kTrendBall, QStringLiteral("05")) + QStringLiteral(" 开出　") +
           ball(kTrendRepeatBall, QStringLiteral("05")) + QStringLiteral(" 重号（上期也开出）　") +
           QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;</span>")
               .arg(kTrendConsecutiveBar.name()) +
           QStringLiteral(" 连号（同期相邻号码，球下有横条相连）");
}

void TrendDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    if (!index.data(TrendModel::CarriesRole).toBool() &&
        !index.data(TrendModel::MarkedRole).toBool()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyle* style = nullptr;
    const QStyleOptionViewItem opt = paintWithoutText(painter, option, index, style);
    paintTrendBall(*painter, opt.rect, index, opt.font);
}

} // namespace app::gui
