// Typing the newest draw into the five entry boxes, and the period distance box.

#include "gui/window/main_window.h"

#include "gui/common/busy_cursor.h"
#include "gui/common/prompter.h"
#include "workspace/workspace.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace app::gui {

namespace {

const QChar kPrompt = QLatin1Char('_');

// Five numbers of one or two digits between any separators ("03 04 05 06 07", "3,4,5,6,7"), as
// the boxes show them; nothing for any other text.
std::optional<std::array<QString, 5>> fiveNumbers(const QString& text) {
    static const QRegularExpression separators(QStringLiteral("[^0-9]+"));
    const QStringList parts = text.split(separators, Qt::SkipEmptyParts);
    if (parts.size() != 5) return std::nullopt;
    std::array<QString, 5> numbers;
    for (int i = 0; i < 5; ++i) {
        if (parts[i].size() > 2) return std::nullopt;
        numbers[i] = parts[i].rightJustified(2, QLatin1Char('0'));
    }
    return numbers;
}

} // namespace

void MainWindow::connectEntry() {
    for (int i = 0; i < 5; ++i) {
        entryBoxes_[i]->installEventFilter(this);
        connect(entryBoxes_[i], &QLineEdit::textChanged, this,
                [this, i] { onEntryBoxChanged(i + 1); });
    }
    backDistanceBox_->installEventFilter(this);
    // The ten digits of the first period typed: the numbers come next.
    connect(nextPeriodBox_, &QLineEdit::textEdited, this, [this](const QString& text) {
        static const QRegularExpression tenDigits(QStringLiteral("^\\s*\\d{10}\\s*$"));
        if (workspace_.rows().empty() && tenDigits.match(text).hasMatch())
            entryBoxes_[0]->setFocus(Qt::TabFocusReason);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        std::find(entryBoxes_.begin(), entryBoxes_.end(), watched) != entryBoxes_.end())
        entryJustStored_ = false;
    // A whole draw pasted into the first box fills all five; any other paste is a normal one.
    if (watched == entryBoxes_[0]) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste) && pasteDraw())
            return true;
        if (event->type() == QEvent::ContextMenu) {
            showFirstEntryBoxMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    if (event->type() == QEvent::Resize && watched == tallySplitter_) fitTallyToWidth();
    // A click anywhere in an empty masked box starts typing at its first place.
    if ((event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::FocusIn) &&
        (watched == backDistanceBox_ ||
         std::find(entryBoxes_.begin(), entryBoxes_.end(), watched) != entryBoxes_.end())) {
        auto* box = static_cast<QLineEdit*>(watched);
        if (box->text().isEmpty())
            QTimer::singleShot(0, box, [box] {
                if (box->text().isEmpty()) box->setCursorPosition(0);
            });
    }
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

bool MainWindow::pasteDraw() {
    const auto numbers = fiveNumbers(QGuiApplication::clipboard()->text());
    if (!numbers) return false;
    // As if typed box by box: the boxes show the numbers, and the draw is stored or refused as
    // the fifth box would store it (a refused draw stays in the boxes to be corrected).
    entryJustStored_ = false;
    for (int i = 0; i < 5; ++i) {
        const QSignalBlocker quiet(entryBoxes_[i]);
        entryBoxes_[i]->setText((*numbers)[i]);
    }
    storeEntry();
    return true;
}

void MainWindow::showFirstEntryBoxMenu(const QPoint& globalPosition) {
    QLineEdit* box = entryBoxes_[0];
    QMenu* menu = box->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste item takes a whole draw as Ctrl+V does.
    const QString paste = QLineEdit::tr("&Paste");
    for (QAction* item : menu->actions()) {
        if (!item->text().startsWith(paste)) continue;
        disconnect(item, &QAction::triggered, box, nullptr);
        connect(item, &QAction::triggered, this, [this, box] {
            if (!pasteDraw()) box->paste();
        });
        break;
    }
    menu->popup(globalPosition);
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

void MainWindow::commitEditedBoxes() {
    if (backDistanceBox_->hasFocus()) onBackDistanceLeft();
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
    reportSettingsProblem();
}

} // namespace app::gui
