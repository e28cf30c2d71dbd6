#include "support/report_rows.h"

#include <regex>

double reportNumber(const std::string& text, const std::string& name, int column) {
    std::string pattern = "\\n  " + name;
    for (int i = 0; i <= column; ++i) pattern += " +([0-9]+)";
    std::smatch match;
    if (!std::regex_search(text, match, std::regex(pattern))) return -1.0;
    return std::stod(match[column + 1].str());
}
