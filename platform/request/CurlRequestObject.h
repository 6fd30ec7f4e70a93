#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string_view>

#include "platform/request/CurlExchange.h"
#include "platform/curl/CurlHandles.h"
#include "platform/request/RequestObject.h"

namespace singrove {

// The request object on libcurl. It keeps its own easy and multi handles, so a reused object
// reuses its open connections.
class CurlRequestObject final : public RequestObject {
 public:
  // A new object; null when libcurl cannot be started or gives no handles.
  static std::unique_ptr<CurlRequestObject> Create();

  bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) override;
  bool SetProxy(int setting, std::string_view proxy = {}) override;
  bool SetCredentials(std::string_view user, std::string_view password, int flags) override;
  bool Open(std::string_view method, std::string_view url, bool async = false) override;
  bool SetOption(int index, int value) override;
  bool SetRequestHeader(std::string_view name, std::string_view value) override;
  bool Send(const Bytes& body) override;
  bool Send(std::string_view body) override;
  const Bytes& ResponseBody() const override;
  Bytes TakeResponseBody() override;
  Text GetAllResponseHeaders() const override;
  int Status() const override;
  bool SetResponseBodySink(ResponseBodySink sink) override;

 private:
  CurlRequestObject(CurlMulti multi, CurlEasy easy);
  bool SendBody(std::span<const unsigned char> body);

  // Released in reverse order: the easy handle before the multi handle that held it.
  CurlMulti multi_;
  CurlEasy easy_;
  ExchangeSettings settings_;
  std::optional<OpenedRequest> request_;
  ExchangeResult response_;
};

}  // namespace singrove
