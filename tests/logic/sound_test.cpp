// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound on the headless platform, its settings, and reading M3U playlists.

#include "core/sound.h"
#include "core/playlist.h"
#include "harness.h"
#include "settings/sound_settings.h"

namespace brivane {
namespace {

// A device frees only its own effect when it reports done; numbers naming no device do nothing.
TEST(PlaySound, EachEffectOnItsOwnDeviceDroppingRetriggersUntilThatDeviceIsDone) {
    test::Started h;
    const auto done = [&h](int device) {
        h.pf.post(ScriptedEvent::with(ScriptedEvent::Kind::soundDone, device));
        h.pf.processEvents();
    };
    h.pf.soundsPlayed.clear();
    for (std::int16_t e : {effectSpark, effectDie, effectShieldDie, effectBonds, effectCapture}) {
        playSound(h.g, e);
    }
    h.passes(50);
    playSound(h.g, effectCapture);
    done(1);
    EXPECT_EQ(std::vector<bool>(std::begin(h.g.soundReady), std::end(h.g.soundReady)),
              (std::vector<bool>{false, true, false, false, false}));
    playSound(h.g, effectCapture);
    for (const std::int16_t effect : {5, 32767, -1, -32768}) {
        done(effect);
        playSound(h.g, effect);
    }
    EXPECT_EQ(std::tuple(h.soundCount(0), h.soundCount(1), h.soundCount(2), h.soundCount(3),
                         h.soundCount(4), h.pf.soundsPlayed.size()),
              std::tuple(1, 2, 1, 1, 1, 6u));
}

// Playing, paused and stopped all read as not finished, whatever the timer's phase.
TEST(LoopMusic, RestartsOnlyAFinishedPlaylistWithinFiveSeconds) {
    test::Harness h;
    h.pf.setPassDuration(20);
    h.start();
    h.passes(3 * 5000 / 20 + 7);
    EXPECT_EQ(h.pf.musicStarted.size(), 1u);
    h.pf.musicHasFinished = true;
    h.passes(5000 / 20 + 1);
    EXPECT_EQ(h.pf.musicStarted, std::vector<std::string>(2, "/opt/brivane/music.m3u"));
}

// On again opens all five afresh, ready even where an effect was playing when let go.
TEST(SoundEffectsSetting, StoredChoiceDecidesTheDevicesAndTheMenuFlipsAndStoresIt) {
    const std::pair<std::optional<std::string>, bool> cases[] = {
        {{}, true}, {"True", true}, {"False", false}, {"false", true}, {"", true}, {"0", true}};
    for (const auto& [stored, storedOn] : cases) {
        SCOPED_TRACE(stored.value_or("(absent)"));
        test::Harness h;
        if (stored) {
            h.pf.settings[{"misc", "soundEffects"}] = *stored;
        }
        h.start();
        for (int choice = 0; choice < 3; ++choice) {
            const bool on = storedOn == (choice % 2 == 0);
            h.pf.soundsPlayed.clear();
            playSound(h.g, effectSpark);
            EXPECT_EQ(std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsSoundEffects),
                                 h.pf.soundFiles.size(), h.soundCount(3)),
                      std::tuple(on, on ? 5u : 0u, on ? 1 : 0));
            const int openings = h.pf.soundDeviceOpenings;
            h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsSoundEffects));
            EXPECT_EQ(h.pf.readSetting("misc", "soundEffects"), on ? "False" : "True");
            EXPECT_EQ(h.pf.soundDeviceOpenings, openings + (on ? 0 : 5));
        }
    }
}

// Only "nomusic" skips the music (File > Music never starts it); a bad stored volume is ignored.
TEST(MusicSettings, OnlyTheNomusicWordSkipsTheMusicAndTheVolumeIsKeptWithinZeroToAHundred) {
    const std::pair<std::optional<std::string>, std::optional<int>> volumes[] = {
        // clang-format off
        {{}, {}}, {"", {}}, {"70", 70}, {"0", 0}, {"100", 100}, {"101", 100}, {"-1", 0},
        {"99999999999999999999", 100}, {"-99999999999999999999", 0}, {"loud", {}}, {"50.5", {}},
        {" 70", {}}, {"70 ", {}}, {"+5", {}}, {"0x40", {}},
    };
    const std::pair<const char*, bool> commands[] = {
        {"", true}, {"nomusic", false}, {"--seed 4 --NOMUSIC", false}, {"no music", true}, {"nomusi", true},
        // clang-format on
    };
    for (const auto& [stored, volume] : volumes) {
        for (const auto& [command, music] : commands) {
            SCOPED_TRACE(stored.value_or("(absent)") + " " + command);
            test::Harness h;
            h.g.commandText = command;
            if (stored) {
                h.pf.settings[{"misc", "musicVolume"}] = *stored;
            }
            h.start();
            const std::vector<std::string> started(music ? 1 : 0, "/opt/brivane/music.m3u");
            EXPECT_EQ(std::tuple(h.pf.musicWindowCreated, h.pf.musicWindowShown, h.pf.musicStarted,
                                 h.pf.musicVolume),
                      std::tuple(music, false, started, music ? volume : std::nullopt));
            h.send(ScriptedEvent::menuItem(MenuItem::mnuFileMusic));
            EXPECT_EQ(std::tuple(h.pf.musicWindowShown, h.pf.musicStarted, h.pf.musicVolume),
                      std::tuple(true, started, volume));
        }
    }
    // The player's choice is stored inside 0 to 100 and is the next start's volume.
    for (const auto& [volume, kept] :
         {std::pair{35, "35"}, {0, "0"}, {100, "100"}, {101, "100"}, {-1, "0"}}) {
        test::Started h;
        h.wired.events.musicVolumeChosen(volume);
        EXPECT_EQ(h.pf.readSetting("misc", "musicVolume"), kept) << volume;
        test::Harness next;
        next.pf.settings = h.pf.settings;
        next.start();
        EXPECT_EQ(next.pf.musicVolume, std::stoi(kept)) << volume;
    }
}

// Every file is there but those named "missing": an entry is skipped for what it says alone.
TEST(ParseM3u, ReadsTheEntriesInOrder) {
    const std::string a = "/opt/b/a.wav", b = "/opt/b/b.wav";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // clang-format off
        {"", {}}, {"#EXTM3U\r\na.wav\r\nb.wav\r\n", {a, b}}, {"a.wav\rb.wav", {a, b}},
        {"#EXTM3U\n#EXTINF:89,Orbit\na.wav\n# a note\n#EXTINF:91,Lattice\nb.wav\n", {a, b}},
        {"\n  a.wav  \n\t\n \t b.wav\t\r\n\n", {a, b}},  // blank and padded lines
        {"\xEF\xBB\xBF" "a.wav\n", {a}}, {"/srv/music/x.ogg\na.wav\n", {"/srv/music/x.ogg", a}},  // BOM
        {"tracks/c.ogg\nmy song.wav\n", {"/opt/b/tracks/c.ogg", "/opt/b/my song.wav"}},
        {"a.wav\nmissing.wav\n/srv/missing.ogg\nb.wav\na.wav\n", {a, b, a}},
        {"  #x.wav\nc.wav #1\n", {"/opt/b/c.wav #1"}},  // a comment only at the start
        // a malformed escape stays; a server or nothing after the scheme is no local path
        {"file:///srv/my%20song.wav\nFILE://localhost/srv/music/x.ogg\nfile:///srv/a%zz.wav\n"
         "file:///srv/caf%C3%A9.wav\nfile:///srv/caf%c3%a9.wav\nfile://server/x.wav\nfile://\n",
         {"/srv/my song.wav", "/srv/music/x.ogg", "/srv/a%zz.wav", "/srv/café.wav", "/srv/café.wav"}},
        {"http://example.com/a.wav\nfile.wav\n", {"/opt/b/file.wav"}},  // an address skipped
        // clang-format on
    };
    const auto exists = [](const std::string& path) {
        return path.find("missing") == std::string::npos;
    };
    for (const auto& [text, entries] : cases) {
        EXPECT_EQ(parseM3u(text, "/opt/b", exists), entries) << text;
    }
}

}  // namespace
}  // namespace brivane
