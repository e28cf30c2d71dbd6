// The three standard streams as a launcher may leave them: closed, pointing
// at a full device, or at a pipe whose reader has gone.
//
//   int main(int argc, char** argv) {
//       useStandardStreams();                 // before anything opens a file
//       ...
//       writeStandardOutput(usageText(...));  // output that is the point
//       return standardOutputExitCode(0);     // 1 when it could not be written
//
// A descriptor 0, 1 or 2 left closed is opened on /dev/null: otherwise the
// next file, socket or X connection the program opens takes its number, and
// what is printed afterwards goes into it. SIGPIPE is ignored, so a reader
// that goes away costs the program nothing but the output itself: the show,
// a capture or a benchmark (its JSON file too) carries on. Where writing is
// the whole point of the command (--help, --version, the benchmark's table)
// a failed write ends it with 1 and a message, as GNU tools do.
#pragma once

#include <string>

// Opens each closed standard descriptor on /dev/null and ignores SIGPIPE.
void useStandardStreams();

// Writes text to standard output and flushes it. A failure is kept for
// standardOutputExitCode(), never acted on here.
void writeStandardOutput(const std::string& text);

// code when everything written to standard output went out; otherwise 1,
// after saying on stderr that it could not be written and why.
int standardOutputExitCode(int code);
