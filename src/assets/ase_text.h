// Line and word input shared by the readers of the ASCII scene export
// files (models and shapes). A file is read into memory once and then
// taken line by line, as from an open file: a line is at most 255
// characters, and its words go into eight fixed buffers w0..w7 that keep
// their old content when a line has fewer words, which the readers rely on.
//
//   std::shared_ptr<const AseFile> file = openAseFile("models/city.ASE");
//   if (!file) return;                         // named on stderr already
//   AseText text(*file);
//   char line[kAseLineSize];
//   while (readLine(text, line)) {
//       splitLine(line);                       // "%s %s %s %s %s" into w0..w4
//       if (wordIs(0, "*GEOMOBJECT")) ...
//   }
//   reportAseProblems(*file, "models/city.ASE", problems);   // once per file
//
// While an AseFileCache lives (the start-up's scene loaders), a file that
// several loaders read comes from disk only the first time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "assets/byte_buffer.h"

constexpr int kAseLineSize = 256;
constexpr int kAseWordSize = 255;
constexpr int kAseWordCount = 8;

// The word buffers w0..w7. A word longer than 254 characters is cut there.
extern char lineWords[kAseWordCount][kAseWordSize];

// Where the readers write their progress lines ("loading geomObject" and
// the like): standard output unless a tool or a test redirects it.
extern FILE* aseProgressOut;

// One file's bytes and what a first look at them found.
struct AseFile {
    ByteBuffer bytes;
    // Set when the file as a whole is at fault (no objects at all, or cut
    // short inside a block); then it is the one thing said about the file.
    std::string verdict;
};

// Looks the bytes over; for files read from memory (tests, fuzzing).
std::shared_ptr<const AseFile> makeAseFile(const uint8_t* data, size_t size);
// The file through the bounded reader (or the cache); null when it cannot
// be read, which is then named on stderr.
std::shared_ptr<const AseFile> openAseFile(const char* path);

// Keeps every file opened while it lives; nests.
class AseFileCache {
public:
    AseFileCache();
    ~AseFileCache();
    AseFileCache(const AseFileCache&) = delete;
    AseFileCache& operator=(const AseFileCache&) = delete;
};

// A read position in a file's bytes.
class AseText {
public:
    explicit AseText(const AseFile& file) : data_(file.bytes.data()), size_(file.bytes.size()) {}
    void rewind() { position_ = 0; }

private:
    friend bool readLine(AseText& text, char (&line)[kAseLineSize]);
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

// Reads up to and including the next '\n', at most 255 characters; a longer
// line comes in pieces. False at the end with nothing read. A zero byte
// ends the line's text where it stands, as for a C string.
bool readLine(AseText& text, char (&line)[kAseLineSize]);

// Splits like sscanf with a format of plain "%s" and "%*s" items: targets[i]
// is the word buffer of the i-th word of the line, or -1 to skip that word.
// Stops at the end of the line; later targets keep their content.
void scanWords(const char* line, const int* targets, int targetCount);

// The ordinary "%s %s %s %s %s" split into w0..w4.
void splitLine(const char* line);
// "%s %s %s %s %s %s %s %s" into w0..w7.
void splitLine8(const char* line);

bool wordIs(int index, const char* text);

// atoi and atof without their undefined corners: out-of-range integers are
// clamped, and values that are not finite floats read as 0.
int32_t wordInt(int index);
float wordFloat(int index);

// One line on stderr for what a load found wrong (problems joined by "; "),
// or the file's verdict instead when it has one; each text once per file.
void reportAseProblems(const AseFile& file, const std::string& path, const std::string& problems);
