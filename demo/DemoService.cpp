#include "demo/DemoService.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <optional>
#include <thread>

#include "demo/Audio.h"
#include "demo/Catalogue.h"
#include "demo/Pages.h"
#include "text/Gbk.h"

namespace singrove {
namespace demo {

// The server of a started service and the thread that runs its loop.
struct RunningService {
  httplib::Server server;
  std::thread thread;
  std::atomic<bool> listenEnded{false};
  std::atomic<bool> stopping{false};
  int port = 0;
  std::string baseUrl;
};

}  // namespace demo

namespace {

using demo::RunningService;

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kAudio = "audio/mp4";

// A positive decimal number, or 0 for anything else (absent, signed, padded, not a number).
int PositiveNumber(std::string_view text) {
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number < 1) return 0;
  return number;
}

void ServeProfile(const httplib::Request& request, httplib::Response& response) {
  response.set_content(demo::ProfilePage(request.get_param_value("uid")), kHtml);
}

void ServeRecordingsList(const httplib::Request& request, httplib::Response& response) {
  std::string json = "{\"code\": -1, \"msg\": \"unknown type\"}\r\n";
  if (request.get_param_value("type") == "get_ugc") {
    json = demo::RecordingsList(request.get_param_value("share_uid"),
                                PositiveNumber(request.get_param_value("start")),
                                PositiveNumber(request.get_param_value("num")));
  }
  // No meta tag here declares a charset, so the tool reads the list as GBK: send it in GBK.
  response.set_content(Gbk(json), "application/json; charset=GBK");
}

void ServeSongPage(const RunningService& running, const httplib::Request& request,
                   httplib::Response& response) {
  const std::optional<std::string> page =
      demo::SongPage(request.get_param_value("s"), running.baseUrl);
  if (!page) {
    response.status = 404;
    response.set_content(demo::NotFoundPage(), kHtml);
    return;
  }
  response.set_content(*page, kHtml);
}

void ServeLargeAudio(const RunningService& running, httplib::Response& response) {
  response.set_content_provider(
      static_cast<std::size_t>(demo::kLargeAudioSize), kAudio,
      [&running](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        if (running.stopping) return false;
        std::array<unsigned char, 64 * 1024> chunk;
        const std::size_t size = std::min(length, chunk.size());
        demo::FillLargeAudio(offset, {chunk.data(), size});
        return sink.write(reinterpret_cast<const char*>(chunk.data()), size);
      });
}

void ServeAudio(const RunningService& running, const httplib::Request& request,
                httplib::Response& response) {
  const std::optional<demo::DemoWork> work = demo::FindWork(request.matches[1].str());
  if (!work || work->audio == demo::AudioKind::kMissing) {
    response.status = 404;
    response.set_content(demo::NotFoundPage(), kHtml);
    return;
  }
  if (work->audio == demo::AudioKind::kLarge) {
    ServeLargeAudio(running, response);
    return;
  }
  const std::span<const unsigned char> tone = demo::ToneAudio();
  response.set_content(reinterpret_cast<const char*>(tone.data()), tone.size(), kAudio);
}

void AddRoutes(RunningService& running) {
  httplib::Server& server = running.server;
  server.Get("/personal", ServeProfile);
  server.Get("/cgi/fcgi-bin/sgr_ugc_get_homepage", ServeRecordingsList);
  server.Get("/play", [&running](const httplib::Request& request, httplib::Response& response) {
    ServeSongPage(running, request, response);
  });
  server.Get(R"(/audio/([^/]+)\.m4a)",
             [&running](const httplib::Request& request, httplib::Response& response) {
               ServeAudio(running, request, response);
             });
}

// Like the library's own socket options but without SO_REUSEPORT, which would let a second
// service bind a port that one already listens on and share its connections.
void ReuseAddressOnly(socket_t socket) {
  int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
}

// Binds the port (0: a free one) and returns it, or -1 when it cannot be bound.
int Bind(httplib::Server& server, const std::string& host, int port) {
  if (port == 0) return server.bind_to_any_port(host);
  return server.bind_to_port(host, port) ? port : -1;
}

std::string BaseUrlOf(const std::string& host, int port) {
  const bool ipv6 = host.find(':') != std::string::npos;
  return "http://" + (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

}  // namespace

bool IsLoopbackHost(std::string_view host) {
  const std::string text(host);
  in_addr ipv4{};
  if (inet_pton(AF_INET, text.c_str(), &ipv4) == 1) return (ntohl(ipv4.s_addr) >> 24) == 127;
  in6_addr ipv6{};
  return inet_pton(AF_INET6, text.c_str(), &ipv6) == 1 && IN6_IS_ADDR_LOOPBACK(&ipv6);
}

DemoService::DemoService() = default;

DemoService::~DemoService() {
  Stop();
}

bool DemoService::Start(int port, const DemoStartOptions& options) {
  if (running_ || port < 0 || port > 65535 || !IsLoopbackHost(options.host)) return false;
  auto running = std::make_unique<RunningService>();
  httplib::Server& server = running->server;
  server.set_socket_options(ReuseAddressOnly);
  AddRoutes(*running);
  const std::string host(options.host);
  port = Bind(server, host, port);
  if (port <= 0) return false;
  running->port = port;
  running->baseUrl = BaseUrlOf(host, port);
  RunningService& ref = *running;
  running->thread = std::thread([&ref] {
    ref.server.listen_after_bind();
    ref.listenEnded = true;
  });
  // A stop that came before the server loop had begun would be lost, so wait for the loop.
  while (!server.is_running() && !running->listenEnded) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  if (running->listenEnded) {
    running->thread.join();
    return false;
  }
  running_ = std::move(running);
  return true;
}

void DemoService::Stop() {
  if (!running_) return;
  running_->stopping = true;
  running_->server.stop();
  running_->thread.join();
  running_.reset();
}

int DemoService::Port() const {
  return running_ ? running_->port : 0;
}

std::string DemoService::BaseUrl() const {
  return running_ ? running_->baseUrl : std::string();
}

}  // namespace singrove
