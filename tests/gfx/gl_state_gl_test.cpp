// The state funnel: what it sets is what GL holds, switches it is not
// asked about stay as they are, and its copy stays true through the scenes'
// frames, or the skipping would leave a wrong state behind.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include "gfx/gl_state.h"
#include "support/gl/scene_harness.h"
#include "support/gl_context.h"

namespace {

bool on(GLenum capability) { return glIsEnabled(capability) == GL_TRUE; }

GLint blendDestination() {
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_DST, &destination);
    return destination;
}

TEST(GlState, SetsWhatItNamesAndLeavesEverythingElse) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    forgetGlState();
    setGlState({.depthTest = kOn,
                .depthWrite = kOff,
                .cullFace = kOn,
                .blend = kBlendAdd,
                .texture2D = kOn,
                .lighting = kOn,
                .light0 = kOn,
                .fog = kOn,
                .lineSmooth = kOn});
    for (GLenum c : {GL_DEPTH_TEST, GL_CULL_FACE, GL_BLEND, GL_TEXTURE_2D, GL_LIGHTING, GL_LIGHT0, GL_FOG,
                     GL_LINE_SMOOTH})
        EXPECT_TRUE(on(c)) << c;
    GLboolean depthWrite = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
    EXPECT_EQ(depthWrite, GL_FALSE);
    EXPECT_EQ(blendDestination(), GL_ONE);

    setGlState(kFlatState);
    EXPECT_FALSE(on(GL_DEPTH_TEST));
    EXPECT_FALSE(on(GL_CULL_FACE));
    EXPECT_FALSE(on(GL_LIGHTING));
    EXPECT_FALSE(on(GL_FOG));
    EXPECT_TRUE(on(GL_BLEND)) << "not named, so kept";
    EXPECT_TRUE(on(GL_TEXTURE_2D));
    EXPECT_TRUE(on(GL_LIGHT0));
    EXPECT_TRUE(on(GL_LINE_SMOOTH));
    EXPECT_EQ(glStateMismatches(), "");
    setGlState({.depthWrite = kOn, .light0 = kOff, .lineSmooth = kOff});
    EXPECT_EQ(glStateMismatches(), "");
}

TEST(GlState, BlendingOffKeepsTheFunctionAndTheNextModeStillSetsItsOwn) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    forgetGlState();
    setGlState({.blend = kBlendAdd});
    setGlState({.blend = kBlendOff});
    EXPECT_FALSE(on(GL_BLEND));
    EXPECT_EQ(blendDestination(), GL_ONE) << "GL keeps the function while blending is off";
    setGlState({.blend = kBlendMix});
    EXPECT_TRUE(on(GL_BLEND));
    EXPECT_EQ(blendDestination(), GL_ONE_MINUS_SRC_ALPHA);
    setGlState({.blend = kBlendOff});
    setGlState({.blend = kBlendAdd});
    EXPECT_EQ(blendDestination(), GL_ONE);
    EXPECT_EQ(glStateMismatches(), "");
}

TEST(GlState, AChangeBehindItsBackIsReportedAndForgettingMendsIt) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    forgetGlState();
    setGlState({.depthTest = kOn, .blend = kBlendMix});
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    EXPECT_EQ(glStateMismatches(), "GL_DEPTH_TEST glBlendFunc");
    forgetGlState();
    EXPECT_EQ(glStateMismatches(), "") << "nothing known, nothing wrong";
    setGlState({.depthTest = kOn, .blend = kBlendMix});
    EXPECT_TRUE(on(GL_DEPTH_TEST));
    EXPECT_EQ(blendDestination(), GL_ONE_MINUS_SRC_ALPHA);
}

}  // namespace
