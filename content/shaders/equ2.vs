// Polished models in the cloud tunnel: eye-space position and normal, and
// the position in the model's own space.
#version 110

varying vec3 eyePos;
varying vec3 eyeNormal;
varying vec3 modelPos;

void main() {
    eyePos = vec3(gl_ModelViewMatrix * gl_Vertex);
    eyeNormal = gl_NormalMatrix * gl_Normal;
    modelPos = gl_Vertex.xyz;
    gl_Position = ftransform();
}
