// The image files the program loads at start-up, painted from code.
//
//   for (const std::string& name : manifestImageNames()) {
//       Image image = paintManifestImage(name, error);
//       std::vector<uint8_t> jpeg = encodeManifestImage(image, error);
//   }
//
// Colour files and the files used as their alpha share a size, because the
// program takes alpha from a second image pixel by pixel.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/canvas.h"

// Every file name under "Textures/", in the program's load order.
const std::vector<std::string>& manifestImageNames();

// An empty image (0 x 0) with the reason in error when the name is unknown or
// a font is missing.
Image paintManifestImage(const std::string& name, std::string& error);

// The one place images become JPEG files: baseline, quality 92, grey images
// with one component and colour images 4:2:0. Empty on failure.
std::vector<uint8_t> encodeManifestImage(const Image& image, std::string& error);

// Paints, encodes and writes every manifest image into dir.
bool writeManifestImages(const std::filesystem::path& dir, std::string& error);

// The program's icon, size x size, RGBA: the mark from the logo on a disc.
Image paintIcon(int size);
