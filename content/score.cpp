// The piece: warm synth pop in F minor, lifting to G minor at the drop.
//
// The arrangement table below says what plays in each stretch of the
// timeline; the functions after it turn each row into notes and hits on the
// beat grid, and the event tables into accents on their exact milliseconds.
// Parts render into their own buses, which the mixer sends to the delay
// and the reverb, ducks under the kick, and brings to the target loudness.
#include "score.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "runtime/timeline/timeline.h"
#include "synth/effects.h"
#include "synth/voices.h"

using namespace synth;

static_assert(kMusicSampleRate == kRate, "the score renders at the synthesiser's rate");

namespace {

using K = KickPattern;
using B = BackbeatPattern;
using H = HatPattern;
using Bs = BassPattern;
using P = Progression;

// The drop: the key rises a whole tone here and stays.
constexpr double kLiftMs = 58300.0;
// The last chord lands on the white flash before the credits.
constexpr double kFinalChordMs = 236400.0;
// The flowers open on four bars of arpeggio and pad over a soft pulse
// (bars 68 to 71); the piece is at its loudest from bar 126 to the final
// chord. Both start a phrase, so chords and motif run on unchanged.
constexpr double kFlowersMs = 72 * 4 * 60000.0 / 136;
constexpr double kClimaxMs = 126 * 4 * 60000.0 / 136;

// clang-format off
const std::vector<Section> kArrangement = {
    // name        start      end             kick          backbeat    hats           bass           chords   energy pad cutoff   arp   lead   level dB: drums tones kick  bass  room
    {"opening",    0,         6500,           K::None,      B::None,    H::None,       Bs::Sustain,   P::Main,  0.0f, 250, 1800,    0.0f, 0.0f,  0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {"field",      6500,      13700,          K::FourOnTheFloor, B::None, H::Offbeats, Bs::Pulse8,    P::Main,  0.5f, 900, 1500,    0.0f, 0.0f,  -7.0f, -7.0f, -4.0f, -2.0f, 0.0f},
    {"flight",     13700,     29000,          K::FourOnTheFloor, B::Claps, H::Offbeats, Bs::Pulse8,   P::Main,  0.7f, 1200, 2600,   0.0f, 1.0f,  -0.5f, -1.0f, 1.0f, 2.0f, 0.0f},
    {"symbols",    29000,     51000,          K::FourOnTheFloor, B::Claps, H::Offbeats, Bs::Pulse8,   P::Dark,  0.5f, 600, 900,     0.4f, 0.0f,  -6.0f, -7.0f, -6.0f, 1.5f, 0.0f},
    {"clouds",     51000,     58300,          K::None,      B::None,    H::None,       Bs::None,      P::Main,  0.0f, 400, 7000,    0.6f, 0.0f,  0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
    {"drop",       58300,     85300,          K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Rolling16, P::Main, 0.9f, 1500, 3000, 0.5f, 1.0f, 1.5f, 4.5f, 1.0f, 1.0f, 0.0f},
    {"fill",       85300,     90900,          K::FourOnTheFloor, B::Toms, H::Eighths,  Bs::Pulse8,    P::Main,  0.8f, 1500, 4000,   0.0f, 0.0f,  1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
    {"ribbons",    90900,     120000,         K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Offbeat8, P::Drive, 0.8f, 1200, 2500, 0.9f, 0.0f, -1.0f, -1.0f, -0.5f, 0.0f, 0.0f},
    {"blossom",    120000,    kFlowersMs,     K::FourOnTheFloor, B::None, H::None,     Bs::Sustain,   P::Light, 0.3f, 2000, 2500,   1.0f, 0.0f,  -9.0f, -8.0f, -9.0f, -1.0f, 0.0f},
    {"flowers",    kFlowersMs, 142000,        K::FourOnTheFloor, B::None, H::Offbeats, Bs::Sustain,   P::Light, 0.4f, 2500, 3500,   1.0f, 0.0f,  -6.0f, -6.0f, -6.0f, 0.5f, 0.0f},
    {"build",      142000,    149000,         K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Pulse8, P::Light, 0.7f, 1500, 6000,   1.0f, 0.0f,  -3.0f, -3.0f, 0.0f, 2.0f, 0.0f},
    {"city",       149000,    171000,         K::HalfTime,  B::HalfTime, H::Eighths,   Bs::HalfTime,  P::Heavy, 0.9f, 900, 1500,    0.0f, 0.0f,  0.0f, 0.5f, 0.0f, 0.0f, 0.0f},
    {"swell",      171000,    178200,         K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Rolling16, P::Heavy, 0.9f, 1000, 5000, 0.7f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f},
    {"ring ship",  178200,    207500,         K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Rolling16, P::Main, 1.0f, 2000, 3500, 0.8f, 1.0f, 1.0f, 4.0f, 0.5f, 0.5f, 0.0f},
    {"piece",      207500,    kClimaxMs,      K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Rolling16, P::Main, 1.0f, 2500, 3570, 0.9f, 1.0f, 1.0f, 5.0f, 1.0f, 1.0f, -6.0f},
    {"climax",     kClimaxMs, kFinalChordMs,  K::FourOnTheFloor, B::Claps, H::Sixteenths, Bs::Rolling16, P::Main, 1.0f, 3570, 5000, 0.9f, 1.0f, 1.5f, 6.5f, 1.0f, 1.0f, -6.0f},
    {"outro",      kFinalChordMs, kMusicLengthMs, K::None,  B::None,    H::None,       Bs::None,      P::Main,  0.0f, 3000, 400,    0.0f, 0.0f,  0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
};
// clang-format on

// Stretches where drums and bass hold their breath before a big hit.
struct Span {
    double fromMs, toMs;
};
const Span kSilences[] = {{161200.0, 163000.0}};

// Noise sweeps leading into (or falling onto) events.
const Span kRisers[] = {{26000, 29000},   {54000, 58300},   {88000, 90900},
                        {142300, 149000}, {174500, 178200}, {233000, kFinalChordMs}};
const Span kFalls[] = {{161000, 163000}};
// Snare rolls that land on the event at their end.
const Span kRolls[] = {{54800, 58300}, {145500, 149000}};
// Drops that a swell and a roll run into: the whole mix holds its breath
// for an eighth before them, so the hit comes out of near silence instead
// of out of the swell's loudest moment.
const double kBreaths[] = {58300.0, 149000.0};

// --- Time --------------------------------------------------------------

const double kBeatMs = beatGrid.periodMs;

double beatMs(double beat) { return beatGrid.originMs + beat * kBeatMs; }
double stepMs(long long step) { return beatMs(step / 4.0); }  // sixteenth notes
long long firstStepFrom(double ms) { return static_cast<long long>(std::ceil((ms - beatGrid.originMs) / (kBeatMs / 4) - 1e-6)); }

bool silencedAt(double ms) {
    for (const Span& s : kSilences)
        if (ms >= s.fromMs && ms < s.toMs) return true;
    return false;
}

// Drums keep out of the way of the accents: no hit in the beforeMs before
// an event (the accent lands clean) nor in the 40 ms after it (no flam).
bool clearsAnEvent(double ms, double beforeMs = 100.0) {
    for (const int* table : {syncTrackA, syncTrackB}) {
        const int count = table == syncTrackA ? kTrackACount : kTrackBCount;
        for (int i = 0; i < count - 1; ++i)
            if (ms > table[i] - beforeMs && ms < table[i] + 40.0) return false;
    }
    return true;
}

// --- Harmony -----------------------------------------------------------

struct Chord {
    int root;  // semitones above the tonic
    bool minor;
};

const std::vector<Chord>& chordsOf(Progression p) {
    // i VI III VII, a darker i iv VI v, a driving i VII VI VII, a lighter
    // VI III VII i, and the slow heavy i i VI VII.
    static const std::vector<Chord> main = {{0, true}, {8, false}, {3, false}, {10, false}};
    static const std::vector<Chord> dark = {{0, true}, {5, true}, {8, false}, {7, true}};
    static const std::vector<Chord> drive = {{0, true}, {10, false}, {8, false}, {10, false}};
    static const std::vector<Chord> light = {{8, false}, {3, false}, {10, false}, {0, true}};
    static const std::vector<Chord> heavy = {{0, true}, {0, true}, {8, false}, {10, false}};
    switch (p) {
    case P::Dark: return dark;
    case P::Drive: return drive;
    case P::Light: return light;
    case P::Heavy: return heavy;
    case P::Main: break;
    }
    return main;
}

int tonicAt(double ms) { return ms < kLiftMs ? 5 : 7; }  // F, then G

// The lowest note at or above `low` with the given pitch class.
int placeAbove(int pitchClass, int low) { return low + ((pitchClass - low) % 12 + 12) % 12; }

// Chord of the bar that holds `ms` in a section: the progression restarts
// on the section's first whole bar; a partial bar before it takes the last
// chord.
Chord chordAt(const Section& s, double ms) {
    const long long firstBar = static_cast<long long>(std::ceil(s.startMs / (4 * kBeatMs) - 1e-6));
    const long long bar = static_cast<long long>(std::floor(ms / (4 * kBeatMs) + 1e-6));
    const std::vector<Chord>& chords = chordsOf(s.chords);
    const long long n = static_cast<long long>(chords.size());
    return chords[static_cast<size_t>(((bar - firstBar) % n + n) % n)];
}

std::vector<int> triad(const Chord& c, int tonic, int low) {
    const int root = (tonic + c.root) % 12;
    return {placeAbove(root, low), placeAbove((root + (c.minor ? 3 : 4)) % 12, low),
            placeAbove((root + 7) % 12, low)};
}

// Bass roots sit between F2 and E3 (87-165 Hz), where the scenes listen.
int bassNote(const Chord& c, int tonic) { return placeAbove((tonic + c.root) % 12, 41); }

// --- The motif ---------------------------------------------------------

struct MotifNote {
    double beat, beats;
    int semitones;  // above the tonic
};
// Four bars over i VI III VII, answered by a second phrase.
const std::vector<MotifNote> kCall = {{0, 1.5, 7},  {1.5, 0.5, 8}, {2, 1, 7},   {3, 1, 3},   {4, 1.5, 5},
                                      {5.5, 0.5, 3}, {6, 2, 0},    {8, 1.5, 3}, {9.5, 0.5, 5}, {10, 1, 7},
                                      {11, 1, 10},  {12, 2, 10},   {14, 1, 5},  {15, 1, 2}};
const std::vector<MotifNote> kAnswer = {{0, 1.5, 7},  {1.5, 0.5, 8}, {2, 1, 7},    {3, 1, 12},
                                        {4, 2, 8},    {6, 2, 5},     {8, 1.5, 3},  {9.5, 0.5, 5},
                                        {10, 1, 7},   {11, 1, 3},    {12, 3, 2},   {15, 1, -2}};

// --- Buses -------------------------------------------------------------

// Parts that share their effect sends share a bus; the mixer needs no more.
struct Buses {
    explicit Buses(long long frames) : kick(frames), drums(frames), bass(frames), pad(frames), melodic(frames) {}
    Buffer kick;     // dry, and the bus the mix is summed into
    Buffer drums;    // snare, claps, hats, toms, cymbals, impacts and sweeps
    Buffer bass;
    Buffer pad;
    Buffer melodic;  // stabs, lead and arpeggio: through the delay
    std::vector<long long> kickFrames;  // for the ducking of pad and bass
};

// --- Writing the parts -------------------------------------------------

void writeDrums(const Section& s, Buses& b) {
    const float e = s.energy;
    for (long long step = firstStepFrom(s.startMs); stepMs(step) < s.endMs; ++step) {
        const double ms = stepMs(step);
        if (silencedAt(ms)) continue;
        const long long f = frameAt(ms);
        const int inBar = static_cast<int>(step % 16);
        const bool kickHere = (s.kick == K::FourOnTheFloor && inBar % 4 == 0) ||
                              (s.kick == K::HalfTime && (inBar == 0 || inBar == 6 || inBar == 10));
        if (kickHere && clearsAnEvent(ms, 60.0)) {
            kick(b.kick, f, 1.2f + 0.3f * e);
            b.kickFrames.push_back(f);
        }
        if (!clearsAnEvent(ms)) continue;
        switch (s.backbeat) {
        case B::Claps:
            if (inBar == 4 || inBar == 12) {
                clap(b.drums, f, 0.5f + 0.2f * e);
                snare(b.drums, f, 0.25f + 0.2f * e);
            }
            break;
        case B::HalfTime:
            if (inBar == 8) {
                clap(b.drums, f, 0.6f);
                snare(b.drums, f, 0.8f);
            }
            break;
        case B::Toms:
            if (inBar % 4 == 0) tom(b.drums, f, 0.7f, -0.5f + inBar / 16.0f, 190.0 - inBar * 6.0);
            if (inBar == 14) tom(b.drums, f, 0.6f, 0.5f, 90.0);
            break;
        case B::None:
            break;
        }
        const float pan = 0.25f;
        switch (s.hats) {
        case H::Offbeats:
            if (inBar % 4 == 2) hat(b.drums, f, 0.35f, pan, 0.05);
            break;
        case H::Eighths:
            if (inBar % 2 == 0) hat(b.drums, f, inBar % 4 == 2 ? 0.35f : 0.2f, pan, 0.04);
            break;
        case H::Sixteenths:
            if (inBar % 4 == 2 && e >= 0.9f)
                hat(b.drums, f, 0.3f, -pan, 0.16);  // open
            else
                hat(b.drums, f, inBar % 2 ? 0.15f : 0.25f, pan, 0.03);
            break;
        case H::None:
            break;
        }
    }
}

void writeBass(const Section& s, Buses& b) {
    const double brightness = 0.25 + 0.75 * s.energy;
    for (long long step = firstStepFrom(s.startMs); stepMs(step) < s.endMs; ++step) {
        const double ms = stepMs(step);
        if (silencedAt(ms)) continue;
        const int inBar = static_cast<int>(step % 16);
        double beats = 0.0;
        float velocity = 1.0f;
        switch (s.bass) {
        case Bs::Pulse8:
            if (inBar % 2 == 0) beats = 0.45, velocity = inBar % 4 ? 1.0f : 0.8f;
            break;
        case Bs::Offbeat8:
            if (inBar % 4 == 2) beats = 0.45;
            else if (inBar % 4 == 3) beats = 0.22, velocity = 0.7f;
            else if (inBar % 4 == 0) beats = 0.45, velocity = 0.6f;
            break;
        case Bs::Rolling16:
            beats = 0.22, velocity = inBar % 4 == 2 ? 1.0f : (inBar % 4 ? 0.8f : 0.6f);
            break;
        case Bs::HalfTime:
            if (inBar == 0) beats = 2.45;
            else if (inBar == 10) beats = 1.45, velocity = 0.9f;
            break;
        case Bs::Sustain:
            if (inBar == 0) beats = 3.8;
            break;
        case Bs::None:
            break;
        }
        if (beats <= 0.0) continue;
        const double lengthMs = std::min(beats * kBeatMs, s.endMs - ms);
        playBass(b.bass, {ms, lengthMs, static_cast<double>(bassNote(chordAt(s, ms), tonicAt(ms))), velocity, 0.0f},
                 brightness);
    }
}

double padCutoff(const Section& s, double ms) {
    const double x = std::clamp((ms - s.startMs) / (s.endMs - s.startMs), 0.0, 1.0);
    const double sweep = s.padCutoffFromHz * std::pow(s.padCutoffToHz / s.padCutoffFromHz, x);
    // A slow breath over eight bars on top of the section's sweep.
    return sweep * (1.0 + 0.25 * std::sin(2.0 * kPi * ms / (32.0 * kBeatMs)));
}

void writePad(const Section& s, Buses& b) {
    const double barMs = 4 * kBeatMs;
    auto cutoff = [&s](double ms) { return padCutoff(s, ms); };
    double ms = s.startMs;
    while (ms < s.endMs - 1.0) {
        const double barEnd = std::floor(ms / barMs + 1e-6) * barMs + barMs;
        // The last chord of the piece rings out instead of changing.
        const double end = ms >= kFinalChordMs ? s.endMs : std::min(barEnd, s.endMs);
        const Chord c = ms >= kFinalChordMs ? Chord{0, true} : chordAt(s, ms);
        const int tonic = tonicAt(ms);
        for (int note : triad(c, tonic, 55)) playPad(b.pad, {ms, end - ms, static_cast<double>(note), 0.8f, 0.0f}, cutoff);
        playPad(b.pad, {ms, end - ms, static_cast<double>(placeAbove((tonic + c.root) % 12, 43)), 0.5f, 0.0f}, cutoff);
        ms = end;
    }
}

void writeArp(const Section& s, Buses& b) {
    if (s.arp <= 0.0f) return;
    static const int kPattern[16] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 4, 3, 2, 1};
    for (long long step = firstStepFrom(s.startMs); stepMs(step) < s.endMs; ++step) {
        const double ms = stepMs(step);
        const std::vector<int> t = triad(chordAt(s, ms), tonicAt(ms), 60);
        const int tones[5] = {t[0], t[1], t[2], t[0] + 12, t[1] + 12};
        const int inBar = static_cast<int>(step % 16);
        const float accent = inBar % 4 == 0 ? 1.0f : (inBar % 2 ? 0.7f : 0.85f);
        // Opens up across the section, most of all in the breakdown.
        const double x = (ms - s.startMs) / (s.endMs - s.startMs);
        const double brightness = 0.25 + 0.5 * s.energy + 0.3 * x;
        playPluck(b.melodic, {ms, 0.5 * kBeatMs, static_cast<double>(tones[kPattern[inBar]]), s.arp * accent,
                          (inBar % 2 ? 0.35f : -0.35f)},
                  brightness);
    }
}

void writeMotif(Buffer& out, double startMs, double endMs, int lowestTonic, float level) {
    const double phraseMs = 16 * kBeatMs;
    const long long firstBar = static_cast<long long>(std::ceil(startMs / (4 * kBeatMs) - 1e-6));
    int phrase = 0;
    for (double at = beatMs(firstBar * 4.0); at < endMs; at += phraseMs, ++phrase) {
        for (const MotifNote& n : phrase % 2 ? kAnswer : kCall) {
            const double ms = at + n.beat * kBeatMs;
            if (ms >= endMs) break;
            const int tonic = placeAbove(tonicAt(ms), lowestTonic);
            playLead(out, {ms, std::min(n.beats * kBeatMs * 0.9, endMs - ms), static_cast<double>(tonic + n.semitones),
                           level, 0.0f});
        }
    }
}

void writeStabChord(Buses& b, double ms, const Chord& c, float level) {
    for (int note : triad(c, tonicAt(ms), 60)) playStab(b.melodic, {ms, 0.6 * kBeatMs, static_cast<double>(note), level, 0.0f});
    playStab(b.melodic, {ms, 0.6 * kBeatMs, static_cast<double>(placeAbove((tonicAt(ms) + c.root) % 12, 48)), level, 0.0f});
}

// Accents on the event tables, on their exact frames.
void writeAccents(Buses& b) {
    // The four opening hits: stabs of i i VI VI over a sub thump.
    const Chord opening[4] = {{0, true}, {0, true}, {8, false}, {8, false}};
    for (int i = 0; i < kTrackACount - 1; ++i) {
        const double ms = syncTrackA[i];
        const long long f = frameAt(ms);
        if (i < 4) {
            writeStabChord(b, ms, opening[i], 0.9f);
            impact(b.drums, f, 0.45f);
            hat(b.drums, f, 0.5f, 0.0f, 0.08);
            continue;
        }
        impact(b.drums, f, 1.0f);
        crash(b.drums, f, 0.8f, 0.0f);
        snare(b.drums, f, 0.8f);
        writeStabChord(b, ms, {0, true}, 0.7f);
    }
    for (int i = 0; i < kTrackBCount - 1; ++i) {
        const double ms = syncTrackB[i];
        if (std::find(syncTrackA, syncTrackA + kTrackACount, syncTrackB[i]) != syncTrackA + kTrackACount) continue;
        const long long f = frameAt(ms);
        crash(b.drums, f, 0.6f, (i % 2) ? 0.3f : -0.3f);
        impact(b.drums, f, 0.4f);
        snare(b.drums, f, 0.6f);
    }
    // The final chord on the flash, and a last echo of the motif after it.
    const long long f = frameAt(kFinalChordMs);
    writeStabChord(b, kFinalChordMs, {0, true}, 1.0f);
    impact(b.drums, f, 1.0f);
    crash(b.drums, f, 0.8f, 0.0f);
    for (const MotifNote& n : {MotifNote{0, 1.5, 7}, MotifNote{1.5, 0.5, 8}, MotifNote{2, 1, 7}, MotifNote{3, 3, 3}}) {
        const double ms = beatMs(538.0 + n.beat);
        playLead(b.melodic, {ms, n.beats * kBeatMs * 0.9, static_cast<double>(placeAbove(tonicAt(ms), 65) + n.semitones),
                          0.55f, 0.0f});
    }
}

void writeSweeps(Buses& b) {
    for (const Span& s : kRisers) riser(b.drums, frameAt(s.fromMs), frameAt(s.toMs), 0.5f);
    for (const Span& s : kFalls) fall(b.drums, frameAt(s.fromMs), frameAt(s.toMs), 0.6f);
    for (const Span& r : kRolls) {
        // Eighths, then sixteenths, then thirty-seconds, growing louder.
        for (long long n = static_cast<long long>(std::ceil(r.fromMs / (kBeatMs / 8))); beatMs(n / 8.0) < r.toMs; ++n) {
            const double ms = beatMs(n / 8.0);
            const double x = (ms - r.fromMs) / (r.toMs - r.fromMs);
            const int every = x < 0.5 ? 4 : (x < 0.8 ? 2 : 1);
            if (n % every != 0 || !clearsAnEvent(ms)) continue;
            snare(b.drums, frameAt(ms), static_cast<float>(0.15 + 0.6 * x * x), (n % 2) ? 0.15f : -0.15f);
        }
    }
}

// --- Mixing ------------------------------------------------------------

// Pad and bass dip under each kick and recover within a beat: the pump of
// this kind of music, and room for the kick.
void duck(Buffer& bus, const std::vector<long long>& kicks, float depth) {
    const double tau = 0.1 * kRate;
    for (size_t k = 0; k < kicks.size(); ++k) {
        const long long end = std::min(k + 1 < kicks.size() ? kicks[k + 1] : bus.frames(), bus.frames());
        for (long long i = std::max(0LL, kicks[k]); i < end; ++i) {
            const double t = static_cast<double>(i - kicks[k]);
            const double attack = std::min(1.0, t / (0.004 * kRate));
            const float gain = static_cast<float>(1.0 - depth * attack * std::exp(-t / tau));
            bus.samples[2 * i] *= gain;
            bus.samples[2 * i + 1] *= gain;
        }
    }
}

// Lighter and heavier stretches: each section's level for one part of the
// mix, reached over a quarter second from its start. Kick and bass have
// levels of their own: in the light stretches most of what is heard is the
// bass, so the kick steps back there and the bass holds the low band the
// scenes read.
void applySectionLevels(Buffer& bus, float Section::*levelDb) {
    const long long ramp = frameAt(250.0);
    double previous = 1.0;
    for (const Section& s : kArrangement) {
        const double level = dbToGain(s.*levelDb);
        const long long from = frameAt(s.startMs);
        const long long to = std::min(frameAt(s.endMs), bus.frames());
        for (long long i = from; i < to; ++i) {
            const double x = std::min(1.0, static_cast<double>(i - from) / ramp);
            const float gain = static_cast<float>(previous + (level - previous) * x);
            bus.samples[2 * i] *= gain;
            bus.samples[2 * i + 1] *= gain;
        }
        previous = level;
    }
}

// The opening pad and drone swell from nothing under the white-to-black
// fade (power 2); the drone, which the sky pulses with, comes up sooner
// (power 1).
void swellOpening(Buffer& bus, double power) {
    const long long end = frameAt(6500.0);
    for (long long i = 0; i < std::min(end, bus.frames()); ++i) {
        const float gain = static_cast<float>(std::pow(static_cast<double>(i) / end, power));
        bus.samples[2 * i] *= gain;
        bus.samples[2 * i + 1] *= gain;
    }
}

// The whole mix steps back to floorDb, reached over rampMs, in the lengthMs
// before an event and stays there up to the event's frame: the hit itself
// starts at full level, out of the room left for it.
void stepBack(Buffer& master, double eventMs, double lengthMs, double rampMs, double floorDb) {
    const long long from = frameAt(eventMs - lengthMs), to = frameAt(eventMs);
    const long long ramp = frameAt(rampMs);
    const double floor = dbToGain(floorDb);
    for (long long i = std::max(0LL, from); i < std::min(to, master.frames()); ++i) {
        const double x = std::min(1.0, static_cast<double>(i - from) / ramp);
        const float gain = static_cast<float>(1.0 + (floor - 1.0) * x);
        master.samples[2 * i] *= gain;
        master.samples[2 * i + 1] *= gain;
    }
}

// In the dense sections (roomDb) the mix steps back for a quarter second
// before every event. The accents start on the event's frame, so what steps
// back is only the bed around them, and the hit is heard against the room
// rather than against sixteenths of hats, bass and lead. An event in both
// tables gets one step, not two.
void makeRoomForAccents(Buffer& master) {
    std::vector<int> events(syncTrackA, syncTrackA + kTrackACount - 1);
    events.insert(events.end(), syncTrackB, syncTrackB + kTrackBCount - 1);
    std::sort(events.begin(), events.end());
    events.erase(std::unique(events.begin(), events.end()), events.end());
    for (int ms : events)
        for (const Section& s : kArrangement)
            if (ms >= s.startMs && ms < s.endMs && s.roomDb < 0.0f) stepBack(master, ms, 250.0, 80.0, s.roomDb);
}

void fadeOut(Buffer& master, double fromMs) {
    const long long from = frameAt(fromMs);
    const long long length = master.frames() - from;
    for (long long i = std::max(0LL, from); i < master.frames(); ++i) {
        const float x = 1.0f - static_cast<float>(i - from) / length;
        master.samples[2 * i] *= x * x;
        master.samples[2 * i + 1] *= x * x;
    }
}

// Buses are large (86 MB each); let them go as soon as they are mixed.
void release(Buffer& bus) { Buffer().samples.swap(bus.samples); }

// Quiet enough for the light stretches to sit well below the peaks, loud
// enough that the bass in them still fills the low band the scenes read.
// The encoder takes another quarter dB off.
constexpr double kTargetLufs = -13.15;
constexpr double kCeilingDb = -2.5;  // leaves room for the encoder's overshoot

// Brings the mix to the target loudness. The limiter takes off some
// loudness as it catches the peaks, so measure again and correct.
Buffer master(const Buffer& mix) {
    double gainDb = kTargetLufs - integratedLoudness(mix);
    Buffer out(0);
    for (int pass = 0; pass < 3; ++pass) {
        out = mix;
        const float gain = static_cast<float>(dbToGain(gainDb));
        for (float& s : out.samples) s *= gain;
        limit(out, static_cast<float>(dbToGain(kCeilingDb)), 80.0, 1.5);
        if (pass < 2) gainDb += kTargetLufs - integratedLoudness(out);
    }
    return out;
}

}  // namespace

const std::vector<Section>& arrangement() { return kArrangement; }

std::vector<float> renderScore() {
    const long long frames = frameAt(kMusicLengthMs);
    Buses b(frames);
    // The pad is the most work of all parts: it renders on a second thread.
    std::thread padThread([&b] {
        for (const Section& s : kArrangement) writePad(s, b);
        swellOpening(b.pad, 2.0);
    });
    for (const Section& s : kArrangement) {
        writeDrums(s, b);
        writeBass(s, b);
        writeArp(s, b);
        // The climax sings the motif an octave higher.
        const int lowestTonic = s.startMs >= sceneStartMs[9] ? 77 : 65;
        if (s.lead > 0.0f) writeMotif(b.melodic, s.startMs, s.endMs, lowestTonic, s.lead);
    }
    writeAccents(b);
    writeSweeps(b);
    swellOpening(b.bass, 1.0);
    duck(b.bass, b.kickFrames, 0.1f);
    padThread.join();
    duck(b.pad, b.kickFrames, 0.5f);
    // Lead and arpeggio make way for the kick too: the loud sections' peaks
    // then stay clear of the limiter.
    duck(b.melodic, b.kickFrames, 0.35f);
    applySectionLevels(b.drums, &Section::drumsDb);
    for (Buffer* bus : {&b.pad, &b.melodic}) applySectionLevels(*bus, &Section::tonesDb);
    applySectionLevels(b.kick, &Section::kickDb);
    applySectionLevels(b.bass, &Section::bassDb);

    Buffer delayed = stereoDelay(b.melodic, {0.75 * kBeatMs, 0.75 * kBeatMs, 0.45f, 3500.0});
    Buffer reverbSend(frames);
    reverbSend.mixIn(b.drums, 0.2f);
    reverbSend.mixIn(b.pad, 0.5f);
    reverbSend.mixIn(b.melodic, 0.3f);
    reverbSend.mixIn(delayed, 0.1f);

    Buffer& mix = b.kick;
    mix.mixIn(b.bass, 1.6f);
    mix.mixIn(b.drums, 1.1f);
    mix.mixIn(b.pad, 0.85f);
    mix.mixIn(b.melodic, 0.9f);
    mix.mixIn(delayed, 0.3f);
    for (Buffer* bus : {&b.bass, &b.drums, &b.pad, &b.melodic, &delayed}) release(*bus);
    mix.mixIn(reverb(reverbSend, {0.8f, 0.5f}), 0.8f);
    release(reverbSend);
    makeRoomForAccents(mix);
    // Near silence from an eighth before the drops.
    for (double at : kBreaths) stepBack(mix, at, kBeatMs / 2, 15.0, -30.0);
    fadeOut(mix, kMusicLengthMs - 4000.0);

    return master(mix).samples;
}
