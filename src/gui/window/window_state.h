#pragma once
// What the window keeps of how it was left (the page, the choices on each page, the splitters,
// its size), in a section of the settings store of its own. A value that cannot be read gives
// the default: the control keeps what it has.

#include <QList>
#include <QString>

#include <optional>

class QComboBox;
class QWidget;
class QSplitter;

namespace platform {
class SettingsStore;
}

namespace app::gui {

class WindowState {
  public:
    explicit WindowState(platform::SettingsStore& store) : store_(store) {}

    std::optional<QString> text(const QString& key) const;
    // An integer in low..high, else nothing.
    std::optional<int> number(const QString& key, int low, int high) const;
    void write(const QString& key, const QString& value);
    void write(const QString& key, int value) { write(key, QString::number(value)); }

    // The combo boxes (by their item text), spin boxes, check boxes and editable line boxes
    // under root that have an object name, each under that name.
    void saveControls(const QWidget& root);
    void restoreControls(QWidget& root) const;
    void restoreCombo(QComboBox& box) const;

    // A splitter's sizes, restored only when they are as many as its widgets and all positive.
    // Sizes mean something only once the splitter has been laid out on screen: a splitter on a
    // page not shown yet is restored when first shown, and saved only once it has been.
    void saveSplitter(const QSplitter& splitter);
    void restoreSplitterWhenShown(QSplitter& splitter) const;
    void restoreSplitter(QSplitter& splitter) const;

  private:
    platform::SettingsStore& store_;
};

} // namespace app::gui
