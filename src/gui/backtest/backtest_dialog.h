#pragma once
// The back-test dialog (回测): which search to test, how many periods and how many top values,
// the run with its progress and cancel, then the table of figures and the chart of successes
// against chance over the tested periods. Changes nothing stored.

#include "search/search_request.h"
#include "workspace/backtest_service.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>
#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableView;

namespace app::gui {

class BackgroundWork;
class BacktestChart;
class BacktestModel;
class Prompter;
class ResultNote;

// What the user chose in the dialog, kept for its next opening.
struct BacktestChoice {
    search::SearchType type = search::SearchType::Pattern;
    BacktestOptions options;
};

// What the dialog tests: the positions of the pattern search and, in words, the two searches
// and the rules they share.
struct BacktestSubject {
    std::array<bool, 5> positions{};
    QString patternText;
    QString combinationText;
    QString rulesText;
};

class BacktestDialog : public QDialog {
    Q_OBJECT
  public:
    BacktestDialog(QWidget* parent, const Workspace& workspace, BacktestService& service,
                   Prompter& prompter, BacktestSubject subject, const BacktestChoice& choice);

    BacktestChoice choice() const;
    bool running() const { return running_; }

    // The window took in a change of the stored draws (it defers those of other processes while
    // the dialog is up): figures shown grey, saying so, until the next run.
    void historyChanged();

  public slots:
    // Closing while a run goes on cancels it and closes once it has stopped.
    void reject() override;

  private:
    void buildLayout(const BacktestChoice& choice);
    void run();
    void setRunning(bool running);
    void showResult(std::shared_ptr<const search::BacktestResult> result);
    void showK(int k);

    const Workspace& workspace_;
    BacktestService& service_;
    Prompter& prompter_;
    BacktestSubject subject_;
    bool running_ = false;
    BackgroundWork* work_ = nullptr; // the run going on
    bool closeAfterRun_ = false;

    QRadioButton* patternButton_ = nullptr;
    QRadioButton* combinationButton_ = nullptr;
    QSpinBox* stepsBox_ = nullptr;
    QSpinBox* topBox_ = nullptr;
    QPushButton* runButton_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableView* table_ = nullptr;
    BacktestModel* model_ = nullptr;
    QComboBox* kBox_ = nullptr;
    BacktestChart* chart_ = nullptr;
    ResultNote* note_ = nullptr;
    BacktestChoice resultChoice_; // what the figures shown were run with
    int resultGame_ = 0;
    std::uint64_t resultVersion_ = 0;
};

} // namespace app::gui
