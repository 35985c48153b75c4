#include "app/gui/prompter.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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

bool WidgetPrompter::openDocument(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace app::gui
