#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/curl/CurlHandles.h"
#include "platform/http/HttpApi.h"

namespace singrove {

// What a request goes to: the whole address, the method, and the proxy (empty: none).
struct CurlRequestTarget {
  std::string url;     // "http://host:port/object", in ASCII
  std::string method;  // "GET", "POST", "HEAD", "PUT" or another token
  std::string proxy;   // "http://server:port", or empty
};

// One request on libcurl. The exchange runs on a multi handle inside Send, Receive and the body
// reads, so each call stays synchronous while the window toolkit keeps processing its events.
// The body is handed out as it arrives; only what one pass of libcurl delivers is held at once.
class CurlRequest final : public HttpObject {
 public:
  // A request for target; null when libcurl cannot make its handles.
  static std::unique_ptr<CurlRequest> Create(CurlRequestTarget target);

  // The four waits in milliseconds, as HttpApi::SetTimeouts.
  void SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs);
  // Basic credentials for the server, or for the proxy.
  void SetCredentials(bool forProxy, std::string user, std::string password);
  // Whether redirections are followed (they are unless this says otherwise).
  void SetFollowRedirects(bool follow);
  // Adds the lines of a header block; false, adding nothing, for a malformed or unsafe block.
  bool AddHeaders(std::u16string_view block, bool replace);

  // Starts the exchange and waits until the request has gone out; false when it could not.
  bool Send(std::string_view body);
  // Waits for the headers of the response that ends the exchange; false when none came.
  bool Receive();
  // Waits for body bytes; available is what can be read now, 0 at the end of the body.
  bool DataAvailable(std::uint32_t& available);
  // Copies up to size body bytes into buffer.
  bool Read(void* buffer, std::uint32_t size, std::uint32_t& read);
  // The status line and header lines of the response, each ending with CR LF, then an empty
  // line; false before they came.
  bool RawHeaders(std::u16string& headers);

 private:
  using Clock = std::chrono::steady_clock;
  explicit CurlRequest(CurlRequestTarget target) : target_(std::move(target)) {}

  bool Configure(std::string_view body);
  template <class Done>
  void Pump(Done done);
  void NoteProgress(Clock::time_point now);
  bool RequestWentOut() const;
  bool IdleTooLong(Clock::time_point now) const;
  void End(CURLcode result);
  std::size_t Unread() const { return received_.size() - readOffset_; }
  bool WaitForBody();

  static std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* self);
  static std::size_t OnBodyBytes(char* data, std::size_t size, std::size_t count, void* self);

  CurlRequestTarget target_;
  std::vector<std::string> headers_;
  int connectMs_ = 60000, sendMs_ = 30000, receiveMs_ = 30000;
  std::string serverUser_, serverPassword_, proxyUser_, proxyPassword_;
  bool hasServerCredentials_ = false, hasProxyCredentials_ = false;
  bool followRedirects_ = true;

  std::string sendBody_;
  CurlList headerList_;
  CurlEasy easy_;
  CurlMulti multi_;
  CurlAttachment attachment_;

  bool started_ = false, connected_ = false, sent_ = false;
  bool headersComplete_ = false, bodyStarted_ = false, ended_ = false;
  CURLcode result_ = CURLE_OK;
  curl_off_t uploaded_ = 0;
  Clock::time_point lastActivity_;

  int statusCode_ = 0;
  bool responseHasLocation_ = false;
  std::string rawHeaders_;  // the lines of the latest response, as they came
  std::string received_;    // body bytes delivered and not yet handed out from readOffset_
  std::size_t readOffset_ = 0;
};

}  // namespace singrove
