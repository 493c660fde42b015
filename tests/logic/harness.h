// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A game on the headless platform that keeps what it was asked to do, scenes built on it, and
// the includes most logic tests share.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/game.h"
#include "core/game_state.h"
#include "core/levels.h"
#include "core/messages.h"
#include "core/wired_game.h"
#include "particles/particle.h"
#include "platform/headless/headless_platform.h"

namespace brivane {

struct ParticleTestAccess {
    static void setSpeedsUnattracted(clsParticle& p, std::int16_t x, std::int16_t y) {
        p.speedX_ = x;
        p.speedY_ = y;
        p.isAttracted_ = false;
    }
    // As a capture would leave it, with the fade already at the given level.
    static void capture(clsParticle& p, std::int16_t fadeLevel = 255) {
        p.isDying_ = true;
        p.fadeLevel_ = fadeLevel;
    }
};

struct DrawCall {
    enum class Kind : std::uint8_t { clear, refresh, line, picture, text };
    Kind kind = Kind::clear;
    Rgb colour{};
    int width = 1;
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // line ends; picture and text use x1, y1
    float sx = 0, sy = 0;                  // the cell's corner in its picture
    Picture picture = Picture::imgPlayer;
    std::string text{};
};

struct Dialog {
    std::string text;
    std::string defaultText;
    DialogButtons buttons = DialogButtons::ok;
};

// The headless platform keeping one pass's draws, dialogs, sounds, music, pages, help, sockets.
class SpyPlatform : public HeadlessPlatform {
  public:
    using Base = HeadlessPlatform;
    std::vector<DrawCall> draws;
    std::vector<Dialog> dialogs;
    std::vector<std::pair<std::uint32_t, int>> soundsPlayed;  // (clock, device)
    std::map<int, std::string> soundFiles;  // the devices open now, on their files
    int soundDeviceOpenings = 0;
    std::optional<int> musicVolume;
    bool musicWindowCreated = false;
    bool musicWindowShown = false;
    std::vector<std::string> musicStarted;
    std::vector<std::string> webPagesOpened;
    std::vector<std::string> helpShown;
    std::vector<std::pair<std::string, int>> sockConnects;
    std::string sockSent;
    int sockCloses = 0;

    void clear() override {
        draws.assign(1, DrawCall{});
        Base::clear();
    }
    void refresh() override {
        draws.push_back({.kind = DrawCall::Kind::refresh, .colour = colour_});
    }
    void setForeColor(Rgb c) override { Base::setForeColor(colour_ = c); }
    void setDrawWidth(int pixels) override { Base::setDrawWidth(width_ = pixels); }
    void line(float x1, float y1, float x2, float y2) override {
        draws.push_back({DrawCall::Kind::line, colour_, width_, x1, y1, x2, y2});
        Base::line(x1, y1, x2, y2);
    }
    void paintPicture(Picture p, float dx, float dy, float w, float h, float sx, float sy,
                      RasterOp op) override {
        draws.push_back({DrawCall::Kind::picture, {}, 1, dx, dy, 0, 0, sx, sy, p});
        Base::paintPicture(p, dx, dy, w, h, sx, sy, op);
    }
    void printText(float x, float y, const std::string& text) override {
        draws.push_back(
            {.kind = DrawCall::Kind::text, .colour = colour_, .x1 = x, .y1 = y, .text = text});
        Base::printText(x, y, text);
    }
    std::string inputBox(const std::string& prompt, const std::string& title,
                         const std::string& defaultText) override {
        dialogs.push_back({prompt, defaultText, DialogButtons::ok});
        return Base::inputBox(prompt, title, defaultText);
    }
    DialogResult messageBox(const std::string& text, const std::string& title,
                            DialogButtons buttons) override {
        dialogs.push_back({text, "", buttons});
        return Base::messageBox(text, title, buttons);
    }
    void openSoundDevice(int device, const std::string& path) override {
        soundFiles[device] = path;
        ++soundDeviceOpenings;
    }
    void closeSoundDevice(int device) override { soundFiles.erase(device); }
    void setMusicVolume(int volume) override { musicVolume = volume; }
    void playSoundDevice(int device) override { soundsPlayed.emplace_back(tickCount(), device); }
    void createMusicWindow() override { musicWindowCreated = true; }
    void showMusicWindow() override { musicWindowShown = true; }
    void startMusic(const std::string& playlistPath) override {
        musicStarted.push_back(playlistPath);
        Base::startMusic(playlistPath);
    }
    void openWebPage(const std::string& url) override { webPagesOpened.push_back(url); }
    void showHelp(const std::string& path) override { helpShown.push_back(path); }
    void socketConnect(const std::string& host, int port) override {
        sockConnects.emplace_back(host, port);
        Base::socketConnect(host, port);
    }
    void socketSend(const std::string& bytes) override { sockSent += bytes; }
    void socketClose() override {
        ++sockCloses;
        Base::socketClose();
    }

  private:
    Rgb colour_{255, 255, 255};
    int width_ = 1;
};

namespace test {

// Makes g.rnd return these values, then `rest` for ever; returns the count drawn so far.
inline std::shared_ptr<std::size_t> scriptRnd(GameState& g, std::vector<double> values,
                                              double rest = 0.5) {
    auto drawn = std::make_shared<std::size_t>(0);
    g.rnd.setSource([values = std::move(values), rest, drawn]() {
        const std::size_t i = (*drawn)++;
        return i < values.size() ? values[i] : rest;
    });
    return drawn;
}

// A particle set up from the generator, then placed, sped as told and not attracted.
inline std::shared_ptr<clsParticle> makeParticle(GameState& g, ParticleKind kind, float left,
                                                 float top, std::int16_t speedX = 0,
                                                 std::int16_t speedY = 0, double num = 1) {
    auto p = std::make_shared<clsParticle>();
    p->init(g, num, static_cast<std::uint8_t>(kind));
    p->setLocation(left, top);
    ParticleTestAccess::setSpeedsUnattracted(*p, speedX, speedY);
    return p;
}

struct Harness {
    SpyPlatform pf;
    WiredGame<> wired{pf};
    GameState& g = wired.g;

    explicit Harness(std::uint32_t seed = 1) { g.fixedSeed = seed; }
    void start() { startUp(g); }
    void passes(int n) {
        for (int i = 0; i < n && !g.ended; ++i) {
            runPass(g);
        }
    }
    // One pass with this event delivered in its event processing.
    void send(const ScriptedEvent& e) {
        pf.post(e);
        passes(1);
    }
    // Manual speed with the given frame step (the playfield at its initial size adds 1).
    void setStep(int step) {
        g.autoSpeed = false;
        g.userSpeed = static_cast<std::int16_t>(step - 1);
    }
    // Level n, set up as finishing level n - 1 would.
    void toLevel(int n) {
        g.level = static_cast<std::int16_t>(n - 1);
        startLevel(g, "");
    }
    // A started game at the given level and frame step, with no hint on the playfield.
    void play(int level, int step = 1) {
        start();
        setStep(step);
        toLevel(level);
        clearMessage(g);
    }
    int soundCount(int device) const {
        return static_cast<int>(
            std::count_if(pf.soundsPlayed.begin(), pf.soundsPlayed.end(),
                          [device](const auto& s) { return s.second == device; }));
    }
};

// A 64-bit FNV-1a digest, so that a long known answer fits in a test as one number.
inline std::uint64_t digest(const std::string& text, std::uint64_t d = 0xCBF29CE484222325ULL) {
    for (const char ch : text) {
        d = (d ^ static_cast<unsigned char>(ch)) * 0x100000001B3ULL;
    }
    return d;
}

// The draw calls recorded since the last clear that match.
template <typename Match>
std::vector<const DrawCall*> drawsWhere(const SpyPlatform& pf, Match match) {
    std::vector<const DrawCall*> found;
    for (const DrawCall& d : pf.draws) {
        if (match(d)) {
            found.push_back(&d);
        }
    }
    return found;
}

// Round a square clockwise from the top left, `step` apart, stopping one step short of closing.
inline std::vector<point> square(float x0, float y0, float x1, float y1, float step = 200) {
    std::vector<point> pts;
    for (float x = x0; x < x1; x += step)
        pts.push_back({x, y0});
    for (float y = y0; y < y1; y += step)
        pts.push_back({x1, y});
    for (float x = x1; x > x0; x -= step)
        pts.push_back({x, y1});
    for (float y = y1; y > y0; y -= step)
        pts.push_back({x0, y});
    return pts;
}

// A game already through its start-up.
struct Started : Harness {
    explicit Started(std::uint32_t seed = 1) : Harness(seed) { start(); }
};

// Half a ball cell: a ball's centre lies this far right of and below its top-left corner.
constexpr float halfBall = 157.0f;

struct PlacedBall {
    float left = 0.0f;
    float top = 0.0f;
    int cell = 1;  // sprite cell 1 to 11; the mass grows with it
    std::int16_t speedX = 0;
    std::int16_t speedY = 0;
};

// Only hand-placed balls, and no clock-driven timers: bonds and sparks switch when a test ticks.
struct Scene : Harness {
    explicit Scene(int level, int step = 1) {
        pf.setTimersFromClock(false);
        play(level, step);
        g.quarkCount = 0;
        g.quarks.assign(1, nullptr);
        g.stringCount = 0;
        g.strings.assign(1, nullptr);
        g.electronActive = false;
        g.electronSparking = false;
        g.graceCount = 0;
    }
    // Replaces the level's balls with these, unbonded and not attracted.
    void placeBalls(const std::vector<PlacedBall>& at) {
        g.balls.assign(1, nullptr);
        for (const PlacedBall& b : at) {
            scriptRnd(g, {(b.cell - 0.5) / 11.0});
            g.balls.push_back(makeParticle(g, ParticleKind::ball, b.left, b.top, b.speedX, b.speedY,
                                           static_cast<double>(g.balls.size())));
        }
        g.ballCount = static_cast<double>(at.size());
    }
    // Two balls with centres (1157, 3157) and (5157, 3157), the second bonded to the first.
    void bondedPair(bool red = true) {
        placeBalls({{1000, 3000}, {5000, 3000}});
        bond(2, 1);
        g.bondsRed = red;
    }
    clsParticle& ball(int slot) { return *g.balls[static_cast<std::size_t>(slot)]; }
    void bond(int from, int to) { ball(from).setBoundTo(ball(to).IDnum()); }
    void moveTo(float x, float y) { send(ScriptedEvent::move(x, y)); }
    void tick(TimerId t) { send(ScriptedEvent::tick(t)); }
};

}  // namespace test
}  // namespace brivane
