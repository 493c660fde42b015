// Balls bouncing off each other: an elastic exchange of momentum along the line between the two
// centres, with a ball's mass taken from its colour, then a fixed push that separates the pair.
#include "particles/collisions.h"

#include <cmath>

#include "core/numbers.h"
#include "particles/particle.h"

namespace brivane {

namespace {

constexpr double contactDistance = 240.0;
constexpr float separationPush = 30.0f;

}  // namespace

void checkBallCollisions(GameState& g, double num) {
    if (num < 1 || num > g.ballCount) {
        return;
    }
    const clsParticle& self = *g.balls[static_cast<std::size_t>(num)];
    const double xi = self.x();
    const double yi = self.y();
    const double count = g.ballCount;
    for (double j = 1; j <= count && j <= g.ballCount; j += 1) {
        if (j == num) {
            continue;
        }
        const clsParticle& other = *g.balls[static_cast<std::size_t>(j)];
        const double dx = xi - other.x();
        const double dy = other.y() - yi;
        const double squared = dx * dx + dy * dy;
        // Most pairs are far apart: skip the square root where it cannot come out below 240.
        if (squared <= contactDistance * contactDistance + 1.0 &&
            std::sqrt(squared) < contactDistance) {
            bounceBalls(g, num, j);
        }
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
