// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt platform. The main loop's yield processes events until the next frame is due, so the
// game shows one pass per frame and sleeps in between instead of spinning; the waiting is event
// processing, so input is handled as soon as it arrives. Whatever the game draws reaches the
// screen before the next pass clears it: a yield presents the picture whenever it was drawn on,
// also when an event handler drew inside the yield (the fan of a closing loop, the first step of
// a death).
#include "platform/qt/qt_platform.h"

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTime>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/pacing.h"
#include "platform/qt/best_games_window.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_sound.h"
#include "platform/qt/replay_library_window.h"
#include "platform/qt/replay_viewer.h"
#include "platform/regular_file.h"

namespace brivane {

namespace {

QString settingsKey(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + QLatin1Char('/') + QString::fromStdString(key);
}

// The files the settings store reads: the user's, then the fallbacks of the whole system.
QStringList settingsFiles(const QString& chosen) {
    if (!chosen.isEmpty()) {
        return {chosen};
    }
    QStringList files;
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)) {
        files << folder + QStringLiteral("/brivane/brivane.conf")
              << folder + QStringLiteral("/brivane.conf");
    }
    return files;
}

}  // namespace

QtPlatform::QtPlatform(Options options)
    : options_(std::move(options)),
      services_(std::make_unique<QtServices>(*this)),
      sound_(std::make_unique<QtSound>(*this)) {
    // Three short settings fit in far less than a megabyte. A larger file (or anything but a
    // regular file) is not read, which would hold the game up for as long as it takes, and not
    // written over either: the game plays with the defaults and leaves it as it is.
    for (const QString& file : settingsFiles(options_.settingsFile)) {
        const FileCheck check =
            checkRegularFile(QFile::encodeName(file).toStdString(), settingsLimit);
        if (check != FileCheck::regular && check != FileCheck::missing) {
            std::fprintf(stderr, "brivane: %s is %s; playing with the default settings\n",
                         QFile::encodeName(file).constData(),
                         check == FileCheck::tooLarge     ? "larger than a settings file can be"
                         : check == FileCheck::notRegular ? "not a regular file"
                                                          : "unreadable");
            settingsRefused_ = true;
            break;
        }
    }
    if (!settingsRefused_ && options_.settingsFile.isEmpty()) {
        settings_ =
            std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                        QStringLiteral("brivane"), QStringLiteral("brivane"));
    } else if (!settingsRefused_) {
        settings_ = std::make_unique<QSettings>(options_.settingsFile, QSettings::IniFormat);
    }
    for (int i = 0; i < timerCount; ++i) {
        QTimer& timer = timers_[static_cast<std::size_t>(i)];
        timer.setInterval(timerSpecs[i].intervalMs);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this, i, &timer] {
            // The first tick after a pause came after the time the timer had left; from here
            // on it ticks at its own interval again.
            if (timer.interval() != timerSpecs[i].intervalMs) {
                timer.setInterval(timerSpecs[i].intervalMs);
            }
            if (sink_ != nullptr && !ended_) {
                sink_->timerTick(static_cast<TimerId>(i));
            }
        });
        if (timerSpecs[i].enabledAtStart) {
            timer.start();
        }
    }
    services_->setUserDataFolder(options_.userDataFolder);
    frameWake_.setSingleShot(true);
    frameWake_.setTimerType(Qt::PreciseTimer);
    frameClock_.start();
}

QtPlatform::~QtPlatform() = default;

void QtPlatform::ensureWindow() {
    if (window_) {
        return;
    }
    image_.setDevicePixelRatio(screenRatio());
    window_ = std::make_unique<frmMain>(image_);
    image_.resize(window_->playfieldWidth(), window_->playfieldHeight());
    window_->onLayout = [this] {
        if (image_.image().width() > 0) {
            image_.setDevicePixelRatio(window_->devicePixelRatioF());
        }
        if (onResize) {
            onResize(window_->currentLayout().outerWidth, window_->currentLayout().outerHeight);
        }
    };
    window_->pic->onMove = [this](float x, float y) {
        if (sink_ != nullptr && !ended_) {
            sink_->mouseMove(x, y);
        }
    };
    window_->pic->onButton = [this](int button) {
        if (sink_ != nullptr && !ended_) {
            sink_->mouseDown(button);
        }
    };
    window_->pic->onKey = [this](int code) {
        if (sink_ != nullptr && !ended_) {
            sink_->keyPress(code);
        }
    };
    window_->onMenu = [this](MenuItem item) {
        if (sink_ != nullptr && !ended_) {
            sink_->menuChosen(item);
        }
    };
    window_->onClose = [this] { closeWindow(); };
    window_->onInactive = [this] {
        if (sink_ != nullptr && !ended_) {
            sink_->windowInactive();
        }
    };
}

void QtPlatform::closeWindow() {
    if (sink_ != nullptr && !ended_) {
        sink_->windowClosing();
    }
}

qreal QtPlatform::screenRatio() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->devicePixelRatio() : 1.0;
}

int QtPlatform::frameIntervalMs() const {
    const QScreen* screen = window_ ? window_->screen() : QGuiApplication::primaryScreen();
    return paceIntervalMs(screen != nullptr ? screen->refreshRate() : 0.0);
}

void QtPlatform::loadWindow() {
    ensureWindow();
}

void QtPlatform::showWindow() {
    ensureWindow();
    window_->show();
    window_->pic->setFocus();
}

void QtPlatform::setCaption(const std::string& text) {
    ensureWindow();
    window_->setWindowTitle(QString::fromStdString(text));
}

void QtPlatform::setStatusText(const std::string& text) {
    ensureWindow();
    window_->lblStatus->setText(QString::fromStdString(text));
}

void QtPlatform::setLifeIconVisible(int index, bool visible) {
    ensureWindow();
    if (index >= 0 && index < 8) {
        window_->imgPlayer[static_cast<std::size_t>(index)]->setVisible(visible);
    }
}

void QtPlatform::setPlayerPictures(Picture sprite, Picture matte) {
    ensureWindow();
    window_->setPlayerPictures(sprite, matte);
    image_.setPlayerPictures(sprite, matte);
}

bool QtPlatform::menuChecked(MenuItem item) const {
    const QAction* action = window_ ? window_->menuActions[static_cast<int>(item)] : nullptr;
    return action != nullptr && action->isChecked();
}

void QtPlatform::setMenuChecked(MenuItem item, bool checked) {
    ensureWindow();
    window_->menuActions[static_cast<int>(item)]->setChecked(checked);
}

int QtPlatform::playfieldWidth() const {
    return window_ ? window_->playfieldWidth() : 8955;
}

int QtPlatform::playfieldHeight() const {
    return window_ ? window_->playfieldHeight() : 6615;
}

// The picture covers the playfield, but no more of it than the largest screen can show (and
// never more than 16384 pixels a side): a window dragged far beyond the screen would otherwise
// cost gigabytes for pixels no one sees. It follows the window both ways, so memory taken by a
// huge window is given back when it shrinks. The playfield's size in the game's rules stays the
// window's; only the picture is bounded, and what lies beyond it is drawn nowhere.
void QtPlatform::clear() {
    ensureWindow();
    drawnSincePresent_ = true;
    const qreal ratio = image_.devicePixelRatio();
    int sidePixels = maxPictureSide;
    QSize largest;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QSize size = screen->size() * screen->devicePixelRatio();
        largest = largest.expandedTo(size);
    }
    const auto bound = [&](int twips, int screenPixels) {
        const int pixels = screenPixels > 0 ? std::min(screenPixels, sidePixels) : sidePixels;
        return std::min(twips, static_cast<int>(pixels / ratio) * twipsPerPixel);
    };
    const int w = bound(playfieldWidth(), largest.width());
    const int h = bound(playfieldHeight(), largest.height());
    if (w != image_.widthTwips() || h != image_.heightTwips()) {
        image_.resize(w, h);
    } else {
        image_.clear();
    }
}

void QtPlatform::refresh() {
    drawnSincePresent_ = true;
    present();
}

void QtPlatform::present() {
    if (!drawnSincePresent_ || !window_ || !window_->pic->isVisible()) {
        return;
    }
    drawnSincePresent_ = false;
    window_->pic->presentChanged();
}

void QtPlatform::line(float x1, float y1, float x2, float y2) {
    drawnSincePresent_ = true;
    image_.line(x1, y1, x2, y2, foreColor_, drawWidth_);
}

void QtPlatform::paintPicture(Picture picture, float dx, float dy, float w, float h, float sx,
                              float sy, RasterOp op) {
    drawnSincePresent_ = true;
    image_.paintPicture(picture, dx, dy, w, h, sx, sy, op);
}

void QtPlatform::printText(float x, float y, const std::string& text) {
    drawnSincePresent_ = true;
    image_.printText(x, y, text, foreColor_);
}

int QtPlatform::pictureWidth(Picture picture) const {
    return PictureStore::instance().image(picture).width() * twipsPerPixel;
}

int QtPlatform::pictureHeight(Picture picture) const {
    return PictureStore::instance().image(picture).height() * twipsPerPixel;
}

std::uint32_t QtPlatform::tickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

double QtPlatform::timeOfDay() {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void QtPlatform::processEvents() {
    yields_.nestedYieldBegins();
    if (!displayGone_) {
        runPendingEvents();
    }
    yields_.nestedYieldEnds();
}

void QtPlatform::runPendingEvents() {
    // What was drawn before this yield (a loop's fan before its capture is scored) is shown
    // first, and what its handlers draw is shown before the yield returns.
    present();
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    present();
}

void QtPlatform::processEventsUntilNextFrame() {
    yields_.frameYieldBegins();
    if (onFrameYield) {
        onFrameYield(yields_.pass());
    }
    runPendingEvents();
    const qint64 due = lastFrameEnd_ + frameIntervalMs();
    while (!ended_) {
        if (paused_) {
            // Asleep until something happens: no frame to wait for, nothing new to show.
            frameWake_.stop();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            present();
            continue;
        }
        const qint64 remaining = due - frameClock_.elapsed();
        if (remaining <= 0) {
            break;
        }
        frameWake_.start(static_cast<int>(remaining));
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        present();
    }
    frameWake_.stop();
    const qint64 now = frameClock_.elapsed();
    // A pass that ran late starts the next frame now rather than trying to catch up.
    lastFrameEnd_ = now - due > frameIntervalMs() ? now : std::max(due, lastFrameEnd_);
    yields_.frameYieldEnds();
}

void QtPlatform::setTimerEnabled(TimerId timer, bool enabled) {
    const auto i = static_cast<std::size_t>(timer);
    const int interval = timerSpecs[static_cast<int>(timer)].intervalMs;
    if (paused_) {
        if (enabled && !heldEnabled_[i]) {
            heldLeft_[i] = interval;
        }
        heldEnabled_[i] = enabled;
        return;
    }
    QTimer& t = timers_[i];
    if (enabled && !t.isActive()) {
        t.start(interval);
    } else if (!enabled) {
        t.stop();
    }
}

bool QtPlatform::timerEnabled(TimerId timer) const {
    const auto i = static_cast<std::size_t>(timer);
    return paused_ ? heldEnabled_[i] : timers_[i].isActive();
}

void QtPlatform::setPaused(bool paused) {
    if (paused == paused_) {
        return;
    }
    paused_ = paused;
    for (std::size_t i = 0; i < timers_.size(); ++i) {
        QTimer& t = timers_[i];
        if (paused) {
            heldEnabled_[i] = t.isActive();
            heldLeft_[i] = heldEnabled_[i] ? std::max(0, t.remainingTime()) : 0;
            t.stop();
        } else if (heldEnabled_[i]) {
            t.start(heldLeft_[i]);
        }
    }
    sound_->holdMusic(paused);
    if (window_) {
        window_->pic->setPausedOverlay(paused);
    }
}

void QtPlatform::stopSounds() {
    sound_->stopSounds();
}

std::string QtPlatform::inputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) {
    ensureWindow();
    bool ok = false;
    services_->dialogOpens();
    const QString text = QInputDialog::getText(window_.get(), QString::fromStdString(title),
                                               QString::fromStdString(prompt), QLineEdit::Normal,
                                               QString::fromStdString(defaultText), &ok);
    services_->dialogCloses();
    if (onDialogAnswer) {
        onDialogAnswer(ok ? text.toStdString() : std::string("cancel"));
    }
    return ok ? text.toStdString() : std::string();
}

DialogResult QtPlatform::messageBox(const std::string& text, const std::string& title,
                                    DialogButtons buttons) {
    ensureWindow();
    QMessageBox box(
        QMessageBox::NoIcon, QString::fromStdString(title), QString::fromStdString(text),
        buttons == DialogButtons::ok ? QMessageBox::Ok : QMessageBox::Yes | QMessageBox::No,
        window_.get());
    services_->dialogOpens();
    const int answer = box.exec();
    services_->dialogCloses();
    if (onDialogAnswer) {
        onDialogAnswer(buttons == DialogButtons::ok ? "ok"
                       : answer == QMessageBox::Yes ? "yes"
                                                    : "no");
    }
    if (buttons == DialogButtons::ok) {
        return DialogResult::ok;
    }
    return answer == QMessageBox::Yes ? DialogResult::yes : DialogResult::no;
}

std::optional<std::string> QtPlatform::readSetting(const std::string& section,
                                                   const std::string& key) {
    if (settingsRefused_) {
        return std::nullopt;
    }
    const QVariant value = settings_->value(settingsKey(section, key));
    if (!value.isValid()) {
        return std::nullopt;
    }
    return value.toString().toStdString();
}

void QtPlatform::saveSetting(const std::string& section, const std::string& key,
                             const std::string& value) {
    if (settingsRefused_) {
        return;
    }
    settings_->setValue(settingsKey(section, key), QString::fromStdString(value));
    settings_->sync();
}

std::string QtPlatform::programFolder() {
    return services_->dataFolder().toStdString();
}

std::optional<std::string> QtPlatform::readScoresFile() {
    return services_->readScoresFile();
}

bool QtPlatform::writeScoresFile(const std::string& bytes) {
    return services_->writeScoresFile(bytes);
}

std::string QtPlatform::statusText() const {
    return window_->lblStatus->text().toStdString();
}

void QtPlatform::endProgram() {
    ended_ = true;
    if (onProgramEnd) {
        onProgramEnd();
    }
    if (options_.exitProcessOnEnd) {
        // Nothing of the game may run after this: no further pass, event or timer.
        std::fflush(nullptr);
        std::_Exit(displayGone_ ? 1 : 0);
    }
}

void QtPlatform::openSoundDevice(int device, const std::string& path) {
    sound_->openSoundDevice(device, path);
}

void QtPlatform::playSoundDevice(int device) {
    sound_->playSoundDevice(device);
}

void QtPlatform::createMusicWindow() {
    sound_->createMusicWindow();
}

void QtPlatform::showMusicWindow() {
    sound_->showMusicWindow();
}

void QtPlatform::startMusic(const std::string& playlistPath) {
    sound_->startMusic(playlistPath);
}

bool QtPlatform::musicFinished() {
    return sound_->musicFinished();
}

void QtPlatform::closeSoundDevice(int device) {
    sound_->closeSoundDevice(device);
}

void QtPlatform::setMusicVolume(int volume) {
    sound_->setMusicVolume(volume);
}

SocketState QtPlatform::socketState() {
    return services_->socketState();
}

void QtPlatform::socketConnect(const std::string& host, int port) {
    services_->socketConnect(host, port);
}

void QtPlatform::socketSend(const std::string& bytes) {
    services_->socketSend(bytes);
}

std::string QtPlatform::socketRead() {
    return services_->socketRead();
}

void QtPlatform::socketClose() {
    services_->socketClose();
}

void QtPlatform::openWebPage(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void QtPlatform::showHelp(const std::string& path) {
    services_->showHelp(path);
}

StoredFile QtPlatform::readBestGamesFile() {
    return services_->readBestGamesFile();
}

bool QtPlatform::writeBestGamesFile(const std::string& bytes) {
    return services_->writeBestGamesFile(bytes);
}

bool QtPlatform::setBestGamesFileAside() {
    return services_->setBestGamesFileAside();
}

std::int64_t QtPlatform::secondsSinceEpoch() {
    return QDateTime::currentSecsSinceEpoch();
}

// The full name is the first field of the account's comment (GECOS) field.
std::string QtPlatform::accountName() {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr) {
        const QString fullName =
            QString::fromLocal8Bit(found->pw_gecos != nullptr ? found->pw_gecos : "")
                .section(QLatin1Char(','), 0, 0)
                .trimmed();
        if (!fullName.isEmpty()) {
            return fullName.toStdString();
        }
        if (found->pw_name != nullptr && *found->pw_name != '\0') {
            return QString::fromLocal8Bit(found->pw_name).toStdString();
        }
    }
    return qEnvironmentVariable("USER").toStdString();
}

// The window opens from the event processing, not from inside the game's routine: the game has
// finished what it was doing, and what arrives while the window is open belongs to a yield, so
// a recording keeps it where it happened.
void QtPlatform::showBestGames(const BestGamesView& view) {
    ensureWindow();
    QMetaObject::invokeMethod(
        window_.get(), [this, view] { openBestGames(view); }, Qt::QueuedConnection);
}

void QtPlatform::openBestGames(const BestGamesView& view) {
    if (ended_) {
        return;
    }
    BestGamesWindow box(view, window_.get());
    // Each row that has a kept replay gets its Watch button.
    const std::vector<KeptReplay> kept = listKeptReplays(*this);
    std::vector<QString> watchable;
    for (const BestGame& row : view.games) {
        const auto it = std::find_if(kept.begin(), kept.end(), [&row](const KeptReplay& r) {
            return sameGame(r.facts, row);
        });
        watchable.push_back(it == kept.end() ? QString() : replayPath(it->name));
    }
    box.setReplays(watchable);
    QString toWatch;
    box.onWatch = [&box, &toWatch](const QString& path) {
        toWatch = path;
        box.accept();
    };
    box.onNamed = [this](const std::string& name) {
        if (EventSink* s = sink()) {
            s->bestGameNamed(name);
        }
    };
    box.onCleared = [this] {
        if (EventSink* s = sink()) {
            s->bestGamesCleared();
        }
    };
    box.exec();
    if (!toWatch.isEmpty() && !ended_) {
        openReplayViewer(toWatch, window_.get());
    }
}

void QtPlatform::gameOver(const GameOver& over) {
    if (onGameOver) {
        onGameOver(over);
    }
}

ReplayLibraryWindow* QtPlatform::replaysWindow() const {
    return qobject_cast<ReplayLibraryWindow*>(replays_.data());
}

QString QtPlatform::replaysFolder() const {
    return QDir(services_->userDataFolder()).filePath(QStringLiteral("replays"));
}

QString QtPlatform::replayPath(const std::string& name) const {
    if (name.empty() || name.front() == '.' || name.find('/') != std::string::npos) {
        return {};
    }
    return QDir(replaysFolder()).filePath(QFile::decodeName(name.c_str()));
}

std::vector<std::string> QtPlatform::replayFileNames() {
    std::vector<std::string> names;
    for (const QString& name : QDir(replaysFolder()).entryList(QDir::Files | QDir::System)) {
        names.push_back(QFile::encodeName(name).toStdString());
    }
    return names;
}

StoredFile QtPlatform::readReplayFile(const std::string& name, std::size_t limit) {
    const QString path = replayPath(name);
    if (path.isEmpty()) {
        return {};
    }
    FileRead read = readRegularFile(QFile::encodeName(path).toStdString(), limit, true);
    switch (read.check) {
        case FileCheck::regular:
            return StoredFile{StoredFile::State::read, std::move(read.bytes)};
        case FileCheck::missing:
            return {};
        default:
            return StoredFile{StoredFile::State::unusable, {}};
    }
}

bool QtPlatform::writeReplayFile(const std::string& name, const std::string& bytes) {
    const QString path = replayPath(name);
    return !path.isEmpty() && QDir().mkpath(replaysFolder()) &&
           replaceFile(QFile::encodeName(path).toStdString(), bytes);
}

bool QtPlatform::removeReplayFile(const std::string& name) {
    const QString path = replayPath(name);
    return !path.isEmpty() && QFile::remove(path);
}

// The playfield as it stands, small: the picture the library shows beside the replay.
bool QtPlatform::writeReplayPicture(const std::string& name) {
    const QImage& image = image_.image();
    if (image.isNull()) {
        return false;
    }
    const QImage small = image.scaled(160, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    return small.save(&buffer, "PNG") && writeReplayFile(name, png.toStdString());
}

// Not modal: the game goes on behind it (or stands paused, having lost the focus to it).
void QtPlatform::showReplays() {
    ensureWindow();
    QMetaObject::invokeMethod(
        window_.get(),
        [this] {
            if (ended_) {
                return;
            }
            ReplayLibraryWindow* shown = replaysWindow();
            if (shown == nullptr) {
                shown = new ReplayLibraryWindow(*this, replaysFolder(), window_.get());
                shown->setAttribute(Qt::WA_DeleteOnClose);
                replays_ = shown;
            } else {
                shown->refresh();
            }
            shown->show();
            shown->raise();
            shown->activateWindow();
        },
        Qt::QueuedConnection);
}

}  // namespace brivane
