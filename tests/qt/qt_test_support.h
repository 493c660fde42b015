// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Scaffolding shared by the Qt tests: a platform whose settings live in a scratch folder, a game
// on it with its handlers, and small file helpers.
#pragma once

#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "core/game.h"
#include "core/wired_game.h"
#include "platform/qt/qt_platform.h"

namespace brivane::test {

// Settings in a scratch file, and a program end that leaves the test run going.
inline QtPlatform::Options testOptions(const QTemporaryDir& dir) {
    QtPlatform::Options options;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.userDataFolder = dir.filePath(QStringLiteral("data"));
    options.exitProcessOnEnd = false;
    return options;
}

inline QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(bytes);
    return path;
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

// A game on a Qt platform whose settings live in a scratch folder.
template <class Platform = QtPlatform, class Events = GameEvents>
struct QtGame {
    QTemporaryDir dir;
    Platform pf{testOptions(dir)};
    WiredGame<Events> wired{pf};
    GameState& g = wired.g;
    Events& events = wired.events;
};

}  // namespace brivane::test
