#pragma once

#include <ostream>

#include "cli/Arguments.h"

namespace singrove {

// The exit codes of the command line.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;  // no play address, or the save failed
inline constexpr int kExitUsage = 2;    // the command line itself is wrong

// Each command runs the window's flow on a headless window, as a user of the window would start
// it, and reports on out (results) and err (captions and failures), all in UTF-8.

// list UID: the user's recordings, one grid row a line (tab-separated, or a JSON object with
// --json); every caption on err as the window shows it.
int RunList(const Invocation& invocation, std::ostream& out, std::ostream& err);

// resolve URL: the title and the play address of the song page on two lines (or one JSON
// object); kExitFailure when the page names no play address.
int RunResolve(const Invocation& invocation, std::ostream& out, std::ostream& err);

// save URL [-o FILE]: resolves and saves as "解析并下载" does, the save dialog answered with FILE
// or the proposed name in the current folder; prints the window's message.
int RunSave(const Invocation& invocation, std::ostream& out, std::ostream& err);

}  // namespace singrove
