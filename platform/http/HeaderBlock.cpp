#include "platform/http/HeaderBlock.h"

#include <algorithm>

#include "platform/curl/HeaderNames.h"
#include "platform/http/WideUtf8.h"

namespace singrove {
namespace {

bool IsTokenCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         std::u16string_view(u"!#$%&'*+-.^_`|~").find(c) != std::u16string_view::npos;
}

bool IsHeaderLine(std::u16string_view line) {
  const std::size_t colon = line.find(u':');
  if (colon == 0 || colon == std::u16string_view::npos) return false;
  if (!std::all_of(line.begin(), line.begin() + static_cast<std::ptrdiff_t>(colon),
                   IsTokenCharacter))
    return false;
  return line.find_first_of(std::u16string_view(u"\r\n\0", 3)) == std::u16string_view::npos;
}

}  // namespace

bool SplitHeaderBlock(std::u16string_view block, std::vector<std::string>& lines) {
  std::vector<std::string> found;
  while (!block.empty()) {
    const std::size_t end = block.find(u"\r\n");
    const std::u16string_view line = block.substr(0, end);
    if (!line.empty()) {
      if (!IsHeaderLine(line)) return false;
      found.push_back(Utf8FromWide(line));
    }
    if (end == std::u16string_view::npos) break;
    block.remove_prefix(end + 2);
  }
  lines = std::move(found);
  return true;
}

std::string_view HeaderName(std::string_view line) {
  return line.substr(0, line.find(':'));
}

bool HasHeader(const std::vector<std::string>& headers, std::string_view name) {
  return std::any_of(headers.begin(), headers.end(), [name](const std::string& line) {
    return SameHeaderName(HeaderName(line), name);
  });
}

void PutHeader(std::vector<std::string>& headers, std::string line, bool replace) {
  if (replace) {
    const std::string_view name = HeaderName(line);
    for (std::string& existing : headers) {
      if (SameHeaderName(HeaderName(existing), name)) {
        existing = std::move(line);
        return;
      }
    }
  }
  headers.push_back(std::move(line));
}

}  // namespace singrove
