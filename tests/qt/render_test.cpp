// Pixels of the playfield renderer: balls drawn by the game itself over one another, disc lines,
// text without a box and crisp HiDPI output.
#include <gtest/gtest.h>
#include <QColor>
#include <vector>

#include "core/game_state.h"
#include "particles/particle.h"
#include "platform/headless/headless_platform.h"
#include "platform/render/playfield_image.h"

namespace brivane {
namespace {

constexpr int cellPx = 21;

QRgb at(PlayfieldImage& image, int x, int y) {
    return image.image().pixel(x, y) & 0xFFFFFF;
}

// Each ball is the destination ANDed with its mask, then ORed with its sprite; at twice the
// pixel ratio every pixel of that is doubled, not smoothed.
TEST(Render, LaterBallCoversTheEarlierOnlyWhereItsMaskIsBlack) {
    const QImage& sheet = PictureStore::instance().image(Picture::imgBalls);
    auto cell = [&sheet](int k, int x, int y, bool mask) {
        return sheet.pixel((k - 1) * cellPx + x, (mask ? cellPx : 0) + y) & 0xFFFFFF;
    };
    // Ball cells 3 and 8 (counted from 1): Int(0.2 * 11 + 1) = 3, Int(0.65 * 11 + 1) = 8.
    const std::vector<double> draws{0.2,  0.1, 0.1, 0.1, 0.1, 0.1, 0.9,
                                    0.65, 0.1, 0.1, 0.1, 0.1, 0.1, 0.9};
    for (const int ratio : {1, 2}) {
        SCOPED_TRACE(ratio);
        HeadlessPlatform pf;
        PlayfieldImage image(ratio);
        pf.attachSurface(&image);
        std::size_t drawn = 0;
        GameState g(pf);
        g.rnd.setSource([&] { return drawn < draws.size() ? draws[drawn++] : 0.5; });
        clsParticle first;
        clsParticle second;
        first.init(g, 1, static_cast<std::uint8_t>(ParticleKind::ball));
        second.init(g, 2, static_cast<std::uint8_t>(ParticleKind::ball));
        first.setLocation(150, 300);   // (10, 20) in pixels
        second.setLocation(300, 450);  // (20, 30): overlaps the first's lower right quarter
        pf.clear();
        first.paint(g);
        second.paint(g);
        EXPECT_EQ(image.image().width(), ratio * pf.playfieldWidth() / 15);

        int firstShowsThroughSecond = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 60; ++x) {
                QRgb want = 0;
                const int ax = x - 10, ay = y - 20, bx = x - 20, by = y - 30;
                const bool inFirst = ax >= 0 && ax < cellPx && ay >= 0 && ay < cellPx;
                const bool inSecond = bx >= 0 && bx < cellPx && by >= 0 && by < cellPx;
                if (inFirst) {
                    want = (want & cell(3, ax, ay, true)) | cell(3, ax, ay, false);
                }
                if (inSecond) {
                    const QRgb under = want;
                    want = (want & cell(8, bx, by, true)) | cell(8, bx, by, false);
                    firstShowsThroughSecond += inFirst && under != 0 && want == under ? 1 : 0;
                }
                for (const int d : {0, ratio - 1}) {
                    ASSERT_EQ(at(image, ratio * x + d, ratio * y + d), want) << x << "," << y;
                }
            }
        }
        // The overlap really shows both balls, so the comparison above is not a trivial one.
        EXPECT_GT(firstShowsThroughSecond, 0);
    }
}

TEST(Render, WideLineIsADiscAndAThinLineCoversThePixelsItNames) {
    PlayfieldImage image(1.0);
    image.resize(1500, 1500);
    image.clear();
    // A 10-twip line with a 40-pixel pen: a grey disc about 40 pixels across at (50, 50), so
    // (65, 65) is outside it though inside its square.
    image.line(750, 750, 740, 740, Rgb{128, 128, 128}, 40);
    image.line(150, 300, 600, 300, Rgb{0, 0, 255}, 1);
    const struct {
        int x, y;
        QRgb want;
    } points[] = {{50, 50, 0x808080}, {67, 50, 0x808080}, {50, 33, 0x808080},
                  {73, 50, 0},        {65, 65, 0},        {62, 62, 0x808080}};
    for (const auto& p : points) {
        EXPECT_EQ(at(image, p.x, p.y), p.want) << p.x << "," << p.y;
    }
    for (int x = 10; x <= 40; ++x) {
        EXPECT_EQ(at(image, x, 20), 0x0000FFu) << x;
        EXPECT_EQ(at(image, x, 21), 0u) << x;
        EXPECT_EQ(at(image, x, 19), 0u) << x;
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
