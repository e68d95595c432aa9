// The two sounds: "jeep.wav", a diesel idling in a seamless loop (16-bit PCM), and
// "crash.wav", a metal-on-metal crash (Microsoft ADPCM). Both are mono at 11025 samples a
// second, the game's output rate, and are synthesised from a fixed seed.
#include "media_set.h"
#include "noise.h"
#include "wav_writer.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace tb::media {
namespace {

constexpr int Rate = 11025;
constexpr double Pi = 3.14159265358979;

// The mixer never plays a sound's last 16 samples (they feed its stereo lead), and restarts
// a loop at sample 0: so the loop proper is LoopLength samples and the file repeats its first
// 16 after them.
constexpr int MixerTail = 16;

// A two-pole filter (RBJ cookbook forms).
struct Biquad {
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;

    double step(double x) {
        const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }
};

Biquad bandPass(double frequency, double q) {
    const double w = 2 * Pi * frequency / Rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
    Biquad f;
    f.b0 = alpha / a0;
    f.b2 = -alpha / a0;
    f.a1 = -2 * std::cos(w) / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

Biquad lowPass(double frequency, double q) {
    const double w = 2 * Pi * frequency / Rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
    const double c = std::cos(w);
    Biquad f;
    f.b0 = (1 - c) / 2 / a0;
    f.b1 = (1 - c) / a0;
    f.b2 = (1 - c) / 2 / a0;
    f.a1 = -2 * c / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

// Filters a loop as if it had always been playing: one pass settles the filter, the second
// is kept, so what rings past the end comes back in at the start.
std::vector<double> filterLoop(const std::vector<double>& in, Biquad f) {
    for (const double x : in) {
        f.step(x);
    }
    std::vector<double> out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        out[i] = f.step(in[i]);
    }
    return out;
}

std::vector<std::int16_t> toSamples(const std::vector<double>& signal, double peak) {
    double largest = 1e-9;
    for (const double s : signal) {
        largest = std::max(largest, std::fabs(s));
    }
    std::vector<std::int16_t> out(signal.size());
    for (std::size_t i = 0; i < signal.size(); ++i) {
        out[i] = static_cast<std::int16_t>(std::lround(signal[i] / largest * peak));
    }
    return out;
}

// --- the engine ---------------------------------------------------------------------------

// A four-cylinder diesel at idle: 48 firings of 368 samples (about 30 a second) make the
// loop, so every part of it repeats a whole number of times.
constexpr int FiringInterval = 368;
constexpr int Firings = 48;
constexpr int LoopLength = FiringInterval * Firings;

std::vector<double> engineLoop() {
    Rng rng(601);
    std::vector<double> knock(LoopLength, 0.0), thump(LoopLength, 0.0), rumble(LoopLength, 0.0);
    const double cylinderStrength[4] = {1.0, 0.86, 0.95, 0.8};
    for (int k = 0; k < Firings; ++k) {
        // A little unevenness between firings; the first may fall just before the loop's start.
        const int start = k * FiringInterval + static_cast<int>(rng.range(-5, 5)) + LoopLength;
        const double strength = cylinderStrength[k % 4] * rng.range(0.9f, 1.1f);
        // Combustion knock: a sharp burst of noise, the clatter a diesel is known by.
        for (int i = 0; i < 90; ++i) {
            const double envelope = std::exp(-i / 14.0);
            knock[(start + i) % LoopLength] += strength * envelope * rng.signedUnit();
        }
        // The bang itself through the block and the exhaust: a low, quickly damped thud.
        for (int i = 0; i < FiringInterval; ++i) {
            const double t = static_cast<double>(i) / Rate;
            thump[(start + i) % LoopLength] += strength * std::exp(-t / 0.018) *
                                               std::sin(2 * Pi * 62.0 * t) *
                                               (1 - std::exp(-t / 0.001));
        }
    }
    // Crankshaft and valve train: harmonics of the firing rate under everything.
    for (int i = 0; i < LoopLength; ++i) {
        const double phase = 2 * Pi * static_cast<double>(i % FiringInterval) / FiringInterval;
        rumble[i] = 0.5 * std::sin(phase) + 0.3 * std::sin(2 * phase + 1.0) +
                    0.15 * std::sin(3 * phase + 2.1) + 0.08 * std::sin(4 * phase + 0.4) +
                    0.06 * std::sin(6 * phase + 1.7);
    }
    // The clatter stays under 1.5 kHz: the mixer plays the loop up to four times faster
    // without filtering, and higher notes would fold back as hiss.
    const std::vector<double> clatterHigh = filterLoop(knock, bandPass(1400, 2.5));
    const std::vector<double> clatterLow = filterLoop(knock, bandPass(750, 2.0));
    const std::vector<double> body = filterLoop(thump, lowPass(400, 0.8));
    std::vector<double> mixed(LoopLength);
    for (int i = 0; i < LoopLength; ++i) {
        mixed[i] = 0.9 * body[i] + 0.35 * rumble[i] + 0.45 * clatterHigh[i] + 0.4 * clatterLow[i];
    }
    double mean = 0;
    for (const double s : mixed) {
        mean += s;
    }
    mean /= LoopLength;
    for (double& s : mixed) {
        s -= mean;
    }
    return mixed;
}

std::vector<std::int16_t> engineSound() {
    // Eight jeepneys play this together: a modest level leaves the mixer headroom.
    std::vector<std::int16_t> samples = toSamples(engineLoop(), 9000);
    for (int i = 0; i < MixerTail; ++i) {
        samples.push_back(samples[i]);
    }
    return samples;
}

// --- the crash ----------------------------------------------------------------------------

constexpr double CrashSeconds = 1.2;

// Sheet metal rings at a few unrelated frequencies; played at 0.4 times its rate for a
// landing, the same crash becomes a heavy thud with a clank.
struct Partial {
    double frequency;
    double level;
    double decay; // seconds
};
constexpr Partial MetalPartials[] = {{523, 1.0, 0.32},  {541, 0.6, 0.28},  {1187, 0.7, 0.22},
                                     {1735, 0.5, 0.17}, {2291, 0.4, 0.13}, {2963, 0.3, 0.1},
                                     {3570, 0.2, 0.08}};

void addImpact(std::vector<double>& out, int at, double strength, Rng& rng) {
    const int length = static_cast<int>(out.size());
    for (int i = 0; at + i < length; ++i) {
        const double t = static_cast<double>(i) / Rate;
        const double thud =
            std::exp(-t / 0.07) * (std::sin(2 * Pi * 70 * t) + 0.5 * std::sin(2 * Pi * 143 * t));
        double ring = 0;
        for (const Partial& p : MetalPartials) {
            ring += p.level * std::exp(-t / p.decay) * std::sin(2 * Pi * p.frequency * t + p.level);
        }
        const double crunch = std::exp(-t / 0.045) * rng.signedUnit();
        out[at + i] += strength * (0.9 * thud + 0.28 * ring + 0.8 * crunch);
    }
}

std::vector<std::int16_t> crashSound() {
    Rng rng(701);
    std::vector<double> crash(static_cast<std::size_t>(CrashSeconds * Rate), 0.0);
    addImpact(crash, 0, 1.0, rng);
    // Loose parts settling: smaller knocks after the main hit.
    const double rattles[][2] = {{0.16, 0.35}, {0.27, 0.22}, {0.41, 0.15}, {0.58, 0.08}};
    for (const auto& r : rattles) {
        addImpact(crash, static_cast<int>(r[0] * Rate), r[1], rng);
    }
    // Debris: sparse crackle in the first third of a second.
    for (int i = 0; i < 40; ++i) {
        const int at = static_cast<int>(rng.range(0.02f, 0.35f) * Rate);
        const double size = rng.range(0.1f, 0.3f);
        for (int k = 0; k < 40 && at + k < static_cast<int>(crash.size()); ++k) {
            crash[at + k] += size * std::exp(-k / 6.0) * rng.signedUnit();
        }
    }
    Biquad soften = lowPass(4200, 0.7);
    for (double& s : crash) {
        s = soften.step(s);
    }
    // A short fade so the sound ends in silence.
    const std::size_t fade = Rate / 10;
    for (std::size_t i = 0; i < fade; ++i) {
        crash[crash.size() - 1 - i] *= static_cast<double>(i) / fade;
    }
    return toSamples(crash, 26000);
}

} // namespace

bool writeSounds(const std::string& folder) {
    return writePcmWav(folder + "/jeep.wav", engineSound(), Rate) &&
           writeAdpcmWav(folder + "/crash.wav", crashSound(), Rate);
}

} // namespace tb::media
