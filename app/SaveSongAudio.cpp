#include "app/SaveSongAudio.h"

#include "app/FlowGuard.h"
#include "app/Globals.h"
#include "app/ResolveSongPage.h"
#include "fetch/FetchWithRequestObject.h"
#include "platform/files/DesktopFolder.h"
#include "platform/files/WriteWholeFile.h"
#include "platform/toolkit/Toolkit.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

bool IsCompleteDownload(const Bytes& audio, int status) {
  return !audio.empty() && status >= 200 && status <= 299;
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
  const Text playUrl = gPlayUrl;
  int status = 0;
  const Bytes audio = FetchWithRequestObject(playUrl, {.status = &status});
  const bool saved = IsCompleteDownload(audio, status) && WriteWholeFile(path, audio);
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
