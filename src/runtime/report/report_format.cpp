#include "runtime/report/report_format.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>

std::string formatText(const char* pattern, ...) {
    char line[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(line, sizeof line, pattern, args);
    va_end(args);
    return line;
}

std::string jsonNumber(double value) {
    if (!std::isfinite(value) || value < 0.0) return "null";
    return formatText("%.6g", value);
}
