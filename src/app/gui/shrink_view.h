#pragma once
// The shrink tab (缩水): a play, the 胆/杀 number pad and the conditions with their ranges; the
// tickets left counted as they change, how often each condition held against how much it keeps,
// the ticket list to copy or save, and the money of buying the shrunk bet every period.

#include "app/shrink_service.h"

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

class Prompter;

class ShrinkView : public QWidget {
    Q_OBJECT
  public:
    ShrinkView(Workspace& workspace, Prompter& prompter, QWidget* parent = nullptr);
    ~ShrinkView() override;

    // The history changed: the counts follow when shown, else when next shown.
    void historyChanged();
    int preferredWidth() const { return 780; }

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

    Workspace& workspace_;
    Prompter& prompter_;
    std::unique_ptr<ShrinkService> service_;
    bool stale_ = true;
    // 0: neither, 1: 胆, 2: 杀, for 01..11.
    std::array<int, 11> pad_{};
    std::string ticketsText_;

    QComboBox* playBox_ = nullptr;
    std::array<QPushButton*, 11> padButtons_{};
    QSpinBox* danAtLeast_ = nullptr;
    std::vector<RangeRow> ranges_;
    QCheckBox* routeUse_ = nullptr;
    QLineEdit* routes_ = nullptr;
    QCheckBox* excludeUse_ = nullptr;
    QSpinBox* exclude_ = nullptr;
    QSpinBox* window_ = nullptr;
    QLabel* count_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPlainTextEdit* tickets_ = nullptr;
    QSpinBox* steps_ = nullptr;
    QSpinBox* randomRuns_ = nullptr;
    QPushButton* backtestButton_ = nullptr;
    QLabel* figures_ = nullptr;
    QChartView* chart_ = nullptr;
};

} // namespace app::gui
