// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sizes of the sprite pictures, and the surface interface that turns draw calls into pixels.
// The sizes are fixed by the sheet layouts the drawing code relies on, so they are known here
// without loading a picture.
#pragma once

#include <string>

#include "platform/platform.h"

namespace brivane {

inline constexpr int twipsPerPixel = 15;

struct PictureSize {
    int widthPx;
    int heightPx;
};

inline constexpr PictureSize pictureSizes[pictureCount] = {
    {21, 21},   // imgPlayer
    {21, 21},   // imgPlayerMatte
    {21, 21},   // imgPlayerShield
    {21, 21},   // imgPlayerShieldMatte
    {231, 42},  // imgBalls
    {234, 40},  // imgElectrons
    {231, 42},  // imgStrings
    {21, 6},    // imgQuarks
    {21, 21},   // lifeIcon
    {21, 21},   // lifeIconMatte
};

inline constexpr int pictureWidthTwips(Picture p) {
    return pictureSizes[static_cast<int>(p)].widthPx * twipsPerPixel;
}
inline constexpr int pictureHeightTwips(Picture p) {
    return pictureSizes[static_cast<int>(p)].heightPx * twipsPerPixel;
}

// Something that renders the playfield's draw calls (the window's backing image, or the
// headless image surface). Colours and pen widths arrive with each call.
class DrawingSurface {
  public:
    virtual ~DrawingSurface() = default;
    virtual void resize(int widthTwips, int heightTwips) = 0;
    virtual void clear() = 0;
    virtual void line(float x1, float y1, float x2, float y2, Rgb colour, int widthPx) = 0;
    virtual void paintPicture(Picture picture, float dx, float dy, float w, float h, float sx,
                              float sy, RasterOp op) = 0;
    virtual void printText(float x, float y, const std::string& text, Rgb colour) = 0;
    virtual void setPlayerPictures(Picture sprite, Picture matte) = 0;
};

}  // namespace brivane
