// The OpenGL 2.0 the program calls, on top of WebGL 2: the GL compatibility
// layer of the web build. The program's sources include the usual
// <GL/gl.h>, <GL/glu.h> and <GL/glew.h> and call GL as they do natively;
// this layer defines those functions and draws with WebGL 2 through
// emscripten's emscripten_gl* entry points.
//
//   ... a WebGL 2 context made current on the canvas ...
//   startGlCompat();                                    // once
//   void* f = glCompatEntryPoint("glBindFramebufferEXT"); // the lookup by name
//
// What it covers, and how:
// - Immediate mode with GL's current values: a glColor, glNormal or
//   glTexCoord stays current until the next, across glEnd. Vertices collect
//   into one client-array draw, flushed only when something a draw depends
//   on changes (a switch, a texture, a program, a uniform, a projection, the
//   framebuffer...). Without a program they are taken to eye space as they
//   are sent, so a new modelview matrix between two glBegin ends no draw:
//   thousands of particles are one draw. Quads become two triangles each,
//   (0, 1, 2) and (0, 2, 3), the split the native pictures show, so colours
//   and coordinates interpolate the same way.
// - The matrix stacks, glOrtho, gluPerspective, gluLookAt: Mesa's and
//   libGLU's arithmetic, in the same order, so the matrices the program
//   reads back (glGetFloatv) are the native ones.
// - Fixed-function drawing: generated programs for texturing (modulate),
//   lighting from light 0 and the material, and GL_CLAMP's border (WebGL
//   has only clamping to the edge: the border's share of a linear sample is
//   worked out in the shader).
// - The program's own shaders (GLSL 1.10) rewritten for WebGL 2 (GLSL ES
//   3.00) when their source is given: the built-in attributes, matrices,
//   light and material become inputs and uniforms of the layer's own,
//   which it sets before every draw, whatever GL_LIGHTING says. The source
//   the program reads back is the one it gave.
// - Textures: internal formats 3 and 4 and GL_RGBA8 mapped to WebGL 2's
//   sized formats (the pixels converted where the formats differ), GL_CLAMP,
//   glGetTexLevelParameteriv, gluBuild2DMipmaps.
// - Framebuffer objects under their EXT names, GL_DEPTH_COMPONENT24.
// - glPushAttrib / glPopAttrib of the state the layer keeps; what they put
//   back goes through the same setters as every other change.
// - Wide and smooth lines (WebGL draws lines one pixel wide) as quads with
//   their edges faded by coverage.
// - glGetString(GL_EXTENSIONS): the names the program's capability check
//   asks for, each listed when the WebGL 2 context gives what it stands for.
#pragma once

// Sets up the layer's buffers and GL's initial state on the current WebGL 2
// context. Before any other GL call.
void startGlCompat();

// The layer's function for a GL entry point the program looks up by name
// (the framebuffer functions), or null.
void* glCompatEntryPoint(const char* name);
