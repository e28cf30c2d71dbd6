// ShaderManager: the façade over GL program objects. The engine owns one.
//
//   engine->shaders->init();        // once, with a current GL context
//   engine->shaders->unuse();       // back to fixed-function rendering
#pragma once

class ShaderManager {
public:
    // Initialises GLEW; problems are printed and never stop the program.
    void init();
    // Makes program 0 current.
    void unuse();
};
