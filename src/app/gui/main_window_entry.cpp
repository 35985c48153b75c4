// Typing the newest draw into the five entry boxes, and the period distance box.

#include "app/gui/main_window.h"

#include "app/gui/busy_cursor.h"
#include "app/gui/prompter.h"
#include "app/workspace.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSplitter>
#include <QStatusBar>

#include <algorithm>

namespace app::gui {

namespace {
const QChar kPrompt = QLatin1Char('_');
}

void MainWindow::connectEntry() {
    for (int i = 0; i < 5; ++i) {
        entryBoxes_[i]->installEventFilter(this);
        connect(entryBoxes_[i], &QLineEdit::textChanged, this,
                [this, i] { onEntryBoxChanged(i + 1); });
    }
    backDistanceBox_->installEventFilter(this);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        std::find(entryBoxes_.begin(), entryBoxes_.end(), watched) != entryBoxes_.end())
        entryJustStored_ = false;
    if (event->type() == QEvent::Resize && watched == tallySplitter_) fitTallyToWidth();
    if (event->type() == QEvent::FocusOut && watched == backDistanceBox_) {
        // Leaving the box for another control counts; a menu or another window opening does not.
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            onBackDistanceLeft();
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::entryBoxComplete(int index) const {
    return !entryBoxes_[index - 1]->displayText().contains(kPrompt);
}

void MainWindow::onEntryBoxChanged(int index) {
    // Clearing the boxes after a draw was stored changes their text too: that is no entry.
    if (entryJustStored_) return;
    const bool allComplete = entryBoxComplete(1) && entryBoxComplete(2) && entryBoxComplete(3) &&
                             entryBoxComplete(4) && entryBoxComplete(5);
    // The fifth box completes an entry; after a refused entry, completing the corrected box does.
    if ((index == 5 && entryBoxComplete(5)) || (entryRefused_ && allComplete)) {
        storeEntry();
        return;
    }
    const QString text = entryBoxes_[index - 1]->displayText();
    if (index < 5 && text.size() >= 2 && text[1] != kPrompt)
        entryBoxes_[index]->setFocus(Qt::TabFocusReason);
}

bool MainWindow::storeEntry() {
    std::array<std::string, 5> boxes;
    for (int i = 0; i < 5; ++i) boxes[i] = entryBoxes_[i]->displayText().toStdString();
    const std::string firstPeriod =
        workspace_.rows().empty() ? nextPeriodBox_->text().trimmed().toStdString() : std::string();
    Outcome outcome;
    {
        // Storing waits for a search's database writing still going on in the background.
        BusyCursor busy;
        outcome = workspace_.addDraw(boxes, firstPeriod);
    }
    if (!outcome.ok) {
        // The boxes keep what was typed so the user can correct it.
        entryRefused_ = true;
        const QString message = QString::fromStdString(outcome.message);
        prompter_.warn(QStringLiteral("输入历史号码"), message);
        focusEntryProblem(message);
        return false;
    }
    entryRefused_ = false;
    entryJustStored_ = true;
    clearEntry();
    entryBoxes_[0]->setFocus(Qt::TabFocusReason);
    refreshAfterHistoryChange();
    statusBar()->showMessage(
        QStringLiteral("已保存第 %1 期").arg(QString::fromStdString(outcome.message)), 5000);
    return true;
}

void MainWindow::clearEntry() {
    for (QLineEdit* box : entryBoxes_) box->clear();
}

void MainWindow::focusEntryProblem(const QString& message) {
    // The workspace names the box as 第N个号码, or the period id of the first draw.
    static const QRegularExpression boxName(QStringLiteral("第([1-5])个号码"));
    const auto match = boxName.match(message);
    QLineEdit* target = nullptr;
    if (match.hasMatch())
        target = entryBoxes_[match.captured(1).toInt() - 1];
    else if (workspace_.rows().empty() && !nextPeriodBox_->isReadOnly())
        target = nextPeriodBox_;
    if (!target) return;
    target->setFocus(Qt::OtherFocusReason);
    target->selectAll();
}

void MainWindow::onBackDistanceLeft() {
    QString text = backDistanceBox_->displayText();
    text.remove(kPrompt);
    const Outcome outcome = workspace_.setBackDistance(text.toStdString());
    if (!outcome.ok)
        prompter_.warn(QStringLiteral("间隔期数"), QString::fromStdString(outcome.message));
    // An empty box keeps the distance: show the one in use.
    backDistanceBox_->setText(QString::number(workspace_.settings().backDistance));
    showTargets();
    showSpan();
}

} // namespace app::gui
