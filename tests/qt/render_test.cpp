// Pixels of the playfield renderer: masked sprites, disc lines and crisp HiDPI output.
#include <gtest/gtest.h>
#include <QColor>

#include "platform/render/playfield_image.h"

namespace brivane {
namespace {

QRgb at(PlayfieldImage& image, int x, int y) {
    return image.image().pixel(x, y) & 0xFFFFFF;
}

TEST(Render, MaskedSpriteOverSpriteKeepsTheFirstOutsideTheSecondsMask) {
    PlayfieldImage image(1.0);
    image.resize(900, 900);
    image.clear();
    const QImage& sheet = PictureStore::instance().image(Picture::imgBalls);
    // Ball cell 0 at (0, 0), ball cell 8 ten pixels to the right, overlapping half of it.
    for (const auto& [cell, x] : {std::pair{0, 0}, std::pair{8, 150}}) {
        image.paintPicture(Picture::imgBalls, static_cast<float>(x), 0, 315, 315,
                           static_cast<float>(cell * 315), 315, RasterOp::srcAnd);
        image.paintPicture(Picture::imgBalls, static_cast<float>(x), 0, 315, 315,
                           static_cast<float>(cell * 315), 0, RasterOp::srcPaint);
    }
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 31; ++x) {
            const QRgb got = at(image, x, y);
            QRgb want = 0;
            if (x < 21) {
                want = sheet.pixel(x, y) & 0xFFFFFF;  // the first ball over black
            }
            if (x >= 10) {
                // The second ball: destination AND mask, then OR sprite.
                const QRgb mask = sheet.pixel(8 * 21 + x - 10, 21 + y) & 0xFFFFFF;
                const QRgb sprite = sheet.pixel(8 * 21 + x - 10, y) & 0xFFFFFF;
                want = (want & mask) | sprite;
            }
            ASSERT_EQ(got, want) << x << "," << y;
        }
    }
}

TEST(Render, ShortWideLineIsADiscOfItsPenWidth) {
    PlayfieldImage image(1.0);
    image.resize(1500, 1500);
    image.clear();
    // A 10-twip line with a 40-pixel pen: a grey disc about 40 pixels across at (50, 50).
    image.line(750, 750, 740, 740, Rgb{128, 128, 128}, 40);
    EXPECT_EQ(at(image, 50, 50), 0x808080u);
    EXPECT_EQ(at(image, 50 + 17, 50), 0x808080u);
    EXPECT_EQ(at(image, 50, 50 - 17), 0x808080u);
    EXPECT_EQ(at(image, 50 + 23, 50), 0u);
    EXPECT_EQ(at(image, 50 + 15, 50 + 15), 0u);  // a disc, not a square
    EXPECT_EQ(at(image, 50 + 12, 50 + 12), 0x808080u);
}

TEST(Render, ThinLineCoversThePixelsItNames) {
    PlayfieldImage image(1.0);
    image.resize(1500, 1500);
    image.clear();
    image.line(150, 300, 600, 300, Rgb{0, 0, 255}, 1);
    for (int x = 10; x <= 40; ++x) {
        EXPECT_EQ(at(image, x, 20), 0x0000FFu) << x;
        EXPECT_EQ(at(image, x, 21), 0u) << x;
        EXPECT_EQ(at(image, x, 19), 0u) << x;
    }
}

TEST(Render, HiDpiDoublesEveryPixelOfASprite) {
    PlayfieldImage image(2.0);
    image.resize(600, 600);
    image.clear();
    image.paintPicture(Picture::imgBalls, 0, 0, 315, 315, 0, 315, RasterOp::srcAnd);
    image.paintPicture(Picture::imgBalls, 0, 0, 315, 315, 0, 0, RasterOp::srcPaint);
    const QImage& sheet = PictureStore::instance().image(Picture::imgBalls);
    EXPECT_EQ(image.image().width(), 80);
    for (int y = 0; y < 21; ++y) {
        for (int x = 0; x < 21; ++x) {
            const QRgb want = sheet.pixel(x, y) & 0xFFFFFF;
            ASSERT_EQ(at(image, 2 * x, 2 * y), want);
            ASSERT_EQ(at(image, 2 * x + 1, 2 * y + 1), want);
        }
    }
}

TEST(Render, TextHasNoBackgroundBox) {
    PlayfieldImage image(1.0);
    image.resize(3000, 1500);
    image.clear();
    image.line(0, 150, 3000, 150, Rgb{255, 0, 0}, 1);  // a red line under where the text goes
    image.printText(0, 0, "W", Rgb{0, 255, 0});
    int green = 0;
    for (int x = 0; x < 40; ++x) {
        for (int y = 0; y < 30; ++y) {
            green += qGreen(image.image().pixel(x, y)) > 128 ? 1 : 0;
        }
    }
    EXPECT_GT(green, 10);
    EXPECT_EQ(at(image, 150, 10), 0xFF0000u);  // the line beside the letter stays
}

}  // namespace
}  // namespace brivane
