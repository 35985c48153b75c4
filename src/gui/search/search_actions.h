#pragma once
// The search buttons of the window: 检索(&S) and 组合检索(&G), the combination size box, the two
// result grids and the tally chart. Finds its controls in the window by name.

#include "workspace/search_service.h"

#include <QObject>

#include <array>
#include <memory>

class QComboBox;
class QTableView;

namespace app::gui {

class HitModel;
class MainWindow;
class Prompter;
class ResultNote;
class TallyChart;
class TallyModel;

class SearchActions : public QObject {
    Q_OBJECT
  public:
    SearchActions(MainWindow& window, Workspace& workspace, Prompter& prompter);

    const SearchResult* lastResult() const { return last_.get(); }
    SearchService& service() { return service_; }

    // The positions 检索 compares: the check boxes of the target tab in use.
    std::array<bool, 5> chosenPositions() const;
    // Stores the size typed into the combination box; false (and told) when it is refused.
    bool takeCombinationSize();

  private:
    void onSearchClicked();
    void onCombinationSearchClicked();
    void show(SearchResult result, const Outcome& outcome);
    void reportWriteProblem();
    // The note over the grids: what the result shown was searched for, and whether the options,
    // targets, span or history shown now still give it. Checked once the handlers of a change ran.
    void watchInputs();
    void scheduleInputCheck();
    void checkInputs();
    QString resultText() const;

    MainWindow& window_;
    Workspace& workspace_;
    Prompter& prompter_;
    SearchService service_;
    std::shared_ptr<const SearchResult> last_;
    QComboBox* combo_ = nullptr;
    QTableView* hitGrid_ = nullptr;
    QTableView* tallyGrid_ = nullptr;
    HitModel* hitModel_ = nullptr;
    TallyModel* tallyModel_ = nullptr;
    TallyChart* chart_ = nullptr;
    ResultNote* note_ = nullptr;
    // The history's version when the result shown was searched.
    std::uint64_t searchedVersion_ = 0;
    bool checkPending_ = false;
    // A history that can only be read keeps no search's state: told in a box once.
    bool readOnlyTold_ = false;
};

} // namespace app::gui
