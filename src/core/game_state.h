// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The game-state record: every variable of a running game, in one plain struct. Routines of
// every subsystem take it by reference and act on it directly; there is one per run, and tests
// make as many as they like.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/game_start.h"
#include "core/pause.h"
#include "core/rnd.h"
#include "particles/ball_grid.h"
#include "platform/platform.h"

namespace brivane {

class clsParticle;

// Particle lists keep slot 0 empty and the live particles in slots 1..count. Shared ownership
// keeps a particle alive while its own move() removes it from its list.
using ParticleList = std::vector<std::shared_ptr<clsParticle>>;

struct TailPoint {
    float x = 0.0f;
    float y = 0.0f;
    std::int16_t age = 0;
    std::int16_t inLoop = 0;  // -1 (true) once the point belongs to a closed loop
};

// What the loop search already knows about the first `searched` points of the tail: their first
// closing pair (`first` 0 when they hold none). Points only ever join at the end, so a new point
// can only add pairs that end at it; removing points from a tail that holds a pair can shift the
// pair, and then the search starts over (`known` false).
struct LoopSearch {
    bool known = true;
    std::size_t searched = 0;
    std::size_t first = 0;
    std::size_t second = 0;
};

// Every variable of a game but the platform it plays on. Plain values, so that a replay's
// snapshot copies them whole; only the particles, which the lists share out, need a deeper copy
// (`copyGame` in replay/snapshot.h).
struct GameRecord {
    GameRecord();
    ~GameRecord();
    GameRecord(const GameRecord&) = default;
    GameRecord& operator=(const GameRecord&) = default;

    Rnd rnd;

    bool electronSparking = false;
    bool ballsCollide = false;
    BallGrid ballGrid;  // where the balls stand, for the collision tests of crowded levels
    mutable BallFinder ballFinder;  // the balls by identity, for bonds; answers as a plain search
    double ballCount = 0;
    ParticleList balls;
    std::int16_t quarkCount = 0;
    ParticleList quarks;
    std::shared_ptr<clsParticle> electron;
    bool electronActive = false;
    std::int16_t stringCount = 0;
    ParticleList strings;
    double tailCount = 0;
    std::vector<TailPoint> tail;
    std::int16_t level = 0;
    std::int16_t highLevel = 0;
    std::int16_t levelCaptures = 0;
    std::int16_t lives = 0;
    float playerX = 0.0f;
    float playerY = 0.0f;
    double score = 0;
    double highScore = 0;
    bool dying = false;
    std::int16_t deathFade = 0;
    std::int16_t graceCount = 0;
    std::int16_t userSpeed = 0;
    std::int32_t frameTicks = 0;
    std::int32_t renderTicks = 0;
    bool bondsRed = false;
    bool bondDeath = false;
    float bondHitX = 0.0f;
    float bondHitY = 0.0f;
    std::string messageText;
    std::uint8_t messageLevel = 0;
    bool shieldOwned = false;
    bool shieldOn = false;

    // Sound devices: true while an effect's device is free to start.
    bool soundReady[soundDeviceCount] = {};

    // Update check.
    std::string updateBuffer;
    bool updateNoticeShown = false;

    // Settings > Auto Speed Adjust, mirrored to the menu's check mark; read every pass, so it is
    // kept here rather than asked of the window.
    bool autoSpeed = true;

    // Seed given on the command line; the time of day seeds the generator otherwise.
    std::optional<std::uint32_t> fixedSeed;
    // The command line as text; start-up skips the music when it holds "nomusic".
    std::string commandText;

    // Set once the program has been told to end; the main loop stops at once.
    bool ended = false;
    LoopSearch loopSearch;
    // A death step is running: a hit that arrives meanwhile is already being handled.
    bool inDeathStep = false;
    // Counts particles made this run; part of their identity so no two ever share one.
    std::uint32_t particleSerial = 0;

    // The table of best games. A replay keeps none, so it never reads or writes the player's.
    bool keepBestGames = true;
    std::int64_t msPlayed = 0;  // by the game in progress, summed over its passes
    // The entry the table window was opened to name, and the games that window shows, as they
    // were written: what its answers refer to once the player gives them.
    std::optional<BestGame> namingEntry;
    std::vector<BestGame> shownGames;
    PauseState pause;
    // Set in the replay of a game that began after another one in the same run: what start-up
    // takes over from that game instead of starting afresh.
    std::optional<CarriedStart> carried;
};

struct GameState : GameRecord {
    explicit GameState(Platform& platform) : pf(platform) {}
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    Platform& pf;
};

std::int16_t getHighLevel(const GameState& g);
void setHighLevel(GameState& g, std::int16_t value);

}  // namespace brivane
