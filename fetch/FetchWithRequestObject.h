#pragma once

#include <optional>
#include <string_view>

#include "platform/request/RequestObject.h"
#include "text/Text.h"

namespace singrove {

// The optional parameters of FetchWithRequestObject, in their order. An output pointer left null
// is not written.
struct FetchWithRequestObjectOptions {
  int method = 0;                    // 0 GET, 1 POST, 2 HEAD; any other value GET
  std::string_view bodyText{};       // sent when bodyBytes is empty
  Text* cookies = nullptr;           // in/out: sent as "Cookie", then the merged list
  Text* newCookies = nullptr;        // out: the name=value pairs this response sets
  Text* requestHeaders = nullptr;    // in/out: the header block, completed with the defaults
  Text* responseHeaders = nullptr;   // out
  int* status = nullptr;             // out: the HTTP status; 0 when none was read
  bool noRedirect = false;
  const Bytes* bodyBytes = nullptr;  // sent instead of bodyText when not empty
  std::string_view proxy{};
  int timeoutSeconds = 0;            // -1 keeps the object's own; below 1: 15 s; else seconds
  std::string_view proxyUser{};
  std::string_view proxyPassword{};
  std::optional<int> credentialFlags{};  // omitted: 1 (for the proxy)
  RequestObject* requestObject = nullptr;  // the caller's object, used instead of a new one
  ResponseBodySink bodySink = {};  // takes the body as it arrives; the result is then empty
};

// Performs one HTTP exchange through a request object and returns the response body as bytes;
// empty when no body came or the exchange failed. With a body sink the body goes to the sink, and
// a sink that refuses a piece fails the exchange (status 0).
Bytes FetchWithRequestObject(std::string_view url,
                             const FetchWithRequestObjectOptions& options = {});

}  // namespace singrove
