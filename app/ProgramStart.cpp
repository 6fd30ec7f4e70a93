#include "app/ProgramStart.h"

#include <cstdlib>

#include "app/Globals.h"
#include "app/MainWindow.h"

namespace singrove {

int ProgramStart(Toolkit& toolkit) {
  UseToolkit(&toolkit);
  gTitles.clear();
  gShareUrls.clear();
  gCommentCounts.clear();
  gPlayCounts.clear();
  static const bool kReleaseRegistered = std::atexit(ReleaseGlobals) == 0;
  (void)kReleaseRegistered;
  toolkit.LoadWindow(MainWindowDescription());
  toolkit.RunMessageLoop();
  UseToolkit(nullptr);
  return 0;
}

}  // namespace singrove
