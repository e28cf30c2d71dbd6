#include "gfx/gl_state.h"

#include <GL/gl.h>

namespace {

// What setGlState last set: 0 off, 1 on, -1 not known (start-up, or after
// forgetGlState). The blend function is kept apart from the blend switch,
// as GL keeps it: blending off leaves the function as it was.
constexpr int8_t kUnknown = -1;
constexpr int8_t kMixFunction = 0;
constexpr int8_t kAddFunction = 1;

struct Shadow {
    int8_t depthTest = kUnknown;
    int8_t depthWrite = kUnknown;
    int8_t cullFace = kUnknown;
    int8_t blend = kUnknown;
    int8_t blendFunction = kUnknown;
    int8_t texture2D = kUnknown;
    int8_t lighting = kUnknown;
    int8_t light0 = kUnknown;
    int8_t fog = kUnknown;
    int8_t lineSmooth = kUnknown;
} shadow;

void setCapability(GLenum capability, bool on, int8_t& known) {
    if (known == static_cast<int8_t>(on)) return;
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
    known = static_cast<int8_t>(on);
}

void setCapability(GLenum capability, Switch wanted, int8_t& known) {
    if (wanted != Switch::Keep) setCapability(capability, wanted == Switch::On, known);
}

void setBlend(Blend wanted) {
    if (wanted == Blend::Keep) return;
    setCapability(GL_BLEND, wanted != Blend::Off, shadow.blend);
    if (wanted == Blend::Off) return;
    const int8_t function = wanted == Blend::Add ? kAddFunction : kMixFunction;
    if (shadow.blendFunction == function) return;
    glBlendFunc(GL_SRC_ALPHA, wanted == Blend::Add ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);
    shadow.blendFunction = function;
}

void setDepthWrite(Switch wanted) {
    if (wanted == Switch::Keep) return;
    const int8_t on = wanted == Switch::On;
    if (shadow.depthWrite == on) return;
    glDepthMask(on ? GL_TRUE : GL_FALSE);
    shadow.depthWrite = on;
}

}  // namespace

void setGlState(const GlState& s) {
    setCapability(GL_DEPTH_TEST, s.depthTest, shadow.depthTest);
    setDepthWrite(s.depthWrite);
    setCapability(GL_CULL_FACE, s.cullFace, shadow.cullFace);
    setBlend(s.blend);
    setCapability(GL_TEXTURE_2D, s.texture2D, shadow.texture2D);
    setCapability(GL_LIGHTING, s.lighting, shadow.lighting);
    setCapability(GL_LIGHT0, s.light0, shadow.light0);
    setCapability(GL_FOG, s.fog, shadow.fog);
    setCapability(GL_LINE_SMOOTH, s.lineSmooth, shadow.lineSmooth);
}

void forgetGlState() { shadow = Shadow(); }

std::string glStateMismatches() {
    std::string mismatches;
    auto check = [&](const char* name, int8_t known, bool actual) {
        if (known != kUnknown && known != static_cast<int8_t>(actual))
            mismatches += mismatches.empty() ? name : std::string(" ") + name;
    };
    auto enabled = [](GLenum capability) { return glIsEnabled(capability) == GL_TRUE; };
    check("GL_DEPTH_TEST", shadow.depthTest, enabled(GL_DEPTH_TEST));
    GLboolean depthWrite = GL_TRUE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrite);
    check("GL_DEPTH_WRITEMASK", shadow.depthWrite, depthWrite == GL_TRUE);
    check("GL_CULL_FACE", shadow.cullFace, enabled(GL_CULL_FACE));
    check("GL_BLEND", shadow.blend, enabled(GL_BLEND));
    GLint source = 0;
    GLint destination = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    if (shadow.blendFunction != kUnknown) {
        const GLint expected = shadow.blendFunction == kAddFunction ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA;
        if (source != GL_SRC_ALPHA || destination != expected) check("glBlendFunc", 0, true);
    }
    check("GL_TEXTURE_2D", shadow.texture2D, enabled(GL_TEXTURE_2D));
    check("GL_LIGHTING", shadow.lighting, enabled(GL_LIGHTING));
    check("GL_LIGHT0", shadow.light0, enabled(GL_LIGHT0));
    check("GL_FOG", shadow.fog, enabled(GL_FOG));
    check("GL_LINE_SMOOTH", shadow.lineSmooth, enabled(GL_LINE_SMOOTH));
    return mismatches;
}
