// SDL, loaded the first time it is needed rather than with the program.
//
//   if (const SdlLibrary* sdl = loadSdl())
//       sdl->InitSubSystem(SDL_INIT_AUDIO);
//   else
//       std::fprintf(stderr, "%s\n", sdlLoadError().c_str());
//
// Its library brings some thirty others along (sound servers, codecs,
// Wayland), and loading them is paid by every start, twice with the
// restart on huge pages; yet most runs never play a sound or show a box
// (shots, captures, benchmarks, silent playback). Playback loads it on the
// music worker thread, so the main thread never waits for it. Safe to call
// from any thread; the library stays loaded until the process ends.
#pragma once

#include <SDL.h>

#include <string>

struct SdlLibrary {
    decltype(&SDL_InitSubSystem) InitSubSystem;
    decltype(&SDL_GetError) GetError;
    decltype(&SDL_GetCurrentAudioDriver) GetCurrentAudioDriver;
    decltype(&SDL_OpenAudioDevice) OpenAudioDevice;
    decltype(&SDL_PauseAudioDevice) PauseAudioDevice;
    decltype(&SDL_LockAudioDevice) LockAudioDevice;
    decltype(&SDL_UnlockAudioDevice) UnlockAudioDevice;
    decltype(&SDL_CloseAudioDevice) CloseAudioDevice;
    decltype(&SDL_ShowSimpleMessageBox) ShowSimpleMessageBox;
};

// The library with every entry point filled, or null when it cannot be
// loaded or lacks one of them.
const SdlLibrary* loadSdl();
// Why loadSdl() returned null; empty otherwise.
std::string sdlLoadError();
