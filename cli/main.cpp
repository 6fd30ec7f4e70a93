#include <iostream>
#include <string>
#include <vector>

#include "cli/CommandLine.h"

// The command-line program: the window's flows on a headless window, for scripts and machines
// without a desktop.
int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  return singrove::RunCommandLine(arguments, std::cout, std::cerr);
}
