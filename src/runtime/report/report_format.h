// Small text helpers shared by the reports the program prints: printf-style
// formatting into a string, and JSON numbers where unknown values are null.
#pragma once

#include <string>

std::string formatText(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// JSON has no NaN or infinity, and unknown (negative) values are null.
std::string jsonNumber(double value);
