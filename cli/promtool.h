#pragma once
#include <istream>
#include <ostream>
#include <string>
#include <vector>

// Runs promtool with the arguments after the program name; returns the exit status.
// `showProgress` shows the status line of long operations on `err` (a terminal).
int RunPromtool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                bool showProgress = false);
// The same with `in` as standard input, which "-" as the name of a file to read stands for.
int RunPromtool(const std::vector<std::string>& args, std::istream& in, std::ostream& out, std::ostream& err,
                bool showProgress = false);
