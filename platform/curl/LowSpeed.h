#pragma once

#include <curl/curl.h>

namespace singrove {

// A transfer that averages fewer bytes a second than this over a whole receive timeout is stalled:
// a server that trickles a byte now and then would otherwise outlast every silence check.
constexpr long kLeastBytesPerSecond = 1024;

// Has libcurl end the transfer of easy with CURLE_OPERATION_TIMEDOUT once it has averaged fewer
// than kLeastBytesPerSecond for receiveMs, rounded up to whole seconds, and one second more; a
// receiveMs of 0 or less (no limit) sets no such check.
inline CURLcode LimitLowSpeed(CURL* easy, int receiveMs) {
  // libcurl measures the speed only once a second: without the extra second, bytes that began to
  // flow late in the first window are not yet counted when it ends, and a sound transfer fails.
  const long seconds = receiveMs > 0 ? receiveMs / 1000 + (receiveMs % 1000 != 0 ? 1 : 0) + 1 : 0;
  const CURLcode limit =
      curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, seconds > 0 ? kLeastBytesPerSecond : 0L);
  if (limit != CURLE_OK) return limit;
  return curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, seconds);
}

}  // namespace singrove
