// The instruments of the music: drum voices synthesised from oscillators
// and noise, and the pitched voices (bass, pad, stab, lead, pluck).
//
//   synth::kick(drums, synth::frameAt(ms), 0.9f);
//   synth::playBass(bass, {startMs, lengthMs, 41.0, 1.0f, 0.0f}, 0.4);
//
// Each call renders one hit or note and adds it into a buffer at the given
// frame; the first sample of a hit is its attack, so a hit placed on an
// event's frame is heard exactly there.
#pragma once

#include <functional>

#include "synth/dsp.h"

namespace synth {

// Drums. gain is the peak level before the mixer, pan -1..1.
void kick(Buffer& out, long long frame, float gain);
void snare(Buffer& out, long long frame, float gain, float pan = 0.0f);
void clap(Buffer& out, long long frame, float gain);
void hat(Buffer& out, long long frame, float gain, float pan, double decaySec);
void crash(Buffer& out, long long frame, float gain, float pan);
void tom(Buffer& out, long long frame, float gain, float pan, double hz);
// A cinematic hit: a falling sub boom with a burst of noise on top.
void impact(Buffer& out, long long frame, float gain);

// Noise sweeps. A riser climbs in pitch and level and drops away just
// before endFrame, so what it leads into is heard clean; a fall does the
// opposite.
void riser(Buffer& out, long long startFrame, long long endFrame, float gain);
void fall(Buffer& out, long long startFrame, long long endFrame, float gain);

struct Note {
    double startMs;
    double lengthMs;  // gate time; the release rings on after it
    double midi;
    float velocity;
    float pan;
};

// Brightness 0..1 opens the growl above the sine sub.
void playBass(Buffer& out, const Note& note, double brightness);
// cutoffAt(ms) is the pad's filter cutoff in Hz at each music time, so one
// slow sweep can run across many chords.
void playPad(Buffer& out, const Note& note, const std::function<double(double)>& cutoffAt);
void playStab(Buffer& out, const Note& note);
void playLead(Buffer& out, const Note& note);
void playPluck(Buffer& out, const Note& note, double brightness);

}  // namespace synth
