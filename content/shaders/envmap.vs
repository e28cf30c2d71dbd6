// Sphere-map coordinates for the tiles, moved across the map per tile
// column ("vLoc") and with the music ("time", seconds), so neighbouring
// columns catch different parts of the sky and the reflections drift.
#version 110

uniform float time;
uniform float vLoc;

varying vec2 mapCoord;
varying vec4 shade;

void main() {
    vec3 eyePos = normalize(vec3(gl_ModelViewMatrix * gl_Vertex));
    vec3 n = normalize(gl_NormalMatrix * gl_Normal);
    vec3 r = reflect(eyePos, n);
    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));
    mapCoord = r.xy / max(m, 0.0001) + 0.5 + vec2(vLoc * 0.015 + time * 0.03, time * 0.011);
    shade = gl_Color;
    gl_Position = ftransform();
}
