// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Scaffolding shared by the Qt tests: a game on a scratch folder, file, dialog, pixel helpers.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSlider>
#include <QSoundEffect>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <functional>
#include <optional>
#include <tuple>

#include "core/game.h"
#include "core/pause.h"
#include "core/wired_game.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_sound.h"
#include "platform/render/playfield_image.h"

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

// Sets an environment variable until the end of the scope.
inline auto scopedEnv(const char* name, const QByteArray& value) {
    const auto old = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
    qputenv(name, value);
    return qScopeGuard([name, old] { old ? qputenv(name, *old) : qunsetenv(name); });
}

// 0.3 s of silence as a WAV: RIFF, then fmt (PCM, mono, 22050 Hz, 16 bits), then 13230 B of data.
inline QByteArray wavBytes() {
    return QByteArray::fromHex(
               "52494646d233000057415645666d742010000000010001002256000044ac0000"
               "0200100064617461ae330000") +
           QByteArray(13230, '\0');
}

// How many pixels of `image` `lit` holds for.
template <class Lit>
int countPixels(const QImage& image, Lit lit) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += lit(image.pixel(x, y)) ? 1 : 0;
        }
    }
    return n;
}

// Hands the modal window that the caller's next event loop opens to `answer`.
template <class Modal = QMessageBox>
void onNextModal(std::function<void(Modal*)> answer) {
    QTimer::singleShot(0, [answer = std::move(answer)] {
        auto* modal = qobject_cast<Modal*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        answer(modal);
    });
}

// Keeps the next message box's text in `text` and clicks its `button`.
inline void answerNextBox(QMessageBox::StandardButton button, QString& text) {
    onNextModal<QMessageBox>([button, &text](QMessageBox* box) {
        text = box->text();
        box->button(button)->click();
    });
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
    QAction* action(MenuItem item) { return pf.window()->menuActions[static_cast<int>(item)]; }
};

}  // namespace brivane::test
