// Upload of JPEG files into the texture bound to GL_TEXTURE_2D.
//
//   loadJpegTexture("Textures/gradient.jpg", GL_LINEAR);
//   loadJpegTextureWithAlpha("Textures/white_512.jpg", "Textures/ring.jpg", GL_LINEAR);
//
// The texture manager is the only caller: it generates and binds the texture
// and sets its filters afterwards. A missing colour file of a plain load
// shows the box "File %s not found!"; the bound texture then stays without
// an image. Every other problem is one line on stderr naming the file, once
// per file and problem: a missing file of the alpha loader, a file that is
// not an ordinary one or too large (nothing uploaded), one the decoder
// refuses (not baseline, broken headers, too large a picture) or an alpha
// file of another size than its colour file (an empty image uploaded), and
// data that is damaged or ends early (uploaded as decoded). Both return
// false when nothing was uploaded.
#pragma once

// Filter value that asks for mipmaps instead of a plain GL filter.
constexpr int kMipmapFilter = 0xBABE;

// Uploads an RGB texture (mipmapped when filter is kMipmapFilter).
bool loadJpegTexture(const char* path, int filter);
// Colour from the first file, alpha from the grey level of the second.
bool loadJpegTextureWithAlpha(const char* colourPath, const char* alphaPath, int filter);
