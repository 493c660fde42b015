// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt tests need an application object for widgets, fonts and sockets.
#include <cstdio>
#include <cstdlib>

#include "qt_test_support.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    // Never the real update server, whose reply could open a dialog: a closed port fails quietly.
    qputenv("BRIVANE_UPDATE_SERVER", "127.0.0.1:1");
    // Nor touch the user's own files: the scores file falls back to the data folder.
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Qt Multimedia's clean-up can wait for ever on a sample still loading; the game ends so too.
    home.remove();
    std::fflush(nullptr);
    std::_Exit(result);
}
