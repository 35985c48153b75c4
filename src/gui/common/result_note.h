#pragma once
// The line over a result panel: what the result was computed for (the game, the play, the span or
// the newest period), and, once the history, the game or the panel's own inputs change, why the
// result no longer belongs to what the window shows. The result's widgets are greyed then, until
// the panel computes again.

#include <QLabel>
#include <QPointer>
#include <QString>

#include <vector>

namespace app {
class Workspace;
}

namespace app::gui {

class ResultNote : public QLabel {
    Q_OBJECT
  public:
    explicit ResultNote(const QString& objectName, QWidget* parent = nullptr);

    // Widgets greyed while the result is out of date (grids, labels, charts).
    void addResult(QWidget* widget);

    // The result was just computed for what computedFor says.
    void setCurrent(const QString& computedFor);
    // Nothing is shown (yet, or any more): the line says hint, or is hidden without one.
    void setEmpty(const QString& hint = {});
    // The result shown belongs to something else now; why says what changed. A result already
    // out of date keeps its first reason (a history changed stays the reason after an input).
    void setStale(const QString& why);
    // The panel's own inputs differ from those of the result (a reason of their own, lifted when
    // the inputs are put back); a reason set by setStale stays.
    void setInputsDiffer(bool differ, const QString& why);

    bool isStale() const { return !staleWhy_.isEmpty() || inputsDiffer_; }
    bool hasResult() const { return !computedFor_.isEmpty(); }
    const QString& computedFor() const { return computedFor_; }

  private:
    void refresh();

    std::vector<QPointer<QWidget>> results_;
    QString computedFor_;
    QString staleWhy_;
    QString inputsWhy_;
    bool inputsDiffer_ = false;
};

// Greys a widget's texts and background the way a disabled one shows them, without disabling it
// (it still scrolls and selects); a chart view's chart fades.
void setGreyed(QWidget* widget, bool greyed);

// What results are computed for, in the words of the notes.
QString gameText(const Workspace& workspace);
// "历史号码至2016090852期（共300期）", or "历史号码为空".
QString historyText(const Workspace& workspace);

// The reasons a note gives.
QString historyChangedText();
QString gameChangedText(const QString& game);
QString inputsChangedText();
// Why a result computed on game resultGame no longer belongs to the history shown: the game was
// switched (naming the result's game), or the history changed.
QString historyChangeReason(const Workspace& workspace, int resultGame);

} // namespace app::gui
