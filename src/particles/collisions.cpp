// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Balls bouncing off each other: an elastic exchange of momentum along the line between the two
// centres, with a ball's mass taken from its colour, then a fixed push that separates the pair.
#include "particles/collisions.h"

#include <algorithm>
#include <array>
#include <bit>
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
// Squares on a side at most: a huge playfield gets larger squares at its far edges instead of
// millions of empty ones.
constexpr int mostSquares = 256;

// Squares a little wider than the contact distance: a power of two cuts a centre into its
// square without rounding, and any side of at least 240 keeps touching balls in neighbouring
// squares.
constexpr float squareSide = 256.0f;
static_assert(squareSide >= contactDistance);

// The square a centre stands in; false for a centre that is not a finite number of twips.
bool squareAt(const BallGrid& grid, float cx, float cy, std::uint32_t& square) {
    if (!(std::fabs(cx) < 1e9f && std::fabs(cy) < 1e9f)) {
        return false;
    }
    const auto along = [](float v, int squares) {
        return v < 0.0f ? 0 : std::min(static_cast<int>(v * (1.0f / squareSide)), squares - 1);
    };
    square =
        static_cast<std::uint32_t>(along(cy, grid.rows) * grid.columns + along(cx, grid.columns));
    return true;
}

int squaresFor(double extent) {
    return static_cast<int>(
        std::clamp(std::floor(extent / squareSide) + 1.0, 1.0, static_cast<double>(mostSquares)));
}

void build(BallGrid& grid, const GameState& g, std::size_t last) {
    const ParticleList& balls = g.balls;
    grid.valid = true;
    grid.listData = balls.data();
    grid.last = last;
    grid.firstBall = balls[1].get();
    grid.lastBall = balls[last].get();
    grid.columns = squaresFor(g.pf.playfieldWidth());
    grid.rows = squaresFor(g.pf.playfieldHeight());
    grid.squares.resize(static_cast<std::size_t>(grid.columns * grid.rows));
    for (std::vector<BallGrid::Entry>& square : grid.squares) {
        square.clear();
    }
    grid.squareOf.assign(last + 1, 0);
    grid.placeOf.assign(last + 1, 0);
    grid.touched.assign(last / 64 + 1, 0);
    for (std::size_t j = 1; j <= last; ++j) {
        const clsParticle& ball = *balls[j];
        std::uint32_t square = 0;
        if (!squareAt(grid, ball.x(), ball.y(), square)) {
            grid.valid = false;
            return;
        }
        std::vector<BallGrid::Entry>& in = grid.squares[square];
        grid.squareOf[j] = square;
        grid.placeOf[j] = static_cast<std::uint32_t>(in.size());
        in.push_back({ball.x(), ball.y(), static_cast<std::uint32_t>(j)});
    }
}

// Brings ball j's entry to where it stands now; false when it stands nowhere.
bool follow(BallGrid& grid, const ParticleList& balls, std::size_t j) {
    const clsParticle& ball = *balls[j];
    const BallGrid::Entry now{ball.x(), ball.y(), static_cast<std::uint32_t>(j)};
    std::uint32_t square = 0;
    if (!squareAt(grid, now.x, now.y, square)) {
        return false;
    }
    if (square == grid.squareOf[j]) {
        grid.squares[square][grid.placeOf[j]] = now;
        return true;
    }
    // Order inside a square does not matter (a test puts what it found in slot order), so the
    // square's last entry fills the gap.
    std::vector<BallGrid::Entry>& from = grid.squares[grid.squareOf[j]];
    const BallGrid::Entry moved = from.back();
    from[grid.placeOf[j]] = moved;
    grid.placeOf[moved.slot] = grid.placeOf[j];
    from.pop_back();
    std::vector<BallGrid::Entry>& to = grid.squares[square];
    grid.squareOf[j] = square;
    grid.placeOf[j] = static_cast<std::uint32_t>(to.size());
    to.push_back(now);
    return true;
}

// The squares describe the list only while it is the same list with the same balls in it.
bool describes(const BallGrid& grid, const ParticleList& balls, std::size_t last, double num) {
    return grid.valid && grid.listData == balls.data() && grid.last == last && num > grid.lastNum &&
           grid.firstBall == balls[1].get() && grid.lastBall == balls[last].get();
}

// The cosine and sine of the contact angle of centres dx and dy apart (both not negative), each
// kept as a single.
void contactTurn(double dx, double dy, double& c, double& s) {
    // The contact angle always lies in the first quadrant, whichever side the balls meet on.
    // The angle itself stays double; only its cosine and sine are kept as singles.
    const double theta = dx == 0.0 ? 0.0 : std::atan(dy / dx);
    c = static_cast<float>(std::cos(theta));
    s = static_cast<float>(std::sin(theta));
}

// The same, from the table of whole offsets where it can: a crowded level bounces hundreds of
// thousands of pairs a pass, nearly all of them at one of a few ten thousand offsets.
void lookUpTurn(BallGrid& grid, double dx, double dy, double& c, double& s) {
    constexpr int span = BallGrid::turnSpan;
    if (!(dx < span && dy < span) || dx != std::floor(dx) || dy != std::floor(dy)) {
        contactTurn(dx, dy, c, s);
        return;
    }
    if (grid.turns.empty()) {
        grid.turns.assign(static_cast<std::size_t>(span * span), {-1.0f, 0.0f});
    }
    std::array<float, 2>& turn =
        grid.turns[static_cast<std::size_t>(static_cast<int>(dx) * span + static_cast<int>(dy))];
    if (turn[0] < 0.0f) {
        contactTurn(dx, dy, c, s);
        turn = {static_cast<float>(c), static_cast<float>(s)};
        return;
    }
    c = turn[0];
    s = turn[1];
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
    // The distance is under 240 exactly when its square is under 240 * 240: the root is
    // correctly rounded, and the largest double below 57600 has a root below 240.
    const auto touches = [xi, yi](float x, float y) {
        const double dx = xi - x;
        const double dy = y - yi;
        return dx * dx + dy * dy < contactDistance * contactDistance;
    };
    BallGrid& grid = g.ballGrid;
    const auto plainWalk = [&] {
        grid.valid = false;  // its bounces move balls the squares do not follow
        for (std::size_t j = 1; j <= last; ++j) {
            if (j != own && touches(slots[j]->x(), slots[j]->y())) {
                bounceBalls(g, num, static_cast<double>(j));
            }
        }
    };
    // A handle between two slots tests the ball it stands on too, from where the earlier
    // bounces pushed it, so only the plain walk answers it.
    if (last < crowded || own == 0 || own > last) {
        plainWalk();
        return;
    }
    if (!describes(grid, g.balls, last, num)) {
        build(grid, g, last);
    }
    grid.lastNum = num;
    std::uint32_t square = 0;
    if (!grid.valid || !follow(grid, g.balls, own) || !squareAt(grid, self.x(), self.y(), square)) {
        plainWalk();
        return;
    }
    // Only a ball in this square or one of the eight around it can be nearer than 240. Which
    // balls a test bounces is settled before the first bounce, as a bounce moves only this ball
    // (measured from where it began) and the one it meets (already measured).
    const int column = static_cast<int>(square) % grid.columns;
    const int row = static_cast<int>(square) / grid.columns;
    std::vector<std::uint32_t>& found = grid.found;
    std::size_t n = 0;
    for (int r = std::max(row - 1, 0); r <= std::min(row + 1, grid.rows - 1); ++r) {
        for (int c = std::max(column - 1, 0); c <= std::min(column + 1, grid.columns - 1); ++c) {
            const std::vector<BallGrid::Entry>& in =
                grid.squares[static_cast<std::size_t>(r * grid.columns + c)];
            if (found.size() < n + in.size()) {
                found.resize(2 * (n + in.size()));
            }
            // Every entry is written and only those that touch are kept: whether one touches is
            // a coin toss, which a branch would guess wrong half the time.
            for (const BallGrid::Entry& e : in) {
                found[n] = e.slot;
                n += touches(e.x, e.y) && e.slot != own ? 1 : 0;
            }
        }
    }
    std::size_t lowest = grid.touched.size();
    std::size_t highest = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint32_t j = found[k];
        const std::size_t word = j / 64;
        grid.touched[word] |= std::uint64_t{1} << (j % 64);
        lowest = std::min(lowest, word);
        highest = std::max(highest, word);
        // Its particle is read by the bounce; asking for it now lets the memory serve the
        // balls of one test at once rather than one after another.
        __builtin_prefetch(slots[j].get(), 1);
    }
    // The bounces in slot order, as the plain walk would meet them.
    bool followed = true;
    for (std::size_t word = lowest; word <= highest && word < grid.touched.size(); ++word) {
        while (grid.touched[word] != 0) {
            const std::uint64_t bits = grid.touched[word];
            const std::size_t j = word * 64 + static_cast<std::size_t>(std::countr_zero(bits));
            grid.touched[word] = bits & (bits - 1);
            bounceBalls(g, num, static_cast<double>(j));
            followed = followed && follow(grid, g.balls, j);
        }
    }
    if (!followed || !follow(grid, g.balls, own)) {
        grid.valid = false;
    }
}

void bounceBalls(GameState& g, double a, double b) {
    clsParticle& pa = *g.balls[static_cast<std::size_t>(a)];
    clsParticle& pb = *g.balls[static_cast<std::size_t>(b)];
    const double ma = pa.colour() + 1.0;
    const double mb = pb.colour() + 1.0;
    // The centres: the corner plus the floored half size the particle keeps.
    const float cxa = pa.x();
    const float cya = pa.y();
    const float cxb = pb.x();
    const float cyb = pb.y();
    const double dx = std::fabs(static_cast<double>(cxa) - cxb);
    const double dy = std::fabs(static_cast<double>(cya) - cyb);
    double c = 0;
    double s = 0;
    lookUpTurn(g.ballGrid, dx, dy, c, s);
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
