#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>

#include "text/Text.h"

namespace singrove {

// Proxy settings of RequestObject::SetProxy.
inline constexpr int kProxySettingDefault = 0;  // the system's configured proxy (the environment)
inline constexpr int kProxySettingDirect = 1;   // no proxy
inline constexpr int kProxySettingProxy = 2;    // the named proxy

// Flags of RequestObject::SetCredentials.
inline constexpr int kCredentialsForServer = 0;
inline constexpr int kCredentialsForProxy = 1;

// Option indexes of RequestObject::SetOption.
inline constexpr int kOptionSslErrorIgnoreFlags = 4;
inline constexpr int kOptionEnableRedirects = 6;

// Certificate problems that option kOptionSslErrorIgnoreFlags can ignore.
inline constexpr int kSslIgnoreUnknownCa = 0x0100;
inline constexpr int kSslIgnoreWrongUsage = 0x0200;
inline constexpr int kSslIgnoreHostMismatch = 0x1000;
inline constexpr int kSslIgnoreExpired = 0x2000;
inline constexpr int kSslIgnoreAll = 0x3300;

// Takes a piece of a response body as it arrives; false stops the exchange, which then fails.
using ResponseBodySink = std::function<bool(const unsigned char* data, std::size_t size)>;

// An HTTP request object: one exchange at a time, driven member by member. Every member that can
// fail returns false on failure and then leaves the object as it was. Texts pass as bytes.
//
// Settings (timeouts, proxy, credentials, options) stay with the object across exchanges; Open
// starts a new request and drops the headers and the response of the one before.
class RequestObject {
 public:
  RequestObject() = default;
  RequestObject(const RequestObject&) = delete;
  RequestObject& operator=(const RequestObject&) = delete;
  virtual ~RequestObject() = default;

  // Sets the four timeouts in milliseconds; 0 and -1 mean no limit, below -1 is refused.
  virtual bool SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) = 0;
  // Chooses the proxy (kProxySetting...); kProxySettingProxy needs a non-empty proxy "host:port".
  virtual bool SetProxy(int setting, std::string_view proxy = {}) = 0;
  // Sets the user and password for the server or for the proxy (kCredentialsFor...).
  virtual bool SetCredentials(std::string_view user, std::string_view password, int flags) = 0;
  // Starts a request with a method and an http or https address; async exchanges are refused.
  virtual bool Open(std::string_view method, std::string_view url, bool async = false) = 0;
  // Writes an option (kOption...); an unknown index or value is refused.
  virtual bool SetOption(int index, int value) = 0;
  // Adds a header to the opened request, replacing one of the same name; an empty value removes it.
  virtual bool SetRequestHeader(std::string_view name, std::string_view value) = 0;
  // Sends the opened request with a body and waits for the whole response; false when the
  // exchange did not complete, and then the response reads give nothing.
  virtual bool Send(const Bytes& body) = 0;
  virtual bool Send(std::string_view body) = 0;
  // The body of the last response; empty when there is none.
  virtual const Bytes& ResponseBody() const = 0;
  // Hands the body of the last response over to the caller; the object keeps none.
  virtual Bytes TakeResponseBody() = 0;
  // The header lines of the last response, without its status line, each ended by "\r\n".
  virtual Text GetAllResponseHeaders() const = 0;
  // The status code of the last response; 0 when none was read.
  virtual int Status() const = 0;
  // Hands the bodies of the following exchanges piece by piece to sink instead of keeping them;
  // an empty sink keeps them again. False when this object cannot hand a body over.
  virtual bool SetResponseBodySink(ResponseBodySink sink) { return !sink; }
};

// Makes request objects; returns null when no object can be made.
using RequestObjectFactory = std::function<std::unique_ptr<RequestObject>()>;

// A new request object from the installed factory (by default the libcurl object); null when it
// cannot be made.
std::unique_ptr<RequestObject> CreateRequestObject();

// Replaces the factory that CreateRequestObject uses; an empty function restores the default.
void InstallRequestObjectFactory(RequestObjectFactory factory);

}  // namespace singrove
