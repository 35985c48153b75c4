#pragma once
// The 旋转矩阵 part of the shrink tab: a pool chosen on a number pad, the play and m (中m保中), the
// matrix's tickets and how they compare with the full 复式 and the lower bound. The shrink tab's
// conditions can thin the matrix; the m-subsets it then no longer covers are counted.

#include "workspace/shrink_service.h"

#include <QGroupBox>

#include <array>
#include <cstdint>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace app {
class Workspace;
}

namespace app::gui {

class Prompter;
class ResultNote;

class CoverPanel : public QGroupBox {
    Q_OBJECT
  public:
    // `conditions` fills a request with the tab's conditions (an error text when it cannot).
    CoverPanel(Workspace& workspace, Prompter& prompter,
               std::function<QString(ShrinkRequest&)> conditions, QWidget* parent = nullptr);

    // The stored draws changed: a matrix thinned by the tab's conditions (some of which look at
    // the history) says it may no longer be what they give.
    void historyChanged();

  private:
    // What the matrix shown was made from: the play, m, the pool and whether it was thinned.
    struct Inputs {
        int play = -1;
        int m = 0;
        std::uint32_t pool = 0;
        bool withConditions = false;
        bool operator==(const Inputs&) const = default;
    };
    Inputs inputs() const;
    void onPlayChanged();
    void inputsChanged();
    void build();

    Workspace& workspace_;
    Prompter& prompter_;
    std::function<QString(ShrinkRequest&)> conditions_;
    play::Play play_ = play::Play::Any3;
    std::vector<std::uint32_t> tickets_;
    QComboBox* playBox_ = nullptr;
    QSpinBox* m_ = nullptr;
    std::array<QPushButton*, 11> pool_{};
    QCheckBox* withConditions_ = nullptr;
    QLabel* counts_ = nullptr;
    QPlainTextEdit* list_ = nullptr;
    ResultNote* note_ = nullptr;
    Inputs shownFor_;
    int shownGame_ = 0;
    std::uint64_t shownVersion_ = 0;
};

} // namespace app::gui
