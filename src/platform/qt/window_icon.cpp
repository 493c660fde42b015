// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's icon: the theme's first, then the sizes built into the program.
#include "platform/qt/window_icon.h"

#include <QGuiApplication>

// The pictures live in the renderer's static library, whose resource initialiser the linker
// would otherwise drop.
static void initIconResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    (void)done;
}

namespace brivane {

QIcon gameIcon() {
    initIconResources();
    QIcon builtIn;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        builtIn.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    }
    return QIcon::fromTheme(QLatin1String(gameIconName), builtIn);
}

void setUpApplicationIdentity() {
    QGuiApplication::setDesktopFileName(QLatin1String(gameIconName));
    QGuiApplication::setWindowIcon(gameIcon());
}

}  // namespace brivane
