#include "cli/CommandLine.h"

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/TerminalText.h"
#include "cli/Usage.h"

namespace singrove {

int RunCommandLine(std::span<const std::string> arguments, std::ostream& out, std::ostream& err) {
  const ParsedArguments parsed = ParseArguments(arguments);
  const Invocation& invocation = parsed.invocation;
  if (!parsed.error.empty()) {
    err << "singrove: " << ValidUtf8(parsed.error) << '\n'
        << ShortUsage() << "Try 'singrove --help'.\n";
    return kExitUsage;
  }
  if (invocation.help) {
    out << HelpText(invocation.command);
    return kExitSuccess;
  }
  if (invocation.version) {
    out << VersionText();
    return kExitSuccess;
  }
  switch (invocation.command) {
    case Command::kList:
      return RunList(invocation, out, err);
    case Command::kResolve:
      return RunResolve(invocation, out, err);
    case Command::kSave:
      return RunSave(invocation, out, err);
    case Command::kNone:
      break;
  }
  return kExitUsage;
}

}  // namespace singrove
