// Helpers for tests of the ASCII scene export readers: small files written
// on the spot, and the readers' progress lines caught instead of printed.
// Header-only: the plain and the sanitized test programs link different
// builds of the readers.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "assets/ase_text.h"

inline void writeTextFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// While alive, the readers' progress lines go to a scratch file; text()
// returns what they wrote so far.
class CapturedProgress {
public:
    CapturedProgress() : file_(std::tmpfile()), previous_(aseProgressOut) {
        if (file_) aseProgressOut = file_;
    }
    ~CapturedProgress() {
        aseProgressOut = previous_;
        if (file_) std::fclose(file_);
    }
    CapturedProgress(const CapturedProgress&) = delete;
    CapturedProgress& operator=(const CapturedProgress&) = delete;

    std::string text() const {
        if (!file_) return {};
        std::fflush(file_);
        const long end = std::ftell(file_);
        std::string result(end > 0 ? static_cast<size_t>(end) : 0, '\0');
        std::rewind(file_);
        result.resize(std::fread(result.data(), 1, result.size(), file_));
        std::fseek(file_, 0, SEEK_END);
        return result;
    }

private:
    FILE* file_;
    FILE* previous_;
};

// A geometry object block as exporters write it; rows go in verbatim.
inline std::string geomObject(const std::string& name, const std::string& nodeRows, const std::string& meshRows,
                              const std::string& tail = "\t*MATERIAL_REF 0\n") {
    return "*GEOMOBJECT {\n\t*NODE_NAME " + name + "\n\t*NODE_TM {\n\t\t*NODE_NAME " + name + "\n" + nodeRows +
           "\t}\n\t*MESH {\n" + meshRows + "\t}\n" + tail + "}\n";
}
