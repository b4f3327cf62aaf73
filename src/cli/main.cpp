#include "cli/CliCommands.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    return orbiplot::cli::RunCli(words, std::cout, std::cerr);
}
