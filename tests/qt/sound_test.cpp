// The Qt sound: effect devices and their done reports, the music window and its player. Most
// tests run with no audio device at all, as on a build machine; the last one starts a private
// PulseAudio server with a null sink and listens to its monitor, so the sound really goes out.
#include <gtest/gtest.h>

#include <QApplication>
#include <QAudioDevice>
#include <QAudioOutput>
#include <QDataStream>
#include <QDir>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QProcess>
#include <QScopeGuard>
#include <QSlider>
#include <QSoundEffect>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/sound.h"
#include "platform/qt/qt_sound.h"
#include "qt_test_support.h"

// GStreamer's PulseAudio device provider loses its connection context when no server answers,
// as on a machine without sound. The report stops at libpulse's allocator (no frame pointers
// there), so the library as a whole is excused; the game never calls it itself.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpulse.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

namespace brivane {
namespace {

using test::QtGame;
using test::writeFile;

constexpr int rate = 22050;

// A 16-bit mono PCM sine tone.
QString writeTone(const QString& path, double seconds, double hz) {
    const auto samples = static_cast<quint32>(seconds * rate);
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + samples * 2);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(rate) << quint32(rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(samples * 2);
    for (quint32 i = 0; i < samples; ++i) {
        out << static_cast<qint16>(
            std::lround(16000.0 * std::sin(6.283185307179586 * hz * i / rate)));
    }
    return writeFile(path, bytes);
}

struct DoneRecorder : GameEvents {
    using GameEvents::GameEvents;
    std::vector<int> done;
    void soundDone(int device) override { done.push_back(device); }
};

TEST(MusicWindow, IsASmallToolWindowWithItsControls) {
    QtGame<> game;
    game.pf.createMusicWindow();
    frmMusic* w = game.pf.sound().musicWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), "Music Control");
    EXPECT_EQ(w->windowType(), Qt::Tool);
    EXPECT_FALSE(w->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    // The player is heard through the window's output, at the slider's volume.
    EXPECT_EQ(w->wmp->audioOutput(), w->audio);
    EXPECT_FLOAT_EQ(w->audio->volume(), w->sldVolume->value() / 100.0f);

    // A fixed-size window must still show every control whole.
    game.pf.showMusicWindow();
    for (QWidget* control :
         std::initializer_list<QWidget*>{w->cmdPlay, w->cmdPause, w->cmdStop, w->cmdMute,
                                         w->sldSeek, w->sldVolume, w->lblTime, w->lblTrack}) {
        SCOPED_TRACE(control->metaObject()->className());
        EXPECT_TRUE(control->isVisible());
        EXPECT_TRUE(w->rect().contains(control->geometry()));
        EXPECT_GE(control->width(), control->minimumSizeHint().width());
    }

    // Closing only hides it: the same window comes back.
    w->close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(game.pf.sound().musicWindow(), w);
    game.pf.showMusicWindow();
    EXPECT_TRUE(w->isVisible());
}

TEST(MusicWindow, PlaysEachEntryOnceInOrderThenReportsFinished) {
    QtGame<> game;
    const QDir dir(game.dir.path());
    ASSERT_TRUE(dir.mkdir("sub"));
    writeTone(dir.filePath("one.wav"), 0.3, 440);
    writeTone(dir.filePath("sub/two.wav"), 0.3, 660);
    const std::string m3u =
        writeFile(dir.filePath("music.m3u"),
                  "#EXTM3U\r\n#EXTINF:1,One\r\none.wav\r\nmissing.wav\r\nsub/two.wav\r\n")
            .toStdString();

    game.pf.startMusic(m3u);
    frmMusic* w = game.pf.sound().musicWindow();
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    QStringList played{w->wmp->source().fileName()};
    QObject::connect(w->wmp, &QMediaPlayer::sourceChanged,
                     [&played](const QUrl& url) { played << url.fileName(); });
    EXPECT_EQ(w->entries().size(), 2);
    EXPECT_FALSE(game.pf.musicFinished());
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.pf.musicFinished(); }, 20000));
    EXPECT_EQ(played, (QStringList{"one.wav", "two.wav"}));
    EXPECT_EQ(w->state(), frmMusic::State::finished);

    // The loop timer's restart plays the list again from its first entry.
    game.pf.startMusic(m3u);
    EXPECT_FALSE(game.pf.musicFinished());
    EXPECT_EQ(w->currentEntry(), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.pf.musicFinished(); }, 20000));
    EXPECT_EQ(played, (QStringList{"one.wav", "two.wav", "one.wav", "two.wav"}));
}

TEST(MusicWindow, PauseAndStopAreTheUsersAndNeverReadAsFinished) {
    QtGame<> game;
    const QDir dir(game.dir.path());
    writeTone(dir.filePath("long.wav"), 3.0, 330);
    writeTone(dir.filePath("short.wav"), 0.2, 550);
    game.pf.startMusic(writeFile(dir.filePath("music.m3u"), "long.wav\nshort.wav\n").toStdString());
    game.pf.showMusicWindow();
    frmMusic* w = game.pf.sound().musicWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->wmp->position() > 0; }, 10000));
    EXPECT_FALSE(w->cmdPlay->isEnabled());

    // Closing the window leaves the music playing.
    w->close();
    const qint64 beforeClose = w->wmp->position();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->wmp->position() > beforeClose; }, 5000));
    EXPECT_EQ(w->state(), frmMusic::State::playing);

    QTest::mouseClick(w->cmdPause, Qt::LeftButton);
    EXPECT_EQ(w->state(), frmMusic::State::paused);
    EXPECT_EQ(w->wmp->playbackState(), QMediaPlayer::PausedState);
    EXPECT_FALSE(game.pf.musicFinished());
    EXPECT_TRUE(w->cmdPlay->isEnabled());
    EXPECT_FALSE(w->cmdPause->isEnabled());

    QTest::mouseClick(w->cmdStop, Qt::LeftButton);
    EXPECT_EQ(w->state(), frmMusic::State::stopped);
    EXPECT_EQ(w->wmp->playbackState(), QMediaPlayer::StoppedState);
    EXPECT_FALSE(game.pf.musicFinished());
    EXPECT_FALSE(w->cmdStop->isEnabled());

    // Play goes on with the entry it was stopped in, then the rest of the list.
    QTest::mouseClick(w->cmdPlay, Qt::LeftButton);
    EXPECT_EQ(w->state(), frmMusic::State::playing);
    EXPECT_EQ(w->currentEntry(), 0);
    w->wmp->setPosition(2900);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.pf.musicFinished(); }, 20000));
    EXPECT_EQ(w->currentEntry(), 1);
    EXPECT_TRUE(w->cmdStop->isEnabled());

    // Stop after the end is the user's word too, and Play then starts the list over.
    QTest::mouseClick(w->cmdStop, Qt::LeftButton);
    EXPECT_EQ(w->state(), frmMusic::State::stopped);
    EXPECT_FALSE(game.pf.musicFinished());
    QTest::mouseClick(w->cmdPlay, Qt::LeftButton);
    EXPECT_EQ(w->currentEntry(), 0);
    EXPECT_EQ(w->state(), frmMusic::State::playing);
}

TEST(MusicWindow, AMissingOrUnplayablePlaylistPlaysNothingAndIsNotRetried) {
    QtGame<> game;
    const QDir dir(game.dir.path());
    writeFile(dir.filePath("broken.wav"), "RIFF, but not really a wave file");
    writeFile(dir.filePath("broken.m3u"), "broken.wav\nmissing.wav\n");
    writeFile(dir.filePath("empty.m3u"), "#EXTM3U\n");
    for (const char* name : {"nowhere.m3u", "empty.m3u"}) {
        SCOPED_TRACE(name);
        game.pf.startMusic(dir.filePath(name).toStdString());
        frmMusic* w = game.pf.sound().musicWindow();
        EXPECT_EQ(w->state(), frmMusic::State::idle);
        EXPECT_TRUE(w->wmp->source().isEmpty());
        EXPECT_FALSE(w->cmdPlay->isEnabled());
        EXPECT_FALSE(game.pf.musicFinished());
    }

    game.pf.startMusic(dir.filePath("broken.m3u").toStdString());
    frmMusic* w = game.pf.sound().musicWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w->state() != frmMusic::State::playing; }, 10000));
    EXPECT_EQ(w->state(), frmMusic::State::idle);
    EXPECT_FALSE(game.pf.musicFinished());
    EXPECT_FALSE(w->isVisible());
}

TEST(SoundDevices, AMissingFileOrANumberNeverOpenedPlaysNothingAndReportsNothing) {
    QtGame<QtPlatform, DoneRecorder> game;
    const std::string missing = game.dir.filePath("die.wav").toStdString();
    game.pf.openSoundDevice(0, missing);
    game.pf.openSoundDevice(7, missing);
    for (const int device : {0, 3, -1, 5}) {
        game.pf.playSoundDevice(device);
    }
    QTest::qWait(300);
    EXPECT_TRUE(game.events.done.empty());
    ASSERT_NE(game.pf.sound().device(0), nullptr);
    EXPECT_FALSE(game.pf.sound().device(0)->isPlaying());
    EXPECT_EQ(game.pf.sound().device(3), nullptr);
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(top->isVisible()) << top->metaObject()->className();
    }
}

// A PulseAudio server of our own with one null sink, reachable only through a socket in a
// private folder, so the test neither needs nor disturbs a sound card or the user's server. Its
// monitor shows that the sound really goes out, and that it stops.
TEST(NullSink, AnEffectPlaysToTheEndAndItsDeviceIsReadyAgain) {
    const QString pulseaudio = QStandardPaths::findExecutable("pulseaudio");
    const QString parec = QStandardPaths::findExecutable("parec");
    if (pulseaudio.isEmpty() || parec.isEmpty()) {
        GTEST_SKIP() << "pulseaudio or parec is not installed, so there is no audio path to test";
    }
    QTemporaryDir runtime;
    const QString socket = runtime.filePath("native");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", runtime.path());
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", runtime.filePath("config"));
    QProcess server;
    QProcess monitor;
    const auto stop = qScopeGuard([&] {
        for (QProcess* process : {&monitor, &server}) {
            process->terminate();
            process->waitForFinished(5000);
        }
    });
    server.setProcessEnvironment(env);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(pulseaudio, QProcess::splitCommand(
                                 "-n --daemonize=no --exit-idle-time=-1 --use-pid-file=no "
                                 "--log-level=error -L \"module-null-sink sink_name=brivane_test\" "
                                 "-L \"module-native-protocol-unix auth-anonymous=1 socket=" +
                                 socket + "\""));
    const auto serverUp = [&] {
        return QFile::exists(socket) || server.state() == QProcess::NotRunning;
    };
    if (!server.waitForStarted(5000) || !QTest::qWaitFor(serverUp, 10000) ||
        server.state() == QProcess::NotRunning) {
        GTEST_SKIP() << "the PulseAudio server would not start here";
    }
    qputenv("PULSE_SERVER", ("unix:" + socket).toLocal8Bit());
    if (QMediaDevices::defaultAudioOutput().isNull()) {
        GTEST_SKIP() << "audio was set up earlier in this process without a server; run this "
                        "test on its own (ctest does)";
    }
    env.insert("PULSE_SERVER", "unix:" + socket);
    monitor.setProcessEnvironment(env);
    monitor.start(parec, QProcess::splitCommand(QStringLiteral("-d brivane_test.monitor --raw "
                                                               "--format=s16le --channels=1 "
                                                               "--rate=%1 --latency-msec=20")
                                                    .arg(rate)));
    ASSERT_TRUE(monitor.waitForStarted(5000));
    QTest::qWait(500);  // the recording stream connects before anything plays
    ASSERT_EQ(monitor.state(), QProcess::Running);
    QtGame<> game;
    const QDir dir(game.dir.path());
    initSound(game.g, true);
    game.pf.openSoundDevice(effectCapture,
                            writeTone(dir.filePath("capture.wav"), 0.4, 880).toStdString());
    QSoundEffect* device = game.pf.sound().device(effectCapture);
    ASSERT_TRUE(
        QTest::qWaitFor([device] { return device->status() == QSoundEffect::Ready; }, 5000));
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        playSound(game.g, effectCapture);
        EXPECT_FALSE(game.g.soundReady[effectCapture]);
        ASSERT_TRUE(QTest::qWaitFor([&] { return game.g.soundReady[effectCapture]; }, 10000))
            << "the device never reported that it was done";
    }
    // Two plays of 400 ms each, counted in 10 ms blocks that carry a clearly audible signal.
    // The monitor picks a stream up late, so the start of each play may be missing from the
    // recording; more than the two plays would mean it went on.
    // parec holds back what it has not yet written until it is told to stop.
    QTest::qWait(300);
    monitor.terminate();
    monitor.waitForFinished(5000);
    const QByteArray recorded = monitor.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const qint16*>(recorded.constData());
    const int block = rate / 100;
    int loudMs = 0;
    for (qsizetype start = 0; start + block <= recorded.size() / 2; start += block) {
        int peak = 0;
        for (int i = 0; i < block; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(samples[start + i])));
        }
        loudMs += peak > 4000 ? 10 : 0;
    }
    EXPECT_GE(loudMs, 400);
    EXPECT_LE(loudMs, 1000);
}

}  // namespace
}  // namespace brivane
