// Programs: the program's GLSL 1.10 shaders rewritten for WebGL 2 as they
// are given, the fixed-function programs the layer writes itself, and the
// built-in uniforms of both, set before each draw.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "compat_state.h"

using namespace glcompat;

namespace {

// --- Rewriting GLSL 1.10 for GLSL ES 3.00 ----------------------------------

// The declarations of the layer's stand-ins for GL's built-ins, each added
// to a shader that names it.
struct Builtin {
    const char* glName;       // as GLSL 1.10 names it
    const char* name;         // the layer's
    const char* declaration;  // what the shader needs to use it ("" for none)
    bool vertexOnly;
};

constexpr const char* kLightStruct =
    "struct ag_LightSourceParameters { vec4 ambient; vec4 diffuse; vec4 specular; vec4 position; vec4 halfVector; };\n";
constexpr const char* kMaterialStruct =
    "struct ag_MaterialParameters { vec4 emission; vec4 ambient; vec4 diffuse; vec4 specular; float shininess; };\n";

constexpr Builtin kBuiltins[] = {
    {"gl_Vertex", "ag_Vertex", "in vec4 ag_Vertex;\n", true},
    {"gl_Normal", "ag_Normal", "in vec3 ag_Normal;\n", true},
    {"gl_Color", "ag_Color", "in vec4 ag_Color;\n", true},
    {"gl_MultiTexCoord0", "ag_MultiTexCoord0", "in vec4 ag_MultiTexCoord0;\n", true},
    {"gl_ModelViewMatrix", "ag_ModelViewMatrix", "uniform mat4 ag_ModelViewMatrix;\n", false},
    {"gl_ProjectionMatrix", "ag_ProjectionMatrix", "uniform mat4 ag_ProjectionMatrix;\n", false},
    {"gl_ModelViewProjectionMatrix", "ag_ModelViewProjectionMatrix", "uniform mat4 ag_ModelViewProjectionMatrix;\n",
     false},
    {"gl_NormalMatrix", "ag_NormalMatrix", "uniform mat3 ag_NormalMatrix;\n", false},
    {"gl_LightSource", "ag_LightSource", "uniform ag_LightSourceParameters ag_LightSource[1];\n", false},
    {"gl_FrontMaterial", "ag_FrontMaterial", "uniform ag_MaterialParameters ag_FrontMaterial;\n", false},
    {"gl_BackMaterial", "ag_BackMaterial", "uniform ag_MaterialParameters ag_BackMaterial;\n", false},
    {"gl_LightModel", "ag_LightModel",
     "struct ag_LightModelParameters { vec4 ambient; };\n"
     "uniform ag_LightModelParameters ag_LightModel;\n",
     false},
    {"ftransform", "ag_ftransform", "", true},  // declared after the matrices it uses
    {"gl_FragColor", "ag_FragColor", "out vec4 ag_FragColor;\n", false},
    {"texture2D", "texture", "", false},
};

// GLSL ES 3.00's own, which keep their names.
constexpr const char* kKept[] = {"gl_Position",   "gl_PointSize", "gl_FragCoord", "gl_FrontFacing",
                                 "gl_PointCoord", "gl_FragDepth", "gl_VertexID",  "gl_InstanceID"};

bool identifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// source with GL's built-ins renamed to the layer's and "varying" and
// "attribute" made "in" or "out"; the names used go into used. The
// "#version" line is blanked, so that line numbers in logs stay the file's.
std::string renamed(const std::string& source, bool vertex, bool (&used)[std::size(kBuiltins)]) {
    std::string out;
    out.reserve(source.size() + 64);
    size_t i = 0;
    bool lineStart = true;
    while (i < source.size()) {
        const char c = source[i];
        if (c == '/' && i + 1 < source.size() && (source[i + 1] == '/' || source[i + 1] == '*')) {
            const bool line = source[i + 1] == '/';
            const size_t end = line ? source.find('\n', i) : source.find("*/", i + 2);
            const size_t stop = end == std::string::npos ? source.size() : line ? end : end + 2;
            out.append(source, i, stop - i);
            i = stop;
            continue;
        }
        if (c == '#' && lineStart && source.compare(i, 8, "#version") == 0) {
            const size_t end = source.find('\n', i);
            i = end == std::string::npos ? source.size() : end;
            continue;
        }
        if (c == '\n')
            lineStart = true;
        else if (!std::isspace(static_cast<unsigned char>(c)))
            lineStart = false;
        if (!identifierChar(c) || (i > 0 && identifierChar(source[i - 1]))) {
            out += c;
            ++i;
            continue;
        }
        size_t end = i;
        while (end < source.size() && identifierChar(source[end])) ++end;
        const std::string word = source.substr(i, end - i);
        i = end;
        if (word == "varying") {
            out += vertex ? "out" : "in";
            continue;
        }
        if (word == "attribute") {
            out += "in";
            continue;
        }
        bool mapped = false;
        for (size_t b = 0; b < std::size(kBuiltins); ++b) {
            if (word != kBuiltins[b].glName) continue;
            used[b] = true;
            out += kBuiltins[b].name;
            mapped = true;
            if (kBuiltins[b].vertexOnly && !vertex)
                std::fprintf(stderr, "afterglow: a fragment shader names %s, which only a vertex shader has\n",
                             word.c_str());
        }
        if (mapped) continue;
        if (word.compare(0, 3, "gl_") == 0) {
            bool kept = false;
            for (const char* k : kKept) kept = kept || word == k;
            if (!kept)
                std::fprintf(stderr, "afterglow: a shader names %s, which the web build does not give (yet)\n",
                             word.c_str());
        }
        out += word;
    }
    return out;
}

std::string rewriteShader(const std::string& source, bool vertex) {
    bool used[std::size(kBuiltins)] = {};
    const std::string body = renamed(source, vertex, used);
    auto isUsed = [&](const char* glName) {
        for (size_t b = 0; b < std::size(kBuiltins); ++b)
            if (used[b] && std::strcmp(kBuiltins[b].glName, glName) == 0) return true;
        return false;
    };
    if (isUsed("ftransform")) {
        for (size_t b = 0; b < std::size(kBuiltins); ++b)
            if (!std::strcmp(kBuiltins[b].glName, "gl_Vertex") ||
                !std::strcmp(kBuiltins[b].glName, "gl_ModelViewProjectionMatrix"))
                used[b] = true;
    }
    std::string header = "#version 300 es\nprecision highp float;\nprecision highp int;\nprecision highp sampler2D;\n";
    if (isUsed("gl_LightSource")) header += kLightStruct;
    if (isUsed("gl_FrontMaterial") || isUsed("gl_BackMaterial")) header += kMaterialStruct;
    for (size_t b = 0; b < std::size(kBuiltins); ++b)
        if (used[b]) header += kBuiltins[b].declaration;
    if (isUsed("ftransform")) header += "vec4 ag_ftransform() { return ag_ModelViewProjectionMatrix * ag_Vertex; }\n";
    return header + "#line 1\n" + body;
}

// --- The fixed-function programs -------------------------------------------

enum FixedVariant : uint32_t {
    kTextured = 1u << 0,  // modulated by unit 0's texture
    kLit = 1u << 1,       // light 0 and the material instead of the colour
    kClip = 1u << 2,      // positions already in clip space (a line's quad)
    kSmooth = 1u << 3,    // a smooth line's edges faded by coverage
};

std::string fixedVertexShader(uint32_t variant) {
    std::string s = "#version 300 es\nprecision highp float;\n";
    s += "in vec4 ag_Vertex;\nin vec3 ag_Normal;\nin vec4 ag_Color;\nin vec4 ag_MultiTexCoord0;\n";
    s += "out vec4 colour;\nout vec2 texCoord;\n";
    if (!(variant & kClip)) s += "uniform mat4 ag_ProjectionMatrix;\n";
    if (variant & kLit) {
        s += kLightStruct;
        s += kMaterialStruct;
        s += "uniform ag_LightSourceParameters ag_LightSource[1];\nuniform ag_MaterialParameters ag_FrontMaterial;\n"
             "struct ag_LightModelParameters { vec4 ambient; };\nuniform ag_LightModelParameters ag_LightModel;\n"
             "uniform bool ag_Light0;\n";
    }
    s += "void main() {\n";
    s += (variant & kClip) ? "  gl_Position = ag_Vertex;\n" : "  gl_Position = ag_ProjectionMatrix * ag_Vertex;\n";
    if (variant & kLit) {
        // GL's lighting without a local viewer, spot or attenuation, which
        // the program never sets; the normal as sent (GL_NORMALIZE off).
        s += "  vec4 c = ag_FrontMaterial.emission + ag_LightModel.ambient * ag_FrontMaterial.ambient;\n"
             "  if (ag_Light0) {\n"
             "    vec4 lp = ag_LightSource[0].position;\n"
             "    vec3 l = normalize(lp.w == 0.0 ? lp.xyz : lp.xyz - ag_Vertex.xyz / ag_Vertex.w);\n"
             "    float nl = max(dot(ag_Normal, l), 0.0);\n"
             "    vec3 h = normalize(l + vec3(0.0, 0.0, 1.0));\n"
             "    float sp = nl > 0.0 ? pow(max(dot(ag_Normal, h), 0.0), ag_FrontMaterial.shininess) : 0.0;\n"
             "    c += ag_LightSource[0].ambient * ag_FrontMaterial.ambient\n"
             "       + nl * ag_LightSource[0].diffuse * ag_FrontMaterial.diffuse\n"
             "       + sp * ag_LightSource[0].specular * ag_FrontMaterial.specular;\n"
             "  }\n"
             "  c.a = ag_FrontMaterial.diffuse.a;\n"
             "  colour = clamp(c, 0.0, 1.0);\n";
    } else {
        s += "  colour = clamp(ag_Color, 0.0, 1.0);\n";
    }
    s += "  texCoord = ag_MultiTexCoord0.st;\n}\n";
    return s;
}

std::string fixedFragmentShader(uint32_t variant) {
    std::string s = "#version 300 es\nprecision highp float;\nprecision highp sampler2D;\n";
    s += "in vec4 colour;\nin vec2 texCoord;\nout vec4 ag_FragColor;\n";
    if (variant & kTextured) s += "uniform sampler2D ag_Texture;\nuniform vec2 ag_BorderSize;\n";
    if (variant & kSmooth) s += "uniform float ag_LineHalfWidth;\n";
    s += "void main() {\n  vec4 c = colour;\n";
    if (variant & kTextured) {
        // GL_CLAMP: a linear sample near the edge takes a share of the
        // border (zero), which clamping to the edge does not: that share is
        // taken off here, axis by axis (ag_BorderSize is the texture's size
        // on an axis that clamps, 0 on one that does not).
        s += "  vec4 t = texture(ag_Texture, texCoord);\n"
             "  vec2 at = clamp(texCoord, 0.0, 1.0) * ag_BorderSize;\n"
             "  if (ag_BorderSize.x > 0.0) t *= min(1.0, min(at.x, ag_BorderSize.x - at.x) + 0.5);\n"
             "  if (ag_BorderSize.y > 0.0) t *= min(1.0, min(at.y, ag_BorderSize.y - at.y) + 0.5);\n"
             "  c *= t;\n";
    }
    if (variant & kSmooth) s += "  c.a *= clamp(ag_LineHalfWidth + 0.5 - abs(texCoord.s), 0.0, 1.0);\n";
    s += "  ag_FragColor = c;\n}\n";
    return s;
}

GLuint compiled(GLenum type, const std::string& source) {
    const GLuint shader = emscripten_glCreateShader(type);
    const char* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = GL_FALSE;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "afterglow: the GL layer's own shader does not compile: %s\n%s\n", log, text);
    }
    return shader;
}

uint32_t fixedVariant(Batch kind) {
    const Attribs& a = state().a;
    uint32_t v = 0;
    if (a.texture2D && boundTextureImage()) v |= kTextured;
    if (kind == Batch::Clip)
        v |= kClip | (a.lineSmooth ? kSmooth : 0);
    else if (a.lighting)
        v |= kLit;
    if (a.fog || a.alphaTest || a.colourMaterial) {
        static bool told = false;
        if (!told)
            std::fprintf(stderr, "afterglow: fog, alpha test and colour material are not drawn in the web build\n");
        told = true;
    }
    return v;
}

void setVector(GLint location, const float* v) {
    if (location >= 0) emscripten_glUniform4fv(location, 1, v);
}

void setFloat(GLint location, float v) {
    if (location >= 0) emscripten_glUniform1f(location, v);
}

void setMaterial(const Material& m, GLint ambient, GLint diffuse, GLint specular, GLint emission, GLint shininess) {
    setVector(ambient, m.ambient);
    setVector(diffuse, m.diffuse);
    setVector(specular, m.specular);
    setVector(emission, m.emission);
    setFloat(shininess, m.shininess);
}

GLint uniform(GLuint program, const char* name) { return emscripten_glGetUniformLocation(program, name); }

}  // namespace

namespace glcompat {

void bindProgram(GLuint program) {
    State& s = state();
    if (s.boundProgram == program) return;
    emscripten_glUseProgram(program);
    s.boundProgram = program;
}

void bindAttributeLocations(GLuint program) {
    emscripten_glBindAttribLocation(program, kPosition, "ag_Vertex");
    emscripten_glBindAttribLocation(program, kNormal, "ag_Normal");
    emscripten_glBindAttribLocation(program, kColour, "ag_Color");
    emscripten_glBindAttribLocation(program, kTexCoord, "ag_MultiTexCoord0");
}

ProgramInfo findBuiltinUniforms(GLuint p) {
    ProgramInfo i;
    i.modelview = uniform(p, "ag_ModelViewMatrix");
    i.projection = uniform(p, "ag_ProjectionMatrix");
    i.modelviewProjection = uniform(p, "ag_ModelViewProjectionMatrix");
    i.normalMatrix = uniform(p, "ag_NormalMatrix");
    i.lightAmbient = uniform(p, "ag_LightSource[0].ambient");
    i.lightDiffuse = uniform(p, "ag_LightSource[0].diffuse");
    i.lightSpecular = uniform(p, "ag_LightSource[0].specular");
    i.lightPosition = uniform(p, "ag_LightSource[0].position");
    i.lightHalfVector = uniform(p, "ag_LightSource[0].halfVector");
    i.frontAmbient = uniform(p, "ag_FrontMaterial.ambient");
    i.frontDiffuse = uniform(p, "ag_FrontMaterial.diffuse");
    i.frontSpecular = uniform(p, "ag_FrontMaterial.specular");
    i.frontEmission = uniform(p, "ag_FrontMaterial.emission");
    i.frontShininess = uniform(p, "ag_FrontMaterial.shininess");
    i.backAmbient = uniform(p, "ag_BackMaterial.ambient");
    i.backDiffuse = uniform(p, "ag_BackMaterial.diffuse");
    i.backSpecular = uniform(p, "ag_BackMaterial.specular");
    i.backEmission = uniform(p, "ag_BackMaterial.emission");
    i.backShininess = uniform(p, "ag_BackMaterial.shininess");
    i.modelAmbient = uniform(p, "ag_LightModel.ambient");
    i.texture = uniform(p, "ag_Texture");
    i.borderSize = uniform(p, "ag_BorderSize");
    i.lineHalfWidth = uniform(p, "ag_LineHalfWidth");
    i.light0On = uniform(p, "ag_Light0");
    return i;
}

void setBuiltinUniforms(GLuint program, ProgramInfo& i) {
    State& s = state();
    (void)program;
    if (i.matricesSet != s.matrixSerial) {
        const Matrix& modelview = top(0);
        const Matrix& projection = top(1);
        if (i.modelview >= 0) emscripten_glUniformMatrix4fv(i.modelview, 1, GL_FALSE, modelview.data());
        if (i.projection >= 0) emscripten_glUniformMatrix4fv(i.projection, 1, GL_FALSE, projection.data());
        if (i.modelviewProjection >= 0) {
            const Matrix mvp = multiply(projection, modelview);
            emscripten_glUniformMatrix4fv(i.modelviewProjection, 1, GL_FALSE, mvp.data());
        }
        if (i.normalMatrix >= 0) {
            float n[9];
            normalMatrixOf(modelview, n);
            emscripten_glUniformMatrix3fv(i.normalMatrix, 1, GL_FALSE, n);
        }
        i.matricesSet = s.matrixSerial;
    }
    if (i.lightingSet != s.lightingSerial) {
        const Light& l = s.a.light0Params;
        setVector(i.lightAmbient, l.ambient);
        setVector(i.lightDiffuse, l.diffuse);
        setVector(i.lightSpecular, l.specular);
        setVector(i.lightPosition, l.position);
        if (i.lightHalfVector >= 0) {
            // For a light at infinity and no local viewer: the direction
            // halfway between the light's and the eye's (0, 0, 1).
            float h[4] = {l.position[0], l.position[1], l.position[2] + 1.0f, 1.0f};
            const float length = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
            if (length > 0.0f) h[0] /= length, h[1] /= length, h[2] /= length;
            setVector(i.lightHalfVector, h);
        }
        setMaterial(s.a.front, i.frontAmbient, i.frontDiffuse, i.frontSpecular, i.frontEmission, i.frontShininess);
        setMaterial(s.a.back, i.backAmbient, i.backDiffuse, i.backSpecular, i.backEmission, i.backShininess);
        setVector(i.modelAmbient, s.a.modelAmbient);
        if (i.light0On >= 0) emscripten_glUniform1i(i.light0On, s.a.light0 ? 1 : 0);
        i.lightingSet = s.lightingSerial;
    }
    if (i.borderSize >= 0) {
        const TextureInfo* t = boundTextureImage();
        const float size[2] = {t && t->clampS ? static_cast<float>(t->width) : 0.0f,
                               t && t->clampT ? static_cast<float>(t->height) : 0.0f};
        emscripten_glUniform2fv(i.borderSize, 1, size);
    }
    if (i.lineHalfWidth >= 0) emscripten_glUniform1f(i.lineHalfWidth, 0.5f * s.a.lineWidth);
}

GLuint fixedProgram(Batch kind, ProgramInfo*& info) {
    State& s = state();
    const uint32_t variant = fixedVariant(kind);
    auto found = s.fixedPrograms.find(variant);
    GLuint program = 0;
    if (found != s.fixedPrograms.end()) {
        program = found->second;
    } else {
        program = emscripten_glCreateProgram();
        const GLuint vertex = compiled(GL_VERTEX_SHADER, fixedVertexShader(variant));
        const GLuint fragment = compiled(GL_FRAGMENT_SHADER, fixedFragmentShader(variant));
        emscripten_glAttachShader(program, vertex);
        emscripten_glAttachShader(program, fragment);
        bindAttributeLocations(program);
        emscripten_glLinkProgram(program);
        emscripten_glDeleteShader(vertex);
        emscripten_glDeleteShader(fragment);
        s.fixedPrograms[variant] = program;
        ProgramInfo i = findBuiltinUniforms(program);
        if (i.texture >= 0) {
            bindProgram(program);
            emscripten_glUniform1i(i.texture, 0);
        }
        s.programs[program] = i;
    }
    info = &s.programs[program];
    return program;
}

}  // namespace glcompat

extern "C" {

void glShaderSource(GLuint shader, GLsizei count, const GLchar* const* strings, const GLint* lengths) {
    std::string source;
    for (GLsizei i = 0; i < count; ++i) {
        if (!strings[i]) continue;
        if (lengths && lengths[i] >= 0)
            source.append(strings[i], static_cast<size_t>(lengths[i]));
        else
            source.append(strings[i]);
    }
    GLint type = 0;
    emscripten_glGetShaderiv(shader, GL_SHADER_TYPE, &type);
    state().shaderSources[shader] = source;
    const std::string rewritten = rewriteShader(source, type == GL_VERTEX_SHADER);
    const char* text = rewritten.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
}

// The source as the program gave it, not as WebGL compiles it.
void glGetShaderSource(GLuint shader, GLsizei bufSize, GLsizei* length, GLchar* source) {
    const auto found = state().shaderSources.find(shader);
    const std::string text = found == state().shaderSources.end() ? std::string() : found->second;
    const size_t n = bufSize > 0 ? std::min(text.size(), static_cast<size_t>(bufSize) - 1) : 0;
    if (bufSize > 0) {
        std::memcpy(source, text.data(), n);
        source[n] = '\0';
    }
    if (length) *length = static_cast<GLsizei>(n);
}

void glGetShaderiv(GLuint shader, GLenum pname, GLint* params) {
    if (pname == GL_SHADER_SOURCE_LENGTH) {
        const auto found = state().shaderSources.find(shader);
        *params = found == state().shaderSources.end() ? 0 : static_cast<GLint>(found->second.size() + 1);
        return;
    }
    emscripten_glGetShaderiv(shader, pname, params);
}

void glDeleteShader(GLuint shader) {
    state().shaderSources.erase(shader);
    emscripten_glDeleteShader(shader);
}

void glLinkProgram(GLuint program) {
    flush();
    bindAttributeLocations(program);
    emscripten_glLinkProgram(program);
    GLint linked = GL_FALSE;
    emscripten_glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked)
        state().programs[program] = findBuiltinUniforms(program);
    else
        state().programs.erase(program);
}

void glDeleteProgram(GLuint program) {
    State& s = state();
    if (s.userProgram == program) flush();
    s.programs.erase(program);
    emscripten_glDeleteProgram(program);
    if (s.boundProgram == program) s.boundProgram = 0;
}

void glUseProgram(GLuint program) {
    State& s = state();
    if (s.userProgram == program) return;
    flush();
    s.userProgram = program;
    if (program) bindProgram(program);
}

void glUniform1f(GLint location, GLfloat v) {
    State& s = state();
    if (!s.userProgram) return setError(GL_INVALID_OPERATION);
    flush();
    bindProgram(s.userProgram);
    emscripten_glUniform1f(location, v);
}

void glUniform1i(GLint location, GLint v) {
    State& s = state();
    if (!s.userProgram) return setError(GL_INVALID_OPERATION);
    flush();
    bindProgram(s.userProgram);
    emscripten_glUniform1i(location, v);
}

}  // extern "C"
