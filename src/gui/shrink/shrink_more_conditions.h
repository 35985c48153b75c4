#pragma once
// The shrink tab's further conditions: groups of 胆 each "出 m–n 个", AC值, 和尾, the smallest and
// largest number, the 直选 position patterns, and the tolerance (容错) of the whole filter.

#include "workspace/shrink_service.h"

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QSpinBox;

namespace app::gui {

class ShrinkMoreConditions : public QGroupBox {
    Q_OBJECT
  public:
    explicit ShrinkMoreConditions(QWidget* parent = nullptr);

    // Ranges for the play's ticket size; the patterns only for 直选.
    void setPlay(play::Play play);
    // Adds the checked conditions and the tolerance; an error text when a box cannot be read.
    QString addTo(ShrinkRequest& request) const;

  signals:
    void changed();

  private:
    struct Range {
        play::ConditionKind kind;
        QCheckBox* use = nullptr;
        QSpinBox* low = nullptr;
        QSpinBox* high = nullptr;
    };

    play::Play play_ = play::Play::Any5;
    QLineEdit* groups_ = nullptr;
    std::vector<Range> ranges_;
    QCheckBox* tailUse_ = nullptr;
    QLineEdit* tails_ = nullptr;
    std::vector<std::pair<play::ConditionKind, QLineEdit*>> patterns_;
    QSpinBox* tolerance_ = nullptr;
};

// Reads "01,02,03:1-2; 04,05:1" into 胆组 conditions; an error text when a group cannot be read.
QString parseDanGroups(const QString& text, std::vector<play::Condition>& out);

} // namespace app::gui
