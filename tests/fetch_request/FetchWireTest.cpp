// FetchWithRequestObject on the wire, through the libcurl request object, against loopback servers.
#include <gtest/gtest.h>

#include <chrono>
#include <ostream>
#include <string>
#include <vector>

#include "fetch/FetchWithRequestObject.h"
#include "platform/request/CurlRequestObject.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TlsServer.h"

namespace singrove {
namespace {

using namespace std::chrono_literals;
using test::Connection;
using test::HttpResponse;
using test::LoopbackServer;
using test::RecordedRequest;
using Lines = std::vector<std::string>;

const std::string kUserAgentLine = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const std::string kContentTypeLine = "Content-Type: application/x-www-form-urlencoded";

std::string AllByteValues() {
  std::string bytes;
  for (int round = 0; round < 4; ++round) {
    for (int value = 0; value < 256; ++value) bytes.push_back(static_cast<char>(value));
  }
  return bytes;
}

LoopbackServer AnsweringServer(std::string response) {
  return LoopbackServer(
      [response](const RecordedRequest&, Connection& connection) { connection.Send(response); });
}

TEST(FetchWireTest, DownloadSendsTheFiveHeadersAndReturnsTheBytesUnchanged) {
  const std::string audio = AllByteValues();
  LoopbackServer server =
      AnsweringServer(HttpResponse(200, "OK", {"Content-Type: audio/mp4"}, audio));
  const std::string url = server.Url("/audio/a.m4a?s=1&t=2");
  const Bytes body = FetchWithRequestObject(url);
  EXPECT_EQ(body, TextToBytes(audio));

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "GET /audio/a.m4a?s=1&t=2 HTTP/1.1");
  EXPECT_EQ(requests[0].headerLines,
            (Lines{"Host: 127.0.0.1:" + std::to_string(server.Port()), "Accept: */*",
                   "Referer: " + url, "Accept-Language: zh-cn", kUserAgentLine, kContentTypeLine}));
  EXPECT_EQ(requests[0].body, "");
}

TEST(FetchWireTest, CallersHeadersAndCookiesGoOutAndNewCookiesComeBack) {
  LoopbackServer server =
      AnsweringServer(HttpResponse(200, "OK",
                                   {"Set-Cookie: a=1; path=/", "set-cookie: b=2",
                                    "SET-COOKIE: c = 3 ; HttpOnly", "Set-Cookie: u=9"},
                                   "page"));
  const std::string url = server.Url("/page");
  Text block = "X-Token: a:b:c\r\nFoo\r\nAccept: text/html";
  Text cookies = "sid = 1; u=2";
  Text newCookies;
  Text responseHeaders;
  int status = 0;
  const Bytes body = FetchWithRequestObject(url, {.method = 1,
                                                  .bodyText = "q=1",
                                                  .cookies = &cookies,
                                                  .newCookies = &newCookies,
                                                  .requestHeaders = &block,
                                                  .responseHeaders = &responseHeaders,
                                                  .status = &status});

  EXPECT_EQ(BytesToText(body), "page");
  EXPECT_EQ(status, 200);
  EXPECT_EQ(block, "X-Token: a:b:c\r\nFoo\r\nAccept: text/html\r\nReferer: " + url +
                       "\r\nAccept-Language: zh-cn\r\n" + kUserAgentLine + "\r\n" +
                       kContentTypeLine);
  EXPECT_EQ(responseHeaders,
            "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nSet-Cookie: c = 3 ; HttpOnly\r\n"
            "Set-Cookie: u=9\r\nContent-Length: 4\r\n");
  EXPECT_EQ(newCookies, "a=1;b=2;c=3;u=9");
  EXPECT_EQ(cookies, "a=1; b=2; c=3; u=9; sid=1");

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "POST /page HTTP/1.1");
  EXPECT_EQ(
      requests[0].headerLines,
      (Lines{"Host: 127.0.0.1:" + std::to_string(server.Port()), "Cookie: sid = 1; u=2",
             "X-Token: a:b:c", "Accept: text/html", "Referer: " + url, "Accept-Language: zh-cn",
             kUserAgentLine, kContentTypeLine, "Content-Length: 3"}));
  EXPECT_EQ(requests[0].body, "q=1");
}

TEST(FetchWireTest, FollowsRedirectionsUnlessTold) {
  LoopbackServer server([](const RecordedRequest& request, Connection& connection) {
    if (request.requestLine.starts_with("GET /from ")) {
      connection.Send(HttpResponse(302, "Found", {"Location: /to"}, "moved"));
    } else {
      connection.Send(HttpResponse(200, "OK", {}, "arrived"));
    }
  });
  int status = 0;
  Text headers;
  EXPECT_EQ(BytesToText(FetchWithRequestObject(server.Url("/from"), {.status = &status})),
            "arrived");
  EXPECT_EQ(status, 200);
  const Bytes moved = FetchWithRequestObject(
      server.Url("/from"), {.responseHeaders = &headers, .status = &status, .noRedirect = true});
  EXPECT_EQ(BytesToText(moved), "moved");
  EXPECT_EQ(status, 302);
  EXPECT_EQ(headers, "Location: /to\r\nContent-Length: 5\r\n");
}

TEST(FetchWireTest, ErrorStatusComesWithItsBody) {
  LoopbackServer server = AnsweringServer(HttpResponse(404, "Not Found", {}, "no such song"));
  int status = 0;
  EXPECT_EQ(BytesToText(FetchWithRequestObject(server.Url("/gone"), {.status = &status})),
            "no such song");
  EXPECT_EQ(status, 404);
}

TEST(FetchWireTest, GoesThroughTheProxyWithItsCredentials) {
  LoopbackServer proxy([](const RecordedRequest& request, Connection& connection) {
    if (request.HeaderValue("Proxy-Authorization").empty()) {
      connection.Send(HttpResponse(407, "Proxy Authentication Required",
                                   {"Proxy-Authenticate: Basic realm=\"p\""}, "who?"));
    } else {
      connection.Send(HttpResponse(200, "OK", {}, "proxied"));
    }
  });
  const std::string proxyAddress = "127.0.0.1:" + std::to_string(proxy.Port());
  const Bytes body = FetchWithRequestObject(
      "http://127.0.0.1:1/far", {.proxy = proxyAddress, .proxyUser = "u", .proxyPassword = "p"});
  EXPECT_EQ(BytesToText(body), "proxied");
  const auto requests = proxy.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().requestLine, "GET http://127.0.0.1:1/far HTTP/1.1");
  EXPECT_EQ(requests.back().HeaderValue("Proxy-Authorization"), "Basic dTpw");
  EXPECT_EQ(requests.back().HeaderValue("Referer"), "http://127.0.0.1:1/far");
}

TEST(FetchWireTest, AcceptsASelfSignedServer) {
  for (const char* certificateHost : {"127.0.0.1", "other.invalid"}) {
    const test::TlsServer server(certificateHost, "secure audio");
    int status = 0;
    EXPECT_EQ(BytesToText(FetchWithRequestObject(server.Url("/a.m4a"), {.status = &status})),
              "secure audio")
        << certificateHost;
    EXPECT_EQ(status, 200);
  }
}

struct BrokenCase {
  const char* name;
  std::string response;  // sent before the connection is closed; empty: the server stalls
  friend void PrintTo(const BrokenCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class FetchBrokenExchangeTest : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(FetchBrokenExchangeTest, GivesNothingButNormalisedCookies) {
  const std::string response = GetParam().response;
  LoopbackServer server([response](const RecordedRequest&, Connection& connection) {
    if (response.empty()) {
      connection.Hold(20s);
    } else {
      connection.Send(response);
      connection.Close();
    }
  });
  Text cookies = "a = 1; b=deleted";
  Text newCookies = "stale";
  Text responseHeaders = "stale";
  int status = -1;
  const auto start = std::chrono::steady_clock::now();
  const Bytes body =
      FetchWithRequestObject(server.Url("/broken"), {.cookies = &cookies,
                                                     .newCookies = &newCookies,
                                                     .responseHeaders = &responseHeaders,
                                                     .status = &status,
                                                     .timeoutSeconds = 1});
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(status, 0);
  EXPECT_EQ(responseHeaders, "");
  EXPECT_EQ(newCookies, "");
  EXPECT_EQ(cookies, "a=1");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchBrokenExchangeTest,
    ::testing::Values(
        BrokenCase{"DroppedMidBody",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: x=1\r\nContent-Length: 100\r\n\r\nonly part"},
        BrokenCase{"DroppedMidChunkedBody",
                   "HTTP/1.1 200 OK\r\nSet-Cookie: x=1\r\nTransfer-Encoding: chunked\r\n\r\n"
                   "9\r\nonly part\r\n40\r\nmore"},
        BrokenCase{"NeverAnswers", ""}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(FetchWireTest, ReusesTheCallersObject) {
  LoopbackServer server([](const RecordedRequest& request, Connection& connection) {
    if (request.requestLine.starts_with("GET /from ")) {
      connection.Send(HttpResponse(302, "Found", {"Location: /to"}, "moved"));
    } else {
      connection.Send(HttpResponse(200, "OK", {}, "arrived"));
    }
  });
  const auto object = CurlRequestObject::Create();
  ASSERT_TRUE(object);
  // A setting of the caller's own stays on the object through both exchanges.
  ASSERT_TRUE(object->SetOption(kOptionEnableRedirects, 0));
  Text block = "X-First: 1";
  EXPECT_EQ(BytesToText(FetchWithRequestObject(
                server.Url("/from"), {.requestHeaders = &block, .requestObject = object.get()})),
            "moved");
  int status = 0;
  EXPECT_EQ(BytesToText(FetchWithRequestObject(server.Url("/from"),
                                               {.status = &status, .requestObject = object.get()})),
            "moved");
  EXPECT_EQ(status, 302);
  EXPECT_EQ(object->Status(), 302);

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].HeaderValue("X-First"), "1");
  EXPECT_EQ(requests[1].HeaderValue("X-First"), "");
}

TEST(FetchWireTest, ASinkTakesTheBodyAsItArrivesAndLeavesTheCallersObjectAsItWas) {
  const std::string audio = AllByteValues();
  LoopbackServer server = AnsweringServer(HttpResponse(200, "OK", {}, audio));
  const auto object = CurlRequestObject::Create();
  ASSERT_TRUE(object);
  std::string taken;
  int status = 0;
  const Bytes body = FetchWithRequestObject(
      server.Url("/a.m4a"),
      {.status = &status,
       .requestObject = object.get(),
       .bodySink = [&taken](const unsigned char* data, std::size_t size) {
         taken.append(reinterpret_cast<const char*>(data), size);
         return true;
       }});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(taken, audio);
  EXPECT_EQ(status, 200);

  // The next fetch on the object without a sink gets its body back as bytes.
  EXPECT_EQ(FetchWithRequestObject(server.Url("/a.m4a"), {.requestObject = object.get()}),
            TextToBytes(audio));
  EXPECT_EQ(taken, audio);
}

}  // namespace
}  // namespace singrove
