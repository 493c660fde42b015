// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Scaffolding shared by the Qt tests: a platform whose settings live in a scratch folder, a game
// on it with its handlers, and small file helpers.
#pragma once

#include <gtest/gtest.h>
#include <QDataStream>
#include <QFile>
#include <QImage>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <cmath>

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

// A 16-bit mono PCM WAV at 22050 Hz: a sine tone of `hz`, or silence at 0.
inline QByteArray wavBytes(double seconds, double hz) {
    constexpr quint32 rate = 22050;
    const auto samples = static_cast<quint32>(seconds * rate);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i) {
        out << static_cast<qint16>(
            std::lround(16000.0 * std::sin(6.283185307179586 * hz * i / rate)));
    }
    return bytes;
}

// Whether the screen shows `picture` where `window` shows its playfield.
inline bool screenShows(QWidget* window, const QWidget* playfield, const QImage& picture) {
    const QPoint at = playfield->mapTo(window, QPoint(0, 0));
    return window->screen()
               ->grabWindow(window->winId(), at.x(), at.y(), picture.width(), picture.height())
               .toImage()
               .convertToFormat(picture.format()) == picture;
}

// A game on a Qt platform whose settings live in a scratch folder.
template <class Platform = QtPlatform, class Events = GameEvents>
struct QtGame {
    QTemporaryDir dir;
    Platform pf{testOptions(dir)};
    WiredGame<Events> wired{pf};
    GameState& g = wired.g;
    Events& events = wired.events;
    // Started with a fixed seed and no music, so that nothing waits on an audio device.
    void start(std::uint32_t seed = 1) {
        g.fixedSeed = seed;
        g.commandText = "nomusic";
        startUp(g);
    }
};

}  // namespace brivane::test
