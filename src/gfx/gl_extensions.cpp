#include "gfx/gl_extensions.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <vector>

#include "gfx/display.h"
#include "gfx/egl_context.h"
#include "gfx/message_box.h"
#include "runtime/environment/environment.h"

GlExtensions glExtensions;

namespace {

// Exit codes of the capability failures: the framebuffer ones end with -1,
// the shader and status ones with 0.
constexpr int kFramebufferFailureExit = -1;
constexpr int kShaderFailureExit = 0;

constexpr const char* kGlslExtensions[] = {
    "GL_ARB_fragment_shader", "GL_ARB_fragment_program", "GL_ARB_shading_language_100",
    "GL_ARB_vertex_shader",   "GL_ARB_shader_objects",
};

std::vector<std::string> hiddenNames() {
    std::vector<std::string> names;
    const char* value = environmentValue(EnvVar::HideGlExtensions);
    if (!value) return names;
    std::stringstream list(value);
    for (std::string name; std::getline(list, name, ',');)
        if (!name.empty()) names.push_back(name);
    return names;
}

template <typename Fn>
void fetch(Fn& slot, const char* name, bool& allFound) {
    void* proc = hiddenByEnvironment(name) ? nullptr : glEntryPoint(name);
    slot = reinterpret_cast<Fn>(proc);
    if (!slot) allFound = false;
}

// Every one is fetched even after a miss, as the driver is asked for all 17.
bool fetchEntryPoints(GlExtensions& x) {
    bool all = true;
    fetch(x.isRenderbuffer, "glIsRenderbufferEXT", all);
    fetch(x.bindRenderbuffer, "glBindRenderbufferEXT", all);
    fetch(x.deleteRenderbuffers, "glDeleteRenderbuffersEXT", all);
    fetch(x.genRenderbuffers, "glGenRenderbuffersEXT", all);
    fetch(x.renderbufferStorage, "glRenderbufferStorageEXT", all);
    fetch(x.getRenderbufferParameteriv, "glGetRenderbufferParameterivEXT", all);
    fetch(x.isFramebuffer, "glIsFramebufferEXT", all);
    fetch(x.bindFramebuffer, "glBindFramebufferEXT", all);
    fetch(x.deleteFramebuffers, "glDeleteFramebuffersEXT", all);
    fetch(x.genFramebuffers, "glGenFramebuffersEXT", all);
    fetch(x.checkFramebufferStatus, "glCheckFramebufferStatusEXT", all);
    fetch(x.framebufferTexture1D, "glFramebufferTexture1DEXT", all);
    fetch(x.framebufferTexture2D, "glFramebufferTexture2DEXT", all);
    fetch(x.framebufferTexture3D, "glFramebufferTexture3DEXT", all);
    fetch(x.framebufferRenderbuffer, "glFramebufferRenderbufferEXT", all);
    fetch(x.getFramebufferAttachmentParameteriv, "glGetFramebufferAttachmentParameterivEXT", all);
    fetch(x.generateMipmap, "glGenerateMipmapEXT", all);
    return all;
}

std::string extensionString() {
    const GLubyte* raw = glGetString(GL_EXTENSIONS);
    return visibleExtensionString(raw ? reinterpret_cast<const char*>(raw) : "");
}

// Whole-string substring tests, not matches of whole names: a name with its
// "GL_" prefix, or as part of a longer name, counts as present.
bool mentions(const std::string& extensions, const char* name) {
    return extensions.find(name) != std::string::npos;
}

[[noreturn]] void stop(const char* text, const char* caption, MessageIcon icon, int code) {
    showMessageBox(text, caption, icon);
    requestQuit(code);
}

// The size planOffscreenWindowTarget() asked for; 0 when there is a window.
struct PlannedTarget {
    int width = 0;
    int height = 0;
} plannedWindowTarget;

void makePlannedWindowTarget() {
    if (plannedWindowTarget.width <= 0) return;
    std::string error;
    if (createOffscreenWindowTarget(plannedWindowTarget.width, plannedWindowTarget.height, error)) return;
    std::fprintf(stderr, "afterglow: %s\n", error.c_str());
    requestQuit(1);
}

}  // namespace

bool hiddenByEnvironment(const char* name) {
    for (const std::string& hidden : hiddenNames())
        if (std::strstr(name, hidden.c_str())) return true;
    return false;
}

std::string visibleExtensionString(const char* extensions) {
    const std::vector<std::string> hidden = hiddenNames();
    if (hidden.empty()) return extensions;
    std::string visible;
    std::stringstream words(extensions);
    for (std::string word; words >> word;) {
        bool keep = true;
        for (const std::string& h : hidden) keep = keep && word.find(h) == std::string::npos;
        if (keep) visible += word + ' ';
    }
    return visible;
}

void GlExtensions::load() {
    loaded = true;
    if (!mentions(extensionString(), "EXT_framebuffer_object"))
        stop("EXT_framebuffer_object extension was not found. Upgrade your drivers or video card?", "ERROR",
             MessageIcon::Warning, kFramebufferFailureExit);
    if (!fetchEntryPoints(*this))
        stop("One or more EXT_framebuffer_object functions were not found.", "ERROR", MessageIcon::Warning,
             kFramebufferFailureExit);
    const std::string extensions = extensionString();
    for (const char* name : kGlslExtensions)
        if (!mentions(extensions, name))
            stop("No required OpenGL extensions available. \n [GL_ARB_*] - glsl-shaders.", "Error!",
                 MessageIcon::Error, kShaderFailureExit);
    makePlannedWindowTarget();
    createRenderTarget();
}

void stopUnlessFramebufferComplete(unsigned int status) {
    if (status == GL_FRAMEBUFFER_COMPLETE_EXT) return;
    if (status == GL_FRAMEBUFFER_UNSUPPORTED_EXT)
        stop("GL_FRAMEBUFFER_UNSUPPORTED_EXT!", "ERROR", MessageIcon::Warning, kShaderFailureExit);
    requestQuit(kShaderFailureExit);  // any other status ends without a word
}

void GlExtensions::createRenderTarget() {
    genFramebuffers(1, &fbo);
    genRenderbuffers(1, &depthRenderbuffer);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, depthRenderbuffer);
    renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, kRenderTargetSize, kRenderTargetSize);
    // Asked while the window's framebuffer is still bound, before anything is
    // attached: this tells whether the driver can do framebuffers at all.
    stopUnlessFramebufferComplete(checkFramebufferStatus(GL_FRAMEBUFFER_EXT));

    fboColorTexture = makeLinearTexture(GL_CLAMP);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, kRenderTargetSize, kRenderTargetSize, 0, GL_RGB, GL_FLOAT, nullptr);
    bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
}

void bindTextureFBO(unsigned int texture) {
    GlExtensions& x = glExtensions;
    x.bindFramebuffer(GL_FRAMEBUFFER_EXT, x.fbo);
    // Attached again on every call: the texture is the caller's choice.
    x.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, texture, 0);
    x.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, x.depthRenderbuffer);
    glViewport(0, 0, kRenderTargetSize, kRenderTargetSize);
}

namespace {
unsigned int windowTarget = 0;
}  // namespace

void unbindFBO() {
    bindWindowTarget();
    glViewport(0, 0, displayWidth, displayHeight);
}

void bindWindowTarget() { glExtensions.bindFramebuffer(GL_FRAMEBUFFER_EXT, windowTarget); }

bool windowTargetIsOffscreen() { return windowTarget != 0; }

unsigned int makeLinearTexture(unsigned int wrap) {
    unsigned int texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
    return texture;
}

unsigned int makeOffscreenFramebuffer(int width, int height, unsigned int colourTexture, std::string& error) {
    GlExtensions& x = glExtensions;
    unsigned int buffers[2] = {0, 0};  // colour (unless a texture), depth
    x.genRenderbuffers(2, buffers);
    if (!colourTexture) {
        x.bindRenderbuffer(GL_RENDERBUFFER_EXT, buffers[0]);
        x.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    }
    x.bindRenderbuffer(GL_RENDERBUFFER_EXT, buffers[1]);
    x.renderbufferStorage(GL_RENDERBUFFER_EXT, GL_DEPTH_COMPONENT24, width, height);
    unsigned int fbo = 0;
    x.genFramebuffers(1, &fbo);
    x.bindFramebuffer(GL_FRAMEBUFFER_EXT, fbo);
    if (colourTexture)
        x.framebufferTexture2D(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, colourTexture, 0);
    else
        x.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, buffers[0]);
    x.framebufferRenderbuffer(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, buffers[1]);
    if (x.checkFramebufferStatus(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        error = "the driver cannot make an off-screen picture of " + std::to_string(width) + "x" +
                std::to_string(height);
        bindWindowTarget();
        x.deleteFramebuffers(1, &fbo);
        x.deleteRenderbuffers(2, buffers);
        return 0;
    }
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    return fbo;
}

void planOffscreenWindowTarget(int width, int height) { plannedWindowTarget = {width, height}; }

void setWindowTarget(unsigned int framebuffer) {
    windowTarget = framebuffer;
    bindWindowTarget();
}

bool createOffscreenWindowTarget(int width, int height, std::string& error) {
    const unsigned int fbo = makeOffscreenFramebuffer(width, height, 0, error);
    if (fbo) setWindowTarget(fbo);
    return fbo != 0;
}
