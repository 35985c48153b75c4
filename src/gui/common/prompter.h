#pragma once
// Message boxes and simple dialogs behind a small interface, so the window's handlers can ask the
// user without knowing how the question is shown (tests answer them in advance).

#include <QPointer>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace app::gui {

class Prompter {
  public:
    virtual ~Prompter() = default;

    // An OK/Cancel question with the question icon; true for OK.
    virtual bool confirm(const QString& title, const QString& text) = 0;
    virtual void inform(const QString& title, const QString& text) = 0;
    virtual void warn(const QString& title, const QString& text) = 0;
    // A plain message box with the OK button and no icon.
    virtual void tell(const QString& title, const QString& text) = 0;
    // A line of text; empty when the user cancels.
    virtual std::optional<QString> askText(const QString& title, const QString& prompt,
                                           const QString& defaultText) = 0;
    // A line of text with, under it, what the text as it stands would do (shown again as it is
    // typed); nothing when the user cancels. Without a live dialog: the default text's preview
    // follows the prompt.
    virtual std::optional<QString>
    askTextShowing(const QString& title, const QString& prompt, const QString& defaultText,
                   const std::function<QString(const QString&)>& preview) {
        return askText(title, prompt + QStringLiteral("\n\n") + preview(defaultText), defaultText);
    }
    // A file to open; an empty text when the user cancels.
    virtual QString openFile(const QString& dir, const QString& filter) = 0;
    // A file to write, the dialog opening on `path` (its folder and name); an empty text when the
    // user cancels.
    virtual QString saveFile(const QString& title, const QString& path, const QString& filter) = 0;
    // Opens a written file with the desktop's default application for it, without waiting;
    // false when none could be started. A launcher that starts but then finds no application
    // for the file has the user told where the file is, later.
    virtual bool openDocument(const QString& path) = 0;
};

// What the user is told when no program opened a file: where it is, in full.
QString noProgramText(const QString& path);

// The real dialogs, owned by the window they are shown over.
class WidgetPrompter : public Prompter {
  public:
    explicit WidgetPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void setParentWidget(QWidget* parent) { parent_ = parent; }

    bool confirm(const QString& title, const QString& text) override;
    void inform(const QString& title, const QString& text) override;
    void warn(const QString& title, const QString& text) override;
    void tell(const QString& title, const QString& text) override;
    std::optional<QString> askText(const QString& title, const QString& prompt,
                                   const QString& defaultText) override;
    std::optional<QString>
    askTextShowing(const QString& title, const QString& prompt, const QString& defaultText,
                   const std::function<QString(const QString&)>& preview) override;
    QString openFile(const QString& dir, const QString& filter) override;
    QString saveFile(const QString& title, const QString& path, const QString& filter) override;
    bool openDocument(const QString& path) override;

  private:
    QPointer<QWidget> parent_;
};

} // namespace app::gui
