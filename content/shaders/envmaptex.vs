// Texture coordinate, colour and eye distance for the textured floor (and
// its unused sweep variant, which shares this file).
#version 110

varying vec2 uv;
varying vec4 tint;
varying float eyeDistance;

void main() {
    uv = gl_MultiTexCoord0.st;
    tint = gl_Color;
    eyeDistance = length(vec3(gl_ModelViewMatrix * gl_Vertex));
    gl_Position = ftransform();
}
