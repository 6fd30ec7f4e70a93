#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace singrove::test {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return std::string(text.substr(first, last - first + 1));
}

// Reads from a socket into a buffer, so that the request parser can ask for lines and byte counts.
class SocketReader {
 public:
  explicit SocketReader(int socket) : socket_(socket) {}

  // One line without its CR LF; false when the peer closed first.
  bool ReadLine(std::string& line) {
    for (;;) {
      const auto end = buffer_.find("\r\n");
      if (end != std::string::npos) {
        line = buffer_.substr(0, end);
        buffer_.erase(0, end + 2);
        return true;
      }
      if (!Fill()) return false;
    }
  }

  bool ReadBytes(std::size_t count, std::string& out) {
    while (buffer_.size() < count) {
      if (!Fill()) return false;
    }
    out.append(buffer_, 0, count);
    buffer_.erase(0, count);
    return true;
  }

 private:
  bool Fill() {
    char chunk[65536];
    const ssize_t got = ::recv(socket_, chunk, sizeof chunk, 0);
    if (got <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(got));
    return true;
  }

  int socket_;
  std::string buffer_;
};

bool ReadChunkedBody(SocketReader& reader, std::string& body) {
  for (;;) {
    std::string sizeLine;
    if (!reader.ReadLine(sizeLine)) return false;
    const std::size_t size = std::strtoul(sizeLine.c_str(), nullptr, 16);
    if (size == 0) {
      std::string trailer;
      do {
        if (!reader.ReadLine(trailer)) return false;
      } while (!trailer.empty());
      return true;
    }
    std::string crlf;
    if (!reader.ReadBytes(size, body) || !reader.ReadBytes(2, crlf)) return false;
  }
}

bool ReadRequest(SocketReader& reader, RecordedRequest& request) {
  if (!reader.ReadLine(request.requestLine)) return false;
  std::string line;
  for (;;) {
    if (!reader.ReadLine(line)) return false;
    if (line.empty()) break;
    request.headerLines.push_back(line);
  }
  if (EqualsIgnoringCase(request.HeaderValue("Transfer-Encoding"), "chunked")) {
    return ReadChunkedBody(reader, request.body);
  }
  const std::string length = request.HeaderValue("Content-Length");
  if (length.empty()) return true;
  return reader.ReadBytes(std::strtoull(length.c_str(), nullptr, 10), request.body);
}

}  // namespace

std::string RecordedRequest::HeaderValue(std::string_view name) const {
  for (const auto& line : headerLines) {
    const auto colon = line.find(':');
    if (colon != std::string::npos && EqualsIgnoringCase(std::string_view(line).substr(0, colon), name)) {
      return Trim(std::string_view(line).substr(colon + 1));
    }
  }
  return {};
}

bool Connection::Send(std::string_view bytes) {
  while (!closed_ && !bytes.empty()) {
    const ssize_t sent = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return !closed_;
}

void Connection::Close() {
  if (closed_) return;
  closed_ = true;
  ::shutdown(socket_, SHUT_RDWR);
}

void Connection::Hold(std::chrono::milliseconds most) { server_.WaitForStop(most); }

LoopbackServer::LoopbackServer(Handler handler) : handler_(std::move(handler)) {
  listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listener_ < 0) throw std::runtime_error("socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 64) != 0 ||
      ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    ::close(listener_);
    throw std::runtime_error("cannot listen on 127.0.0.1");
  }
  port_ = ntohs(address.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    for (int socket : openSockets_) ::shutdown(socket, SHUT_RDWR);
  }
  stopped_.notify_all();
  ::shutdown(listener_, SHUT_RDWR);
  acceptor_.join();
  ::close(listener_);
  for (auto& worker : workers_) worker.join();
}

std::string LoopbackServer::Url(std::string_view pathAndQuery) const {
  return "http://127.0.0.1:" + std::to_string(port_) + std::string(pathAndQuery);
}

std::vector<RecordedRequest> LoopbackServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

void LoopbackServer::AcceptLoop() {
  for (;;) {
    pollfd waiting{listener_, POLLIN, 0};
    if (::poll(&waiting, 1, 100) < 0 || stopping_) return;
    if (!(waiting.revents & POLLIN)) continue;
    const int socket = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (socket < 0) continue;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      ::close(socket);
      return;
    }
    openSockets_.push_back(socket);
    workers_.emplace_back([this, socket] { Serve(socket); });
  }
}

void LoopbackServer::Serve(int socket) {
  SocketReader reader(socket);
  Connection connection(socket, *this);
  while (!stopping_ && !connection.IsClosed()) {
    RecordedRequest request;
    if (!ReadRequest(reader, request)) break;
    Record(request);
    handler_(request, connection);
  }
  std::lock_guard lock(mutex_);
  std::erase(openSockets_, socket);
  ::close(socket);
}

void LoopbackServer::Record(const RecordedRequest& request) {
  std::lock_guard lock(mutex_);
  requests_.push_back(request);
}

bool LoopbackServer::WaitForStop(std::chrono::milliseconds most) {
  std::unique_lock lock(mutex_);
  return stopped_.wait_for(lock, most, [this] { return stopping_.load(); });
}

std::string HttpResponse(int status, std::string_view reason, std::vector<std::string> headerLines,
                         std::string_view body) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + " " + std::string(reason) + "\r\n";
  for (const auto& line : headerLines) response += line + "\r\n";
  response += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  response += body;
  return response;
}

}  // namespace singrove::test
