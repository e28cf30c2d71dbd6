// A virtual X server of a test's own, for tests that need a given screen
// size: started as ./test starts the shared one (Xvfb picks a free display
// and reports it) and stopped by its PID.
#pragma once

#include <string>

class OwnXServer {
public:
    // Waits until the server accepts clients; ok() tells whether it did.
    OwnXServer(int width, int height);
    ~OwnXServer();
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    bool ok() const { return !name_.empty(); }
    const std::string& name() const { return name_; }  // ":N"
    std::string displayVariable() const { return "DISPLAY=" + name_; }

private:
    int pid_ = -1;
    std::string name_;
};
