// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The table of best games in a window of its own: the ten games best first, one row open for
// its name when a game has just entered, and a button that clears the table.
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "platform/best_games_table.h"

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace brivane {

class BestGamesWindow : public QDialog {
    Q_OBJECT
  public:
    BestGamesWindow(const BestGamesView& view, QWidget* parent);

    // OK (or Enter) with a row open for its name, and Clear once the player said Yes.
    std::function<void(const std::string&)> onNamed;
    std::function<void()> onCleared;
    // The kept replay of each row (empty for a row without one): those rows get a Watch
    // button, which hands on the replay's path.
    void setReplays(const std::vector<QString>& paths);
    std::function<void(const QString&)> onWatch;

    QTableWidget* table() const { return table_; }
    QLineEdit* nameEdit() const { return nameEdit_; }
    QPushButton* clearButton() const { return clear_; }
    // Clear's question: on Yes the rows go and the game is told.
    void askToClear();

  private:
    void finishNaming();

    QTableWidget* table_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QPushButton* clear_ = nullptr;
    bool named_ = false;
};

}  // namespace brivane
