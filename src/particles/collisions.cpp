// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Balls bouncing off each other: an elastic exchange of momentum along the line between the two
// centres, with a ball's mass taken from its colour, then a fixed push that separates the pair.
#include "particles/collisions.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>

#include "core/numbers.h"
#include "particles/particle.h"

namespace brivane {

namespace {

constexpr double contactDistance = 240.0;
constexpr float separationPush = 30.0f;

}  // namespace

namespace {

// Fewer balls than this are measured pair by pair: the squares would cost more than they save.
constexpr std::size_t crowded = 64;

// The square a centre stands in; false for a centre that is not a finite number of twips.
bool squareAt(const clsParticle& ball, std::int64_t& square) {
    const double x = std::floor(static_cast<double>(ball.x()) / contactDistance);
    const double y = std::floor(static_cast<double>(ball.y()) / contactDistance);
    if (!(std::fabs(x) < 1e9 && std::fabs(y) < 1e9)) {
        return false;
    }
    square = (static_cast<std::int64_t>(x) << 32) ^ (static_cast<std::int64_t>(y) & 0xffffffff);
    return true;
}

std::int64_t neighbour(std::int64_t square, int dx, int dy) {
    const auto x = static_cast<std::int32_t>(square >> 32);
    const auto y = static_cast<std::int32_t>(square & 0xffffffff);
    return (static_cast<std::int64_t>(x + dx) << 32) ^
           (static_cast<std::int64_t>(static_cast<std::uint32_t>(y + dy)));
}

void build(BallGrid& grid, const ParticleList& balls, std::size_t last) {
    grid.valid = true;
    grid.listData = balls.data();
    grid.last = last;
    grid.slotsIn.clear();
    grid.particleAt.assign(last + 1, nullptr);
    grid.squareOf.assign(last + 1, 0);
    for (std::size_t j = 1; j <= last; ++j) {
        grid.particleAt[j] = balls[j].get();
        std::int64_t square = 0;
        if (!squareAt(*balls[j], square)) {
            grid.valid = false;
            return;
        }
        grid.squareOf[j] = square;
        grid.slotsIn[square].push_back(static_cast<std::uint32_t>(j));
    }
}

// Moves ball j to the square it stands in now; false when it stands nowhere.
bool follow(BallGrid& grid, const ParticleList& balls, std::size_t j) {
    std::int64_t square = 0;
    if (!squareAt(*balls[j], square)) {
        return false;
    }
    if (square != grid.squareOf[j]) {
        std::vector<std::uint32_t>& from = grid.slotsIn[grid.squareOf[j]];
        from.erase(std::find(from.begin(), from.end(), static_cast<std::uint32_t>(j)));
        grid.slotsIn[square].push_back(static_cast<std::uint32_t>(j));
        grid.squareOf[j] = square;
    }
    return true;
}

// The squares describe the list only while it is the same list with the same balls in it.
bool describes(const BallGrid& grid, const ParticleList& balls, std::size_t last, double num) {
    return grid.valid && grid.listData == balls.data() && grid.last == last && num > grid.lastNum &&
           grid.particleAt[1] == balls[1].get() && grid.particleAt[last] == balls[last].get();
}

}  // namespace

void checkBallCollisions(GameState& g, double num) {
    if (num < 1 || num > g.ballCount) {
        return;
    }
    const clsParticle& self = *g.balls[static_cast<std::size_t>(num)];
    // This ball's centre is taken once: its own bounces below push it, but the later pairs are
    // still measured from where it stood when its test began.
    const double xi = self.x();
    const double yi = self.y();
    // A bounce changes only the two balls it is given and never the count, so the slots to test
    // are fixed here, and every ball still to come is where it was when the test began. Slots
    // past the end of the list are never read.
    const double count = g.ballCount;
    const std::size_t last =
        count >= 1
            ? static_cast<std::size_t>(std::min(count, static_cast<double>(g.balls.size() - 1)))
            : 0;
    // A ball is not tested against itself; a handle that is not a whole number equals no slot.
    const std::size_t own = std::floor(num) == num ? static_cast<std::size_t>(num) : 0;
    // Nor does a bounce add or drop a slot, so the list stays where it is.
    const std::shared_ptr<clsParticle>* const slots = g.balls.data();
    const auto test = [&](std::size_t j) {
        const clsParticle& other = *slots[j];
        const double dx = xi - other.x();
        const double dy = other.y() - yi;
        // At 240 or more apart on either axis the square is at least 240 * 240 and its root at
        // least 240, however the other axis adds up. Almost every pair ends here, on one test
        // of both axes that leaves a single, rarely taken branch.
        if (!(std::max(std::fabs(dx), std::fabs(dy)) < contactDistance)) {
            return false;
        }
        if (std::sqrt(dx * dx + dy * dy) < contactDistance) {
            bounceBalls(g, num, static_cast<double>(j));
            return true;
        }
        return false;
    };
    BallGrid& grid = g.ballGrid;
    const std::size_t selfSlot = static_cast<std::size_t>(num);
    if (last < crowded || selfSlot > last) {
        grid.valid = false;
        for (std::size_t j = 1; j <= last; ++j) {
            if (j != own) {
                test(j);
            }
        }
        return;
    }
    if (!describes(grid, g.balls, last, num)) {
        build(grid, g.balls, last);
    }
    grid.lastNum = num;
    std::int64_t square = 0;
    if (!grid.valid || !follow(grid, g.balls, selfSlot) || !squareAt(self, square)) {
        grid.valid = false;
        for (std::size_t j = 1; j <= last; ++j) {
            if (j != own) {
                test(j);
            }
        }
        return;
    }
    // Only a ball in this square or one of the eight around it can be nearer than 240 on both
    // axes; tested in slot order, as the plain walk would reach them.
    std::vector<std::uint32_t> near;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const auto found = grid.slotsIn.find(neighbour(square, dx, dy));
            if (found != grid.slotsIn.end()) {
                near.insert(near.end(), found->second.begin(), found->second.end());
            }
        }
    }
    std::sort(near.begin(), near.end());
    for (const std::uint32_t j : near) {
        if (j != own && test(j) && !follow(grid, g.balls, j)) {
            grid.valid = false;
        }
    }
    if (grid.valid && !follow(grid, g.balls, selfSlot)) {
        grid.valid = false;
    }
}

void bounceBalls(GameState& g, double a, double b) {
    clsParticle& pa = *g.balls[static_cast<std::size_t>(a)];
    clsParticle& pb = *g.balls[static_cast<std::size_t>(b)];
    const double ma = pa.colour() + 1.0;
    const double mb = pb.colour() + 1.0;
    const float cxa = pa.left() + static_cast<float>(intFloor(pa.width() / 2.0f));
    const float cya = pa.top() + static_cast<float>(intFloor(pa.height() / 2.0f));
    const float cxb = pb.left() + static_cast<float>(intFloor(pb.width() / 2.0f));
    const float cyb = pb.top() + static_cast<float>(intFloor(pb.height() / 2.0f));
    const double dx = std::fabs(static_cast<double>(cxa) - cxb);
    const double dy = std::fabs(static_cast<double>(cya) - cyb);
    // The contact angle always lies in the first quadrant, whichever side the balls meet on.
    // The angle itself stays double; only its cosine and sine are kept as singles.
    const double theta = dx == 0.0 ? 0.0 : std::atan(dy / dx);
    const double c = static_cast<float>(std::cos(theta));
    const double s = static_cast<float>(std::sin(theta));
    const double vxa = pa.speedX();
    const double vya = pa.speedY();
    const double vxb = pb.speedX();
    const double vyb = pb.speedY();
    const double ua = vxa * c + vya * s;
    const double wa = vya * c - vxa * s;
    const double ub = vxb * c + vyb * s;
    const double wb = vyb * c - vxb * s;
    const double momentum = ma * ua + mb * ub;
    const double relative = ua - ub;
    const double ua2 = (momentum - mb * relative) / (ma + mb);
    const double ub2 = ua2 + relative;
    pa.setSpeedX(toInt16(c * ua2 - s * wa));
    pa.setSpeedY(toInt16(s * ua2 + c * wa));
    pb.setSpeedX(toInt16(c * ub2 - s * wb));
    pb.setSpeedY(toInt16(s * ub2 + c * wb));
    if (cxa < cxb) {
        pa.setLeft(pa.left() - separationPush);
        pb.setLeft(pb.left() + separationPush);
    } else {
        pa.setLeft(pa.left() + separationPush);
        pb.setLeft(pb.left() - separationPush);
    }
    if (cya < cyb) {
        pa.setTop(pa.top() - separationPush);
        pb.setTop(pb.top() + separationPush);
    } else {
        pa.setTop(pa.top() + separationPush);
        pb.setTop(pb.top() - separationPush);
    }
}

}  // namespace brivane
