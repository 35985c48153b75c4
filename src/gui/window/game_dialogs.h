#pragma once
// The games' dialogs: 更多游戏… (every game known, searchable by name, alias, key or code; the
// one chosen is switched to) and 设置 → 游戏与开奖时间 (every game's schedule and aliases, and the
// games followed in the game menu; changes go through the GameService, refusals stay on screen).

#include "history/period.h"

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QTableWidget;

namespace app {
class Workspace;
}

namespace app::gui {

class GameListDialog : public QDialog {
  public:
    explicit GameListDialog(QWidget* parent);

    // The game chosen (double-click, or 切换 on the current row).
    std::optional<history::Game> chosen() const { return chosen_; }
    // Shows only the games whose name, aliases, key or code hold the text.
    void filter(const QString& text);

  private:
    void choose();

    QLineEdit* search_ = nullptr;
    QListWidget* list_ = nullptr;
    std::optional<history::Game> chosen_;
};

class GameTimesDialog : public QDialog {
  public:
    GameTimesDialog(Workspace& workspace, QWidget* parent);

    // Stores what was changed: each game's schedule (a refused one is named in the note and
    // nothing of it stored) and the games followed. True when everything was stored.
    bool save();
    // What the last save said.
    QString note() const;

  private:
    void fill();

    Workspace& workspace_;
    QTableWidget* table_ = nullptr;
    QLabel* note_ = nullptr;
};

} // namespace app::gui
