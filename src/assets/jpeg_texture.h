// Upload of JPEG files into the texture bound to GL_TEXTURE_2D.
//
//   loadJpegTexture("Textures/gradient.jpg", GL_LINEAR);
//   loadJpegTextureWithAlpha("Textures/white_512.jpg", "Textures/ring.jpg", GL_LINEAR);
//
// The texture manager is the only caller: it generates and binds the texture
// and sets its filters afterwards. A missing colour file shows the box
// "File %s not found!" (the alpha loader fails silently); the bound texture
// then stays without an image. A file the decoder refuses (not baseline,
// broken headers, too large) and an alpha file of another size than its
// colour file upload an empty image, with one line on stderr saying why.
// Both return false only when a file cannot be read.
#pragma once

// Uploads an RGB texture (mipmapped when filter is kMipmapFilter).
bool loadJpegTexture(const char* path, int filter);
// Colour from the first file, alpha from the grey level of the second.
bool loadJpegTextureWithAlpha(const char* colourPath, const char* alphaPath, int filter);
