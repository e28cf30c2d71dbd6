// The fixed-function switches every draw depends on, set in one place:
// depth test and depth writes, face culling, blending and its mode, 2D
// texturing, lighting and light 0, fog and smooth lines. A routine names
// the switches it needs in a GlState and hands it to setGlState; the ones
// it leaves at Keep stay as they are, and its comment says what it leaves.
// setGlState keeps a copy of what it last set and skips what is already
// so, which makes the repeated toggles of the scenes and passes free.
//
//   setGlState({.depthTest = kOn, .cullFace = kOff, .blend = kBlendMix, .texture2D = kOn});
//   setGlState(kFlatState);   // what every 2D projection and pass turns off
//
// Nothing else may change these switches. Code that cannot help it (a
// glPopAttrib that puts back what the funnel did not set, a test poking GL
// directly) calls forgetGlState() afterwards, so the next setGlState sets
// every switch it names.
#pragma once

#include <cstdint>
#include <string>

enum class Switch : uint8_t { Keep, Off, On };
// Mix: (source alpha, one minus source alpha). Add: (source alpha, one).
enum class Blend : uint8_t { Keep, Off, Mix, Add };

inline constexpr Switch kOn = Switch::On;
inline constexpr Switch kOff = Switch::Off;
inline constexpr Blend kBlendOff = Blend::Off;
inline constexpr Blend kBlendMix = Blend::Mix;
inline constexpr Blend kBlendAdd = Blend::Add;

// Fields in the order call sites name them (designated initialisers must
// follow it).
struct GlState {
    Switch depthTest = Switch::Keep;
    Switch depthWrite = Switch::Keep;
    Switch cullFace = Switch::Keep;
    Blend blend = Blend::Keep;
    Switch texture2D = Switch::Keep;  // of the active texture unit, always unit 0 here
    Switch lighting = Switch::Keep;
    Switch light0 = Switch::Keep;
    Switch fog = Switch::Keep;
    Switch lineSmooth = Switch::Keep;
};

// Depth test, culling, lighting and fog off: the 2D projection and every
// full-screen pass start here.
inline constexpr GlState kFlatState = {.depthTest = kOff, .cullFace = kOff, .lighting = kOff, .fog = kOff};
// A texture laid as it is: the flat state, blending off, texturing on.
inline constexpr GlState kCopyState = {
    .depthTest = kOff, .cullFace = kOff, .blend = kBlendOff, .texture2D = kOn, .lighting = kOff, .fog = kOff};

// Sets the named switches, skipping those already as asked.
void setGlState(const GlState& state);
// The copy of what was set is dropped: the next call sets every switch it
// names, whatever GL holds.
void forgetGlState();

// The switches whose copy disagrees with GL itself, by GL name, separated
// by spaces; empty when the copy is true. Asks GL for each switch: a check
// for tests and debugging, not for frames.
std::string glStateMismatches();
