#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace singrove {

namespace demo {
struct RunningService;
}

// The port the demo service listens on unless told otherwise; the default build's web host.
inline constexpr int kDemoPort = 8631;

struct DemoStartOptions {
  std::string_view host = "127.0.0.1";  // must be a loopback address (see IsLoopbackHost)
};

// True for an IPv4 loopback address (127.0.0.0/8) or the IPv6 one ("::1"), written as numbers.
bool IsLoopbackHost(std::string_view host);

// A stand-in for the Singrove service on loopback: profile pages, recordings lists, song pages
// and their audio, for the users of demo/Catalogue.h. It serves from its own threads until
// stopped; tests and the singrove-demo program both run it.
class DemoService {
 public:
  DemoService();
  ~DemoService();
  DemoService(const DemoService&) = delete;
  DemoService& operator=(const DemoService&) = delete;

  // Starts serving on `port` (0: a free port); false when it already runs, the host is not a
  // loopback address, or the port cannot be bound.
  bool Start(int port, const DemoStartOptions& options = {});

  // Stops serving and waits for its threads; does nothing when it is not running.
  void Stop();

  // The port it serves, or 0 when it is not running.
  int Port() const;

  // "http://HOST:PORT", the start of every play address it names; "" when it is not running.
  std::string BaseUrl() const;

 private:
  std::unique_ptr<demo::RunningService> running_;
};

}  // namespace singrove
