#include "gui/common/result_note.h"

#include "history/game_record.h"
#include "history/period.h"
#include "workspace/workspace.h"

#include <QAbstractItemView>
#include <QChart>
#include <QChartView>
#include <QPalette>

namespace app::gui {

ResultNote::ResultNote(const QString& objectName, QWidget* parent) : QLabel(parent) {
    setObjectName(objectName);
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    setMargin(2);
    hide();
}

void ResultNote::addResult(QWidget* widget) {
    results_.emplace_back(widget);
    setGreyed(widget, isStale());
}

void ResultNote::setCurrent(const QString& computedFor) {
    computedFor_ = computedFor;
    staleWhy_.clear();
    inputsDiffer_ = false;
    refresh();
}

void ResultNote::setEmpty(const QString& hint) {
    computedFor_.clear();
    staleWhy_.clear();
    inputsDiffer_ = false;
    refresh();
    setText(hint);
    setVisible(!hint.isEmpty());
}

void ResultNote::setStale(const QString& why) {
    if (computedFor_.isEmpty()) return; // nothing shown that could be out of date
    if (staleWhy_.isEmpty()) staleWhy_ = why;
    refresh();
}

void ResultNote::setInputsDiffer(bool differ, const QString& why) {
    if (computedFor_.isEmpty()) return;
    inputsDiffer_ = differ;
    inputsWhy_ = why;
    refresh();
}

void ResultNote::refresh() {
    const bool stale = isStale();
    if (computedFor_.isEmpty()) {
        setText(QString());
    } else if (stale) {
        const QString why = staleWhy_.isEmpty() ? inputsWhy_ : staleWhy_;
        setText(QStringLiteral("%1（以下结果是按%2计算的）").arg(why, computedFor_));
    } else {
        setText(computedFor_);
    }
    // Out of date: the note stands out as a warning does; else it is a plain caption.
    setAutoFillBackground(stale);
    setFrameShape(stale ? QFrame::StyledPanel : QFrame::NoFrame);
    setBackgroundRole(stale ? QPalette::ToolTipBase : QPalette::Window);
    setForegroundRole(stale ? QPalette::ToolTipText : QPalette::WindowText);
    setVisible(!computedFor_.isEmpty());
    for (const auto& widget : results_)
        if (widget) setGreyed(widget, stale);
}

void setGreyed(QWidget* widget, bool greyed) {
    if (auto* chartView = qobject_cast<QChartView*>(widget)) {
        if (chartView->chart()) chartView->chart()->setOpacity(greyed ? 0.35 : 1.0);
        return;
    }
    if (!greyed) {
        widget->setPalette(QPalette());
        return;
    }
    QPalette palette = widget->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        for (const auto role :
             {QPalette::Text, QPalette::WindowText, QPalette::Base, QPalette::AlternateBase})
            palette.setColor(group, role, palette.color(QPalette::Disabled, role));
    }
    widget->setPalette(palette);
}

QString gameText(const Workspace& workspace) {
    return QString::fromStdString(history::gameName(workspace.settings().game));
}

QString historyText(const Workspace& workspace) {
    const auto& rows = workspace.rows();
    if (rows.empty()) return QStringLiteral("历史号码为空");
    return QStringLiteral("历史号码至%1期（共%2期）")
        .arg(QString::fromStdString(history::tenDigit(rows.back().period)))
        .arg(static_cast<qulonglong>(rows.size()));
}

QString historyChangedText() {
    return QStringLiteral("历史号码已更改，请重新计算");
}

QString gameChangedText(const QString& game) {
    return QStringLiteral("已换了彩种，这是%1的结果，请重新计算").arg(game);
}

QString historyChangeReason(const Workspace& workspace, int resultGame) {
    return static_cast<int>(workspace.settings().game) != resultGame
               ? gameChangedText(
                     QString::fromStdString(history::gameName(history::Game{resultGame})))
               : historyChangedText();
}

QString inputsChangedText() {
    return QStringLiteral("条件已改动，请重新计算");
}

} // namespace app::gui
