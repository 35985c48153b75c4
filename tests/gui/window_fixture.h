#pragma once
// The real main window over a workspace in a temporary folder, with message boxes answered by a
// script: the offscreen platform, one QApplication for the whole test program.

#include "gui/common/prompter.h"
#include "gui/window/main_window.h"
#include "workspace/workspace_fixture.h"

#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include <ostream>

// Readable failure messages for Qt texts.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace testing_support {

// Creates the test program's QApplication on first use (offscreen unless a platform is set).
void ensureApplication();

// Answers questions from a script and records every message shown.
class ScriptedPrompter : public app::gui::Prompter {
  public:
    struct Message {
        // "confirm", "inform", "warn", "tell", "ask", "open", "save" (the path offered),
        // "document" (its path)
        QString kind;
        QString title;
        QString text;
    };

    bool confirm(const QString& title, const QString& text) override;
    void inform(const QString& title, const QString& text) override;
    void warn(const QString& title, const QString& text) override;
    void tell(const QString& title, const QString& text) override;
    std::optional<QString> askText(const QString& title, const QString& prompt,
                                   const QString& defaultText) override;
    QString openFile(const QString& dir, const QString& filter) override;
    // Answered from `files` as openFile is.
    QString saveFile(const QString& title, const QString& path, const QString& filter) override;
    // Records the file instead of starting an application; answers documentsOpen.
    bool openDocument(const QString& path) override;

    std::vector<QString> texts(const QString& kind) const;
    std::vector<QString> warnings() const { return texts(QStringLiteral("warn")); }

    std::deque<bool> confirmations;
    std::deque<std::optional<QString>> answers;
    std::deque<QString> files;
    bool documentsOpen = true;
    std::vector<Message> shown;
};

class WindowFixture {
  public:
    explicit WindowFixture(const std::string& settingsText = {});
    ~WindowFixture();

    // Opens the window over the workspace as it is now, shown and active.
    app::gui::MainWindow& open();

    template <class T> T* find(const QString& name) const {
        T* child = window->findChild<T*>(name);
        if (!child) ADD_FAILURE() << "no child named " << name.toStdString();
        return child;
    }

    app::Workspace& workspace() { return *store.workspace; }
    // A value of the settings file as stored, empty when missing.
    QString storedSetting(const QString& key) const;

    WorkspaceFixture store;
    ScriptedPrompter prompter;
    std::unique_ptr<app::gui::MainWindow> window;
};

// Five typed draws from 2016090801 (03 01 02 04 06, 07 …, 03 …, 05 …, 03 …: the same four
// numbers after a changing first one), then the window opened on them.
void openWithFiveDraws(WindowFixture& f);

// Stores count uniformly random draws (periods 17010101 on), the same for the same seed, as an
// import would; the window is not opened.
void importRandomDraws(WindowFixture& f, int count, unsigned seed);

} // namespace testing_support
