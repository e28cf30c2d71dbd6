// The one place the asset readers reach the engine's texture manager.
#pragma once

class TextureManager;

// The engine's texture manager, or null while there is no engine (tools,
// tests without GL): then models load without textures.
TextureManager* engineTextures();
