// Files from images: the JPEG step every data-folder image goes through, a
// PNG writer for the contact sheet, and whole-file writing.
//
//   std::vector<uint8_t> jpeg = encodeImageJpeg(image, 92, error);
//   writeFileBytes(dir / "ring.jpg", jpeg, error);
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "image/canvas.h"

// Baseline JPEG: one component for a grey image, 4:2:0 YCbCr for a colour
// one. Empty with the reason in error on failure.
std::vector<uint8_t> encodeImageJpeg(const Image& image, int quality, std::string& error);

// 8-bit grey, RGB or RGBA PNG; false with the reason in error.
bool writePng(const std::filesystem::path& path, const Image& image, std::string& error);

// Writes (or replaces) the whole file.
bool writeFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes, std::string& error);
