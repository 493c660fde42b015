// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt sound with no audio device, as on a build machine.
#include <QAudioOutput>
#include <QMediaPlayer>
#include <QToolButton>

#include "core/sound.h"
#include "qt_test_support.h"

// GStreamer's PulseAudio provider leaks a context when no server answers; not the game's.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libpulse.so\n";
}

namespace brivane {
namespace {

using test::QtGame;
using test::writeFile;

struct DoneRecorder : GameEvents {
    using GameEvents::GameEvents;
    std::vector<int> done;
    void soundDone(int device) override { done.push_back(device); }
};

// Pause and Stop are the user's, never the end: only a finished list is started again.
TEST(MusicWindow, PlaysEachEntryOnceInOrderOnlyTheEndReadsAsFinishedAndItWaitsForTheGame) {
    QtGame<> game;
    const QDir dir(game.dir.path());
    ASSERT_TRUE(dir.mkdir("sub"));
    writeFile(dir.filePath("one.wav"), test::wavBytes());
    writeFile(dir.filePath("sub/two.wav"), test::wavBytes());
    const std::string m3u = dir.filePath("music.m3u").toStdString();
    writeFile(dir.filePath("music.m3u"),
              "#EXTM3U\r\n#EXTINF:1,One\r\none.wav\r\nmissing.wav\r\nsub/two.wav\r\n");
    const auto finished = [&] {
        return QTest::qWaitFor([&] { return game.pf.musicFinished(); }, 20000);
    };
    game.pf.startMusic(m3u);
    frmMusic* w = game.pf.sound().musicWindow();
    ASSERT_TRUE(w != nullptr && !w->isVisible());
    QStringList played{w->wmp->source().fileName()};
    QObject::connect(w->wmp, &QMediaPlayer::sourceChanged,
                     [&played](const QUrl& url) { played << url.fileName(); });
    EXPECT_EQ(w->wmp->audioOutput(), w->audio);  // so the slider's volume is heard
    game.pf.showMusicWindow();
    w->close();  // only hides it: the music plays on
    ASSERT_TRUE(finished());
    EXPECT_EQ(played, (QStringList{"one.wav", "two.wav"}));

    // Started again from its first entry; Play after Pause or Stop goes on in the same entry.
    game.pf.startMusic(m3u);
    w->nextEntry();
    const std::pair<QToolButton*, frmMusic::State> userStops[] = {
        {w->cmdPause, frmMusic::State::paused}, {w->cmdStop, frmMusic::State::stopped}};
    for (const auto& [button, state] : userStops) {
        button->click();
        EXPECT_EQ(w->state(), state);
        EXPECT_FALSE(game.pf.musicFinished());
    }
    w->cmdPlay->click();
    ASSERT_TRUE(finished());
    EXPECT_EQ(played, (QStringList{"one.wav", "two.wav", "one.wav", "two.wav"}));
    // Stop after the end is the user's too, and Play then starts the list over.
    w->cmdStop->click();
    EXPECT_FALSE(game.pf.musicFinished());
    w->cmdPlay->click();
    EXPECT_EQ(w->currentEntry(), 0);
    // Held with the game, unless the player took it in hand before or while it was paused.
    using State = frmMusic::State;
    using Call = void (frmMusic::*)();
    const std::tuple<Call, Call, State> holds[] = {
        // what the player did before, during the pause; the state after
        {nullptr, nullptr, State::playing},
        {&frmMusic::pause, nullptr, State::paused},
        {nullptr, &frmMusic::stop, State::stopped},
        {nullptr, &frmMusic::play, State::playing},
    };
    for (const auto& [before, during, after] : holds) {
        w->play();
        if (before != nullptr) {
            (w->*before)();
        }
        game.pf.setPaused(true);
        EXPECT_EQ(w->state(), State::paused);
        if (during != nullptr) {
            (w->*during)();
        }
        game.pf.setPaused(false);
        EXPECT_EQ(w->state(), after);
    }
}

// Idle, not finished, so the loop timer does not retry; effects that cannot play never report.
TEST(SoundQuiet, NothingPlayableIsRetriedReportedOrShown) {
    QtGame<QtPlatform, DoneRecorder> game;
    const QDir dir(game.dir.path());
    writeFile(dir.filePath("broken.wav"), "RIFF, but not really a wave file");
    writeFile(dir.filePath("broken.m3u"), "broken.wav\nmissing.wav\n");
    for (const char* name : {"broken.m3u", "nowhere.m3u"}) {
        game.pf.startMusic(dir.filePath(name).toStdString());
        frmMusic* w = game.pf.sound().musicWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w->state() != frmMusic::State::playing; }, 10000));
        EXPECT_EQ(w->state(), frmMusic::State::idle) << name;
        EXPECT_FALSE(game.pf.musicFinished()) << name;
    }
    EXPECT_TRUE(game.pf.sound().musicWindow()->wmp->source().isEmpty());
    const std::string missing = game.dir.filePath("die.wav").toStdString();
    game.pf.openSoundDevice(0, missing);
    game.pf.openSoundDevice(7, missing);
    for (const int device : {0, 3, -1, 5}) {
        game.pf.playSoundDevice(device);
    }
    QTest::qWait(300);
    EXPECT_TRUE(game.events.done.empty());
    ASSERT_TRUE(game.pf.sound().device(0) != nullptr && !game.pf.sound().device(0)->isPlaying());
    for (QWidget* top : QApplication::topLevelWidgets()) {
        EXPECT_FALSE(top->isVisible()) << top->metaObject()->className();
    }
}

// Touching neither the game's window nor the screen's edge: right, else left, below, above.
TEST(MusicWindow, GoesBesideItsOwnerOnTheOwnersScreen) {
    const QSize size(215, 70);
    const QRect screen(0, 0, 1920, 1080);
    const std::tuple<QRect, QRect, QPoint> cases[] = {
        // the owner, the screen's free area, where the music window goes
        {{1061, 100, 640, 520}, screen, {1705, 100}},  // the right side just fits
        {{1062, 100, 640, 520}, screen, {843, 100}},   // one pixel more: the left side
        {{219, 100, 1483, 520}, screen, {0, 100}},     // the left side just fits
        {{218, 100, 1484, 520}, screen, {218, 624}},   // neither side: below
        {{0, 487, 1920, 520}, screen, {0, 413}},       // not below either: above
        {{0, 0, 1920, 1080}, screen, {1705, 0}},       // nowhere free: pushed back inside
        {{100, 1050, 640, 520}, screen, {744, 1010}},  // owner half off the bottom
        {{2000, 100, 640, 520}, {1920, 0, 1280, 1024}, {2644, 100}},  // the second screen
    };
    for (const auto& [owner, available, at] : cases) {
        EXPECT_EQ(besideWindow(owner, size, available), at) << owner.left();
    }
}

// A drag stores the volume only when let go; the next start has it.
TEST(SoundSettings, EffectsOffLetGoOfTheirDevicesAndTheVolumeIsKeptForTheNextStart) {
    QtGame<> game;
    game.pf.loadWindow();
    initSound(game.g, false);
    frmMusic* w = game.pf.sound().musicWindow();
    const auto stored = [&] { return game.pf.readSetting("misc", "musicVolume"); };
    game.action(MenuItem::mnuSettingsSoundEffects)->trigger();
    EXPECT_EQ(game.pf.sound().device(effectDie), nullptr);
    w->sldVolume->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(stored(), "60");
    w->sldVolume->setSliderDown(true);
    w->sldVolume->setValue(80);
    EXPECT_EQ(stored(), "60");
    w->sldVolume->setSliderDown(false);
    EXPECT_EQ(stored(), "80");
    EXPECT_FLOAT_EQ(w->audio->volume(), 0.8f);

    QtPlatform next(test::testOptions(game.dir));
    WiredGame<> wired(next);
    next.loadWindow();
    initSound(wired.g, false);
    EXPECT_EQ(next.sound().musicWindow()->sldVolume->value(), 80);
}

}  // namespace
}  // namespace brivane
