// The music of the demo, composed as code: 136 BPM on the beat grid, one
// section per stretch of the timeline, accents on every sync event.
//
//   std::vector<float> music = renderScore();   // interleaved stereo, kMusicSampleRate
//   for (const Section& s : arrangement()) ...   // what plays where
//
// Rendering is deterministic: the same samples on every run.
#pragma once

#include <vector>

constexpr int kMusicSampleRate = 44100;
constexpr int kMusicKbps = 192;  // demo.mp3 bit rate
constexpr double kMusicLengthMs = 245000.0;

enum class KickPattern { None, FourOnTheFloor, HalfTime };
enum class BackbeatPattern { None, Claps, HalfTime, Toms };
enum class HatPattern { None, Offbeats, Eighths, Sixteenths };
enum class BassPattern { None, Pulse8, Offbeat8, Rolling16, HalfTime, Sustain };
enum class Progression { Main, Dark, Drive, Light, Heavy };

struct Section {
    const char* name;
    double startMs, endMs;
    KickPattern kick;
    BackbeatPattern backbeat;
    HatPattern hats;
    BassPattern bass;
    Progression chords;
    float energy;            // 0..1: drum levels, open hats, bass growl
    double padCutoffFromHz;  // the pad's filter opens (or closes) across the section
    double padCutoffToHz;
    float arp;               // level of the arpeggio, 0 = silent
    float lead;              // level of the lead motif, 0 = silent
    // Lighter and heavier stretches: the level of each part of the mix.
    float drumsDb;          // snare, claps, hats, toms, cymbals, impacts and sweeps
    float tonesDb;          // pad, stabs, lead and arpeggio
    float kickDb, bassDb;   // the low band the scenes read
    // Where the mix is too dense for an accent to stand out of it, the rest
    // of the mix steps back by this much in the quarter second before each
    // event of the section (0: not at all), so the hit lands in the room.
    float roomDb;
};

// The sections in time order, covering 0 .. kMusicLengthMs without gaps.
const std::vector<Section>& arrangement();

std::vector<float> renderScore();
