#include <iostream>

#include "cli/command_line.h"

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    return RunCommandLine(argc, argv, std::cout, std::cerr);
}
