#include "runtime/environment/environment.h"

#include <cstdlib>

namespace {

// clang-format off
constexpr EnvironmentEntry kTable[] = {
    // The program's, in EnvVar's order.
    {"DISPLAY", "",
     "the X display to play on; without it the offline runs draw through EGL, and playing ends with exit code 1",
     "runtime/app/main.cpp (and the windowing toolkit)", EnvReader::Program},
    {"AFTERGLOW_DATA_DIR", "DIR",
     "read the data from DIR and nowhere else (exit code 1 when it is not a folder); the files given with the "
     "options still start from the working directory",
     "runtime/app/data_lookup.cpp", EnvReader::Program},
    {"AFTERGLOW_NO_MESSAGE_BOX", "1",
     "errors go to stderr only; never wait for a click",
     "gfx/message_box.cpp", EnvReader::Program},
    {"AFTERGLOW_GL_CHECKS", "1",
     "check for GL errors after every start-up step and part of a frame, as debug builds do, and name the first "
     "with its step",
     "gfx/gl_check.cpp", EnvReader::Program},
    {"GLIBC_TUNABLES", "",
     "unless it names glibc.malloc.hugetlb, the program asks for huge pages for its heap and large buffers "
     "itself; glibc.malloc.hugetlb=0 keeps ordinary pages",
     "runtime/platform/huge_pages.cpp (and glibc)", EnvReader::Program},
    {"vblank_mode", "",
     "Mesa's wait for vertical sync: --benchmark sets it to 0 unless it is set, and reports it where the driver "
     "offers no other way to turn the wait off",
     "runtime/offline/benchmark.cpp (and Mesa)", EnvReader::Program},
    {"PATH", "",
     "where ffmpeg (--capture, --join) and ffprobe (--join) are found; a capture without ffmpeg ends before "
     "any work",
     "runtime/platform/child_process.cpp (and posix_spawnp)", EnvReader::Program},
    {"AFTERGLOW_HIDE_GL_EXTENSIONS", "NAME,...",
     "for testing: the start-up checks take every GL extension, framebuffer entry point or version "
     "(GL_VERSION_2_0) whose name contains a NAME as missing, so that their failures can be seen on a driver "
     "that has everything",
     "gfx/gl_extensions.cpp", EnvReader::TestHook},
    {"AFTERGLOW_WARM_UP", "1",
     "for testing: the offline runs draw playback's unseen frames too (the first before the run, another "
     "scene's opening after each frame), which must leave their pictures as they are",
     "runtime/offline/offline_run.cpp", EnvReader::TestHook},

    // The scripts' and the tests'.
    {"AFTERGLOW_BUILD_DIR", "DIR",
     "the build folder (default build/ in the source tree)",
     "./run, ./test, scripts/build and the scripts that use its programs", EnvReader::Scripts},
    {"AFTERGLOW_COMPARE_DATA", "DIR",
     "the data folder both builds draw with (default: the second build's)",
     "scripts/compare-shots", EnvReader::Scripts},
    {"AFTERGLOW_SANITIZED_BUILD_DIR", "DIR",
     "its build folder (default build-sanitized/)",
     "scripts/sanitized-show", EnvReader::Scripts},
    {"AFTERGLOW_SANITIZED_PROGRAM", "FILE",
     "with AFTERGLOW_SANITIZED_DATA: a sanitized program to play instead of building one",
     "scripts/sanitized-show", EnvReader::Scripts},
    {"AFTERGLOW_SANITIZED_DATA", "DIR",
     "the data folder of AFTERGLOW_SANITIZED_PROGRAM",
     "scripts/sanitized-show", EnvReader::Scripts},
    {"AFTERGLOW_FUZZ_BUILD_DIR", "DIR",
     "the clang build folder of the fuzz targets and their corpus (default build-fuzz/)",
     "scripts/fuzz", EnvReader::Scripts},
    {"AFTERGLOW_REQUIRE_SOUND_SERVER", "1",
     "the tests labelled sound fail, rather than skip, where no PulseAudio server can start (.ci/run sets it)",
     "the tests labelled sound", EnvReader::Tests},
};
// clang-format on

constexpr size_t kProgramRows = static_cast<size_t>(EnvVar::WarmUp) + 1;

constexpr const EnvironmentEntry& entry(EnvVar var) { return kTable[static_cast<size_t>(var)]; }

// The enumeration names the rows by their place: a row moved is a
// variable read under another name.
static_assert(entry(EnvVar::Display).name == "DISPLAY" && entry(EnvVar::DataDir).name == "AFTERGLOW_DATA_DIR" &&
              entry(EnvVar::NoMessageBox).name == "AFTERGLOW_NO_MESSAGE_BOX" &&
              entry(EnvVar::GlChecks).name == "AFTERGLOW_GL_CHECKS" &&
              entry(EnvVar::GlibcTunables).name == "GLIBC_TUNABLES" &&
              entry(EnvVar::VblankMode).name == "vblank_mode" && entry(EnvVar::Path).name == "PATH" &&
              entry(EnvVar::HideGlExtensions).name == "AFTERGLOW_HIDE_GL_EXTENSIONS" &&
              entry(EnvVar::WarmUp).name == "AFTERGLOW_WARM_UP");
static_assert(kTable[kProgramRows].reader != EnvReader::Program && kTable[kProgramRows].reader != EnvReader::TestHook,
              "the program's rows come first");

// The table's names are string_views into literals: NUL-terminated.
const char* cName(EnvVar var) { return entry(var).name.data(); }

}  // namespace

std::span<const EnvironmentEntry> environmentTable() { return kTable; }

std::span<const EnvironmentEntry> programVariables() { return std::span(kTable).first(kProgramRows); }

std::string_view environmentName(EnvVar var) { return entry(var).name; }

const char* environmentValue(EnvVar var) {
    const char* value = std::getenv(cName(var));
    return value && *value ? value : nullptr;
}

bool environmentSwitch(EnvVar var) {
    const char* value = environmentValue(var);
    return value && std::string_view(value) != "0";
}

void setEnvironmentDefault(EnvVar var, const char* value) { setenv(cName(var), value, 0); }
