// ChildProcess: a helper program (ffmpeg, ffprobe) run beside this one.
//
//   ChildProcess ffmpeg;
//   if (!ffmpeg.start({"ffmpeg", ...}, ChildProcess::kPipedInput, error)) ...
//   write(ffmpeg.input(), ...);                 // its standard input
//   ffmpeg.closeInput();
//   if (!ffmpeg.wait(error)) ...                // how it ended, and its last words
//
// The child runs in a process group of its own, so the terminal's Ctrl+C
// (which goes to the whole foreground group) reaches only this program,
// which then ends the child its own way: by closing its input. What the
// child prints on stderr is kept in memory, never on the terminal, and
// shown only when it fails; stdout is kept too (output(), for ffprobe).
// Until it has ended it is watched by the quit signals: a second signal,
// which ends this program at once, kills it first.
//
// SIGPIPE is ignored from the first start() on, so a child that dies shows
// as a failed write rather than ending this program; the child itself
// starts with the default action.
#pragma once

#include <string>
#include <vector>

// Whether start() would find the program name on PATH (an executable
// file), asked before any work that needs it is done; false with the
// reason start() would give.
bool helperProgramFound(const std::string& name, std::string& error);

class ChildProcess {
public:
    static constexpr bool kPipedInput = true;

    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();  // stop()

    // Starts argv (argv[0] looked up on PATH); its stdin is a pipe from
    // input() with pipedInput, else /dev/null. False with the reason.
    bool start(const std::vector<std::string>& argv, bool pipedInput, std::string& error);
    int input() const { return input_; }
    // Writes all of the bytes to its input; false with the reason (then the
    // child has been waited for, and the reason says how it ended).
    bool write(const void* bytes, size_t size, std::string& error);
    void closeInput();
    // False once it has ended (then wait() returns at once).
    bool running();
    // Closes its input and waits for it to end. True when it exited with
    // status 0; else error says how it ended, then its last lines.
    bool wait(std::string& error);
    // What it wrote on stdout, once it has ended.
    std::string output() const;
    // For an abandoned child: its input closed, a moment to end by itself,
    // then killed. Nothing is reported.
    void stop();

private:
    bool reap(int options);

    int pid_ = -1;
    int input_ = -1;
    int stdout_ = -1;  // memory files
    int stderr_ = -1;
    int status_ = 0;
    std::string name_;
};

// Its last lines (at most a few hundred bytes, ends of lines trimmed): what
// a failed child said last is what says why.
std::string lastLines(const std::string& text, size_t lines);
