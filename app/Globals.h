#pragma once

#include <cstdint>

#include "text/Text.h"

namespace singrove {

// The application's globals, shared by the flows of the main window for the whole run and touched
// only from the user-interface thread. Each starts at the zero value of its type.
extern Text gPlayUrl;             // play address of the last resolved song page
extern Text gSongTitle;           // title of the last resolved song page
extern std::int32_t gSingleMode;  // 1 while the single-address flow runs, else 0
extern Text gSongPage;            // body of the last fetched song page
extern Text gProfilePage;         // the user's profile page, line breaks and tabs removed
extern Text gProfileTitle;        // title of the profile page; the caption after a listing
extern std::int32_t gWorksCount;  // number of works that the profile page announces
extern float gPageQuotient;       // gWorksCount divided by 15
extern float gPageCount;          // number of list pages to request, a whole number
extern std::int32_t gPageIndex;   // the list page being processed, counted from 1
extern Text gListPage;            // the last list page, line breaks and tabs removed
extern TextArray gTitles;         // titles found on the current list page
extern TextArray gShareUrls;      // song page addresses built from the current list page
extern TextArray gCommentCounts;  // comment counts found on the current list page
extern TextArray gPlayCounts;     // play counts found on the current list page
extern std::int32_t gRowIndex;    // 1-based index, within the current page, of the item being added

// Releases the texts and the four arrays with all their items; registered to run at the end.
void ReleaseGlobals();

}  // namespace singrove
