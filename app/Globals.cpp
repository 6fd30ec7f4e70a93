#include "app/Globals.h"

namespace singrove {

Text gPlayUrl;
Text gSongTitle;
std::int32_t gSingleMode = 0;
Text gSongPage;
Text gProfilePage;
Text gProfileTitle;
std::int32_t gWorksCount = 0;
float gPageQuotient = 0.0F;
float gPageCount = 0.0F;
std::int32_t gPageIndex = 0;
Text gListPage;
TextArray gTitles;
TextArray gShareUrls;
TextArray gCommentCounts;
TextArray gPlayCounts;
std::int32_t gRowIndex = 0;

namespace {

template <typename T>
void Release(T& value) {
  T().swap(value);
}

}  // namespace

void ReleaseGlobals() {
  Release(gPlayUrl);
  Release(gSongTitle);
  Release(gSongPage);
  Release(gProfilePage);
  Release(gProfileTitle);
  Release(gListPage);
  Release(gTitles);
  Release(gShareUrls);
  Release(gCommentCounts);
  Release(gPlayCounts);
}

}  // namespace singrove
