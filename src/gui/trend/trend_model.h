#pragma once
// The trend table's model: one row per period of a span with the draw and, per value, its
// omission or a ball where the period carries it; summary rows and three rows where the player
// marks the values expected next close the table. It shows one kind at a position (or any), or
// one shape of the whole draw; or a chart of several groups of values side by side: the basic
// chart (the eleven numbers with the shape columns of each draw) and the chart by position (the
// eleven numbers at each of the five positions). The charts count every omission from the whole
// history, repeat their heading under the summary rows (the chart by position with its band of
// positions), and the basic chart adds rows of its sums and spans and marks repeats and
// consecutive numbers. Rows are read from OmissionTables on demand, so a history of 300,000
// periods scrolls like one of 30.

#include "history/attributes.h"
#include "search/basic_trend.h"
#include "search/omission.h"
#include "search/shape.h"

#include <QAbstractTableModel>

#include <array>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace app {
class Workspace;
}

namespace app::gui {

// The charts of several groups; Single is one kind or shape.
enum class TrendChart { Single, Basic, Positions };

// What the table counts: a kind at a position (0 for any), or a shape of the whole draw, or one
// of the charts.
struct TrendSubject {
    history::Kind kind = history::Number;
    int position = 0;
    std::optional<search::Shape> shape;
    int zodiacBase = 1;
    TrendChart chart = TrendChart::Single;
    bool operator==(const TrendSubject&) const = default;
};

class TrendModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // True on a value cell of a period that carries the value.
    static constexpr int CarriesRole = Qt::UserRole + 1;
    // True on a value cell of a 预选 row that the player marked.
    static constexpr int MarkedRole = Qt::UserRole + 2;
    // True on a carrying cell of the basic chart whose number the period before drew too (重号),
    // or that has a number next to it drawn in the same period (连号).
    static constexpr int RepeatRole = Qt::UserRole + 3;
    static constexpr int ConsecutiveRole = Qt::UserRole + 4;
    // 出现次数, 平均遗漏, 最大遗漏, 当前遗漏, 最大连出, 近10期出现; a 分布检验 row follows where
    // each period carries one value.
    static constexpr int kSummaryRows = 6;
    // The charts count 最大遗漏 and 当前遗漏 over the whole history, each with a row of the
    // span's own under it (本段最大, 本段当前: empty where the same), and add 理论次数, 欲出几率
    // and 冷温热 instead of the test.
    static constexpr int kChartSummaryRows = kSummaryRows + 5;
    // The basic chart then has a row of its sums (和值) and one of its spans (跨度).
    static constexpr int kShapeSummaryRows = 2;
    // The 预选 rows under the summary.
    static constexpr int kMarkRows = 3;
    // The columns before the values: the period and the draw.
    static constexpr int kLeadColumns = 2;
    // The periods 近10期出现 looks back over.
    static constexpr size_t kRecentPeriods = 10;

    explicit TrendModel(const Workspace& workspace, QObject* parent = nullptr);

    // One kind or shape.
    void setTable(std::shared_ptr<const search::OmissionTable> table, const TrendSubject& subject);
    // The basic chart.
    void setBasic(std::shared_ptr<const search::BasicTrend> basic, const TrendSubject& subject);
    // The chart by position: the numbers' tables of positions 1..5.
    void setPositions(std::vector<std::shared_ptr<const search::OmissionTable>> tables,
                      const TrendSubject& subject);

    // The first group's table (the only one but in the chart by position).
    const search::OmissionTable* table() const {
        return groups_.empty() ? nullptr : groups_.front().table.get();
    }
    const TrendSubject& subject() const { return subject_; }
    int groupCount() const { return static_cast<int>(groups_.size()); }
    const search::OmissionTable* groupTable(int group) const;
    int groupFirstColumn(int group) const;
    // The group and value index of a value column.
    std::optional<std::pair<int, size_t>> valueOfColumn(int column) const;
    // The columns of the basic chart's shapes (search::kBasicShapes), from this one; -1 if none.
    int firstShapeColumn() const;
    int periods() const;

    void setHideNumbers(bool hide);
    // Shades each value's cells after its last carrying period (遗漏分层).
    void setLayered(bool layered);
    // The text of a value of the first group as the headers and balls show it.
    QString valueLabel(size_t v) const { return valueLabel(0, v); }
    QString valueLabel(int group, size_t v) const;
    // The kind (with its position) or shape, as the tooltips and the chart name it.
    QString subjectText() const { return subjectText(0); }
    QString subjectText(int group) const;

    // The rows after the periods: the summary, the 分布检验 row (or -1), the 和值 and 跨度 rows
    // (or -1), the heading repeated (or -1; in the chart by position the band of positions under
    // it) and the first 预选 row.
    int summaryRowCount() const;
    int testRow() const;
    int sumRow() const;
    int spanRow() const { return sumRow() < 0 ? -1 : sumRow() + 1; }
    int headingRow() const;
    int headingRowCount() const;
    int firstMarkRow() const;
    // The heading of a group of the charts by position ("第1位"), empty otherwise.
    QString groupTitle(int group) const;
    // On a 预选 row's value cell: marks the value, or takes the mark away. The marks of each kind
    // and position stay while the program runs.
    void toggleMark(const QModelIndex& index);
    void clearMarks();
    // Every mark as text, and the marks back from it (false, nothing changed, for text that
    // cannot be read).
    QString marksText() const;
    bool setMarksText(const QString& text);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct Group {
        std::shared_ptr<const search::OmissionTable> table;
        int position = 0; // of the numbers in the chart by position; the subject's otherwise
        int firstColumn = kLeadColumns;
    };
    // The marks of one group: per 预选 row, the values marked.
    using Marks = std::array<std::set<int>, kMarkRows>;
    using MarksKey = std::pair<int, int>;

    void setGroups(std::vector<Group> groups, const TrendSubject& subject);
    bool isChart() const { return subject_.chart != TrendChart::Single; }
    QVariant periodData(size_t row, int column, int role) const;
    QVariant shapeData(size_t row, int column, int role) const;
    QVariant summaryData(size_t summaryRow, int column, int role) const;
    QVariant shapeSummaryData(bool sums, int column, int role) const;
    QVariant headingData(size_t headingRow, int column, int role) const;
    QVariant markData(size_t markRow, int column, int role) const;
    QVariant valueHeader(int group, size_t v, int role) const;
    // The tooltips of a value's 欲出几率 and 冷温热.
    QString ratioTip(int group, size_t v) const;
    QString heatTip(int group, size_t v) const;
    MarksKey marksKey(int group) const;
    const Marks* shownMarks(int group) const;
    void emitValueCells(int firstRow, int lastRow);

    const Workspace& workspace_;
    std::vector<Group> groups_;
    std::shared_ptr<const search::BasicTrend> basic_;
    TrendSubject subject_;
    bool hideNumbers_ = false;
    bool layered_ = false;
    // Keyed by the kind (or 100 + the shape, or 200 + the chart) and the position.
    std::map<MarksKey, Marks> marks_;
};

} // namespace app::gui
