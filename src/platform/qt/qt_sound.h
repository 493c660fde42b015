// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt platform's sound: one effect device per sound effect, and the music window frmMusic
// with its media player wmp under a control bar of our own.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"

class QAudioOutput;
class QLabel;
class QMediaPlayer;
class QSlider;
class QSoundEffect;
class QToolButton;

namespace brivane {

class QtPlatform;

// The music window: a small tool window holding the player and its controls. It plays the
// entries of one playlist once, in order; closing the window only hides it, so the music and
// the loop timer go on.
class frmMusic : public QWidget {
  public:
    // Where the player stands, as the loop timer and the buttons see it.
    enum class State {
        idle,      // nothing assigned, or nothing in the playlist could be played
        playing,   // playing (or loading) an entry
        paused,    // paused by the user
        stopped,   // stopped by the user
        finished,  // the last entry ended on its own
    };

    explicit frmMusic(QWidget* owner);
    ~frmMusic() override;

    // Reads the playlist and plays its entries from the first one.
    void startPlaylist(const QString& m3uPath);
    void play();
    void pause();
    void stop();
    void previousEntry();
    void nextEntry();
    // The game pauses: music that plays is paused, and goes on when the game does, unless the
    // player took it in hand meanwhile.
    void holdForGame(bool held);
    // Moves the volume slider without taking it for the player's choice.
    void setVolume(int volume);
    // Where the window goes when it opens: beside its owner, on the owner's screen.
    void placeBeside(const QWidget& owner);

    // Called with the volume once the player has moved the slider and let go of it.
    std::function<void(int)> onVolumeChosen;

    State state() const { return state_; }
    const QStringList& entries() const { return entries_; }
    int currentEntry() const { return current_; }

    QMediaPlayer* wmp = nullptr;
    QAudioOutput* audio = nullptr;
    QToolButton* cmdPlay = nullptr;
    QToolButton* cmdPause = nullptr;
    QToolButton* cmdStop = nullptr;
    QToolButton* cmdMute = nullptr;
    QSlider* sldSeek = nullptr;
    QSlider* sldVolume = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblTrack = nullptr;

  private:
    void playEntry(int index);
    void entryEnded(int token);
    void entryFailed(int token);
    void showState();
    void showTime(qint64 positionMs);

    QStringList entries_;
    int current_ = -1;
    State state_ = State::idle;
    // Counts the entries started, so late news from an entry already left behind is ignored.
    int token_ = 0;
    int failedToken_ = -1;
    // Whether any entry of this run played to its end; a run in which every entry failed has
    // not finished in the loop timer's sense, or a broken playlist would be retried forever.
    bool anyEnded_ = false;
    // Paused by the game's pause, not by the player.
    bool heldByGame_ = false;
    bool settingVolume_ = false;
};

// Where a window of the given outer size goes beside an owner window's outer rectangle so that
// it lies whole inside the screen's available area: to the right, else to the left, else below,
// else above; when none fits, to the right pushed back inside the area.
QPoint besideWindow(const QRect& owner, const QSize& size, const QRect& available);

class QtSound {
  public:
    // The largest files handed to the players: an effect is a second or two of sound, a
    // playlist a list of names, a music file a few minutes of compressed sound.
    static constexpr std::size_t effectLimit = 16 * 1024 * 1024;
    static constexpr std::size_t playlistLimit = 1024 * 1024;
    static constexpr std::size_t musicLimit = 512 * 1024 * 1024;

    explicit QtSound(QtPlatform& platform);
    // Devices report to whatever `sink` gives at the time (nullptr: to nobody), and the music
    // window stacks with whatever `owner` gives.
    QtSound(std::function<EventSink*()> sink, std::function<QWidget*()> owner);
    ~QtSound();
    QtSound(const QtSound&) = delete;
    QtSound& operator=(const QtSound&) = delete;

    void openSoundDevice(int device, const std::string& path);
    void closeSoundDevice(int device);
    void playSoundDevice(int device);
    void createMusicWindow();
    void showMusicWindow();
    void startMusic(const std::string& playlistPath);
    bool musicFinished();
    void holdMusic(bool held);
    void stopSounds();
    void setMusicVolume(int volume);

    // The music window, or nullptr before it was first needed.
    frmMusic* musicWindow() { return music_.data(); }
    QSoundEffect* device(int index);

  private:
    void deviceChanged(int index);

    std::function<EventSink*()> sink_;
    std::function<QWidget*()> owner_;
    std::array<std::unique_ptr<QSoundEffect>, soundDeviceCount> devices_;
    // A device is busy from its play until it reports that it stopped playing.
    std::array<bool, soundDeviceCount> busy_{};
    // Owned here; the game window is only its owner for stacking, but should that window go
    // first it takes the music window with it, which the guarded pointer notices.
    QPointer<frmMusic> music_;
};

}  // namespace brivane
