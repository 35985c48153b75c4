#pragma once
// The trend view (走势图): for one kind at one position (or any), or one shape of the whole draw,
// over a span of the history, one row per period with the draw and, per value, its omission or a
// ball where the period carries it; summary rows and three rows where the player marks the values
// expected next close the table. Rows are read from an OmissionTable on demand, so a history of
// 300,000 periods scrolls like one of 30. A chart shows the omission of a clicked value over the
// span's last periods.

#include "history/attributes.h"
#include "search/omission.h"
#include "search/shape.h"

#include "app/gui/own_text_delegate.h"
#include <QAbstractTableModel>
#include <QWidget>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>

class QCheckBox;
class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableView;

namespace app {
class Workspace;
}

namespace app::gui {

// What the table counts: a kind at a position (0 for any), or a shape of the whole draw.
struct TrendSubject {
    history::Kind kind = history::Number;
    int position = 0;
    std::optional<search::Shape> shape;
    int zodiacBase = 1;
    bool operator==(const TrendSubject&) const = default;
};

class TrendModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // True on a value cell of a period that carries the value.
    static constexpr int CarriesRole = Qt::UserRole + 1;
    // True on a value cell of a 预选 row that the player marked.
    static constexpr int MarkedRole = Qt::UserRole + 2;
    // 出现次数, 平均遗漏, 最大遗漏, 当前遗漏, 最大连出, 近10期出现; a 分布检验 row follows where
    // each period carries one value.
    static constexpr int kSummaryRows = 6;
    // The 预选 rows under the summary.
    static constexpr int kMarkRows = 3;
    // The columns before the values: the period and the draw.
    static constexpr int kLeadColumns = 2;
    // The periods 近10期出现 looks back over.
    static constexpr size_t kRecentPeriods = 10;

    explicit TrendModel(const Workspace& workspace, QObject* parent = nullptr);

    void setTable(std::shared_ptr<const search::OmissionTable> table, const TrendSubject& subject);
    const search::OmissionTable* table() const { return table_.get(); }
    const TrendSubject& subject() const { return subject_; }
    void setHideNumbers(bool hide);
    // Shades each value's cells after its last carrying period (遗漏分层).
    void setLayered(bool layered);
    // The text of a value as the headers and balls show it.
    QString valueLabel(size_t v) const;
    // The kind (with its position) or shape, as the tooltips and the chart name it.
    QString subjectText() const;

    // The rows after the periods: the summary, the 分布检验 row (or -1) and the first 预选 row.
    int summaryRowCount() const;
    int testRow() const;
    int firstMarkRow() const;
    // On a 预选 row's value cell: marks the value, or takes the mark away. The marks of each kind
    // and position stay while the program runs.
    void toggleMark(const QModelIndex& index);
    void clearMarks();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QVariant periodData(size_t row, int column, int role) const;
    QVariant summaryData(size_t summaryRow, int column, int role) const;
    QVariant markData(size_t markRow, int column, int role) const;
    // The marks of the subject shown: per 预选 row, the values marked.
    using Marks = std::array<std::set<int>, kMarkRows>;
    const Marks* shownMarks() const;
    void emitValueCells(int firstRow, int lastRow);

    const Workspace& workspace_;
    std::shared_ptr<const search::OmissionTable> table_;
    TrendSubject subject_;
    bool hideNumbers_ = false;
    bool layered_ = false;
    // Keyed by the kind (or 100 + the shape) and the position.
    std::map<std::pair<int, int>, Marks> marks_;
};

// Paints a carrying cell as a coloured ball with the value.
class TrendDelegate : public OwnTextDelegate {
    Q_OBJECT
  public:
    using OwnTextDelegate::OwnTextDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

class TrendTable;

class TrendView : public QWidget {
    Q_OBJECT
  public:
    // The span presets, in the order of their chooser; Custom is what the span boxes hold.
    enum class Preset { Last30, Last50, Last100, Last200, Today, Yesterday, All, Custom };

    explicit TrendView(Workspace& workspace, QWidget* parent = nullptr);

    // After the stored draws or the settings changed: the table follows when shown.
    void historyChanged();
    TrendModel* model() const { return model_; }
    // The width that shows every column of the table beside its scroll bar.
    int preferredWidth() const;
    // The value whose omission the chart shows, or -1.
    int chartedValue() const { return chartedValue_; }

  protected:
    void showEvent(QShowEvent* event) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void rebuild();
    void onSpanEdited();
    void onPresetChosen();
    // Sets the span boxes to the preset's span of the history as it is now.
    void applyPreset(Preset preset);
    void showChart(int v);
    QString chartTip(const QPoint& position) const;
    void fitColumns();
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
    TrendTable* table_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* note_ = nullptr;
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
    Preset preset_ = Preset::All;
    // What the table shown was made for: the game, the kind and the span.
    QString shownFor_;
    int chartedValue_ = -1;
};

} // namespace app::gui
