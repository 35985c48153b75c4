#include "app/gui/prompter.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QUrl>

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

QString WidgetPrompter::openFile(const QString& dir, const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, QString(), dir, filter);
}

bool WidgetPrompter::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace app::gui
