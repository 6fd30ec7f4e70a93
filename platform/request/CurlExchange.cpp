#include "platform/request/CurlExchange.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "platform/events/EventHook.h"
#include "platform/curl/CurlHandles.h"
#include "platform/curl/LowSpeed.h"
#include "platform/curl/HeaderNames.h"

namespace singrove {
namespace {

using Clock = std::chrono::steady_clock;

// The largest body an exchange holds; a longer one fails the exchange.
constexpr std::uint64_t kMostBodyBytes = std::uint64_t{4} << 30;
constexpr long kMostRedirects = 10;
// The window gets its events at least this often while an exchange waits.
constexpr auto kEventInterval = std::chrono::milliseconds(20);
constexpr int kPollMs = 20;
// libcurl reads and hands over the body in pieces of this size. While data keeps coming, one
// curl_multi_perform reads up to 100 pieces before it returns to the loop that hands the window
// its events, so the piece size bounds that wait: 100 pieces of 64 KiB take some 20 ms on
// loopback, where pieces of 256 KiB kept the window still for 80 ms at a time.
constexpr long kReceiveBufferBytes = 64 * 1024;

constexpr std::string_view kContentLength = "Content-Length";

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// What one transfer gathers while it runs. Its callbacks never let an exception reach libcurl:
// a failure returns the value that makes libcurl stop the transfer.
class Transfer {
 public:
  Transfer(CURL* easy, std::span<const unsigned char> upload, const RequestTimeouts& timeouts,
           const ResponseBodySink& sink)
      : easy_(easy), upload_(upload), timeouts_(timeouts), sink_(sink) {}

  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<Transfer*>(self)->TakeHeader(std::string_view(data, size * count))
               ? size * count
               : 0;
  }
  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<Transfer*>(self)->TakeBody(data, size * count) ? size * count : 0;
  }
  static std::size_t OnRead(char* buffer, std::size_t size, std::size_t count, void* self) {
    return static_cast<Transfer*>(self)->GiveUpload(buffer, size * count);
  }
  static int OnSeek(void* self, curl_off_t offset, int origin) {
    return static_cast<Transfer*>(self)->Rewind(offset, origin) ? CURL_SEEKFUNC_OK
                                                                : CURL_SEEKFUNC_FAIL;
  }
  static int OnConnected(void* self, char*, char*, int, int) {
    static_cast<Transfer*>(self)->MarkConnected();
    return CURL_PREREQFUNC_OK;
  }

  // True when the request or the response has stood still for longer than its timeout. The time
  // until the connection stands is left to libcurl's connect timeout.
  bool Stalled(Clock::time_point now) const {
    if (!connected_) return false;
    const int limitMs = UploadDone() ? timeouts_.receiveMs : timeouts_.sendMs;
    return limitMs > 0 && now - lastActivity_ > std::chrono::milliseconds(limitMs);
  }

  ExchangeResult TakeResult(int status) {
    return ExchangeResult{std::move(body_), std::move(headers_), status};
  }

 private:
  bool UploadDone() const { return uploaded_ >= upload_.size(); }

  void MarkConnected() {
    connected_ = true;
    lastActivity_ = Clock::now();
  }

  // Keeps the header lines of the latest response: a status line starts a new response, so the
  // headers of redirections, interim answers and proxy tunnels are dropped.
  bool TakeHeader(std::string_view line) {
    lastActivity_ = Clock::now();
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with("HTTP/")) {
      // What a sink took cannot be taken back, so a body followed by another response fails.
      if (sink_ && sunk_) return false;
      headers_.clear();
      body_.clear();
      bodyStarted_ = false;
      announcedLength_.reset();
      return true;
    }
    if (line.empty()) return true;
    try {
      if (!AgreesOnLength(line)) return false;
      headers_.append(line).append("\r\n");
    } catch (const std::bad_alloc&) {
      return false;
    }
    return true;
  }

  // A response that announces two different lengths has no length to trust: its body could be
  // whole or cut short, so the exchange fails rather than hand out either.
  bool AgreesOnLength(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos ||
        !SameHeaderName(Trimmed(line.substr(0, colon)), kContentLength)) {
      return true;
    }
    std::string_view values = line.substr(colon + 1);
    for (;;) {
      const std::size_t comma = values.find(',');
      const std::string_view value = Trimmed(values.substr(0, comma));
      if (!announcedLength_) announcedLength_ = value;
      if (value != *announcedLength_) return false;
      if (comma == std::string_view::npos) return true;
      values.remove_prefix(comma + 1);
    }
  }

  // Appends a piece of the body; the first piece reserves the announced length at once. With a
  // sink the piece goes there instead.
  bool TakeBody(const char* data, std::size_t size) {
    lastActivity_ = Clock::now();
    if (sink_) return Sink(reinterpret_cast<const unsigned char*>(data), size);
    try {
      if (!bodyStarted_) {
        bodyStarted_ = true;
        curl_off_t announced = -1;
        curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
        if (announced > 0 && static_cast<std::uint64_t>(announced) > kMostBodyBytes) return false;
        if (announced > 0) body_.reserve(static_cast<std::size_t>(announced));
      }
      if (body_.size() + size > kMostBodyBytes) return false;
      const auto* bytes = reinterpret_cast<const unsigned char*>(data);
      body_.insert(body_.end(), bytes, bytes + size);
    } catch (const std::bad_alloc&) {
      return false;
    } catch (const std::length_error&) {
      return false;
    }
    return true;
  }

  bool Sink(const unsigned char* data, std::size_t size) {
    sunk_ = sunk_ || size > 0;
    try {
      return sink_(data, size);
    } catch (...) {
      return false;
    }
  }

  std::size_t GiveUpload(char* buffer, std::size_t room) {
    lastActivity_ = Clock::now();
    const std::size_t size = std::min(room, upload_.size() - uploaded_);
    std::copy_n(upload_.data() + uploaded_, size, buffer);
    uploaded_ += size;
    return size;
  }

  // libcurl rewinds the body when it must send it again (an authentication round or a redirection
  // that keeps the method).
  bool Rewind(curl_off_t offset, int origin) {
    if (origin != SEEK_SET || offset < 0 || static_cast<std::uint64_t>(offset) > upload_.size()) {
      return false;
    }
    uploaded_ = static_cast<std::size_t>(offset);
    return true;
  }

  CURL* easy_;
  std::span<const unsigned char> upload_;
  std::size_t uploaded_ = 0;
  RequestTimeouts timeouts_;
  bool connected_ = false;
  Clock::time_point lastActivity_ = Clock::now();
  Text headers_;
  std::optional<std::string> announcedLength_;  // the first Content-Length value of the response
  Bytes body_;
  bool bodyStarted_ = false;
  const ResponseBodySink& sink_;
  bool sunk_ = false;  // the sink has taken part of a body
};

bool HasHeader(const OpenedRequest& request, std::string_view name) {
  return std::ranges::any_of(
      request.headers, [name](const auto& header) { return SameHeaderName(header.first, name); });
}

// The request's header lines for libcurl. An empty value is written "Name:", which keeps libcurl
// from sending a header of its own by that name. libcurl's own Accept and Expect are left out, so
// the wire carries the caller's headers and only those the exchange needs besides: Host, the
// body's length (and libcurl's form type when a body has no type), and credentials.
CurlList HeaderList(const OpenedRequest& request) {
  CurlList list;
  const auto add = [&list](const std::string& line) {
    curl_slist* longer = curl_slist_append(list.get(), line.c_str());
    if (longer == nullptr) return false;
    static_cast<void>(list.release());  // the same list, now owned through its head
    list.reset(longer);
    return true;
  };
  for (const auto& [name, value] : request.headers) {
    if (!add(value.empty() ? name + ":" : name + ": " + value)) return {};
  }
  if (!HasHeader(request, "Accept") && !add("Accept:")) return {};
  if (!HasHeader(request, "Expect") && !add("Expect:")) return {};
  return list;
}

// Collects the first failure of a run of libcurl calls.
class CurlStatus {
 public:
  void Keep(CURLcode code) {
    if (code_ == CURLE_OK) code_ = code;
  }
  bool Ok() const { return code_ == CURLE_OK; }

 private:
  CURLcode code_ = CURLE_OK;
};

void ConfigureMethod(CURL* easy, const OpenedRequest& request,
                     std::span<const unsigned char> upload, Transfer& transfer,
                     CurlStatus& status) {
  if (request.method == "HEAD") {
    status.Keep(curl_easy_setopt(easy, CURLOPT_NOBODY, 1L));
  } else if (request.method == "POST" || !upload.empty()) {
    status.Keep(curl_easy_setopt(easy, CURLOPT_POST, 1L));
    status.Keep(curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                                 static_cast<curl_off_t>(upload.size())));
    status.Keep(curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Transfer::OnRead));
    status.Keep(curl_easy_setopt(easy, CURLOPT_READDATA, &transfer));
    status.Keep(curl_easy_setopt(easy, CURLOPT_SEEKFUNCTION, &Transfer::OnSeek));
    status.Keep(curl_easy_setopt(easy, CURLOPT_SEEKDATA, &transfer));
    if (request.method != "POST") {
      status.Keep(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str()));
    }
  } else if (request.method == "GET") {
    status.Keep(curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L));
  } else {
    status.Keep(curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, request.method.c_str()));
  }
}

// libcurl times name resolution and connection as one phase; its limit is the sum of both. A
// connection without a limit keeps libcurl's own ceiling.
long ConnectPhaseMs(const RequestTimeouts& timeouts) {
  if (timeouts.connectMs <= 0) return 0;
  return static_cast<long>(timeouts.connectMs) + std::max(timeouts.resolveMs, 0);
}

void ConfigureConnection(CURL* easy, const ExchangeSettings& settings, CurlStatus& status) {
  status.Keep(curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, ConnectPhaseMs(settings.timeouts)));
  // A trickle that never falls silent fails the exchange as silence does.
  status.Keep(LimitLowSpeed(easy, settings.timeouts.receiveMs));
  if (settings.proxySetting == kProxySettingDirect) {
    status.Keep(curl_easy_setopt(easy, CURLOPT_PROXY, ""));
  } else if (settings.proxySetting == kProxySettingProxy) {
    status.Keep(curl_easy_setopt(easy, CURLOPT_PROXY, settings.proxy.c_str()));
  }
  if (settings.proxyCredentials) {
    status.Keep(
        curl_easy_setopt(easy, CURLOPT_PROXYUSERNAME, settings.proxyCredentials->user.c_str()));
    status.Keep(
        curl_easy_setopt(easy, CURLOPT_PROXYPASSWORD, settings.proxyCredentials->password.c_str()));
    status.Keep(curl_easy_setopt(easy, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_ANY)));
  }
  if (settings.server) {
    status.Keep(curl_easy_setopt(easy, CURLOPT_USERNAME, settings.server->user.c_str()));
    status.Keep(curl_easy_setopt(easy, CURLOPT_PASSWORD, settings.server->password.c_str()));
    status.Keep(curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_ANY)));
  }
  // libcurl can only stop checking the certificate chain as a whole, and an unknown authority, a
  // wrong purpose and an expired date are all found there: the chain goes unchecked only when all
  // three are to be ignored. The host name check is separate and follows its own flag.
  constexpr int kChainFlags = kSslIgnoreUnknownCa | kSslIgnoreWrongUsage | kSslIgnoreExpired;
  const bool checkChain = (settings.sslIgnoreFlags & kChainFlags) != kChainFlags;
  const bool checkHost = (settings.sslIgnoreFlags & kSslIgnoreHostMismatch) == 0;
  status.Keep(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, checkChain ? 1L : 0L));
  status.Keep(curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, checkHost ? 2L : 0L));
  status.Keep(curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, settings.followRedirects ? 1L : 0L));
  status.Keep(curl_easy_setopt(easy, CURLOPT_MAXREDIRS, kMostRedirects));
  status.Keep(curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https"));
  status.Keep(curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
}

bool Configure(CURL* easy, const ExchangeSettings& settings, const OpenedRequest& request,
               std::span<const unsigned char> upload, const CurlList& headers, Transfer& transfer) {
  CurlStatus status;
  status.Keep(curl_easy_setopt(easy, CURLOPT_URL, request.url.c_str()));
  status.Keep(curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L));
  status.Keep(curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes));
  ConfigureMethod(easy, request, upload, transfer, status);
  status.Keep(curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers.get()));
  ConfigureConnection(easy, settings, status);
  status.Keep(curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader));
  status.Keep(curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer));
  status.Keep(curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Transfer::OnBody));
  status.Keep(curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer));
  status.Keep(curl_easy_setopt(easy, CURLOPT_PREREQFUNCTION, &Transfer::OnConnected));
  status.Keep(curl_easy_setopt(easy, CURLOPT_PREREQDATA, &transfer));
  return status.Ok();
}

// True when the one transfer of multi ended without an error.
bool EndedCleanly(CURLM* multi) {
  bool clean = false;
  int queued = 0;
  while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
    if (message->msg == CURLMSG_DONE) clean = message->data.result == CURLE_OK;
  }
  return clean;
}

// Drives the transfer to its end, handing the window its events while the network is quiet.
bool Drive(CURLM* multi, CURL* easy, const Transfer& transfer) {
  CurlAttachment attachment;
  if (!attachment.Attach(multi, easy)) return false;
  auto lastEvents = Clock::now();
  for (;;) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) return false;
    if (running == 0) break;
    const auto now = Clock::now();
    if (transfer.Stalled(now)) return false;
    if (now - lastEvents >= kEventInterval) {
      ProcessPendingEvents();
      lastEvents = Clock::now();
    }
    if (curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr) != CURLM_OK) return false;
  }
  return EndedCleanly(multi);
}

// Leaves the easy handle pointing at nothing of this exchange, its connections kept for the next.
class EasyReset {
 public:
  explicit EasyReset(CURL* easy) : easy_(easy) { curl_easy_reset(easy_); }
  EasyReset(const EasyReset&) = delete;
  EasyReset& operator=(const EasyReset&) = delete;
  ~EasyReset() { curl_easy_reset(easy_); }

 private:
  CURL* easy_;
};

}  // namespace

std::optional<ExchangeResult> RunExchange(CURLM* multi, CURL* easy,
                                          const ExchangeSettings& settings,
                                          const OpenedRequest& request,
                                          std::span<const unsigned char> body) {
  const std::span<const unsigned char> upload =
      request.method == "HEAD" ? std::span<const unsigned char>() : body;
  const CurlList headers = HeaderList(request);
  if (!headers) return std::nullopt;
  const EasyReset reset(easy);
  Transfer transfer(easy, upload, settings.timeouts, settings.bodySink);
  if (!Configure(easy, settings, request, upload, headers, transfer)) return std::nullopt;
  if (!Drive(multi, easy, transfer)) return std::nullopt;
  long status = 0;
  curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
  return transfer.TakeResult(static_cast<int>(status));
}

}  // namespace singrove
