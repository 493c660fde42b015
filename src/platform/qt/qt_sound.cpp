// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound effects and music on Qt Multimedia. Each effect has its own QSoundEffect, so different
// effects overlap; a device reports back to the game only when it stops playing, and the report
// is queued so that it reaches the game inside a yield like every other event. The music window
// keeps its own idea of the player's state, because the loop timer must tell a playlist that
// ended on its own from one the user paused or stopped, which QMediaPlayer does not say.
#include "platform/qt/qt_sound.h"

#include <QAction>
#include <QAudioOutput>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLibraryInfo>
#include <QMediaPlayer>
#include <QScreen>
#include <QSlider>
#include <QSoundEffect>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <string>
#include <utility>

#include "core/playlist.h"
#include "platform/pictures.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/window_icon.h"
#include "platform/regular_file.h"

namespace brivane {

namespace {

constexpr int musicClientWidthTwips = 3135;
constexpr int musicClientHeightTwips = 675;
constexpr int startVolume = 50;
// Between the game's window and the music window, so their frames do not touch.
constexpr int besideGap = 4;

// Qt's FFmpeg media backend crashes on playback when the machine has no audio device, while the
// GStreamer one plays on silently; use GStreamer whenever it is installed and the user has not
// chosen a backend.
void preferGStreamer() {
    if (!qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND")) {
        return;
    }
    const QString plugin = QLibraryInfo::path(QLibraryInfo::PluginsPath) +
                           QStringLiteral("/multimedia/libgstreamermediaplugin.so");
    if (QFileInfo::exists(plugin)) {
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    }
}

QString clockText(qint64 ms) {
    const qint64 seconds = ms / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QToolButton* controlButton(QWidget* parent, QStyle::StandardPixmap icon, const QString& tip) {
    auto* button = new QToolButton(parent);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize(QSize(12, 12));
    button->setFixedSize(20, 18);
    button->setAutoRaise(true);
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

frmMusic::frmMusic(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Music Control"));
    setWindowIcon(gameIcon());
    setFixedSize(musicClientWidthTwips / twipsPerPixel, musicClientHeightTwips / twipsPerPixel);

    wmp = new QMediaPlayer(this);
    audio = new QAudioOutput(this);
    wmp->setAudioOutput(audio);
    audio->setVolume(static_cast<float>(startVolume) / 100.0f);

    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);

    sldSeek = new QSlider(Qt::Horizontal, this);
    sldSeek->setRange(0, 0);
    sldSeek->setPageStep(10000);
    sldSeek->setSingleStep(1000);
    sldSeek->setFocusPolicy(Qt::NoFocus);
    sldSeek->setToolTip(QStringLiteral("Seek"));
    lblTime = new QLabel(this);
    lblTime->setFont(small);
    lblTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblTime->setText(QStringLiteral("0:00 / 0:00"));
    lblTime->setMinimumWidth(
        lblTime->fontMetrics().horizontalAdvance(QStringLiteral("00:00 / 00:00")));

    cmdPlay = controlButton(this, QStyle::SP_MediaPlay, QStringLiteral("Play"));
    cmdPause = controlButton(this, QStyle::SP_MediaPause, QStringLiteral("Pause"));
    cmdStop = controlButton(this, QStyle::SP_MediaStop, QStringLiteral("Stop"));
    cmdMute = controlButton(this, QStyle::SP_MediaVolume, QStringLiteral("Mute"));
    cmdMute->setCheckable(true);
    lblTrack = new QLabel(this);
    lblTrack->setFont(small);
    lblTrack->setAlignment(Qt::AlignCenter);
    sldVolume = new QSlider(Qt::Horizontal, this);
    sldVolume->setRange(0, 100);
    sldVolume->setValue(startVolume);
    sldVolume->setFixedWidth(60);
    sldVolume->setFocusPolicy(Qt::NoFocus);
    sldVolume->setToolTip(QStringLiteral("Volume"));

    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(5, 2, 5, 2);
    rows->setSpacing(0);
    auto* seekRow = new QHBoxLayout;
    seekRow->setSpacing(6);
    seekRow->addWidget(sldSeek, 1);
    seekRow->addWidget(lblTime);
    auto* buttonRow = new QHBoxLayout;
    buttonRow->setSpacing(1);
    buttonRow->addWidget(cmdPlay);
    buttonRow->addWidget(cmdPause);
    buttonRow->addWidget(cmdStop);
    buttonRow->addWidget(lblTrack, 1);
    buttonRow->addWidget(cmdMute);
    buttonRow->addWidget(sldVolume);
    rows->addLayout(seekRow);
    rows->addLayout(buttonRow);

    // The context menu offers what the bar has no room for.
    setContextMenuPolicy(Qt::ActionsContextMenu);
    const auto addAction = [this](const QString& text, auto slot) {
        auto* action = new QAction(text, this);
        QObject::connect(action, &QAction::triggered, this, slot);
        QWidget::addAction(action);
    };
    addAction(QStringLiteral("Play"), [this] { play(); });
    addAction(QStringLiteral("Pause"), [this] { pause(); });
    addAction(QStringLiteral("Stop"), [this] { stop(); });
    addAction(QStringLiteral("Previous"), [this] { previousEntry(); });
    addAction(QStringLiteral("Next"), [this] { nextEntry(); });

    QObject::connect(cmdPlay, &QToolButton::clicked, this, [this] { play(); });
    QObject::connect(cmdPause, &QToolButton::clicked, this, [this] { pause(); });
    QObject::connect(cmdStop, &QToolButton::clicked, this, [this] { stop(); });
    QObject::connect(cmdMute, &QToolButton::toggled, this, [this](bool muted) {
        audio->setMuted(muted);
        cmdMute->setIcon(
            style()->standardIcon(muted ? QStyle::SP_MediaVolumeMuted : QStyle::SP_MediaVolume));
    });
    // A drag reports once, when it is let go: every report is written to the settings store.
    QObject::connect(sldVolume, &QSlider::valueChanged, this, [this](int value) {
        audio->setVolume(static_cast<float>(value) / 100.0f);
        if (!settingVolume_ && !sldVolume->isSliderDown() && onVolumeChosen) {
            onVolumeChosen(value);
        }
    });
    QObject::connect(sldVolume, &QSlider::sliderReleased, this, [this] {
        if (onVolumeChosen) {
            onVolumeChosen(sldVolume->value());
        }
    });
    // Clicks and keys move the slider at once; a drag seeks only when it is let go.
    QObject::connect(sldSeek, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) {
            wmp->setPosition(sldSeek->sliderPosition());
        }
    });
    QObject::connect(sldSeek, &QSlider::sliderMoved, this, [this](int value) { showTime(value); });
    QObject::connect(sldSeek, &QSlider::sliderReleased, this,
                     [this] { wmp->setPosition(sldSeek->value()); });
    QObject::connect(wmp, &QMediaPlayer::durationChanged, this, [this](qint64 duration) {
        sldSeek->setRange(0, static_cast<int>(duration));
        showTime(wmp->position());
    });
    QObject::connect(wmp, &QMediaPlayer::positionChanged, this, [this](qint64 position) {
        if (!sldSeek->isSliderDown()) {
            sldSeek->setValue(static_cast<int>(position));
            showTime(position);
        }
    });
    // The player reports from inside its own calls; moving on to the next entry from there
    // would re-enter it, so every change of entry waits for the event loop.
    QObject::connect(wmp, &QMediaPlayer::mediaStatusChanged, this,
                     [this](QMediaPlayer::MediaStatus status) {
                         const int token = token_;
                         if (status == QMediaPlayer::EndOfMedia) {
                             QTimer::singleShot(0, this, [this, token] { entryEnded(token); });
                         } else if (status == QMediaPlayer::InvalidMedia) {
                             QTimer::singleShot(0, this, [this, token] { entryFailed(token); });
                         }
                     });
    QObject::connect(wmp, &QMediaPlayer::errorOccurred, this, [this] {
        const int token = token_;
        QTimer::singleShot(0, this, [this, token] { entryFailed(token); });
    });
    showState();
}

frmMusic::~frmMusic() {
    // Stop before the output goes, so the backend does not feed a device being torn down.
    wmp->stop();
}

void frmMusic::startPlaylist(const QString& m3uPath) {
    // Only what a regular file of a playlist's size lists, and only the regular files of a
    // music file's size among them: a FIFO or a device blocks or feeds a player without end.
    const FileRead list =
        readRegularFile(QFile::encodeName(m3uPath).toStdString(), QtSound::playlistLimit);
    const std::string folder = QFile::encodeName(QFileInfo(m3uPath).absolutePath()).toStdString();
    const auto files = parseM3u(list.bytes, folder, [](const std::string& path) {
        return checkRegularFile(path, QtSound::musicLimit) == FileCheck::regular;
    });
    entries_.clear();
    for (const std::string& path : files) {
        entries_.append(QFile::decodeName(QByteArray::fromStdString(path)));
    }
    anyEnded_ = false;
    if (entries_.isEmpty()) {
        ++token_;
        current_ = -1;
        state_ = State::idle;
        wmp->stop();
        wmp->setSource(QUrl());
        showState();
        return;
    }
    playEntry(0);
}

void frmMusic::playEntry(int index) {
    ++token_;
    current_ = index;
    state_ = State::playing;
    const QUrl url = QUrl::fromLocalFile(entries_[index]);
    // Assigning the entry already playing would not rewind it.
    if (wmp->source() == url) {
        wmp->stop();
        wmp->setPosition(0);
    } else {
        wmp->setSource(url);
    }
    wmp->play();
    showState();
}

void frmMusic::entryEnded(int token) {
    if (token != token_ || state_ != State::playing) {
        return;
    }
    anyEnded_ = true;
    if (current_ + 1 < entries_.size()) {
        playEntry(current_ + 1);
        return;
    }
    state_ = State::finished;
    showState();
}

void frmMusic::entryFailed(int token) {
    if (token != token_ || token == failedToken_ || state_ != State::playing) {
        return;
    }
    failedToken_ = token;
    if (current_ + 1 < entries_.size()) {
        playEntry(current_ + 1);
        return;
    }
    ++token_;
    wmp->stop();
    state_ = anyEnded_ ? State::finished : State::idle;
    showState();
}

void frmMusic::holdForGame(bool held) {
    if (held && state_ == State::playing) {
        pause();
        heldByGame_ = true;
    } else if (!held && heldByGame_) {
        play();
    }
}

void frmMusic::play() {
    heldByGame_ = false;
    switch (state_) {
        case State::playing:
            return;
        case State::paused:
            state_ = State::playing;
            wmp->play();
            showState();
            return;
        case State::stopped:
            playEntry(std::max(current_, 0));
            return;
        case State::idle:
        case State::finished:
            if (!entries_.isEmpty()) {
                anyEnded_ = false;
                playEntry(0);
            }
            return;
    }
}

void frmMusic::pause() {
    heldByGame_ = false;
    if (state_ == State::playing) {
        state_ = State::paused;
        wmp->pause();
        showState();
    }
}

void frmMusic::stop() {
    heldByGame_ = false;
    if (state_ == State::idle || state_ == State::stopped) {
        return;
    }
    // After the end, the next Play starts the playlist over rather than its last entry.
    if (state_ == State::finished) {
        current_ = 0;
    }
    ++token_;
    state_ = State::stopped;
    wmp->stop();
    showState();
}

void frmMusic::previousEntry() {
    heldByGame_ = false;
    if (!entries_.isEmpty()) {
        playEntry(std::max(current_ - 1, 0));
    }
}

void frmMusic::nextEntry() {
    heldByGame_ = false;
    if (!entries_.isEmpty() && current_ + 1 < entries_.size()) {
        playEntry(current_ + 1);
    }
}

void frmMusic::setVolume(int volume) {
    settingVolume_ = true;
    sldVolume->setValue(volume);
    settingVolume_ = false;
}

void frmMusic::placeBeside(const QWidget& owner) {
    const QScreen* screen = owner.screen();
    if (screen == nullptr) {
        return;
    }
    // Before it was first shown this window has no frame yet; the owner's is the best guess.
    const QRect ownerFrame = owner.frameGeometry();
    const QSize ownerMargins = ownerFrame.size() - owner.geometry().size();
    const QSize outer = isVisible() ? frameGeometry().size() : size() + ownerMargins;
    move(besideWindow(ownerFrame, outer, screen->availableGeometry()));
}

QPoint besideWindow(const QRect& owner, const QSize& size, const QRect& available) {
    const auto within = [](int value, int low, int high) {
        return std::max(low, std::min(value, high));
    };
    const int topAligned =
        within(owner.top(), available.top(), available.bottom() + 1 - size.height());
    const int leftAligned =
        within(owner.left(), available.left(), available.right() + 1 - size.width());
    const QPoint candidates[] = {
        {owner.right() + 1 + besideGap, topAligned},
        {owner.left() - besideGap - size.width(), topAligned},
        {leftAligned, owner.bottom() + 1 + besideGap},
        {leftAligned, owner.top() - besideGap - size.height()},
    };
    for (const QPoint& at : candidates) {
        if (available.contains(QRect(at, size))) {
            return at;
        }
    }
    return {within(candidates[0].x(), available.left(), available.right() + 1 - size.width()),
            topAligned};
}

void frmMusic::showState() {
    const bool active = state_ == State::playing || state_ == State::paused;
    cmdPlay->setEnabled(state_ != State::playing && !entries_.isEmpty());
    cmdPause->setEnabled(state_ == State::playing);
    // Stop stays offered after the end: it is how the user keeps the loop timer from starting
    // the list over.
    cmdStop->setEnabled(active || state_ == State::finished);
    sldSeek->setEnabled(active);
    const QList<QAction*> menu = actions();
    menu[0]->setEnabled(cmdPlay->isEnabled());
    menu[1]->setEnabled(cmdPause->isEnabled());
    menu[2]->setEnabled(cmdStop->isEnabled());
    menu[3]->setEnabled(!entries_.isEmpty());
    menu[4]->setEnabled(current_ + 1 < entries_.size());
    if (current_ >= 0 && current_ < entries_.size()) {
        lblTrack->setText(QStringLiteral("%1 / %2").arg(current_ + 1).arg(entries_.size()));
        lblTrack->setToolTip(QFileInfo(entries_[current_]).completeBaseName());
    } else {
        lblTrack->clear();
        lblTrack->setToolTip(QString());
    }
    if (!active) {
        sldSeek->setValue(0);
        showTime(0);
    }
}

void frmMusic::showTime(qint64 positionMs) {
    const bool active = state_ == State::playing || state_ == State::paused;
    lblTime->setText(clockText(positionMs) + QStringLiteral(" / ") +
                     clockText(active ? wmp->duration() : 0));
}

QtSound::QtSound(QtPlatform& platform)
    : QtSound([&platform] { return platform.sink(); },
              [&platform]() -> QWidget* { return platform.window(); }) {}

QtSound::QtSound(std::function<EventSink*()> sink, std::function<QWidget*()> owner)
    : sink_(std::move(sink)), owner_(std::move(owner)) {
    preferGStreamer();
}

QtSound::~QtSound() {
    delete music_.data();
}

QSoundEffect* QtSound::device(int index) {
    return index >= 0 && index < soundDeviceCount ? devices_[static_cast<std::size_t>(index)].get()
                                                  : nullptr;
}

void QtSound::openSoundDevice(int device, const std::string& path) {
    if (device < 0 || device >= soundDeviceCount) {
        return;
    }
    const auto slot = static_cast<std::size_t>(device);
    // Every opening gets a new effect. Pointing a used one at another file while its first file
    // is still loading lets the late first load mark it ready with an empty sample, and after
    // that it stays silent for good.
    std::unique_ptr<QSoundEffect>& effect = devices_[slot];
    effect = std::make_unique<QSoundEffect>();
    QObject::connect(
        effect.get(), &QSoundEffect::playingChanged, effect.get(),
        [this, device] { deviceChanged(device); }, Qt::QueuedConnection);
    busy_[slot] = false;
    // A missing file leaves the device empty, so it plays nothing, quietly, every time; so
    // does anything but a regular file of an effect's size.
    const bool playable = checkRegularFile(path, effectLimit) == FileCheck::regular;
    effect->setSource(playable
                          ? QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)))
                          : QUrl());
}

void QtSound::closeSoundDevice(int device) {
    if (device < 0 || device >= soundDeviceCount) {
        return;
    }
    const auto slot = static_cast<std::size_t>(device);
    devices_[slot].reset();
    busy_[slot] = false;
}

void QtSound::playSoundDevice(int device) {
    QSoundEffect* effect = this->device(device);
    if (effect == nullptr) {
        return;
    }
    busy_[static_cast<std::size_t>(device)] = true;
    effect->play();
}

void QtSound::deviceChanged(int index) {
    const auto slot = static_cast<std::size_t>(index);
    QSoundEffect* effect = devices_[slot].get();
    if (effect->isPlaying() || !busy_[slot]) {
        return;
    }
    busy_[slot] = false;
    if (EventSink* sink = sink_()) {
        sink->soundDone(index);
    }
}

void QtSound::createMusicWindow() {
    if (music_.isNull()) {
        music_ = new frmMusic(owner_());
        music_->onVolumeChosen = [this](int volume) {
            if (EventSink* sink = sink_()) {
                sink->musicVolumeChosen(volume);
            }
        };
    }
}

void QtSound::showMusicWindow() {
    createMusicWindow();
    // Opened from the game's menu, it belongs next to the game, wherever that window is now.
    QWidget* owner = owner_();
    if (!music_->isVisible() && owner != nullptr) {
        music_->placeBeside(*owner);
    }
    music_->show();
    music_->raise();
    music_->activateWindow();
}

void QtSound::startMusic(const std::string& playlistPath) {
    createMusicWindow();
    music_->startPlaylist(QFile::decodeName(QByteArray::fromStdString(playlistPath)));
}

void QtSound::holdMusic(bool held) {
    if (!music_.isNull()) {
        music_->holdForGame(held);
    }
}

void QtSound::stopSounds() {
    // Each reports that it stopped, as when it ends by itself, and is ready again.
    for (const std::unique_ptr<QSoundEffect>& effect : devices_) {
        if (effect) {
            effect->stop();
        }
    }
}

bool QtSound::musicFinished() {
    return !music_.isNull() && music_->state() == frmMusic::State::finished;
}

void QtSound::setMusicVolume(int volume) {
    createMusicWindow();
    music_->setVolume(volume);
}

}  // namespace brivane
