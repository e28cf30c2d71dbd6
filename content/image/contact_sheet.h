// A contact sheet of every data-folder image: each one painted, encoded,
// decoded again by the program's own JPEG decoder and laid out in a
// labelled grid, so a person can judge the whole set at a glance.
//
//   writeContactSheet("sheet.png", error);
//   writeFrameSheet("scene3.png", {"t58400.png", "t60400.png"}, error);
#pragma once

#include <filesystem>
#include <string>
#include <vector>

bool writeContactSheet(const std::filesystem::path& png, std::string& error);

// The same grid for frames the program rendered (RGB PNGs, such as --shot
// output), each labelled with its file name.
bool writeFrameSheet(const std::filesystem::path& png, const std::vector<std::filesystem::path>& frames,
                     std::string& error);
