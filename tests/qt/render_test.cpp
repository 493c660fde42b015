// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Pixels of the playfield renderer.
#include "../logic/harness.h"
#include "qt_test_support.h"

namespace brivane {
namespace {

constexpr int cellPx = 21;

QRgb at(PlayfieldImage& image, int x, int y) {
    return image.image().pixel(x, y) & 0xFFFFFF;
}

// Sheets at 2x from a ratio of 1.5, drawn so, not doubled; destination AND mask, then OR sprite.
TEST(Render, LaterBallCoversTheEarlierOnlyWhereItsMaskIsBlackAtTheNearerSheet) {
    EXPECT_EQ(sheetScaleFor(1.49), 1);
    EXPECT_EQ(sheetScaleFor(1.5), 2);
    for (int p = 0; p < pictureCount; ++p) {
        const QImage& fine = PictureStore::instance().image(static_cast<Picture>(p), 2);
        EXPECT_EQ(fine.size(), 2 * PictureStore::instance().image(static_cast<Picture>(p)).size());
    }
    const QImage& balls = PictureStore::instance().image(Picture::imgBalls);
    EXPECT_NE(PictureStore::instance().image(Picture::imgBalls, 2), balls.scaled(2 * balls.size()));
    for (const int ratio : {1, 2}) {
        SCOPED_TRACE(ratio);
        const QImage& sheet = PictureStore::instance().image(Picture::imgBalls, ratio);
        const int cell = cellPx * ratio;
        auto over = [&](QRgb under, int k, int x, int y) {
            if (x < 0 || x >= cell || y < 0 || y >= cell) {
                return under;
            }
            const int left = (k - 1) * cell + x;
            return (under & sheet.pixel(left, cell + y)) | (sheet.pixel(left, y) & 0xFFFFFF);
        };
        HeadlessPlatform pf;
        PlayfieldImage image(ratio);
        pf.attachSurface(&image);
        GameState g(pf);
        // Ball cells 3 and 8 (counted from 1): Int(0.2 * 11 + 1) = 3, Int(0.65 * 11 + 1) = 8.
        test::scriptRnd(g, {0.2, 0.1, 0.1, 0.1, 0.1, 0.1, 0.9, 0.65, 0.1, 0.1, 0.1, 0.1, 0.1, 0.9});
        const auto first = test::makeParticle(g, ParticleKind::ball, 150, 300);
        const auto second = test::makeParticle(g, ParticleKind::ball, 300, 450, 0, 0, 2);
        pf.clear();
        first->paint(g);
        second->paint(g);
        EXPECT_EQ(image.image().width(), ratio * pf.playfieldWidth() / 15);
        for (int y = 0; y < 60 * ratio; ++y) {
            for (int x = 0; x < 60 * ratio; ++x) {
                const QRgb mid = over(0, 3, x - 10 * ratio, y - 20 * ratio);
                ASSERT_EQ(at(image, x, y), over(mid, 8, x - 20 * ratio, y - 30 * ratio))
                    << x << "," << y;
            }
        }
    }
}

TEST(Render, WideLineIsADiscAThinLineCoversThePixelsItNamesAndTextHasNoBackgroundBox) {
    PlayfieldImage image(1.0);
    image.resize(1500, 1500);
    image.clear();
    // A 40-pixel pen makes a disc about (50, 50), so (65, 65) is outside it though in its square.
    image.line(750, 750, 740, 740, Rgb{128, 128, 128}, 40);
    image.line(150, 300, 600, 300, Rgb{0, 0, 255}, 1);
    image.line(0, 150, 1500, 150, Rgb{255, 0, 0}, 1);  // through the letter's box
    image.printText(0, 0, "W", Rgb{0, 255, 0});
    const std::tuple<int, int, QRgb> pixels[] = {{67, 50, 0x808080}, {73, 50, 0},    {65, 65, 0},
                                                 {10, 20, 0xFF},     {40, 20, 0xFF}, {25, 21, 0}};
    for (const auto& [x, y, want] : pixels) {
        EXPECT_EQ(at(image, x, y), want) << x << "," << y;
    }
    const auto count = [&](QRect r, auto lit) {
        return test::countPixels(image.image().copy(r), lit);
    };
    EXPECT_GT(count({0, 0, 40, 30}, [](QRgb p) { return qGreen(p) > 128; }), 10);
    EXPECT_EQ(count({0, 10, 100, 1}, [](QRgb p) { return (p & 0xFFFFFF) == 0; }), 0);
}

// A clear blacks out only the tiles drawn on: each pixel drawn must lie in a tile noted.
TEST(Render, AClearLeavesNothingOfWhatWasDrawn) {
    const std::tuple<float, float, float, float, int> lines[] = {
        // from, to, width
        {8955, 0, 0, 6615, 1},      {240, 240, 240, 6000, 1},    {480, 479, 8000, 479, 1},
        {100, 100, 9000, 2000, 10}, {-3000, 50, 12000, 6700, 1}, {4000, 3000, 4000, 3000, 10},
    };
    for (const qreal ratio : {1.0, 1.5, 2.0}) {
        SCOPED_TRACE(ratio);
        PlayfieldImage image(ratio);
        image.resize(8955, 6615);
        for (const auto& [x1, y1, x2, y2, width] : lines) {
            image.line(x1, y1, x2, y2, {255, 255, 255}, width);
        }
        image.printText(3000, 3000, "Avoid hitting particles", {0, 255, 0});
        image.paintPicture(Picture::imgBalls, 6000, 1500, 315, 315, 0, 315, RasterOp::srcAnd);
        image.paintPicture(Picture::imgBalls, 6000, 1500, 315, 315, 0, 0, RasterOp::srcPaint);
        // A copy taken between passes keeps its pixels while the next pass clears and draws.
        const QImage kept = image.image();
        const QImage before = kept.copy();
        image.clear();
        image.line(150, 150, 600, 150, {255, 0, 0}, 1);
        image.paintPicture(Picture::imgBalls, 6000, 1500, 315, 315, 0, 315, RasterOp::srcAnd);
        image.paintPicture(Picture::imgBalls, 6000, 1500, 315, 315, 0, 0, RasterOp::srcPaint);
        EXPECT_EQ(kept, before);
        const auto px = [ratio](int pixels) { return static_cast<int>(pixels * ratio); };
        EXPECT_EQ(at(image, px(20), px(10)), 0xFF0000u);
        EXPECT_EQ(image.image().pixel(px(400) + 10, px(100) + 10),
                  before.pixel(px(400) + 10, px(100) + 10));
        image.clear();
        EXPECT_EQ(test::countPixels(image.image(), [](QRgb p) { return (p & 0xFFFFFF) != 0; }), 0);
    }
}

}  // namespace
}  // namespace brivane
