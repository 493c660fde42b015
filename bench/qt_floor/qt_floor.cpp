// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The least a Qt Widgets arcade game does each frame, for measuring beside the real games: a
// playfield-sized widget that follows the pointer and, every 16 ms, repaints a number of small
// scattered squares that drift (the moving things of a level) from a picture, the way any
// widget game that presents only what changed must. No game logic and no drawing of its own:
// whatever this costs, every Qt Widgets game on the same display pays at least.
//
//   brivane_qt_floor [SQUARES]   (default 40, squares of 16 pixels)
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <QWidget>
#include <cstdlib>

namespace {

class Playfield : public QWidget {
  public:
    Playfield() : picture_(597, 441, QImage::Format_RGB32) {
        picture_.fill(Qt::black);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
        setFixedSize(picture_.size());
        setWindowTitle(QStringLiteral("Qt floor"));
    }

    // The squares of this frame and of the last, as a game shows things that moved.
    void frame(int squares, int n) {
        QRegion region;
        for (int i = 0; i < squares; ++i) {
            for (int k = n - 1; k <= n; ++k) {
                const int x = (i * 97 + k) % (picture_.width() - 16);
                const int y = (i * 61 + k / 2) % (picture_.height() - 16);
                region += QRect(x, y, 16, 16);
            }
        }
        repaint(region);
    }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        for (const QRect& r : event->region()) {
            painter.drawImage(r, picture_, r);
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override { pointer_ = event->position(); }

  private:
    QImage picture_;
    QPointF pointer_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int squares = argc > 1 ? std::atoi(argv[1]) : 40;
    Playfield playfield;
    playfield.show();
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    int n = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] { playfield.frame(squares, ++n); });
    timer.start(16);
    return QApplication::exec();
}
