#include "platform/request/CurlRequestObject.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/curl/HeaderNames.h"

namespace singrove {
namespace {

bool CurlStarted() {
  static const bool started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return started;
}

// A token of HTTP: the characters a method or a header name may hold.
bool IsToken(std::string_view text) {
  constexpr std::string_view kSigns = "!#$%&'*+-.^_`|~";
  return !text.empty() && std::ranges::all_of(text, [kSigns](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           kSigns.find(c) != std::string_view::npos;
  });
}

// True when the text would break a header line or a C string.
bool BreaksLine(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

// True when url is an absolute http or https address that libcurl can parse.
bool IsWebAddress(std::string_view url) {
  if (BreaksLine(url)) return false;
  const CurlUrl parsed(curl_url());
  if (!parsed) return false;
  if (curl_url_set(parsed.get(), CURLUPART_URL, std::string(url).c_str(), 0) != CURLUE_OK) {
    return false;
  }
  char* scheme = nullptr;
  if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) return false;
  const std::string_view name(scheme);
  const bool web = name == "http" || name == "https";
  curl_free(scheme);
  return web;
}

}  // namespace

std::unique_ptr<CurlRequestObject> CurlRequestObject::Create() {
  if (!CurlStarted()) return nullptr;
  CurlMulti multi(curl_multi_init());
  CurlEasy easy(curl_easy_init());
  if (!multi || !easy) return nullptr;
  return std::unique_ptr<CurlRequestObject>(
      new CurlRequestObject(std::move(multi), std::move(easy)));
}

CurlRequestObject::CurlRequestObject(CurlMulti multi, CurlEasy easy)
    : multi_(std::move(multi)), easy_(std::move(easy)) {}

bool CurlRequestObject::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
  if (std::min({resolveMs, connectMs, sendMs, receiveMs}) < -1) return false;
  settings_.timeouts = RequestTimeouts{resolveMs, connectMs, sendMs, receiveMs};
  return true;
}

bool CurlRequestObject::SetProxy(int setting, std::string_view proxy) {
  if (setting == kProxySettingDefault || setting == kProxySettingDirect) {
    settings_.proxySetting = setting;
    settings_.proxy.clear();
    return true;
  }
  if (setting != kProxySettingProxy || proxy.empty() || BreaksLine(proxy)) return false;
  settings_.proxySetting = setting;
  settings_.proxy = proxy;
  return true;
}

// The credentials stay with the object, whether given before or after Open, and serve every
// exchange after it.
bool CurlRequestObject::SetCredentials(std::string_view user, std::string_view password,
                                       int flags) {
  if (flags != kCredentialsForServer && flags != kCredentialsForProxy) return false;
  if (BreaksLine(user) || BreaksLine(password)) return false;
  auto& slot = flags == kCredentialsForProxy ? settings_.proxyCredentials : settings_.server;
  if (user.empty()) {
    slot.reset();
  } else {
    slot = RequestCredentials{std::string(user), std::string(password)};
  }
  return true;
}

bool CurlRequestObject::Open(std::string_view method, std::string_view url, bool async) {
  if (async || !IsToken(method) || !IsWebAddress(url)) return false;
  request_ = OpenedRequest{std::string(method), std::string(url), {}};
  response_ = ExchangeResult{};
  return true;
}

bool CurlRequestObject::SetOption(int index, int value) {
  if (index == kOptionSslErrorIgnoreFlags) {
    if ((value & ~kSslIgnoreAll) != 0) return false;
    settings_.sslIgnoreFlags = value;
    return true;
  }
  if (index == kOptionEnableRedirects) {
    settings_.followRedirects = value != 0;
    return true;
  }
  return false;
}

bool CurlRequestObject::SetRequestHeader(std::string_view name, std::string_view value) {
  if (!request_ || !IsToken(name) || BreaksLine(value)) return false;
  auto& headers = request_->headers;
  const auto same = std::ranges::find_if(
      headers, [name](const auto& header) { return SameHeaderName(header.first, name); });
  if (same != headers.end()) {
    same->second = value;
  } else {
    headers.emplace_back(name, value);
  }
  return true;
}

bool CurlRequestObject::Send(const Bytes& body) {
  return SendBody(body);
}

bool CurlRequestObject::Send(std::string_view body) {
  return SendBody(std::span(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

bool CurlRequestObject::SendBody(std::span<const unsigned char> body) {
  if (!request_) return false;
  auto result = RunExchange(multi_.get(), easy_.get(), settings_, *request_, body);
  response_ = result ? std::move(*result) : ExchangeResult{};
  return result.has_value();
}

const Bytes& CurlRequestObject::ResponseBody() const {
  return response_.body;
}

Bytes CurlRequestObject::TakeResponseBody() {
  return std::exchange(response_.body, Bytes());
}

Text CurlRequestObject::GetAllResponseHeaders() const {
  return response_.headers;
}

int CurlRequestObject::Status() const {
  return response_.status;
}

bool CurlRequestObject::SetResponseBodySink(ResponseBodySink sink) {
  settings_.bodySink = std::move(sink);
  return true;
}

}  // namespace singrove
