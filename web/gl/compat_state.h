// Inside the GL compatibility layer (gl_compat.h): the state it keeps for
// GL, shared by its files. Not for the program.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>
#include <webgl/webgl1.h>
#include <webgl/webgl2.h>

#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace glcompat {

using Matrix = std::array<float, 16>;  // column-major, as GL keeps it

constexpr Matrix kIdentity = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// The product a * b, summed in the order Mesa sums it.
Matrix multiply(const Matrix& a, const Matrix& b);
// b transforms the column vector v; w included.
void transform(const Matrix& m, const float (&v)[4], float (&out)[4]);

// One vertex as the draws send it; also the layout of the vertex buffer.
struct Vertex {
    float position[4];
    float normal[3];
    float colour[4];
    float texCoord[2];
};

// Vertex attribute locations, the same in every program the layer links.
enum Attribute : GLuint { kPosition = 0, kNormal = 1, kColour = 2, kTexCoord = 3 };

// How the pending vertices were sent, which says how they are drawn.
enum class Batch : uint8_t {
    None,
    Eye,     // no program: positions and normals in eye space
    Clip,    // no program: a wide or smooth line's quads, in clip space
    Object,  // under the program's own shaders: as sent
};

struct Light {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {1, 1, 1, 1};
    float specular[4] = {1, 1, 1, 1};
    float position[4] = {0, 0, 1, 0};  // eye space, as glLightfv left it
};

struct Material {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

// What glPushAttrib saves, grouped as its bits group it. The defaults are
// GL's initial state.
struct Attribs {
    // GL_CURRENT_BIT
    float colour[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texCoord[2] = {0, 0};
    // GL_ENABLE_BIT: those WebGL has...
    bool depthTest = false;
    bool cullFace = false;
    bool blend = false;
    bool scissorTest = false;
    bool dither = true;
    // ...and those the layer does itself.
    bool texture2D = false;
    bool lighting = false;
    bool light0 = false;
    bool lineSmooth = false;
    bool fog = false;             // never drawn with: noted once
    bool alphaTest = false;       // likewise
    bool colourMaterial = false;  // likewise
    bool normalize = false;
    // GL_COLOR_BUFFER_BIT
    GLenum blendSource = GL_ONE;
    GLenum blendDestination = GL_ZERO;
    bool colourMask[4] = {true, true, true, true};
    float clearColour[4] = {0, 0, 0, 0};
    // GL_DEPTH_BUFFER_BIT
    bool depthMask = true;
    GLenum depthFunc = GL_LESS;
    // GL_VIEWPORT_BIT, GL_SCISSOR_BIT
    int viewport[4] = {0, 0, 0, 0};
    int scissor[4] = {0, 0, 0, 0};
    // GL_LINE_BIT
    float lineWidth = 1;
    // GL_POLYGON_BIT
    GLenum cullFaceMode = GL_BACK;
    GLenum frontFace = GL_CCW;
    // GL_LIGHTING_BIT
    Light light0Params;
    Material front;
    Material back;
    float modelAmbient[4] = {0.2f, 0.2f, 0.2f, 1};
    // GL_TRANSFORM_BIT
    GLenum matrixMode = GL_MODELVIEW;
    // GL_TEXTURE_BIT: unit 0's binding
    GLuint texture = 0;
};

struct PushedAttribs {
    GLbitfield mask;
    Attribs saved;
};

struct TextureInfo {
    int width = 0;
    int height = 0;
    bool clampS = false;  // GL_CLAMP: a border of zeros takes part in linear sampling
    bool clampT = false;
};

// The layer's uniforms in a program it linked (-1 where the program does
// not use one), and what was last set there.
struct ProgramInfo {
    GLint modelview = -1;
    GLint projection = -1;
    GLint modelviewProjection = -1;
    GLint normalMatrix = -1;
    GLint lightAmbient = -1, lightDiffuse = -1, lightSpecular = -1, lightPosition = -1, lightHalfVector = -1;
    GLint frontAmbient = -1, frontDiffuse = -1, frontSpecular = -1, frontEmission = -1, frontShininess = -1;
    GLint backAmbient = -1, backDiffuse = -1, backSpecular = -1, backEmission = -1, backShininess = -1;
    GLint modelAmbient = -1;
    // The fixed-function programs' own.
    GLint texture = -1;
    GLint borderSize = -1;
    GLint lineHalfWidth = -1;
    GLint light0On = -1;
    uint64_t matricesSet = 0;  // State::matrixSerial when last set; 0 never
    uint64_t lightingSet = 0;  // State::lightingSerial likewise
};

struct State {
    Attribs a;
    std::vector<PushedAttribs> attribStack;

    std::vector<Matrix> stacks[3];  // modelview, projection, texture
    int stack = 0;                  // the current one
    uint64_t matrixSerial = 1;      // counts changes to any of the three
    uint64_t lightingSerial = 1;    // counts changes to light 0 and the materials

    // glBegin ... glEnd
    GLenum primitive = 0;  // 0 outside
    Vertex corners[4];
    int cornerCount = 0;
    Matrix eyeMatrix;       // modelview while Batch::Eye vertices are sent
    float normalMatrix[9];  // its normal matrix, for lighting
    bool lightingThisBegin = false;

    std::vector<Vertex> batch;
    Batch batchKind = Batch::None;
    GLenum batchMode = GL_TRIANGLES;  // or GL_LINES

    GLuint userProgram = 0;   // what the program made current
    GLuint boundProgram = 0;  // what WebGL has bound
    std::unordered_map<GLuint, ProgramInfo> programs;
    std::unordered_map<uint32_t, GLuint> fixedPrograms;     // by variant bits
    std::unordered_map<GLuint, std::string> shaderSources;  // as the program gave them

    std::unordered_map<GLuint, TextureInfo> textures;
    GLuint framebuffer = 0;
    GLuint vertexBuffer = 0;
    GLuint vertexArray = 0;
    size_t vertexBufferBytes = 0;

    GLenum error = GL_NO_ERROR;  // the layer's own, before WebGL's
    std::string extensions;
    int maxTextureSize = 0;
};

State& state();

// Records a GL error, as GL does: the first one stays until read.
void setError(GLenum error);
// Draws the pending vertices, if any. Everything that changes what a draw
// depends on calls it first.
void flush();
// The current matrix of stack i (0 modelview, 1 projection, 2 texture).
const Matrix& top(int i);
// The normal matrix of m: the inverse transpose of its upper 3x3.
void normalMatrixOf(const Matrix& m, float (&out)[9]);

// Makes program current in WebGL, if it is not.
void bindProgram(GLuint program);
// The layer's uniforms of program, set to the current state where it has
// changed since they were last set.
void setBuiltinUniforms(GLuint program, ProgramInfo& info);
// The fixed-function program for the current switches and batch kind.
GLuint fixedProgram(Batch kind, ProgramInfo*& info);
// Looks up the layer's uniforms in a program just linked.
ProgramInfo findBuiltinUniforms(GLuint program);
// Binds the layer's attribute names to their locations before a link.
void bindAttributeLocations(GLuint program);

// The texture bound to unit 0, with its image; null for none or an empty one.
const TextureInfo* boundTextureImage();

}  // namespace glcompat
