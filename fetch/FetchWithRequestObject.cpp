#include "fetch/FetchWithRequestObject.h"

#include <array>
#include <climits>
#include <cstdint>
#include <memory>

#include "fetch/Cookies.h"
#include "platform/request/RequestObject.h"
#include "text/Markers.h"
#include "text/Primitives.h"

namespace singrove {
namespace {

constexpr std::array<std::string_view, 3> kMethodNames = {"GET", "POST", "HEAD"};
constexpr int kDefaultTimeoutMs = 15000;
constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

bool Contains(std::string_view text, std::string_view needle) {
  return LocateText(text, needle) > 0;
}

// The milliseconds of a timeout in seconds: below 1 the default, and no more than an int holds.
int TimeoutMs(int timeoutSeconds) {
  if (timeoutSeconds < 1) return kDefaultTimeoutMs;
  const std::int64_t ms = std::int64_t{timeoutSeconds} * 1000;
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

// The caller's header block with the default headers it lacks added, each test on the block as
// the one before left it.
Text CompleteHeaderBlock(Text block, std::string_view url) {
  if (!Contains(block, "Accept:")) block += block.empty() ? "Accept: */*" : "\r\nAccept: */*";
  if (!Contains(block, "Referer:")) block.append("\r\nReferer: ").append(url);
  if (!Contains(block, "Accept-Language:")) block += "\r\nAccept-Language: zh-cn";
  if (!Contains(block, "User-Agent:")) block.append("\r\nUser-Agent: ").append(kUserAgent);
  if (!Contains(block, "Content-Type:")) {
    block += "\r\nContent-Type: application/x-www-form-urlencoded";
  }
  return block;
}

// The lines of a block separated by "\r\n", empty lines left out.
TextArray NonEmptyLines(std::string_view block) {
  TextArray lines;
  for (Text& line : SplitAtDelimiter(block, kLineBreak)) {
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

// The name of a header line: the text before its first colon, without spaces at both ends.
Text HeaderName(std::string_view line) {
  const int colon = LocateText(line, ":");
  return colon > 0 ? StripSpaces(LeftPart(line, colon - 1)) : Text();
}

// The value of a header line: the text after its first colon, later colons included.
Text HeaderValue(std::string_view line) {
  const int colon = LocateText(line, ":");
  return colon > 0 ? StripSpaces(line.substr(static_cast<std::size_t>(colon))) : Text();
}

void HandOverHeaders(RequestObject& object, std::string_view block) {
  if (!Contains(block, kLineBreak)) {
    object.SetRequestHeader(HeaderName(block), HeaderValue(block));
    return;
  }
  for (const Text& line : NonEmptyLines(block)) {
    object.SetRequestHeader(HeaderName(line), HeaderValue(line));
  }
}

// The cookies a response sets: from each line naming Set-Cookie, the name=value before the first
// ";", joined by "; ".
Text CollectNewCookies(std::string_view responseHeaders) {
  Text cookies;
  for (const Text& line : NonEmptyLines(responseHeaders)) {
    if (!Contains(line, "Set-Cookie")) continue;
    const Text item = Contains(line, ";") ? ExtractBetween(line, "Set-Cookie:", ";")
                                          : SubstituteText(line, "Set-Cookie:", "");
    cookies.append(StripSpaces(item)).append("; ");
  }
  if (!cookies.empty()) cookies.resize(cookies.size() - 2);
  return cookies;
}

// The object the exchange runs on: the caller's, or a new one owned for the call.
struct ObjectInUse {
  std::unique_ptr<RequestObject> owned;
  RequestObject* object = nullptr;
};

ObjectInUse TakeObject(RequestObject* callers) {
  if (callers != nullptr) return ObjectInUse{nullptr, callers};
  ObjectInUse inUse{CreateRequestObject(), nullptr};
  inUse.object = inUse.owned.get();
  return inUse;
}

void PrepareRequest(RequestObject& object, std::string_view url,
                    const FetchWithRequestObjectOptions& options) {
  if (options.timeoutSeconds != -1) {
    const int ms = TimeoutMs(options.timeoutSeconds);
    object.SetTimeouts(ms, ms, ms, ms);
  }
  if (!options.proxy.empty()) {
    object.SetProxy(kProxySettingProxy, options.proxy);
    if (!options.proxyUser.empty()) {
      object.SetCredentials(options.proxyUser, options.proxyPassword,
                            options.credentialFlags.value_or(kCredentialsForProxy));
    }
  }
  const bool knownMethod = options.method >= 0 && options.method <= 2;
  object.Open(kMethodNames[knownMethod ? static_cast<std::size_t>(options.method) : 0], url);
  if (options.noRedirect) object.SetOption(kOptionEnableRedirects, 0);
  object.SetOption(kOptionSslErrorIgnoreFlags, kSslIgnoreAll);
}

void SendRequest(RequestObject& object, std::string_view url,
                 const FetchWithRequestObjectOptions& options) {
  Text block = CompleteHeaderBlock(options.requestHeaders ? *options.requestHeaders : Text(), url);
  if (options.requestHeaders) *options.requestHeaders = block;
  const Text cookies = options.cookies ? *options.cookies : Text();
  if (!cookies.empty()) object.SetRequestHeader("Cookie", cookies);
  HandOverHeaders(object, block);
  if (options.bodyBytes && !options.bodyBytes->empty()) {
    object.Send(*options.bodyBytes);
  } else {
    object.Send(options.bodyText);
  }
}

// Writes the response's headers, status and cookies to the caller's outputs.
void ReadResponse(const RequestObject& object, const FetchWithRequestObjectOptions& options) {
  const Text headers = SubstituteText(object.GetAllResponseHeaders(), "Set-Cookie", "Set-Cookie");
  if (options.responseHeaders) *options.responseHeaders = headers;
  const int status = object.Status();
  if (options.status) *options.status = status;
  Text newCookies = CollectNewCookies(headers);
  Text cookies = options.cookies ? *options.cookies : Text();
  MergeCookies(cookies, newCookies);
  if (options.cookies) *options.cookies = std::move(cookies);
  if (options.newCookies) *options.newCookies = std::move(newCookies);
}

}  // namespace

// The body is moved out of the object, never copied, on its way to the caller: a download is held
// in memory only once. With a sink it is not held at all, unless the object cannot stream.
Bytes FetchWithRequestObject(std::string_view url, const FetchWithRequestObjectOptions& options) {
  const ObjectInUse inUse = TakeObject(options.requestObject);
  if (inUse.object == nullptr) return {};
  RequestObject& object = *inUse.object;
  PrepareRequest(object, url, options);
  const bool streams = options.bodySink && object.SetResponseBodySink(options.bodySink);
  SendRequest(object, url, options);
  if (streams) object.SetResponseBodySink({});
  Bytes body = object.TakeResponseBody();
  ReadResponse(object, options);
  if (!options.bodySink) return body;
  // An object that cannot stream hands its whole body over at once.
  if (!streams && !body.empty() && !options.bodySink(body.data(), body.size()) && options.status) {
    *options.status = 0;
  }
  return {};
}

}  // namespace singrove
