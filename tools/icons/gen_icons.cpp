// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws Brivane's desktop icon: the player's spark inside the blue ring of a closed loop, on a
// dark rounded tile like the playfield. Writes the PNG sizes a desktop asks for and a scalable
// SVG of the same picture into a hicolor icon theme folder.
//
// Usage: gen_icons OUTDIR      (writes OUTDIR/hicolor/<size>/apps/net.brivane.Brivane.{png,svg})
// No randomness and no clock: the same build writes the same bytes every run.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>

#include "shapes.h"

namespace {

using namespace shapes;

const char* const kIconName = "net.brivane.Brivane";
constexpr int kPngSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// The picture in units of the icon's side: the tile leaves the margin icon themes expect, the
// spark's long arms reach past the ring, as the spark's tail would cross its own loop.
constexpr double kTileInset = 0.06;
constexpr double kTileRadius = 0.16;
constexpr double kRingRadius = 0.29;
constexpr double kRingWidth = 0.035;
constexpr double kSparkReach = 0.40;
const Rgb kTileTop = rgb(22, 28, 60);
const Rgb kTileBottom = rgb(6, 8, 20);
const Rgb kRing = rgb(56, 118, 255);

// Samples per pixel side, as for the sprites: smooth edges even at 16 pixels.
constexpr int kSamples = 16;

double sparkScale() {
    return kSparkReach / kSparkAxisArm.length;
}

bool insideTile(double u, double v) {
    const double lo = kTileInset + kTileRadius;
    const double hi = 1.0 - kTileInset - kTileRadius;
    const double dx = u < lo ? lo - u : (u > hi ? u - hi : 0.0);
    const double dy = v < lo ? lo - v : (v > hi ? v - hi : 0.0);
    return u >= kTileInset && u <= 1.0 - kTileInset && v >= kTileInset && v <= 1.0 - kTileInset &&
           dx * dx + dy * dy <= kTileRadius * kTileRadius;
}

// One sample of the icon at (u, v), both in 0..1 from the top-left corner.
Paint icon(double u, double v) {
    if (!insideTile(u, v)) {
        return {};
    }
    Paint p = solid(mix(kTileTop, kTileBottom, (v - kTileInset) / (1.0 - 2.0 * kTileInset)));
    if (std::abs(std::hypot(u - 0.5, v - 0.5) - kRingRadius) <= kRingWidth / 2.0) {
        p = over(solid(kRing), p);
    }
    return over(spark(u, v, 0.5, 0.5, sparkScale()), p);
}

QImage renderPng(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    constexpr double kCount = kSamples * kSamples;
    for (int j = 0; j < size; ++j) {
        for (int i = 0; i < size; ++i) {
            Paint sum;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const Paint p = icon((i + (sx + 0.5) / kSamples) / size,
                                         (j + (sy + 0.5) / kSamples) / size);
                    sum = {sum.r + p.r, sum.g + p.g, sum.b + p.b, sum.a + p.a};
                }
            }
            const double a = sum.a / kCount;
            const auto byte = [](double x) {
                return static_cast<int>(std::nearbyint(std::clamp(x, 0.0, 1.0) * 255.0));
            };
            // Straight (not premultiplied) colour for the PNG.
            const double k = a > 0.0 ? 1.0 / (a * kCount) : 0.0;
            image.setPixel(i, j, qRgba(byte(sum.r * k), byte(sum.g * k), byte(sum.b * k), byte(a)));
        }
    }
    return image;
}

QString hex(Rgb c) {
    const auto byte = [](double x) { return static_cast<int>(std::nearbyint(x * 255.0)); };
    return QString::asprintf("#%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b));
}

// The same picture as vectors on a 256-unit canvas: each arm a triangle from the core to its
// tip, shaded from white at the heart to half grey at the long arms' tips, as the sprite is.
QString svg() {
    constexpr double kSide = 256.0;
    const double unit = kSide * sparkScale();
    QString arms;
    for (int arm = 0; arm < 8; ++arm) {
        const SparkArm shape = arm % 2 == 0 ? kSparkAxisArm : kSparkDiagonalArm;
        const double angle = arm * kPi / 4.0;
        const double c = std::cos(angle);
        const double s = std::sin(angle);
        const double w = shape.halfWidth * unit;
        const double l = shape.length * unit;
        arms +=
            QString::asprintf("M%.2f %.2f L%.2f %.2f L%.2f %.2f Z ", 128.0 - s * w, 128.0 + c * w,
                              128.0 + c * l, 128.0 + s * l, 128.0 + s * w, 128.0 - c * w);
    }
    const double inset = kTileInset * kSide;
    return QString::asprintf(
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
        "viewBox=\"0 0 256 256\">\n"
        "  <defs>\n"
        "    <linearGradient id=\"tile\" x1=\"0\" y1=\"0\" x2=\"0\" y2=\"1\">\n"
        "      <stop offset=\"0\" stop-color=\"%s\"/>\n"
        "      <stop offset=\"1\" stop-color=\"%s\"/>\n"
        "    </linearGradient>\n"
        "    <radialGradient id=\"spark\" gradientUnits=\"userSpaceOnUse\" cx=\"128\" "
        "cy=\"128\" r=\"%.2f\">\n"
        "      <stop offset=\"0\" stop-color=\"#ffffff\"/>\n"
        "      <stop offset=\"1\" stop-color=\"#808080\"/>\n"
        "    </radialGradient>\n"
        "  </defs>\n"
        "  <rect x=\"%.2f\" y=\"%.2f\" width=\"%.2f\" height=\"%.2f\" rx=\"%.2f\" "
        "fill=\"url(#tile)\"/>\n"
        "  <circle cx=\"128\" cy=\"128\" r=\"%.2f\" fill=\"none\" stroke=\"%s\" "
        "stroke-width=\"%.2f\"/>\n"
        "  <path d=\"%s\" fill=\"url(#spark)\"/>\n"
        "  <circle cx=\"128\" cy=\"128\" r=\"%.2f\" fill=\"#ffffff\"/>\n"
        "</svg>\n",
        qPrintable(hex(kTileTop)), qPrintable(hex(kTileBottom)), kSparkAxisArm.length * unit, inset,
        inset, kSide - 2 * inset, kSide - 2 * inset, kTileRadius * kSide, kRingRadius * kSide,
        qPrintable(hex(kRing)), kRingWidth * kSide, qPrintable(arms.trimmed()), kSparkCore * unit);
}

bool write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "gen_icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_icons OUTDIR\n");
        return 2;
    }
    const QDir theme(QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("hicolor")));
    bool ok = true;
    for (const int size : kPngSizes) {
        const QString path = theme.filePath(
            QStringLiteral("%1x%1/apps/%2.png").arg(size).arg(QLatin1String(kIconName)));
        ok = QDir().mkpath(QFileInfo(path).absolutePath()) && ok;
        if (!renderPng(size).save(path, "PNG")) {
            std::fprintf(stderr, "gen_icons: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    ok = write(theme.filePath(QStringLiteral("scalable/apps/%1.svg").arg(QLatin1String(kIconName))),
               svg().toUtf8()) &&
         ok;
    return ok ? 0 : 1;
}
