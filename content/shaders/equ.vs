// Passes position and colour through; kept small and valid.
#version 110

varying vec4 tint;

void main() {
    tint = gl_Color;
    gl_Position = ftransform();
}
