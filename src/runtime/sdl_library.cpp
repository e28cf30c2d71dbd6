#include "runtime/sdl_library.h"

#include <dlfcn.h>

#include <mutex>

namespace {

constexpr const char* kLibraryName = "libSDL2-2.0.so.0";

SdlLibrary library;
bool loaded = false;
std::string loadError;
std::once_flag loadOnce;

template <typename Fn>
bool fetch(void* handle, Fn& entry, const char* name) {
    entry = reinterpret_cast<Fn>(dlsym(handle, name));
    if (entry) return true;
    loadError = std::string(kLibraryName) + " has no " + name;
    return false;
}

void load() {
    void* handle = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        loadError = why ? why : std::string("cannot load ") + kLibraryName;
        return;
    }
    SdlLibrary& l = library;
    loaded = fetch(handle, l.InitSubSystem, "SDL_InitSubSystem") && fetch(handle, l.GetError, "SDL_GetError") &&
             fetch(handle, l.GetCurrentAudioDriver, "SDL_GetCurrentAudioDriver") &&
             fetch(handle, l.OpenAudioDevice, "SDL_OpenAudioDevice") &&
             fetch(handle, l.PauseAudioDevice, "SDL_PauseAudioDevice") &&
             fetch(handle, l.LockAudioDevice, "SDL_LockAudioDevice") &&
             fetch(handle, l.UnlockAudioDevice, "SDL_UnlockAudioDevice") &&
             fetch(handle, l.CloseAudioDevice, "SDL_CloseAudioDevice") &&
             fetch(handle, l.ShowSimpleMessageBox, "SDL_ShowSimpleMessageBox");
}

}  // namespace

const SdlLibrary* loadSdl() {
    std::call_once(loadOnce, load);
    return loaded ? &library : nullptr;
}

std::string sdlLoadError() {
    loadSdl();
    return loaded ? std::string() : loadError;
}
