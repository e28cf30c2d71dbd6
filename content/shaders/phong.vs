// Per-pixel lighting: hands the eye-space position and normal on.
#version 110

varying vec3 eyePos;
varying vec3 eyeNormal;

void main() {
    eyePos = vec3(gl_ModelViewMatrix * gl_Vertex);
    eyeNormal = gl_NormalMatrix * gl_Normal;
    gl_Position = ftransform();
}
