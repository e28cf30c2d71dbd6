// Lit shading with fog: eye-space position and normal, and the texture
// coordinate for models whose material has a bitmap.
#version 110

varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec2 uv;

void main() {
    eyePos = vec3(gl_ModelViewMatrix * gl_Vertex);
    eyeNormal = gl_NormalMatrix * gl_Normal;
    uv = gl_MultiTexCoord0.st;
    gl_Position = ftransform();
}
