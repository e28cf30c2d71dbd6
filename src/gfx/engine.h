// Engine: the one object that gathers the managers, the named texture and
// program slots, and the small projection and primitive helpers every scene
// uses. Reached through the global pointer `engine`; initialize() creates it
// and fills every member before any frame reads it. Never destroyed.
//
//   engine->setPerspective(1024, 1024);
//   bindTextureFBO(glExtensions.fboColorTexture);
//   engine->textures->bind(engine->texGround);
//   engine->drawFloorQuad(500.0f);
//   engine->postFx->glow(*engine->textures, false, 0.002f, 0.5f, 8);
#pragma once

#include <memory>

#include "gfx/gl_extensions.h"
#include "gfx/post_fx.h"
#include "gfx/shader_manager.h"
#include "gfx/texture_manager.h"

class Engine {
public:
    std::unique_ptr<TextureManager> textures;
    std::unique_ptr<ShaderManager> shaders;
    std::unique_ptr<PostFx> postFx;

    // Texture slots: indices into textures.
    int texGradient = 0;
    int texParticleMask = 0;
    int texPallo2 = 0;
    int texNebula = 0;
    int texPallo3 = 0;
    int texGround = 0;
    int texCloud = 0;
    int texLogo = 0;
    int texParticle = 0;
    int texNebula2 = 0;
    int texRing = 0;
    int texCredits = 0;
    int texPallo = 0;
    int texCloudy = 0;

    // Program slots: GL program names.
    unsigned int progPhong = 0;
    unsigned int progEnvmap = 0;
    unsigned int progEnvmapTex = 0;
    unsigned int progSweepTex = 0;
    unsigned int progPhongDist = 0;
    unsigned int progPhongDist2 = 0;
    unsigned int progEqu = 0;
    unsigned int progEqu2 = 0;

    // Pixel projection with y down: (0, 0) is the top-left corner and
    // (width, height) the bottom-right. Leaves depth test, face culling,
    // lighting and fog disabled, the modelview matrix identity, matrix mode
    // modelview and the viewport 0, 0, width, height.
    void setOrtho2D(float width, float height);
    // 45-degree perspective, near 0.5, far 3000, always at aspect 4/3: the
    // square target is later stretched to the 16:9 picture. Leaves the
    // modelview matrix identity (matrix mode modelview) and the viewport
    // 0, 0, width, height; touches no other state.
    void setPerspective(float width, float height);
    // The same with another vertical angle.
    void setPerspectiveFov(float width, float height, float fovDegrees);

    // One quad in the plane y = 0 from (-s, -s) to (s, s) in x and z, texture
    // coordinates 0..1, no normal: drawn with the texture, colour and
    // blending in effect.
    void drawFloorQuad(float halfSize);
    // A cube of half side s, one quad per face, each face the whole texture;
    // no normals.
    void drawTexturedCube(float halfSize);
};

extern Engine* engine;
