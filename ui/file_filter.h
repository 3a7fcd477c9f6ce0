#pragma once
#include <string>

// Turns a file-dialog filter of "Description|pattern|...||" pairs into Qt's name filters,
// "Description (pattern);;...". A pattern the description already shows is not shown twice;
// "*.*" (any file) becomes "*" and pattern lists are separated by spaces.
std::string ToQtNameFilters(const std::string& filter);
