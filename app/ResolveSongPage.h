#pragma once

namespace singrove {

// Fetches the song page of the selected grid row (or, in the single-address flow with no row
// selected, of the address in 编辑框1) into gSongPage and reads gSongTitle and gPlayUrl from it.
// Does nothing when no row is selected outside the single-address flow.
void ResolveSongPage();

// Handler of a left press on the grid: resolves the row selected before the press.
void OnGridLeftPress();

}  // namespace singrove
