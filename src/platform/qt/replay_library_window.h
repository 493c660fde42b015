// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// File > Replays...: the kept replays, newest first, each with a small picture of its last
// moments, when it ended, its score, the level reached, how long it was played and whether it
// is in the table of best games; and Watch, Save As..., Delete (after asking) and Open File...
#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <vector>

#include "platform/platform.h"
#include "replay/library.h"

class QPushButton;
class QTableWidget;

namespace brivane {

class ReplayLibraryWindow : public QDialog {
    Q_OBJECT
  public:
    // `folder` is where `pf` keeps the replays, for the paths the viewer and copies need.
    ReplayLibraryWindow(Platform& pf, QString folder, QWidget* parent);

    // Reads the folder again and shows what is there now.
    void refresh();
    QTableWidget* table() const { return table_; }
    const std::vector<KeptReplay>& replays() const { return replays_; }
    QString pathOf(const KeptReplay& replay) const;

    // The row selected, -1 for none.
    int selectedRow() const;
    void watch();
    void saveAs();
    void askToDelete();
    void openFile();

    // Where Save As... and Open File... ask for a file (the file dialogs; tests answer them).
    std::function<QString(const QString& suggested)> askSavePath;
    std::function<QString()> askOpenPath;

  private:
    void selectionChanged();

    Platform& pf_;
    QString folder_;
    std::vector<KeptReplay> replays_;
    QTableWidget* table_ = nullptr;
    QPushButton* watch_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* delete_ = nullptr;
};

}  // namespace brivane
