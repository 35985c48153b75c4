#include "gui/live/notice_view.h"

#include "gui/live/desktop_notifier.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

namespace app::gui {

namespace {

// How long a notice stays in the status bar when nothing follows it.
constexpr int kStatusMs = 10000;
// Up to this many waiting notices are shown one by one; more are summed up but the newest.
constexpr size_t kShownOneByOne = 2;
// The lines of a grouped desktop notification.
constexpr size_t kBodyLines = 6;

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

} // namespace

QString noticeTime(const Notice& notice) {
    std::string iso = beijingIsoText(notice.time);
    iso[10] = ' ';
    return text(iso.substr(5, 14));
}

NoticeButton::NoticeButton(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("noticeButton"));
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
}

void NoticeButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

NoticeView::NoticeView(Notices& notices, QStatusBar& statusBar, QObject* parent)
    : QObject(parent), notices_(notices), statusBar_(statusBar) {
    setObjectName(QStringLiteral("noticeView"));
    button_ = new NoticeButton(&statusBar);
    statusBar.addPermanentWidget(button_);
    connect(button_, &NoticeButton::clicked, this, &NoticeView::openList);
    notifier_ = new DesktopNotifier(this);
    desktop_ = [this](const QString& title, const QString& body) {
        return notifier_->show(title, body);
    };
    // Notices posted in one turn of the event loop are one batch.
    batchTimer_ = new QTimer(this);
    batchTimer_->setSingleShot(true);
    batchTimer_->setInterval(0);
    connect(batchTimer_, &QTimer::timeout, this, &NoticeView::takeBatch);
    shownTimer_ = new QTimer(this);
    shownTimer_->setSingleShot(true);
    connect(shownTimer_, &QTimer::timeout, this, &NoticeView::showNext);
    notices_.listen([this](const Notice* posted) { onPosted(posted); });
    showButton();
}

void NoticeView::onPosted(const Notice* posted) {
    // What was posted is shown once the batch is complete.
    if (posted) {
        batch_.push_back(*posted);
        batchTimer_->start();
        return;
    }
    showButton();
    if (!reading_ && listDialog_ && listDialog_->isVisible()) fillList();
}

void NoticeView::takeBatch() {
    std::vector<Notice> batch;
    batch.swap(batch_);
    if (batch.empty()) return;
    showButton();
    if (listDialog_ && listDialog_->isVisible()) fillList();
    waiting_.insert(waiting_.end(), batch.begin(), batch.end());
    if (!shownTimer_->isActive()) showNext();
    QString title, body;
    if (batch.size() == 1) {
        title = QStringLiteral("11选5 %1").arg(text(noticeKindName(batch.front().kind)));
        body = text(batch.front().text);
    } else {
        title = text(noticeSummary(batch));
        QStringList lines;
        const size_t from = batch.size() > kBodyLines ? batch.size() - kBodyLines : 0;
        if (from > 0) lines << QStringLiteral("……");
        for (size_t i = from; i < batch.size(); ++i) lines << text(batch[i].text);
        body = lines.join(u'\n');
    }
    if (desktop_) desktop_(title, body);
}

void NoticeView::showNext() {
    if (waiting_.empty()) return;
    QString line;
    if (waiting_.size() > kShownOneByOne) {
        // Those before the newest as one line; the newest next.
        const std::vector<Notice> earlier(waiting_.begin(), waiting_.end() - 1);
        waiting_.erase(waiting_.begin(), waiting_.end() - 1);
        line = QStringLiteral("新到%1（点状态栏的“通知”查看）").arg(text(noticeSummary(earlier)));
    } else {
        line = text(waiting_.front().text);
        waiting_.pop_front();
    }
    statusBar_.showMessage(line, kStatusMs);
    shownTimer_->start(minimumShowMs_);
}

void NoticeView::showButton() {
    const size_t unread = notices_.unread();
    button_->setText(unread ? QStringLiteral("通知 %1").arg(static_cast<qulonglong>(unread))
                            : QStringLiteral("通知"));
    button_->setToolTip(
        unread
            ? QStringLiteral("%1条通知未读，点击查看全部通知").arg(static_cast<qulonglong>(unread))
            : QStringLiteral("查看全部通知"));
}

void NoticeView::openList() {
    if (!listDialog_) {
        auto* dialog = new QDialog(statusBar_.window());
        dialog->setObjectName(QStringLiteral("noticeListDialog"));
        dialog->setWindowTitle(QStringLiteral("通知"));
        list_ = new QListWidget(dialog);
        list_->setObjectName(QStringLiteral("noticeList"));
        list_->setWordWrap(true);
        auto* note = new QLabel(
            QStringLiteral(
                "新号码、遗漏提醒、更新失败等所有通知，最新的在最上面；粗体为打开前未读的。"),
            dialog);
        note->setWordWrap(true);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(note);
        layout->addWidget(list_, 1);
        layout->addWidget(buttons);
        dialog->resize(560, 380);
        listDialog_ = dialog;
    }
    fillList();
    listDialog_->show();
    listDialog_->raise();
    listDialog_->activateWindow();
    // Seen now; the list keeps them in bold until it is filled again.
    reading_ = true;
    notices_.markAllRead();
    reading_ = false;
}

void NoticeView::fillList() {
    if (!list_) return;
    list_->clear();
    const auto& all = notices_.all();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        auto* item = new QListWidgetItem(
            QStringLiteral("%1  [%2] %3")
                .arg(noticeTime(*it), text(noticeKindName(it->kind)), text(it->text)),
            list_);
        QFont font = item->font();
        font.setBold(!it->read);
        item->setFont(font);
    }
    if (all.empty()) list_->addItem(QStringLiteral("（还没有通知）"));
}

} // namespace app::gui
