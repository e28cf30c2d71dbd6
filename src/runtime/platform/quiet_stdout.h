// Standard output silenced for a stretch of the run: --quiet sends the lines
// start-up prints there (shader compile logs, model progress, the driver's
// own chatter) nowhere, while what the user asked for afterwards (the
// benchmark's table, --startup-report) still comes out.
//
//   QuietStdout loading(options.quiet);   // before start-up
//   ...start-up...
//   loading.end();                        // stdout is back
//
// It works on the file descriptor, so output from libraries and drivers is
// silenced too, not only the program's own. Errors stay on stderr.
#pragma once

class QuietStdout {
public:
    explicit QuietStdout(bool silence);
    ~QuietStdout() { end(); }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

    // Gives stdout back; further calls do nothing.
    void end();

private:
    int saved_ = -1;  // the real stdout while silenced
};
