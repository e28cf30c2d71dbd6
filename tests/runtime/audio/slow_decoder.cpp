// Preloaded into the program (LD_PRELOAD) by the sound test of a decoder
// that falls behind the music: once kSlowFromSec of music have been
// decoded, libmpg123's reads sleep so that the decode runs at kPace of the
// music's own speed. Only the program it is preloaded into is slowed.
#include <dlfcn.h>

#include <chrono>
#include <cstddef>
#include <thread>

namespace {

constexpr double kSlowFromSec = 238.0;
constexpr double kPace = 0.3;
constexpr double kFramesPerSec = 44100.0;
constexpr double kBytesPerFrame = 2 * sizeof(float);  // stereo float, as the program asks for

double decodedSec = 0.0;

}  // namespace

extern "C" int mpg123_read(void* handle, void* out, size_t size, size_t* done) {
    using Read = int (*)(void*, void*, size_t, size_t*);
    static const auto real = reinterpret_cast<Read>(dlsym(RTLD_NEXT, "mpg123_read"));
    const int result = real(handle, out, size, done);
    const double sec = static_cast<double>(*done) / kBytesPerFrame / kFramesPerSec;
    decodedSec += sec;
    if (decodedSec > kSlowFromSec) std::this_thread::sleep_for(std::chrono::duration<double>(sec / kPace));
    return result;
}
