// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Drawing the playfield. Sprites are two blits with raster operations (mask AND, sprite OR),
// from the sheet drawn at the scale nearest the screen's, any remaining scaling with
// nearest-neighbour sampling; wide lines have round caps, which is what turns the
// game's very short wide lines into discs.
#include "platform/render/playfield_image.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPen>
#include <QStaticText>
#include <algorithm>
#include <cmath>

// The pictures and the font are compiled into a static library, whose resource initialiser the
// linker would otherwise drop.
static void initGameResources() {
    Q_INIT_RESOURCE(resources);
}

namespace brivane {

namespace {

// Side of the squares in which drawing is noted for presenting only what changed, in device
// pixels: a ball touches one to four of them.
constexpr int tileSize = 16;

const char* const pictureResources[pictureCount] = {
    "player",  "player_matte", "player_shield", "player_shield_matte", "balls", "electrons",
    "strings", "quarks",       "player",        "player_matte",
};

QColor toQColor(Rgb c) {
    return QColor(c.r & 0xFF, c.g & 0xFF, c.b & 0xFF);
}

}  // namespace

PictureStore::PictureStore() {
    initGameResources();
    for (int scale = 1; scale <= sheetScales; ++scale) {
        for (int i = 0; i < pictureCount; ++i) {
            const QString name =
                QStringLiteral(":/sprites/%1%2.png")
                    .arg(QLatin1String(pictureResources[i]),
                         scale == 1 ? QString() : QStringLiteral("@%1x").arg(scale));
            QImage loaded(name);
            const PictureSize size = pictureSizes[i];
            const int w = size.widthPx * scale;
            const int h = size.heightPx * scale;
            if (loaded.isNull() || loaded.width() != w || loaded.height() != h) {
                if (scale > 1) {
                    // Without its finer picture a sheet is shown doubled, as it always was.
                    loaded = image(static_cast<Picture>(i)).scaled(w, h);
                } else {
                    // A broken build without its pictures still runs: a transparent sprite, an
                    // open mask.
                    loaded = QImage(w, h, QImage::Format_RGB32);
                    loaded.fill(i % 2 == 1 || i == static_cast<int>(Picture::imgPlayerMatte)
                                    ? Qt::white
                                    : Qt::black);
                }
            }
            // The blits address picture pixels; a "@2x" name must not make the image claim
            // a pixel ratio of its own.
            loaded.setDevicePixelRatio(1.0);
            images_[static_cast<std::size_t>(scale - 1)][i] =
                loaded.convertToFormat(QImage::Format_RGB32);
        }
    }
}

const PictureStore& PictureStore::instance() {
    static const PictureStore store;
    return store;
}

void registerGameFonts() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    initGameResources();
    const int id = QFontDatabase::addApplicationFont(":/fonts/ComicNeue-Bold.otf");
    if (!QFontDatabase::families().contains(QStringLiteral("Comic Sans MS")) && id >= 0) {
        const QStringList families = QFontDatabase::applicationFontFamilies(id);
        if (!families.isEmpty()) {
            QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), families.first());
        }
    }
}

QFont playfieldFont(qreal devicePixelRatio) {
    registerGameFonts();
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setBold(true);
    // 12 points at the reference 96 dots per inch.
    font.setPixelSize(static_cast<int>(std::lround(16 * devicePixelRatio)));
    return font;
}

QFont statusFont() {
    registerGameFonts();
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setBold(true);
    font.setPixelSize(12);  // 9 points at 96 dots per inch
    return font;
}

PlayfieldImage::PlayfieldImage(qreal devicePixelRatio)
    : dpr_(devicePixelRatio), font_(playfieldFont(devicePixelRatio)) {}

void PlayfieldImage::setDevicePixelRatio(qreal ratio) {
    if (ratio == dpr_) {
        return;
    }
    dpr_ = ratio;
    font_ = playfieldFont(ratio);
    laidOut_.clear();
    resize(widthTwips_, heightTwips_);
}

int PlayfieldImage::toDevicePixel(float twips) const {
    return static_cast<int>(std::floor(toDevice(twips)));
}

void PlayfieldImage::resize(int widthTwips, int heightTwips) {
    finish();
    widthTwips_ = widthTwips;
    heightTwips_ = heightTwips;
    const int w =
        std::max(1, static_cast<int>(std::ceil(toDevice(static_cast<float>(widthTwips)))));
    const int h =
        std::max(1, static_cast<int>(std::ceil(toDevice(static_cast<float>(heightTwips)))));
    image_ = QImage(w, h, QImage::Format_RGB32);
    image_.fill(Qt::black);
    tileColumns_ = (w + tileSize - 1) / tileSize;
    tileRows_ = (h + tileSize - 1) / tileSize;
    const auto tiles = static_cast<std::size_t>(tileColumns_ * tileRows_);
    drawnTiles_.assign(tiles, 0);
    changedTiles_.assign(tiles, 1);  // a new picture is new everywhere
}

void PlayfieldImage::clear() {
    // Only what was drawn on since the last clear can be anything but black: filling just those
    // tiles leaves the same picture as filling it all, for a fraction of the memory traffic.
    // Neighbouring drawn tiles in a row are filled as one span, a pixel row at a time.
    const auto stride = static_cast<std::size_t>(image_.bytesPerLine() / 4);
    QRgb* pixels = pixelsToWrite();
    const int width = image_.width();
    const int height = image_.height();
    for (int row = 0; row < tileRows_; ++row) {
        std::uint8_t* drawn = drawnTiles_.data() + static_cast<std::size_t>(row * tileColumns_);
        std::uint8_t* changed = changedTiles_.data() + static_cast<std::size_t>(row * tileColumns_);
        const int top = row * tileSize;
        const int bottom = std::min(top + tileSize, height);
        int col = 0;
        while (col < tileColumns_) {
            if (drawn[col] == 0) {
                ++col;
                continue;
            }
            const int first = col;
            for (; col < tileColumns_ && drawn[col] != 0; ++col) {
                drawn[col] = 0;
                changed[col] = 1;
            }
            const int left = first * tileSize;
            const int right = std::min(col * tileSize, width);
            for (int y = top; y < bottom; ++y) {
                QRgb* line = pixels + static_cast<std::size_t>(y) * stride;
                std::fill(line + left, line + right, qRgb(0, 0, 0));
            }
        }
    }
}

void PlayfieldImage::touched(const QRect& deviceRect) {
    const QRect r = deviceRect.intersected(image_.rect());
    if (r.isEmpty()) {
        return;
    }
    for (int row = r.top() / tileSize; row <= r.bottom() / tileSize; ++row) {
        for (int col = r.left() / tileSize; col <= r.right() / tileSize; ++col) {
            const auto i = static_cast<std::size_t>(row * tileColumns_ + col);
            drawnTiles_[i] = 1;
            changedTiles_[i] = 1;
        }
    }
}

QRegion PlayfieldImage::takeChangedRegion() {
    QRegion region;
    for (int row = 0; row < tileRows_; ++row) {
        int col = 0;
        while (col < tileColumns_) {
            const auto at = [&](int c) { return static_cast<std::size_t>(row * tileColumns_ + c); };
            if (changedTiles_[at(col)] == 0) {
                ++col;
                continue;
            }
            const int first = col;
            while (col < tileColumns_ && changedTiles_[at(col)] != 0) {
                changedTiles_[at(col)] = 0;
                ++col;
            }
            region += QRect(first * tileSize, row * tileSize, (col - first) * tileSize, tileSize)
                          .intersected(image_.rect());
        }
    }
    return region;
}

QPainter& PlayfieldImage::begin() {
    if (!painter_.isActive()) {
        painter_.begin(&image_);
        penSet_ = false;
        painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    }
    return painter_;
}

void PlayfieldImage::finish() {
    if (painter_.isActive()) {
        painter_.end();
    }
}

QRgb* PlayfieldImage::pixelsToWrite() {
    // Writing to a picture that is still shared gives it pixels of its own; an open painter would
    // go on drawing into the old ones, so it is closed first. Unshared, nothing moves.
    if (!image_.isDetached()) {
        finish();
    }
    return reinterpret_cast<QRgb*>(image_.bits());
}

const QImage& PlayfieldImage::image() {
    finish();
    return image_;
}

void PlayfieldImage::line(float x1, float y1, float x2, float y2, Rgb colour, int widthPx) {
    QPainter& painter = begin();
    const bool wide = widthPx > 1;
    const qreal penWidth = std::max(1, widthPx) * dpr_;
    // A tail is hundreds of lines of one colour and width: set the pen only when it changes.
    if (!penSet_ || colour != penColour_ || penWidth != painter.pen().widthF()) {
        painter.setRenderHint(QPainter::Antialiasing, wide);
        QPen pen(toQColor(colour));
        pen.setWidthF(penWidth);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
        painter.setPen(pen);
        penSet_ = true;
        penColour_ = colour;
    }
    // Half a pixel moves a thin line onto pixel centres, so it covers the pixels it names.
    const qreal offset = wide ? 0.0 : 0.5;
    const QLineF drawn(toDevice(x1) + offset, toDevice(y1) + offset, toDevice(x2) + offset,
                       toDevice(y2) + offset);
    painter.drawLine(drawn);
    // The pen's half width and round caps reach past the ends; a pixel more for antialiasing.
    touchedAlong(drawn, penWidth / 2 + 2);
}

void PlayfieldImage::touchedAlong(const QLineF& line, qreal reach) {
    // A long slanting line, a bond across the playfield, crosses a thin band of tiles where its
    // bounding box would hold dozens of empty ones to clear and hand to the display each pass.
    // Squares around points at most half a tile apart, widened by half that spacing, hold every
    // pixel within reach of the line.
    constexpr qreal spacing = tileSize / 2.0;
    const qreal length = line.length();
    if (!(length < 4.0 * (image_.width() + image_.height()))) {  // also a NaN end
        touched(QRectF(line.p1(), line.p2())
                    .normalized()
                    .adjusted(-reach, -reach, reach, reach)
                    .toAlignedRect());
        return;
    }
    const int steps = static_cast<int>(length / spacing) + 1;
    const qreal half = reach + spacing / 2;
    const int lastColumn = image_.width() - 1;
    const int lastRow = image_.height() - 1;
    for (int i = 0; i <= steps; ++i) {
        const QPointF p = line.pointAt(static_cast<qreal>(i) / steps);
        // The pixels the square covers, kept on the picture; a square wholly off it notes none.
        const qreal left = std::floor(p.x() - half);
        const qreal top = std::floor(p.y() - half);
        const qreal right = std::ceil(p.x() + half);
        const qreal bottom = std::ceil(p.y() + half);
        if (right < 0 || bottom < 0 || left > lastColumn || top > lastRow) {
            continue;
        }
        const int firstColumn = static_cast<int>(std::max<qreal>(left, 0)) / tileSize;
        const int firstRow = static_cast<int>(std::max<qreal>(top, 0)) / tileSize;
        const int endColumn = static_cast<int>(std::min<qreal>(right, lastColumn)) / tileSize;
        const int endRow = static_cast<int>(std::min<qreal>(bottom, lastRow)) / tileSize;
        for (int row = firstRow; row <= endRow; ++row) {
            for (int col = firstColumn; col <= endColumn; ++col) {
                const auto t = static_cast<std::size_t>(row * tileColumns_ + col);
                drawnTiles_[t] = 1;
                changedTiles_[t] = 1;
            }
        }
    }
}

void PlayfieldImage::paintPicture(Picture picture, float dx, float dy, float w, float h, float sx,
                                  float sy, RasterOp op) {
    Picture source = picture;
    if (picture == Picture::lifeIcon) {
        source = playerSprite_;
    } else if (picture == Picture::lifeIconMatte) {
        source = playerMatte_;
    }
    // The sheet drawn at the scale nearest the screen's: at a ratio of 2 its own finer pixels,
    // not the 1x pixels doubled. Source rectangles are twips either way.
    const int sheetScale = sheetScaleFor(dpr_);
    const QImage& sheet = PictureStore::instance().image(source, sheetScale);
    const int sxPx = static_cast<int>(std::floor(sx * sheetScale / twipsPerPixel));
    const int syPx = static_cast<int>(std::floor(sy * sheetScale / twipsPerPixel));
    const int wPx = static_cast<int>(std::floor(w * sheetScale / twipsPerPixel));
    const int hPx = static_cast<int>(std::floor(h * sheetScale / twipsPerPixel));
    if (wPx <= 0 || hPx <= 0) {
        return;
    }
    const int x = toDevicePixel(dx);
    const int y = toDevicePixel(dy);
    const qreal factor = dpr_ / sheetScale;
    const int scale = static_cast<int>(std::lround(factor));
    if (scale >= 1 && scale == factor) {
        blitScaled(sheet, sxPx, syPx, wPx, hPx, x, y, scale, op);
        touched(QRect(x, y, wPx * scale, hPx * scale));
        return;
    }
    const int scaledW = static_cast<int>(std::lround(wPx * factor));
    const int scaledH = static_cast<int>(std::lround(hPx * factor));
    touched(QRect(x, y, scaledW, scaledH));
    QPainter& painter = begin();
    painter.setCompositionMode(op == RasterOp::srcAnd ? QPainter::RasterOp_SourceAndDestination
                                                      : QPainter::RasterOp_SourceOrDestination);
    painter.drawImage(QRect(x, y, scaledW, scaledH), sheet, QRect(sxPx, syPx, wPx, hPx));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// The sprites' AND and OR blits at a whole-number scale, straight on the pixels: a pass draws
// two of them for every particle, and the painter's raster-operation path costs several times
// as much. The result is the same pixels, with nearest-neighbour scaling.
void PlayfieldImage::blitScaled(const QImage& sheet, int sx, int sy, int w, int h, int x, int y,
                                int scale, RasterOp op) {
    const int x0 = std::max(x, 0);
    const int y0 = std::max(y, 0);
    const int x1 = std::min(x + w * scale, image_.width());
    const int y1 = std::min(y + h * scale, image_.height());
    if (x0 >= x1 || y0 >= y1 || sx < 0 || sy < 0 || sx + w > sheet.width() ||
        sy + h > sheet.height()) {
        return;
    }
    const auto stride = static_cast<std::size_t>(image_.bytesPerLine() / 4);
    QRgb* target = pixelsToWrite();
    if (scale == 1) {
        // The usual case, one source pixel to one device pixel, in loops the compiler can widen.
        for (int ty = y0; ty < y1; ++ty) {
            const QRgb* from =
                reinterpret_cast<const QRgb*>(sheet.constScanLine(sy + ty - y)) + (sx + x0 - x);
            QRgb* to = target + static_cast<std::size_t>(ty) * stride + x0;
            const int n = x1 - x0;
            if (op == RasterOp::srcAnd) {
                for (int k = 0; k < n; ++k) {
                    to[k] &= from[k];
                }
            } else {
                for (int k = 0; k < n; ++k) {
                    to[k] |= from[k];
                }
            }
        }
        return;
    }
    for (int ty = y0; ty < y1; ++ty) {
        const auto* from =
            reinterpret_cast<const QRgb*>(sheet.constScanLine(sy + (ty - y) / scale));
        QRgb* to = target + static_cast<std::size_t>(ty) * stride;
        for (int tx = x0; tx < x1; ++tx) {
            const QRgb src = from[sx + (tx - x) / scale];
            to[tx] = op == RasterOp::srcAnd ? (to[tx] & src) : (to[tx] | src);
        }
    }
}

void PlayfieldImage::printText(float x, float y, const std::string& text, Rgb colour) {
    QPainter& painter = begin();
    painter.setFont(font_);
    painter.setPen(toQColor(colour));
    penSet_ = false;
    const QPointF at(toDevice(x), toDevice(y));
    QRectF drawn;
    const bool oneLine = std::none_of(text.begin(), text.end(),
                                      [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (oneLine) {
        // A message stays up for seconds and is drawn every pass: its glyphs are laid out once.
        // The pixels are the same as drawText's at the same top-left corner.
        auto found = laidOut_.find(text);
        if (found == laidOut_.end()) {
            if (laidOut_.size() >= 8) {
                laidOut_.clear();  // the render timing changes every pass; keep the cache small
            }
            QStaticText laid(QString::fromStdString(text));
            laid.setTextFormat(Qt::PlainText);
            laid.setPerformanceHint(QStaticText::AggressiveCaching);
            laid.prepare(QTransform(), font_);
            found = laidOut_.emplace(text, laid).first;
        }
        painter.drawStaticText(at, found->second);
        drawn = QRectF(at, found->second.size());
    } else {
        // Single-line drawing turns control characters into spaces.
        painter.drawText(QRectF(at, QSizeF(1e6, 1e4)),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         QString::fromStdString(text), &drawn);
    }
    // Glyphs may overhang the box the font reports by a little on every side.
    const qreal reach = font_.pixelSize() / 2.0 + 2;
    touched(drawn.adjusted(-reach, -reach, reach, reach).toAlignedRect());
}

void PlayfieldImage::setPlayerPictures(Picture sprite, Picture matte) {
    playerSprite_ = sprite;
    playerMatte_ = matte;
}

}  // namespace brivane
