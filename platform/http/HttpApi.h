#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace singrove {

// A session, connection or request of an HTTP layer. Callers hold it only through HttpHandle,
// hand it back to the layer that made it, and release it with that layer's CloseHandle.
class HttpObject {
 public:
  virtual ~HttpObject() = default;
  HttpObject(const HttpObject&) = delete;
  HttpObject& operator=(const HttpObject&) = delete;

 protected:
  HttpObject() = default;
};
using HttpHandle = HttpObject*;

// The numbers of the calls, named as the system's Windows layer names them.
inline constexpr int kHttpSchemeHttp = 1;
inline constexpr int kHttpSchemeHttps = 2;
inline constexpr std::uint32_t kHttpAccessNoProxy = 1;
inline constexpr std::uint32_t kHttpAccessNamedProxy = 3;
inline constexpr std::uint32_t kHttpFlagSecure = 0x00800000;
inline constexpr std::uint32_t kHttpAuthTargetServer = 0;
inline constexpr std::uint32_t kHttpAuthTargetProxy = 1;
inline constexpr std::uint32_t kHttpAuthSchemeBasic = 1;
inline constexpr std::uint32_t kHttpOptionDisableFeature = 63;
inline constexpr std::uint32_t kHttpOptionEnableFeature = 79;
inline constexpr std::uint32_t kHttpDisableCookies = 1;
inline constexpr std::uint32_t kHttpDisableRedirects = 2;
inline constexpr std::uint32_t kHttpEnableSslRevocation = 1;
inline constexpr std::uint32_t kHttpAddHeader = 0x20000000;
inline constexpr std::uint32_t kHttpReplaceHeader = 0x80000000;
inline constexpr std::uint32_t kHttpQueryRawHeadersCrlf = 22;

// Where the parts of an address lie in the UTF-16 string that was parsed, as positions and
// lengths in UTF-16 units.
struct UrlComponents {
  int scheme = 0;          // kHttpSchemeHttp or kHttpSchemeHttps
  std::uint16_t port = 0;  // the address's port, or the scheme's default when it names none
  std::size_t schemeStart = 0, schemeLength = 0;
  std::size_t hostStart = 0, hostLength = 0;
  std::size_t pathStart = 0, pathLength = 0;    // from the "/" after the host; empty when none
  std::size_t extraStart = 0, extraLength = 0;  // from the "?" or "#" to the end
};

// Synchronous HTTP exchanges shaped after the Windows calls the page fetcher makes. Every call
// returns only when its work is done; while one waits on the network it lets the window toolkit
// process pending events (ProcessPendingEvents) at least every 50 ms.
class HttpApi {
 public:
  virtual ~HttpApi() = default;

  // True when this layer can make exchanges on this system.
  virtual bool CheckPlatform() = 0;
  // Finds the parts of an HTTP or HTTPS address; false for any other address, and for one that
  // holds a space or a control character, or a host that the address syntax forbids.
  virtual bool CrackUrl(std::u16string_view url, UrlComponents& components) = 0;
  // A session: accessType kHttpAccessNoProxy, or kHttpAccessNamedProxy with a proxy name (a
  // server, or "http=" and a server, several separated by ";"); null on failure.
  virtual HttpHandle Open(std::uint32_t accessType, std::u16string_view proxyName) = 0;
  // A connection to host and port (0: the scheme's default) under a session; null on failure.
  virtual HttpHandle Connect(HttpHandle session, std::u16string_view host, std::uint16_t port) = 0;
  // A request for method and objectName (path and query) on a connection; kHttpFlagSecure makes
  // it HTTPS; null on failure.
  virtual HttpHandle OpenRequest(HttpHandle connection, std::u16string_view method,
                                 std::u16string_view objectName, std::uint32_t flags) = 0;
  // Sets the four waits of a request in milliseconds; 0 or below waits without limit.
  virtual bool SetTimeouts(HttpHandle request, int resolveMs, int connectMs, int sendMs,
                           int receiveMs) = 0;
  // Basic credentials for the server (target 0) or the proxy (target 1) of a request.
  virtual bool SetCredentials(HttpHandle request, std::uint32_t target, std::uint32_t scheme,
                              std::u16string_view user, std::u16string_view password) = 0;
  // Sets a 32-bit option of a request: option 63 value 1 cookies off (this layer keeps none),
  // 63 value 2 redirections not followed, option 79 value 1 accepted with no effect.
  virtual bool SetOption(HttpHandle request, std::uint32_t option, const void* value,
                         std::uint32_t length) = 0;
  // Adds the lines of a header block ("\r\n" between lines); with kHttpReplaceHeader a line
  // replaces the request's line of the same name. False for a line holding a stray CR or LF.
  virtual bool AddRequestHeaders(HttpHandle request, std::u16string_view headers,
                                 std::uint32_t flags) = 0;
  // Sends the request with its body (totalLength equal to bodyLength); true once it has gone out.
  virtual bool SendRequest(HttpHandle request, const void* body, std::uint32_t bodyLength,
                           std::uint32_t totalLength) = 0;
  // Waits for the response headers (after redirections that are followed); true once they came.
  virtual bool ReceiveResponse(HttpHandle request) = 0;
  // Waits for body bytes and reports how many can be read now; 0 when the body has ended.
  virtual bool QueryDataAvailable(HttpHandle request, std::uint32_t& available) = 0;
  // Copies up to size body bytes into buffer and reports how many in read.
  virtual bool ReadData(HttpHandle request, void* buffer, std::uint32_t size,
                        std::uint32_t& read) = 0;
  // infoLevel 22: the status line and header lines of the response, each ending with CR LF, as
  // UTF-16 with a terminator. A buffer too small (or null) fails and sets bufferLength to the
  // bytes needed; success sets it to the bytes written without the terminator.
  virtual bool QueryHeaders(HttpHandle request, std::uint32_t infoLevel, void* buffer,
                            std::uint32_t& bufferLength, std::uint32_t& index) = 0;
  // Releases a handle of this layer; null is accepted and ignored.
  virtual void CloseHandle(HttpHandle handle) = 0;
};

// The layer in use on this thread: the one a ScopedHttpApi put in place, else CurlHttpApi().
HttpApi& CurrentHttpApi();

// The layer on libcurl, the default.
HttpApi& CurlHttpApi();

// Puts another layer in place on this thread for the lifetime of this object (tests).
class ScopedHttpApi {
 public:
  explicit ScopedHttpApi(HttpApi* api);
  ~ScopedHttpApi();
  ScopedHttpApi(const ScopedHttpApi&) = delete;
  ScopedHttpApi& operator=(const ScopedHttpApi&) = delete;

 private:
  HttpApi* previous_;
};

}  // namespace singrove
