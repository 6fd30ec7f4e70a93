#include "app/ResolveSongPage.h"

#include "app/FlowGuard.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "fetch/FetchPage.h"
#include "platform/toolkit/Toolkit.h"
#include "text/Markers.h"

namespace singrove {

void ResolveSongPage() {
  Toolkit& toolkit = *ActiveToolkit();
  const int row = toolkit.GridCurrentRow();
  if (row < 0 && gSingleMode != 1) return;
  // A selected row wins over 编辑框1, in the single-address flow as well.
  const Text address =
      row >= 0 ? toolkit.GridCellText(row, 1) : toolkit.ReadEditText(kSongAddressBox);
  gSongPage = FetchPage(address);
  gSongTitle = ExtractBetween(gSongPage, "<title>", "- Singrove");
  gPlayUrl = ExtractBetween(gSongPage, "playurl\":\"", "\"");
}

void OnGridLeftPress() {
  const FlowGuard flow;
  if (flow.Refused()) return;
  ResolveSongPage();
}

}  // namespace singrove
