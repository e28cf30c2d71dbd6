// Texture coordinate, colour and eye-space position for the textured floor
// (and its unused sweep variant, which shares this file). The position, not
// its distance, is interpolated: the floor is one huge quad, and a distance
// taken at its far corners says nothing about the pixels in between.
#version 110

varying vec2 uv;
varying vec4 tint;
varying vec3 eyePos;

void main() {
    uv = gl_MultiTexCoord0.st;
    tint = gl_Color;
    eyePos = vec3(gl_ModelViewMatrix * gl_Vertex);
    gl_Position = ftransform();
}
