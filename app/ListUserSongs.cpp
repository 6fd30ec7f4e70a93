#include "app/ListUserSongs.h"

#include "app/FlowGuard.h"
#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/Service.h"
#include "fetch/FetchPage.h"
#include "platform/toolkit/Toolkit.h"
#include "text/Gbk.h"
#include "text/Markers.h"
#include "text/Primitives.h"

namespace singrove {
namespace {

constexpr int kItemsPerPage = 15;
constexpr int kPauseMilliseconds = 500;

// The page with every "\r\n" pair and every tab removed; a lone CR or LF stays.
Text WithoutLineBreaksAndTabs(std::string_view page) {
  return ReplaceMany(page, "\r\n", "", {.find2 = "\t", .replacement2 = ""});
}

// The number of list pages for the announced works count: the smallest whole number not below
// count / 15, reached through 32-bit floats as the globals hold it.
void CountPages() {
  gPageQuotient = static_cast<float>(static_cast<double>(gWorksCount) / kItemsPerPage);
  const int whole = FloorInteger(static_cast<double>(gPageQuotient));
  gPageCount = static_cast<float>(whole) == gPageQuotient ? static_cast<float>(whole)
                                                          : static_cast<float>(whole + 1);
}

// Fills the four arrays from gListPage; each extraction empties its array first.
void ExtractListItems() {
  ExtractAllBetween(gListPage, "title\": \"", "\"", gTitles);
  const Text songPagePrefix = ServiceAddress("/play?s=");
  ExtractAllBetween(gListPage, "shareid\": \"", "\"", gShareUrls, {.prefix = songPagePrefix});
  ExtractAllBetween(gListPage, "coment_count\": ", ",", gCommentCounts);
  ExtractAllBetween(gListPage, "play_count\": ", ",", gPlayCounts);
}

// Appends one grid row per title of the current list page, counting the rows in the caption.
void AddRowsOfPage(Toolkit& toolkit) {
  static const Text kProgress = Gbk("载入中：");
  const int items = static_cast<int>(gTitles.size());
  for (gRowIndex = 1; gRowIndex <= items; ++gRowIndex) {
    toolkit.GridAddRow();
    const int row = toolkit.GridRowCount() - 1;
    toolkit.SetCaption(kProgress + FormatAsText(row) + "/" + FormatAsText(gWorksCount));
    // An array shorter than the titles gives empty cells.
    toolkit.GridSetCellText(row, 0, ItemOf(gTitles, gRowIndex));
    toolkit.GridSetCellText(row, 1, ItemOf(gShareUrls, gRowIndex));
    toolkit.GridSetCellText(row, 2, ItemOf(gCommentCounts, gRowIndex));
    toolkit.GridSetCellText(row, 3, ItemOf(gPlayCounts, gRowIndex));
  }
}

}  // namespace

void ListUserSongs() {
  const FlowGuard flow;
  if (flow.Refused()) return;
  static const Text kWorksMarker = Gbk("id=\"ugc\">作品 ");
  static const Text kLoading = Gbk("正在载入歌曲目录，请等待...");
  static const Text kDone = Gbk("载入完成，共载入歌曲 ");
  static const Text kSongs = Gbk(" 首");
  Toolkit& toolkit = *ActiveToolkit();

  toolkit.GridSetRowCount(1);
  const Text userId = toolkit.ReadEditText(kUserIdBox);
  gProfilePage = WithoutLineBreaksAndTabs(FetchPage(ServiceAddress("/personal?uid=" + userId)));
  gProfileTitle = ExtractBetween(gProfilePage, "<title>", "</title>");
  gWorksCount = ParseInteger(ExtractBetween(gProfilePage, kWorksMarker, "<"));
  CountPages();
  toolkit.SetCaption(kLoading);
  toolkit.DelayWithEvents(kPauseMilliseconds);

  const int pages = static_cast<int>(gPageCount);
  for (gPageIndex = 1; gPageIndex <= pages; ++gPageIndex) {
    // The user id is read again for each page.
    const Text listAddress = ServiceAddress(
        "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=get_ugc&start=" + FormatAsText(gPageIndex) +
        "&num=15&share_uid=" + toolkit.ReadEditText(kUserIdBox));
    gListPage = WithoutLineBreaksAndTabs(FetchPage(listAddress));
    ExtractListItems();
    AddRowsOfPage(toolkit);
  }

  toolkit.DelayWithEvents(kPauseMilliseconds);
  toolkit.SetCaption(kDone + FormatAsText(gWorksCount) + kSongs);
  toolkit.DelayWithEvents(kPauseMilliseconds);
  toolkit.SetCaption(gProfileTitle);
}

}  // namespace singrove
