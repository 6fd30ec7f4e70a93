#pragma once

#include "text/Text.h"

namespace singrove {

// The steps of a page fetch that can fail, numbered as their error texts are.
enum class PageFetchError {
  kPlatformCheck = 700,
  kAddressParsing = 701,
  kSession = 702,
  kConnection = 703,
  kRequest = 704,
  kTimeouts = 705,
  kCredentials = 707,
  kCookieOption = 708,
  kRedirectOption = 709,
  kRequestHeaders = 710,
  kSend = 711,
  kReceive = 712,
  kReadBody = 713,
};

// The numbered text that a failed step leaves in statusText, such as "711 发送请求失败!" (GBK).
const Text& PageFetchErrorText(PageFetchError error);

}  // namespace singrove
