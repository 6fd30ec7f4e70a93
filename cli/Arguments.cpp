#include "cli/Arguments.h"

#include <string_view>

namespace singrove {
namespace {

bool IsHelp(std::string_view argument) {
  return argument == "--help" || argument == "-h";
}

Command CommandNamed(std::string_view name) {
  if (name == "list") return Command::kList;
  if (name == "resolve") return Command::kResolve;
  if (name == "save") return Command::kSave;
  return Command::kNone;
}

constexpr std::string_view kOutputEquals = "--output=";

bool IsOutputOption(std::string_view argument) {
  return argument == "-o" || argument == "--output" || argument.starts_with(kOutputEquals);
}

// The file name of the output option at arguments[at]: after its "=", or the next argument, which
// at then names; "" when there is none.
std::string OutputFileOf(std::span<const std::string> arguments, std::size_t& at) {
  const std::string& option = arguments[at];
  if (option.starts_with(kOutputEquals)) return option.substr(kOutputEquals.size());
  if (at + 1 < arguments.size()) return arguments[++at];
  return {};
}

// What the command's one argument is called in messages.
std::string_view TargetName(Command command) {
  return command == Command::kList ? "UID" : "URL";
}

// Reads the options and the argument of a command from arguments[next] on into parsed.
void ParseCommandArguments(std::span<const std::string> arguments, std::size_t next,
                           ParsedArguments& parsed) {
  Invocation& invocation = parsed.invocation;
  bool optionsEnded = false;
  bool haveTarget = false;
  for (; next < arguments.size(); ++next) {
    const std::string& argument = arguments[next];
    const bool isOption = !optionsEnded && argument.size() > 1 && argument.front() == '-';
    if (!isOption) {
      if (haveTarget) {
        parsed.error = "unexpected argument '" + argument + "'";
        return;
      }
      invocation.target = argument;
      haveTarget = true;
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (IsHelp(argument)) {
      invocation.help = true;
    } else if (argument == "--json" && invocation.command != Command::kSave) {
      invocation.json = true;
    } else if (invocation.command == Command::kSave && IsOutputOption(argument)) {
      if (invocation.outputFile) {
        parsed.error = "the output file is given twice";
        return;
      }
      invocation.outputFile = OutputFileOf(arguments, next);
      if (invocation.outputFile->empty()) {
        parsed.error = "option '" + argument + "' needs a file name";
        return;
      }
    } else {
      parsed.error =
          "unknown option '" + argument + "' for '" + CommandName(invocation.command) + "'";
      return;
    }
  }
  if (!haveTarget && !invocation.help) {
    parsed.error = "missing " + std::string(TargetName(invocation.command));
  }
}

}  // namespace

ParsedArguments ParseArguments(std::span<const std::string> arguments) {
  ParsedArguments parsed;
  if (arguments.empty()) {
    parsed.error = "missing command";
    return parsed;
  }
  const std::string& first = arguments.front();
  if (IsHelp(first) && arguments.size() == 1) {
    parsed.invocation.help = true;
  } else if (first == "--version" && arguments.size() == 1) {
    parsed.invocation.version = true;
  } else if (first.starts_with("-")) {
    parsed.error = IsHelp(first) || first == "--version"
                       ? "unexpected argument '" + arguments[1] + "'"
                       : "unknown option '" + first + "'";
  } else {
    parsed.invocation.command = CommandNamed(first);
    if (parsed.invocation.command == Command::kNone) {
      parsed.error = "unknown command '" + first + "'";
    } else {
      ParseCommandArguments(arguments, 1, parsed);
    }
  }
  return parsed;
}

std::string CommandName(Command command) {
  switch (command) {
    case Command::kList:
      return "list";
    case Command::kResolve:
      return "resolve";
    case Command::kSave:
      return "save";
    case Command::kNone:
      break;
  }
  return "";
}

}  // namespace singrove
