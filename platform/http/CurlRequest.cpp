#include "platform/http/CurlRequest.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/curl/HeaderNames.h"
#include "platform/curl/LowSpeed.h"
#include "platform/events/EventHook.h"
#include "platform/http/HeaderBlock.h"
#include "platform/http/WideUtf8.h"

namespace singrove {
namespace {

// The window toolkit gets its events at least this often while a call waits on the network.
constexpr auto kEventInterval = std::chrono::milliseconds(25);
constexpr int kPollMs = 25;
constexpr long kMaxRedirections = 10;

// Header lines that libcurl writes by itself unless the request carries its own; a line with
// the name and nothing after the colon tells libcurl to leave its own out.
constexpr std::string_view kCurlOwnHeaders[] = {"Accept", "Expect", "Content-Type",
                                                "Proxy-Connection"};

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

// The status code of a status line "HTTP/x.y nnn reason"; 0 when it has none.
int StatusCodeOf(std::string_view statusLine) {
  const std::size_t space = statusLine.find(' ');
  if (space == std::string_view::npos || statusLine.size() < space + 4) return 0;
  int code = 0;
  for (char c : statusLine.substr(space + 1, 3)) {
    if (c < '0' || c > '9') return 0;
    code = code * 10 + (c - '0');
  }
  return code;
}

// A header line as libcurl takes it: one with an empty value is written "Name;", since libcurl
// reads "Name:" as "leave this header out".
std::string CurlHeaderLine(const std::string& line) {
  const std::string_view name = HeaderName(line);
  const std::string_view value = std::string_view(line).substr(name.size() + 1);
  if (value.find_first_not_of(" \t") != std::string_view::npos) return line;
  return std::string(name) + ";";
}

}  // namespace

std::unique_ptr<CurlRequest> CurlRequest::Create(CurlRequestTarget target) {
  std::unique_ptr<CurlRequest> request(new CurlRequest(std::move(target)));
  request->easy_.reset(curl_easy_init());
  request->multi_.reset(curl_multi_init());
  if (!request->easy_ || !request->multi_) return nullptr;
  return request;
}

void CurlRequest::SetTimeouts(int resolveMs, int connectMs, int sendMs, int receiveMs) {
  // libcurl has one wait for the name lookup and the connection together.
  connectMs_ = connectMs > 0 ? connectMs + std::max(resolveMs, 0) : 0;
  sendMs_ = sendMs;
  receiveMs_ = receiveMs;
}

void CurlRequest::SetCredentials(bool forProxy, std::string user, std::string password) {
  (forProxy ? proxyUser_ : serverUser_) = std::move(user);
  (forProxy ? proxyPassword_ : serverPassword_) = std::move(password);
  (forProxy ? hasProxyCredentials_ : hasServerCredentials_) = true;
}

void CurlRequest::SetFollowRedirects(bool follow) {
  followRedirects_ = follow;
}

bool CurlRequest::AddHeaders(std::u16string_view block, bool replace) {
  std::vector<std::string> lines;
  if (!SplitHeaderBlock(block, lines)) return false;
  for (std::string& line : lines) PutHeader(headers_, std::move(line), replace);
  return true;
}

bool CurlRequest::Configure(std::string_view body) {
  CURL* easy = easy_.get();
  sendBody_.assign(body);
  const bool hasBody = !sendBody_.empty();

  curl_slist* list = nullptr;
  auto append = [&list](const std::string& line) {
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (!grown) return false;
    list = grown;
    return true;
  };
  bool listComplete = true;
  for (const std::string& line : headers_)
    listComplete = listComplete && append(CurlHeaderLine(line));
  for (std::string_view name : kCurlOwnHeaders)
    if (!HasHeader(headers_, name)) listComplete = listComplete && append(std::string(name) + ":");
  headerList_.reset(list);
  if (!listComplete) return false;

  bool ok = true;
  auto set = [&ok, easy](CURLoption option, auto value) {
    ok = ok && curl_easy_setopt(easy, option, value) == CURLE_OK;
  };
  set(CURLOPT_URL, target_.url.c_str());
  set(CURLOPT_PROTOCOLS_STR, "http,https");
  set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  set(CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  set(CURLOPT_PATH_AS_IS, 1L);
  set(CURLOPT_NOSIGNAL, 1L);
  set(CURLOPT_HTTP_CONTENT_DECODING, 0L);
  set(CURLOPT_FOLLOWLOCATION, followRedirects_ ? 1L : 0L);
  set(CURLOPT_MAXREDIRS, kMaxRedirections);
  set(CURLOPT_PROXY, target_.proxy.c_str());  // "" also keeps proxies of the environment out
  set(CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  set(CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectMs_));
  // A trickle that never falls silent fails the exchange as silence does.
  ok = ok && LimitLowSpeed(easy, receiveMs_) == CURLE_OK;
  set(CURLOPT_HTTPHEADER, headerList_.get());
  set(CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeaderLine);
  set(CURLOPT_HEADERDATA, static_cast<void*>(this));
  set(CURLOPT_WRITEFUNCTION, &CurlRequest::OnBodyBytes);
  set(CURLOPT_WRITEDATA, static_cast<void*>(this));
  if (hasServerCredentials_) {
    set(CURLOPT_HTTPAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
    set(CURLOPT_USERNAME, serverUser_.c_str());
    set(CURLOPT_PASSWORD, serverPassword_.c_str());
  }
  if (hasProxyCredentials_) {
    set(CURLOPT_PROXYAUTH, static_cast<unsigned long>(CURLAUTH_BASIC));
    set(CURLOPT_PROXYUSERNAME, proxyUser_.c_str());
    set(CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
  }

  // libcurl keeps its own rules for GET, POST and HEAD (a POST answered by 303 goes on as a
  // GET); any other method, or a body with GET, is named as it is.
  const std::string& method = target_.method;
  const bool bodyAlwaysSent = method == "POST" || method == "PUT";
  if (method == "HEAD") {
    set(CURLOPT_NOBODY, 1L);
  } else if (method == "GET" && !hasBody) {
    set(CURLOPT_HTTPGET, 1L);
  } else if (method != "POST") {
    set(CURLOPT_CUSTOMREQUEST, method.c_str());
  }
  if (method != "HEAD" && (hasBody || bodyAlwaysSent)) {
    set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(sendBody_.size()));
    set(CURLOPT_POSTFIELDS, sendBody_.c_str());
  }
  return ok;
}

bool CurlRequest::Send(std::string_view body) {
  if (started_) return false;
  if (!Configure(body) || !attachment_.Attach(multi_.get(), easy_.get())) return false;
  started_ = true;
  lastActivity_ = Clock::now();
  Pump([this] { return sent_; });
  // A reply that came and was refused within the pass that sent the request ends the transfer
  // before the request was seen to go out; the failure then belongs to the receive.
  if (ended_ && !sent_) sent_ = RequestWentOut();
  return sent_ || (ended_ && result_ == CURLE_OK);
}

bool CurlRequest::Receive() {
  if (!started_) return false;
  Pump([this] { return headersComplete_; });
  return headersComplete_;
}

bool CurlRequest::WaitForBody() {
  if (!headersComplete_) return false;
  if (Unread() == 0) {
    received_.clear();
    readOffset_ = 0;
    Pump([this] { return !received_.empty(); });
  }
  return Unread() > 0 || result_ == CURLE_OK;
}

bool CurlRequest::DataAvailable(std::uint32_t& available) {
  if (!WaitForBody()) return false;
  available = static_cast<std::uint32_t>(
      std::min<std::size_t>(Unread(), std::numeric_limits<std::uint32_t>::max()));
  return true;
}

bool CurlRequest::Read(void* buffer, std::uint32_t size, std::uint32_t& read) {
  if (!WaitForBody()) return false;
  const std::size_t count = std::min<std::size_t>(Unread(), size);
  if (count > 0) std::memcpy(buffer, received_.data() + readOffset_, count);
  readOffset_ += count;
  read = static_cast<std::uint32_t>(count);
  return true;
}

bool CurlRequest::RawHeaders(std::u16string& headers) {
  if (!headersComplete_) return false;
  headers = WideFromWireBytes(rawHeaders_);
  return true;
}

template <class Done>
void CurlRequest::Pump(Done done) {
  auto lastEvents = Clock::now();
  while (!ended_ && !done()) {
    int running = 0;
    if (curl_multi_perform(multi_.get(), &running) != CURLM_OK) {
      End(CURLE_RECV_ERROR);
      break;
    }
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_.get(), &queued))
      if (message->msg == CURLMSG_DONE) End(message->data.result);
    if (ended_ || done()) break;

    const auto now = Clock::now();
    NoteProgress(now);
    if (sent_ && done()) break;
    if (IdleTooLong(now)) {
      End(CURLE_OPERATION_TIMEDOUT);
      break;
    }
    if (now - lastEvents >= kEventInterval) {
      ProcessPendingEvents();
      // Time the toolkit spent handling events is no silence of the peer.
      const auto after = Clock::now();
      lastActivity_ += after - now;
      lastEvents = after;
    }
    curl_multi_poll(multi_.get(), nullptr, 0, kPollMs, nullptr);
  }
}

void CurlRequest::NoteProgress(Clock::time_point now) {
  if (sent_) return;
  if (!connected_) {
    curl_off_t connectTime = 0;
    curl_easy_getinfo(easy_.get(), CURLINFO_CONNECT_TIME_T, &connectTime);
    if (connectTime <= 0) return;
    connected_ = true;
    lastActivity_ = now;
  }
  curl_off_t uploaded = 0;
  curl_easy_getinfo(easy_.get(), CURLINFO_SIZE_UPLOAD_T, &uploaded);
  if (uploaded != uploaded_) {
    uploaded_ = uploaded;
    lastActivity_ = now;
  }
  if (RequestWentOut()) sent_ = true;
}

bool CurlRequest::RequestWentOut() const {
  long requestSize = 0;
  curl_off_t uploaded = 0;
  curl_easy_getinfo(easy_.get(), CURLINFO_REQUEST_SIZE, &requestSize);
  curl_easy_getinfo(easy_.get(), CURLINFO_SIZE_UPLOAD_T, &uploaded);
  return requestSize > 0 && uploaded >= static_cast<curl_off_t>(sendBody_.size());
}

bool CurlRequest::IdleTooLong(Clock::time_point now) const {
  // Before the connection stands, libcurl's own connect wait applies.
  if (!sent_ && !connected_) return false;
  const int limitMs = sent_ ? receiveMs_ : sendMs_;
  return limitMs > 0 && now - lastActivity_ > std::chrono::milliseconds(limitMs);
}

void CurlRequest::End(CURLcode result) {
  ended_ = true;
  result_ = result;
  if (result == CURLE_OK && !rawHeaders_.empty()) headersComplete_ = true;
}

std::size_t CurlRequest::OnHeaderLine(char* data, std::size_t size, std::size_t count, void* self) {
  auto& request = *static_cast<CurlRequest*>(self);
  const std::size_t length = size * count;
  const std::string_view line = WithoutLineEnd(std::string_view(data, length));
  request.lastActivity_ = Clock::now();
  request.sent_ = true;
  const bool statusLine = line.starts_with("HTTP/");
  // Trailer lines after a chunked body belong to no header block.
  if (request.bodyStarted_ && !statusLine) return length;
  if (statusLine) {
    // A new response begins (after an interim one or a redirection): only the last one counts.
    request.rawHeaders_.clear();
    request.statusCode_ = StatusCodeOf(line);
    request.responseHasLocation_ = false;
    request.headersComplete_ = false;
  } else if (SameHeaderName(line.substr(0, 9), "location:")) {
    request.responseHasLocation_ = true;
  }
  request.rawHeaders_.append(line).append("\r\n");
  if (line.empty()) {
    const int code = request.statusCode_;
    const bool interim = code >= 100 && code < 200;
    const bool redirectionFollowed =
        request.followRedirects_ && code >= 300 && code < 400 && request.responseHasLocation_;
    if (!interim && !redirectionFollowed) request.headersComplete_ = true;
  }
  return length;
}

std::size_t CurlRequest::OnBodyBytes(char* data, std::size_t size, std::size_t count, void* self) {
  auto& request = *static_cast<CurlRequest*>(self);
  const std::size_t length = size * count;
  request.received_.append(data, length);
  request.headersComplete_ = true;
  request.bodyStarted_ = true;
  request.lastActivity_ = Clock::now();
  return length;
}

}  // namespace singrove
