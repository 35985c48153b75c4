#pragma once
// The shrink tab (缩水): a play, the 胆/杀 number pad and the conditions with their ranges; the
// tickets left counted as they change, how often each condition held against how much it keeps,
// the ticket list to copy or save, and the money of buying the shrunk bet every period.

#include "workspace/shrink_service.h"

#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QChartView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace app {
class Workspace;
}

namespace app::gui {

class CoverPanel;
class Prompter;
class ShrinkMoreConditions;
class ResultNote;
class WindowState;

class ShrinkView : public QWidget {
    Q_OBJECT
  public:
    ShrinkView(Workspace& workspace, Prompter& prompter, QWidget* parent = nullptr);
    ~ShrinkView() override;

    // The history changed: the counts follow when shown, else when next shown.
    void historyChanged();
    int preferredWidth() const { return 780; }

    // The play, the pad and the conditions as the player left them.
    void saveState(WindowState& state) const;
    void restoreState(const WindowState& state);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    struct RangeRow {
        play::ConditionKind kind;
        QCheckBox* use = nullptr;
        QSpinBox* low = nullptr;
        QSpinBox* high = nullptr;
    };

    void onPlayChanged();
    void cycleNumber(int number);
    // The request of the boxes; an error text when one cannot be read.
    QString request(ShrinkRequest& request) const;
    void recount();
    void runBacktest();
    void copyTickets();
    void saveTickets();
    // The conditions of the boxes as text, to tell whether the back-test shown still belongs to
    // them; empty when the boxes cannot be read.
    QString conditionsText() const;

    Workspace& workspace_;
    Prompter& prompter_;
    std::unique_ptr<ShrinkService> service_;
    bool stale_ = true;
    // 0: neither, 1: 胆, 2: 杀, for 01..11.
    std::array<int, 11> pad_{};
    std::string ticketsText_;
    play::Play keptPlay_ = play::Play::Any5;
    std::vector<std::uint32_t> kept_;

    QComboBox* playBox_ = nullptr;
    std::array<QPushButton*, 11> padButtons_{};
    QSpinBox* danAtLeast_ = nullptr;
    std::vector<RangeRow> ranges_;
    QCheckBox* routeUse_ = nullptr;
    QLineEdit* routes_ = nullptr;
    QCheckBox* excludeUse_ = nullptr;
    QSpinBox* exclude_ = nullptr;
    ShrinkMoreConditions* more_ = nullptr;
    QComboBox* format_ = nullptr;
    QLabel* ticketNote_ = nullptr;
    CoverPanel* cover_ = nullptr;
    QSpinBox* window_ = nullptr;
    QLabel* count_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPlainTextEdit* tickets_ = nullptr;
    QSpinBox* steps_ = nullptr;
    QSpinBox* randomRuns_ = nullptr;
    QPushButton* backtestButton_ = nullptr;
    QLabel* figures_ = nullptr;
    QChartView* chart_ = nullptr;
    // What the counts and tickets were computed for, and the back-test with what it was run for.
    ResultNote* countNote_ = nullptr;
    ResultNote* backtestNote_ = nullptr;
    QString backtestFor_;
    int backtestGame_ = 0;
    std::uint64_t backtestVersion_ = 0;
};

} // namespace app::gui
