// Faulty data folders for the real program: a copy of the data folder with
// chosen files damaged in chosen ways, a run of the program on it, and the
// verdict for each damaged file. The fault table (tests/faults) runs every
// file with every fault; the rendering tests run a few.
//
//   DataFolder folder(AFTERGLOW_DATA_DIR);          // links to the real files
//   folder.damage("models/city.ASE", Fault::TruncatedHalf);
//   const ProcessResult r = runOnFolder(binary, folder, RunKind::ShortBenchmark);
//   FaultVerdict v = judge(r, "models/city.ASE");    // v.ok, v.outcome
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/temp_dir.h"

enum class Fault { Missing, Empty, RandomBytes, TruncatedHalf, OversizedHeader };

const std::vector<Fault>& allFaults();
const char* faultName(Fault fault);

// Every file the program reads, relative to the data folder, in a stable
// order: the music, the images, the shader files, the models.
std::vector<std::string> dataFiles(const std::filesystem::path& dataDir);

// A scratch folder whose files link to a data folder's; damaged files are
// real files of their own.
class DataFolder {
public:
    explicit DataFolder(const std::filesystem::path& dataDir);
    const std::filesystem::path& path() const { return dir_.path(); }
    // Replaces one file (a path relative to the folder) by its damaged form.
    // The oversized header value depends on the kind: a JPEG frame of
    // 65535x65535, an MP3 header announcing 2^31 - 1 frames, a model or shape
    // count of 2147483647, a shader's #version of 4294967296.
    void damage(const std::string& file, Fault fault);

private:
    std::filesystem::path source_;
    TempDir dir_;
};

enum class RunKind {
    WholeShow,       // --benchmark at 1 frame per second of music, every scene drawn
    ShortBenchmark,  // --benchmark over a few frames of scene 3, which uses every kind of file
    StartUp,         // --shot at 100 ms: the start-up and one frame
};

// The program on the folder at 512x512 in a window, with GL checks on, no
// message boxes and no sound device.
ProcessResult runOnFolder(const std::string& binary, const DataFolder& folder, RunKind kind);

struct FaultVerdict {
    bool ok = false;
    std::string outcome;  // "ok: <the line naming it>", or what went wrong
};

// Whether the run ended well: exit 0, no GL error, the whole span played.
FaultVerdict judgeEnding(const ProcessResult& run, RunKind kind);
// That, and whether it named the file on stderr exactly once.
FaultVerdict judge(const ProcessResult& run, RunKind kind, const std::string& file);
