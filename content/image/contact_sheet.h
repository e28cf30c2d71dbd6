// A contact sheet of every data-folder image: each one painted, encoded,
// decoded again by the program's own JPEG decoder and laid out in a
// labelled grid, so a person can judge the whole set at a glance.
//
//   writeContactSheet("sheet.png", error);
#pragma once

#include <filesystem>
#include <string>

bool writeContactSheet(const std::filesystem::path& png, std::string& error);
