// Reading the program's data files: every image, shader, model and the
// music come through here, so no read can take unbounded memory or wait
// forever on something that is not an ordinary file.
//
//   ByteBuffer bytes;
//   const DataRead r = readDataFile("models/city.ASE", DataKind::Model, bytes);
//   if (!r) reportFileProblem("models/city.ASE", r.problem);   // printed once
//
// Refused: folders, named pipes, devices and sockets (a link is followed
// first), and files larger than their kind's limit, however they report
// their size. A problem text names no file; the caller's message does.
#pragma once

#include <cstddef>
#include <string>

#include "assets/byte_buffer.h"

enum class DataKind { Image, Shader, Model, Music };

enum class ReadStatus {
    Read,
    Missing,  // not there
    Refused,  // there, but not to be read: not allowed, not an ordinary file, too large, or a read failed
};

struct DataRead {
    ReadStatus status = ReadStatus::Read;
    std::string problem;  // empty when read; never names the file
    explicit operator bool() const { return status == ReadStatus::Read; }
};

// What a reader says of a file it ran out of memory for (std::bad_alloc,
// under a limit on the address space, say): the file is then treated as
// one that could not be read.
inline constexpr const char* kNoMemoryToRead = "not enough memory to read it";

// The largest file of each kind that is read at all.
size_t dataFileLimit(DataKind kind);

// The whole file into bytes (emptied on failure).
DataRead readDataFile(const char* path, DataKind kind, ByteBuffer& bytes);

// For a library that reads the file itself: an open descriptor of an
// ordinary file within the kind's limit (the caller closes it), or -1.
int openDataFile(const char* path, DataKind kind, DataRead& outcome);

// "afterglow: PATH: PROBLEM; CONSEQUENCE" on stderr, the first time this
// file has this problem in the run: a file read by several loaders, or a
// fault met on every frame, is named once (with the first consequence).
void reportFileProblem(const std::string& path, const std::string& problem, const std::string& consequence = {});
// For a problem another message has told (a message box's console line):
// it is not told again.
void noteFileProblemTold(const std::string& path, const std::string& problem);
// Fuzzing feeds millions of broken files: nothing is printed or kept then.
void setFileProblemsQuiet(bool quiet);
