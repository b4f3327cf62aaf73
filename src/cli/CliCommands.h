#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace orbiplot::cli {

// Runs orbiplot-cli with the words after the program name; returns the exit code.
int RunCli(const std::vector<std::string>& words, std::ostream& out, std::ostream& err);

} // namespace orbiplot::cli
