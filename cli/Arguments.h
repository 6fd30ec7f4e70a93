#pragma once

#include <optional>
#include <span>
#include <string>

namespace singrove {

// The commands of the command line.
enum class Command { kNone, kList, kResolve, kSave };

// What the command line asks for, its texts in UTF-8 as typed.
struct Invocation {
  Command command = Command::kNone;
  bool help = false;     // --help: of the tool (no command) or of the command
  bool version = false;  // --version
  bool json = false;     // --json: list and resolve
  std::string target;    // the UID of list, the song page address of resolve and save
  std::optional<std::string> outputFile;  // -o FILE of save
};

// The invocation, or the reason the arguments make none (error not empty).
struct ParsedArguments {
  Invocation invocation;
  std::string error;
};

// Reads the arguments that follow the program name. A command's options may stand before or after
// its argument; "--" ends the options, so "list -- -5" lists the user "-5". Help wins over a
// missing argument.
ParsedArguments ParseArguments(std::span<const std::string> arguments);

// The name of a command as typed ("list"); "" for none.
std::string CommandName(Command command);

}  // namespace singrove
