#pragma once

#include <curl/curl.h>

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "platform/request/RequestObject.h"
#include "text/Text.h"

namespace singrove {

// Timeouts in milliseconds; 0 or -1 means no limit.
struct RequestTimeouts {
  int resolveMs = 0;
  int connectMs = 60000;
  int sendMs = 30000;
  int receiveMs = 30000;
};

struct RequestCredentials {
  std::string user;
  std::string password;
};

// What a request object keeps from one exchange to the next.
struct ExchangeSettings {
  RequestTimeouts timeouts;
  int proxySetting = kProxySettingDirect;
  std::string proxy;
  std::optional<RequestCredentials> server;
  std::optional<RequestCredentials> proxyCredentials;
  int sslIgnoreFlags = 0;
  bool followRedirects = true;
  ResponseBodySink bodySink;  // when set, takes the body instead of the result
};

// The request that Open started and SetRequestHeader completed.
struct OpenedRequest {
  std::string method;
  std::string url;
  std::vector<std::pair<std::string, std::string>> headers;  // an empty value removes the header
};

// A whole response.
struct ExchangeResult {
  Bytes body;  // empty when a sink took the body
  Text headers;  // header lines of the final response, each ended by "\r\n"
  int status = 0;
};

// Runs one exchange on easy through multi, letting the window process its events while it waits.
// Empty when the exchange did not complete: no connection, a timeout (silence, or a trickle below
// kLeastBytesPerSecond), a refused certificate, a body cut short, a body that cannot be held, or
// a body the settings' sink refused (the sink may then have taken part of it).
std::optional<ExchangeResult> RunExchange(CURLM* multi, CURL* easy,
                                          const ExchangeSettings& settings,
                                          const OpenedRequest& request,
                                          std::span<const unsigned char> body);

}  // namespace singrove
