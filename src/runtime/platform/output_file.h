// Files the offline runs write (shots, frames, videos, benchmark reports).
//
// The bytes go to a temporary file beside the target, which replaces the
// target only once it is complete: a run that fails or is killed half way
// leaves whatever was there before as it was, and the only file it ever
// removes is a temporary one it made itself. A target that is neither a
// regular file nor missing (a device, a pipe) is written in place and never
// removed; a folder is refused.
//
//   OutputFile out("shot.png");
//   if (!out.begin(error)) ...      // makes the temporary file
//   write the bytes to out.path() ...
//   if (!out.commit(error)) ...     // renames it over shot.png
//   // destroyed without commit: the temporary file is removed
//
// Temporary files still open when the process exits (Esc, a closed window,
// an error from anywhere) are removed then too.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

class OutputFile {
public:
    explicit OutputFile(std::string target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Decides where the bytes go; false with the reason when the target
    // cannot be written.
    bool begin(std::string& error);
    // Where to write: the temporary file, or the target itself when it is
    // written in place.
    const std::string& path() const { return path_; }
    // Puts the finished file in the target's place.
    bool commit(std::string& error);
    // text with the temporary file's name replaced by the target's wherever
    // it appears (a helper program's messages name the file it was given):
    // the hidden name means nothing to the user.
    std::string targetNamed(std::string text) const;

private:
    void discard();

    std::string target_;
    std::string replaced_;  // the file the temporary one replaces: the target with links followed
    std::string path_;
    bool temporary_ = false;
};

// Whether target can be written, found out the way writing it would be
// (a temporary file made and removed again); false with the reason.
bool outputFileUsable(const std::string& target, std::string& error);

// Writes target through an OutputFile as a stdio stream: write() returns
// false when it failed, with errno saying why where it can. Commits once
// the stream is closed cleanly; false with the reason.
bool writeOutputStream(const std::string& target, const std::function<bool(FILE*)>& write, std::string& error);

// writeOutputStream with text.
bool writeOutputText(const std::string& target, const std::string& text, std::string& error);
