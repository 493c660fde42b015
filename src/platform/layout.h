// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The window's layout rule, in twips of the outer window size: the playfield grows one for one
// with the window, the icon row and the status line follow its bottom edge, and a window smaller
// than the minimum is snapped back to it.
#pragma once

namespace brivane {

inline constexpr int minOuterWidth = 9225;
inline constexpr int minOuterHeight = 7800;
// The frame and menu bar around the client area of the outer size.
inline constexpr int frameWidth = 120;
inline constexpr int frameHeight = 690;
inline constexpr int playfieldLeft = 60;
inline constexpr int playfieldTop = 60;
inline constexpr int labelLeft = 3120;
inline constexpr int labelWidth = 5475;
inline constexpr int labelHeight = 255;
inline constexpr int iconLeft0 = 120;
inline constexpr int iconSpacing = 360;
inline constexpr int lifeIconSize = 315;

struct WindowLayout {
    int outerWidth;
    int outerHeight;
    int playfieldWidth;
    int playfieldHeight;
    int iconTop;
    int labelTop;
};

inline WindowLayout layoutWindow(int outerWidth, int outerHeight) {
    WindowLayout l{};
    l.outerHeight = outerHeight < minOuterHeight ? minOuterHeight : outerHeight;
    l.outerWidth = outerWidth < minOuterWidth ? minOuterWidth : outerWidth;
    l.playfieldHeight = l.outerHeight - 1185;
    l.playfieldWidth = l.outerWidth - 270;
    l.iconTop = playfieldTop + l.playfieldHeight + 45;
    l.labelTop = l.iconTop + 60;
    return l;
}

}  // namespace brivane
