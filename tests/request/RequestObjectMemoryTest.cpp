// A body larger than the memory the program can have fails the exchange instead of ending the
// program. The check runs in a child process whose address space is capped.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/request/CurlRequestObject.h"
#include "tests/support/LoopbackServer.h"

namespace singrove {
namespace {

using namespace std::chrono_literals;

#if !defined(__SANITIZE_ADDRESS__)
// The address space the process has mapped now, in bytes.
rlim_t MappedBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmSize:")) return std::stoull(line.substr(7)) * 1024;
  }
  return 0;
}

// Exits 0 when a 3 GiB body announced by the server fails the exchange in a process that may map
// only 1 GiB more than it has.
[[noreturn]] void DownloadMoreThanCanBeHeld() {
  test::LoopbackServer server([](const test::RecordedRequest&, test::Connection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 3221225472\r\n\r\nsome bytes");
    connection.Hold(20s);
  });
  const auto object = CurlRequestObject::Create();
  if (!object || !object->Open("GET", server.Url("/huge"))) std::exit(2);
  const rlimit limit{MappedBytes() + (rlim_t{1} << 30), RLIM_INFINITY};
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::exit(3);
  const bool sent = object->Send("");
  const bool empty = object->ResponseBody().empty() && object->Status() == 0;
  std::exit(!sent && empty ? 0 : 1);
}
#endif

TEST(RequestObjectDeathTest, BodyThatCannotBeHeldFailsTheExchange) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer cannot run under a capped address space";
#else
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(DownloadMoreThanCanBeHeld(), ::testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
}  // namespace singrove
