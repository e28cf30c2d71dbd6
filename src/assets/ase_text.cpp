#include "assets/ase_text.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

char lineWords[kAseWordCount][kAseWordSize];
FILE* aseProgressOut = stdout;

bool readLine(FILE* file, char (&line)[kAseLineSize]) {
    line[0] = '\0';
    return file && std::fgets(line, kAseLineSize, file) != nullptr;
}

void scanWords(const char* line, const int* targets, int targetCount) {
    const auto isSpace = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    const char* p = line;
    for (int i = 0; i < targetCount; ++i) {
        while (*p && isSpace(*p)) ++p;
        if (!*p) return;
        const char* start = p;
        while (*p && !isSpace(*p)) ++p;
        const int target = targets[i];
        if (target < 0 || target >= kAseWordCount) continue;
        size_t length = static_cast<size_t>(p - start);
        if (length > kAseWordSize - 1) length = kAseWordSize - 1;
        std::memcpy(lineWords[target], start, length);
        lineWords[target][length] = '\0';
    }
}

void splitLine(const char* line) {
    static constexpr int targets[] = {0, 1, 2, 3, 4};
    scanWords(line, targets, 5);
}

void splitLine8(const char* line) {
    static constexpr int targets[] = {0, 1, 2, 3, 4, 5, 6, 7};
    scanWords(line, targets, 8);
}

bool wordIs(int index, const char* text) { return std::strcmp(lineWords[index], text) == 0; }

int32_t wordInt(int index) {
    const long value = std::strtol(lineWords[index], nullptr, 10);
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(value);
}

float wordFloat(int index) {
    const double value = std::strtod(lineWords[index], nullptr);
    // NaN, infinities and values beyond float range would reach GL as garbage.
    if (!std::isfinite(value) || std::fabs(value) > FLT_MAX) return 0.0f;
    return static_cast<float>(value);
}
