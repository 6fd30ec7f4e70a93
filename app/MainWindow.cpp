#include "app/MainWindow.h"

#include "app/ListUserSongs.h"
#include "app/ResolveSongPage.h"
#include "app/SaveSongAudio.h"
#include "platform/toolkit/Toolkit.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

WindowDescription MakeMainWindow() {
  const std::string group1 = "分组框1";
  const std::string group2 = "分组框2";
  WindowDescription window{.x = 50,
                           .y = 50,
                           .width = 387,
                           .height = 428,
                           .caption = Gbk("Singrove小工具"),
                           .onCreated = OnMainWindowCreated};
  window.controls = {
      {.name = group1,
       .kind = ControlKind::GroupBox,
       .x = 8,
       .y = 8,
       .width = 365,
       .height = 325,
       .text = Gbk("批量")},
      {.name = "透明标签4",
       .kind = ControlKind::Label,
       .container = group1,
       .x = 14,
       .y = 18,
       .width = 65,
       .height = 20,
       .text = Gbk("Singroveuid：")},
      {.name = std::string(kUserIdBox),
       .kind = ControlKind::EditBox,
       .container = group1,
       .x = 86,
       .y = 19,
       .width = 112,
       .height = 20,
       .centred = true,
       .digitsAndMinusOnly = true},
      {.name = std::string(kQueryButton),
       .kind = ControlKind::Button,
       .container = group1,
       .x = 206,
       .y = 18,
       .width = 48,
       .height = 20,
       .text = Gbk("查询"),
       .onClicked = ListUserSongs},
      {.name = "透明标签1",
       .kind = ControlKind::Label,
       .container = group1,
       .x = 265,
       .y = 18,
       .width = 85,
       .height = 20,
       .text = Gbk("选择后右击下载")},
      {.name = std::string(kSongGrid),
       .kind = ControlKind::Grid,
       .container = group1,
       .x = 14,
       .y = 45,
       .width = 336,
       .height = 268,
       .grid = {.columns = 4, .rows = 1, .fixedRows = 1, .rowHeight = 24, .columnWidth = 60},
       .onLeftPress = OnGridLeftPress,
       .onRightPress = OnGridRightPress},
      {.name = group2,
       .kind = ControlKind::GroupBox,
       .x = 8,
       .y = 342,
       .width = 365,
       .height = 50,
       .text = Gbk("单独")},
      {.name = std::string(kSongAddressBox),
       .kind = ControlKind::EditBox,
       .container = group2,
       .x = 8,
       .y = 20,
       .width = 264,
       .height = 20},
      {.name = std::string(kResolveButton),
       .kind = ControlKind::Button,
       .container = group2,
       .x = 280,
       .y = 20,
       .width = 75,
       .height = 20,
       .text = Gbk("解析并下载"),
       .onClicked = OnResolveAndDownload},
      {.name = "通用对话框1", .kind = ControlKind::SaveDialog},
  };
  return window;
}

}  // namespace

const WindowDescription& MainWindowDescription() {
  static const WindowDescription kWindow = MakeMainWindow();
  return kWindow;
}

void OnMainWindowCreated() {
  struct Column {
    Text header;
    int width;
  };
  static const Column kColumns[] = {
      {Gbk("歌名"), 201}, {Gbk("地址"), 0}, {Gbk("留言"), 56}, {Gbk(" 收听"), 56}};
  Toolkit& toolkit = *ActiveToolkit();
  for (int column = 0; column < 4; ++column) {
    toolkit.GridSetCellText(0, column, kColumns[column].header);
    toolkit.GridSetColumnWidth(column, kColumns[column].width);
  }
}

}  // namespace singrove
