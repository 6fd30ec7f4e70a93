#include "tests/hostile/HostileServers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/events/EventHook.h"

namespace singrove::test {

using namespace std::chrono_literals;

namespace {
// Longer than any fetch of the suite may take; the server's end lets go earlier.
constexpr auto kSilence = 60s;
}  // namespace

Handler SendThenClose(std::string bytes) {
  return [bytes = std::move(bytes)](const RecordedRequest&, Connection& connection) {
    connection.Send(bytes);
    connection.Close();
  };
}

Handler SendThenHold(std::string bytes) {
  return [bytes = std::move(bytes)](const RecordedRequest&, Connection& connection) {
    if (!bytes.empty()) connection.Send(bytes);
    connection.Hold(kSilence);
    connection.Close();
  };
}

Handler Trickle(std::string head, std::string bytes, std::chrono::milliseconds gap) {
  return [head = std::move(head), bytes = std::move(bytes), gap](const RecordedRequest&,
                                                                 Connection& connection) {
    if (!head.empty()) connection.Send(head);
    for (char byte : bytes) {
      if (!connection.Send(std::string_view(&byte, 1))) break;
      connection.Hold(gap);
    }
    connection.Close();
  };
}

Handler RedirectForever() {
  auto hops = std::make_shared<std::atomic<int>>(0);
  return [hops](const RecordedRequest&, Connection& connection) {
    const std::string next = "/loop/" + std::to_string(++*hops);
    connection.Send(HttpResponse(302, "Found", {"Location: " + next}, "again"));
  };
}

SpeakingFirstServer::SpeakingFirstServer(std::string bytes) : bytes_(std::move(bytes)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (listener_ < 0 ||
      ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 16) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { Serve(); });
}

SpeakingFirstServer::~SpeakingFirstServer() {
  stopping_ = true;
  acceptor_.join();
  ::close(listener_);
}

std::string SpeakingFirstServer::Url(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(pathAndQuery);
}

// One thread serves every connection: each gets the bytes at once and stays open until the end.
void SpeakingFirstServer::Serve() {
  std::vector<int> connections;
  while (!stopping_) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 20) <= 0 || !(waiting.revents & POLLIN)) continue;
    const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    connections.push_back(socket);
    ::send(socket, bytes_.data(), bytes_.size(), MSG_NOSIGNAL);
  }
  for (int socket : connections) ::close(socket);
}

EventGapProbe::EventGapProbe() : last_(Clock::now()) {
  InstallEventHook([this] { Note(); });
}

EventGapProbe::~EventGapProbe() {
  if (installed_) InstallEventHook(nullptr);
}

void EventGapProbe::Stop() {
  if (!installed_) return;
  InstallEventHook(nullptr);
  installed_ = false;
  Note();
  --calls_;
}

std::chrono::milliseconds EventGapProbe::LongestGap() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(longest_);
}

void EventGapProbe::Note() {
  const auto now = Clock::now();
  longest_ = std::max(longest_, now - last_);
  last_ = now;
  ++calls_;
}

}  // namespace singrove::test
