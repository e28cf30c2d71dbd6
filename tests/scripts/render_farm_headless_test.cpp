// scripts/render-farm: a capture rendered as parts by GNU parallel and
// joined is, frame for frame, the capture made in one piece, whichever
// machines render the parts: this one (with or without ":" among them) and
// another one, reached through an ssh server of the test's own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "support/process.h"
#include "support/temp_dir.h"
#include "support/video_probe.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

// Across the cut between the first two scenes, so the second part starts
// in another scene than the whole run, with its particles under way.
const std::vector<std::string> kSpan = {"512", "512", "--fps", "10", "--from", "28700", "--to", "29700", "--crf", "0"};

ProcessResult renderFarm(std::vector<std::string> args) {
    args.insert(args.begin(), {std::string(AFTERGLOW_SCRIPTS) + "/render-farm", "--program", AFTERGLOW_BINARY});
    args.insert(args.end(), kSpan.begin(), kSpan.end());
    ProcessOptions options;
    options.timeoutSec = 240;
    return runProcess(args, options);
}

// The span's frames captured in one piece.
std::vector<std::string> wholeCapture(const TempDir& dir) {
    const auto whole = dir / "whole.mp4";
    std::vector<std::string> args = {"--capture", whole.string()};
    args.insert(args.end(), kSpan.begin(), kSpan.end());
    const ProcessResult r = runAfterglow(args);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return frameHashes(whole, "v");
}

TEST(RenderFarm, TwoPartsJoinedAreTheCaptureInOnePiece) {
    if (!videoToolsInstalled() || onPath("parallel").empty())
        GTEST_SKIP() << "ffmpeg, ffprobe and GNU parallel are needed (scripts/install-deps)";
    TempDir dir;
    const std::vector<std::string> pictures = wholeCapture(dir);
    ASSERT_EQ(pictures.size(), 10u);

    // ":" names this machine as GNU parallel's remote logins do, and a job
    // there runs in a scratch folder of parallel's, which goes afterwards.
    const auto farmed = dir / "farmed.mp4";
    ProcessResult r = renderFarm({"-S", ":", "--jobs", "2", "--parts", "2", "--keep-parts", farmed.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("part 2/2\tafterglow: 100%"), std::string::npos) << "each part's lines, tagged: " << r.err;
    EXPECT_NE(r.err.find("1 of 2 parts done"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("2 of 2 parts done"), std::string::npos) << r.err;
    EXPECT_EQ(frameHashes(farmed, "v"), pictures);
    EXPECT_EQ(frameHashes(farmed, "a"), frameHashes(dir / "whole.mp4", "a"));

    // A part that is there is done: after a failure only the missing ones
    // are rendered again. Without --keep-parts the folder goes at the end.
    const auto parts = dir / "farmed.mp4.parts";
    ASSERT_TRUE(fs::remove(parts / "part-2-of-2.mp4"));
    r = renderFarm({"--jobs", "2", "--parts", "2", farmed.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("rendering 1 of 2 parts"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("part 1/2\t"), std::string::npos) << "the part that was there is rendered again: " << r.err;
    EXPECT_NE(r.err.find("2 of 2 parts done (part 2/2 just now)"), std::string::npos) << r.err;
    EXPECT_EQ(frameHashes(farmed, "v"), pictures);
    EXPECT_FALSE(fs::exists(parts));
}

// An ssh server on 127.0.0.1 that lets this user in with a key of its own:
// "ssh -F config() farmhost" is another machine to GNU parallel.
class LoopbackSshServer {
public:
    explicit LoopbackSshServer(const TempDir& dir) : dir_(dir.path()) {
        const std::string keygen = onPath("ssh-keygen");
        for (const char* key : {"host_key", "client_key"})
            if (runProcess({keygen, "-q", "-t", "ed25519", "-N", "", "-f", (dir_ / key).string()}).exitCode != 0)
                return;
        fs::copy_file(dir_ / "client_key.pub", dir_ / "authorized_keys");
        const int port = freePort();
        putFile(dir_ / "sshd_config", "ListenAddress 127.0.0.1\nPort " + std::to_string(port) + "\nHostKey " +
                                          (dir_ / "host_key").string() + "\nAuthorizedKeysFile " +
                                          (dir_ / "authorized_keys").string() +
                                          "\nPidFile none\nStrictModes no\nUsePAM no\nPasswordAuthentication no\n"
                                          "KbdInteractiveAuthentication no\nAcceptEnv MESA_SHADER_CACHE_DISABLE\n");
        putFile(dir_ / "ssh_config", "Host farmhost\n  HostName 127.0.0.1\n  Port " + std::to_string(port) +
                                         "\n  User " + userName() + "\n  IdentityFile " +
                                         (dir_ / "client_key").string() +
                                         "\n  IdentitiesOnly yes\n  BatchMode yes\n  StrictHostKeyChecking no\n"
                                         "  UserKnownHostsFile /dev/null\n  LogLevel ERROR\n"
                                         "  SetEnv MESA_SHADER_CACHE_DISABLE=true\n");
        // As root, sshd wants the folder its unprivileged side runs in.
        if (geteuid() == 0 && fs::create_directory("/run/sshd")) madeRunFolder_ = true;
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_addopen(&files, STDERR_FILENO, (dir_ / "sshd.log").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const std::string config = (dir_ / "sshd_config").string();
        const char* argv[] = {kSshd, "-D", "-e", "-f", config.c_str(), nullptr};
        if (posix_spawn(&pid_, kSshd, &files, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&files);
        // Ready once it takes connections.
        for (int i = 0; pid_ > 0 && i < 100 && !ready_; ++i) {
            ready_ = connects(port);
            if (!ready_) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
    ~LoopbackSshServer() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
        std::error_code ignored;
        if (madeRunFolder_) fs::remove("/run/sshd", ignored);
    }

    static bool installed() {
        return access(kSshd, X_OK) == 0 && !onPath("ssh").empty() && !onPath("ssh-keygen").empty() &&
               !onPath("rsync").empty();
    }
    bool ready() const { return ready_; }
    std::string login() const { return "ssh -F " + (dir_ / "ssh_config").string() + " farmhost"; }
    std::string log() const { return fileContents(dir_ / "sshd.log"); }

private:
    static constexpr const char* kSshd = "/usr/sbin/sshd";  // by its full path, as sshd asks

    static int freePort() {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(s, reinterpret_cast<sockaddr*>(&address), size);
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
        close(s);
        return ntohs(address.sin_port);
    }
    static bool connects(int port) {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<uint16_t>(port));
        const bool connected = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        close(s);
        return connected;
    }
    static std::string userName() {
        const ProcessResult r = runProcess({"/usr/bin/id", "-un"});
        return r.out.substr(0, r.out.find('\n'));
    }

    fs::path dir_;
    pid_t pid_ = -1;
    bool ready_ = false;
    bool madeRunFolder_ = false;
};

TEST(RenderFarm, PartsFromAnotherMachineAndThisOneJoinAsOne) {
    if (!videoToolsInstalled() || onPath("parallel").empty())
        GTEST_SKIP() << "ffmpeg, ffprobe and GNU parallel are needed (scripts/install-deps)";
    if (!LoopbackSshServer::installed())
        GTEST_SKIP() << "an ssh server (/usr/sbin/sshd), ssh, ssh-keygen and rsync are needed to stand in for "
                        "another machine";
    TempDir dir;
    LoopbackSshServer server(dir);
    ASSERT_TRUE(server.ready()) << server.log();
    const std::vector<std::string> pictures = wholeCapture(dir);

    // One job at a time on each: the first two parts start on both at once.
    const auto farmed = dir / "farmed.mp4";
    const ProcessResult r = renderFarm({"-S", server.login() + ",:", "--parts", "3", farmed.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(server.log().find("Accepted publickey"), std::string::npos) << "no job went to the other machine";
    EXPECT_NE(r.err.find("3 of 3 parts done"), std::string::npos) << r.err;
    EXPECT_EQ(frameHashes(farmed, "v"), pictures);
    EXPECT_FALSE(fs::exists(dir / "farmed.mp4.parts"));
}

}  // namespace
