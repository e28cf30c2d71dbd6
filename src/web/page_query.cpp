#include "web/page_query.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

constexpr const char* kPageOptions[] = {"shot", "size", "benchmark", "fps", "from", "to", "start", "loop"};

// A query's %XX and + decoded; a % not followed by two hex digits stays.
std::string decoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i] == '+' ? ' ' : text[i];
        }
    }
    return out;
}

}  // namespace

ParseResult parsePageQuery(const std::string& query) {
    std::vector<std::string> args = {"afterglow"};
    std::vector<std::string> sizes;
    std::stringstream pairs(query.empty() || query[0] != '?' ? query : query.substr(1));
    for (std::string pair; std::getline(pairs, pair, '&');) {
        if (pair.empty()) continue;
        const size_t equals = pair.find('=');
        const std::string key = decoded(pair.substr(0, equals));
        const std::string value = equals == std::string::npos ? "" : decoded(pair.substr(equals + 1));
        if (std::find(std::begin(kPageOptions), std::end(kPageOptions), key) == std::end(kPageOptions)) {
            ParseResult refused;
            refused.error = "the page takes shot, size, benchmark, fps, from, to, start and loop, not '" + key + "'";
            return refused;
        }
        if (key == "size") {
            const size_t x = value.find('x');
            sizes = {value.substr(0, x), x == std::string::npos ? "" : value.substr(x + 1)};
        } else if (key == "shot") {
            args.insert(args.end(), {"--shot", value, kCanvasShotPath});
        } else {
            args.push_back("--" + key + (equals == std::string::npos ? "" : "=" + value));
        }
    }
    args.push_back("--");
    args.insert(args.end(), sizes.begin(), sizes.end());
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    return parseOptions(static_cast<int>(args.size()), argv.data());
}
