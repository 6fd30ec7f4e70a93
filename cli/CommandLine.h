#pragma once

#include <ostream>
#include <span>
#include <string>

namespace singrove {

// Runs the command line made of arguments (those after the program name): results on out,
// captions, usage and failures on err, all UTF-8. Returns the exit code: 0 done, 1 no play address
// or a failed save, 2 a wrong command line.
int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err);

}  // namespace singrove
