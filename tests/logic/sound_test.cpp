// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Sound on the headless platform, its settings, and reading M3U playlists.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "core/playlist.h"
#include "core/sound.h"
#include "harness.h"
#include "settings/sound_settings.h"

namespace brivane {
namespace {

using test::Harness;

void deviceDone(Harness& h, int device) {
    h.pf.post(ScriptedEvent::with(ScriptedEvent::Kind::soundDone, device));
    h.pf.processEvents();
}

std::vector<int> devicesPlayed(const SpyPlatform& pf) {
    std::vector<int> devices;
    for (const auto& [clock, device] : pf.soundsPlayed) {
        devices.push_back(device);
    }
    return devices;
}

TEST(InitSound, OpensEachEffectOnItsOwnFileAndOnlyTheNomusicWordSkipsTheMusicMenuOrNot) {
    const std::map<int, std::string> files = {
        {0, "/games/brivane/die.wav"},       {1, "/games/brivane/capture.wav"},
        {2, "/games/brivane/bonds.wav"},     {3, "/games/brivane/spark.wav"},
        {4, "/games/brivane/shieldDie.wav"},
    };
    const std::pair<const char*, bool> cases[] = {
        {"", true},         {"nomusic", false}, {"--seed 4 --NOMUSIC", false},
        {"no music", true}, {"nomusi", true},
    };
    for (const auto& [command, music] : cases) {
        SCOPED_TRACE(command);
        Harness h;
        h.pf.folder = "/games/brivane";
        h.g.commandText = command;
        h.start();
        EXPECT_EQ(h.pf.soundFiles, files);
        EXPECT_EQ(std::tuple(h.pf.musicWindowCreated, h.pf.musicWindowShown, h.pf.musicStarted),
                  std::tuple(music, false,
                             music ? std::vector<std::string>{"/games/brivane/music.m3u"}
                                   : std::vector<std::string>{}));
        // File > Music shows the window without starting the music again.
        h.send(ScriptedEvent::menuItem(MenuItem::mnuFileMusic));
        EXPECT_EQ(std::tuple(h.pf.musicWindowShown, h.pf.musicStarted.size()),
                  std::tuple(true, music ? 1u : 0u));
    }
}

TEST(PlaySound, EachEffectOnItsOwnDeviceDroppingRetriggersUntilThatDeviceIsDone) {
    Harness h;
    h.start();
    h.pf.soundsPlayed.clear();
    for (std::int16_t e : {effectSpark, effectDie, effectShieldDie, effectBonds, effectCapture}) {
        playSound(h.g, e);
    }
    playSound(h.g, effectCapture);
    EXPECT_EQ(devicesPlayed(h.pf), (std::vector<int>{3, 0, 4, 2, 1}));
    // A device that has not reported keeps its effect silent, however long it takes.
    h.passes(50);
    playSound(h.g, effectCapture);
    EXPECT_EQ(h.pf.soundsPlayed.size(), 5u);
    // One device finishing frees only its own effect.
    deviceDone(h, 1);
    for (int e = 0; e < soundDeviceCount; ++e) {
        EXPECT_EQ(h.g.soundReady[e], e == effectCapture) << "effect " << e;
    }
    playSound(h.g, effectCapture);
    EXPECT_EQ(devicesPlayed(h.pf), (std::vector<int>{3, 0, 4, 2, 1, 1}));
    // Numbers that name no device neither play nor free anything.
    for (const std::int16_t effect : {5, 32767, -1, -32768}) {
        playSound(h.g, effect);
        deviceDone(h, effect);
    }
    EXPECT_EQ(h.pf.soundsPlayed.size(), 6u);
    EXPECT_EQ(std::count(std::begin(h.g.soundReady), std::end(h.g.soundReady), true), 0);
}

TEST(LoopMusic, RestartsOnlyAFinishedPlaylistWithinFiveSeconds) {
    Harness h;
    h.pf.setPassDuration(20);
    h.start();
    // Playing, paused and stopped all read as not finished: left alone for three intervals.
    h.passes(3 * 5000 / 20 + 7);  // and the timer's phase should not matter
    EXPECT_EQ(h.pf.musicStarted.size(), 1u);
    h.pf.musicHasFinished = true;
    const std::uint64_t finishedAt = h.pf.clock().now();
    while (h.pf.musicStarted.size() < 2 && h.pf.clock().now() <= finishedAt + 5000) {
        h.passes(1);
    }
    ASSERT_EQ(h.pf.musicStarted.size(), 2u);
    EXPECT_LE(h.pf.clock().now(), finishedAt + 5000 + 20);
    EXPECT_TRUE(h.pf.musicStarted[1] == h.pf.musicStarted[0] && !h.pf.musicHasFinished);
}

// On again opens all five afresh, ready even where an effect was playing when let go.
TEST(SoundEffectsSetting, StoredChoiceDecidesTheDevicesAndTheMenuFlipsAndStoresIt) {
    const struct {
        std::optional<std::string> stored;
        bool on;
    } cases[] = {
        {std::nullopt, true}, {"True", true}, {"False", false},
        {"false", true},      {"", true},     {"0", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(absent)"));
        Harness h;
        if (c.stored) {
            h.pf.settings[{"misc", "soundEffects"}] = *c.stored;
        }
        const auto stored = h.pf.settings;
        h.start();
        EXPECT_EQ(h.pf.settings, stored);  // starting writes nothing
        bool on = c.on;
        for (int choice = 0; choice < 3; ++choice) {
            EXPECT_EQ(std::tuple(h.pf.menuChecked(MenuItem::mnuSettingsSoundEffects),
                                 h.pf.soundFiles.size()),
                      std::tuple(on, on ? 5u : 0u));
            h.pf.soundsPlayed.clear();
            playSound(h.g, effectSpark);
            EXPECT_EQ(devicesPlayed(h.pf), on ? std::vector<int>{3} : std::vector<int>{});
            const int openings = h.pf.soundDeviceOpenings;
            h.send(ScriptedEvent::menuItem(MenuItem::mnuSettingsSoundEffects));
            on = !on;
            EXPECT_EQ(h.pf.readSetting("misc", "soundEffects"), on ? "True" : "False");
            EXPECT_EQ(h.pf.soundDeviceOpenings, openings + (on ? 5 : 0));
            EXPECT_TRUE(!on || std::count(std::begin(h.g.soundReady), std::end(h.g.soundReady),
                                          true) == soundDeviceCount);
        }
    }
}

TEST(MusicVolumeSetting, KeptFromTheWindowAndReadBackWithinZeroToAHundred) {
    const struct {
        std::optional<std::string> stored;
        std::optional<int> volume;  // nothing: the window keeps its own start value
    } cases[] = {
        // clang-format off
        {std::nullopt, std::nullopt}, {"", std::nullopt}, {"70", 70}, {"0", 0}, {"100", 100},
        {"101", 100}, {"-1", 0}, {"99999999999999999999", 100}, {"-99999999999999999999", 0},
        {"loud", std::nullopt}, {"50.5", std::nullopt}, {" 70", std::nullopt},
        {"70 ", std::nullopt}, {"+5", std::nullopt}, {"0x40", std::nullopt},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(absent)"));
        for (const char* command : {"", "nomusic"}) {
            Harness h;
            h.g.commandText = command;
            if (c.stored) {
                h.pf.settings[{"misc", "musicVolume"}] = *c.stored;
            }
            h.start();
            // Without music the window comes only with File > Music, and gets the volume then.
            EXPECT_EQ(h.pf.musicVolume, *command == '\0' ? c.volume : std::nullopt) << command;
            h.send(ScriptedEvent::menuItem(MenuItem::mnuFileMusic));
            EXPECT_EQ(h.pf.musicVolume, c.volume) << command;
        }
    }
    // The player's choice is stored inside 0 to 100 and is the next start's volume.
    for (const auto& [volume, kept] :
         {std::pair{35, "35"}, {0, "0"}, {100, "100"}, {101, "100"}, {-1, "0"}}) {
        test::Started h;
        h.wired.events.musicVolumeChosen(volume);
        EXPECT_EQ(h.pf.readSetting("misc", "musicVolume"), kept) << volume;
        Harness next;
        next.pf.settings = h.pf.settings;
        next.start();
        EXPECT_EQ(next.pf.musicVolume, std::stoi(kept)) << volume;
    }
}

TEST(ParseM3u, ReadsTheEntriesInOrder) {
    const std::set<std::string> files = {
        // clang-format off
        "/opt/b/a.wav", "/opt/b/b.wav", "/opt/b/tracks/c.ogg", "/srv/music/x.ogg",
        "/srv/my song.wav", "/srv/café.wav", "/opt/b/#x.wav", "/opt/b/my song.wav", "/srv/a%zz.wav", "/opt/b/c.wav",
        "/opt/b/file.wav", "http://example.com/a.wav", "/opt/b/http://example.com/a.wav",
        // clang-format on
    };
    const std::string a = "/opt/b/a.wav";
    const std::string b = "/opt/b/b.wav";
    const struct {
        std::string text;
        std::vector<std::string> entries;
        std::string folder = "/opt/b";
    } cases[] = {
        // clang-format off
        {"", {}},
        {"#EXTM3U\n#EXTINF:89,Orbit Lights\na.wav\n# a note\n#EXTINF:91,Still Lattice\nb.wav\n",
         {a, b}},
        {"#EXTM3U\r\na.wav\r\nb.wav\r\n", {a, b}}, {"a.wav\rb.wav", {a, b}},
        {"\n  a.wav  \n\t\n \t b.wav\t\r\n\n", {a, b}},  // blank and padded lines
        {"\xEF\xBB\xBF" "a.wav\n", {a}},  // byte-order mark
        {"tracks/c.ogg\nmy song.wav\n", {"/opt/b/tracks/c.ogg", "/opt/b/my song.wav"}},
        {"/srv/music/x.ogg\na.wav\n", {"/srv/music/x.ogg", a}}, {"a.wav\n", {a}, "/opt/b/"},
        {"a.wav\nmissing.wav\n/srv/none.ogg\nb.wav\na.wav\n", {a, b, a}},  // missing skipped
        {"  #x.wav\nc.wav #1\nc.wav\n", {"/opt/b/c.wav"}},  // a comment only at the start
        // a malformed escape stays; a server or nothing after the scheme is no local path
        {"file:///srv/my%20song.wav\nFILE://localhost/srv/music/x.ogg\nfile:///srv/a%zz.wav\n"
         "file:///srv/caf%C3%A9.wav\nfile:///srv/caf%c3%a9.wav\n"
         "file://server/x.wav\nfile://\n",
         {"/srv/my song.wav", "/srv/music/x.ogg", "/srv/a%zz.wav", "/srv/café.wav", "/srv/café.wav"}},
        // other addresses skipped; a name that only looks like a scheme is a file
        {"http://example.com/a.wav\nfile.wav\n", {"/opt/b/file.wav"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseM3u(c.text, c.folder,
                           [&files](const std::string& path) { return files.count(path) > 0; }),
                  c.entries)
            << c.text;
    }
}

}  // namespace
}  // namespace brivane
