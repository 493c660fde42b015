// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Generates Brivane's sound effects and music.
//
// Every sound the game plays is synthesised here from simple oscillators and a seeded noise
// source, so the repository holds no audio binaries and every build writes byte-identical files.
//
// Usage: gen_sounds OUTDIR [TRACK_SUFFIX]
//
// Writes die.wav, capture.wav, bonds.wav, spark.wav and shieldDie.wav (16-bit PCM mono, 44100 Hz),
// the music tracks music1.wav to music3.wav (16-bit PCM mono, 22050 Hz, to keep them small) and
// the playlist music.m3u that lists them. With a TRACK_SUFFIX such as ".ogg" the playlist names
// the tracks with that suffix instead, for a build that encodes them after this has run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Buffer = std::vector<float>;

constexpr int kEffectRate = 44100;
constexpr int kMusicRate = 22050;
// Headroom left on the music so that it never clips after the player's own resampling.
constexpr double kPeakDbfs = -3.0;
constexpr double kMusicRmsDbfs = -17.5;
// The game plays the music at half volume (-6 dB) and the effects at full volume. The music's
// loudest moments (RMS over 50 ms) sit near -14 dBFS in the files, so about -20 dBFS as heard;
// an effect that peaks much above that startles the player instead of telling them something.
// Peaking at -16 dBFS keeps every effect within about 6 dB of the music's loud passages.
constexpr double kEffectPeakDbfs = -16.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

// ---------------------------------------------------------------------------------------------
// Basic building blocks

// Our own noise source: the library's distributions are allowed to differ between
// implementations, and the files must come out identical everywhere.
class XorShift32 {
  public:
    explicit XorShift32(std::uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}

    std::uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    double Uniform() { return static_cast<double>(Next() >> 8) * (1.0 / 16777216.0); }
    // Uniform in [-1, 1).
    double Bipolar() { return Uniform() * 2.0 - 1.0; }
    double Range(double lo, double hi) { return lo + (hi - lo) * Uniform(); }

  private:
    std::uint32_t state_;
};

double MidiToHz(double midi) {
    return 440.0 * std::exp2((midi - 69.0) / 12.0);
}

double DbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

int SampleCount(double seconds, int rate) {
    return static_cast<int>(std::nearbyint(seconds * rate));
}

// Smooths the step of a naive waveform at a discontinuity (polynomial band-limited step), which
// keeps high square and pulse notes from folding back as audible aliasing.
double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

// Band-limited pulse with the given duty cycle and its DC offset removed, so that note starts
// and ends do not thump.
double Pulse(double phase, double dt, double duty) {
    double v = phase < duty ? 1.0 : -1.0;
    v += PolyBlep(phase, dt);
    double falling = phase - duty;
    if (falling < 0.0)
        falling += 1.0;
    v -= PolyBlep(falling, dt);
    return v - (2.0 * duty - 1.0);
}

double Triangle(double phase) {
    return 4.0 * std::abs(phase - 0.5) - 1.0;
}

double Wrap(double phase) {
    return phase - std::floor(phase);
}

// Two-pole state-variable filter (trapezoidal form, stable at any cutoff).
class Svf {
  public:
    void Set(double cutoff_hz, double q, int rate) {
        const double g = std::tan(std::numbers::pi * cutoff_hz / rate);
        k_ = 1.0 / q;
        a1_ = 1.0 / (1.0 + g * (g + k_));
        a2_ = g * a1_;
        a3_ = g * a2_;
    }
    double BandPass(double x) {
        Step(x);
        return band_;
    }
    double LowPass(double x) {
        Step(x);
        return low_;
    }
    double HighPass(double x) {
        Step(x);
        return x - k_ * band_ - low_;
    }

  private:
    void Step(double x) {
        const double v3 = x - ic2_;
        band_ = a1_ * ic1_ + a2_ * v3;
        low_ = ic2_ + a2_ * ic1_ + a3_ * v3;
        ic1_ = 2.0 * band_ - ic1_;
        ic2_ = 2.0 * low_ - ic2_;
    }
    double k_ = 1.0, a1_ = 0.0, a2_ = 0.0, a3_ = 0.0;
    double ic1_ = 0.0, ic2_ = 0.0, band_ = 0.0, low_ = 0.0;
};

// Raised-cosine fade in and out: the ends of every file start and stop at zero, so the
// player never clicks when a sound is started over from the beginning.
void ApplyFades(Buffer& buf, int rate, double in_sec, double out_sec) {
    const int n = static_cast<int>(buf.size());
    const int fade_in = std::min(n, SampleCount(in_sec, rate));
    const int fade_out = std::min(n, SampleCount(out_sec, rate));
    for (int i = 0; i < fade_in; ++i) {
        buf[i] *= static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * i / fade_in));
    }
    for (int i = 0; i < fade_out; ++i) {
        const double w = 0.5 - 0.5 * std::cos(std::numbers::pi * i / fade_out);
        buf[n - 1 - i] *= static_cast<float>(w);
    }
}

// Removes any slow offset (first-order DC blocker).
void BlockDc(Buffer& buf, int rate) {
    const double r = std::exp(-kTwoPi * 15.0 / rate);
    double x1 = 0.0, y1 = 0.0;
    for (float& s : buf) {
        const double y = s - x1 + r * y1;
        x1 = s;
        y1 = y;
        s = static_cast<float>(y);
    }
}

void NormalizePeak(Buffer& buf, double dbfs) {
    float peak = 0.0f;
    for (float s : buf)
        peak = std::max(peak, std::abs(s));
    if (peak <= 0.0f)
        return;
    const double gain = DbToGain(dbfs) / peak;
    for (float& s : buf)
        s = static_cast<float>(s * gain);
}

void NormalizeRms(Buffer& buf, double dbfs) {
    double sum = 0.0;
    for (float s : buf)
        sum += static_cast<double>(s) * s;
    if (sum <= 0.0)
        return;
    const double gain = DbToGain(dbfs) / std::sqrt(sum / static_cast<double>(buf.size()));
    for (float& s : buf)
        s = static_cast<float>(s * gain);
}

// Leaves everything below the knee alone and bends louder samples smoothly toward the ceiling,
// so the odd drum peak cannot decide the level of a whole track.
void SoftLimit(Buffer& buf, double knee_dbfs, double ceiling_dbfs) {
    const double knee = DbToGain(knee_dbfs);
    const double room = DbToGain(ceiling_dbfs) - knee;
    for (float& s : buf) {
        const double a = std::abs(static_cast<double>(s));
        if (a <= knee)
            continue;
        const double limited = knee + room * std::tanh((a - knee) / room);
        s = static_cast<float>(s < 0.0f ? -limited : limited);
    }
}

void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

// Writes through a temporary name and renames at the end, so an interrupted build never leaves
// a truncated file that looks up to date.
void WriteFileAtomically(const fs::path& path, const std::string& bytes) {
    fs::path tmp = path;
    tmp += ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw std::runtime_error("cannot open " + tmp.string() + " for writing");
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + tmp.string());
    }
    fs::rename(tmp, path);
}

// 16-bit PCM mono RIFF/WAVE, little-endian regardless of the host.
void WriteWav(const fs::path& path, int rate, const Buffer& samples) {
    const auto data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::string out;
    out.reserve(44 + data_bytes);
    out += "RIFF";
    PutLe(out, 36 + data_bytes, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);                                    // format chunk size
    PutLe(out, 1, 2);                                     // PCM
    PutLe(out, 1, 2);                                     // mono
    PutLe(out, static_cast<std::uint32_t>(rate), 4);      // sample rate
    PutLe(out, static_cast<std::uint32_t>(rate * 2), 4);  // bytes per second
    PutLe(out, 2, 2);                                     // block align
    PutLe(out, 16, 2);                                    // bits per sample
    out += "data";
    PutLe(out, data_bytes, 4);
    for (float s : samples) {
        const double clamped = std::clamp(static_cast<double>(s), -1.0, 1.0);
        const auto v = static_cast<std::int16_t>(std::nearbyint(clamped * 32767.0));
        PutLe(out, static_cast<std::uint16_t>(v), 2);
    }
    WriteFileAtomically(path, out);
}

// Shared final touches of every effect: clean ends and the common peak level. A drive above 0 dB
// pushes the loudest moments into the limiter, which lifts sparse, spiky sounds.
Buffer FinishEffect(Buffer buf, double fade_in, double fade_out, double drive_db = 0.0) {
    BlockDc(buf, kEffectRate);
    ApplyFades(buf, kEffectRate, fade_in, fade_out);
    NormalizePeak(buf, kEffectPeakDbfs + drive_db);
    if (drive_db > 0.0) {
        SoftLimit(buf, kEffectPeakDbfs - drive_db, kEffectPeakDbfs);
        NormalizePeak(buf, kEffectPeakDbfs);
    }
    return buf;
}

// ---------------------------------------------------------------------------------------------
// Effects

// Death: a square-ish tone that slides down about three octaves with a sad wobble, getting
// duller as it falls.
Buffer MakeDie() {
    const double duration = 1.0;
    const int n = SampleCount(duration, kEffectRate);
    Buffer out(n);
    double phase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        const double x = t / duration;
        const double wobble = 1.0 + 0.035 * std::sin(kTwoPi * 7.5 * t);
        const double freq = 660.0 * std::pow(70.0 / 660.0, x) * wobble;
        phase = Wrap(phase + freq / kEffectRate);
        // Odd harmonics only (a square wave), kept below Nyquist and rolled off more steeply
        // toward the end.
        const double rolloff = 1.0 + 0.8 * x;
        double s = 0.0;
        for (int h = 1; h <= 19 && h * freq < 0.45 * kEffectRate; h += 2) {
            s += std::sin(kTwoPi * Wrap(h * phase)) / std::pow(h, rolloff);
        }
        const double env = std::min(1.0, t / 0.01) * std::pow(1.0 - x, 0.7);
        out[i] = static_cast<float>(s * env);
    }
    return FinishEffect(std::move(out), 0.004, 0.03);
}

// Capture: two quick bell strikes a fifth apart with a faint octave shimmer on top.
Buffer MakeCapture() {
    struct Strike {
        double time, freq, gain;
    };
    struct Partial {
        double ratio, gain, decay;
    };
    const Strike strikes[] = {
        {0.000, MidiToHz(88), 1.00},   // E6
        {0.075, MidiToHz(95), 0.85},   // B6
        {0.150, MidiToHz(100), 0.25},  // E7
    };
    // Glockenspiel-like partials: the inharmonic ones give the metallic ring and fade first.
    const Partial partials[] = {
        {1.00, 1.00, 0.30}, {2.00, 0.30, 0.16}, {2.76, 0.28, 0.10},
        {5.40, 0.12, 0.05}, {8.93, 0.05, 0.03},
    };
    const double duration = 0.7;
    const int n = SampleCount(duration, kEffectRate);
    Buffer out(n, 0.0f);
    for (const Strike& strike : strikes) {
        const int start = SampleCount(strike.time, kEffectRate);
        for (const Partial& p : partials) {
            const double f = strike.freq * p.ratio;
            if (f >= 0.45 * kEffectRate)
                continue;
            for (int i = start; i < n; ++i) {
                const double t = static_cast<double>(i - start) / kEffectRate;
                const double attack = std::min(1.0, t / 0.002);
                const double env = attack * std::exp(-t / p.decay);
                out[i] += static_cast<float>(strike.gain * p.gain * env * std::sin(kTwoPi * f * t));
            }
        }
    }
    return FinishEffect(std::move(out), 0.002, 0.04);
}

// Bonds: a mains-like electric buzz, two slightly detuned bright tones saturated together with
// a fast tremolo and a little crackle.
Buffer MakeBonds() {
    const double duration = 0.6;
    const int n = SampleCount(duration, kEffectRate);
    Buffer out(n);
    XorShift32 rng(0xB0D5u);
    double phase_a = 0.0, phase_b = 0.0;
    Svf crackle_filter;
    crackle_filter.Set(3000.0, 1.5, kEffectRate);
    double crackle_env = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        phase_a = Wrap(phase_a + 110.0 / kEffectRate);
        phase_b = Wrap(phase_b + 116.5 / kEffectRate);
        // Sawtooth harmonics up to about 5 kHz.
        double s = 0.0;
        for (int h = 1; h <= 45; ++h) {
            s += std::sin(kTwoPi * Wrap(h * phase_a)) / h;
            s += 0.6 * std::sin(kTwoPi * Wrap(h * phase_b)) / h;
        }
        const double buzz = std::tanh(1.8 * s);
        const double tremolo = 0.62 + 0.38 * std::sin(kTwoPi * 13.0 * t);
        // Random short snaps on top of the hum.
        if (rng.Uniform() < 0.0009)
            crackle_env = rng.Range(0.4, 1.0);
        crackle_env *= 0.9965;
        const double crackle = crackle_filter.BandPass(rng.Bipolar()) * crackle_env;
        const double env = std::min(1.0, t / 0.02) * (1.0 - 0.3 * t / duration);
        out[i] = static_cast<float>((0.7 * buzz * tremolo + 0.9 * crackle) * env);
    }
    return FinishEffect(std::move(out), 0.015, 0.08);
}

// Spark: a burst of crackles, each a few milliseconds of band-passed noise at a random pitch,
// thinning out over the length of the sound.
Buffer MakeSpark() {
    const double duration = 0.4;
    const int n = SampleCount(duration, kEffectRate);
    Buffer out(n, 0.0f);
    XorShift32 rng(0x5A4Eu);
    const int bursts = 64;
    for (int b = 0; b < bursts; ++b) {
        // Squaring the position crowds the crackles toward the start.
        const double u = rng.Uniform();
        const double start_t = (b == 0) ? 0.0 : 0.36 * u * u;
        const double length = rng.Range(0.002, 0.014);
        const double gain = rng.Range(0.35, 1.0) * std::exp(-start_t / 0.3);
        Svf filter;
        filter.Set(rng.Range(1500.0, 7000.0), rng.Range(1.5, 4.0), kEffectRate);
        const int start = SampleCount(start_t, kEffectRate);
        const int len = SampleCount(length + 0.02, kEffectRate);
        for (int i = 0; i < len && start + i < n; ++i) {
            const double t = static_cast<double>(i) / kEffectRate;
            const double env = std::min(1.0, t / 0.0003) * std::exp(-t / (length * 0.4));
            out[start + i] += static_cast<float>(gain * env * filter.BandPass(rng.Bipolar()));
        }
    }
    // A faint hiss underneath ties the crackles together.
    Svf hiss_filter;
    hiss_filter.Set(4000.0, 0.7, kEffectRate);
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        out[i] +=
            static_cast<float>(0.08 * std::exp(-t / 0.12) * hiss_filter.HighPass(rng.Bipolar()));
    }
    return FinishEffect(std::move(out), 0.001, 0.03, 6.0);
}

// Shield lost: glass breaking. A hard noise impact, a shower of short high glassy pings that
// keep landing for a while, three high tones falling away, and a tinkling noise tail.
Buffer MakeShieldDie() {
    const double duration = 0.8;
    const int n = SampleCount(duration, kEffectRate);
    Buffer out(n, 0.0f);
    XorShift32 rng(0x5D1Eu);

    Svf impact_filter;
    impact_filter.Set(2500.0, 0.6, kEffectRate);
    for (int i = 0; i < SampleCount(0.08, kEffectRate); ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        out[i] +=
            static_cast<float>(0.9 * std::exp(-t / 0.012) * impact_filter.HighPass(rng.Bipolar()));
    }

    const int shards = 60;
    for (int s = 0; s < shards; ++s) {
        const double u = rng.Uniform();
        const double start_t = 0.45 * u * u;
        const double freq = rng.Range(2500.0, 9500.0);
        const double decay = rng.Range(0.02, 0.11);
        const double gain = rng.Range(0.15, 0.5) * std::exp(-start_t / 0.3);
        const double partner = rng.Range(1.4, 2.3);  // an inharmonic second partial
        const int start = SampleCount(start_t, kEffectRate);
        const int len = SampleCount(decay * 6.0, kEffectRate);
        for (int i = 0; i < len && start + i < n; ++i) {
            const double t = static_cast<double>(i) / kEffectRate;
            const double env = std::min(1.0, t / 0.0005) * std::exp(-t / decay);
            const double f = freq * (1.0 - 0.2 * t);
            const double ping = std::sin(kTwoPi * f * t) +
                                0.35 * std::sin(kTwoPi * std::min(f * partner, 19000.0) * t);
            out[start + i] += static_cast<float>(gain * env * ping);
        }
    }

    const double falling[] = {3100.0, 2350.0, 1720.0};
    for (int k = 0; k < 3; ++k) {
        double phase = 0.0;
        for (int i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / kEffectRate;
            const double f = falling[k] * std::pow(0.35, t / duration);
            phase = Wrap(phase + f / kEffectRate);
            const double env = std::min(1.0, t / 0.004) * std::exp(-t / (0.22 + 0.06 * k));
            out[i] += static_cast<float>(0.22 * env * std::sin(kTwoPi * phase));
        }
    }

    Svf tail_filter;
    tail_filter.Set(6000.0, 0.8, kEffectRate);
    double grain = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / kEffectRate;
        if (rng.Uniform() < 0.004)
            grain = rng.Range(0.3, 1.0);
        grain *= 0.997;
        const double tail = tail_filter.HighPass(rng.Bipolar());
        out[i] += static_cast<float>(0.25 * grain * std::exp(-t / 0.25) * tail);
    }
    return FinishEffect(std::move(out), 0.001, 0.06);
}

// ---------------------------------------------------------------------------------------------
// Music: a tiny step sequencer. Time is counted in sixteenth notes ("steps"), sixteen to a bar.

constexpr int kStepsPerBar = 16;

// Pitch class of a note letter, C = 0.
constexpr int kLetterClass[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G

// Semitone offset of a '#' or 'b' at position i, which is then skipped.
int ParseAccidental(std::string_view text, std::size_t& i) {
    if (i < text.size() && text[i] == '#') {
        ++i;
        return 1;
    }
    if (i < text.size() && text[i] == 'b') {
        ++i;
        return -1;
    }
    return 0;
}

struct Chord {
    int root = 0;   // pitch class, C = 0
    int third = 4;  // semitones above the root: 4 major, 3 minor
};

// "C", "F#", "Bb", "Am", "C#m".
Chord ParseChord(std::string_view name) {
    if (name.empty() || name[0] < 'A' || name[0] > 'G') {
        throw std::runtime_error("bad chord \"" + std::string(name) + "\"");
    }
    Chord c;
    std::size_t i = 1;
    c.root = (kLetterClass[name[0] - 'A'] + ParseAccidental(name, i) + 12) % 12;
    if (i < name.size() && name[i] == 'm') {
        c.third = 3;
        ++i;
    }
    if (i != name.size())
        throw std::runtime_error("bad chord \"" + std::string(name) + "\"");
    return c;
}

// Chord tone n counted upward: root, third, fifth, octave, third and fifth above it.
int ChordTone(const Chord& c, int n) {
    const int base[] = {0, c.third, 7};
    return base[n % 3] + 12 * (n / 3);
}

struct Note {
    int start = 0;   // step
    int length = 0;  // steps
    int midi = 0;
    double gain = 1.0;
    double extra_sec = 0.0;  // held on past its last step (the final chord)
};

// Melody text: bars separated by '|'; each token is a pitch ("E5", "F#4", "Bb5"), a rest "r"
// or a tie "~" that lengthens the previous note, followed by its length: w h q e s (whole to
// sixteenth), optionally dotted. Every bar must add up to a full bar, so a slip in the score
// stops the build instead of shifting the rest of the tune.
// Steps in a note length letter, 0 if it is not one.
int LengthSteps(char c) {
    switch (c) {
        case 'w':
            return 16;
        case 'h':
            return 8;
        case 'q':
            return 4;
        case 'e':
            return 2;
        case 's':
            return 1;
        default:
            return 0;
    }
}

int ParseMelody(std::string_view text, int first_step, std::vector<Note>& notes) {
    int step = first_step;
    int bar_start = first_step;
    std::size_t i = 0;
    auto fail = [&](const std::string& why) {
        const std::string rest(text.substr(std::min(i, text.size()), 24));
        throw std::runtime_error("melody: " + why + " near \"" + rest + "\"");
    };
    auto check_bar = [&] {
        if (step - bar_start != kStepsPerBar) {
            fail("bar has " + std::to_string(step - bar_start) + " steps");
        }
        bar_start = step;
    };
    while (i < text.size()) {
        const char ch = text[i];
        if (ch == ' ') {
            ++i;
            continue;
        }
        if (ch == '|') {
            check_bar();
            ++i;
            continue;
        }
        int midi = -1;  // -1 rest, -2 tie
        if (ch == 'r') {
            ++i;
        } else if (ch == '~') {
            midi = -2;
            ++i;
        } else if (ch >= 'A' && ch <= 'G') {
            ++i;
            const int pc = kLetterClass[ch - 'A'] + ParseAccidental(text, i);
            if (i >= text.size() || text[i] < '0' || text[i] > '9')
                fail("missing octave");
            const int octave = text[i++] - '0';
            midi = (octave + 1) * 12 + pc;
        } else {
            fail("unexpected character");
        }
        int length = i < text.size() ? LengthSteps(text[i]) : 0;
        if (length == 0)
            fail("missing length");
        ++i;
        if (i < text.size() && text[i] == '.') {
            if (length % 2 != 0)
                fail("cannot dot a sixteenth");
            length += length / 2;
            ++i;
        }
        if (midi == -2) {
            if (notes.empty() || notes.back().start + notes.back().length != step) {
                fail("tie without a note before it");
            }
            notes.back().length += length;
        } else if (midi >= 0) {
            notes.push_back({step, length, midi, 1.0, 0.0});
        }
        step += length;
    }
    check_bar();
    return step;
}

struct DrumPattern {
    std::string_view kick, snare, hat;  // 16 steps each: x hit, o open hat, . nothing
};

enum class Drums { kNone, kLight, kFull };

struct Section {
    std::vector<std::string_view> chords;  // one per bar
    std::string_view melody;
    Drums drums = Drums::kFull;
    bool arp = true;
    bool fill = false;    // drum fill in the last bar, leading into the next section
    bool ending = false;  // the last bar holds the final chord and lets it ring
};

struct Song {
    std::string_view file;
    std::string_view title;
    double bpm = 120.0;
    std::uint32_t seed = 1;
    double lead_duty = 0.25;
    double lead_gain = 1.0;  // narrow pulses sound quieter for the same peak
    double arp_duty = 0.125;
    // 16 steps: R root, T third, F fifth, O octave, - hold, . rest.
    std::string_view bass;
    // 16 steps: a digit picks a chord tone (see ChordTone), . rest.
    std::string_view arp;
    DrumPattern light, full, fill;
    std::vector<Section> sections;
};

struct VoiceShape {
    bool triangle = false;
    double duty = 0.5;
    double attack = 0.005, decay = 0.1, sustain = 0.7, release = 0.05;
    double vibrato = 0.0;  // semitones, reached gradually on long notes
};

void RenderNote(Buffer& buf, const Note& note, double step_sec, const VoiceShape& v) {
    const double gate = note.length * step_sec - 0.012 + note.extra_sec;
    const double base_hz = MidiToHz(note.midi);
    const int start = SampleCount(note.start * step_sec, kMusicRate);
    const int len = SampleCount(gate + v.release, kMusicRate);
    double phase = 0.0;
    for (int i = 0; i < len && start + i < static_cast<int>(buf.size()); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        double env;
        if (t < v.attack) {
            env = t / v.attack;
        } else {
            env = v.sustain + (1.0 - v.sustain) * std::exp(-(t - v.attack) / v.decay);
        }
        if (t > gate)
            env *= std::max(0.0, 1.0 - (t - gate) / v.release);
        double hz = base_hz;
        if (v.vibrato > 0.0 && t > 0.18) {
            const double depth = v.vibrato * std::min(1.0, (t - 0.18) / 0.25);
            hz *= std::exp2(depth * std::sin(kTwoPi * 5.5 * (t - 0.18)) / 12.0);
        }
        const double dt = hz / kMusicRate;
        phase = Wrap(phase + dt);
        const double s = v.triangle ? Triangle(phase) : Pulse(phase, dt, v.duty);
        buf[start + i] += static_cast<float>(s * env * note.gain);
    }
}

void RenderKick(Buffer& buf, int start, double gain) {
    double phase = 0.0;
    const int len = SampleCount(0.2, kMusicRate);
    for (int i = 0; i < len && start + i < static_cast<int>(buf.size()); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double hz = 48.0 + 120.0 * std::exp(-t / 0.025);
        phase = Wrap(phase + hz / kMusicRate);
        const double env = std::min(1.0, t / 0.001) * std::exp(-t / 0.07);
        buf[start + i] += static_cast<float>(gain * env * std::sin(kTwoPi * phase));
    }
}

void RenderSnare(Buffer& buf, int start, double gain, XorShift32& rng) {
    Svf filter;
    filter.Set(1800.0, 0.7, kMusicRate);
    double phase = 0.0;
    const int len = SampleCount(0.22, kMusicRate);
    for (int i = 0; i < len && start + i < static_cast<int>(buf.size()); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        phase = Wrap(phase + (180.0 + 40.0 * std::exp(-t / 0.01)) / kMusicRate);
        const double tone = Triangle(phase) * std::exp(-t / 0.035);
        const double noise = filter.HighPass(rng.Bipolar()) * std::exp(-t / 0.055);
        const double env = std::min(1.0, t / 0.001);
        buf[start + i] += static_cast<float>(gain * env * (0.55 * tone + 0.8 * noise));
    }
}

void RenderHat(Buffer& buf, int start, double gain, double decay, XorShift32& rng) {
    Svf filter;
    filter.Set(7000.0, 0.8, kMusicRate);
    const int len = SampleCount(decay * 6.0, kMusicRate);
    for (int i = 0; i < len && start + i < static_cast<int>(buf.size()); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double env = std::min(1.0, t / 0.0005) * std::exp(-t / decay);
        buf[start + i] += static_cast<float>(gain * env * filter.HighPass(rng.Bipolar()));
    }
}

void RenderCrash(Buffer& buf, int start, double gain, XorShift32& rng) {
    Svf filter;
    filter.Set(5000.0, 0.7, kMusicRate);
    const int len = SampleCount(1.6, kMusicRate);
    for (int i = 0; i < len && start + i < static_cast<int>(buf.size()); ++i) {
        const double t = static_cast<double>(i) / kMusicRate;
        const double env = std::min(1.0, t / 0.002) * std::exp(-t / 0.4);
        buf[start + i] += static_cast<float>(gain * env * filter.HighPass(rng.Bipolar()));
    }
}

// Takes the edge off the pulse voices: softer to listen to for minutes on end, and it removes
// what little aliasing the high notes still fold back.
void Soften(Buffer& buf, double cutoff_hz) {
    Svf filter;
    filter.Set(cutoff_hz, 0.6, kMusicRate);
    for (float& s : buf)
        s = static_cast<float>(filter.LowPass(s));
}

// Dotted-eighth echo on the lead: gives the thin chip voice some room without smearing the beat.
void AddEcho(Buffer& buf, int delay, double feedback, double wet) {
    Buffer echo(buf.size(), 0.0f);
    for (std::size_t i = static_cast<std::size_t>(delay); i < buf.size(); ++i) {
        echo[i] = static_cast<float>(buf[i - delay] + feedback * echo[i - delay]);
    }
    for (std::size_t i = 0; i < buf.size(); ++i)
        buf[i] += static_cast<float>(wet * echo[i]);
}

void CheckPattern(std::string_view pattern, std::string_view what) {
    if (pattern.size() != kStepsPerBar) {
        throw std::runtime_error(std::string(what) + " pattern must have 16 steps");
    }
}

// Semitones above the chord root for a bass pattern letter, -1 for hold and rest.
int BassInterval(char c, const Chord& chord) {
    switch (c) {
        case 'R':
            return 0;
        case 'T':
            return chord.third;
        case 'F':
            return 7;
        case 'O':
            return 12;
        default:
            return -1;
    }
}

struct Track {
    Buffer samples;
    double seconds = 0.0;
};

Track RenderSong(const Song& song) {
    const double step_sec = 60.0 / song.bpm / 4.0;
    CheckPattern(song.bass, "bass");
    CheckPattern(song.arp, "arp");
    for (const DrumPattern* d : {&song.light, &song.full, &song.fill}) {
        CheckPattern(d->kick, "kick");
        CheckPattern(d->snare, "snare");
        CheckPattern(d->hat, "hat");
    }

    std::vector<Note> lead, bass, arp;
    struct Hit {
        int step;
        char kind;  // k kick, s snare, h hat, o open hat, c crash
        double gain;
    };
    std::vector<Hit> hits;

    // After the last bar the final chord rings on for tail_sec; it is held to the very end of the
    // file and the closing fade alone brings it down, so the track ends without a cut-off.
    const double tail_sec = 2.0;
    const double fade_out_sec = 2.5;
    int bar_step = 0;
    for (const Section& section : song.sections) {
        const int bars = static_cast<int>(section.chords.size());
        if (ParseMelody(section.melody, bar_step, lead) != bar_step + bars * kStepsPerBar) {
            throw std::runtime_error("a section's melody and chords differ in length");
        }
        for (int b = 0; b < bars; ++b, bar_step += kStepsPerBar) {
            const Chord chord = ParseChord(section.chords[b]);
            const bool last = b == bars - 1;
            const bool ending = last && section.ending;
            int bass_root = 36 + chord.root;  // keep the bass between E2 and D#3
            if (bass_root < 40)
                bass_root += 12;

            if (ending) {
                // The final chord: root in the bass, the triad held on the arp voice.
                bass.push_back({bar_step, kStepsPerBar, bass_root, 1.0, tail_sec});
                for (int k = 0; k < 3; ++k) {
                    arp.push_back({bar_step, kStepsPerBar, 60 + chord.root + ChordTone(chord, k),
                                   0.55, tail_sec});
                }
                hits.push_back({bar_step, 'k', 1.0});
                hits.push_back({bar_step, 'c', 1.0});
                continue;
            }

            for (int s = 0; s < kStepsPerBar; ++s) {
                const int interval = BassInterval(song.bass[s], chord);
                if (interval < 0)
                    continue;
                int len = 1;
                while (s + len < kStepsPerBar && song.bass[s + len] == '-')
                    ++len;
                bass.push_back({bar_step + s, len, bass_root + interval, 1.0, 0.0});
            }

            if (section.arp) {
                for (int s = 0; s < kStepsPerBar; ++s) {
                    const char c = song.arp[s];
                    if (c < '0' || c > '5')
                        continue;
                    const double accent = (s % 4 == 0) ? 1.0 : 0.75;
                    arp.push_back({bar_step + s, 1, 60 + chord.root + ChordTone(chord, c - '0'),
                                   accent, 0.0});
                }
            }

            const DrumPattern* pattern = nullptr;
            if (section.drums == Drums::kLight)
                pattern = &song.light;
            if (section.drums == Drums::kFull)
                pattern = &song.full;
            if (pattern != nullptr && last && section.fill)
                pattern = &song.fill;
            if (pattern != nullptr) {
                if (b == 0 && section.drums == Drums::kFull)
                    hits.push_back({bar_step, 'c', 1.0});
                for (int s = 0; s < kStepsPerBar; ++s) {
                    const double beat_accent = (s % 4 == 0) ? 1.0 : 0.7;
                    if (pattern->kick[s] == 'x')
                        hits.push_back({bar_step + s, 'k', 1.0});
                    if (pattern->snare[s] == 'x') {
                        hits.push_back({bar_step + s, 's', s % 4 == 0 ? 1.0 : 0.75});
                    }
                    if (pattern->hat[s] == 'x')
                        hits.push_back({bar_step + s, 'h', beat_accent});
                    if (pattern->hat[s] == 'o')
                        hits.push_back({bar_step + s, 'o', beat_accent});
                }
            }
        }
    }
    // The final melody note rings on with the final chord.
    if (!lead.empty() && song.sections.back().ending &&
        lead.back().start + lead.back().length == bar_step) {
        lead.back().extra_sec = tail_sec;
    }

    const double seconds = bar_step * step_sec + tail_sec;
    const int n = SampleCount(seconds, kMusicRate);
    Buffer lead_buf(n, 0.0f), arp_buf(n, 0.0f), bass_buf(n, 0.0f), drum_buf(n, 0.0f);

    const VoiceShape lead_voice{false, song.lead_duty, 0.006, 0.15, 0.6, 0.07, 0.22};
    const VoiceShape arp_voice{false, song.arp_duty, 0.002, 0.06, 0.35, 0.03, 0.0};
    const VoiceShape bass_voice{true, 0.5, 0.004, 0.12, 0.8, 0.03, 0.0};
    for (const Note& note : lead)
        RenderNote(lead_buf, note, step_sec, lead_voice);
    for (const Note& note : arp)
        RenderNote(arp_buf, note, step_sec, arp_voice);
    for (const Note& note : bass)
        RenderNote(bass_buf, note, step_sec, bass_voice);
    Soften(lead_buf, 6000.0);
    Soften(arp_buf, 5000.0);
    AddEcho(lead_buf, SampleCount(3 * step_sec, kMusicRate), 0.3, 0.28);

    XorShift32 rng(song.seed);
    for (const Hit& hit : hits) {
        const int start = SampleCount(hit.step * step_sec, kMusicRate);
        if (hit.kind == 'k')
            RenderKick(drum_buf, start, 0.9 * hit.gain);
        if (hit.kind == 's')
            RenderSnare(drum_buf, start, 0.5 * hit.gain, rng);
        if (hit.kind == 'h')
            RenderHat(drum_buf, start, 0.22 * hit.gain, 0.012, rng);
        if (hit.kind == 'o')
            RenderHat(drum_buf, start, 0.2 * hit.gain, 0.06, rng);
        if (hit.kind == 'c')
            RenderCrash(drum_buf, start, 0.16 * hit.gain, rng);
    }

    Track track;
    track.samples.resize(n);
    for (int i = 0; i < n; ++i) {
        track.samples[i] =
            static_cast<float>(0.30 * song.lead_gain * lead_buf[i] + 0.10 * arp_buf[i] +
                               0.42 * bass_buf[i] + 0.55 * drum_buf[i]);
    }
    BlockDc(track.samples, kMusicRate);
    ApplyFades(track.samples, kMusicRate, 0.01, fade_out_sec);
    // Level by loudness rather than by peak, so the three tracks sit together in the playlist.
    NormalizeRms(track.samples, kMusicRmsDbfs);
    SoftLimit(track.samples, kPeakDbfs - 3.0, kPeakDbfs);
    track.seconds = seconds;
    return track;
}

// ---------------------------------------------------------------------------------------------
// The score

// Bright and upbeat, C major, I-vi-IV-V verses and a IV-V-iii-vi chorus.
Song OrbitLights() {
    Song s;
    s.file = "music1.wav";
    s.title = "Orbit Lights";
    s.bpm = 132.0;
    s.seed = 0x0A11u;
    s.lead_duty = 0.25;
    s.bass = "R-R-O-R-F-R-O-F-";
    s.arp = "0123432101234321";
    s.light = {"x.......x.......", "................", "..x...x...x...x."};
    s.full = {"x.......x.x.....", "....x.......x...", "x.x.x.x.x.x.x.x."};
    s.fill = {"x.....x.x.......", "....x.......xxxx", "x.x.x.x.x.x....."};

    const std::string_view verse =
        "E5e G5e C6q B5e A5e G5q | A5q. E5e C5q E5q | F5e G5e A5q C6q A5q | B5q. A5e G5h |"
        "E5e G5e C6q D6e C6e G5q | A5q C6q E6q. D6e | C6q A5q F5q A5q | B5e C6e D6q G5h";
    const std::string_view chorus =
        "A5q A5e G5e A5q C6q | B5q. A5e G5h | G5q G5e E5e G5q B5q | C6q B5e A5e A5h |"
        "A5q C6e D6e C6q A5q | B5q D6q G6q. F6e | E6h. D6e C6e | C6h. rq";
    const std::string_view bridge =
        "A5h F5q D5q | G5h B5q D6q | E6h B5q G5q | A5w |"
        "F5q A5q D6q C6q | B5h G5q B5q | C6q E6q G6q E6q | D6h. rq";
    const std::vector<std::string_view> verse_chords{"C", "Am", "F", "G", "C", "Am", "F", "G"};
    const std::vector<std::string_view> chorus_chords{"F", "G", "Em", "Am", "F", "G", "C", "C"};
    const std::vector<std::string_view> bridge_chords{"Dm", "G", "Em", "Am", "Dm", "G", "C", "G"};

    s.sections = {
        {{"C", "Am", "F", "G"}, "rw | rw | rw | rw", Drums::kLight, true, true, false},
        {verse_chords, verse, Drums::kFull, true, false, false},
        {chorus_chords, chorus, Drums::kFull, true, true, false},
        {verse_chords, verse, Drums::kFull, true, false, false},
        {bridge_chords, bridge, Drums::kLight, true, true, false},
        {chorus_chords, chorus, Drums::kFull, true, false, false},
        {{"F", "G", "C", "C"},
         "C6q. A5e F5q A5q | B5q. A5e G5q D5q | E5q G5q C6h | ~w",
         Drums::kFull,
         true,
         false,
         true},
    };
    return s;
}

// Calmer, A minor, i-VI-III-VII with a half-time beat.
Song StillLattice() {
    Song s;
    s.file = "music2.wav";
    s.title = "Still Lattice";
    s.bpm = 108.0;
    s.seed = 0x1A77u;
    s.lead_duty = 0.5;
    s.arp_duty = 0.25;
    s.bass = "R-----R-F-----O-";
    s.arp = "0.2.3.2.0.2.3.2.";
    s.light = {"x.........x.....", "................", "x...x...x...x..."};
    s.full = {"x......x..x.....", "........x.......", "x.x.x.x.x.x.x.x."};
    s.fill = {"x......x..x.....", "........x...x.xx", "x.x.x.x.x.x....."};

    const std::string_view verse =
        "A5q. B5e C6q E6q | F6h. E6e C6e | E6q D6e C6e G5h | D6q B5q G5q B5q |"
        "A5q. B5e C6q E6q | F6q E6q C6q A5q | G5q. A5e G5q E5q | G5h. rq";
    const std::string_view chorus =
        "C6e A5e C6e F6e E6q C6q | D6e B5e D6e G6e F6q D6q | E6h C6q A5q | B5q C6q A5h |"
        "C6e A5e C6e F6e E6q C6q | D6e B5e D6e G6e F6q D6q | B5q G#5q E5q G#5q | B5h. rq";
    const std::vector<std::string_view> verse_chords{"Am", "F", "C", "G", "Am", "F", "C", "G"};
    const std::vector<std::string_view> chorus_chords{"F", "G", "Am", "Am", "F", "G", "E", "E"};

    s.sections = {
        {{"Am", "F", "C", "G"}, "rw | rw | rw | rw", Drums::kLight, true, true, false},
        {verse_chords, verse, Drums::kLight, true, false, false},
        {chorus_chords, chorus, Drums::kFull, true, true, false},
        {verse_chords, verse, Drums::kFull, true, false, false},
        {chorus_chords, chorus, Drums::kFull, true, false, false},
        {{"Am", "F", "G", "Am"},
         "A5q. B5e C6q E6q | F6h. E6e C6e | D6q B5q G5q B5q | A5w",
         Drums::kFull,
         true,
         false,
         true},
    };
    return s;
}

// Fast and bouncy, G major, I-V-vi-IV with four-on-the-floor and off-beat open hats.
Song SparkRun() {
    Song s;
    s.file = "music3.wav";
    s.title = "Spark Run";
    s.bpm = 150.0;
    s.seed = 0x5A3Cu;
    s.lead_duty = 0.125;
    s.lead_gain = 1.5;
    s.arp_duty = 0.25;
    s.bass = "R-O-R-O-R-O-R-O-";
    s.arp = "0124012401240124";
    s.light = {"x.......x.......", "................", "x.x.x.x.x.x.x.x."};
    s.full = {"x...x...x...x...", "....x.......x...", "..o...o...o...o."};
    s.fill = {"x...x...x.......", "....x...x.x.xxxx", "x.x.x.x........."};

    const std::string_view verse =
        "G5e G5e B5e D6e re D6e B5q | A5e A5e F#5e A5e re D6e A5q |"
        "B5e B5e G5e B5e re E6e D6q | C6q. B5e A5e G5e E5q |"
        "G5e G5e B5e D6e re D6e B5q | A5e A5e F#5e A5e re F#6e E6q |"
        "G6q. F#6e E6q B5q | C6e D6e E6e D6e C6q A5q";
    const std::string_view chorus =
        "E6h G6q E6q | F#6h D6q A5q | D6h F#6q D6q | B5h. rq |"
        "C6h E6q C6q | D6q F#6q A6q F#6q | G6h. D6q | G6h. rq";
    const std::string_view bridge =
        "E6q. D6e B5h | C6q. D6e E6h | D6q. C6e B5h | A5h. rq |"
        "E6q. F#6e G6h | G6q. F#6e E6h | D6q. E6e D6q B5q | A5h F#5q A5q";
    const std::vector<std::string_view> verse_chords{"G", "D", "Em", "C", "G", "D", "Em", "C"};
    const std::vector<std::string_view> chorus_chords{"C", "D", "Bm", "Em", "Am", "D", "G", "G"};
    const std::vector<std::string_view> bridge_chords{"Em", "C", "G", "D", "Em", "C", "G", "D"};

    s.sections = {
        {{"G", "D", "Em", "C"}, "rw | rw | rw | rw", Drums::kLight, true, true, false},
        {verse_chords, verse, Drums::kFull, true, false, false},
        {chorus_chords, chorus, Drums::kFull, true, true, false},
        {bridge_chords, bridge, Drums::kLight, true, true, false},
        {verse_chords, verse, Drums::kFull, true, false, false},
        {chorus_chords, chorus, Drums::kFull, true, false, false},
        {{"C", "D", "G", "G"},
         "E6q. D6e C6q E6q | F#6q. E6e D6q A5q | B5q D6q G6h | ~w",
         Drums::kFull,
         true,
         false,
         true},
    };
    return s;
}

int Run(const fs::path& out_dir, const std::string& track_suffix) {
    fs::create_directories(out_dir);

    WriteWav(out_dir / "die.wav", kEffectRate, MakeDie());
    WriteWav(out_dir / "capture.wav", kEffectRate, MakeCapture());
    WriteWav(out_dir / "bonds.wav", kEffectRate, MakeBonds());
    WriteWav(out_dir / "spark.wav", kEffectRate, MakeSpark());
    WriteWav(out_dir / "shieldDie.wav", kEffectRate, MakeShieldDie());

    std::string playlist = "#EXTM3U\n";
    for (const Song& song : {OrbitLights(), StillLattice(), SparkRun()}) {
        const Track track = RenderSong(song);
        WriteWav(out_dir / song.file, kMusicRate, track.samples);
        playlist += "#EXTINF:" + std::to_string(static_cast<long>(std::nearbyint(track.seconds))) +
                    ",Brivane - " + std::string(song.title) + "\n" +
                    fs::path(song.file).replace_extension(track_suffix).string() + "\n";
    }
    WriteFileAtomically(out_dir / "music.m3u", playlist);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: gen_sounds OUTDIR [TRACK_SUFFIX]\n";
        return 2;
    }
    try {
        return Run(argv[1], argc == 3 ? argv[2] : ".wav");
    } catch (const std::exception& e) {
        std::cerr << "gen_sounds: " << e.what() << "\n";
        return 1;
    }
}
