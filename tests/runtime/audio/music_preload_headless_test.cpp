// The music decoding on its worker while the program leaves before the
// music starts.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>

#include "support/window_keys.h"
#include "support/fixture_shaders.h"
#include "support/process.h"
#include "support/program.h"
#include "support/report_rows.h"
#include "support/temp_dir.h"

namespace {

TEST(StartupMusic, LeavingBeforeTheMusicStartsEndsCleanlyWhileItDecodes) {
    // Beside the build's music, which takes a while to decode: the exits
    // come long before it is done, and the worker must not bring them down.
    ProcessOptions noDisplay;
    noDisplay.workingDir = AFTERGLOW_DATA_DIR;
    noDisplay.unsetEnv = {"DISPLAY"};
    const ProcessResult r = runProcess({AFTERGLOW_BINARY, "--windowed"}, noDisplay);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.err.find("terminate"), std::string::npos) << r.err;

    const ProcessResult noFramebuffers = afterglow({"--shot", "1000", "/dev/null"},
                                                   within(90, AFTERGLOW_DATA_DIR, {"AFTERGLOW_HIDE_GL_EXTENSIONS=EXT_framebuffer_object"}));
    EXPECT_EQ(noFramebuffers.exitCode, 255) << noFramebuffers.err;
    EXPECT_EQ(noFramebuffers.err.find("terminate"), std::string::npos) << noFramebuffers.err;
}

}  // namespace
