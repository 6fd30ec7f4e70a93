// singrove-demo: serves the stand-in Singrove service on loopback until SIGINT or SIGTERM.

#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "demo/DemoService.h"

namespace {

constexpr const char* kUsage =
    "usage: singrove-demo [--port N] [--host ADDRESS]\n"
    "  --port N         port to listen on (default 8631; 0 picks a free port)\n"
    "  --host ADDRESS   loopback address to listen on (default 127.0.0.1)\n";

struct Arguments {
  int port = singrove::kDemoPort;
  std::string host = "127.0.0.1";
};

std::optional<int> PortNumber(std::string_view text) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != text.npos) {
    return std::nullopt;
  }
  const int port = std::stoi(std::string(text));
  if (port > 65535) return std::nullopt;
  return port;
}

// The arguments of the command line, or nothing (after a message on stderr) when they are wrong.
std::optional<Arguments> ParseArguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string_view name = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (name == "--port" && value != nullptr && PortNumber(value)) {
      arguments.port = *PortNumber(value);
    } else if (name == "--host" && value != nullptr) {
      arguments.host = value;
    } else {
      std::fputs(kUsage, stderr);
      return std::nullopt;
    }
    ++i;
  }
  if (!singrove::IsLoopbackHost(arguments.host)) {
    std::fprintf(stderr, "singrove-demo: %s is not a loopback address (127.x.x.x or ::1)\n",
                 arguments.host.c_str());
    return std::nullopt;
  }
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Arguments> arguments = ParseArguments(argc, argv);
  if (!arguments) return 2;

  // Blocked before the server's threads exist, so they inherit the mask and only sigwait below
  // receives the signals.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  singrove::DemoService service;
  if (!service.Start(arguments->port, {.host = arguments->host})) {
    std::fprintf(stderr, "singrove-demo: cannot listen on %s port %d (is it in use?)\n",
                 arguments->host.c_str(), arguments->port);
    return 1;
  }
  std::printf("listening on %s\n", service.BaseUrl().c_str());
  std::fflush(stdout);

  int received = 0;
  sigwait(&stopSignals, &received);
  service.Stop();
  return 0;
}
