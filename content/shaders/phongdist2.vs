// Lit shading with fog and height bands: eye-space position and normal, and
// the height in the model's own space.
#version 110

varying vec3 eyePos;
varying vec3 eyeNormal;
varying float height;

void main() {
    eyePos = vec3(gl_ModelViewMatrix * gl_Vertex);
    eyeNormal = gl_NormalMatrix * gl_Normal;
    height = gl_Vertex.y;
    gl_Position = ftransform();
}
