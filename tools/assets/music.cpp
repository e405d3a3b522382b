// The tune: 16 bars at 120 beats a minute (32 s), in C major: I-V-vi-IV, then vi-IV-I-V.
// Bass in pumping eighths, off-beat chord plucks, a square-ish lead with a dotted-eighth
// echo, and a light drum kit. Everything is mixed into a circular buffer.
#include "tools/assets/music.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double pi = std::numbers::pi;
constexpr double rate = musicSampleRate;
constexpr double beat = 0.5;  // seconds
constexpr double eighth = beat / 2;
constexpr int bars = 16;
constexpr double barLength = 4 * beat;

struct Note {
    int bar;
    int start;   // in eighths within the bar
    int length;  // in eighths
    int midi;
};

double frequency(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

class Mix {
public:
    explicit Mix(size_t length) : samples(length, 0.0) {}
    // Adds a sound that starts at time `at`; it wraps round the end of the loop.
    template <typename Voice>
    void add(double at, double duration, Voice voice) {
        auto first = static_cast<size_t>(std::llround(at * rate));
        auto count = static_cast<size_t>(duration * rate);
        for (size_t i = 0; i < count; ++i) {
            samples[(first + i) % samples.size()] += voice(static_cast<double>(i) / rate);
        }
    }
    std::vector<double> samples;
};

// A band-limited sum of harmonics: no partial at or above half the sample rate.
double harmonics(double f, double t, int count, double (*weight)(int)) {
    double v = 0;
    for (int k = 1; k <= count && f * k < rate / 2; ++k)
        v += weight(k) * std::sin(2 * pi * f * k * t);
    return v;
}

double squareWeight(int k) { return k % 2 == 1 ? 1.0 / k : 0.12 / k; }
double sawWeight(int k) { return 1.0 / k; }

// Chord of each bar as three MIDI notes, and its bass root.
struct Chord {
    int notes[3];
    int root;
};
const Chord chordC{{60, 64, 67}, 36}, chordG{{59, 62, 67}, 43}, chordAm{{57, 60, 64}, 45},
    chordF{{57, 60, 65}, 41};
const Chord* const progression[bars] = {&chordC,  &chordG, &chordAm, &chordF, &chordC, &chordG,
                                        &chordF,  &chordG, &chordAm, &chordF, &chordC, &chordG,
                                        &chordAm, &chordF, &chordG,  &chordG};

const Note melody[] = {
    {0, 0, 2, 76},  {0, 2, 2, 79},  {0, 4, 3, 84},  {0, 7, 1, 79},  {1, 0, 2, 79},  {1, 2, 1, 74},
    {1, 3, 1, 79},  {1, 4, 3, 83},  {1, 7, 1, 81},  {2, 0, 2, 84},  {2, 2, 2, 81},  {2, 4, 2, 76},
    {2, 6, 2, 81},  {3, 0, 1, 81},  {3, 1, 1, 79},  {3, 2, 2, 77},  {3, 4, 2, 72},  {3, 6, 1, 77},
    {3, 7, 1, 79},  {4, 0, 2, 76},  {4, 2, 2, 79},  {4, 4, 2, 84},  {4, 6, 1, 86},  {4, 7, 1, 84},
    {5, 0, 2, 83},  {5, 2, 2, 79},  {5, 4, 2, 74},  {5, 6, 2, 79},  {6, 0, 2, 81},  {6, 2, 2, 84},
    {6, 4, 1, 81},  {6, 5, 1, 79},  {6, 6, 2, 77},  {7, 0, 3, 79},  {7, 3, 1, 81},  {7, 4, 2, 83},
    {7, 6, 2, 86},  {8, 0, 3, 81},  {8, 3, 1, 79},  {8, 4, 2, 76},  {8, 6, 2, 72},  {9, 0, 2, 77},
    {9, 2, 2, 81},  {9, 4, 3, 84},  {9, 7, 1, 81},  {10, 0, 2, 79}, {10, 2, 1, 76}, {10, 3, 1, 79},
    {10, 4, 2, 84}, {10, 6, 2, 79}, {11, 0, 2, 83}, {11, 2, 2, 81}, {11, 4, 2, 79}, {11, 6, 2, 74},
    {12, 0, 2, 84}, {12, 2, 1, 83}, {12, 3, 1, 81}, {12, 4, 2, 76}, {12, 6, 2, 81}, {13, 0, 1, 77},
    {13, 1, 1, 79}, {13, 2, 2, 81}, {13, 4, 2, 84}, {13, 6, 2, 81}, {14, 0, 3, 86}, {14, 3, 1, 84},
    {14, 4, 2, 83}, {14, 6, 2, 79}, {15, 0, 2, 81}, {15, 2, 2, 83}, {15, 4, 2, 86}, {15, 6, 1, 83},
    {15, 7, 1, 79},
};

// A deterministic noise source for the drums.
struct Noise {
    uint32_t state = 12345;
    double next() {
        state = state * 1664525u + 1013904223u;
        return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
    }
};

void addLead(Mix& lead) {
    for (const Note& n : melody) {
        double at = n.bar * barLength + n.start * eighth;
        double held = n.length * eighth - 0.02;
        double f = frequency(n.midi);
        lead.add(at, held + 0.12, [=](double t) {
            double attack = std::min(1.0, t / 0.012);
            double body = 0.75 + 0.25 * std::exp(-t * 8);
            double release = t < held ? 1.0 : std::exp(-(t - held) * 40);
            double vibrato = t > 0.15 ? 0.004 * std::sin(2 * pi * 5.5 * t) : 0.0;
            return 0.16 * attack * body * release *
                   harmonics(f * (1 + vibrato), t, 9, squareWeight);
        });
    }
}

void addBackingAndDrums(Mix& mix) {
    Noise noise;
    for (int bar = 0; bar < bars; ++bar) {
        const Chord& chord = *progression[bar];
        double barStart = bar * barLength;
        for (int e = 0; e < 8; ++e) {
            double at = barStart + e * eighth;
            // Bass: root in eighths, the octave on every other off-beat.
            double fb = frequency(chord.root + (e % 4 == 3 ? 12 : 0));
            mix.add(at, eighth * 0.95, [=](double t) {
                double env = std::min(1.0, t / 0.005) * std::exp(-t * 6) *
                             std::min(1.0, (eighth * 0.95 - t) / 0.01);
                return 0.2 * env * harmonics(fb, t, 6, sawWeight);
            });
            // Chord plucks on the off-beats.
            if (e % 2 == 1) {
                for (int note : chord.notes) {
                    double fc = frequency(note + 12);
                    mix.add(at, 0.3, [=](double t) {
                        double v = 0;
                        for (int k = 1; k <= 5; ++k) {
                            v += std::exp(-t * (6.0 + 4.0 * k)) / k * std::sin(2 * pi * fc * k * t);
                        }
                        return 0.05 * std::min(1.0, t / 0.003) * v;
                    });
                }
            }
            // Hi-hat on every eighth, accented off the beat.
            double level = e % 2 == 1 ? 0.07 : 0.035;
            std::vector<double> burst(static_cast<size_t>(0.06 * rate));
            for (double& s : burst) s = noise.next();
            mix.add(at, 0.06, [=](double t) {
                auto i = static_cast<size_t>(t * rate);
                double high = burst[i] - (i > 0 ? burst[i - 1] : 0.0);
                return level * 0.5 * high * std::min(1.0, t / 0.0015) * std::exp(-t * 60);
            });
        }
        for (int b = 0; b < 4; ++b) {
            double at = barStart + b * beat;
            // Kick on every beat: a falling sine.
            mix.add(at, 0.25, [](double t) {
                double phase = 2 * pi * (45 * t + (110.0 - 45.0) / 30.0 * (1 - std::exp(-30 * t)));
                return 0.42 * std::exp(-t * 14) * std::sin(phase);
            });
            if (b % 2 == 1 || (bar == bars - 1 && b == 3)) {
                int hits = bar == bars - 1 && b == 3 ? 4 : 1;  // a short fill before the loop
                for (int h = 0; h < hits; ++h) {
                    std::vector<double> burst(static_cast<size_t>(0.15 * rate));
                    for (double& s : burst) s = noise.next();
                    double strength = hits == 1 ? 1.0 : 0.6 + 0.1 * h;
                    mix.add(at + h * beat / 4, 0.15, [=](double t) {
                        auto i = static_cast<size_t>(t * rate);
                        double tone = std::sin(2 * pi * 190 * t) * std::exp(-t * 30);
                        return strength * 0.2 * std::min(1.0, t / 0.0015) *
                               (burst[i] * std::exp(-t * 22) + 0.6 * tone);
                    });
                }
            }
        }
    }
}

}  // namespace

std::vector<int16_t> composeMusic() {
    auto length = static_cast<size_t>(bars * barLength * rate);
    Mix lead(length), mix(length);
    addLead(lead);
    addBackingAndDrums(mix);

    // Dotted-eighth echo on the lead, run twice round the loop so that the echoes of the
    // end carry into the start as they would in a loop that has been playing.
    auto delay = static_cast<size_t>(0.75 * beat * rate);
    std::vector<double> echo(length, 0.0);
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t i = 0; i < length; ++i) {
            echo[i] = lead.samples[(i + length - delay) % length] +
                      0.35 * echo[(i + length - delay) % length];
        }
    }
    std::vector<int16_t> out(length);
    for (size_t i = 0; i < length; ++i) {
        double v = mix.samples[i] + lead.samples[i] + 0.28 * echo[i];
        out[i] = static_cast<int16_t>(std::lround(std::tanh(v) * 0.89 * 32767));
    }
    return out;
}
