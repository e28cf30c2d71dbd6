#include "assets/ase_text.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>

#include "assets/data_file.h"

char lineWords[kAseWordCount][kAseWordSize];
FILE* aseProgressOut = stdout;

namespace {

// The C locale's white space, without a library call per character.
inline bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Characters as the word splitter sees them: part of a word, white space,
// or the end of the line's text.
enum CharClass : uint8_t { kWordChar, kSpace, kEnd };
struct CharClasses {
    uint8_t of[256];
    CharClasses() {
        for (int c = 0; c < 256; ++c) of[c] = isSpace(static_cast<char>(c)) ? kSpace : kWordChar;
        of[0] = kEnd;
    }
};
const CharClasses kClasses;

// The piece readLine would give from position on: its length, and how much
// of it counts as text (up to a zero byte).
struct Piece {
    size_t length;
    size_t textLength;
};

Piece nextPiece(const uint8_t* data, size_t size, size_t position) {
    const size_t n = std::min<size_t>(kAseLineSize - 1, size - position);
    const uint8_t* start = data + position;
    const void* newline = std::memchr(start, '\n', n);
    const size_t length = newline ? static_cast<size_t>(static_cast<const uint8_t*>(newline) - start) + 1 : n;
    const void* zero = std::memchr(start, '\0', length);
    return {length, zero ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - start) : length};
}

bool startsWithWord(const char* text, size_t length, const char* word) {
    size_t i = 0;
    while (i < length && isSpace(text[i])) ++i;
    const size_t n = std::strlen(word);
    return length - i >= n && std::memcmp(text + i, word, n) == 0 && (i + n == length || isSpace(text[i + n]));
}

// What can be said about the file as a whole: whether it holds any object
// the readers look for, and whether its blocks close (an exporter's file
// always closes them; one cut short ends inside).
std::string verdictOf(const ByteBuffer& bytes) {
    if (bytes.empty()) return "is empty; nothing is read from it";
    bool objects = false;
    long depth = 0;
    for (size_t position = 0; position < bytes.size();) {
        const Piece piece = nextPiece(bytes.data(), bytes.size(), position);
        const char* text = reinterpret_cast<const char*>(bytes.data() + position);
        if (!objects && (startsWithWord(text, piece.textLength, "*GEOMOBJECT") ||
                         startsWithWord(text, piece.textLength, "*SHAPEOBJECT")))
            objects = true;
        bool quoted = false;  // braces in names do not count
        for (size_t i = 0; i < piece.textLength; ++i) {
            if (text[i] == '"') quoted = !quoted;
            if (quoted) continue;
            if (text[i] == '{') ++depth;
            if (text[i] == '}' && depth > 0) --depth;
        }
        position += piece.length;
    }
    if (!objects) return "holds no geometry or shape objects; nothing is read from it";
    if (depth > 0) return "ends inside an open block (the file is cut short); what comes before is read";
    return {};
}

int cacheScopes = 0;
std::map<std::string, std::shared_ptr<const AseFile>>& cachedFiles() {
    static std::map<std::string, std::shared_ptr<const AseFile>> files;
    return files;
}

}  // namespace

std::shared_ptr<const AseFile> makeAseFile(const uint8_t* data, size_t size) {
    auto file = std::make_shared<AseFile>();
    file->bytes.assign(data, data + size);
    file->verdict = verdictOf(file->bytes);
    return file;
}

std::shared_ptr<const AseFile> openAseFile(const char* path) {
    const std::string name = path ? path : "";
    if (cacheScopes > 0) {
        const auto found = cachedFiles().find(name);
        if (found != cachedFiles().end()) return found->second;
    }
    auto file = std::make_shared<AseFile>();
    const DataRead read = readDataFile(path, DataKind::Model, file->bytes);
    if (!read) {
        reportFileProblem(name.empty() ? "(no name)" : name, read.problem, "its models and paths stay empty");
        return nullptr;
    }
    file->verdict = verdictOf(file->bytes);
    if (cacheScopes > 0) cachedFiles()[name] = file;
    return file;
}

AseFileCache::AseFileCache() { ++cacheScopes; }

AseFileCache::~AseFileCache() {
    if (--cacheScopes == 0) cachedFiles().clear();
}

bool readLine(AseText& text, char (&line)[kAseLineSize]) {
    line[0] = '\0';
    if (text.position_ >= text.size_) return false;
    const Piece piece = nextPiece(text.data_, text.size_, text.position_);
    std::memcpy(line, text.data_ + text.position_, piece.length);
    line[piece.length] = '\0';
    text.position_ += piece.length;
    return true;
}

void scanWords(const char* line, const int* targets, int targetCount) {
    const auto* p = reinterpret_cast<const unsigned char*>(line);
    for (int i = 0; i < targetCount; ++i) {
        while (kClasses.of[*p] == kSpace) ++p;
        if (*p == 0) return;
        const auto* start = p;
        while (kClasses.of[*p] == kWordChar) ++p;
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

void reportAseProblems(const AseFile& file, const std::string& path, const std::string& problems) {
    if (!file.verdict.empty())
        reportFileProblem(path, file.verdict);
    else if (!problems.empty())
        reportFileProblem(path, problems);
}
