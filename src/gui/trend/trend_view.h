#pragma once
// The trend page (走势图): the basic chart (the draw, the eleven numbers and the shapes of each
// period), the numbers by position, or one kind at one position (or any) or one shape of the
// whole draw, over a span of the history; a chart beside the table shows the omission of a
// clicked value over the span's last periods.

#include "gui/trend/trend_model.h"

#include <QWidget>

#include <cstdint>

class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QSplitter;

namespace app {
class Workspace;
}

namespace app::gui {

class TrendTable;
class WindowState;

class TrendView : public QWidget {
    Q_OBJECT
  public:
    // The span presets, in the order of their chooser; Custom is what the span boxes hold.
    enum class Preset { Last30, Last50, Last100, Last200, Today, Yesterday, All, Custom };

    explicit TrendView(Workspace& workspace, QWidget* parent = nullptr);

    // After the stored draws or the settings changed: the table follows when shown.
    void historyChanged();
    TrendModel* model() const { return model_; }
    // The value whose omission the chart shows (its index in its group), or -1.
    int chartedValue() const { return chartedValue_; }
    // The newest period in view, above the summary rows.
    void scrollToNewest();

    // The chart, the kind, the span and the marks as the player left them.
    void saveState(WindowState& state) const;
    void restoreState(const WindowState& state);

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void rebuild();
    void onSpanEdited();
    void onPresetChosen();
    // Sets the span boxes to the preset's span of the history as it is now.
    void applyPreset(Preset preset);
    void showChart(int group, int v);
    QString chartTip(const QPoint& position) const;
    void fitColumns();
    // The omission chart folds away while the table needs its width (trend_chart_fold.cpp), and
    // opens again when the page is wide enough for both or a value is clicked.
    void foldChartToFit();
    void openChart();
    TrendSubject chosenSubject() const;
    // What the note says when the span holds no draw.
    QString emptySpanText() const;

    Workspace& workspace_;
    TrendModel* model_ = nullptr;
    QComboBox* kindBox_ = nullptr;
    QComboBox* positionBox_ = nullptr;
    QComboBox* presetBox_ = nullptr;
    QLineEdit* fromBox_ = nullptr;
    QLineEdit* toBox_ = nullptr;
    QCheckBox* hideNumbers_ = nullptr;
    QCheckBox* layered_ = nullptr;
    QCheckBox* line_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TrendTable* table_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* legend_ = nullptr;
    QLabel* marksLegend_ = nullptr;
    int openChartWidth_ = 320; // the chart's width when it last stood open
    // The span index of the chart's first period.
    size_t chartFirst_ = 0;

    // What the table was built from; a difference asks for a rebuild.
    struct Built {
        std::uint64_t version = 0;
        TrendSubject subject;
        int start = -1, end = -1, segmentBase = -1;
        bool operator==(const Built&) const = default;
    };
    Built built_;
    bool dirty_ = true;
    // The span boxes follow the history's first and newest periods until the user edits them.
    bool fromFollows_ = true;
    bool toFollows_ = true;
    Preset preset_ = Preset::Last50;
    int chartedGroup_ = 0;
    // What the table shown was made for: the game, the kind and the span.
    QString shownFor_;
    int chartedValue_ = -1;
};

} // namespace app::gui
