// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Renders the playfield's draw calls into an image at the screen's device-pixel ratio, so that
// lines, discs and text stay crisp on HiDPI screens. Positions arrive in twips and are turned
// into device pixels here and nowhere else. Both the window and the headless image surface
// draw through this class, so they produce the same pixels.
#pragma once

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QStaticText>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/pictures.h"

namespace brivane {

// The sheets are drawn at these scales: one picture pixel to a game pixel, and two.
inline constexpr int sheetScales = 2;

// The scale of sheet to draw from at a device-pixel ratio: the nearer of 1 and 2, and 2 from
// 1.5 up, as shrinking the finer picture loses less than enlarging the coarser one.
inline int sheetScaleFor(qreal devicePixelRatio) {
    return devicePixelRatio >= 1.5 ? 2 : 1;
}

// The sprite sheets at both scales, loaded once from the program's resources. The cells of a
// sheet cover the same twips at either scale.
class PictureStore {
  public:
    static const PictureStore& instance();
    const QImage& image(Picture p, int scale = 1) const {
        return images_[static_cast<std::size_t>(scale == 2 ? 1 : 0)][static_cast<int>(p)];
    }

  private:
    PictureStore();
    std::array<std::array<QImage, pictureCount>, sheetScales> images_;
};

// Registers the bundled font and maps the game's font family onto it where it is missing.
void registerGameFonts();
QFont playfieldFont(qreal devicePixelRatio);
QFont statusFont();

class PlayfieldImage : public DrawingSurface {
  public:
    explicit PlayfieldImage(qreal devicePixelRatio = 1.0);
    ~PlayfieldImage() override { finish(); }
    PlayfieldImage(const PlayfieldImage&) = delete;
    PlayfieldImage& operator=(const PlayfieldImage&) = delete;

    void setDevicePixelRatio(qreal ratio);
    qreal devicePixelRatio() const { return dpr_; }
    // The image in device pixels; the window scales it by 1 / devicePixelRatio() to show it.
    // Ends the painting of the pass so far.
    const QImage& image();
    // The part of the picture, in device pixels, that may differ from what it was when this was
    // last asked: what was drawn since, and what a clear since then wiped. The window hands only
    // this to the display; the picture itself is still drawn whole every pass.
    QRegion takeChangedRegion();

    void resize(int widthTwips, int heightTwips) override;
    int widthTwips() const { return widthTwips_; }
    int heightTwips() const { return heightTwips_; }
    void clear() override;
    void line(float x1, float y1, float x2, float y2, Rgb colour, int widthPx) override;
    void paintPicture(Picture picture, float dx, float dy, float w, float h, float sx, float sy,
                      RasterOp op) override;
    void printText(float x, float y, const std::string& text, Rgb colour) override;
    void setPlayerPictures(Picture sprite, Picture matte) override;

  private:
    qreal toDevice(float twips) const { return static_cast<qreal>(twips) * dpr_ / twipsPerPixel; }
    int toDevicePixel(float twips) const;
    // One painter stays open across a pass's draw calls, also while clear() and the sprite
    // blits write pixels directly: opening one costs more than most of the calls themselves.
    QPainter& begin();
    void finish();
    QRgb* pixelsToWrite();
    // Notes a drawing's footprint. The picture is kept in tiles: cheap to note per call, and a
    // few rectangles to hand on, where exact shapes would cost more than the pixels they save.
    void touched(const QRect& deviceRect);
    void touchedAlong(const QLineF& line, qreal reach);
    void blitScaled(const QImage& sheet, int sx, int sy, int w, int h, int x, int y, int scale,
                    RasterOp op);

    qreal dpr_;
    int widthTwips_ = 0;
    int heightTwips_ = 0;
    QImage image_;
    int tileColumns_ = 0;
    int tileRows_ = 0;
    std::vector<std::uint8_t> drawnTiles_;    // drawn on since the last clear
    std::vector<std::uint8_t> changedTiles_;  // changed since the last takeChangedRegion()
    QPainter painter_;
    QFont font_;
    std::map<std::string, QStaticText> laidOut_;  // texts shown lately, laid out in font_
    bool penSet_ = false;                         // the painter's pen is the line pen of penColour_
    Rgb penColour_;
    Picture playerSprite_ = Picture::imgPlayer;
    Picture playerMatte_ = Picture::imgPlayerMatte;
};

}  // namespace brivane
