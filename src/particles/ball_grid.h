// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Where the balls stand, by squares a little wider than the contact distance, so that a ball's
// collision test looks only at the balls in its own square and the eight around it instead of at
// every ball: at level 15000 the plain test would measure 225 million pairs a pass. The squares
// follow the balls exactly: a sweep of the balls' tests (slot 1 upwards, each right after the
// ball's own step) starts from the positions of that moment, the ball under test is moved to its
// square before it looks, and the balls a bounce pushes are moved after. Anything else (a new pass,
// a list that changed, and whatever else moves a ball: the last death's implosion, a particle set
// up anew, which mark the squares invalid) starts the squares again from where every ball is.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brivane {

class clsParticle;

struct BallGrid {
    // A ball as its square holds it: its centre, kept beside the others of the square so that a
    // test reads one short run of memory instead of one particle after another.
    struct Entry {
        float x;
        float y;
        std::uint32_t slot;
    };

    // What the squares were built from.
    const void* listData = nullptr;
    std::size_t last = 0;
    double lastNum = 0;
    bool valid = false;
    const clsParticle* firstBall = nullptr;
    const clsParticle* lastBall = nullptr;

    // The playfield cut into columns x rows squares; a centre beyond it counts in the nearest
    // edge square, which keeps every pair nearer than the contact distance in neighbouring
    // squares.
    int columns = 0;
    int rows = 0;
    std::vector<std::vector<Entry>> squares;
    std::vector<std::uint32_t> squareOf;  // by slot
    std::vector<std::uint32_t> placeOf;   // by slot: its index in its square
    // One bit a slot: the balls a test will bounce, taken back out in slot order.
    std::vector<std::uint64_t> touched;
    std::vector<std::uint32_t> found;  // the slots a test touches, as the squares list them

    // The cosine and sine of the contact angle for centres a whole number of twips apart on
    // both axes (which is how the game moves them), worked out once each; a negative cosine
    // marks one not yet worked out.
    static constexpr int turnSpan = 256;
    std::vector<std::array<float, 2>> turns;
};

// The balls by the digest of their identity, for bonds, which find their partner by identity
// among all the balls: at level 15000 that is 1500 bonds, each looked for among 15000 balls,
// every pass. It answers while the list is the one it was made from, with the same count and no
// particle set up since (setting up is the only thing that gives a particle a new identity).
struct BallFinder {
    const void* listData = nullptr;
    double count = -1;
    std::uint32_t serial = 0;
    const clsParticle* firstBall = nullptr;
    const clsParticle* lastBall = nullptr;
    // Open addressing by digest: the first slot holding each digest, 0 for an empty place.
    std::vector<std::uint32_t> slotFor;
};

}  // namespace brivane
