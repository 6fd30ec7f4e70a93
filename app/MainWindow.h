#pragma once

#include <string_view>

#include "platform/toolkit/WindowDescription.h"

namespace singrove {

// The names by which the code addresses the controls of the main window.
inline constexpr std::string_view kUserIdBox = "编辑框2";
inline constexpr std::string_view kSongAddressBox = "编辑框1";
inline constexpr std::string_view kQueryButton = "查询";
inline constexpr std::string_view kResolveButton = "解析并下载";
inline constexpr std::string_view kSongGrid = "高级表格1";

// The main window: every control with its container, place, size, text, settings and handlers.
const WindowDescription& MainWindowDescription();

// Handler of the main window's created event: writes the grid's header cells and column widths.
void OnMainWindowCreated();

}  // namespace singrove
