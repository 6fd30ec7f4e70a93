#pragma once

#include "platform/http/HttpApi.h"

namespace singrove {

// An HTTP layer that hands every call to another one; derive from it to change a few calls
// (a test that fails at a chosen call wraps the real layer this way).
class ForwardingHttpApi : public HttpApi {
 public:
  explicit ForwardingHttpApi(HttpApi& inner = CurlHttpApi()) : inner_(inner) {}

  bool CheckPlatform() override { return inner_.CheckPlatform(); }
  bool CrackUrl(std::u16string_view url, UrlComponents& components) override {
    return inner_.CrackUrl(url, components);
  }
  HttpHandle Open(std::uint32_t accessType, std::u16string_view proxyName) override {
    return inner_.Open(accessType, proxyName);
  }
  HttpHandle Connect(HttpHandle session, std::u16string_view host, std::uint16_t port) override {
    return inner_.Connect(session, host, port);
  }
  HttpHandle OpenRequest(HttpHandle connection, std::u16string_view method,
                         std::u16string_view objectName, std::uint32_t flags) override {
    return inner_.OpenRequest(connection, method, objectName, flags);
  }
  bool SetTimeouts(HttpHandle request, int resolveMs, int connectMs, int sendMs,
                   int receiveMs) override {
    return inner_.SetTimeouts(request, resolveMs, connectMs, sendMs, receiveMs);
  }
  bool SetCredentials(HttpHandle request, std::uint32_t target, std::uint32_t scheme,
                      std::u16string_view user, std::u16string_view password) override {
    return inner_.SetCredentials(request, target, scheme, user, password);
  }
  bool SetOption(HttpHandle request, std::uint32_t option, const void* value,
                 std::uint32_t length) override {
    return inner_.SetOption(request, option, value, length);
  }
  bool AddRequestHeaders(HttpHandle request, std::u16string_view headers,
                         std::uint32_t flags) override {
    return inner_.AddRequestHeaders(request, headers, flags);
  }
  bool SendRequest(HttpHandle request, const void* body, std::uint32_t bodyLength,
                   std::uint32_t totalLength) override {
    return inner_.SendRequest(request, body, bodyLength, totalLength);
  }
  bool ReceiveResponse(HttpHandle request) override { return inner_.ReceiveResponse(request); }
  bool QueryDataAvailable(HttpHandle request, std::uint32_t& available) override {
    return inner_.QueryDataAvailable(request, available);
  }
  bool ReadData(HttpHandle request, void* buffer, std::uint32_t size,
                std::uint32_t& read) override {
    return inner_.ReadData(request, buffer, size, read);
  }
  bool QueryHeaders(HttpHandle request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t& bufferLength, std::uint32_t& index) override {
    return inner_.QueryHeaders(request, infoLevel, buffer, bufferLength, index);
  }
  void CloseHandle(HttpHandle handle) override { inner_.CloseHandle(handle); }

 protected:
  HttpApi& inner_;
};

}  // namespace singrove
