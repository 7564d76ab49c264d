#include "app/cli/CliRunner.h"

#include <iostream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return korvane::cli::runCommandLine(args, std::cout, std::cerr);
}
