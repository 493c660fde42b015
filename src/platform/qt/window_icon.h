// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game's own icon on its windows, and the name of its desktop entry.
#pragma once

#include <QIcon>
#include <QString>

namespace brivane {

// The name of the game's icon and of its desktop entry (without ".desktop").
inline constexpr const char* gameIconName = "net.brivane.Brivane";

// The icon from the desktop's icon theme when the game is installed there, so a theme that
// restyles it is followed; otherwise the pictures built into the program.
QIcon gameIcon();

// Every window of the program shows the game's icon. A Wayland compositor takes a window's icon
// from the desktop entry its application id names, not from the window, so the id is the
// entry's name.
void setUpApplicationIdentity();

}  // namespace brivane
