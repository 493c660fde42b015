// Pixels of particles drawn by the game itself: a ball of a known cell over another, through
// the headless platform and the playfield renderer.
#include <gtest/gtest.h>
#include <QColor>

#include "../logic/particle_access.h"
#include "core/game_state.h"
#include "platform/headless/headless_platform.h"
#include "platform/render/playfield_image.h"

namespace brivane {
namespace {

constexpr int cellPx = 21;

TEST(ParticlePixels, LaterBallCoversTheEarlierOnlyWhereItsMaskIsBlack) {
    HeadlessPlatform pf;
    PlayfieldImage image(1.0);
    pf.attachSurface(&image);
    GameState g(pf);
    // Ball cells 3 and 8 (counted from 1): Int(0.2 * 11 + 1) = 3, Int(0.65 * 11 + 1) = 8.
    test::scriptRnd(g, {0.2, 0.1, 0.1, 0.1, 0.1, 0.1, 0.9, 0.65, 0.1, 0.1, 0.1, 0.1, 0.1, 0.9});
    clsParticle first;
    clsParticle second;
    first.init(g, 1, static_cast<std::uint8_t>(ParticleKind::ball));
    second.init(g, 2, static_cast<std::uint8_t>(ParticleKind::ball));
    first.setLocation(150, 300);   // (10, 20) in pixels
    second.setLocation(300, 450);  // (20, 30): overlaps the first's lower right quarter
    pf.clear();
    first.paint(g);
    second.paint(g);

    const QImage& sheet = PictureStore::instance().image(Picture::imgBalls);
    auto cell = [&sheet](int k, int x, int y, bool mask) {
        return sheet.pixel((k - 1) * cellPx + x, (mask ? cellPx : 0) + y) & 0xFFFFFF;
    };
    const QImage& shown = image.image();
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
            ASSERT_EQ(shown.pixel(x, y) & 0xFFFFFF, want) << x << "," << y;
        }
    }
    // The overlap really shows both balls, so the comparison above is not a trivial one.
    EXPECT_GT(firstShowsThroughSecond, 0);
}

}  // namespace
}  // namespace brivane
