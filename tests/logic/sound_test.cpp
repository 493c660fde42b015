// soundMan on the headless platform: the effect devices and their ready flags, the music at
// start-up and its loop timer, File > Music, and reading M3U playlists.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/playlist.h"
#include "core/sound.h"
#include "harness.h"

namespace brivane {
namespace {

ScriptedEvent deviceDone(int device) {
    ScriptedEvent e;
    e.kind = ScriptedEvent::Kind::soundDone;
    e.value = device;
    return e;
}

std::vector<int> devicesPlayed(const HeadlessPlatform& pf) {
    std::vector<int> devices;
    for (const auto& [clock, device] : pf.soundsPlayed) {
        devices.push_back(device);
    }
    return devices;
}

TEST(InitSound, OpensEachEffectOnItsOwnFileAndStartsTheMusic) {
    test::Harness h;
    h.pf.folder = "/games/brivane";
    h.start();
    const std::map<int, std::string> expected = {
        {0, "/games/brivane/die.wav"},       {1, "/games/brivane/capture.wav"},
        {2, "/games/brivane/bonds.wav"},     {3, "/games/brivane/spark.wav"},
        {4, "/games/brivane/shieldDie.wav"},
    };
    EXPECT_EQ(h.pf.soundFiles, expected);
    for (int e = 0; e < soundDeviceCount; ++e) {
        EXPECT_TRUE(h.g.soundReady[e]) << "effect " << e;
    }
    EXPECT_TRUE(h.pf.musicWindowCreated);
    EXPECT_FALSE(h.pf.musicWindowShown);
    EXPECT_EQ(h.pf.musicStarted, std::vector<std::string>{"/games/brivane/music.m3u"});
    EXPECT_TRUE(h.pf.dialogs.empty());
}

TEST(InitSound, TheNomusicWordSkipsOnlyTheMusic) {
    const struct {
        const char* command;
        bool music;
    } cases[] = {
        {"", true},           {"nomusic", false}, {"NoMusic", false}, {"--seed 4 --NOMUSIC", false},
        {"xnomusicx", false}, {"no music", true}, {"nomusi", true},
    };
    for (const auto& c : cases) {
        test::Harness h;
        h.g.commandText = c.command;
        h.start();
        EXPECT_EQ(h.pf.musicWindowCreated, c.music) << '"' << c.command << '"';
        EXPECT_EQ(h.pf.musicStarted.size(), c.music ? 1u : 0u) << '"' << c.command << '"';
        EXPECT_EQ(h.pf.soundFiles.size(), 5u) << '"' << c.command << '"';
        for (int e = 0; e < soundDeviceCount; ++e) {
            EXPECT_TRUE(h.g.soundReady[e]) << '"' << c.command << "\" effect " << e;
        }
    }
}

TEST(PlaySound, DropsARetriggerWhileBusyAndPlaysAgainAfterTheDeviceIsDone) {
    test::Harness h;
    h.start();
    h.pf.soundsPlayed.clear();

    playSound(h.g, effectCapture);
    playSound(h.g, effectCapture);
    EXPECT_EQ(devicesPlayed(h.pf), std::vector<int>{1});
    EXPECT_FALSE(h.g.soundReady[effectCapture]);

    // A device that has not reported keeps its effect silent, however long it takes.
    h.passes(50);
    playSound(h.g, effectCapture);
    EXPECT_EQ(devicesPlayed(h.pf), std::vector<int>{1});

    h.pf.post(deviceDone(1));
    h.pf.processEvents();
    EXPECT_TRUE(h.g.soundReady[effectCapture]);
    playSound(h.g, effectCapture);
    EXPECT_EQ(devicesPlayed(h.pf), (std::vector<int>{1, 1}));
    EXPECT_FALSE(h.g.soundReady[effectCapture]);
}

TEST(PlaySound, DifferentEffectsPlayAtOnceEachOnItsOwnDevice) {
    test::Harness h;
    h.start();
    h.pf.soundsPlayed.clear();
    for (std::int16_t e : {effectSpark, effectDie, effectShieldDie, effectBonds, effectCapture}) {
        playSound(h.g, e);
    }
    EXPECT_EQ(devicesPlayed(h.pf), (std::vector<int>{3, 0, 4, 2, 1}));

    // One device finishing frees only its own effect.
    h.pf.post(deviceDone(2));
    h.pf.processEvents();
    for (int e = 0; e < soundDeviceCount; ++e) {
        EXPECT_EQ(h.g.soundReady[e], e == 2) << "effect " << e;
    }
}

TEST(PlaySound, NumbersThatNameNoDeviceAreIgnored) {
    for (const std::int16_t effect : {5, 6, 100, 32767, -1, -32768}) {
        test::Harness h;
        h.start();
        h.pf.soundsPlayed.clear();
        playSound(h.g, effect);
        EXPECT_TRUE(h.pf.soundsPlayed.empty()) << effect;
        for (bool& ready : h.g.soundReady) {
            ready = false;
        }
        h.pf.post(deviceDone(effect));
        h.pf.processEvents();
        for (int e = 0; e < soundDeviceCount; ++e) {
            EXPECT_FALSE(h.g.soundReady[e]) << effect << " freed effect " << e;
        }
    }
}

TEST(LoopMusic, RestartsAFinishedPlaylistWithinFiveSeconds) {
    test::Harness h;
    h.pf.setPassDuration(20);
    h.start();
    h.passes(37);  // the timer's phase should not matter
    h.pf.musicHasFinished = true;
    const std::uint64_t finishedAt = h.pf.clock();
    while (h.pf.musicStarted.size() < 2 && h.pf.clock() <= finishedAt + 5000) {
        h.passes(1);
    }
    ASSERT_EQ(h.pf.musicStarted.size(), 2u);
    EXPECT_LE(h.pf.clock(), finishedAt + 5000 + 20);
    EXPECT_EQ(h.pf.musicStarted[1], h.pf.musicStarted[0]);
    EXPECT_FALSE(h.pf.musicHasFinished);
}

TEST(LoopMusic, LeavesAPlayingPausedOrStoppedPlaylistAlone) {
    // The platform says "finished" only for a playlist that ended on its own; playing, paused
    // and stopped all read as not finished.
    test::Harness h;
    h.pf.setPassDuration(50);
    h.start();
    h.pf.musicHasFinished = false;
    h.passes(3 * 5000 / 50 + 1);
    EXPECT_EQ(h.pf.musicStarted.size(), 1u);
}

TEST(MenuMusic, ShowsTheWindowWithoutRestartingTheMusic) {
    for (const char* command : {"", "nomusic"}) {
        test::Harness h;
        h.g.commandText = command;
        h.start();
        const std::size_t started = h.pf.musicStarted.size();
        h.pf.post(ScriptedEvent::menuItem(MenuItem::mnuFileMusic));
        h.pf.processEvents();
        EXPECT_TRUE(h.pf.musicWindowShown) << '"' << command << '"';
        EXPECT_EQ(h.pf.musicStarted.size(), started) << '"' << command << '"';
    }
}

// --- M3U playlists ---------------------------------------------------------------------------

std::vector<std::string> parseWith(const std::string& text, const std::string& folder,
                                   const std::set<std::string>& existing) {
    return parseM3u(text, folder,
                    [&existing](const std::string& path) { return existing.count(path) > 0; });
}

TEST(ParseM3u, ReadsTheEntriesInOrder) {
    const std::set<std::string> files = {
        "/opt/b/a.wav",
        "/opt/b/b.wav",
        "/opt/b/tracks/c.ogg",
        "/srv/music/x.ogg",
        "/srv/my song.wav",
        "/opt/b/my song.wav",
        "/srv/a%zz.wav",
        "/opt/b/#x.wav",
        "/opt/b/c.wav",
        "/opt/b/file.wav",
        "http://example.com/a.wav",
        "/opt/b/http://example.com/a.wav",
    };
    const struct {
        const char* name;
        std::string text;
        std::string folder;
        std::vector<std::string> entries;
    } cases[] = {
        {"empty", "", "/opt/b", {}},
        {"only comments", "#EXTM3U\n# nothing here\n", "/opt/b", {}},
        {"comments and ext lines",
         "#EXTM3U\n#EXTINF:89,Orbit Lights\na.wav\n# a note\n#EXTINF:91,Still Lattice\nb.wav\n",
         "/opt/b",
         {"/opt/b/a.wav", "/opt/b/b.wav"}},
        {"cr lf", "#EXTM3U\r\na.wav\r\nb.wav\r\n", "/opt/b", {"/opt/b/a.wav", "/opt/b/b.wav"}},
        {"bare cr", "a.wav\rb.wav", "/opt/b", {"/opt/b/a.wav", "/opt/b/b.wav"}},
        {"no final line end", "a.wav\nb.wav", "/opt/b", {"/opt/b/a.wav", "/opt/b/b.wav"}},
        {"blank and padded lines",
         "\n  a.wav  \n\t\n \t b.wav\t\r\n\n",
         "/opt/b",
         {"/opt/b/a.wav", "/opt/b/b.wav"}},
        {"byte-order mark", "\xEF\xBB\xBF#EXTM3U\na.wav\n", "/opt/b", {"/opt/b/a.wav"}},
        {"mark before an entry",
         "\xEF\xBB\xBF"
         "a.wav\n",
         "/opt/b",
         {"/opt/b/a.wav"}},
        {"relative in a subfolder", "tracks/c.ogg\n", "/opt/b", {"/opt/b/tracks/c.ogg"}},
        {"absolute kept",
         "/srv/music/x.ogg\na.wav\n",
         "/opt/b",
         {"/srv/music/x.ogg", "/opt/b/a.wav"}},
        {"folder with a slash", "a.wav\n", "/opt/b/", {"/opt/b/a.wav"}},
        {"blank inside a name", "my song.wav\n", "/opt/b", {"/opt/b/my song.wav"}},
        {"missing skipped",
         "a.wav\nmissing.wav\n/srv/none.ogg\nb.wav\n",
         "/opt/b",
         {"/opt/b/a.wav", "/opt/b/b.wav"}},
        {"repeats kept",
         "a.wav\nb.wav\na.wav\n",
         "/opt/b",
         {"/opt/b/a.wav", "/opt/b/b.wav", "/opt/b/a.wav"}},
        {"hash only at the start", "  #x.wav\nc.wav #1\nc.wav\n", "/opt/b", {"/opt/b/c.wav"}},
        {"file address", "file:///srv/my%20song.wav\n", "/opt/b", {"/srv/my song.wav"}},
        {"file address to localhost",
         "FILE://localhost/srv/music/x.ogg\n",
         "/opt/b",
         {"/srv/music/x.ogg"}},
        {"malformed escape stays", "file:///srv/a%zz.wav\n", "/opt/b", {"/srv/a%zz.wav"}},
        {"file address without a path", "file://server/x.wav\nfile://\n", "/opt/b", {}},
        {"other addresses skipped",
         "http://example.com/a.wav\na.wav\n",
         "/opt/b",
         {"/opt/b/a.wav"}},
        {"a name that only looks like a scheme", "file.wav\n", "/opt/b", {"/opt/b/file.wav"}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parseWith(c.text, c.folder, files), c.entries) << c.name;
    }
}

}  // namespace
}  // namespace brivane
