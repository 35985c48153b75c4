#pragma once
// The plays tab (玩法): a play's omission table over the whole history, sortable by every column
// with the coldest tickets marked, and the money back-test of a way of picking its tickets with
// the running net against what chance gives and the band of random tickets.

#include "workspace/play_service.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTableView;

namespace app {
class Workspace;
}

namespace app::gui {

class Prompter;
class ResultNote;

class PlayTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The value a column sorts by.
    static constexpr int SortRole = Qt::UserRole + 1;

    PlayTableModel(const Workspace& workspace, QObject* parent = nullptr)
        : QAbstractTableModel(parent), workspace_(workspace) {}
    void setTable(std::unique_ptr<play::PlayTable> table);
    const play::PlayTable* table() const { return table_.get(); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const Workspace& workspace_;
    std::unique_ptr<play::PlayTable> table_;
    std::int64_t coldest_ = -1;
};

class PlayView : public QWidget {
    Q_OBJECT
  public:
    PlayView(Workspace& workspace, Prompter& prompter, QWidget* parent = nullptr);
    ~PlayView() override;

    // Where the search rule takes the positions 检索 compares.
    void setPositionSource(std::function<std::array<bool, 5>()> positions) {
        positions_ = std::move(positions);
    }
    // The history changed: the table follows when it is shown, else when next shown.
    void historyChanged();
    int preferredWidth() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void refreshTable();
    void onRuleChanged();
    // The bet as the form sets it.
    BetRequest betRequest() const;
    void runBet();
    void showBet(const BetResult& result);
    play::Play chosenPlay() const;
    // What the back-test's boxes ask for, to tell whether the figures shown still answer it.
    QString betInputs() const;
    void betInputsChanged();

    Workspace& workspace_;
    Prompter& prompter_;
    std::unique_ptr<SearchService> searches_;
    std::unique_ptr<PlayService> service_;
    std::function<std::array<bool, 5>()> positions_;
    bool stale_ = true;
    int sortedColumn_ = -1;

    QComboBox* playBox_ = nullptr;
    QLabel* tableNote_ = nullptr;
    PlayTableModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    QComboBox* ruleBox_ = nullptr;
    QLineEdit* ticketsBox_ = nullptr;
    QSpinBox* stepsBox_ = nullptr;
    QSpinBox* randomBox_ = nullptr;
    QSpinBox* seedBox_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QLabel* figures_ = nullptr;
    QChartView* chart_ = nullptr;
    ResultNote* betNote_ = nullptr;
    // What the figures shown were computed for: the boxes, the game and the history's version.
    QString betShownFor_;
    int betGame_ = 0;
    std::uint64_t betVersion_ = 0;
};

} // namespace app::gui
