// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws every sprite picture of Brivane and writes them as 24-bit RGB PNG files.
//
// Each picture is a pair of cells: the sprite, black wherever it is transparent, and its mask,
// white where the background shows, black under the sprite and grey along the edges. The game
// blits the mask with AND and then the sprite with OR. Every shape here is sampled on a fine grid
// inside each pixel; the covered fraction becomes the mask's grey and the sprite colour is
// premultiplied by it, so an edge pixel never carries more light than its mask lets through and
// the OR cannot paint a coloured fringe onto the background.
//
// Every picture is drawn twice from the same shapes: at one pixel per game pixel (balls.png),
// and at two (balls@2x.png) for screens with a device-pixel ratio of 2, where doubling the small
// pictures' pixels would leave them blocky beside crisp lines and text. The cells cover the same
// part of the playfield in both, so the game's geometry does not depend on which is shown.
//
// Usage: gen_sprites OUTDIR
// No randomness and no clock: the same build writes the same bytes every run.

#include <QDir>
#include <QImage>
#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>

#include "shapes.h"

namespace {

using namespace shapes;

// A shader answers the paint at one point of a cell; x and y are in game pixels (1x) from the
// cell's top-left corner, so game pixel (i, j) spans [i, i + 1) x [j, j + 1) at every scale.
using Shader = std::function<Paint(double x, double y)>;

// 16 x 16 samples per picture pixel: enough for smooth edges on thin arms and orbits.
constexpr int kSamples = 16;

// The scales the pictures are drawn at, with the file name suffix of each.
struct Scale {
    int factor;
    const char* suffix;
};
constexpr std::array<Scale, 2> kScales{{{1, ""}, {2, "@2x"}}};

int toByte(double v) {
    return static_cast<int>(std::nearbyint(std::clamp(v, 0.0, 1.0) * 255.0));
}

// The mask grey for a pixel covered cover/255 by its sprite. The blit is bitwise, so an
// arbitrary grey would keep a scatter of the background's bits (a grey of 0x9A turns a background
// of 0x65 into 0). Only greys made of high bits (0x80, 0xC0, 0xE0, ... 0xFE) behave: each clears
// the background's low n bits, darkening it by less than 2^n, and the sprite's edge colour (never
// above cover, which fits in those n bits) is then ORed into exactly the cleared bits, so the
// OR adds. The smallest such n that holds the coverage is used; over black the result is the
// sprite's own smooth edge.
int maskGrey(int cover) {
    if (cover <= 0) {
        return 255;
    }
    int bits = 1;
    while ((1 << bits) - 1 < cover) {
        ++bits;
    }
    return 256 - (1 << bits);
}

// A sheet starts fully transparent: black sprite rows, white mask rows.
QImage blankSheet(int width, int spriteRows, int maskRows) {
    QImage sheet(width, spriteRows + maskRows, QImage::Format_RGB888);
    sheet.fill(Qt::black);
    for (int y = spriteRows; y < spriteRows + maskRows; ++y) {
        for (int x = 0; x < width; ++x) {
            sheet.setPixel(x, y, qRgb(255, 255, 255));
        }
    }
    return sheet;
}

// Renders one cell of w x h picture pixels with its sprite at (left, spriteTop) and its mask at
// (left, maskTop) of the same sheet (or of two sheets for the player's separate mattes), at
// `scale` picture pixels to a game pixel.
void renderCell(QImage& spriteSheet, QImage& maskSheet, int left, int spriteTop, int maskTop, int w,
                int h, int scale, const Shader& shader) {
    constexpr double kStep = 1.0 / kSamples;
    constexpr double kCount = kSamples * kSamples;
    const double perPixel = scale;
    for (int j = 0; j < h; ++j) {
        for (int i = 0; i < w; ++i) {
            Paint sum;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Paint p = shader((i + (sx + 0.5) * kStep) / perPixel,
                                           (j + (sy + 0.5) * kStep) / perPixel);
                    sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
                }
            }
            const int cover = toByte(sum.a / kCount);
            const int mask = maskGrey(cover);
            // The sprite may add at most the light its own coverage stands for: where the mask
            // is white the sprite stays black, and a grey edge keeps a matching dim colour.
            const int r = std::min(toByte(sum.r / kCount), cover);
            const int g = std::min(toByte(sum.g / kCount), cover);
            const int b = std::min(toByte(sum.b / kCount), cover);
            spriteSheet.setPixel(left + i, spriteTop + j, qRgb(r, g, b));
            maskSheet.setPixel(left + i, maskTop + j, qRgb(mask, mask, mask));
        }
    }
}

void renderCell(QImage& sheet, int left, int spriteTop, int maskTop, int w, int h, int scale,
                const Shader& shader) {
    renderCell(sheet, sheet, left, spriteTop, maskTop, w, h, scale, shader);
}

// Distance from (u, v) to the ellipse u^2/a^2 + v^2/b^2 = 1, to first order: accurate enough for
// orbit lines a pixel wide.
double ellipseDistance(double u, double v, double a, double b) {
    const double q = std::sqrt((u * u) / (a * a) + (v * v) / (b * b));
    if (q < 1e-9) {
        return std::min(a, b);
    }
    const double gx = u / (a * a * q);
    const double gy = v / (b * b * q);
    return std::abs(q - 1.0) / std::hypot(gx, gy);
}

// The electron's atom: a shaded nucleus inside three thin elliptical orbits 60 degrees apart,
// one of them upright so the symbol is taller than wide, like the 18 x 20 box it sits in.
Paint atom(Rgb base, double x, double y, double cx, double cy) {
    constexpr double kMajor = 8.3;
    constexpr double kMinor = 3.2;
    constexpr double kLineHalf = 0.47;
    const double dx = x - cx;
    const double dy = y - cy;
    Paint p;
    for (int k = 0; k < 3; ++k) {
        const double angle = kPi / 2.0 + k * kPi / 3.0;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        const double u = dx * c + dy * s;
        const double v = -dx * s + dy * c;
        if (ellipseDistance(u, v, kMajor, kMinor) <= kLineHalf) {
            // Orbits are lighter at their far ends, as if seen through a little depth.
            const double t = std::abs(u) / kMajor;
            p = solid(mix(base, kWhite, 0.1 + 0.3 * t * t));
        }
    }
    const Paint nucleus = sphere(base, x, y, cx, cy, 2.4, 0.9);
    return over(nucleus, p);
}

// A six-armed star turned by `turn` radians, cut into twelve flat facets like a gem: each arm
// has a ridge along its axis and two slopes, and every slope catches the light differently.
Paint star(Rgb base, double x, double y, double cx, double cy, double turn) {
    constexpr double kOuter = 9.9;
    constexpr double kInner = 4.3;
    constexpr double kSector = kPi / 3.0;
    const double dx = x - cx;
    const double dy = y - cy;
    const double rho = std::hypot(dx, dy);
    if (rho > kOuter) {
        return {};
    }
    double theta = std::atan2(dy, dx) - turn;
    theta -= std::floor(theta / kSector) * kSector;  // now in [0, 60 degrees)
    const int arm = static_cast<int>(std::floor((std::atan2(dy, dx) - turn) / kSector + 0.5));
    const double local = theta > kSector / 2.0 ? theta - kSector : theta;  // -30..30 degrees
    const double side = local < 0.0 ? -1.0 : 1.0;
    // In the arm's own frame the tip is at (kOuter, 0) and the valley at kInner, 30 degrees off.
    const double px = rho * std::cos(local);
    const double py = rho * std::abs(std::sin(local));
    const double ax = kOuter;
    const double ay = 0.0;
    const double bx = kInner * std::cos(kSector / 2.0);
    const double by = kInner * std::sin(kSector / 2.0);
    const double ex = bx - ax;
    const double ey = by - ay;
    // Outward normal of the edge from tip to valley (points away from the centre).
    double nx = ey;
    double ny = -ex;
    if (nx * (0.0 - ax) + ny * (0.0 - ay) > 0.0) {
        nx = -nx;
        ny = -ny;
    }
    if ((px - ax) * nx + (py - ay) * ny > 0.0) {
        return {};
    }
    // Facet normal: the slope falls toward its edge. Turn the edge normal back into the screen
    // frame (mirrored for the arm's other side).
    const double len = std::hypot(nx, ny);
    const double lx = nx / len;
    const double ly = side * ny / len;
    const double armAngle = turn + arm * kSector;
    const double c = std::cos(armAngle);
    const double s = std::sin(armAngle);
    constexpr double kSlope = 0.85;
    const Vec3 n = normalised({kSlope * (lx * c - ly * s), kSlope * (lx * s + ly * c), 1.0});
    const double diffuse = std::max(0.0, dot(n, kLight));
    const double specular = std::pow(std::max(0.0, dot(n, kHalfway)), 12.0) * 0.25;
    // Slightly brighter toward the centre, as if the star glows from within.
    const double glow = 0.15 * (1.0 - rho / kOuter);
    Rgb col = scaled(base, 0.3 + 0.95 * diffuse + glow);
    col = plus(col, scaled(kWhite, specular));
    return solid(col);
}

// The shield: a yellow-green bubble, dark inside and bright at the rim with a glint at the upper
// left, and the spark (slightly smaller) inside it.
Paint shieldDisc(double x, double y) {
    constexpr double kCentre = 10.5;
    constexpr double kRadius = 10.2;
    const double dx = x - kCentre;
    const double dy = y - kCentre;
    const double d = std::hypot(dx, dy) / kRadius;
    if (d > 1.0) {
        return {};
    }
    const Rgb inner = rgb(44, 74, 8);
    const Rgb rim = rgb(170, 230, 46);
    Rgb c = mix(inner, rim, std::pow(d, 3.0));
    const double glint = std::max(0.0, 1.0 - std::hypot(dx + 4.6, dy + 4.6) / 2.6);
    c = plus(c, scaled(rgb(210, 255, 150), 0.8 * glint * glint));
    return solid(c);
}

// ---- Sheets -----------------------------------------------------------------------------------

// Ball colours, in sheet order; the electron uses the same ones.
const std::array<Rgb, 11> kBallColours{
    rgb(232, 36, 36),   // red
    rgb(255, 136, 16),  // orange
    rgb(250, 222, 30),  // yellow
    rgb(156, 218, 30),  // yellow-green
    rgb(36, 196, 48),   // green
    rgb(40, 186, 118),  // sea-green
    rgb(28, 206, 220),  // cyan
    rgb(72, 160, 250),  // sky-blue
    rgb(44, 72, 242),   // blue
    rgb(148, 72, 236),  // violet
    rgb(228, 48, 208),  // magenta
};

// String colours, in sheet order: deeper than the balls so strings read as a different kind.
const std::array<Rgb, 11> kStringColours{
    rgb(22, 132, 128),  // teal
    rgb(12, 104, 172),  // cyan-blue
    rgb(118, 40, 150),  // purple
    rgb(168, 22, 52),   // crimson
    rgb(196, 100, 12),  // orange
    rgb(118, 156, 20),  // yellow-green
    rgb(28, 136, 42),   // green
    rgb(22, 132, 128),  // teal
    rgb(34, 54, 184),   // blue
    rgb(76, 34, 150),   // indigo
    rgb(168, 30, 148),  // magenta
};

const std::array<Rgb, 7> kQuarkColours{
    rgb(255, 40, 40),   // red
    rgb(255, 150, 20),  // orange
    rgb(255, 235, 40),  // yellow
    rgb(40, 230, 60),   // green
    rgb(40, 230, 240),  // cyan
    rgb(60, 100, 255),  // blue
    rgb(240, 60, 230),  // magenta
};

constexpr int kCell = 21;

QImage ballSheet(int s) {
    QImage sheet = blankSheet(kCell * 11 * s, kCell * s, kCell * s);
    for (int k = 0; k < 11; ++k) {
        const Rgb base = kBallColours[static_cast<std::size_t>(k)];
        renderCell(sheet, kCell * k * s, 0, kCell * s, kCell * s, kCell * s, s,
                   [&](double x, double y) { return sphere(base, x, y, 10.5, 10.5, 10.0); });
    }
    return sheet;
}

// The electron sheet is 234 x 40: pictures 21 pixels apart and 20 rows high, three blank
// columns at the right. The game cuts it into cells a little wider than 21 pixels, so cell k
// starts up to three columns into picture k and ends up to three columns into picture k + 1.
// The atom therefore keeps the first three columns of its picture blank and sits in the other
// eighteen, which keeps every cut clean and the atom near the middle of every cut. At 2x the
// cuts start up to five picture columns in, and the atom leaves eight blank.
QImage electronSheet(int s) {
    constexpr int kRows = 20;
    QImage sheet = blankSheet(234 * s, kRows * s, kRows * s);
    for (int k = 0; k < 11; ++k) {
        const Rgb base = kBallColours[static_cast<std::size_t>(k)];
        renderCell(sheet, kCell * k * s, 0, kRows * s, kCell * s, kRows * s, s,
                   [&](double x, double y) { return atom(base, x, y, 12.0, 10.0); });
    }
    return sheet;
}

QImage stringSheet(int s) {
    QImage sheet = blankSheet(kCell * 11 * s, kCell * s, kCell * s);
    for (int k = 0; k < 11; ++k) {
        const Rgb base = kStringColours[static_cast<std::size_t>(k)];
        // Eleven turns spread evenly over the star's 60-degree symmetry.
        const double turn = -kPi / 2.0 + k * (kPi / 3.0) / 11.0;
        renderCell(sheet, kCell * k * s, 0, kCell * s, kCell * s, kCell * s, s,
                   [&](double x, double y) { return star(base, x, y, 10.5, 10.5, turn); });
    }
    return sheet;
}

// Quarks are 3 x 3: a plus of five pixels, the centre a lighter tint of the arms.
QImage quarkSheet(int s) {
    constexpr int kSize = 3;
    QImage sheet = blankSheet(kSize * 7 * s, kSize * s, kSize * s);
    for (int k = 0; k < 7; ++k) {
        const Rgb base = kQuarkColours[static_cast<std::size_t>(k)];
        renderCell(sheet, kSize * k * s, 0, kSize * s, kSize * s, kSize * s, s,
                   [&](double x, double y) {
                       const bool across = y >= 1.0 && y < 2.0;
                       const bool upright = x >= 1.0 && x < 2.0;
                       if (across && upright) {
                           return solid(mix(base, kWhite, 0.45));
                       }
                       return across || upright ? solid(base) : Paint{};
                   });
    }
    return sheet;
}

bool save(const QImage& image, const QString& dir, const char* name, const Scale& scale) {
    const QString path = QDir(dir).filePath(
        QString::fromLatin1(name) + QString::fromLatin1(scale.suffix) + QStringLiteral(".png"));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "gen_sprites: cannot write %s\n", path.toLocal8Bit().constData());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_sprites OUTDIR\n");
        return 2;
    }
    const QString outDir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "gen_sprites: cannot create %s\n", argv[1]);
        return 1;
    }

    bool ok = true;
    for (const Scale& scale : kScales) {
        const int s = scale.factor;
        const int cell = kCell * s;
        QImage player = blankSheet(cell, cell, 0);
        QImage playerMatte = blankSheet(cell, 0, cell);
        renderCell(player, playerMatte, 0, 0, 0, cell, cell, s,
                   [](double x, double y) { return rimmedSpark(x, y, 10.5, 10.5); });

        QImage shield = blankSheet(cell, cell, 0);
        QImage shieldMatte = blankSheet(cell, 0, cell);
        renderCell(shield, shieldMatte, 0, 0, 0, cell, cell, s, [](double x, double y) {
            return over(spark(x, y, 10.5, 10.5, 0.8), shieldDisc(x, y));
        });

        ok = save(player, outDir, "player", scale) && ok;
        ok = save(playerMatte, outDir, "player_matte", scale) && ok;
        ok = save(shield, outDir, "player_shield", scale) && ok;
        ok = save(shieldMatte, outDir, "player_shield_matte", scale) && ok;
        ok = save(ballSheet(s), outDir, "balls", scale) && ok;
        ok = save(electronSheet(s), outDir, "electrons", scale) && ok;
        ok = save(stringSheet(s), outDir, "strings", scale) && ok;
        ok = save(quarkSheet(s), outDir, "quarks", scale) && ok;
    }
    return ok ? 0 : 1;
}
