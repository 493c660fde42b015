// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// clsParticle: one ball, quark, string or the electron, with its movement, capture fade and
// masked drawing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/game_state.h"

namespace brivane {

enum class ParticleKind : std::uint8_t { ball = 0, quark = 1, string = 2, electron = 3 };

struct point {
    float x = 0.0f;
    float y = 0.0f;
};

class clsParticle {
  public:
    bool isDying() const { return isDying_; }
    std::int16_t colour() const { return colour16_; }
    const std::string& IDnum() const { return IDnum_; }
    // A digest of IDnum: bonds look for their partner among all balls, and comparing digests
    // first spares most of the text comparisons.
    std::size_t IDdigest() const { return IDdigest_; }
    const std::string& boundTo() const { return boundTo_; }
    void setBoundTo(const std::string& ballID) { boundTo_ = ballID; }
    std::int16_t speedX() const { return speedX_; }
    void setSpeedX(std::int16_t v);
    std::int16_t speedY() const { return speedY_; }
    void setSpeedY(std::int16_t v);
    float top() const { return top_; }
    void setTop(float newTop) { top_ = newTop; }
    float left() const { return left_; }
    void setLeft(float newLeft) { left_ = newLeft; }
    // The centre; inline because ball collisions ask it of every pair of balls each pass. The
    // floored half sizes are kept from set-up, as the size never changes after it.
    float x() const { return halfWidth_ + left_; }
    float y() const { return halfHeight_ + top_; }
    float width() const { return width_; }
    float height() const { return height_; }
    double num() const { return num_; }
    void setNum(double newNum) { num_ = newNum; }
    void init(GameState& g, double number, std::uint8_t kind);
    void move(GameState& g);
    void setLocation(float sX, float sY) {
        left_ = sX;
        top_ = sY;
    }
    bool detectCapture(GameState& g);
    void paint(GameState& g);
    void implode(GameState& g, std::int16_t n);
    point centrePoint(const GameState& g) const;

    ParticleKind kind() const { return kind_; }
    std::int16_t fadeLevel() const { return fadeLevel_; }
    bool isAttracted() const { return isAttracted_; }

  private:
    // Lets tests put a particle into states that only play reaches (captured, mid-fade).
    friend struct ParticleTestAccess;

    void fadeOut(GameState& g);

    // What a bounce reads and writes comes first, together: a crowded level bounces each ball
    // off dozens of others a pass, and one cache line a ball is then what the memory serves.
    float left_ = 0.0f;
    float top_ = 0.0f;
    std::int16_t speedX_ = 0;
    std::int16_t speedY_ = 0;
    std::int16_t colour16_ = 0;  // toInt16(colour_), the mass less one
    float width_ = 0.0f;
    float height_ = 0.0f;
    float halfWidth_ = 0.0f;   // floor(width_ / 2)
    float halfHeight_ = 0.0f;  // floor(height_ / 2)
    float colour_ = 0.0f;
    double num_ = 0;
    std::size_t IDdigest_ = std::hash<std::string>{}(std::string());
    ParticleKind kind_ = ParticleKind::ball;
    std::int16_t fadeLevel_ = 0;
    bool isDying_ = false;
    bool isAttracted_ = false;
    Picture sprite_ = Picture::imgBalls;
    std::string IDnum_;
    std::string boundTo_;
};

}  // namespace brivane
