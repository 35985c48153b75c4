#pragma once
// Progress of long work in a modal dialog with a cancel button, shown at once so that nothing else
// in the window can be started meanwhile. Short work shows no dialog and lets no events through.

#include "history/progress.h"

#include <QProgressDialog>
#include <QString>

#include <algorithm>
#include <climits>
#include <memory>

namespace app::gui {

class DialogProgress : public history::Progress {
  public:
    DialogProgress(QWidget* parent, const QString& label) : parent_(parent), label_(label) {}
    void setTotal(std::size_t total) override {
        // Work in two phases (reading a file, then storing its draws) keeps one dialog.
        if (dialog_) {
            dialog_->setMaximum(static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
            dialog_->setValue(0);
            return;
        }
        if (total < kDialogFrom) return;
        dialog_ = std::make_unique<QProgressDialog>(label_, QStringLiteral("取消"), 0,
                                                    static_cast<int>(total), parent_);
        dialog_->setWindowTitle(QStringLiteral("请稍候"));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoReset(false);
        dialog_->setAutoClose(false);
        dialog_->setValue(0);
    }
    bool advance(std::size_t done) override {
        if (!dialog_) return true;
        // A modal dialog repaints and takes the cancel click here.
        dialog_->setValue(static_cast<int>(done));
        return !dialog_->wasCanceled();
    }

  private:
    static constexpr std::size_t kDialogFrom = 20000;
    QWidget* parent_;
    QString label_;
    std::unique_ptr<QProgressDialog> dialog_;
};

} // namespace app::gui
