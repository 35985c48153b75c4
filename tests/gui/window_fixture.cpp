#include "gui/window_fixture.h"

#include "workspace/history_service.h"

#include <QApplication>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <random>

namespace testing_support {

void ensureApplication() {
    if (QApplication::instance()) return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // QApplication keeps references to argc and argv: both live as long as the program.
    static int argc = 1;
    static char name[] = "k11_gui_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives until the program ends
}

bool ScriptedPrompter::confirm(const QString& title, const QString& text) {
    shown.push_back({QStringLiteral("confirm"), title, text});
    if (confirmations.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return false;
    }
    const bool answer = confirmations.front();
    confirmations.pop_front();
    return answer;
}

void ScriptedPrompter::inform(const QString& title, const QString& text) {
    shown.push_back({QStringLiteral("inform"), title, text});
}

void ScriptedPrompter::warn(const QString& title, const QString& text) {
    shown.push_back({QStringLiteral("warn"), title, text});
}

void ScriptedPrompter::tell(const QString& title, const QString& text) {
    shown.push_back({QStringLiteral("tell"), title, text});
}

std::optional<QString> ScriptedPrompter::askText(const QString& title, const QString& prompt,
                                                 const QString&) {
    shown.push_back({QStringLiteral("ask"), title, prompt});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected input box: " << prompt.toStdString();
        return std::nullopt;
    }
    std::optional<QString> answer;
    answer.swap(answers.front());
    answers.pop_front();
    return answer;
}

QString ScriptedPrompter::openFile(const QString& dir, const QString& filter) {
    shown.push_back({QStringLiteral("open"), dir, filter});
    if (files.empty()) {
        ADD_FAILURE() << "unexpected file dialog";
        return {};
    }
    QString file = files.front();
    files.pop_front();
    return file;
}

QString ScriptedPrompter::saveFile(const QString& title, const QString& path, const QString&) {
    shown.push_back({QStringLiteral("save"), title, path});
    if (files.empty()) {
        ADD_FAILURE() << "unexpected save dialog";
        return {};
    }
    QString file = files.front();
    files.pop_front();
    return file;
}

bool ScriptedPrompter::openDocument(const QString& path) {
    shown.push_back({QStringLiteral("document"), QString(), path});
    return documentsOpen;
}

std::vector<QString> ScriptedPrompter::texts(const QString& kind) const {
    std::vector<QString> result;
    for (const auto& m : shown)
        if (m.kind == kind) result.push_back(m.text);
    return result;
}

WindowFixture::WindowFixture(const std::string& settingsText) : store(settingsText) {
    ensureApplication();
}

WindowFixture::~WindowFixture() {
    window.reset();
}

app::gui::MainWindow& WindowFixture::open() {
    window = std::make_unique<app::gui::MainWindow>(*store.workspace, prompter);
    window->resize(1366, 768);
    window->show();
    QApplication::setActiveWindow(window.get());
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return *window;
}

QString WindowFixture::storedSetting(const QString& key) const {
    QSettings file(QString::fromStdString(store.settingsPath()), QSettings::IniFormat);
    return file.value(QStringLiteral("IniSetting/") + key).toString();
}

void openWithFiveDraws(WindowFixture& f) {
    f.store.type("2016090801", {{"03", "01", "02", "04", "06"},
                                {"07", "01", "02", "04", "06"},
                                {"03", "01", "02", "04", "06"},
                                {"05", "01", "02", "04", "06"},
                                {"03", "01", "02", "04", "06"}});
    f.open();
}

void importRandomDraws(WindowFixture& f, int count, unsigned seed) {
    std::mt19937 random(seed);
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::array<int, 11> numbers{};
        std::iota(numbers.begin(), numbers.end(), 1);
        std::shuffle(numbers.begin(), numbers.end(), random);
        text += std::to_string(syntheticPeriod(i));
        for (int n = 0; n < 5; ++n) {
            char number[4];
            std::snprintf(number, sizeof number, " %02d", numbers[n]);
            text += number;
        }
        text += '\n';
    }
    const std::string path = f.store.dir.file("random-draws.txt");
    std::ofstream(path) << text;
    history::NoProgress quiet;
    const auto imported = app::HistoryService(f.workspace()).importFile(path, quiet);
    ASSERT_TRUE(imported.outcome.ok) << imported.outcome.message;
}

} // namespace testing_support
