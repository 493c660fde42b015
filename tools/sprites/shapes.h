// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Colours, shading and the shapes that more than one picture tool draws: the sprite sheets and
// the desktop icons both draw the player's spark from here, so the two always look alike.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

namespace shapes {

constexpr double kPi = std::numbers::pi;

// A colour with straight (not premultiplied) components in 0..1.
struct Rgb {
    double r = 0, g = 0, b = 0;
};

// A premultiplied colour with its coverage: what one sample of a shape contributes.
struct Paint {
    double r = 0, g = 0, b = 0, a = 0;
};

constexpr Rgb rgb(int r, int g, int b) {
    return {r / 255.0, g / 255.0, b / 255.0};
}

constexpr Rgb kWhite{1, 1, 1};

inline Rgb mix(Rgb from, Rgb to, double t) {
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t,
            from.b + (to.b - from.b) * t};
}

inline Rgb scaled(Rgb c, double k) {
    return {c.r * k, c.g * k, c.b * k};
}

inline Rgb plus(Rgb c, Rgb d) {
    return {c.r + d.r, c.g + d.g, c.b + d.b};
}

inline Paint solid(Rgb c, double coverage = 1.0) {
    c = {std::clamp(c.r, 0.0, 1.0), std::clamp(c.g, 0.0, 1.0), std::clamp(c.b, 0.0, 1.0)};
    return {c.r * coverage, c.g * coverage, c.b * coverage, coverage};
}

// Porter-Duff "over" for premultiplied paint.
inline Paint over(Paint top, Paint bottom) {
    const double k = 1.0 - top.a;
    return {top.r + bottom.r * k, top.g + bottom.g * k, top.b + bottom.b * k, top.a + bottom.a * k};
}

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec3 normalised(Vec3 v) {
    const double len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    return {v.x / len, v.y / len, v.z / len};
}

inline double dot(Vec3 a, Vec3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// All shading uses one light, up and to the left of the viewer (screen y grows downward).
inline const Vec3 kLight = normalised({-0.45, -0.6, 0.66});
inline const Vec3 kHalfway = normalised({kLight.x, kLight.y, kLight.z + 1.0});

// A lit sphere of radius r seen from the front: diffuse light from the upper left, a white
// highlight, and a faint reflected light on the lower-right rim so the dark side keeps its hue.
inline Paint sphere(Rgb base, double x, double y, double cx, double cy, double r,
                    double gloss = 1.0) {
    const double dx = (x - cx) / r;
    const double dy = (y - cy) / r;
    const double d2 = dx * dx + dy * dy;
    if (d2 > 1.0) {
        return {};
    }
    const Vec3 n{dx, dy, std::sqrt(1.0 - d2)};
    const double diffuse = std::max(0.0, dot(n, kLight));
    const double specular = std::pow(std::max(0.0, dot(n, kHalfway)), 28.0) * 0.8 * gloss;
    const double bounce = std::pow(1.0 - n.z, 2.0) * std::max(0.0, dx * 0.6 + dy * 0.8) * 0.35;
    Rgb c = scaled(base, 0.16 + 0.92 * diffuse + bounce);
    c = plus(c, scaled(kWhite, specular));
    return solid(c);
}

// The player's spark: four long arms on the axes and four shorter ones on the diagonals, each
// tapering to a point, around a round core. White at the heart, greying toward the tips.
// Sizes are in pixels of the 21-pixel sprite.
constexpr double kSparkCore = 1.7;
struct SparkArm {
    double length, halfWidth;
};
constexpr SparkArm kSparkAxisArm{9.9, 1.4};
constexpr SparkArm kSparkDiagonalArm{7.4, 1.1};

inline Paint spark(double x, double y, double cx, double cy, double size) {
    const double dx = (x - cx) / size;
    const double dy = (y - cy) / size;
    double light = -1.0;
    if (std::hypot(dx, dy) <= kSparkCore) {
        light = 1.0;
    }
    for (int arm = 0; arm < 8; ++arm) {
        const bool axis = arm % 2 == 0;
        const double length = axis ? kSparkAxisArm.length : kSparkDiagonalArm.length;
        const double halfWidth = axis ? kSparkAxisArm.halfWidth : kSparkDiagonalArm.halfWidth;
        const double angle = arm * kPi / 4.0;
        const double along = dx * std::cos(angle) + dy * std::sin(angle);
        const double across = std::abs(-dx * std::sin(angle) + dy * std::cos(angle));
        if (along < 0.0 || along > length) {
            continue;
        }
        const double t = along / length;
        if (across <= halfWidth * (1.0 - t)) {
            // The ridge of each arm stays brighter than its flanks, which keeps the arms sharp.
            const double ridge = 1.0 - 0.25 * across / (halfWidth * (1.0 - t) + 1e-9);
            light = std::max(light, (1.0 - 0.5 * t) * ridge);
        }
    }
    if (light < 0.0) {
        return {};
    }
    return solid(scaled(kWhite, light));
}

// The spark with a thin black rim. The rim cannot be seen on the black playfield, but where the
// player crosses a grey capture disc or a bright ball it keeps the grey arms from melting away.
inline Paint rimmedSpark(double x, double y, double cx, double cy) {
    constexpr double kRim = 0.9;
    const Paint p = spark(x, y, cx, cy, 1.0);
    if (p.a > 0.0) {
        return p;
    }
    for (int k = 0; k < 16; ++k) {
        const double angle = k * kPi / 8.0;
        if (spark(x + kRim * std::cos(angle), y + kRim * std::sin(angle), cx, cy, 1.0).a > 0.0) {
            return solid(Rgb{});
        }
    }
    return {};
}

}  // namespace shapes
