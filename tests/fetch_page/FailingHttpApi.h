#pragma once

#include <vector>

#include "platform/http/ForwardingHttpApi.h"

namespace singrove::test {

// The calls of the HTTP layer that a test can make fail; the two uses of option setting are
// told apart by their value.
enum class LayerCall {
  kNone,
  kCheckPlatform,
  kCrackUrl,
  kOpen,
  kConnect,
  kOpenRequest,
  kSetTimeouts,
  kSetCredentials,
  kCookieOption,
  kRedirectOption,
  kAddRequestHeaders,
  kSendRequest,
  kReceiveResponse,
  kReadData,
  kQueryHeaders,  // both calls, measuring and filling
};

// The libcurl layer with one call made to fail. It records the handles it made and the order in
// which they were closed, and whether a call is running (events the layer itself processes while
// it waits are then told apart from those of the fetcher).
class FailingHttpApi : public ForwardingHttpApi {
 public:
  explicit FailingHttpApi(LayerCall failing, LayerCall alsoFailing = LayerCall::kNone)
      : failing_(failing), alsoFailing_(alsoFailing) {}

  HttpHandle session = nullptr, connection = nullptr, request = nullptr;
  std::vector<HttpHandle> closed;
  std::vector<LayerCall> calls;
  bool insideCall = false;

  // Records the call; false when it is the one to fail.
  bool Pass(LayerCall call) {
    calls.push_back(call);
    return call != failing_ && call != alsoFailing_;
  }
  template <class Call>
  auto Inner(Call call) {
    insideCall = true;
    auto result = call();
    insideCall = false;
    return result;
  }

  bool CheckPlatform() override {
    return Pass(LayerCall::kCheckPlatform) && Inner([&] { return inner_.CheckPlatform(); });
  }
  bool CrackUrl(std::u16string_view url, UrlComponents& components) override {
    return Pass(LayerCall::kCrackUrl) && Inner([&] { return inner_.CrackUrl(url, components); });
  }
  HttpHandle Open(std::uint32_t accessType, std::u16string_view proxyName) override {
    if (!Pass(LayerCall::kOpen)) return nullptr;
    return session = Inner([&] { return inner_.Open(accessType, proxyName); });
  }
  HttpHandle Connect(HttpHandle owner, std::u16string_view host, std::uint16_t port) override {
    if (!Pass(LayerCall::kConnect)) return nullptr;
    return connection = Inner([&] { return inner_.Connect(owner, host, port); });
  }
  HttpHandle OpenRequest(HttpHandle owner, std::u16string_view method,
                         std::u16string_view objectName, std::uint32_t flags) override {
    if (!Pass(LayerCall::kOpenRequest)) return nullptr;
    return request = Inner([&] { return inner_.OpenRequest(owner, method, objectName, flags); });
  }
  bool SetTimeouts(HttpHandle handle, int resolveMs, int connectMs, int sendMs,
                   int receiveMs) override {
    return Pass(LayerCall::kSetTimeouts) && Inner([&] {
             return inner_.SetTimeouts(handle, resolveMs, connectMs, sendMs, receiveMs);
           });
  }
  bool SetCredentials(HttpHandle handle, std::uint32_t target, std::uint32_t scheme,
                      std::u16string_view user, std::u16string_view password) override {
    return Pass(LayerCall::kSetCredentials) &&
           Inner([&] { return inner_.SetCredentials(handle, target, scheme, user, password); });
  }
  bool SetOption(HttpHandle handle, std::uint32_t option, const void* value,
                 std::uint32_t length) override {
    const bool redirect = option == 63 && *static_cast<const std::uint32_t*>(value) == 2;
    return Pass(redirect ? LayerCall::kRedirectOption : LayerCall::kCookieOption) &&
           Inner([&] { return inner_.SetOption(handle, option, value, length); });
  }
  bool AddRequestHeaders(HttpHandle handle, std::u16string_view headers,
                         std::uint32_t flags) override {
    return Pass(LayerCall::kAddRequestHeaders) &&
           Inner([&] { return inner_.AddRequestHeaders(handle, headers, flags); });
  }
  bool SendRequest(HttpHandle handle, const void* body, std::uint32_t bodyLength,
                   std::uint32_t totalLength) override {
    return Pass(LayerCall::kSendRequest) &&
           Inner([&] { return inner_.SendRequest(handle, body, bodyLength, totalLength); });
  }
  bool ReceiveResponse(HttpHandle handle) override {
    return Pass(LayerCall::kReceiveResponse) &&
           Inner([&] { return inner_.ReceiveResponse(handle); });
  }
  bool QueryDataAvailable(HttpHandle handle, std::uint32_t& available) override {
    return Inner([&] { return inner_.QueryDataAvailable(handle, available); });
  }
  bool ReadData(HttpHandle handle, void* buffer, std::uint32_t size, std::uint32_t& read) override {
    return Pass(LayerCall::kReadData) &&
           Inner([&] { return inner_.ReadData(handle, buffer, size, read); });
  }
  bool QueryHeaders(HttpHandle handle, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t& bufferLength, std::uint32_t& index) override {
    return Pass(LayerCall::kQueryHeaders) && Inner([&] {
             return inner_.QueryHeaders(handle, infoLevel, buffer, bufferLength, index);
           });
  }
  void CloseHandle(HttpHandle handle) override {
    closed.push_back(handle);
    inner_.CloseHandle(handle);
  }

 private:
  LayerCall failing_;
  LayerCall alsoFailing_;
};

}  // namespace singrove::test
