#include "cli/Usage.h"

#include "app/Service.h"

namespace singrove {
namespace {

constexpr const char* kToolHelp = R"(Usage: singrove COMMAND [OPTIONS] ARGUMENT

Lists a Singrove user's recordings and saves a recording's audio, as the Singrove window does,
on machines with or without a desktop. Everything it prints is UTF-8.

Commands:
  list UID             list the user's recordings: title, song page address, comments, plays
  resolve URL          print the title and the play address of a song page
  save URL [-o FILE]   save the audio of a song page

Options:
  -h, --help           show this help; after a command, the command's help
  --version            show the version

Exit status: 0 done, 1 no play address was found or the save failed, 2 a wrong command line.
)";

constexpr const char* kListHelp = R"(Usage: singrove list [--json] UID

Lists every recording of the user UID as the window's "查询" does. Standard output gets one line
per recording: its title, song page address, comment count and play count, exactly as the
service's pages give them, separated by tabs. Standard error gets the window's captions as they
are set: the progress, the total, then the profile page's title.

Options:
  --json       one JSON object per line instead, with the string members title, url,
               comments and plays
  -h, --help   show this help

A UID that begins with "-" follows "--": singrove list -- -1
)";

constexpr const char* kResolveHelp = R"(Usage: singrove resolve [--json] URL

Reads the title and the play address of the song page URL, as the window does before it saves.
Prints the title, then the play address, on two lines. Exits with 1 when the page names no play
address.

Options:
  --json       one JSON object instead, with the string members title and playUrl
  -h, --help   show this help
)";

constexpr const char* kSaveHelp = R"(Usage: singrove save [-o FILE] URL

Saves the audio of the song page URL as the window's "解析并下载" does and prints the window's
message, "保存成功" or "保存失败". Exits with 1 when the page names no play address or the save
failed. An existing file is replaced, but only by a complete download.

Options:
  -o, --output FILE   the file to write; by default the title followed by ".m4a" in the current
                      folder, with "/", "\" and control characters turned into "_"
  -h, --help          show this help
)";

}  // namespace

std::string HelpText(Command command) {
  switch (command) {
    case Command::kList:
      return kListHelp;
    case Command::kResolve:
      return kResolveHelp;
    case Command::kSave:
      return kSaveHelp;
    case Command::kNone:
      break;
  }
  return std::string(kToolHelp) +
         "\nThe service (fixed when the program is built): " + ServiceAddress("/") + "\n";
}

std::string ShortUsage() {
  return "Usage: singrove list [--json] UID\n"
         "       singrove resolve [--json] URL\n"
         "       singrove save [-o FILE] URL\n"
         "       singrove --help | --version\n";
}

std::string VersionText() {
  return std::string("singrove ") + SINGROVE_VERSION + "\n";
}

}  // namespace singrove
