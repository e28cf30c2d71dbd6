// Line and word input shared by the readers of the ASCII scene export
// files (models and shapes). A line is at most 255 characters; its words go
// into eight fixed buffers w0..w7 that keep their old content when a line has
// fewer words, which the readers rely on.
//
//   char line[kAseLineSize];
//   while (readLine(file, line)) {
//       splitLine(line);                       // "%s %s %s %s %s" into w0..w4
//       if (wordIs(0, "*GEOMOBJECT")) ...
//   }
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kAseLineSize = 256;
constexpr int kAseWordSize = 255;
constexpr int kAseWordCount = 8;

// The word buffers w0..w7. A word longer than 254 characters is cut there.
extern char lineWords[kAseWordCount][kAseWordSize];

// Where the readers write their progress lines ("loading geomObject" and
// the like): standard output unless a tool or a test redirects it.
extern FILE* aseProgressOut;

// Reads up to and including the next '\n', at most 255 characters; a longer
// line comes in pieces. False at end of file with nothing read.
bool readLine(FILE* file, char (&line)[kAseLineSize]);

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
