// The replay runner and its report: one JSON object per pass, written with shortest round-trip
// numbers so that two runs of the same file give the same bytes.
#include "platform/headless/replay_runner.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/game.h"
#include "particles/particle.h"

namespace brivane {

namespace {

std::string jsonNumber(double v) {
    if (!std::isfinite(v)) {
        return "null";
    }
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc() ? std::string(buf, end) : std::string("null");
}

std::string jsonNumber(float v) {
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
    JsonObject& num(const char* key, double v) { return raw(key, jsonNumber(v)); }
    JsonObject& num(const char* key, float v) { return raw(key, jsonNumber(v)); }
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

ReplayRunner::ReplayRunner(const Replay& replay, int passLimit)
    : passLimit_(passLimit > 0 ? passLimit : replay.lastPass()) {
    g_.fixedSeed = replay.seed;
    // Music and the update check stay off in replays; settings and scores come from the header.
    g_.commandText = "nomusic";
    pf_.setEventSink(&events_);
    pf_.setRecordDraws(false);
    pf_.setPlayfieldSize(replay.playfieldWidth, replay.playfieldHeight);
    pf_.settings[{"misc", "checkUpdates"}] = "False";
    pf_.settings[{"misc", "autoSpeed"}] = replay.autoSpeed ? "True" : "False";
    pf_.settings[{"settings", "userSpeed"}] = std::to_string(replay.userSpeed);
    pf_.scoresFile = "highlvl:" + std::to_string(replay.highLevel) +
                     "\r\nhighscore:" + jsonNumber(replay.highScore) + "\r\n";
    pf_.setTimersFromClock(!replay.timersRecorded);
    for (const ReplayPassDuration& d : replay.durations) {
        pf_.setPassDurationFrom(d.pass, d.ms);
    }
    for (const ReplayInput& input : replay.inputs) {
        schedule(input);
    }
}

void ReplayRunner::schedule(const ReplayInput& input) {
    const ReplayEvent& e = input.event;
    switch (e.kind) {
        case ReplayEvent::Kind::move:
            pf_.postAt(input.at, ScriptedEvent::move(e.x, e.y));
            break;
        case ReplayEvent::Kind::down:
            pf_.postAt(input.at, ScriptedEvent::down(e.value));
            break;
        case ReplayEvent::Kind::key:
            pf_.postAt(input.at, ScriptedEvent::key(e.value));
            break;
        case ReplayEvent::Kind::menu: {
            // The answer belongs to the dialog this menu item opens and to no later one.
            const MenuItem item = e.menu;
            const std::optional<std::string> answer = e.answer;
            pf_.postAt(input.at, ScriptedEvent::run([this, item, answer] {
                           pf_.clearDialogAnswers();
                           if (answer) {
                               pf_.queueDialogAnswer(*answer == "cancel" ? "" : *answer);
                           }
                           if (!pf_.programEnded) {
                               events_.menuChosen(item);
                           }
                           pf_.clearDialogAnswers();
                       }));
            break;
        }
        case ReplayEvent::Kind::timer:
            pf_.postAt(input.at, ScriptedEvent::tick(e.timer));
            break;
        case ReplayEvent::Kind::resize: {
            ScriptedEvent resize;
            resize.kind = ScriptedEvent::Kind::resize;
            resize.value = e.value;
            resize.value2 = e.value2;
            pf_.postAt(input.at, std::move(resize));
            break;
        }
        case ReplayEvent::Kind::close:
            pf_.postAt(input.at, ScriptedEvent::closeWindow());
            break;
    }
}

void ReplayRunner::start() {
    startUp(g_);
}

bool ReplayRunner::finished() const {
    return passesRun_ >= passLimit_ || g_.ended || g_.lives < 0 || pf_.programEnded;
}

void ReplayRunner::runOnePass() {
    runPass(g_);
    ++passesRun_;
}

std::string ReplayRunner::reportLine(bool withParticles) const {
    JsonObject o;
    o.num("pass", passesRun_)
        .num("ticks", static_cast<double>(g_.frameTicks))
        .num("frameStep", static_cast<int>(frameStep(g_)))
        .num("level", static_cast<int>(g_.level))
        .num("highLevel", static_cast<int>(g_.highLevel))
        .num("lives", static_cast<int>(g_.lives))
        .num("score", g_.score)
        .num("highScore", g_.highScore)
        .num("ballCount", g_.ballCount)
        .num("quarkCount", static_cast<int>(g_.quarkCount))
        .num("stringCount", static_cast<int>(g_.stringCount))
        .flag("electronActive", g_.electronActive)
        .flag("electronSparking", g_.electronSparking)
        .flag("bondsRed", g_.bondsRed)
        .flag("ballsCollide", g_.ballsCollide)
        .num("tailCount", g_.tailCount)
        .num("graceCount", static_cast<int>(g_.graceCount))
        .flag("dying", g_.dying)
        .num("deathFade", static_cast<int>(g_.deathFade))
        .flag("shieldOwned", g_.shieldOwned)
        .flag("shieldOn", g_.shieldOn)
        .str("messageText", g_.messageText)
        .num("messageLevel", static_cast<int>(g_.messageLevel))
        .str("status", pf_.statusText);
    if (withParticles) {
        std::string list = "[";
        appendList(list, g_.balls, g_.ballCount);
        appendList(list, g_.quarks, static_cast<double>(g_.quarkCount));
        appendList(list, g_.strings, static_cast<double>(g_.stringCount));
        if (g_.electronActive && g_.electron) {
            list += (list.size() > 1 ? "," : "");
            list += particleJson(*g_.electron);
        }
        o.raw("particles", list + "]");
    }
    return o.done();
}

std::string ReplayRunner::summary() const {
    return "passes=" + std::to_string(passesRun_) + " level=" + std::to_string(g_.level) +
           " score=" + jsonNumber(g_.score) + " lives=" + std::to_string(g_.lives) +
           " highLevel=" + std::to_string(g_.highLevel) + " highScore=" + jsonNumber(g_.highScore);
}

}  // namespace brivane
