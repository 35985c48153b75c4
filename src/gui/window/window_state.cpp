#include "gui/window/window_state.h"

#include "platform/settings_store.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QTimer>

namespace app::gui {

namespace {

const std::string kSection = "WindowState";

// Named by the program, not a part Qt names inside a spin box or a combo box.
bool isOwnControl(const QObject& control) {
    const QString name = control.objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

// The controls of one of the window's views; boxes inside a spin box are its own.
template <class T> QList<T*> namedControls(const QWidget& root) {
    QList<T*> found;
    for (T* control : root.findChildren<T*>())
        if (isOwnControl(*control)) found.push_back(control);
    return found;
}

// Marks a splitter that has been on screen.
const char* const kLaidOut = "laidOutOnScreen";

// Restores a splitter's sizes the first time it is shown, once its page has laid it out.
class RestoreOnShow : public QObject {
  public:
    RestoreOnShow(const WindowState& state, QSplitter& splitter)
        : QObject(&splitter), state_(state), splitter_(splitter) {
        splitter.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &splitter_ && event->type() == QEvent::Show) {
            splitter_.removeEventFilter(this);
            QTimer::singleShot(0, &splitter_, [state = &state_, splitter = &splitter_] {
                splitter->setProperty(kLaidOut, true);
                state->restoreSplitter(*splitter);
            });
            deleteLater();
        }
        return false;
    }

  private:
    const WindowState& state_;
    QSplitter& splitter_;
};

} // namespace

std::optional<QString> WindowState::text(const QString& key) const {
    const auto value = store_.read(kSection, key.toStdString());
    if (!value) return std::nullopt;
    return QString::fromStdString(*value);
}

std::optional<int> WindowState::number(const QString& key, int low, int high) const {
    const auto value = text(key);
    if (!value) return std::nullopt;
    bool ok = false;
    const int n = value->trimmed().toInt(&ok);
    if (!ok || n < low || n > high) return std::nullopt;
    return n;
}

void WindowState::write(const QString& key, const QString& value) {
    // A store that cannot be written loses only the layout; the window says nothing of it.
    store_.write(kSection, key.toStdString(), value.toStdString());
}

void WindowState::saveControls(const QWidget& root) {
    for (const QComboBox* box : namedControls<QComboBox>(root))
        write(box->objectName(), box->currentText());
    for (const QSpinBox* box : namedControls<QSpinBox>(root))
        write(box->objectName(), box->value());
    for (const QCheckBox* box : namedControls<QCheckBox>(root))
        write(box->objectName(),
              box->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    for (const QLineEdit* box : namedControls<QLineEdit>(root))
        if (!box->isReadOnly()) write(box->objectName(), box->text());
}

void WindowState::restoreCombo(QComboBox& box) const {
    if (const auto value = text(box.objectName())) {
        const int index = box.findText(*value);
        if (index >= 0) box.setCurrentIndex(index);
    }
}

// In the order the controls were made, so that a choice that resets others (a play resets its
// ranges) comes before them.
void WindowState::restoreControls(QWidget& root) const {
    for (QObject* child : root.findChildren<QObject*>()) {
        if (!isOwnControl(*child)) continue;
        const QString key = child->objectName();
        if (auto* combo = qobject_cast<QComboBox*>(child)) {
            if (!combo->isEditable()) restoreCombo(*combo);
        } else if (auto* spin = qobject_cast<QSpinBox*>(child)) {
            if (const auto n = number(key, spin->minimum(), spin->maximum())) spin->setValue(*n);
        } else if (auto* check = qobject_cast<QCheckBox*>(child)) {
            const auto value = text(key);
            if (value == QStringLiteral("True") || value == QStringLiteral("False"))
                check->setChecked(*value == QStringLiteral("True"));
        } else if (auto* line = qobject_cast<QLineEdit*>(child)) {
            if (line->isReadOnly()) continue;
            if (const auto value = text(key); value && value->size() <= line->maxLength())
                line->setText(*value);
        }
    }
}

void WindowState::saveSplitter(const QSplitter& splitter) {
    if (!splitter.isVisible() && !splitter.property(kLaidOut).toBool()) return;
    QStringList sizes;
    for (const int size : splitter.sizes()) sizes << QString::number(size);
    write(splitter.objectName(), sizes.join(QLatin1Char(' ')));
}

void WindowState::restoreSplitterWhenShown(QSplitter& splitter) const {
    if (!splitter.isVisible()) {
        new RestoreOnShow(*this, splitter);
        return;
    }
    splitter.setProperty(kLaidOut, true);
    restoreSplitter(splitter);
}

void WindowState::restoreSplitter(QSplitter& splitter) const {
    const auto value = text(splitter.objectName());
    if (!value) return;
    const QStringList parts = value->split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != splitter.count()) return;
    QList<int> sizes;
    for (const QString& part : parts) {
        bool ok = false;
        const int size = part.toInt(&ok);
        if (!ok || size <= 0 || size > 100000) return;
        sizes << size;
    }
    splitter.setSizes(sizes);
}

} // namespace app::gui
