#include "assets/ase_model.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "assets/ase_text.h"
#include "assets/data_file.h"
#include "assets/data_folders.h"

namespace {

constexpr int kGlLinear = 0x2601;  // GL_LINEAR, without pulling in GL here

// Counts the objects (to size the mesh list) and the lines: no list in the
// file can honestly hold more rows than that, so larger counts are cut to
// it before anything is allocated for them.
struct FileSurvey {
    size_t geomObjects = 0;
    uint32_t lines = 0;
};

FileSurvey surveyFile(AseText& text) {
    FileSurvey survey;
    char line[kAseLineSize];
    while (readLine(text, line)) {
        splitLine(line);
        if (wordIs(0, "*GEOMOBJECT")) survey.geomObjects += 1;
        if (survey.lines < UINT32_MAX) survey.lines += 1;
    }
    return survey;
}

class ModelReader {
public:
    ModelReader(AseModel& model, AseText& text, uint32_t maxRows, ModelTextures* textures)
        : model_(model), text_(text), maxRows_(maxRows), textures_(textures) {}

    // Returns what was found wrong, or nothing.
    std::string read() {
        while (next()) {
            materialList();
            if (wordIs(0, "*GEOMOBJECT")) geomObject();
        }
        return problems_;
    }

private:
    bool next() {
        if (!readLine(text_, line_)) return false;
        splitLine(line_);
        return true;
    }

    void problem(const std::string& text) { problems_ += (problems_.empty() ? "" : "; ") + text; }

    // A list that announced more rows than the file has left.
    void cutList(const char* what, const AseMesh& mesh) {
        problem(std::string("the ") + what + " list of object " + (mesh.nodeName[0] ? mesh.nodeName : "(unnamed)") +
                " runs past the end of the file");
    }

    // A count from the file, made safe to allocate: negative counts mean an
    // empty list, and no list is longer than the file has lines.
    uint32_t count(int index) const {
        const int32_t value = wordInt(index);
        if (value < 0) return 0;
        return static_cast<uint32_t>(value) < maxRows_ ? static_cast<uint32_t>(value) : maxRows_;
    }

    void materialList() {
        if (!wordIs(0, "*MATERIAL_COUNT")) return;
        const int32_t materialCount = wordInt(1);
        int32_t current = -1;
        if (materialCount <= -1) return;
        do {
            if (!next()) return;
            if (wordIs(0, "*GEOMOBJECT")) return;
            if (wordIs(0, "*MATERIAL")) {
                model_.materials.push_back(std::make_unique<AseMaterial>());
                current += 1;
            }
            if (wordIs(0, "*BITMAP") && current >= 0) {
                // Every bitmap of the material's block, sub-materials and
                // map kinds alike, overwrites the one before.
                char name[kAseWordSize];
                aseBitmapFileName(lineWords[1], name);
                model_.materials.back()->textureIndex =
                    textures_ && name[0] ? textures_->load(name, kGlLinear) : -1;
            }
        } while (current < materialCount);
    }

    void geomObject() {
        std::fputs("loading geomObject", aseProgressOut);
        model_.meshes.push_back(std::make_unique<AseMesh>());
        AseMesh& mesh = *model_.meshes.back();
        // Without a *MATERIAL_REF the object never ends: the following
        // objects' lines fill this same mesh.
        while (next()) {
            if (wordIs(0, "*MESH_NUMVERTEX")) {
                mesh.numVertex = count(1);
                mesh.vertices.assign(mesh.numVertex, Vec3{});
            }
            if (wordIs(0, "*NODE_NAME")) std::snprintf(mesh.nodeName, sizeof mesh.nodeName, "%s", lineWords[1]);
            if (wordIs(0, "*TM_POS")) mesh.nodePos = {wordFloat(1), wordFloat(3), -wordFloat(2)};
            if (wordIs(0, "*TM_ROTAXIS")) mesh.rotAxis = {wordFloat(1), wordFloat(2), wordFloat(3)};
            if (wordIs(0, "*TM_ROTANGLE")) mesh.rotAngle = wordFloat(1);
            if (wordIs(0, "*MESH_NUMFACES")) {
                mesh.numFaces = count(1);
                mesh.faces.assign(mesh.numFaces, FaceIndices{});
            }
            if (wordIs(0, "*MESH_NUMTVFACES")) {
                mesh.numTVFaces = count(1);
                mesh.tfaces.assign(mesh.numTVFaces, FaceIndices{});
            }
            if (wordIs(0, "*MESH_NUMTVERTEX")) {
                mesh.numTVertex = count(1);
                mesh.texcoords.assign(mesh.numTVertex, TexCoord{});
            }
            if (wordIs(0, "*MESH_VERTEX_LIST")) {
                for (Vec3& v : mesh.vertices) {
                    if (!next()) return cutList("vertex", mesh);
                    v = {wordFloat(2) - mesh.nodePos.x, wordFloat(4) - mesh.nodePos.y,
                         -wordFloat(3) - mesh.nodePos.z};
                }
            }
            if (wordIs(0, "*MESH_FACE_LIST")) {
                // "*MESH_FACE 0: A: 1 B: 2 C: 3 ...": the indices sit after
                // the A:, B: and C: labels.
                static constexpr int targets[] = {-1, -1, -1, 0, -1, 1, -1, 2};
                for (FaceIndices& face : mesh.faces) {
                    if (!readLine(text_, line_)) return cutList("face", mesh);
                    scanWords(line_, targets, 8);
                    face = {wordInt(0), wordInt(1), wordInt(2)};
                }
            }
            if (wordIs(0, "*MESH_TVERTLIST")) {
                for (TexCoord& t : mesh.texcoords) {
                    if (!readLine(text_, line_)) return cutList("texture vertex", mesh);
                    splitLine8(line_);
                    // Images are uploaded top row first.
                    t = {wordFloat(2), 1.0f - wordFloat(3)};
                }
            }
            if (wordIs(0, "*MESH_TFACELIST")) {
                for (FaceIndices& face : mesh.tfaces) {
                    if (!readLine(text_, line_)) return cutList("texture face", mesh);
                    splitLine8(line_);
                    face = {wordInt(2), wordInt(3), wordInt(4)};
                }
            }
            if (wordIs(0, "*MATERIAL_REF")) {
                mesh.materialRef = wordInt(1);
                return;
            }
        }
    }

    AseModel& model_;
    AseText& text_;
    uint32_t maxRows_;
    ModelTextures* textures_;
    char line_[kAseLineSize] = {};
    std::string problems_;
};

// Faces whose corners are not in the vertex list are never drawn; a file
// made by an exporter has none.
std::string faceProblems(const AseModel& model, size_t firstMesh) {
    size_t bad = 0;
    for (size_t m = firstMesh; m < model.meshes.size(); ++m)
        for (uint32_t f = 0; f < model.meshes[m]->faces.size(); ++f)
            if (!model.meshes[m]->faceIsValid(f)) ++bad;
    if (bad == 0) return {};
    return bad == 1 ? "1 face points outside its vertex list and is not drawn"
                    : std::to_string(bad) + " faces point outside their vertex lists and are not drawn";
}

}  // namespace

void AseModel::load(const char* path, ModelTextures* textureManager) {
    textures = textureManager;
    if (const std::shared_ptr<const AseFile> file = openAseFile(path)) load(*file, path, textureManager);
}

void AseModel::load(const AseFile& file, const std::string& name, ModelTextures* textureManager) {
    textures = textureManager;
    AseText text(file);
    const FileSurvey survey = surveyFile(text);
    meshes.reserve(meshes.size() + survey.geomObjects);
    // Read again from the top, as a fresh open would.
    text.rewind();
    const size_t meshesBefore = meshes.size();
    std::string problems;
    try {
        problems = ModelReader(*this, text, survey.lines, textures).read();
    } catch (const std::bad_alloc&) {
        problems = std::string(kNoMemoryToRead) + "; what comes before is read";
    }
    std::fputs("model loaded", aseProgressOut);
    const std::string faces = faceProblems(*this, meshesBefore);
    if (!faces.empty()) problems += (problems.empty() ? "" : "; ") + faces;
    if (meshes.size() == meshesBefore && problems.empty()) problems = "has no geometry objects; its model stays empty";
    reportAseProblems(file, name, problems);
}

bool AseMesh::faceIsValid(uint32_t f) const {
    if (f >= faces.size()) return false;
    const auto size = static_cast<uint32_t>(vertices.size());
    const auto inside = [size](int32_t index) { return index >= 0 && static_cast<uint32_t>(index) < size; };
    return inside(faces[f][0]) && inside(faces[f][1]) && inside(faces[f][2]);
}

int AseModel::findMesh(const char* name) const {
    for (size_t i = 0; i < meshes.size(); ++i)
        if (std::strcmp(meshes[i]->nodeName, name) == 0) return static_cast<int>(i);
    return -1;
}

int32_t AseModel::meshTexture(const AseMesh& mesh) const {
    if (mesh.materialRef < 0 || static_cast<size_t>(mesh.materialRef) >= materials.size()) return -1;
    return materials[static_cast<size_t>(mesh.materialRef)]->textureIndex;
}

void aseBitmapFileName(const char* word, char (&name)[kAseWordSize]) {
    char buffer[kAseWordSize];
    std::snprintf(buffer, sizeof buffer, "%s", word);
    size_t length = std::strlen(buffer);
    const auto lower = [&](size_t i) { return std::tolower(static_cast<unsigned char>(buffer[i])); };
    size_t end = length;
    for (size_t i = 0; i + 3 < length; ++i) {
        if (buffer[i] == '.' && lower(i + 1) == 'j' && lower(i + 2) == 'p' && lower(i + 3) == 'g') {
            buffer[i + 4] = '\0';
            length = i + 4;
            end = i;
            break;
        }
    }
    // Only the word itself is searched: bytes past its end are stale.
    for (size_t i = end + 1; i-- > 0;) {
        if (i < length && buffer[i] == '\\') {
            std::memset(buffer, ' ', i + 1);
            break;
        }
    }
    name[0] = '\0';
    const char* p = buffer;
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    size_t n = 0;
    while (p[n] && !std::isspace(static_cast<unsigned char>(p[n])) && n < kAseWordSize - 1) ++n;
    std::memcpy(name, p, n);
    name[n] = '\0';
}
