#include "app/SaveSongAudio.h"

#include "app/FlowGuard.h"
#include "app/Globals.h"
#include "app/ResolveSongPage.h"
#include "fetch/FetchWithRequestObject.h"
#include "platform/files/DesktopFolder.h"
#include "platform/files/ReplacementFile.h"
#include "platform/toolkit/Toolkit.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

bool IsCompleteDownload(bool received, int status) {
  return received && status >= 200 && status <= 299;
}

}  // namespace

Text ProposedFileName(std::string_view title) {
  Text name(title);
  for (std::size_t k = 0; k < name.size(); ++k) {
    const auto byte = static_cast<unsigned char>(name[k]);
    // The second byte of a two-byte character may be 0x5C; it is part of the character.
    if (byte >= 0x80 && k + 1 < name.size() && static_cast<unsigned char>(name[k + 1]) >= 0x40) {
      ++k;
      continue;
    }
    if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\') name[k] = '_';
  }
  return name + ".m4a";
}

void SaveSongAudio() {
  static const Text kSaved = Gbk("保存成功");
  static const Text kFailed = Gbk("保存失败");
  Toolkit& toolkit = *ActiveToolkit();
  Text path;
  if (!toolkit.ShowSaveDialog(ProposedFileName(gSongTitle), "*.m4a", DesktopFolder(), &path)) {
    return;
  }
  // The audio goes to the disk as it arrives, and replaces the chosen file only once all of it
  // came; anything less leaves that file as it was.
  ReplacementFile file;
  if (!file.Open(path)) {
    toolkit.ShowMessage(kFailed);
    return;
  }
  const Text playUrl = gPlayUrl;
  int status = 0;
  bool received = false;
  FetchWithRequestObject(playUrl, {.status = &status,
                                   .bodySink = [&](const unsigned char* data, std::size_t size) {
                                     received = received || size > 0;
                                     return file.Append(data, size);
                                   }});
  const bool saved = IsCompleteDownload(received, status) && file.Commit();
  toolkit.ShowMessage(saved ? kSaved : kFailed);
}

void OnGridRightPress() {
  const FlowGuard flow;
  if (flow.Refused()) return;
  ResolveSongPage();
  if (ActiveToolkit()->GridCurrentRow() > 0 && !gPlayUrl.empty()) SaveSongAudio();
  gSingleMode = 0;
}

void OnResolveAndDownload() {
  const FlowGuard flow;
  if (flow.Refused()) return;
  gSingleMode = 1;
  ResolveSongPage();
  if (!gPlayUrl.empty()) SaveSongAudio();
  gSingleMode = 0;
}

}  // namespace singrove
