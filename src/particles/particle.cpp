// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// clsParticle: set-up with its random draws, one frame of movement or fading, the masked blit,
// the capture question and the death animation's step toward the centre.
#include "particles/particle.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <functional>
#include <memory>

#include "core/game.h"
#include "core/numbers.h"
#include "core/sound.h"
#include "particles/bonds.h"
#include "particles/collisions.h"
#include "particles/lists.h"
#include "player/capture.h"
#include "player/hazards.h"

namespace brivane {

namespace {

struct KindInfo {
    Picture sheet;
    int cells;
    double speedSpan;  // speeds are drawn from -span/2 to span/2 - 1
};

KindInfo kindInfo(ParticleKind kind) {
    switch (kind) {
        case ParticleKind::ball:
            return {Picture::imgBalls, 11, 20.0};
        case ParticleKind::quark:
            return {Picture::imgQuarks, 7, 20.0};
        case ParticleKind::string:
            return {Picture::imgStrings, 11, 70.0};
        case ParticleKind::electron:
            return {Picture::imgElectrons, 11, 20.0};
    }
    return {Picture::imgBalls, 11, 20.0};
}

std::int16_t drawSpeed(GameState& g, double span) {
    const auto speed = static_cast<std::int16_t>(intFloor(g.rnd() * span - span / 2.0));
    // A particle that stood still on an axis would never cross the playfield on it.
    return speed == 0 ? std::int16_t{5} : speed;
}

// Speeds are small, but a negated 16-bit value must never wrap.
std::int16_t negate(std::int16_t v) {
    return clamp16(-static_cast<double>(v));
}

std::string singleText(float v) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
}

// Identity text: the random number, then the time of day and this run's particle serial. The
// random part has only about 100,000 values and a whole level is made within one instant, so
// the serial (set off by '#', which neither number contains) is what keeps two identities from
// ever matching; bonds find their partner by it.
std::string makeIdentity(GameState& g, double randomPart) {
    std::string id = std::to_string(static_cast<long long>(randomPart));
    id += singleText(static_cast<float>(g.pf.timeOfDay()));
    id += '#';
    id += std::to_string(++g.particleSerial);
    return id;
}

// Moves one coordinate by speed * step and applies the edge rule of its axis: strings wrap
// around to the opposite edge, every other kind bounces.
void stepAxis(float& pos, std::int16_t& speed, std::int16_t step, float extent, bool wraps) {
    // Computed wider than 16 bits: a long stall must not wrap the distance around.
    const std::int32_t distance = static_cast<std::int32_t>(speed) * step;
    pos = pos + static_cast<float>(distance);
    if (pos > extent) {
        if (wraps) {
            pos = static_cast<float>(speed);
        } else {
            pos = extent;
            speed = negate(speed);
        }
    }
    if (pos < 1.0f) {
        if (wraps) {
            pos = extent - static_cast<float>(speed);
        } else {
            pos = 1.0f;
            speed = negate(speed);
        }
    }
}

// An attracted ball turns on an axis whenever its next step would take it farther from the
// player on that axis.
void steer(float pos, std::int16_t& speed, std::int16_t step, float target) {
    const float next = static_cast<float>(static_cast<std::int32_t>(step) * speed) + pos - target;
    if (std::fabs(next) > std::fabs(pos - target)) {
        speed = negate(speed);
    }
}

// One axis of the implosion: n toward the centre, or +n when both ways are equally far.
float implodeAxis(float pos, float n, float centre) {
    const float forward = pos + n;
    if (std::fabs(pos - centre) < std::fabs(forward - centre)) {
        return pos - n;
    }
    return forward;
}

// Collision results are kept from getting too fast or too slow to see, and never stop.
std::int16_t limitSpeed(std::int16_t v) {
    if (v < -10) {
        return -10;
    }
    if (v > 20) {
        return 20;
    }
    return v == 0 ? std::int16_t{10} : v;
}

}  // namespace

void clsParticle::setSpeedX(std::int16_t v) {
    speedX_ = limitSpeed(v);
}

void clsParticle::setSpeedY(std::int16_t v) {
    speedY_ = limitSpeed(v);
}

void clsParticle::init(GameState& g, double number, std::uint8_t kind) {
    g.ballGrid.valid = false;  // a new particle stands where the squares know nothing of
    num_ = number;
    kind_ = static_cast<ParticleKind>(kind);
    const KindInfo info = kindInfo(kind_);
    sprite_ = info.sheet;

    const double cell = intFloor(g.rnd() * info.cells + 1.0);
    const double sheetWidth = g.pf.pictureWidth(sprite_);
    const double sheetHeight = g.pf.pictureHeight(sprite_);
    // Cut by the sheet's size, not its picture grid: the electron sheet gives 319-twip cells.
    width_ = static_cast<float>(intFloor(sheetWidth / info.cells));
    colour_ = static_cast<float>((cell - 1.0) * width_);
    colour16_ = toInt16(colour_);
    height_ = static_cast<float>(intFloor(sheetHeight / 2.0));
    halfWidth_ = std::floor(width_ / 2.0f);
    halfHeight_ = std::floor(height_ / 2.0f);

    speedX_ = drawSpeed(g, info.speedSpan);
    speedY_ = drawSpeed(g, info.speedSpan);

    left_ = static_cast<float>(intFloor(g.rnd() * g.pf.playfieldWidth() + 1.0));
    top_ = static_cast<float>(intFloor(g.rnd() * g.pf.playfieldHeight() + 1.0));

    fadeLevel_ = 255;
    isDying_ = false;

    IDnum_ = makeIdentity(g, intFloor(g.rnd() * 99999.0 + 10000.0));
    IDdigest_ = std::hash<std::string>{}(IDnum_);

    if (kind_ == ParticleKind::ball) {
        isAttracted_ = intFloor(g.rnd() * 100.0 + 1.0) <= 10.0;
    }

    paint(g);
}

void clsParticle::move(GameState& g) {
    if (isDying_) {
        fadeOut(g);
        return;
    }
    const std::int16_t s = frameStep(g);
    if (isAttracted_) {
        steer(left_, speedX_, s, getPlayerX(g));
        steer(top_, speedY_, s, getPlayerY(g));
    }
    const bool wraps = kind_ == ParticleKind::string;
    stepAxis(left_, speedX_, s, static_cast<float>(g.pf.playfieldWidth()), wraps);
    stepAxis(top_, speedY_, s, static_cast<float>(g.pf.playfieldHeight()), wraps);
    if (kind_ == ParticleKind::ball && g.ballsCollide) {
        checkBallCollisions(g, num_);
    }
}

bool clsParticle::detectCapture(GameState& g) {
    const bool enclosed = isEnclosed(g, left_, width_, top_, height_);
    if (enclosed) {
        isDying_ = true;
    }
    return enclosed;
}

void clsParticle::paint(GameState& g) {
    if (!boundTo_.empty()) {
        // A copy: the hazard test may end up changing this ball's bond.
        const std::string partner = boundTo_;
        drawBond(g, num_, partner);
        checkBondCollision(g, num_, partner);
    }
    g.pf.paintPicture(sprite_, left_, top_, width_, height_, colour_, height_, RasterOp::srcAnd);
    g.pf.paintPicture(sprite_, left_, top_, width_, height_, colour_, 0.0f, RasterOp::srcPaint);
}

void clsParticle::implode(GameState& g, std::int16_t n) {
    speedX_ = 0;
    speedY_ = 0;
    const auto cx = static_cast<float>(intFloor(g.pf.playfieldWidth() / 2.0));
    const auto cy = static_cast<float>(intFloor(g.pf.playfieldHeight() / 2.0));
    const auto step = static_cast<float>(n);
    const float nl = implodeAxis(left_, step, cx);
    const float nt = implodeAxis(top_, step, cy);
    left_ = nl;
    top_ = nt;
    // The last death implodes the balls in the middle of a pass (from a bond's drawing): the
    // squares of the collision tests no longer say where they stand.
    g.ballGrid.valid = false;
    paint(g);
}

point clsParticle::centrePoint(const GameState& g) const {
    // Every kind measures from the ball sheet's cell centre; the contact test relies on it.
    const double dx = intFloor(g.pf.pictureWidth(Picture::imgBalls) / 22.0);
    const double dy = intFloor(g.pf.pictureHeight(Picture::imgBalls) / 4.0);
    return {left_ + static_cast<float>(dx), top_ + static_cast<float>(dy)};
}

void clsParticle::fadeOut(GameState& g) {
    const std::int16_t s = frameStep(g);
    if (fadeLevel_ == 255) {
        playSound(g, effectCapture);
    }
    const std::int32_t level = std::max<std::int32_t>(fadeLevel_ - 2 * std::int32_t{s}, 0);
    fadeLevel_ = clamp16(level);

    const double cx = intFloor(width_ / 2.0 + static_cast<double>(left_));
    const double cy = intFloor(height_ / 2.0 + static_cast<double>(top_));
    const int w = std::max(255 - fadeLevel_, 1);
    g.pf.setForeColor({fadeLevel_, fadeLevel_, fadeLevel_});
    g.pf.setDrawWidth(w);
    g.pf.line(static_cast<float>(cx), static_cast<float>(cy), static_cast<float>(cx - 10.0),
              static_cast<float>(cy - 10.0));
    g.pf.setDrawWidth(1);

    if (fadeLevel_ > 0) {
        return;
    }
    // The hand-over drops this particle from its list; hold it until this call is over.
    const std::size_t slot = num_ >= 1.0 && num_ < 1e9 ? static_cast<std::size_t>(num_) : 0;
    std::shared_ptr<clsParticle> keepAlive;
    switch (kind_) {
        case ParticleKind::ball:
            if (slot < g.balls.size()) {
                keepAlive = g.balls[slot];
            }
            removeBall(g, num_);
            break;
        case ParticleKind::string:
            if (slot < g.strings.size()) {
                keepAlive = g.strings[slot];
            }
            removeString(g, num_);
            break;
        case ParticleKind::electron:
            endElectron(g);
            break;
        case ParticleKind::quark:
            break;
    }
}

}  // namespace brivane
