#include "ase/ase_writer.h"

#include <cstdarg>
#include <cstdio>

namespace {

class Text {
public:
    // One line at the given depth of braces (a tab each).
    void line(int depth, const char* format, ...) __attribute__((format(printf, 3, 4))) {
        out_.append(static_cast<size_t>(depth), '\t');
        char buffer[256];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        out_ += buffer;
        out_ += '\n';
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// Adding 0 turns a negative zero into a plain one, so "-0.0000" never shows.
double clean(float v) { return static_cast<double>(v + 0.0f); }

void writeNodeTransform(Text& t, const std::string& name, Point3 pos) {
    t.line(1, "*NODE_NAME \"%s\"", name.c_str());
    t.line(1, "*NODE_TM {");
    t.line(2, "*NODE_NAME \"%s\"", name.c_str());
    t.line(2, "*INHERIT_POS 0 0 0");
    t.line(2, "*INHERIT_ROT 0 0 0");
    t.line(2, "*INHERIT_SCL 0 0 0");
    t.line(2, "*TM_ROW0 1.0000\t0.0000\t0.0000");
    t.line(2, "*TM_ROW1 0.0000\t1.0000\t0.0000");
    t.line(2, "*TM_ROW2 0.0000\t0.0000\t1.0000");
    t.line(2, "*TM_ROW3 %.4f\t%.4f\t%.4f", clean(pos.x), clean(pos.y), clean(pos.z));
    t.line(2, "*TM_POS %.4f\t%.4f\t%.4f", clean(pos.x), clean(pos.y), clean(pos.z));
    t.line(2, "*TM_ROTAXIS 0.0000\t0.0000\t0.0000");
    t.line(2, "*TM_ROTANGLE 0.0000");
    t.line(2, "*TM_SCALE 1.0000\t1.0000\t1.0000");
    t.line(2, "*TM_SCALEAXIS 0.0000\t0.0000\t0.0000");
    t.line(2, "*TM_SCALEAXISANG 0.0000");
    t.line(1, "}");
}

void writeMaterials(Text& t, const std::vector<AseMaterialInfo>& materials) {
    t.line(0, "*MATERIAL_LIST {");
    t.line(1, "*MATERIAL_COUNT %d", static_cast<int>(materials.size()));
    for (size_t i = 0; i < materials.size(); ++i) {
        const AseMaterialInfo& m = materials[i];
        t.line(1, "*MATERIAL %d {", static_cast<int>(i));
        t.line(2, "*MATERIAL_NAME \"%s\"", m.name.c_str());
        t.line(2, "*MATERIAL_CLASS \"Standard\"");
        t.line(2, "*MATERIAL_AMBIENT %.4f\t%.4f\t%.4f", clean(m.diffuse.r), clean(m.diffuse.g), clean(m.diffuse.b));
        t.line(2, "*MATERIAL_DIFFUSE %.4f\t%.4f\t%.4f", clean(m.diffuse.r), clean(m.diffuse.g), clean(m.diffuse.b));
        t.line(2, "*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000");
        t.line(2, "*MATERIAL_SHINE 0.2500");
        t.line(2, "*MATERIAL_SHINESTRENGTH 0.0500");
        t.line(2, "*MATERIAL_TRANSPARENCY 0.0000");
        t.line(2, "*MATERIAL_WIRESIZE 1.0000");
        t.line(2, "*MATERIAL_SHADING Blinn");
        if (!m.bitmap.empty()) {
            t.line(2, "*MAP_DIFFUSE {");
            t.line(3, "*MAP_NAME \"%s map\"", m.name.c_str());
            t.line(3, "*MAP_CLASS \"Bitmap\"");
            t.line(3, "*MAP_SUBNO 1");
            t.line(3, "*MAP_AMOUNT 1.0000");
            // Exporters write the full path; readers keep what follows the
            // last backslash.
            t.line(3, "*BITMAP \"maps\\%s\"", m.bitmap.c_str());
            t.line(3, "*MAP_TYPE Screen");
            t.line(3, "*UVW_U_OFFSET 0.0000");
            t.line(3, "*UVW_V_OFFSET 0.0000");
            t.line(3, "*UVW_U_TILING 1.0000");
            t.line(3, "*UVW_V_TILING 1.0000");
            t.line(3, "*BITMAP_FILTER Pyramidal");
            t.line(2, "}");
        }
        t.line(1, "}");
    }
    t.line(0, "}");
}

void writeObject(Text& t, const AseObject& o) {
    const Mesh& m = o.mesh;
    t.line(0, "*GEOMOBJECT {");
    writeNodeTransform(t, o.name, o.position);
    t.line(1, "*MESH {");
    t.line(2, "*TIMEVALUE 0");
    t.line(2, "*MESH_NUMVERTEX %d", static_cast<int>(m.vertices.size()));
    t.line(2, "*MESH_NUMFACES %d", static_cast<int>(m.faces.size()));
    t.line(2, "*MESH_VERTEX_LIST {");
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        const Point3 p = m.vertices[i];
        t.line(3, "*MESH_VERTEX %4d\t%.4f\t%.4f\t%.4f", static_cast<int>(i), clean(p.x), clean(p.y), clean(p.z));
    }
    t.line(2, "}");
    t.line(2, "*MESH_FACE_LIST {");
    for (size_t i = 0; i < m.faces.size(); ++i) {
        const auto& f = m.faces[i];
        t.line(3, "*MESH_FACE %4d:    A: %4d B: %4d C: %4d AB:    1 BC:    1 CA:    1\t *MESH_SMOOTHING 1 \t*MESH_MTLID 0",
               static_cast<int>(i), f[0], f[1], f[2]);
    }
    t.line(2, "}");
    t.line(2, "*MESH_NUMTVERTEX %d", static_cast<int>(m.texVertices.size()));
    t.line(2, "*MESH_TVERTLIST {");
    for (size_t i = 0; i < m.texVertices.size(); ++i) {
        const Point2 uv = m.texVertices[i];
        t.line(3, "*MESH_TVERT %d\t%.4f\t%.4f\t0.0000", static_cast<int>(i), clean(uv.x), clean(uv.y));
    }
    t.line(2, "}");
    t.line(2, "*MESH_NUMTVFACES %d", static_cast<int>(m.texFaces.size()));
    t.line(2, "*MESH_TFACELIST {");
    for (size_t i = 0; i < m.texFaces.size(); ++i) {
        const auto& f = m.texFaces[i];
        t.line(3, "*MESH_TFACE %d\t%d\t%d\t%d", static_cast<int>(i), f[0], f[1], f[2]);
    }
    t.line(2, "}");
    t.line(1, "}");
    t.line(1, "*PROP_MOTIONBLUR 0");
    t.line(1, "*PROP_CASTSHADOW 1");
    t.line(1, "*PROP_RECVSHADOW 1");
    t.line(1, "*MATERIAL_REF %d", o.materialRef);
    t.line(0, "}");
}

void writeShape(Text& t, const AseShape& s) {
    t.line(0, "*SHAPEOBJECT {");
    writeNodeTransform(t, s.name, {});
    t.line(1, "*SHAPE_LINECOUNT %d", static_cast<int>(s.lines.size()));
    for (size_t i = 0; i < s.lines.size(); ++i) {
        const auto& vertices = s.lines[i];
        t.line(1, "*SHAPE_LINE %d {", static_cast<int>(i));
        // The count comes straight after the line header: readers take it
        // from the next line whatever its keyword.
        t.line(2, "*SHAPE_VERTEXCOUNT %d", static_cast<int>(vertices.size()));
        for (size_t k = 0; k < vertices.size(); ++k) {
            const Point3 p = vertices[k].point;
            t.line(2, "%s %d\t%.4f\t%.4f\t%.4f", vertices[k].knot ? "*SHAPE_VERTEX_KNOT" : "*SHAPE_VERTEX_INTERP",
                   static_cast<int>(k), clean(p.x), clean(p.y), clean(p.z));
        }
        t.line(1, "}");
    }
    t.line(0, "}");
}

}  // namespace

std::string writeAse(const AseScene& scene) {
    Text t;
    t.line(0, "*3DSMAX_ASCIIEXPORT\t200");
    t.line(0, "*COMMENT \"AsciiExport Version  2,00 - afterglow-content\"");
    t.line(0, "*SCENE {");
    t.line(1, "*SCENE_FILENAME \"%s.max\"", scene.sceneName.c_str());
    t.line(1, "*SCENE_FIRSTFRAME 0");
    t.line(1, "*SCENE_LASTFRAME 100");
    t.line(1, "*SCENE_FRAMESPEED 30");
    t.line(1, "*SCENE_TICKSPERFRAME 160");
    t.line(1, "*SCENE_BACKGROUND_STATIC 0.0000\t0.0000\t0.0000");
    t.line(1, "*SCENE_AMBIENT_STATIC 0.0000\t0.0000\t0.0000");
    t.line(0, "}");
    writeMaterials(t, scene.materials);
    for (const AseObject& o : scene.objects) writeObject(t, o);
    for (const AseShape& s : scene.shapes) writeShape(t, s);
    return t.take();
}
