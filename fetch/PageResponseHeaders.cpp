#include "fetch/PageResponseHeaders.h"

#include "fetch/Cookies.h"
#include "platform/events/EventHook.h"
#include "text/Markers.h"
#include "text/Primitives.h"

namespace singrove {
namespace {

// The status code starts at byte 10, after "HTTP/1.1 ".
Text StatusTextOf(const Text& rawHeaders) {
  constexpr std::size_t kStatusStart = 9;
  if (rawHeaders.size() < kStatusStart) return {};
  const std::size_t lineEnd = rawHeaders.find("\r\n", kStatusStart);
  if (lineEnd == Text::npos || lineEnd == kStatusStart) return {};
  return rawHeaders.substr(kStatusStart, lineEnd - kStatusStart);
}

// The cookie item of a line holding "Set-Cookie": its name=value, without attributes.
Text CookieItemOf(const Text& line) {
  const Text item = LocateText(line, ";") >= 1 ? ExtractBetween(line, "Set-Cookie:", ";")
                                               : SubstituteText(line, "Set-Cookie:", "");
  return StripSpaces(item);
}

bool IsLocationLine(const Text& line) {
  return line.size() >= 10 && TextOrder(std::string_view(line).substr(0, 10), "Location: ",
                                        /*caseSensitive=*/false) == 0;
}

}  // namespace

void DerivePageResponseOutputs(const Text& rawHeaders, const FetchPageOptions& options) {
  const Text headers = SubstituteText(rawHeaders, "Set-Cookie", "Set-Cookie");
  if (options.responseHeaders) *options.responseHeaders = headers;
  if (options.statusText) *options.statusText = StatusTextOf(rawHeaders);

  Text newCookies;
  for (const Text& line : SplitAtDelimiter(headers, "\r\n")) {
    if (LocateText(line, "Set-Cookie") >= 1) newCookies += CookieItemOf(line) + "; ";
    if (IsLocationLine(line) && options.location) *options.location = line.substr(10);
    ProcessPendingEvents();
  }
  if (newCookies.size() >= 2) newCookies.resize(newCookies.size() - 2);
  if (options.cookies) MergeCookies(*options.cookies, newCookies);
  if (options.newCookies) *options.newCookies = std::move(newCookies);
}

}  // namespace singrove
