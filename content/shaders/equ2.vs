// Glossy models in the cloud tunnel: eye-space position and normal, the
// texture coordinate, and the position in the model's own space.
#version 110

varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec3 modelPos;
varying vec2 uv;

void main() {
    eyePos = vec3(gl_ModelViewMatrix * gl_Vertex);
    eyeNormal = gl_NormalMatrix * gl_Normal;
    modelPos = gl_Vertex.xyz;
    uv = gl_MultiTexCoord0.st;
    gl_Position = ftransform();
}
