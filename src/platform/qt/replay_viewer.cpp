// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Opening a replay to watch it in the replay window.
#include "platform/qt/replay_viewer.h"

#include <QFile>
#include <QMessageBox>
#include <optional>
#include <string>
#include <utility>

#include "platform/qt/replay_cli.h"
#include "replay/replay_file.h"

namespace brivane {

void openReplayViewer(const QString& path, QWidget* parent) {
    std::string error;
    std::optional<Replay> replay = loadReplay(QFile::encodeName(path).toStdString(), error);
    if (!replay) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Brivane"),
                        QStringLiteral("Cannot watch this replay.\n%1")
                            .arg(QString::fromLocal8Bit(error.c_str())),
                        QMessageBox::Ok, parent);
        box.setObjectName(QStringLiteral("replayRefused"));
        box.setTextFormat(Qt::PlainText);
        box.exec();
        return;
    }
    auto* window = new ReplayWindow(std::move(*replay));
    window->setAttribute(Qt::WA_DeleteOnClose);
}

}  // namespace brivane
