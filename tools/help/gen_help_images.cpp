// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Draws the pictures of the help document from the game's own sprite sheets: single sprites cut
// from their sheets, and small scenes of the playfield (a loop closing round a ball, a red bond,
// a sparking electron). Everything stands on black, as on the playfield, and is doubled with
// nearest-neighbour sampling so the pixels stay crisp.
//
// Usage: gen_help_images SPRITEDIR OUTDIR
// No randomness and no clock: the same sprites give the same pictures every run.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

constexpr int kCell = 21;  // ball, string, electron and player cells are 21 pixels square
constexpr int kScale = 2;

struct Sheets {
    QImage balls, strings, electrons, quarks, player, playerShield;
};

QImage load(const QDir& dir, const char* name) {
    QImage image(dir.filePath(QString::fromLatin1(name)));
    if (image.isNull()) {
        std::fprintf(stderr, "gen_help_images: cannot read %s\n", name);
        std::exit(1);
    }
    return image.convertToFormat(QImage::Format_RGB32);
}

// Cell i of a sheet whose sprites stand in the top row. The electron sheet's cells are not a
// whole number of pixels wide, so cells start where the game cuts them.
QImage cell(const QImage& sheet, int i, int cells, int height) {
    const int x = static_cast<int>(std::floor(static_cast<double>(sheet.width()) * i / cells));
    return sheet.copy(x, 0, kCell, height);
}

QImage doubled(const QImage& image) {
    return image.scaled(image.size() * kScale, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

// A sprite on a black tile with a margin, doubled.
QImage tile(const QImage& sprite, int margin = 4) {
    QImage out(sprite.width() + 2 * margin, sprite.height() + 2 * margin, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    p.drawImage(margin, margin, sprite);
    p.end();
    return doubled(out);
}

QImage row(const std::vector<QImage>& sprites, int gap) {
    int width = gap;
    int height = 0;
    for (const QImage& s : sprites) {
        width += s.width() + gap;
        height = std::max(height, s.height());
    }
    QImage out(width, height + 2 * gap, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    int x = gap;
    for (const QImage& s : sprites) {
        p.drawImage(x, gap + (height - s.height()) / 2, s);
        x += s.width() + gap;
    }
    p.end();
    return doubled(out);
}

// Playfield scenes are drawn at the doubled size, sprites doubled and centred on a point.
void drawSprite(QPainter& p, const QImage& sprite, QPointF centre) {
    const QImage big = doubled(sprite);
    p.drawImage(QPointF(centre.x() - big.width() / 2.0, centre.y() - big.height() / 2.0), big);
}

QImage scene(int w, int h) {
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Qt::black);
    return out;
}

// The tail drawn as the game draws it: grey, brightest at the newest point, and blue where a
// closed loop has been marked.
QImage loopScene(const Sheets& s) {
    QImage out = scene(360, 220);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF ball(150, 105);
    drawSprite(p, cell(s.balls, 0, 11, kCell), ball);
    drawSprite(p, cell(s.balls, 8, 11, kCell), QPointF(300, 60));
    std::vector<QPointF> tail;
    for (int i = 0; i <= 20; ++i) {  // the loop, starting and ending near the left
        const double a = std::numbers::pi * (1.0 + 2.0 * i / 21.0);
        tail.emplace_back(ball.x() + 72 * std::cos(a), ball.y() + 60 * std::sin(a));
    }
    for (int i = 1; i <= 6; ++i) {  // and on toward the player
        tail.emplace_back(tail[20].x() + 12 * i, tail[20].y() + 14 * i);
    }
    for (std::size_t i = 1; i < tail.size(); ++i) {
        const bool inLoop = i <= 20;
        const int c = 90 + static_cast<int>(150 * i / tail.size());
        p.setPen(
            QPen(inLoop ? QColor(0, 0, c + 15) : QColor(c, c, c), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(tail[i - 1], tail[i]);
    }
    drawSprite(p, s.player, tail.back());
    p.end();
    return out;
}

QImage bondScene(const Sheets& s) {
    QImage out = scene(360, 130);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF a(60, 90), b(180, 40), c(300, 80);
    p.setPen(QPen(QColor(255, 0, 0), 2));
    p.drawLine(a, b);
    p.setPen(QPen(QColor(0, 0, 255), 2));
    p.drawLine(b, c);
    drawSprite(p, cell(s.balls, 3, 11, kCell), a);
    drawSprite(p, cell(s.balls, 5, 11, kCell), b);
    drawSprite(p, cell(s.balls, 9, 11, kCell), c);
    p.end();
    return out;
}

QImage sparkScene(const Sheets& s) {
    QImage out = scene(220, 160);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF e(110, 80);
    // Fixed strokes in the spark's colour: out from the centre, then back toward it.
    const double strokes[][4] = {{70, 30, 20, -10},  {-60, 40, -20, 10}, {40, -60, 10, -20},
                                 {-50, -50, -10, 5}, {80, -10, 30, 20},  {-20, 65, 15, 25}};
    p.setPen(QPen(QColor(200, 200, 255), 1.5));
    for (const auto& k : strokes) {
        const QPointF tip(e.x() + k[0], e.y() + k[1]);
        p.drawLine(e, tip);
        p.drawLine(tip, QPointF(e.x() + k[2], e.y() + k[3]));
    }
    drawSprite(p, cell(s.electrons, 6, 11, s.electrons.height() / 2), e);
    p.end();
    return out;
}

bool save(const QImage& image, const QDir& dir, const char* name) {
    if (!image.save(dir.filePath(QString::fromLatin1(name)), "PNG")) {
        std::fprintf(stderr, "gen_help_images: cannot write %s\n", name);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: gen_help_images SPRITEDIR OUTDIR\n", stderr);
        return 2;
    }
    const QDir in(QString::fromLocal8Bit(argv[1]));
    QDir out(QString::fromLocal8Bit(argv[2]));
    out.mkpath(QStringLiteral("."));

    Sheets s;
    s.balls = load(in, "balls.png");
    s.strings = load(in, "strings.png");
    s.electrons = load(in, "electrons.png");
    s.quarks = load(in, "quarks.png");
    s.player = load(in, "player.png");
    s.playerShield = load(in, "player_shield.png");

    std::vector<QImage> balls;
    for (int i = 0; i < 11; ++i) {
        balls.push_back(cell(s.balls, i, 11, kCell));
    }
    std::vector<QImage> quarks;
    for (int i = 0; i < 7; ++i) {
        quarks.push_back(s.quarks.copy(3 * i, 0, 3, 3)
                             .scaled(6, 6, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }

    bool ok = true;
    ok = save(row(balls, 3), out, "balls.png") && ok;
    ok = save(tile(cell(s.strings, 1, 11, kCell)), out, "string.png") && ok;
    ok = save(row(quarks, 4), out, "quarks.png") && ok;
    ok = save(tile(cell(s.electrons, 6, 11, s.electrons.height() / 2)), out, "electron.png") && ok;
    ok = save(tile(s.player), out, "player.png") && ok;
    ok = save(tile(s.playerShield), out, "shield.png") && ok;
    ok = save(loopScene(s), out, "loop.png") && ok;
    ok = save(bondScene(s), out, "bond.png") && ok;
    ok = save(sparkScene(s), out, "spark.png") && ok;
    return ok ? 0 : 1;
}
