// The response outputs of the page fetcher over any raw header text, against their rules: the
// headers with every "Set-Cookie" spelled so, the status text from byte 10 to the end of the status
// line, one cookie item for every line holding "Set-Cookie", the last "Location: " line, the merge
// of the caller's cookies when given, and one round of window events per line.
// Input: flags (bit 0: cookies given), then the texts cookies and raw headers.
#include <cstddef>
#include <cstdint>

#include "fetch/Cookies.h"
#include "fetch/PageResponseHeaders.h"
#include "fuzz/FuzzCheck.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/TextReference.h"
#include "platform/events/EventHook.h"

namespace {

using singrove::Text;
using singrove::TextArray;
namespace reference = singrove::reference;

std::size_t gEventCalls = 0;

struct Outputs {
  Text responseHeaders;
  Text statusText;
  Text newCookies;
  Text location;
  std::size_t lines = 0;
};

// The bytes from byte 10 up to the first "\r\n" that begins there or later; "" when there is none
// or it begins at byte 10.
Text StatusText(std::string_view headers) {
  if (headers.size() < 9) return {};
  const std::size_t lineEnd = headers.find("\r\n", 9);
  if (lineEnd == std::string_view::npos) return {};
  return Text(headers.substr(9, lineEnd - 9));
}

bool IsLocationLine(std::string_view line) {
  return line.size() >= 10 && reference::MatchesAt(line.substr(0, 10), 0, "Location: ", true);
}

Outputs Expected(std::string_view rawHeaders, const Text& location) {
  Outputs expected;
  expected.responseHeaders =
      reference::Substitute(rawHeaders, "Set-Cookie", "Set-Cookie", 1, std::nullopt, false);
  expected.statusText = StatusText(rawHeaders);
  expected.location = location;
  const TextArray lines = reference::Split(expected.responseHeaders, "\r\n", std::nullopt);
  expected.lines = lines.size();
  for (const Text& line : lines) {
    if (reference::Locate(line, "Set-Cookie") != -1) {
      const Text item =
          reference::Locate(line, ";") != -1
              ? reference::Between(line, "Set-Cookie:", ";")
              : reference::Substitute(line, "Set-Cookie:", "", 1, std::nullopt, false);
      expected.newCookies += reference::Strip(item) + "; ";
    }
    if (IsLocationLine(line)) expected.location = line.substr(10);
  }
  expected.newCookies.resize(expected.newCookies.size() >= 2 ? expected.newCookies.size() - 2 : 0);
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace singrove;
  static const bool kHooked = (InstallEventHook([] { ++gEventCalls; }), true);
  (void)kHooked;

  fuzz::FuzzInput input(data, size);
  const bool cookiesGiven = fuzz::FuzzInput::Bit(input.Byte(), 0);
  const Text heldCookies(input.Text());
  const Text rawHeaders(input.Text());

  const Text kUntouched = "the caller's value";
  Outputs outputs{.responseHeaders = kUntouched,
                  .statusText = kUntouched,
                  .newCookies = kUntouched,
                  .location = kUntouched};
  Text cookies = heldCookies;
  gEventCalls = 0;
  DerivePageResponseOutputs(rawHeaders, {.cookies = cookiesGiven ? &cookies : nullptr,
                                         .newCookies = &outputs.newCookies,
                                         .responseHeaders = &outputs.responseHeaders,
                                         .location = &outputs.location,
                                         .statusText = &outputs.statusText});

  Outputs expected = Expected(rawHeaders, kUntouched);
  FUZZ_CHECK(gEventCalls == expected.lines);
  FUZZ_CHECK(outputs.responseHeaders == expected.responseHeaders);
  FUZZ_CHECK(outputs.statusText == expected.statusText);
  FUZZ_CHECK(outputs.statusText.find("\r\n") == Text::npos);
  FUZZ_CHECK(outputs.location == expected.location);
  if (cookiesGiven) {
    // The merge rewrites both lists: its own properties are the concern of merge_cookies.
    Text expectedCookies = heldCookies;
    MergeCookies(expectedCookies, expected.newCookies);
    FUZZ_CHECK(cookies == expectedCookies);
  } else {
    FUZZ_CHECK(cookies == heldCookies);
  }
  FUZZ_CHECK(outputs.newCookies == expected.newCookies);
  return 0;
}
