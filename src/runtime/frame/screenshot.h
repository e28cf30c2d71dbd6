// Reading the picture back and writing it as PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGB rows, top row first, through an OutputFile: the file at
// path is replaced only by a complete picture. On failure returns false
// with the reason.
bool writePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 std::string& error);

// Reads width x height of the picture just drawn (the back buffer, or the
// off-screen window target while capturing) as RGB rows, top row first.
// Leaves the window target bound and GL_PACK_ALIGNMENT 1.
void readPictureRgb(int width, int height, std::vector<uint8_t>& rgb);

// Reads width x height from the back buffer (bottom-left origin) and writes it.
bool saveBackBufferPng(const std::string& path, int width, int height, std::string& error);
