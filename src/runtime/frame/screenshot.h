// Reading the picture back and writing it as PNG.
//
// The picture travels as GL reads it fastest: RGBA, bottom row first ("GL
// rows"); only the PNG writer turns it over and drops the alpha.
//
//   std::vector<uint8_t> rgba;
//   readPictureRgba(displayWidth, displayHeight, rgba);
//   writePngFromGlRows("shot.png", displayWidth, displayHeight, rgba, error);
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGB rows, top row first, through an OutputFile: the file at
// path is replaced only by a complete picture. On failure returns false
// with the reason.
bool writePngRgb(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
                 std::string& error);

// writePngRgb for GL rows: RGBA, bottom row first.
bool writePngFromGlRows(const std::string& path, int width, int height, const std::vector<uint8_t>& rgba,
                        std::string& error);

// Where the picture just drawn is: the back buffer, or the off-screen
// window target (while capturing, or without a window). Binds the window
// target and selects it for reading.
void selectPictureForReading();

// Reads width x height of the picture just drawn as GL rows.
void readPictureRgba(int width, int height, std::vector<uint8_t>& rgba);

// Reads width x height from the back buffer (bottom-left origin) and writes it.
bool saveBackBufferPng(const std::string& path, int width, int height, std::string& error);
