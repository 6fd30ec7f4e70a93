#pragma once

#include <string_view>

#include "text/Text.h"

namespace singrove {

// The optional parameters of FetchPage, in their order. An output pointer left null is not
// written; an output is written only at the step that produces it.
struct FetchPageOptions {
  int method = 0;                     // 0 GET, 1 POST, 2 HEAD, 3 PUT; any other value GET
  std::string_view bodyText{};        // request body, sent as its bytes
  Text* cookies = nullptr;            // in/out; null means "not given", which differs from ""
  Text* newCookies = nullptr;         // out: the cookies the response sets
  std::string_view requestHeaders{};  // caller's lines, "\r\n" between them, before the defaults
  Text* responseHeaders = nullptr;    // out: the raw response header text
  bool noRedirect = false;
  std::string_view serverUser{};
  std::string_view serverPassword{};
  std::string_view proxy{};  // empty: no proxy
  std::string_view proxyUser{};
  std::string_view proxyPassword{};
  int timeoutSeconds = 0;          // 1 and above: seconds; otherwise 30 seconds
  Text* location = nullptr;        // out: target of a "Location: " line
  Text* statusText = nullptr;      // out: "200 OK", or a numbered error text such as "711 ..."
  Bytes* responseBytes = nullptr;  // out: the body exactly as received
};

// Performs one HTTP or HTTPS exchange and returns the response body as text, converted to GBK when
// the page declares another character set; "" when the exchange failed.
Text FetchPage(std::string_view url, const FetchPageOptions& options = {});

}  // namespace singrove
