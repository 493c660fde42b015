// One particle at a time: the random draws of its set-up, its edges, steering, speed limits,
// capture fade, implosion and drawing.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "core/levels.h"
#include "core/messages.h"
#include "harness.h"
#include "particle_access.h"
#include "particles/particle.h"
#include "player/capture.h"

namespace brivane {
namespace {

using test::Harness;
using test::scriptRnd;
using test::setFrameStep;

constexpr auto ball = ParticleKind::ball;
constexpr auto quark = ParticleKind::quark;
constexpr auto string = ParticleKind::string;
constexpr auto electron = ParticleKind::electron;

std::uint8_t code(ParticleKind k) {
    return static_cast<std::uint8_t>(k);
}

// A particle of the given kind set up from the generator, then placed and sped as told.
std::shared_ptr<clsParticle> makeParticle(GameState& g, ParticleKind kind, float left, float top,
                                          std::int16_t speedX, std::int16_t speedY) {
    auto p = std::make_shared<clsParticle>();
    p->init(g, 1, code(kind));
    p->setLocation(left, top);
    ParticleTestAccess::setSpeeds(*p, speedX, speedY);
    ParticleTestAccess::setAttracted(*p, false);
    return p;
}

TEST(ParticleInit, DrawsCellSpeedsPlaceIdentityAndAttractionInThatOrder) {
    struct Want {
        int colour, width, height, speedX, speedY, left, top;
        bool operator==(const Want&) const = default;
    };
    const struct {
        ParticleKind kind;
        std::vector<double> draws;
        Want want;
        const char* randomPart;
        bool attracted;
        std::size_t drawsUsed;
    } cases[] = {
        // clang-format off
        // cell 6 of 11, slowest and fastest speeds, both corners of the place range
        {ball, {0.46, 0.0, 0.9999, 0.0, 0.9999999, 0.0, 0.0999}, {1575, 315, 315, -10, 9, 1, 6615},
         "10000", true, 7},
        // a speed of 0 becomes 5 on each axis by itself; the attraction draw just misses
        {ball, {0.0, 0.5, 0.45, 0.5, 0.5, 0.99999, 0.1}, {0, 315, 315, 5, -1, 4478, 3308},
         "109998", false, 7},
        {ball, {0.9999, 0.55, 0.5, 0.25, 0.75, 0.5, 0.0}, {3150, 315, 315, 1, 5, 2239, 4962},
         "59999", true, 7},
        // the last of the seven quark cells; quarks make no attraction draw
        {quark, {0.999, 0.0, 0.9999, 0.1, 0.2, 0.3, 0.0}, {270, 45, 45, -10, 9, 896, 1324},
         "39999", false, 6},
        {string, {0.0, 0.0, 0.9999, 0.5, 0.5, 0.5}, {0, 315, 315, -35, 34, 4478, 3308},
         "59999", false, 6},
        {string, {0.5, 0.5, 0.215, 0.5, 0.5, 0.5}, {1575, 315, 315, 5, -20, 4478, 3308},
         "59999", false, 6},
        // electron cells are cut 319 x 300 from the 3510 x 600 sheet
        {electron, {0.95, 0.3, 0.7, 0.5, 0.5, 0.5, 0.0}, {3190, 319, 300, -4, 4, 4478, 3308},
         "59999", false, 6},
        // clang-format on
    };
    for (const auto& c : cases) {
        Harness h;
        const auto drawn = scriptRnd(h.g, c.draws);
        clsParticle p;
        p.init(h.g, 3, code(c.kind));
        SCOPED_TRACE(static_cast<int>(c.kind));
        EXPECT_EQ(*drawn, c.drawsUsed);
        EXPECT_EQ(p.num(), 3);
        EXPECT_EQ(p.kind(), c.kind);
        const Want got{
            p.colour(), static_cast<int>(p.width()), static_cast<int>(p.height()), p.speedX(),
            p.speedY(), static_cast<int>(p.left()),  static_cast<int>(p.top())};
        EXPECT_TRUE(got == c.want)
            << got.colour << " " << got.width << "x" << got.height << " speed " << got.speedX << ","
            << got.speedY << " at " << got.left << "," << got.top;
        EXPECT_EQ(p.IDnum().rfind(std::string(c.randomPart) + "43200", 0), 0u) << p.IDnum();
        EXPECT_EQ(p.isAttracted(), c.attracted);
        EXPECT_FALSE(p.isDying());
        EXPECT_EQ(p.fadeLevel(), 255);
        // Centres: half the cell, rounded down; the contact point uses the ball cell for all.
        EXPECT_EQ(p.x(), p.left() + std::floor(p.width() / 2));
        EXPECT_EQ(p.y(), p.top() + std::floor(p.height() / 2));
        EXPECT_EQ(p.centrePoint(h.g).x, p.left() + 157);
        EXPECT_EQ(p.centrePoint(h.g).y, p.top() + 157);
        // The new particle draws itself once: mask, then sprite.
        ASSERT_EQ(h.pf.draws.size(), 2u);
        EXPECT_EQ(h.pf.draws[0].op, RasterOp::srcAnd);
        EXPECT_EQ(h.pf.draws[1].op, RasterOp::srcPaint);
    }
}

TEST(ParticleIdentity, NeverRepeatsEvenWhenEveryRandomDrawIsTheSame) {
    Harness h;
    h.start();
    // Every draw equal and the clock standing still: only the serial can tell them apart.
    scriptRnd(h.g, {}, 0.3);
    h.g.level = 99;
    startLevel(h.g, "");
    ASSERT_EQ(h.g.ballCount, 100);
    ASSERT_TRUE(h.g.electronActive);
    std::set<std::string> ids;
    for (std::size_t i = 1; i <= 100; ++i) {
        ids.insert(h.g.balls[i]->IDnum());
    }
    for (std::size_t i = 1; i <= 21; ++i) {
        ids.insert(h.g.quarks[i]->IDnum());
    }
    ids.insert(h.g.electron->IDnum());
    EXPECT_EQ(ids.size(), 122u);
    // The same again on the next set-up: none of the new ones repeats an old one.
    std::set<std::string> before = ids;
    h.g.level = 99;
    startLevel(h.g, "");
    for (std::size_t i = 1; i <= 100; ++i) {
        EXPECT_EQ(before.count(h.g.balls[i]->IDnum()), 0u);
    }
}

TEST(ParticleIdentity, LevelHundredSetUpsNeverShareAnIdentity) {
    // Without a serial about one set-up in twenty would repeat a random part.
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        Harness h(seed);
        h.start();
        h.g.level = 99;
        startLevel(h.g, "");
        std::set<std::string> ids;
        for (std::size_t i = 1; i <= 100; ++i) {
            ids.insert(h.g.balls[i]->IDnum());
        }
        EXPECT_EQ(ids.size(), 100u) << "seed " << seed;
    }
}

TEST(ParticleMove, EdgesBounceOrWrapOnBothSidesOfEachBound) {
    const struct {
        ParticleKind kind;
        bool vertical;
        float from;
        std::int16_t speed;
        float to;
        std::int16_t speedAfter;
        int width = 8955;
        int height = 6615;
    } cases[] = {
        // clang-format off
        // on the bound is not past it; 0.5 bounces back to 1
        {ball, false, 8950, 5, 8955, 5},    {ball, false, 8951, 5, 8955, -5},
        {ball, false, 6, -5, 1, -5},        {ball, false, 5.5f, -5, 1, 5},
        {ball, true, 6610, 5, 6615, 5},     {ball, true, 6611, 5, 6615, -5},
        {ball, true, 6, -5, 1, -5},         {ball, true, 5.5f, -5, 1, 5},
        {quark, false, 8951, 5, 8955, -5},  {electron, true, 5.5f, -5, 1, 5},
        // strings reappear at the left edge, or just beyond the right one
        {string, false, 8935, 20, 8955, 20}, {string, false, 8950, 20, 20, 20},
        {string, false, 21, -20, 1, -20},    {string, false, 10, -20, 8975, -20},
        {string, true, 6595, 20, 6615, 20},  {string, true, 6610, 20, 20, 20},
        {string, true, 21, -20, 1, -20},     {string, true, 10, -20, 6635, -20},
        // the bounds follow a resized playfield at once
        {ball, false, 8951, 5, 8956, 5, 10455, 8115}, {ball, true, 8111, 5, 8115, -5, 10455, 8115},
        {string, false, 10451, 5, 5, 5, 10455, 8115},
        // clang-format on
    };
    for (const auto& c : cases) {
        Harness h;
        setFrameStep(h.g, 1);
        h.pf.setPlayfieldSize(c.width, c.height);
        const float other = 3000;
        auto p = c.vertical ? makeParticle(h.g, c.kind, other, c.from, 0, c.speed)
                            : makeParticle(h.g, c.kind, c.from, other, c.speed, 0);
        p->move(h.g);
        const float pos = c.vertical ? p->top() : p->left();
        const std::int16_t speed = c.vertical ? p->speedY() : p->speedX();
        EXPECT_EQ(pos, c.to) << static_cast<int>(c.kind) << " from " << c.from;
        EXPECT_EQ(speed, c.speedAfter) << static_cast<int>(c.kind) << " from " << c.from;
        EXPECT_EQ(c.vertical ? p->left() : p->top(), other);
    }
}

TEST(ParticleMove, HugeFrameStepsMoveTheWholeDistanceWithoutWrapping) {
    const struct {
        ParticleKind kind;
        int step;
        std::int16_t speed;
        float to;
        std::int16_t speedAfter;
    } cases[] = {
        {ball, 5000, 9, 8955, -9},   // 45000 in 16 bits would come out negative
        {string, 2000, 34, 34, 34},  // 68000 would wrap to 2464
        {string, 2000, -35, 8990, -35},
    };
    for (const auto& c : cases) {
        Harness h;
        setFrameStep(h.g, c.step);
        auto p = makeParticle(h.g, c.kind, 100, 100, c.speed, 0);
        p->move(h.g);
        EXPECT_EQ(p->left(), c.to) << c.step;
        EXPECT_EQ(p->speedX(), c.speedAfter) << c.step;
    }
}

TEST(ParticleMove, AttractedBallTurnsWheneverItsStepWouldLeadAway) {
    const struct {
        int step;
        float from;
        std::int16_t speed;
        float to;
        std::int16_t speedAfter;
        bool attracted = true;
    } cases[] = {
        // clang-format off
        {1, 1000, 5, 1005, 5},  {1, 1000, -5, 1005, 5}, {1, 3000, 5, 2995, -5}, {1, 3000, -5, 2995, -5},
        // exactly level with the player: any step leads away
        {1, 2000, 5, 1995, -5}, {1, 2000, -5, 2005, 5},
        // landing as far on the other side keeps going
        {1, 1996, 8, 2004, 8},  {1, 1997, 8, 1989, -8}, {1, 1990, 5, 1995, 5},
        // the test takes the whole step of this frame
        {5, 1990, 5, 1965, -5}, {1, 1000, -5, 995, -5, false},
        // clang-format on
    };
    for (const bool vertical : {false, true}) {
        for (const auto& c : cases) {
            Harness h;
            setFrameStep(h.g, c.step);
            h.g.playerX = vertical ? 7000 : 2000;
            h.g.playerY = vertical ? 2000 : 5000;
            auto p = vertical ? makeParticle(h.g, ball, 7000, c.from, 0, c.speed)
                              : makeParticle(h.g, ball, c.from, 5000, c.speed, 0);
            ParticleTestAccess::setAttracted(*p, c.attracted);
            p->move(h.g);
            EXPECT_EQ(vertical ? p->top() : p->left(), c.to) << vertical << " " << c.from;
            EXPECT_EQ(vertical ? p->speedY() : p->speedX(), c.speedAfter)
                << vertical << " " << c.from;
        }
    }
}

TEST(ParticleSpeed, WritersKeepCollisionResultsBetweenMinusTenAndTwentyAndNeverZero) {
    const struct {
        std::int16_t written;
        std::int16_t stored;
    } cases[] = {
        {0, 10},  {1, 1},   {-1, -1}, {-9, -9}, {-10, -10},  {-11, -10},    {-15, -10},
        {19, 19}, {20, 20}, {21, 20}, {25, 20}, {32767, 20}, {-32768, -10},
    };
    for (const auto& c : cases) {
        clsParticle p;
        p.setSpeedX(c.written);
        p.setSpeedY(c.written);
        EXPECT_EQ(p.speedX(), c.stored) << c.written;
        EXPECT_EQ(p.speedY(), c.stored) << c.written;
    }
}

// Runs passes until ball 1 of the level has left its list; returns how many it took.
int passesUntilRemoved(Harness& h, const std::shared_ptr<clsParticle>& ballOne) {
    for (int pass = 1; pass <= 400; ++pass) {
        h.g.soundReady[1] = true;  // as if every earlier capture sound had finished
        runPass(h.g);
        if (h.g.ballCount < 1 || h.g.balls[1] != ballOne) {
            return pass;
        }
    }
    return -1;
}

TEST(ParticleFade, LastsAsManyFramesAsTheStepAllowsAndSoundsOnce) {
    const struct {
        int step;
        int frames;
    } cases[] = {{1, 128}, {2, 64}, {10, 13}, {127, 2}, {128, 1}, {20000, 1}};
    for (const auto& c : cases) {
        Harness h;
        h.start();
        setFrameStep(h.g, c.step);
        h.g.level = 1;
        startLevel(h.g, "");  // level 2: the first ball leaves, one stays
        const auto ballOne = h.g.balls[1];
        ParticleTestAccess::capture(*ballOne);
        h.pf.soundsPlayed.clear();
        EXPECT_EQ(passesUntilRemoved(h, ballOne), c.frames) << "step " << c.step;
        EXPECT_EQ(h.pf.soundsPlayed.size(), 1u) << "step " << c.step;
        EXPECT_EQ(ballOne->fadeLevel(), 0);
        EXPECT_EQ(h.g.ballCount, 1);
    }
}

TEST(ParticleFade, DrawsAGreyDiscThatGrowsAndDarkens) {
    Harness h;
    h.start();
    setFrameStep(h.g, 1);
    h.g.level = 1;
    startLevel(h.g, "");
    clearMessage(h.g);
    const auto ballOne = h.g.balls[1];
    ballOne->setLocation(1000.5f, 2000);
    ParticleTestAccess::capture(*ballOne);
    const struct {
        int passes;
        int grey;
        int width;
    } frames[] = {{1, 253, 2}, {1, 251, 4}, {100, 51, 204}, {25, 1, 254}};
    for (const auto& f : frames) {
        for (int i = 0; i < f.passes; ++i) {
            runPass(h.g);
        }
        ASSERT_GE(h.pf.draws.size(), 2u);
        const DrawCall& disc = h.pf.draws[1];  // clear, then the first ball's fade
        EXPECT_EQ(disc.kind, DrawCall::Kind::line);
        EXPECT_EQ(disc.colour, (Rgb{f.grey, f.grey, f.grey}));
        EXPECT_EQ(disc.width, f.width);
        EXPECT_EQ(disc.x1, 1158);  // Int(157.5 + 1000.5)
        EXPECT_EQ(disc.y1, 2157);
        EXPECT_EQ(disc.x2, 1148);
        EXPECT_EQ(disc.y2, 2147);
        // The captured ball still shows its sprite over the disc, and it has stopped.
        EXPECT_EQ(h.pf.draws[2].picture, Picture::imgBalls);
        EXPECT_EQ(h.pf.draws[2].x1, 1000.5f);
    }
}

TEST(ParticleFade, ZeroStepHoldsTheFadeAndRepeatsTheSound) {
    Harness h;
    h.start();
    h.pf.setMenuChecked(MenuItem::mnuSettingsAutoSpeed, true);
    h.pf.setPassDuration(2);  // a quarter of 2 ms rounds to a step of 0
    h.g.level = 1;
    startLevel(h.g, "");
    clearMessage(h.g);
    const auto ballOne = h.g.balls[1];
    ParticleTestAccess::capture(*ballOne);
    h.pf.soundsPlayed.clear();
    for (int i = 0; i < 3; ++i) {
        h.g.soundReady[1] = true;
        runPass(h.g);
        EXPECT_EQ(h.pf.draws[1].width, 1);  // a pen is never thinner than one pixel
    }
    EXPECT_EQ(ballOne->fadeLevel(), 255);
    EXPECT_EQ(h.pf.soundsPlayed.size(), 3u);
    EXPECT_EQ(h.g.balls[1], ballOne);
}

TEST(ParticleCapture, AsksAboutItsOwnRectangleAndMarksItselfDying) {
    Harness h;
    // A closed, marked loop around the square from (2000, 2000) to (4000, 4000).
    h.g.tail.assign(1, TailPoint{});
    for (float t = 0; t < 8000; t += 200) {
        const float side = std::floor(t / 2000);
        const float along = t - side * 2000;
        const float x = side == 0   ? 2000 + along
                        : side == 1 ? 4000
                        : side == 2 ? 4000 - along
                                    : 2000;
        const float y = side == 0   ? 2000
                        : side == 1 ? 2000 + along
                        : side == 2 ? 4000
                                    : 4000 - along;
        h.g.tail.push_back(TailPoint{x, y, 0, -1});
    }
    h.g.tailCount = static_cast<double>(h.g.tail.size() - 1);
    const struct {
        float left, top;
        bool inside;
    } cases[] = {
        {2500, 2500, true},   // centre (2657, 2657)
        {3700, 3700, true},   // centre (3857, 3857), its corner outside
        {4500, 2500, false},  // centre (4657, 2657)
        {2500, 300, false},
    };
    for (const auto& c : cases) {
        auto p = makeParticle(h.g, ball, c.left, c.top, 1, 1);
        EXPECT_EQ(p->detectCapture(h.g), c.inside) << c.left << "," << c.top;
        EXPECT_EQ(p->isDying(), c.inside);
        // Asked again while already fading, it answers the same.
        EXPECT_EQ(p->detectCapture(h.g), c.inside);
        EXPECT_EQ(p->isDying(), c.inside);
    }
}

TEST(ParticleImplode, StepsTowardTheCentreAndStops) {
    // Playfield 8955 x 6615: the centre is (4477, 3307); n = 90.
    const struct {
        float from;
        float to;
        bool vertical = false;
    } cases[] = {
        // clang-format off
        {1000, 1090}, {8000, 7910}, {4432, 4522} /* as far either way: +n */, {4433, 4343},
        {4431, 4521}, {4522, 4432}, {4523, 4433},
        {3307 - 45, 3307 + 45, true}, {3300, 3210, true}, {6000, 5910, true},
        // clang-format on
    };
    for (const auto& c : cases) {
        Harness h;
        auto p = c.vertical ? makeParticle(h.g, ball, 4477 - 45, c.from, 7, -3)
                            : makeParticle(h.g, ball, c.from, 3307 - 45, 7, -3);
        h.pf.clear();
        p->implode(h.g, 90);
        EXPECT_EQ(c.vertical ? p->top() : p->left(), c.to) << c.from;
        EXPECT_EQ(c.vertical ? p->left() : p->top(), c.vertical ? 4522 : 3352);
        EXPECT_EQ(p->speedX(), 0);
        EXPECT_EQ(p->speedY(), 0);
        ASSERT_EQ(h.pf.draws.size(), 3u);  // cleared, then painted where it now is
        EXPECT_EQ(h.pf.draws[2].x1, p->left());
    }
}

TEST(ParticlePaint, DrawsTheBondThenMaskAndSpriteOfItsOwnCell) {
    Harness h;
    scriptRnd(h.g, {0.0, 0.1, 0.1, 0.1, 0.1, 0.1, 0.9, /* second ball */ 0.8});
    h.g.ballCount = 2;
    h.g.balls.push_back(std::make_shared<clsParticle>());
    h.g.balls.push_back(std::make_shared<clsParticle>());
    h.g.balls[1]->init(h.g, 1, code(ball));
    h.g.balls[2]->init(h.g, 2, code(ball));
    h.g.balls[1]->setLocation(100, 200);
    h.g.balls[2]->setLocation(1000, 2000);
    h.g.balls[2]->setBoundTo(h.g.balls[1]->IDnum());
    h.pf.clear();
    h.g.balls[2]->paint(h.g);
    const auto& d = h.pf.draws;
    ASSERT_EQ(d.size(), 4u);
    EXPECT_EQ(d[1].kind, DrawCall::Kind::line);  // centre to centre
    EXPECT_EQ(d[1].x1, 1157);
    EXPECT_EQ(d[1].y1, 2157);
    EXPECT_EQ(d[1].x2, 257);
    EXPECT_EQ(d[1].y2, 357);
    const int colour = h.g.balls[2]->colour();
    EXPECT_EQ(colour, 2520);  // cell 9
    for (int i : {2, 3}) {
        EXPECT_EQ(d[i].picture, Picture::imgBalls);
        EXPECT_EQ(d[i].x1, 1000);
        EXPECT_EQ(d[i].y1, 2000);
        EXPECT_EQ(d[i].w, 315);
        EXPECT_EQ(d[i].h, 315);
        EXPECT_EQ(d[i].sx, colour);
    }
    EXPECT_EQ(d[2].sy, 315);  // the mask row lies under the sprite row
    EXPECT_EQ(d[2].op, RasterOp::srcAnd);
    EXPECT_EQ(d[3].sy, 0);
    EXPECT_EQ(d[3].op, RasterOp::srcPaint);
}

}  // namespace
}  // namespace brivane
