// The generator's shader pairs on this GL: every pair compiles and links
// with an empty log and declares exactly the uniforms the scenes set on it,
// and the programs put on screen what the scenes expect of them.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <GL/glu.h>
#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <set>

#include "gfx/gl_state.h"
#include "image/manifest_images.h"
#include "mesh/mesh.h"
#include "shaders/shader_files.h"
#include "support/gl_context.h"

namespace {

std::string readSource(const std::string& name) {
    std::ifstream in(shaderSourceDir() / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string shaderLog(GLuint shader) {
    char log[4096] = "";
    glGetShaderInfoLog(shader, sizeof log, nullptr, log);
    return log;
}

GLuint compile(const std::string& name, GLenum type) {
    const std::string source = readSource(name);
    EXPECT_FALSE(source.empty()) << name;
    const GLuint shader = glCreateShader(type);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_TRUE(ok) << name << ":\n" << shaderLog(shader);
    EXPECT_EQ(shaderLog(shader), "") << name;
    return shader;
}

}  // namespace

TEST(ShaderPrograms, EveryPairLinksCleanlyWithExactlyItsUniforms) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    for (const ShaderPair& pair : shaderPairs()) {
        SCOPED_TRACE(pair.fragment);
        const GLuint vertex = compile(pair.vertex, GL_VERTEX_SHADER);
        const GLuint fragment = compile(pair.fragment, GL_FRAGMENT_SHADER);
        const GLuint program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        GLint ok = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        char log[4096] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        EXPECT_TRUE(ok) << log;
        EXPECT_STREQ(log, "");

        // Every uniform is in use (so a set reaches it) and has its type;
        // built-in state such as gl_LightSource does not count.
        GLint count = 0;
        glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
        std::set<std::string> active;
        for (GLint i = 0; i < count; ++i) {
            char name[256];
            GLint size = 0;
            GLenum type = 0;
            glGetActiveUniform(program, static_cast<GLuint>(i), sizeof name, nullptr, &size, &type, name);
            if (std::string(name).rfind("gl_", 0) == 0) continue;
            active.insert(name);
            EXPECT_EQ(type, std::string(name) == "tex" ? static_cast<GLenum>(GL_SAMPLER_2D) : static_cast<GLenum>(GL_FLOAT))
                << name;
        }
        EXPECT_EQ(active, std::set<std::string>(pair.uniforms.begin(), pair.uniforms.end()));
        glDeleteProgram(program);
        glDeleteShader(vertex);
        glDeleteShader(fragment);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderPrograms, SourcesUseOnlyOldGlslAndFixedFunctionInputs) {
    for (const std::string& name : shaderFileNames()) {
        const std::string source = readSource(name);
        SCOPED_TRACE(name);
        EXPECT_NE(source.find("#version 110"), std::string::npos);
        // No generic vertex attributes are ever set by the program.
        EXPECT_EQ(source.find("attribute"), std::string::npos);
        EXPECT_EQ(source.find('\r'), std::string::npos);
    }
}

namespace {

constexpr int kSize = 64;

GLuint buildProgram(const std::string& fragment, const std::string& vertex) {
    const GLuint program = glCreateProgram();
    for (const auto& [name, type] : {std::pair{vertex, GLenum(GL_VERTEX_SHADER)}, {fragment, GLenum(GL_FRAGMENT_SHADER)}}) {
        const std::string source = readSource(name);
        const char* text = source.c_str();
        const GLuint shader = glCreateShader(type);
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        glAttachShader(program, shader);
    }
    glLinkProgram(program);
    return program;
}

void setFloat(GLuint program, const char* name, float value) { glUniform1f(glGetUniformLocation(program, name), value); }

// A 64 x 64 view of the origin from 5 units away; light 0 and the material
// as the glossy scenes set them. Leaves lighting enabled and the depth test
// on; the caller's program draws.
void setUpLitView() {
    glViewport(0, 0, kSize, kSize);
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45, 1, 0.5, 3000);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const float position[] = {40, 10, 400, 1}, dim[] = {0.2f, 0.2f, 0.2f, 1}, white[] = {1, 1, 1, 1},
                ambient[] = {0.1f, 0.1f, 0.1f, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, position);
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, dim);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, dim);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, white);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 40);
    setGlState({.depthTest = kOn, .lighting = kOn, .light0 = kOn});
    glTranslatef(0, 0, -5);
}

void drawSphere() {
    const Mesh sphere = makeSphere(1.5f, 32, 16);
    glBegin(GL_TRIANGLES);
    for (size_t f = 0; f < sphere.faces.size(); ++f) {
        for (int k = 0; k < 3; ++k) {
            const Point3 p = sphere.vertices[sphere.faces[f][k]];
            const Point2 t = sphere.texVertices[sphere.texFaces[f][k]];
            glNormal3f(p.x / 1.5f, p.y / 1.5f, p.z / 1.5f);
            glTexCoord2f(t.x, 1 - t.y);
            glVertex3f(p.x, p.y, p.z);
        }
    }
    glEnd();
}

std::array<int, 3> pixel(int x, int y) {
    uint8_t rgb[3];
    glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
}

int brightest(int x0, int y0, int x1, int y1) {
    std::vector<uint8_t> rgb(static_cast<size_t>(x1 - x0) * (y1 - y0) * 3);
    glReadPixels(x0, y0, x1 - x0, y1 - y0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    int m = 0;
    for (uint8_t v : rgb) m = std::max<int>(m, v);
    return m;
}

GLuint uploadImage(const char* name) {
    std::string error;
    const Image image = paintManifestImage(name, error);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, image.width, image.height, 0, image.channels == 1 ? GL_LUMINANCE : GL_RGB,
                 GL_UNSIGNED_BYTE, image.pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

}  // namespace

TEST(ShaderRender, LitProgramsShadeAModelUnderTheScenesLight) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    const GLuint ground = uploadImage("ground.jpg");
    struct Case {
        const char* fragment;
        const char* vertex;
        std::vector<std::pair<const char*, float>> uniforms;
    };
    // Uniform values as the scenes send them in a quiet moment.
    const Case cases[] = {
        {"phong.ps", "phong.vs", {{"time", 30000}, {"minus", 340}, {"div", 100}, {"mull", 0.05f}}},
        {"phongdist.ps", "phongdist.vs", {{"time", 90000}, {"minus", 30}, {"div", 35}, {"mull", 0.04f}, {"mul2", 0.995f}}},
        {"phongdist2.ps", "phongdist2.vs",
         {{"time", 210000}, {"minus", 20}, {"div", 4}, {"mull", 0.05f}, {"puls", 0.4f}, {"pulsmul", 4}, {"minus2", 0.99f}}},
        {"equ2.ps", "equ2.vs", {{"time", 30000}, {"minus", 30}, {"div", 35}, {"mull", 0.04f}, {"mul2", 0.995f}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fragment);
        setUpLitView();
        const GLuint program = buildProgram(c.fragment, c.vertex);
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "tex"), 0);
        for (const auto& [name, value] : c.uniforms) setFloat(program, name, value);
        glBindTexture(GL_TEXTURE_2D, ground);
        drawSphere();
        glUseProgram(0);
        setGlState({.lighting = kOff});
        // The highlight faces the light (up and to the right of centre);
        // the corners stay the clear colour.
        EXPECT_GE(brightest(kSize / 2, kSize / 2, kSize - 8, kSize - 8), 120);
        EXPECT_EQ(pixel(0, 0), (std::array<int, 3>{0, 0, 0}));
        glDeleteProgram(program);
    }
    glDeleteTextures(1, &ground);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST(ShaderRender, TileAndFloorProgramsShowTheirTextureInTheGivenColour) {
    if (!ensureGlContext()) GTEST_SKIP() << "no display";
    setUpLitView();
    setGlState({.lighting = kOff});
    const float n = 0.57735026f;
    // A tile top seen from above at an angle, coloured as the opening's
    // blue-green field, under the environment map.
    const GLuint sky = uploadImage("pallo3.jpg");
    const GLuint envmap = buildProgram("envmap.ps", "envmap.vs");
    glUseProgram(envmap);
    glUniform1i(glGetUniformLocation(envmap, "tex"), 0);
    setFloat(envmap, "time", 10);
    setFloat(envmap, "vLoc", -4);
    glRotatef(40, 1, 0, 0);
    glColor3f(0.25f * 0.6f, 0.5f * 0.6f, 0.5f * 0.6f);
    glBegin(GL_QUADS);
    glNormal3f(n, n, -n);
    glVertex3f(1.5f, 0, -1.5f);
    glNormal3f(-n, n, -n);
    glVertex3f(-1.5f, 0, -1.5f);
    glNormal3f(-n, n, n);
    glVertex3f(-1.5f, 0, 1.5f);
    glNormal3f(n, n, n);
    glVertex3f(1.5f, 0, 1.5f);
    glEnd();
    glUseProgram(0);
    const std::array<int, 3> tile = pixel(kSize / 2, kSize / 2);
    EXPECT_GT(tile[1], 40);
    EXPECT_GT(tile[1], tile[0]) << "the field's colour survives the reflection";

    // The ground of the symbols scene: one 3200-unit quad seen from 30 units
    // up. Near the camera the repeated texture shows, far away the haze.
    const GLuint groundTexture = uploadImage("ground.jpg");
    const GLuint floor = buildProgram("envmaptex.ps", "envmaptex.vs");
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0, 30, 0, 200, 0, 100, 0, 1, 0);
    glUseProgram(floor);
    glUniform1i(glGetUniformLocation(floor, "tex"), 0);
    setFloat(floor, "time", 35);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(-1600, 0, -1600);
    glTexCoord2f(1, 0);
    glVertex3f(1600, 0, -1600);
    glTexCoord2f(1, 1);
    glVertex3f(1600, 0, 1600);
    glTexCoord2f(0, 1);
    glVertex3f(-1600, 0, 1600);
    glEnd();
    glUseProgram(0);
    int darkest = 255, lightest = 0;
    for (int x = 0; x < kSize; ++x) {
        const int blue = pixel(x, 0)[2];
        darkest = std::min(darkest, blue);
        lightest = std::max(lightest, blue);
    }
    EXPECT_GT(lightest - darkest, 15) << "the slabs and their joints show in the foreground";
    EXPECT_GE(pixel(kSize / 2, 2)[2], pixel(kSize / 2, 2)[0]) << "grey-blue ground";
    glDeleteProgram(envmap);
    glDeleteProgram(floor);
    const GLuint textures[] = {sky, groundTexture};
    glDeleteTextures(2, textures);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
