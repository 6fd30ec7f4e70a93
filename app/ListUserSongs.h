#pragma once

namespace singrove {

// Handler of "查询": lists every recording of the user in 编辑框2 into the grid, one list page of
// fifteen after another, with the progress, the total and the profile title in the caption.
void ListUserSongs();

}  // namespace singrove
