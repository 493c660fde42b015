// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The player is one masked blit from the window's current player look, so the shield shows
// without any extra drawing.
#include "player/player_draw.h"

#include "core/numbers.h"

namespace brivane {

void drawPlayer(GameState& g) {
    const float w = static_cast<float>(g.pf.pictureWidth(Picture::lifeIcon));
    const float h = static_cast<float>(g.pf.pictureHeight(Picture::lifeIcon));
    const float x0 = g.playerX - static_cast<float>(intFloor(w / 2.0));
    const float y0 = g.playerY - static_cast<float>(intFloor(h / 2.0));
    g.pf.paintPicture(Picture::lifeIconMatte, x0, y0, w, h, 0, 0, RasterOp::srcAnd);
    g.pf.paintPicture(Picture::lifeIcon, x0, y0, w, h, 0, 0, RasterOp::srcPaint);
}

}  // namespace brivane
