#include <cstring>
#include <string>
#include <vector>

#include "platform/http/CurlRequest.h"
#include "platform/http/HttpApi.h"
#include "platform/http/UrlSyntax.h"
#include "platform/http/WideUtf8.h"

namespace singrove {
namespace {

// One entry of a proxy name: the server that requests of a scheme go through ("" for any).
struct ProxyRule {
  std::string scheme;
  std::string server;  // "host:port"
};

class CurlSession final : public HttpObject {
 public:
  explicit CurlSession(std::vector<ProxyRule> proxies) : proxies_(std::move(proxies)) {}
  const std::vector<ProxyRule>& Proxies() const { return proxies_; }

 private:
  std::vector<ProxyRule> proxies_;
};

class CurlConnection final : public HttpObject {
 public:
  CurlConnection(std::vector<ProxyRule> proxies, std::string host, std::uint16_t port)
      : proxies_(std::move(proxies)), host_(std::move(host)), port_(port) {}
  const std::vector<ProxyRule>& Proxies() const { return proxies_; }
  const std::string& Host() const { return host_; }
  std::uint16_t Port() const { return port_; }

 private:
  std::vector<ProxyRule> proxies_;
  std::string host_;
  std::uint16_t port_;
};

std::u16string LowerAscii(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  return lower;
}

bool IsDigits(std::u16string_view text) {
  if (text.empty() || text.size() > 5) return false;
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

// Reads one proxy entry: ["http=" | "https="]["http://"]host[:port]. Entries for other schemes
// are skipped; false for a malformed one.
bool ParseProxyEntry(std::u16string_view entry, std::vector<ProxyRule>& rules) {
  ProxyRule rule;
  if (const std::size_t equals = entry.find(u'='); equals != std::u16string_view::npos) {
    const std::u16string scheme = LowerAscii(entry.substr(0, equals));
    entry.remove_prefix(equals + 1);
    if (scheme != u"http" && scheme != u"https") return !scheme.empty();
    rule.scheme = Utf8FromWide(scheme);
  }
  if (LowerAscii(entry.substr(0, 7)) == u"http://") entry.remove_prefix(7);
  while (!entry.empty() && entry.back() == u'/') entry.remove_suffix(1);
  const std::size_t bracketEnd = entry.rfind(u']');
  std::size_t colon = entry.rfind(u':');
  if (colon != std::u16string_view::npos && bracketEnd != std::u16string_view::npos &&
      colon < bracketEnd)
    colon = std::u16string_view::npos;
  const std::u16string_view host = entry.substr(0, colon);
  const std::u16string_view port =
      colon == std::u16string_view::npos ? std::u16string_view(u"80") : entry.substr(colon + 1);
  if (!IsAllowedHost(host) || !IsDigits(port)) return false;
  rule.server = Utf8FromWide(host) + ":" + Utf8FromWide(port);
  rules.push_back(std::move(rule));
  return true;
}

// Reads a proxy name: entries separated by ";" or white space.
bool ParseProxyName(std::u16string_view name, std::vector<ProxyRule>& rules) {
  constexpr std::u16string_view kSeparators = u"; \t";
  while (!name.empty()) {
    const std::size_t end = name.find_first_of(kSeparators);
    const std::u16string_view entry = name.substr(0, end);
    if (!entry.empty() && !ParseProxyEntry(entry, rules)) return false;
    if (end == std::u16string_view::npos) break;
    name.remove_prefix(end + 1);
  }
  return !rules.empty();
}

// The proxy address for requests of a scheme, "" when they go direct.
std::string ProxyFor(const std::vector<ProxyRule>& rules, std::string_view scheme) {
  for (const ProxyRule& rule : rules)
    if (rule.scheme.empty() || rule.scheme == scheme) return "http://" + rule.server;
  return {};
}

bool IsToken(std::u16string_view text) {
  if (text.empty()) return false;
  for (char16_t c : text) {
    const bool alnum =
        (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
    if (!alnum && std::u16string_view(u"!#$%&'*+-.^_`|~").find(c) == std::u16string_view::npos)
      return false;
  }
  return true;
}

// The object name as it goes into the address: bytes beyond ASCII percent-encoded.
std::string ObjectPath(std::u16string_view objectName) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string path = objectName.empty() || objectName.front() != u'/' ? "/" : "";
  for (unsigned char byte : Utf8FromWide(objectName)) {
    if (byte < 0x80) {
      path += static_cast<char>(byte);
    } else {
      path += '%';
      path += kHex[byte >> 4];
      path += kHex[byte & 0xF];
    }
  }
  return path;
}

CurlRequest* AsRequest(HttpHandle handle) {
  return dynamic_cast<CurlRequest*>(handle);
}

class CurlHttp final : public HttpApi {
 public:
  CurlHttp() : ready_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}
  ~CurlHttp() override {
    if (ready_) curl_global_cleanup();
  }

  bool CheckPlatform() override {
    if (!ready_) return false;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    for (const char* const* protocol = info->protocols; protocol && *protocol; ++protocol)
      if (std::strcmp(*protocol, "http") == 0) return true;
    return false;
  }

  bool CrackUrl(std::u16string_view url, UrlComponents& components) override {
    return ParseHttpUrl(url, components);
  }

  HttpHandle Open(std::uint32_t accessType, std::u16string_view proxyName) override {
    std::vector<ProxyRule> proxies;
    if (accessType == kHttpAccessNamedProxy) {
      if (!ParseProxyName(proxyName, proxies)) return nullptr;
    } else if (accessType != kHttpAccessNoProxy) {
      return nullptr;
    }
    return new CurlSession(std::move(proxies));
  }

  HttpHandle Connect(HttpHandle session, std::u16string_view host, std::uint16_t port) override {
    const auto* owner = dynamic_cast<CurlSession*>(session);
    if (!owner) return nullptr;
    std::u16string name(host);
    // A bare IPv6 address is written in brackets inside an address.
    if (name.find(u':') != std::u16string::npos && name.front() != u'[') name = u"[" + name + u"]";
    if (!IsAllowedHost(name)) return nullptr;
    return new CurlConnection(owner->Proxies(), Utf8FromWide(name), port);
  }

  HttpHandle OpenRequest(HttpHandle connection, std::u16string_view method,
                         std::u16string_view objectName, std::uint32_t flags) override {
    const auto* owner = dynamic_cast<CurlConnection*>(connection);
    if (!owner || HoldsUnsafeCharacter(objectName)) return nullptr;
    if (!method.empty() && !IsToken(method)) return nullptr;
    const bool secure = (flags & kHttpFlagSecure) != 0;
    const std::string scheme = secure ? "https" : "http";
    const std::uint16_t port = owner->Port() != 0 ? owner->Port() : (secure ? 443 : 80);
    CurlRequestTarget target{
        .url = scheme + "://" + owner->Host() + ":" + std::to_string(port) + ObjectPath(objectName),
        .method = method.empty() ? std::string("GET") : Utf8FromWide(method),
        .proxy = ProxyFor(owner->Proxies(), scheme),
    };
    return CurlRequest::Create(std::move(target)).release();
  }

  bool SetTimeouts(HttpHandle request, int resolveMs, int connectMs, int sendMs,
                   int receiveMs) override {
    CurlRequest* owner = AsRequest(request);
    if (!owner) return false;
    owner->SetTimeouts(resolveMs, connectMs, sendMs, receiveMs);
    return true;
  }

  bool SetCredentials(HttpHandle request, std::uint32_t target, std::uint32_t scheme,
                      std::u16string_view user, std::u16string_view password) override {
    CurlRequest* owner = AsRequest(request);
    if (!owner || scheme != kHttpAuthSchemeBasic || user.empty()) return false;
    if (target != kHttpAuthTargetServer && target != kHttpAuthTargetProxy) return false;
    owner->SetCredentials(target == kHttpAuthTargetProxy, Utf8FromWide(user),
                          Utf8FromWide(password));
    return true;
  }

  bool SetOption(HttpHandle request, std::uint32_t option, const void* value,
                 std::uint32_t length) override {
    CurlRequest* owner = AsRequest(request);
    if (!owner || !value || length != sizeof(std::uint32_t)) return false;
    std::uint32_t number = 0;
    std::memcpy(&number, value, sizeof number);
    if (option == kHttpOptionDisableFeature) {
      if ((number & ~(kHttpDisableCookies | kHttpDisableRedirects)) != 0) return false;
      // This layer keeps no cookies, so turning them off asks for nothing more.
      if (number & kHttpDisableRedirects) owner->SetFollowRedirects(false);
      return true;
    }
    return option == kHttpOptionEnableFeature && number == kHttpEnableSslRevocation;
  }

  bool AddRequestHeaders(HttpHandle request, std::u16string_view headers,
                         std::uint32_t flags) override {
    CurlRequest* owner = AsRequest(request);
    return owner && owner->AddHeaders(headers, (flags & kHttpReplaceHeader) != 0);
  }

  bool SendRequest(HttpHandle request, const void* body, std::uint32_t bodyLength,
                   std::uint32_t totalLength) override {
    CurlRequest* owner = AsRequest(request);
    if (!owner || totalLength != bodyLength || (bodyLength > 0 && !body)) return false;
    return owner->Send(std::string_view(static_cast<const char*>(body), bodyLength));
  }

  bool ReceiveResponse(HttpHandle request) override {
    CurlRequest* owner = AsRequest(request);
    return owner && owner->Receive();
  }

  bool QueryDataAvailable(HttpHandle request, std::uint32_t& available) override {
    CurlRequest* owner = AsRequest(request);
    return owner && owner->DataAvailable(available);
  }

  bool ReadData(HttpHandle request, void* buffer, std::uint32_t size,
                std::uint32_t& read) override {
    CurlRequest* owner = AsRequest(request);
    return owner && (buffer || size == 0) && owner->Read(buffer, size, read);
  }

  bool QueryHeaders(HttpHandle request, std::uint32_t infoLevel, void* buffer,
                    std::uint32_t& bufferLength, std::uint32_t& index) override {
    CurlRequest* owner = AsRequest(request);
    std::u16string headers;
    if (!owner || infoLevel != kHttpQueryRawHeadersCrlf || index != 0 ||
        !owner->RawHeaders(headers))
      return false;
    const std::size_t bytes = headers.size() * sizeof(char16_t);
    if (!buffer || bufferLength < bytes + sizeof(char16_t)) {
      bufferLength = static_cast<std::uint32_t>(bytes + sizeof(char16_t));
      return false;
    }
    std::memcpy(buffer, headers.c_str(), bytes + sizeof(char16_t));
    bufferLength = static_cast<std::uint32_t>(bytes);
    return true;
  }

  void CloseHandle(HttpHandle handle) override { delete handle; }

 private:
  bool ready_;
};

}  // namespace

HttpApi& CurlHttpApi() {
  static CurlHttp api;
  return api;
}

}  // namespace singrove
