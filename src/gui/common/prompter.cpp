#include "gui/common/prompter.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QVBoxLayout>

namespace app::gui {

bool WidgetPrompter::confirm(const QString& title, const QString& text) {
    const auto answer = QMessageBox::question(
        parent_, title, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
    return answer == QMessageBox::Ok;
}

void WidgetPrompter::inform(const QString& title, const QString& text) {
    QMessageBox::information(parent_, title, text);
}

void WidgetPrompter::warn(const QString& title, const QString& text) {
    QMessageBox::warning(parent_, title, text);
}

void WidgetPrompter::tell(const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent_);
    box.exec();
}

std::optional<QString> WidgetPrompter::askText(const QString& title, const QString& prompt,
                                               const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

std::optional<QString>
WidgetPrompter::askTextShowing(const QString& title, const QString& prompt,
                               const QString& defaultText,
                               const std::function<QString(const QString&)>& preview) {
    QDialog dialog(parent_);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(prompt, &dialog));
    auto* entry = new QLineEdit(defaultText, &dialog);
    entry->setObjectName(QStringLiteral("txtAsked"));
    entry->setMinimumWidth(480);
    layout->addWidget(entry);
    auto* shown = new QLabel(preview(defaultText), &dialog);
    shown->setObjectName(QStringLiteral("lblPreview"));
    shown->setWordWrap(true);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(shown);
    QObject::connect(entry, &QLineEdit::textChanged, shown,
                     [shown, &preview](const QString& text) { shown->setText(preview(text)); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return entry->text();
}

QString WidgetPrompter::openFile(const QString& dir, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, QString(), dir, filter);
}

QString WidgetPrompter::saveFile(const QString& title, const QString& path, const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, title, path, filter);
}

QString noProgramText(const QString& path) {
    return QStringLiteral("没有程序能打开这个文件，它保存在：\n%1")
        .arg(QDir::toNativeSeparators(path));
}

namespace {

// On X11 and Wayland desktops the document is handed to xdg-open, which starts even when no
// application is set up for the file and then exits with an error code. Started here, its exit
// code is seen and the user is told where the file is instead of nothing happening.
QString documentLauncher() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland")))
        return QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
#endif
    return {};
}

} // namespace

bool WidgetPrompter::openDocument(const QString& path) {
    const QString launcher = documentLauncher();
    if (launcher.isEmpty()) return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // xdg-open may stay until the application it started closes; it is not waited for.
    auto* process = new QProcess(parent_);
    QObject::connect(process, &QProcess::finished, process,
                     [this, process, path](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status == QProcess::NormalExit && code != 0)
                             tell(QStringLiteral("打开文件"), noProgramText(path));
                     });
    process->start(launcher, {path});
    if (process->waitForStarted(3000)) return true;
    process->deleteLater();
    return false;
}

} // namespace app::gui
