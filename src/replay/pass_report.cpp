// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The per-pass report: one JSON object, written with shortest round-trip numbers so that two
// runs of the same game give the same bytes.
#include "replay/pass_report.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/game.h"
#include "particles/particle.h"
#include "replay/replay_file.h"

namespace brivane {

std::string reportNumber(double v) {
    if (!std::isfinite(v)) {
        return "null";
    }
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("null");
}

namespace {

std::string numberText(float v) {
    if (!std::isfinite(v)) {
        return "null";
    }
    return floatText(v);
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (const char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

class JsonObject {
  public:
    JsonObject& raw(const char* key, const std::string& value) {
        text_ += (text_.size() > 1 ? "," : "");
        text_ += "\"";
        text_ += key;
        text_ += "\":";
        text_ += value;
        return *this;
    }
    JsonObject& num(const char* key, double v) { return raw(key, reportNumber(v)); }
    JsonObject& num(const char* key, float v) { return raw(key, numberText(v)); }
    JsonObject& num(const char* key, int v) { return raw(key, std::to_string(v)); }
    JsonObject& flag(const char* key, bool v) { return raw(key, v ? "true" : "false"); }
    JsonObject& str(const char* key, const std::string& v) { return raw(key, jsonString(v)); }
    std::string done() { return text_ + "}"; }

  private:
    std::string text_ = "{";
};

const char* kindName(ParticleKind kind) {
    switch (kind) {
        case ParticleKind::ball:
            return "ball";
        case ParticleKind::quark:
            return "quark";
        case ParticleKind::string:
            return "string";
        case ParticleKind::electron:
            return "electron";
    }
    return "ball";
}

std::string particleJson(const clsParticle& p) {
    return JsonObject()
        .str("kind", kindName(p.kind()))
        .num("num", p.num())
        .num("left", p.left())
        .num("top", p.top())
        .num("speedX", static_cast<int>(p.speedX()))
        .num("speedY", static_cast<int>(p.speedY()))
        .flag("isDying", p.isDying())
        .num("fadeLevel", static_cast<int>(p.fadeLevel()))
        .flag("isAttracted", p.isAttracted())
        .str("boundTo", p.boundTo())
        .str("IDnum", p.IDnum())
        .done();
}

void appendList(std::string& out, const ParticleList& list, double count) {
    for (std::size_t i = 1; i < list.size() && static_cast<double>(i) <= count; ++i) {
        if (list[i]) {
            out += (out.size() > 1 ? "," : "");
            out += particleJson(*list[i]);
        }
    }
}

}  // namespace

std::string passReport(const GameState& g, int pass, const std::string& status,
                       bool withParticles) {
    JsonObject o;
    o.num("pass", pass)
        .num("ticks", static_cast<double>(g.frameTicks))
        .num("frameStep", static_cast<int>(frameStep(g)))
        .num("level", static_cast<int>(g.level))
        .num("highLevel", static_cast<int>(g.highLevel))
        .num("lives", static_cast<int>(g.lives))
        .num("score", g.score)
        .num("highScore", g.highScore)
        .num("ballCount", g.ballCount)
        .num("quarkCount", static_cast<int>(g.quarkCount))
        .num("stringCount", static_cast<int>(g.stringCount))
        .flag("electronActive", g.electronActive)
        .flag("electronSparking", g.electronSparking)
        .flag("bondsRed", g.bondsRed)
        .flag("ballsCollide", g.ballsCollide)
        .num("tailCount", g.tailCount)
        .num("graceCount", static_cast<int>(g.graceCount))
        .flag("dying", g.dying)
        .num("deathFade", static_cast<int>(g.deathFade))
        .flag("shieldOwned", g.shieldOwned)
        .flag("shieldOn", g.shieldOn)
        .str("messageText", g.messageText)
        .num("messageLevel", static_cast<int>(g.messageLevel))
        .str("status", status);
    if (withParticles) {
        std::string list = "[";
        appendList(list, g.balls, g.ballCount);
        appendList(list, g.quarks, static_cast<double>(g.quarkCount));
        appendList(list, g.strings, static_cast<double>(g.stringCount));
        if (g.electronActive && g.electron) {
            list += (list.size() > 1 ? "," : "");
            list += particleJson(*g.electron);
        }
        o.raw("particles", list + "]");
    }
    return o.done();
}

}  // namespace brivane
