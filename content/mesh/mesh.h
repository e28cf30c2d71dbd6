// Triangle meshes for the model files, built from a few primitives. Points
// are in the exporter's axes (z up); faces wind counter-clockwise seen from
// the side they face, and every face has a texture face of the same number.
//
//   Mesh sky = makeSphere(500, 48, 24);
//   turnInsideOut(sky);            // seen from within
//   Mesh ring = makeTorus(10, 1, 48, 12);
//
// Geometry vertices are shared along seams and at poles; texture vertices
// are not, so a wrap-around texture has no smeared column.
#pragma once

#include <array>
#include <vector>

struct Point3 {
    float x = 0, y = 0, z = 0;
};

struct Point2 {
    float x = 0, y = 0;
};

struct Mesh {
    std::vector<Point3> vertices;
    std::vector<std::array<int, 3>> faces;
    std::vector<Point2> texVertices;  // (u, v), v = 1 at the top of the image
    std::vector<std::array<int, 3>> texFaces;
};

// A profile point of a surface of revolution: distance from the z axis and
// height. A point with radius 0 is a pole: one shared vertex.
struct ProfilePoint {
    float radius = 0;
    float height = 0;
};

// Turns the profile (listed from the top down) about the z axis in
// `segments` steps. Texture u runs once around (0 to 1 from +x towards +y),
// v from 1 at the first profile point to 0 at the last.
Mesh revolveProfile(const std::vector<ProfilePoint>& profile, int segments);

// Sphere about the origin; texture in longitude and latitude.
Mesh makeSphere(float radius, int segments, int rings);

// Ring about the z axis: `major` to the tube's centre, `minor` the tube.
Mesh makeTorus(float major, float minor, int segments, int sides);

// Box centred on the origin; each side carries the whole texture.
Mesh makeBox(float sizeX, float sizeY, float sizeZ);

// Prism over a simple polygon (counter-clockwise in x, y; concave allowed)
// from z = 0 to z = depth, with both caps. Caps map the outline's bounding
// box onto the texture; walls run u along the outline and v up.
Mesh extrudeOutline(const std::vector<Point2>& outline, float depth);

// Reverses every face so the mesh is seen from the other side.
void turnInsideOut(Mesh& mesh);

// Moves every vertex by (dx, dy, dz).
void translate(Mesh& mesh, float dx, float dy, float dz);

// Appends other's vertices and faces to mesh.
void append(Mesh& mesh, const Mesh& other);

// Signed volume enclosed (positive when faces point outwards); a check for
// closed meshes.
double signedVolume(const Mesh& mesh);

// Triangles covering a simple counter-clockwise polygon, as index triples
// (ear clipping).
std::vector<std::array<int, 3>> triangulatePolygon(const std::vector<Point2>& polygon);
