#include "platform/files/WriteWholeFile.h"

#include <algorithm>

#include "platform/events/EventHook.h"
#include "platform/files/ReplacementFile.h"

namespace singrove {
namespace {

// A file is written in pieces of this size, and the window handles its events between them.
constexpr std::size_t kPieceBytes = std::size_t{4} << 20;

}  // namespace

bool WriteWholeFile(std::string_view path, const Bytes& bytes) {
  ReplacementFile file;
  if (!file.Open(path)) return false;
  for (std::size_t start = 0; start < bytes.size(); start += kPieceBytes) {
    const std::size_t size = std::min(kPieceBytes, bytes.size() - start);
    if (!file.Append(bytes.data() + start, size)) return false;
    ProcessPendingEvents();
  }
  return file.Commit();
}

}  // namespace singrove
