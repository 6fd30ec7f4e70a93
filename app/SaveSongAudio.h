#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// Asks where to save the audio of the last resolved song (proposing its title and ".m4a" in the
// desktop folder), downloads gPlayUrl and writes it there; reports "保存成功" or "保存失败".
// Only a complete download (a body, with a status from 200 to 299) is written.
void SaveSongAudio();

// Handler of a right press on the grid: resolves the row selected before the press and saves it.
void OnGridRightPress();

// Handler of "解析并下载": resolves the selected row, or else the address in 编辑框1, and saves it.
void OnResolveAndDownload();

// The file name proposed for a title: the title and ".m4a", with path separators and control
// characters replaced by '_' so that the name stays in its folder.
Text ProposedFileName(std::string_view title);

}  // namespace singrove
