// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The replay viewer: a replay shown the way the game looks (playfield, life icons, status line)
// under a control bar to play and pause it, step it, change its speed and jump anywhere in it.
// It runs the real game on the headless platform, as the headless runner does; jumps restore a
// snapshot taken by a second run of the same replay on a thread of its own.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "platform/qt/qt_sound.h"
#include "platform/render/playfield_image.h"
#include "replay/replay_file.h"
#include "replay/replay_runner.h"
#include "replay/snapshot.h"

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;

namespace brivane {

// Opens a viewer window for the replay file and returns; a file that cannot be watched (a newer
// format, a damaged file, one too long) is refused in a message box naming it, the line and the
// reason. The window deletes itself when closed.
void openReplayViewer(const QString& path, QWidget* parent);

class PlayfieldWidget;

class ReplayViewer : public QWidget {
  public:
    // The speeds, as multiples of the recorded pace.
    static constexpr std::array<double, 6> speeds = {0.25, 0.5, 1, 2, 4, 8};

    ReplayViewer(Replay replay, const QString& name, QWidget* parent = nullptr);
    ~ReplayViewer() override;

    int passesRun() const { return runner_.passesRun(); }
    // The passes the replay runs in all, as far as is known yet.
    int totalPasses() const;
    bool playing() const { return playing_; }
    double speed() const { return speeds[speedIndex_]; }
    bool ended() const;
    // The playfield as the replay last drew it, and the widget that shows it.
    const QImage& picture() { return image_.image(); }
    PlayfieldWidget* playfield() const { return picture_; }
    QSlider* seekBar() const { return seek_; }
    QWidget* endPanel() const { return endPanel_; }
    QtSound& sound() { return sound_; }

    void setPlaying(bool playing);
    void stepOnePass();
    void changeSpeed(int by);
    // Shows the replay as it stands after `passes` passes (0: before the first).
    void seekTo(int passes);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // Hands the game's finished sound effects back to it.
    class SoundDone : public EventSink {
      public:
        explicit SoundDone(HeadlessPlatform& pf) : pf_(pf) {}
        void soundDone(int device) override;
        void mouseMove(float, float) override {}
        void mouseDown(int) override {}
        void keyPress(int) override {}
        void menuChosen(MenuItem) override {}
        void timerTick(TimerId) override {}
        void windowClosing() override {}
        void socketConnected() override {}
        void socketDataArrived(std::size_t) override {}
        void socketClosed() override {}
        void bestGameNamed(const std::string&) override {}
        void bestGamesCleared() override {}
        void musicVolumeChosen(int) override {}
        void windowInactive() override {}

      private:
        HeadlessPlatform& pf_;
    };

    QWidget* buildControls();
    QWidget* buildEndPanel();
    void soundPlayed(int device);
    void runDue();
    void restartClock();
    void showPass();
    void showPosition();
    void showControls();

    ReplayRunner runner_;
    SnapshotIndex index_;
    std::uint64_t recordedMs_ = 0;  // the file's own length, until the end is known
    PlayfieldImage image_;
    SoundDone soundDone_{runner_.platform()};
    QtSound sound_;
    bool playing_ = true;
    bool seeking_ = false;
    std::size_t speedIndex_ = 2;
    QTimer step_;
    QElapsedTimer wall_;
    qint64 wallAnchor_ = 0;
    std::uint64_t replayAnchor_ = 0;

    PlayfieldWidget* picture_ = nullptr;
    QLabel* status_ = nullptr;
    std::array<QLabel*, 8> lives_{};
    Picture livesPicture_ = Picture::imgPlayer;
    QToolButton* play_ = nullptr;
    QLabel* speedText_ = nullptr;
    QSlider* seek_ = nullptr;
    QLabel* time_ = nullptr;
    QWidget* endPanel_ = nullptr;
    bool showingPosition_ = false;

    std::atomic<bool> stopScout_{false};
    std::thread scout_;  // last: started once everything it reads is there
};

}  // namespace brivane
