#include "fetch/PageRequestHeaders.h"

#include "text/Primitives.h"

namespace singrove {
namespace {

struct DefaultLine {
  std::string_view test;
  bool ignoreCase;
  std::string_view line;
};

// The Content-Type test alone counts letter case and has no space after its colon.
constexpr DefaultLine kDefaultLines[] = {
    {"User-Agent: ", true,
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"},
    {"Accept: ", true, "Accept: text/html, application/xhtml+xml, */*\r\n"},
    {"Accept-Encoding: ", true, "Accept-Encoding: gbk, GB2312\r\n"},
    {"Accept-Language: ", true, "Accept-Language: zh-cn\r\n"},
    {"Content-Type:", false, "Content-Type: application/x-www-form-urlencoded\r\n"},
    {"Cache-Control: ", true, "Cache-Control: no-cache\r\n"},
};

}  // namespace

Text BuildPageRequestHeaders(std::string_view requestHeaders, const Text* cookies) {
  Text block(requestHeaders);
  if (!block.empty()) block += "\r\n";
  for (const DefaultLine& entry : kDefaultLines)
    if (LocateText(block, entry.test, 1, entry.ignoreCase) < 1) block += entry.line;
  if (cookies && !cookies->empty() && LocateText(block, "Cookie: ", 1, true) < 1)
    block.append("Cookie: ").append(*cookies).append("\r\n");
  return block;
}

}  // namespace singrove
