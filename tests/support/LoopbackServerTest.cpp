#include "tests/support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace singrove::test {
namespace {

// Sends raw bytes to the server and returns everything it answers until it closes.
// With a wait limit, it returns what came within that time instead.
std::string Exchange(int port, std::string_view request, int waitSeconds = 0) {
  const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
  timeval wait{waitSeconds, 0};
  ::setsockopt(socket, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  EXPECT_EQ(::connect(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  EXPECT_EQ(::send(socket, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
  std::string answer;
  char chunk[4096];
  for (ssize_t got; (got = ::recv(socket, chunk, sizeof chunk, 0)) > 0;) {
    answer.append(chunk, static_cast<std::size_t>(got));
  }
  ::close(socket);
  return answer;
}

TEST(LoopbackServer, RecordsRequestsAsTheyArriveAndSendsTheHandlersBytes) {
  LoopbackServer server([](const RecordedRequest& request, Connection& connection) {
    connection.Send(HttpResponse(200, "OK", {"X-Seen: " + request.HeaderValue("x-name")}, "hi"));
    connection.Close();
  });
  const std::string answer = Exchange(
      server.Port(),
      "POST /a?b=1 HTTP/1.1\r\nHost: h\r\nX-Name:  v \r\nTransfer-Encoding: chunked\r\n\r\n"
      "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n");
  EXPECT_EQ(answer, "HTTP/1.1 200 OK\r\nX-Seen: v\r\nContent-Length: 2\r\n\r\nhi");

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "POST /a?b=1 HTTP/1.1");
  EXPECT_EQ(requests[0].headerLines,
            (std::vector<std::string>{"Host: h", "X-Name:  v ", "Transfer-Encoding: chunked"}));
  EXPECT_EQ(requests[0].body, "abcde");
}

TEST(LoopbackServer, KeepsTheConnectionForFurtherRequestsAndStopsAHeldOne) {
  LoopbackServer server([](const RecordedRequest& request, Connection& connection) {
    if (request.requestLine.starts_with("GET /hold")) {
      connection.Hold(std::chrono::seconds(30));
      return;
    }
    connection.Send(HttpResponse(200, "OK", {}, request.body));
  });
  const std::string answer = Exchange(server.Port(),
                                      "PUT /1 HTTP/1.1\r\nContent-Length: 1\r\n\r\nx"
                                      "GET /hold HTTP/1.1\r\n\r\n",
                                      1);
  EXPECT_EQ(answer, "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx");
  EXPECT_EQ(server.Requests().size(), 2u);
  // The held request ends when the server stops in its destructor, long before the 30 s.
}

}  // namespace
}  // namespace singrove::test
