// The search options, the target panel, the span boxes and the settings menus.

#include "app/gui/main_window.h"

#include "app/gui/history_model.h"
#include "app/workspace.h"

#include <QAction>
#include <QCursor>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

namespace app::gui {

void MainWindow::connectOptions() {
    for (int i = 0; i < 4; ++i)
        connect(Option1_[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    for (int i = 0; i < 6; ++i) {
        connect(Option3_[i], &QRadioButton::clicked, this, [this, i] { Option3_Click(i); });
        connect(Option4_[i], &QRadioButton::clicked, this, [this, i] { Option4_Click(i); });
    }
    connect(Option2_4_, &QRadioButton::clicked, this, &MainWindow::Option2_Click);
    connect(Option2_5_, &QRadioButton::clicked, this, &MainWindow::Option2_Click);
    connect(TabStrip1_, &QTabWidget::currentChanged, this, &MainWindow::TabStrip1_Click);
    // A typed target counts from the moment it is typed, as it would on leaving the box.
    for (QLineEdit* text : Text22_)
        connect(text, &QLineEdit::textChanged, this, &MainWindow::TabStrip1_Click);
    for (QLineEdit* text : Text3_)
        connect(text, &QLineEdit::textEdited, this, &MainWindow::Text3_Change);
    connect(Command9_, &QPushButton::clicked, this, &MainWindow::Command9_Click);
    connect(MSFlexGrid1_, &QTableView::customContextMenuRequested, this,
            &MainWindow::MSFlexGrid1_MouseUp);
}

void MainWindow::connectMenus() {
    for (int i = 0; i < 4; ++i)
        connect(mnu11S5_[i], &QAction::triggered, this, [this, i] { mnu11S5_Click(i); });
    for (int i = 0; i < 2; ++i) {
        connect(mnuSxcs_[i], &QAction::triggered, this, [this, i] { mnuSxcs_Click(i); });
        connect(mnuDscs_[i], &QAction::triggered, this, [this, i] { mnuDscs_Click(i); });
        connect(mnuSxsetup_[i], &QAction::triggered, this, [this, i] { mnuSxsetup_Click(i); });
    }
}

void MainWindow::Option1_Click(int index) {
    workspace_.Option1_Click(index);
    showTargets();
    showSpan();
}

void MainWindow::Option2_Click() {
    // The number order selects nothing; the targets are reloaded as they are.
    workspace_.LoadTargets();
    showTargets();
}

void MainWindow::Option3_Click(int index) {
    workspace_.Option3_Click(index);
    showTargets();
}

void MainWindow::Option4_Click(int index) {
    workspace_.Option4_Click(index);
}

std::array<std::string, 5> MainWindow::typedTargets() const {
    std::array<std::string, 5> typed;
    for (int k = 0; k < 5; ++k) typed[k] = Text22_[k]->text().toStdString();
    return typed;
}

void MainWindow::TabStrip1_Click() {
    workspace_.setTargetTab(TabStrip1_->currentIndex() == 1, typedTargets());
}

void MainWindow::Text3_Change() {
    workspace_.setSpan(Text3_[0]->text().toStdString(), Text3_[1]->text().toStdString());
}

void MainWindow::Command9_Click() {
    mnuSetup_->popup(QCursor::pos());
}

void MainWindow::MSFlexGrid1_MouseUp(const QPoint& position) {
    mnuLsgl_->popup(MSFlexGrid1_->viewport()->mapToGlobal(position));
}

void MainWindow::mnu11S5_Click(int index) {
    workspace_.mnu11S5_Click(index);
    updateMenuChecks();
    // The period column is eight or ten digits by game.
    MSFlexGrid1_->viewport()->update();
}

void MainWindow::mnuSxcs_Click(int index) {
    workspace_.mnuSxcs_Click(index);
    updateMenuChecks();
}

void MainWindow::mnuDscs_Click(int index) {
    workspace_.mnuDscs_Click(index);
    updateMenuChecks();
}

void MainWindow::mnuSxsetup_Click(int index) {
    workspace_.mnuSxsetup_Click(index);
    updateMenuChecks();
}

} // namespace app::gui
