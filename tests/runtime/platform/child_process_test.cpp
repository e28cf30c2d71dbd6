#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "runtime/platform/child_process.h"

namespace {

TEST(ChildProcess, RunsInAGroupOfItsOwnWithItsOutputKept) {
    ChildProcess child;
    std::string error;
    // Its process group is its own process ID: a terminal's Ctrl+C to ours
    // does not reach it. It reads what we write, and says so on stdout.
    ASSERT_TRUE(child.start({"sh", "-c", "echo $$ $(ps -o pgid= -p $$); cat; echo to-stderr >&2"},
                            ChildProcess::kPipedInput, error))
        << error;
    const std::string input = "from the parent\n";
    ASSERT_TRUE(child.write(input.data(), input.size(), error)) << error;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(child.wait(error)) << error;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "its messages are kept, not shown";
    const std::string out = child.output();
    const size_t space = out.find(' ');
    ASSERT_NE(space, std::string::npos) << out;
    EXPECT_EQ(std::stol(out.substr(0, space)), std::stol(out.substr(space + 1))) << out;
    EXPECT_NE(out.find("from the parent"), std::string::npos) << out;
}

TEST(ChildProcess, AFailureSaysHowItEndedAndWhatItSaidLast) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(child.start({"sh", "-c", "echo one >&2; echo two >&2; echo three >&2; echo four >&2; exit 3"},
                            !ChildProcess::kPipedInput, error));
    EXPECT_FALSE(child.wait(error));
    EXPECT_EQ(error, "sh failed with exit status 3:\ntwo\nthree\nfour");

    ChildProcess missing;
    EXPECT_FALSE(missing.start({"no-such-program-here"}, ChildProcess::kPipedInput, error));
    EXPECT_EQ(error, "no-such-program-here is not installed (not found on PATH)");

    // A child that stops reading shows as a failed write, not as SIGPIPE.
    ChildProcess quitter;
    ASSERT_TRUE(quitter.start({"sh", "-c", "exit 0"}, ChildProcess::kPipedInput, error));
    const std::string block(4 << 20, 'x');
    EXPECT_FALSE(quitter.write(block.data(), block.size(), error));
    EXPECT_NE(error.find("sh stopped taking input"), std::string::npos) << error;
}

TEST(ChildProcess, StopEndsEvenAChildThatIgnoresTheEndOfItsInput) {
    ChildProcess child;
    std::string error;
    ASSERT_TRUE(
        child.start({"sh", "-c", "trap '' TERM INT HUP; while :; do sleep 1; done"}, ChildProcess::kPipedInput, error));
    EXPECT_TRUE(child.running());
    child.stop();  // its input closed, a moment's grace, then killed
    EXPECT_FALSE(child.running());
    EXPECT_FALSE(child.wait(error));
    EXPECT_EQ(error, "sh was ended by signal " + std::to_string(SIGKILL));
}

TEST(ChildProcess, LastLinesKeepsTheEndOfWhatWasSaid) {
    EXPECT_EQ(lastLines("a\nb\nc\nd\n\n", 2), "c\nd");
    EXPECT_EQ(lastLines("only\n", 3), "only");
    EXPECT_EQ(lastLines("  \n", 3), "");
    EXPECT_EQ(lastLines(std::string(1000, 'x'), 1).size(), 600u);
}

}  // namespace
