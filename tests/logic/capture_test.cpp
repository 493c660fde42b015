// Capture scoring through closed loops: the square rule, string bonus, sparking electron, extra
// lives and announcements, and what may happen while the scoring lets events run.
#include <gtest/gtest.h>

#include <vector>

#include "harness.h"
#include "player/capture.h"
#include "player/tail.h"

namespace brivane {
namespace {

constexpr float inX = 3000;  // centre of the loop laid by loopAround()
constexpr float inY = 3000;

// A started game at level 1 with exactly `balls` balls, `strings` strings and no electron, all
// far outside the loop; no message, grace over.
struct CaptureGame : test::Harness {
    CaptureGame(int balls, int strings, bool electron = false) {
        play(1);
        g.ballCount = 0;
        g.balls.resize(1);
        g.stringCount = 0;
        g.strings.resize(1);
        for (int i = 0; i < balls; ++i) {
            addBall(g);
            place(*g.balls.back(), 7000, 500 + 600.0f * static_cast<float>(i));
        }
        for (int i = 0; i < strings; ++i) {
            addString(g);
            place(*g.strings.back(), 8000, 500 + 600.0f * static_cast<float>(i));
        }
        g.electronActive = electron;
        if (electron) {
            g.electron->init(g, g.ballCount + 1, 3);
            place(*g.electron, 8500, 6000);
        }
        g.graceCount = 0;
    }
    static void place(clsParticle& p, float cx, float cy) {
        p.setLocation(cx - static_cast<float>(static_cast<int>(p.width()) / 2),
                      cy - static_cast<float>(static_cast<int>(p.height()) / 2));
    }
    // Puts the first n balls inside the loop, `first` twips right of its centre and `apart`
    // from each other.
    void ballsIn(int n, float apart, float first = 0) {
        for (int i = 1; i <= n; ++i) {
            place(*g.balls[static_cast<std::size_t>(i)],
                  inX + first + apart * static_cast<float>(i - 1), inY);
        }
    }
    // Moves the pointer round a square of side 2000 centred on (inX, inY); the last move closes
    // the loop through the real pointer path. The gap it leaves on the left side near the top
    // left corner is not a segment, so a ray from the centre toward that corner slips through.
    void loopAround() {
        std::vector<point> pts = test::square(2000, 2000, 4000, 4000, 400);
        pts.push_back({2000, 2200});
        for (const auto& [x, y] : pts) {
            g.playerX = x;  // straight to the tail: the hazard tests are not under test here
            g.playerY = y;
            addTailPoint(g, x, y);
        }
    }
};

TEST(Capture, AxisParallelSquareLoopScoresByTheTable) {
    const struct {
        int ballsIn, stringsIn, electronIn;  // electronIn 2: inside and sparking
        double score, gain;
        int lives, livesAfter;
        const char* message;
        const char* showing = "";  // a message already on the playfield
    } cases[] = {
        // clang-format off
        {1, 0, 0, 0, 10, 5, 5, ""}, {2, 0, 0, 0, 40, 5, 5, "40 Points!"},
        {3, 0, 0, 0, 90, 5, 5, "90 Points!"},
        {2, 0, 2, 0, 250, 5, 5, "Captured electron while sparking, counts as 3 particle captures!"},
        {2, 0, 1, 0, 90, 5, 5, "90 Points!"},
        {0, 3, 0, 9990, 15, 5, 5, ""},  // crosses 10,000 but catches no particle
        {2, 0, 0, 9990, 40, 5, 6, "Extra life!"},
        {2, 0, 0, 99990, 40, 5, 5, "40 Points!"},  // the digit goes from 9 to 0
        {2, 0, 0, 9990, 40, 7, 8, "40 Points!"},   // extra life without its message
        {2, 0, 0, 9990, 40, 8, 8, "40 Points!"},   // lost at the cap
        {1, 2, 0, 19995, 20, 5, 6, "Extra life!"},
        {2, 0, 0, 9990, 40, 5, 6, "hint", "hint"},  // silences the announcements
        // clang-format on
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(testing::Message() << t.gain << " " << t.message);
        CaptureGame c(t.ballsIn + 1, t.stringsIn + 1, t.electronIn > 0);
        c.ballsIn(t.ballsIn, 100, 100);
        for (int i = 1; i <= t.stringsIn; ++i) {
            CaptureGame::place(*c.g.strings[static_cast<std::size_t>(i)], inX + 300,
                               inY + 100.0f * static_cast<float>(i));
        }
        if (t.electronIn > 0) {
            CaptureGame::place(*c.g.electron, inX - 300, inY);
        }
        if (*t.showing) {
            showMessage(c.g, t.showing);
        }
        c.g.electronSparking = t.electronIn == 2;
        c.g.score = t.score;
        c.g.highScore = 50000;
        c.g.lives = static_cast<std::int16_t>(t.lives);
        c.loopAround();
        EXPECT_EQ(c.g.score, t.score + t.gain);
        EXPECT_EQ(c.g.messageText, t.message);
        EXPECT_EQ(c.g.lives, t.livesAfter);
        EXPECT_EQ(c.g.highScore, std::max(50000.0, t.score + t.gain));
        EXPECT_FALSE(c.g.electronSparking);
        for (int i = 1; i <= t.ballsIn + 1; ++i) {
            EXPECT_EQ(c.g.balls[static_cast<std::size_t>(i)]->isDying(), i <= t.ballsIn);
        }
    }
}

TEST(Capture, NothingIsCaughtDuringGraceOrWhileDying) {
    for (const bool dying : {false, true}) {
        CaptureGame c(2, 0);
        c.ballsIn(1, 0);
        c.g.dying = dying;
        c.g.graceCount = dying ? 0 : 50;
        c.loopAround();
        EXPECT_FALSE(c.g.balls[1]->isDying());
        EXPECT_EQ(c.g.score, 0);
        EXPECT_EQ(c.g.tail[1].inLoop, -1);  // still marked and flashed
        EXPECT_TRUE(c.pf.timerEnabled(TimerId::tmrKillTails));
    }
}

TEST(Capture, APointBeforeTheTailEmptiesScoresTheSameLoopAgain) {
    CaptureGame c(2, 0);
    c.ballsIn(1, 0);
    c.loopAround();
    EXPECT_EQ(c.g.score, 10);
    addTailPoint(c.g, 2000, 2500);
    EXPECT_EQ(c.g.score, 20);  // the fading ball is caught again
    c.pf.setPassDuration(60);
    c.passes(1);
    EXPECT_EQ(c.g.tailCount, 0);
}

TEST(CaptureReentry, ALoopClosedInsideTheScoringYieldIsScoredToo) {
    CaptureGame c(3, 0);
    c.ballsIn(2, 300);
    // The first yield (after the first caught ball) delivers a pointer move that closes the
    // same loop again: a nested capture while the outer walk is under way.
    c.pf.post(ScriptedEvent::move(2000, 2500));
    c.loopAround();
    // Nested: both balls (40); outer: both balls again (40).
    EXPECT_EQ(c.g.score, 80);
    EXPECT_TRUE(c.g.balls[1]->isDying());
    EXPECT_TRUE(c.g.balls[2]->isDying());
}

TEST(CaptureReentry, ALevelJumpOrEmptiedTailDuringTheYieldIsSafe) {
    for (const int what : {0, 1, 2}) {
        CaptureGame c(4, 0);
        c.g.highLevel = 30;
        c.ballsIn(3, 150, 150);
        c.pf.post(ScriptedEvent::run([&c, what] {
            if (what == 1) {
                clearTail(c.g);
            } else {
                // Twenty new balls while the walk is at ball 3, or fewer than its position.
                jumpToLevel(c.g, what == 0 ? 20 : 1);
            }
        }));
        c.loopAround();
        EXPECT_GE(c.g.score, 10);
        c.passes(3);  // and the game goes on
        EXPECT_FALSE(c.g.ended);
    }
}

}  // namespace
}  // namespace brivane
