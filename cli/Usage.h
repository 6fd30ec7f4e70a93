#pragma once

#include <string>

#include "cli/Arguments.h"

namespace singrove {

// The help of the tool (Command::kNone) or of one command, for --help.
std::string HelpText(Command command);

// The lines of usage shown under an error.
std::string ShortUsage();

// "singrove" and the version.
std::string VersionText();

}  // namespace singrove
