#include "fetch/CharsetStep.h"

#include <optional>
#include <string>
#include <string_view>

#include "fetch/RegexMatcher.h"
#include "platform/codepage/CharsetDecoder.h"
#include "platform/events/EventHook.h"

namespace singrove {
namespace {

// A page names its character set in a meta tag near its beginning; "[^\w]?" takes a quote.
constexpr std::string_view kDeclarationPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";
constexpr std::size_t kSearchWindowBytes = 1024;

bool NeedsNoConversion(std::string_view name) {
  return name.empty() || name == "gbk" || name == "gb2312";
}

}  // namespace

Text ApplyDeclaredCharset(Text bodyText, const Bytes& responseBytes) {
  RegexMatcher matcher;
  const std::string_view window = std::string_view(bodyText).substr(0, kSearchWindowBytes);
  if (!matcher.Search(kDeclarationPattern, window)) return bodyText;
  const Text declared = matcher.GetSubmatchText(1, 1);
  if (!NeedsNoConversion(declared)) {
    if (std::optional<std::string> decoded = DecodeCharset(declared, responseBytes)) {
      bodyText = std::move(*decoded);
    }
  }
  ProcessPendingEvents();
  return bodyText;
}

}  // namespace singrove
