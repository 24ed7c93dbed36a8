#include "Music.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <numbers>
#include <string>
#include <vector>

#include <lame/lame.h>

// A lullaby in F major, 3/4 at 70 beats per minute: two bars of introduction,
// phrases A and B, the same again with ornaments and a busier accompaniment,
// and a two-bar coda. Everything is computed from fixed tables, so the file
// comes out byte for byte the same on every run.
namespace scenegen {

namespace {

constexpr int kRate = 22050;  // the viewer mixes at this rate, so more would be wasted
constexpr double kBeat = 60.0 / 70.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

struct Note {
    int pitch;  // MIDI number; 0 is a rest
    double beats;
};

struct Chord {
    int root;  // pitch class, C = 0
    bool minor;
    double beats;
};

enum PitchClass { C = 0, D = 2, F = 5, G = 7, Bb = 10 };

// Melody, one bar per line.
const std::vector<Note> kIntro = {{0, 6}};

const std::vector<Note> kPhraseA = {
    {69, 2}, {72, 1},
    {74, 2}, {72, 1},
    {70, 1.5}, {69, 0.5}, {67, 1},
    {67, 2}, {64, 1},
    {69, 2}, {72, 1},
    {77, 2}, {74, 1},
    {70, 1}, {69, 1}, {67, 1},
    {65, 3},
};

// Phrase A again, with passing notes filled in.
const std::vector<Note> kPhraseA2 = {
    {69, 1.5}, {70, 0.5}, {72, 1},
    {74, 1.5}, {76, 0.5}, {77, 1},
    {74, 1.5}, {72, 0.5}, {70, 1},
    {72, 2}, {67, 1},
    {69, 1.5}, {70, 0.5}, {72, 1},
    {77, 1.5}, {76, 0.5}, {74, 1},
    {74, 1}, {70, 1}, {67, 1},
    {65, 3},
};

// Phrase B climbs higher and ends open, on the dominant.
const std::vector<Note> kPhraseB = {
    {74, 2}, {77, 1},
    {72, 2}, {69, 1},
    {74, 1.5}, {76, 0.5}, {77, 1},
    {79, 2}, {76, 1},
    {77, 2}, {74, 1},
    {72, 2}, {69, 1},
    {70, 1}, {74, 1}, {76, 1},
    {72, 3},
};

// Phrase B the second time closes on the tonic.
const std::vector<Note> kPhraseB2 = {
    {74, 2}, {77, 1},
    {72, 2}, {69, 1},
    {74, 1.5}, {76, 0.5}, {77, 1},
    {79, 1.5}, {77, 0.5}, {76, 1},
    {77, 2}, {74, 1},
    {72, 2}, {69, 1},
    {70, 1}, {69, 1}, {67, 1},
    {65, 3},
};

const std::vector<Note> kCoda = {{0, 1}, {72, 1}, {77, 1}, {81, 3}};

const std::vector<Chord> kIntroChords = {{F, false, 3}, {F, false, 3}};
const std::vector<Chord> kChordsA = {
    {F, false, 3}, {D, true, 3}, {Bb, false, 3}, {C, false, 3},
    {F, false, 3}, {D, true, 3}, {Bb, false, 2}, {C, false, 1}, {F, false, 3},
};
const std::vector<Chord> kChordsB = {
    {Bb, false, 3}, {F, false, 3}, {D, true, 3}, {C, false, 3},
    {Bb, false, 3}, {F, false, 3}, {G, true, 2}, {C, false, 1}, {C, false, 3},
};
const std::vector<Chord> kChordsB2 = {
    {Bb, false, 3}, {F, false, 3}, {D, true, 3}, {C, false, 3},
    {Bb, false, 3}, {F, false, 3}, {Bb, false, 2}, {C, false, 1}, {F, false, 3},
};
const std::vector<Chord> kCodaChords = {{F, false, 3}, {F, false, 3}};

// The accompaniment switches from quarter to eighth notes for the second
// pass (after intro, A and B), which is the variation's main contrast.
constexpr double kLivelyFrom = 18 * 3;
constexpr double kLivelyUntil = 34 * 3;

struct Stereo {
    std::vector<float> left, right;
};

double midiToHz(int pitch)
{
    return 440.0 * std::pow(2.0, (pitch - 69) / 12.0);
}

// Smooth 0-to-1 ramp; used for every onset and release so nothing clicks.
double ramp(double x)
{
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3.0 - 2.0 * x);
}

// Adds one mono tone to the mix with equal-power panning (0 left, 1 right).
// `shape` gives the instantaneous sample for a time since onset.
template <typename Shape>
void addTone(Stereo& out, double start, double length, double pan, Shape shape)
{
    const double gainL = std::cos(pan * std::numbers::pi / 2);
    const double gainR = std::sin(pan * std::numbers::pi / 2);
    const auto first = std::size_t(std::lround(start * kRate));
    const auto count = std::size_t(length * kRate);
    for (std::size_t i = 0; i < count && first + i < out.left.size(); ++i) {
        const double v = shape(double(i) / kRate);
        out.left[first + i] += float(v * gainL);
        out.right[first + i] += float(v * gainR);
    }
}

// Music box / celesta: a sine with a tuned octave and inharmonic bar modes
// above it, the higher ones dying away much faster. Each note keeps ringing
// past its written length, as a struck tine would.
void bell(Stereo& out, double start, double beats, int pitch, double amp)
{
    struct Partial { double ratio, gain, decay; };
    static constexpr Partial partials[] = {
        {1.0, 1.0, 1.4}, {2.0, 0.22, 0.6}, {2.76, 0.15, 0.3}, {5.40, 0.06, 0.12}, {8.93, 0.03, 0.06}};
    const double f = midiToHz(pitch);
    const double length = beats * kBeat + 1.5;
    addTone(out, start, length, 0.62, [&](double t) {
        double v = 0;
        for (const Partial& p : partials)
            if (f * p.ratio < 0.45 * kRate)
                v += p.gain * std::exp(-t / p.decay) * std::sin(kTwoPi * f * p.ratio * t);
        return amp * v * ramp(t / 0.006) * ramp((length - t) / 0.1);
    });
}

// Warm pad: three slightly detuned sines spread across the field, swelling in
// slowly and overlapping the next chord on the way out.
void pad(Stereo& out, double start, double beats, int pitch, double amp)
{
    const double f = midiToHz(pitch);
    const double hold = beats * kBeat;
    const double length = hold + 1.2;
    const double detuneCents[] = {-7.0, 0.0, 7.0};
    for (int k = 0; k < 3; ++k) {
        const double fk = f * std::pow(2.0, detuneCents[k] / 1200.0);
        addTone(out, start, length, 0.2 + 0.3 * k, [&](double t) {
            const double env = ramp(t / 0.8) * (t < hold ? 1.0 : 1.0 - ramp((t - hold) / 1.2));
            return amp * env * (std::sin(kTwoPi * fk * t) + 0.12 * std::sin(kTwoPi * 2 * fk * t));
        });
    }
}

// Soft plucked string for the broken chords, a little left of centre.
void pluck(Stereo& out, double start, int pitch, double amp)
{
    const double f = midiToHz(pitch);
    const double length = 2.0;
    addTone(out, start, length, 0.38, [&](double t) {
        const double v = std::exp(-t / 1.0) * std::sin(kTwoPi * f * t)
                       + 0.3 * std::exp(-t / 0.4) * std::sin(kTwoPi * 2 * f * t)
                       + 0.1 * std::exp(-t / 0.2) * std::sin(kTwoPi * 3 * f * t);
        return amp * v * ramp(t / 0.005) * ramp((length - t) / 0.1);
    });
}

// Places pitch class `pc` in the octave window starting at `low`.
int fold(int pc, int low)
{
    return low + ((pc - low) % 12 + 12) % 12;
}

void playChord(Stereo& out, double beat, const Chord& chord)
{
    const int third = chord.minor ? 3 : 4;
    // Folding every chord into the same window keeps the pad's voices close
    // together from chord to chord.
    for (int pc : {chord.root, chord.root + third, chord.root + 7})
        pad(out, beat * kBeat, chord.beats, fold(pc, 55), 0.045);

    const int bass = fold(chord.root, 41);
    const bool lively = beat >= kLivelyFrom && beat < kLivelyUntil;
    const std::vector<int> pattern = lively ? std::vector<int>{0, 7, 12 + third, 19, 12 + third, 7}
                                            : std::vector<int>{0, 7, 12 + third};
    const double step = lively ? 0.5 : 1.0;
    for (int i = 0; i * step < chord.beats; ++i)
        pluck(out, (beat + i * step) * kBeat, bass + pattern[i % pattern.size()], i == 0 ? 0.3 : 0.18);
}

Stereo synthesise()
{
    const std::vector<Note>* melody[] = {&kIntro, &kPhraseA, &kPhraseB, &kPhraseA2, &kPhraseB2, &kCoda};
    const std::vector<Chord>* chords[] = {&kIntroChords, &kChordsA, &kChordsB, &kChordsA, &kChordsB2, &kCodaChords};

    const double totalBeats = 36 * 3;
    const double seconds = totalBeats * kBeat + 3.0;  // room for the last notes to ring out
    Stereo out;
    out.left.assign(std::size_t(seconds * kRate), 0.0f);
    out.right.assign(out.left.size(), 0.0f);

    double beat = 0;
    for (const auto* phrase : melody)
        for (const Note& n : *phrase) {
            if (n.pitch > 0)
                bell(out, beat * kBeat, n.beats, n.pitch, 0.5);
            beat += n.beats;
        }
    beat = 0;
    for (const auto* phrase : chords)
        for (const Chord& c : *phrase) {
            playChord(out, beat, c);
            beat += c.beats;
        }

    // A ping-pong echo a dotted eighth long gives the dry voices some space;
    // it runs in place, so each echo feeds the next.
    const auto delay = std::size_t(0.75 * kBeat * kRate);
    for (std::size_t i = delay; i < out.left.size(); ++i) {
        out.left[i] += 0.25f * out.right[i - delay];
        out.right[i] += 0.25f * out.left[i - delay];
    }

    const std::size_t fadeIn = 3 * kRate, fadeOut = 5 * kRate, n = out.left.size();
    for (std::size_t i = 0; i < n; ++i) {
        const double g = ramp(double(i) / fadeIn) * ramp(double(n - 1 - i) / fadeOut);
        out.left[i] *= float(g);
        out.right[i] *= float(g);
    }
    return out;
}

// Interleaved 16-bit samples with the peak at -3 dBFS.
std::vector<short> toPcm(const Stereo& s)
{
    float peak = 1e-9f;
    for (std::size_t i = 0; i < s.left.size(); ++i)
        peak = std::max({peak, std::abs(s.left[i]), std::abs(s.right[i])});
    const double scale = std::pow(10.0, -3.0 / 20.0) * 32767.0 / peak;
    std::vector<short> pcm(s.left.size() * 2);
    for (std::size_t i = 0; i < s.left.size(); ++i) {
        pcm[2 * i] = short(std::lrint(s.left[i] * scale));
        pcm[2 * i + 1] = short(std::lrint(s.right[i] * scale));
    }
    return pcm;
}

bool fail(const std::string& reason, const std::filesystem::path& path)
{
    std::cerr << "Cannot write music " << path.string() << ": " << reason << std::endl;
    return false;
}

}  // namespace

bool writeLullaby(const std::filesystem::path& mp3Path)
{
    std::vector<short> pcm = toPcm(synthesise());
    const int frames = int(pcm.size() / 2);

    lame_global_flags* lame = lame_init();
    if (!lame)
        return fail("cannot start the MP3 encoder", mp3Path);
    lame_set_in_samplerate(lame, kRate);
    lame_set_out_samplerate(lame, kRate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_VBR(lame, vbr_off);
    lame_set_brate(lame, 96);
    lame_set_quality(lame, 2);
    // The SIMD paths are picked by probing the CPU; the plain code gives the
    // same bytes on every machine.
    lame_set_asm_optimizations(lame, MMX, 0);
    lame_set_asm_optimizations(lame, AMD_3DNOW, 0);
    lame_set_asm_optimizations(lame, SSE, 0);
    // Keep the informational tag: it tells decoders the exact length, so the
    // encoder's leading delay and trailing padding get trimmed.
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_msgf(lame, nullptr);
    lame_set_debugf(lame, nullptr);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return fail("the MP3 encoder rejected its settings", mp3Path);
    }

    std::vector<unsigned char> mp3;
    const int chunk = 8192;
    std::vector<unsigned char> buffer(chunk * 5 / 4 + 7200);
    int written = 0;
    for (int first = 0; first < frames && written >= 0; first += chunk) {
        const int count = std::min(chunk, frames - first);
        written = lame_encode_buffer_interleaved(lame, &pcm[std::size_t(first) * 2], count, buffer.data(),
                                                 int(buffer.size()));
        if (written > 0)
            mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
    }
    if (written >= 0) {
        written = lame_encode_flush(lame, buffer.data(), int(buffer.size()));
        if (written > 0)
            mp3.insert(mp3.end(), buffer.begin(), buffer.begin() + written);
    }
    if (written < 0) {
        lame_close(lame);
        return fail("MP3 encoding failed with code " + std::to_string(written), mp3Path);
    }

    // The encoder left a blank first frame for the tag; fill it in now that
    // the length is known.
    const std::size_t tagSize = lame_get_lametag_frame(lame, buffer.data(), buffer.size());
    lame_close(lame);
    if (tagSize > buffer.size() || tagSize > mp3.size())
        return fail("the MP3 tag frame does not fit", mp3Path);
    std::copy(buffer.begin(), buffer.begin() + std::ptrdiff_t(tagSize), mp3.begin());

    std::ofstream file(mp3Path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(mp3.data()), std::streamsize(mp3.size()));
    if (!file.good())
        return fail("the file could not be opened or written", mp3Path);
    return true;
}

}  // namespace scenegen
