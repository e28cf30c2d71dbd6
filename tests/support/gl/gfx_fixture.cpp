#include "support/gl/gfx_fixture.h"

#include <algorithm>
#include <sstream>

#include "gfx/engine.h"
#include "gfx/message_box.h"
#include "support/gl_context.h"

bool ensurePassEngine() {
    if (!ensureGlContext()) return false;
    if (!engine) {
        setMessageBoxesEnabled(false);
        engine = new Engine();
        engine->shaders = std::make_unique<ShaderManager>();
        engine->textures = std::make_unique<TextureManager>();
        glExtensions.load();
        engine->postFx = std::make_unique<PostFx>();
        engine->postFx->init(*engine->textures, GL_LINEAR);
    }
    return true;
}

void fillTexture(GLuint texture, int size, const std::function<Rgb(int, int)>& colour) {
    std::vector<uint8_t> pixels(static_cast<size_t>(size) * size * 3);
    for (int row = 0; row < size; ++row)
        for (int x = 0; x < size; ++x) {
            const Rgb c = colour(x, row);
            uint8_t* p = &pixels[(static_cast<size_t>(row) * size + x) * 3];
            p[0] = static_cast<uint8_t>(c.r);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.b);
        }
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

void fillPicture(const std::function<Rgb(int, int)>& colour) {
    fillTexture(glExtensions.fboColorTexture, kRenderTargetSize, colour);
}

void fillBuffer(int index, int size, const std::function<Rgb(int, int)>& colour) {
    fillTexture(engine->textures->glNames[index], size, colour);
}

Rgb WindowImage::at(int x, int yFromTop) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(height - 1 - yFromTop) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

WindowImage readWindow() {
    WindowImage image;
    image.width = 1024;
    image.height = 768;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    glExtensions.bindFramebuffer(GL_FRAMEBUFFER_EXT, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, image.width, image.height, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

void clearWindow(float r, float g, float b) {
    unbindFBO();
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Rgb TextureImage::at(int x, int row) const {
    const uint8_t* p = &rgb[(static_cast<size_t>(row) * size + x) * 3];
    return {p[0], p[1], p[2]};
}

TextureImage readBuffer(int index) {
    TextureImage image;
    glBindTexture(GL_TEXTURE_2D, engine->textures->glNames[index]);
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    image.size = width;
    image.rgb.resize(static_cast<size_t>(width) * width * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, image.rgb.data());
    return image;
}

GLuint primitivesDrawn(const std::function<void()>& draw) {
    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    draw();
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLuint count = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &query);
    return count;
}

CurrentVertex currentVertex() {
    CurrentVertex v;
    glGetFloatv(GL_CURRENT_COLOR, v.colour);
    glGetFloatv(GL_CURRENT_NORMAL, v.normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, v.texCoord);
    return v;
}

std::string vertexDifferences(const CurrentVertex& a, const CurrentVertex& b) {
    std::ostringstream out;
    auto compare = [&](const char* name, const float* x, const float* y, int n) {
        if (std::equal(x, x + n, y)) return;
        out << name << " (";
        for (int i = 0; i < n; ++i) out << (i ? ", " : "") << x[i];
        out << ") against (";
        for (int i = 0; i < n; ++i) out << (i ? ", " : "") << y[i];
        out << ") ";
    };
    compare("colour", a.colour, b.colour, 4);
    compare("normal", a.normal, b.normal, 3);
    compare("texture coordinate", a.texCoord, b.texCoord, 4);
    return out.str();
}
