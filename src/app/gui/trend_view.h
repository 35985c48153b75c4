#pragma once
// The trend view (走势图): for one kind at one position (or any) over a span of the history, one
// row per period with the draw and, per value, its omission or a ball where the period carries
// it; five summary rows close the table. Rows are read from an OmissionTable on demand, so a
// history of 300,000 periods scrolls like one of 30. A chart shows the omission of a clicked
// value over the span's last periods.

#include "history/attributes.h"
#include "search/omission.h"

#include "app/gui/own_text_delegate.h"
#include <QAbstractTableModel>
#include <QWidget>

#include <cstdint>
#include <memory>

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

class TrendModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // True on a value cell of a period that carries the value.
    static constexpr int CarriesRole = Qt::UserRole + 1;
    // 出现次数, 平均遗漏, 最大遗漏, 当前遗漏, 最大连出.
    static constexpr int kSummaryRows = 5;
    // The columns before the values: the period and the draw.
    static constexpr int kLeadColumns = 2;

    explicit TrendModel(const Workspace& workspace, QObject* parent = nullptr);

    void setTable(std::shared_ptr<const search::OmissionTable> table, history::Kind kind,
                  int zodiacBase);
    const search::OmissionTable* table() const { return table_.get(); }
    void setHideNumbers(bool hide);
    // The text of a value as the headers and balls show it.
    QString valueLabel(size_t v) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    QVariant summaryData(size_t summaryRow, int column, int role) const;

    const Workspace& workspace_;
    std::shared_ptr<const search::OmissionTable> table_;
    history::Kind kind_ = history::Number;
    int zodiacBase_ = 1;
    bool hideNumbers_ = false;
};

// Paints a carrying cell as a coloured ball with the value.
class TrendDelegate : public OwnTextDelegate {
    Q_OBJECT
  public:
    using OwnTextDelegate::OwnTextDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

class TrendView : public QWidget {
    Q_OBJECT
  public:
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

  private:
    void rebuild();
    void onSpanEdited();
    void showChart(int v);
    void fitColumns();

    Workspace& workspace_;
    TrendModel* model_ = nullptr;
    QComboBox* kindBox_ = nullptr;
    QComboBox* positionBox_ = nullptr;
    QLineEdit* fromBox_ = nullptr;
    QLineEdit* toBox_ = nullptr;
    QCheckBox* hideNumbers_ = nullptr;
    QTableView* table_ = nullptr;
    QChartView* chart_ = nullptr;
    QLabel* note_ = nullptr;

    // What the table was built from; a difference asks for a rebuild.
    struct Built {
        std::uint64_t version = 0;
        int kind = -1, position = -1, start = -1, end = -1, zodiacBase = -1, segmentBase = -1;
        bool operator==(const Built&) const = default;
    };
    Built built_;
    bool dirty_ = true;
    // The span boxes follow the history's first and newest periods until the user edits them.
    bool fromFollows_ = true;
    bool toFollows_ = true;
    int chartedValue_ = -1;
};

} // namespace app::gui
