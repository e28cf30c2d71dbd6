// Reading the rows of the program's printed reports ("  name   12   34  note").
#pragma once

#include <string>

// The column-th number (0: the first) of the first row that starts with two
// spaces and name; -1 when there is no such row or number.
double reportNumber(const std::string& text, const std::string& name, int column = 0);
