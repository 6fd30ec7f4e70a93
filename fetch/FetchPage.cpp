#include "fetch/FetchPage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>

#include "fetch/CharsetStep.h"
#include "fetch/PageFetchErrors.h"
#include "fetch/PageRequestHeaders.h"
#include "fetch/PageResponseHeaders.h"
#include "fetch/WideText.h"
#include "platform/events/EventHook.h"
#include "platform/http/HttpApi.h"

namespace singrove {
namespace {

// A body is not read beyond this many bytes; the read stops as if it had failed.
constexpr std::size_t kMaxBodyBytes = std::size_t{256} << 20;

// The UTF-16 units of TextToWide's bytes, without the terminator.
std::u16string Utf16Of(const Bytes& wide) {
  std::u16string units(wide.size() / 2, u'\0');
  for (std::size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(wide[2 * i] | (wide[2 * i + 1] << 8));
  while (!units.empty() && units.back() == u'\0') units.pop_back();
  return units;
}

std::u16string WideOf(std::string_view text) {
  return Utf16Of(TextToWide(text));
}

// The GBK text of a stretch of UTF-16 units, through WideToText.
Text TextOf(std::u16string_view units) {
  Bytes wide(units.size() * 2);
  for (std::size_t i = 0; i < units.size(); ++i) {
    wide[2 * i] = static_cast<unsigned char>(units[i] & 0xFF);
    wide[2 * i + 1] = static_cast<unsigned char>(units[i] >> 8);
  }
  return WideToText(wide);
}

// The bytes up to the first NUL byte, as text (BytesToText, without a byte-by-byte scan).
Text TextUpToNul(const Bytes& bytes) {
  if (bytes.empty()) return {};
  const auto* begin = reinterpret_cast<const char*>(bytes.data());
  const void* nul = std::memchr(begin, 0, bytes.size());
  return Text(begin, nul ? static_cast<const char*>(nul) - begin : bytes.size());
}

// The path and query of an address as parsed; "/" alone, without the query, when it has no path.
std::u16string ObjectNameOf(std::u16string_view url, const UrlComponents& parts) {
  if (parts.pathLength == 0) return u"/";
  return std::u16string(url.substr(parts.pathStart, parts.pathLength))
      .append(url.substr(parts.extraStart, parts.extraLength));
}

const char16_t* MethodName(int method) {
  static constexpr const char16_t* kMethods[] = {u"GET", u"POST", u"HEAD", u"PUT"};
  return method >= 0 && method <= 3 ? kMethods[method] : kMethods[0];
}

// One call of FetchPage: the three handles and the steps of the exchange. The handles are
// closed in reverse order of opening on every way out.
class PageFetch {
 public:
  PageFetch(std::string_view url, const FetchPageOptions& options)
      : url_(url), options_(options), api_(CurrentHttpApi()) {}
  PageFetch(const PageFetch&) = delete;
  PageFetch& operator=(const PageFetch&) = delete;
  ~PageFetch() {
    api_.CloseHandle(request_);
    api_.CloseHandle(connection_);
    api_.CloseHandle(session_);
  }

  Text Run() {
    Text body;
    if (Exchange(body) == Ending::kAtOnce) return {};
    // Each step that was reached lets the window catch up once, after the last of them.
    for (int i = 0; i < stepsReached_; ++i) ProcessPendingEvents();
    return body;
  }

 private:
  enum class Ending { kAfterEvents, kAtOnce };

  Ending Fail(PageFetchError error) {
    if (options_.statusText) *options_.statusText = PageFetchErrorText(error);
    const auto code = static_cast<int>(error);
    return code >= 707 && code <= 709 ? Ending::kAtOnce : Ending::kAfterEvents;
  }

  Ending Exchange(Text& body) {
    if (!api_.CheckPlatform()) return Fail(PageFetchError::kPlatformCheck);
    ++stepsReached_;
    const std::u16string url = WideOf(url_);
    UrlComponents parts;
    if (!api_.CrackUrl(url, parts)) return Fail(PageFetchError::kAddressParsing);
    const std::u16string_view whole = url;
    const std::u16string host = WideOf(TextOf(whole.substr(parts.hostStart, parts.hostLength)));
    const bool secure = parts.scheme == kHttpSchemeHttps;
    const std::u16string objectName = ObjectNameOf(whole, parts);

    ++stepsReached_;
    if (!OpenSession(secure)) return Fail(PageFetchError::kSession);
    ++stepsReached_;
    connection_ = api_.Connect(session_, host, parts.port);
    if (!connection_) return Fail(PageFetchError::kConnection);
    ++stepsReached_;
    request_ = api_.OpenRequest(connection_, MethodName(options_.method), objectName,
                                secure ? kHttpFlagSecure : 0);
    if (!request_) return Fail(PageFetchError::kRequest);
    ++stepsReached_;
    const int seconds = options_.timeoutSeconds >= 1 ? options_.timeoutSeconds : 30;
    const int ms = std::min(seconds, std::numeric_limits<int>::max() / 1000) * 1000;
    if (!api_.SetTimeouts(request_, ms, ms, ms, ms)) return Fail(PageFetchError::kTimeouts);
    if (const auto failed = SetCredentialsAndOptions()) return Fail(*failed);

    ++stepsReached_;
    if (!AddHeaders()) return Fail(PageFetchError::kRequestHeaders);
    ++stepsReached_;
    if (!Send()) return Fail(PageFetchError::kSend);
    ++stepsReached_;
    if (!api_.ReceiveResponse(request_)) return Fail(PageFetchError::kReceive);

    Bytes received = ReadBody();
    ++stepsReached_;
    Text rawHeaders;
    if (!QueryRawHeaders(rawHeaders)) return Ending::kAfterEvents;
    DerivePageResponseOutputs(rawHeaders, options_);
    body = ApplyDeclaredCharset(TextUpToNul(received), received);
    if (options_.responseBytes) *options_.responseBytes = std::move(received);
    return Ending::kAfterEvents;
  }

  // Sends the bytes of bodyText, or no body when it is empty; a body the layer cannot count
  // (4 GiB and more) is not sent at all.
  bool Send() {
    const std::string_view body = options_.bodyText;
    if (body.size() > std::numeric_limits<std::uint32_t>::max()) return false;
    const auto length = static_cast<std::uint32_t>(body.size());
    return api_.SendRequest(request_, body.empty() ? nullptr : body.data(), length, length);
  }

  bool OpenSession(bool secure) {
    if (options_.proxy.empty()) {
      session_ = api_.Open(kHttpAccessNoProxy, u"");
    } else {
      // An HTTPS address names the proxy as it is; any other names it for "http" requests.
      const Text name = secure ? Text(options_.proxy) : "http=" + Text(options_.proxy);
      session_ = api_.Open(kHttpAccessNamedProxy, WideOf(name));
    }
    return session_ != nullptr;
  }

  // Credentials, the cookie option and the redirect option, in that order; the error of the
  // first that fails.
  std::optional<PageFetchError> SetCredentialsAndOptions() {
    const auto setCredentials = [this](std::uint32_t target, std::string_view user,
                                       std::string_view password) {
      return user.empty() || password.empty() ||
             api_.SetCredentials(request_, target, kHttpAuthSchemeBasic, WideOf(user),
                                 WideOf(password));
    };
    if (!setCredentials(kHttpAuthTargetServer, options_.serverUser, options_.serverPassword) ||
        !setCredentials(kHttpAuthTargetProxy, options_.proxyUser, options_.proxyPassword))
      return PageFetchError::kCredentials;
    // Given cookies (even "") leave the platform's own cookie handling as it is.
    const std::uint32_t cookieOption =
        options_.cookies ? kHttpOptionEnableFeature : kHttpOptionDisableFeature;
    const std::uint32_t cookieValue =
        options_.cookies ? kHttpEnableSslRevocation : kHttpDisableCookies;
    if (!api_.SetOption(request_, cookieOption, &cookieValue, sizeof cookieValue))
      return PageFetchError::kCookieOption;
    const std::uint32_t redirectsOff = kHttpDisableRedirects;
    if (options_.noRedirect &&
        !api_.SetOption(request_, kHttpOptionDisableFeature, &redirectsOff, sizeof redirectsOff))
      return PageFetchError::kRedirectOption;
    return std::nullopt;
  }

  bool AddHeaders() {
    // A cookie list is one header value: a line break in it would start a header of its own.
    if (options_.cookies && options_.cookies->find_first_of("\r\n") != Text::npos) return false;
    const std::u16string block =
        WideOf(BuildPageRequestHeaders(options_.requestHeaders, options_.cookies));
    return api_.AddRequestHeaders(request_, block, kHttpAddHeader | kHttpReplaceHeader);
  }

  // The body as it came, in the pieces the layer reports; a failed read, or a body beyond
  // kMaxBodyBytes, stops the reading with error 713 and keeps what was read.
  Bytes ReadBody() {
    Bytes received;
    Bytes piece;  // one buffer of the reported size, reused while it is large enough
    std::uint32_t available = 0;
    while (api_.QueryDataAvailable(request_, available) && available >= 1) {
      if (received.size() >= kMaxBodyBytes) {
        Fail(PageFetchError::kReadBody);
        break;
      }
      const auto wanted = static_cast<std::uint32_t>(
          std::min<std::size_t>(available, kMaxBodyBytes - received.size()));
      if (piece.size() < wanted) piece.resize(wanted);
      std::uint32_t read = 0;
      if (!api_.ReadData(request_, piece.data(), wanted, read)) {
        Fail(PageFetchError::kReadBody);
        break;
      }
      received.insert(received.end(), piece.begin(), piece.begin() + std::min(read, wanted));
    }
    return received;
  }

  // The raw response headers, asked for twice: the length, then the text.
  bool QueryRawHeaders(Text& rawHeaders) {
    std::uint32_t length = 0, index = 0;
    api_.QueryHeaders(request_, kHttpQueryRawHeadersCrlf, nullptr, length, index);
    Bytes buffer(length);
    index = 0;
    if (!api_.QueryHeaders(request_, kHttpQueryRawHeadersCrlf, buffer.data(), length, index))
      return false;
    rawHeaders = WideToText(buffer);
    return true;
  }

  std::string_view url_;
  const FetchPageOptions& options_;
  HttpApi& api_;
  HttpHandle session_ = nullptr;
  HttpHandle connection_ = nullptr;
  HttpHandle request_ = nullptr;
  int stepsReached_ = 0;  // of the steps 2, 4, 5, 7, 8, 10, 11, 12 and 14
};

}  // namespace

Text FetchPage(std::string_view url, const FetchPageOptions& options) {
  return PageFetch(url, options).Run();
}

}  // namespace singrove
