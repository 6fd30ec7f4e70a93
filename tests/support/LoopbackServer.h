#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace singrove::test {

// One request as it arrived on the wire.
struct RecordedRequest {
  std::string requestLine;               // "GET /a?b=1 HTTP/1.1", as it came
  std::vector<std::string> headerLines;  // every header line in order, without CR LF
  std::string body;                      // by Content-Length, or de-chunked

  // The value of the first header of that name (any case), trimmed; "" when there is none.
  std::string HeaderValue(std::string_view name) const;
};

class LoopbackServer;

// One accepted connection, handed to the handler for each request read on it.
class Connection {
 public:
  Connection(int socket, LoopbackServer& server) : socket_(socket), server_(server) {}
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Writes all bytes; false once the peer has gone.
  bool Send(std::string_view bytes);
  // Closes the connection now; the server reads no more requests from it.
  void Close();
  // Waits without answering until the server stops or the time passes.
  void Hold(std::chrono::milliseconds most);
  bool IsClosed() const { return closed_; }

 private:
  int socket_;
  LoopbackServer& server_;
  bool closed_ = false;
};

using Handler = std::function<void(const RecordedRequest&, Connection&)>;

// An HTTP server on 127.0.0.1, on a free port, that records every request and lets the test's
// handler answer with whatever bytes it likes. One thread per connection; keep-alive.
class LoopbackServer {
 public:
  explicit LoopbackServer(Handler handler);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by the path.
  std::string Url(std::string_view pathAndQuery = "/") const;
  // Copies of all requests so far, in arrival order.
  std::vector<RecordedRequest> Requests() const;

 private:
  friend class Connection;
  void AcceptLoop();
  void Serve(int socket);
  void Record(const RecordedRequest& request);
  bool WaitForStop(std::chrono::milliseconds most);

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  std::vector<RecordedRequest> requests_;
  std::vector<int> openSockets_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};

// A whole response: "HTTP/1.1 <status> <reason>", the header lines, Content-Length, a blank line,
// then the body.
std::string HttpResponse(int status, std::string_view reason, std::vector<std::string> headerLines = {},
                         std::string_view body = {});

}  // namespace singrove::test
