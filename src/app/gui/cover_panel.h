#pragma once
// The 旋转矩阵 part of the shrink tab: a pool chosen on a number pad, the play and m (中m保中), the
// matrix's tickets and how they compare with the full 复式 and the lower bound. The shrink tab's
// conditions can thin the matrix; the m-subsets it then no longer covers are counted.

#include "app/shrink_service.h"

#include <QGroupBox>

#include <array>
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

class CoverPanel : public QGroupBox {
    Q_OBJECT
  public:
    // `conditions` fills a request with the tab's conditions (an error text when it cannot).
    CoverPanel(Workspace& workspace, Prompter& prompter,
               std::function<QString(ShrinkRequest&)> conditions, QWidget* parent = nullptr);

  private:
    void onPlayChanged();
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
};

} // namespace app::gui
