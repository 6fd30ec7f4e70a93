#include "cli/Commands.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "app/ResolveSongPage.h"
#include "cli/TerminalText.h"
#include "platform/toolkit/headless/HeadlessToolkit.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

// Starts the program on the headless window and does userActions in its message loop, as a user
// of the window would. A window shows a new caption when it next handles events, so the captions
// go to err then, each one set on a line of its own, and the last ones when the actions are done.
void RunProgram(HeadlessToolkit& window, std::ostream& err,
                const std::function<void()>& userActions) {
  std::size_t shown = 0;
  const auto showCaptions = [&] {
    const std::vector<Text>& captions = window.Captions();
    for (; shown < captions.size(); ++shown) err << TerminalText(captions[shown]) << '\n';
    err.flush();
  };
  window.WhilePendingEvents(showCaptions);
  window.SetMessageLoop([&] {
    userActions();
    showCaptions();
  });
  ProgramStart(window);
}

// The program text of an argument; false, with the reason on err, when the program cannot hold it.
bool ArgumentFor(std::string_view what, const std::string& argument, Text* text,
                 std::ostream& err) {
  if (ArgumentText(argument, text)) return true;
  err << "singrove: the " << what << " '" << ValidUtf8(argument)
      << "' holds a character that the program's code page (GBK) lacks, or is not UTF-8\n";
  return false;
}

// What resolve and save report when the song page gave no play address.
int NoPlayAddress(const std::string& address, std::ostream& err) {
  if (gSongPage.empty()) {
    err << "singrove: no song page came back from '" << ValidUtf8(address) << "'\n";
  } else {
    err << "singrove: the song page '" << ValidUtf8(address) << "' names no play address\n";
  }
  return kExitFailure;
}

// The four cells of a data row in UTF-8: title, song page address, comments, plays.
void PrintRow(HeadlessToolkit& window, int row, bool json, std::ostream& out) {
  std::string cells[4];
  for (int column = 0; column < 4; ++column) {
    cells[column] = TerminalText(window.GridCellText(row, column));
  }
  if (json) {
    out << "{\"title\":" << JsonString(cells[0]) << ",\"url\":" << JsonString(cells[1])
        << ",\"comments\":" << JsonString(cells[2]) << ",\"plays\":" << JsonString(cells[3])
        << "}\n";
  } else {
    out << cells[0] << '\t' << cells[1] << '\t' << cells[2] << '\t' << cells[3] << '\n';
  }
}

}  // namespace

int RunList(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  Text userId;
  if (!ArgumentFor("UID", invocation.target, &userId, err)) return kExitUsage;
  HeadlessToolkit window;
  RunProgram(window, err, [&] {
    window.SetEditText(kUserIdBox, userId);
    window.Click(kQueryButton);
  });
  for (int row = 1; row < window.GridRowCount(); ++row) {
    PrintRow(window, row, invocation.json, out);
  }
  return kExitSuccess;
}

int RunResolve(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  Text address;
  if (!ArgumentFor("URL", invocation.target, &address, err)) return kExitUsage;
  HeadlessToolkit window;
  RunProgram(window, err, [&] {
    // The single-address flow with no grid row selected: the address typed into 编辑框1.
    window.SetEditText(kSongAddressBox, address);
    gSingleMode = 1;
    ResolveSongPage();
    gSingleMode = 0;
  });
  if (gPlayUrl.empty()) return NoPlayAddress(invocation.target, err);
  const std::string title = TerminalText(gSongTitle);
  const std::string playUrl = TerminalText(gPlayUrl);
  if (invocation.json) {
    out << "{\"title\":" << JsonString(title) << ",\"playUrl\":" << JsonString(playUrl) << "}\n";
  } else {
    out << title << '\n' << playUrl << '\n';
  }
  return kExitSuccess;
}

int RunSave(const Invocation& invocation, std::ostream& out, std::ostream& err) {
  static const Text kSaved = Gbk("保存成功");
  Text address;
  if (!ArgumentFor("URL", invocation.target, &address, err)) return kExitUsage;
  std::optional<Text> outputFile;
  if (invocation.outputFile) {
    outputFile.emplace();
    if (!ArgumentFor("file name", *invocation.outputFile, &*outputFile, err)) return kExitUsage;
  }
  HeadlessToolkit window;
  Text path;
  // The save dialog is answered with the file given, or else with the name it proposes, which
  // without a folder lies in the current one.
  window.AnswerSaveDialog([&](const SaveDialogRequest& request) -> std::optional<Text> {
    path = outputFile ? *outputFile : request.fileName;
    return path;
  });
  RunProgram(window, err, [&] {
    window.SetEditText(kSongAddressBox, address);
    window.Click(kResolveButton);
  });
  if (gPlayUrl.empty()) return NoPlayAddress(invocation.target, err);
  const bool saved = !window.Messages().empty() && window.Messages().back() == kSaved;
  if (!window.Messages().empty()) out << TerminalText(window.Messages().back()) << '\n';
  if (saved) return kExitSuccess;
  err << "singrove: the audio of '" << ValidUtf8(invocation.target)
      << "' could not be downloaded whole and written to '" << TerminalText(path) << "'\n";
  return kExitFailure;
}

}  // namespace singrove
