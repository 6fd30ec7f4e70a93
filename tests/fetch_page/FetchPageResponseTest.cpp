#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fetch/FetchPage.h"
#include "platform/events/EventHook.h"
#include "tests/fetch_page/FailingHttpApi.h"
#include "tests/support/LoopbackServer.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using test::Connection;
using test::HttpResponse;
using test::LoopbackServer;
using test::RecordedRequest;

// Answers each path with the response the test gave for it.
LoopbackServer Answering(std::vector<std::pair<std::string, std::string>> answers) {
  return LoopbackServer([answers](const RecordedRequest& request, Connection& connection) {
    for (const auto& [path, response] : answers) {
      if (request.requestLine.starts_with("GET " + path + " ")) {
        connection.Send(response);
        return;
      }
    }
    connection.Send(HttpResponse(404, "Not Found", {}, "no such page"));
  });
}

const std::string kThreeCookies = HttpResponse(
    200, "OK", {"Set-Cookie: a=1; path=/", "set-cookie: b=2", "SET-COOKIE: c = 3 ; HttpOnly"},
    "cookies");

TEST(FetchPageResponse, CollectsSetCookieLinesWithoutMergingWhenNoCookiesAreGiven) {
  LoopbackServer server = Answering({{"/c", kThreeCookies}});
  Text newCookies = "stale", responseHeaders;
  EXPECT_EQ(
      FetchPage(server.Url("/c"), {.newCookies = &newCookies, .responseHeaders = &responseHeaders}),
      "cookies");
  EXPECT_EQ(newCookies, "a=1; b=2; c = 3");
  EXPECT_EQ(responseHeaders,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
            "Set-Cookie: c = 3 ; HttpOnly\r\nContent-Length: 7\r\n\r\n");
}

TEST(FetchPageResponse, MergesTheNewCookiesIntoGivenCookies) {
  LoopbackServer server = Answering({{"/c", kThreeCookies}});
  for (const auto& [held, merged] : std::vector<std::pair<Text, Text>>{
           {"", "a=1; b=2; c=3"}, {"b=0; z=9", "a=1; b=2; c=3; z=9"}}) {
    Text cookies = held, newCookies;
    FetchPage(server.Url("/c"), {.cookies = &cookies, .newCookies = &newCookies});
    EXPECT_EQ(cookies, merged);
    EXPECT_EQ(newCookies, "a=1;b=2;c=3");
  }
  // Given cookies (even "") go out in no Cookie line of their own when empty.
  EXPECT_EQ(server.Requests().at(0).HeaderValue("Cookie"), "");
  EXPECT_EQ(server.Requests().at(1).HeaderValue("Cookie"), "b=0; z=9");
}

TEST(FetchPageResponse, ALineWithSetCookieButNoSetCookieColonGivesAnEmptyItem) {
  LoopbackServer server = Answering(
      {{"/p", HttpResponse(200, "OK", {"Set-Cookie: a=1", "X-Set-Cookie-Policy: strict; x"})},
       {"/none", HttpResponse(200, "OK", {"X-Other: 1"})}});
  Text newCookies = "stale";
  FetchPage(server.Url("/p"), {.newCookies = &newCookies});
  EXPECT_EQ(newCookies, "a=1; ");
  FetchPage(server.Url("/none"), {.newCookies = &newCookies});
  EXPECT_EQ(newCookies, "");
}

TEST(FetchPageResponse, StatusTextAndBodyOfAnErrorPage) {
  LoopbackServer server = Answering({});
  Text statusText;
  EXPECT_EQ(FetchPage(server.Url("/missing"), {.statusText = &statusText}), "no such page");
  EXPECT_EQ(statusText, "404 Not Found");
}

TEST(FetchPageResponse, FollowsARedirectionAndReportsTheFinalResponse) {
  LoopbackServer server =
      Answering({{"/old", HttpResponse(301, "Moved Permanently", {"Location: /new"}, "moved")},
                 {"/new", HttpResponse(200, "OK", {}, "final")}});
  Text statusText, location = "kept", responseHeaders;
  EXPECT_EQ(FetchPage(server.Url("/old"), {.responseHeaders = &responseHeaders,
                                           .location = &location,
                                           .statusText = &statusText}),
            "final");
  EXPECT_EQ(statusText, "200 OK");
  EXPECT_EQ(location, "kept");
  EXPECT_EQ(responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
  EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(FetchPageResponse, WithoutRedirectionTheRedirectIsTheResponse) {
  LoopbackServer server = Answering(
      {{"/old", HttpResponse(302, "Found", {"location: /next", "Location: /last"}, "moved")},
       {"/plain", HttpResponse(302, "Found", {"Location:/next"}, "moved")}});
  Text statusText, location = "kept";
  EXPECT_EQ(FetchPage(server.Url("/old"),
                      {.noRedirect = true, .location = &location, .statusText = &statusText}),
            "moved");
  EXPECT_EQ(statusText, "302 Found");
  EXPECT_EQ(location, "/last");

  location = "kept";
  FetchPage(server.Url("/plain"), {.noRedirect = true, .location = &location});
  EXPECT_EQ(location, "kept");
  EXPECT_EQ(server.Requests().size(), 2u);
}

TEST(FetchPageResponse, ABodyWithANulByteIsWholeInTheBytesAndCutInTheText) {
  const std::string body("ab\0cd", 5);
  LoopbackServer server = Answering({{"/nul", HttpResponse(200, "OK", {}, body)}});
  Bytes responseBytes;
  EXPECT_EQ(FetchPage(server.Url("/nul"), {.responseBytes = &responseBytes}), "ab");
  EXPECT_EQ(responseBytes, (Bytes{'a', 'b', 0, 'c', 'd'}));
}

TEST(FetchPageResponse, AStatusLineWithoutReasonGivesTheCodeAlone) {
  LoopbackServer server = LoopbackServer([](const RecordedRequest&, Connection& connection) {
    connection.Send("HTTP/1.1 204 \r\nX-A: 1\r\n\r\n");
  });
  Text statusText = "old";
  EXPECT_EQ(FetchPage(server.Url("/"), {.statusText = &statusText}), "");
  EXPECT_EQ(statusText, "204 ");
}

// The fetcher lets the window catch up once per header line, once after the charset search and
// once for each of nine steps.
TEST(FetchPageResponse, LetsTheWindowCatchUpAfterEachHeaderLineAndEachStep) {
  LoopbackServer server = Answering({{"/", HttpResponse(200, "OK", {"X-A: 1", "X-B: 2"}, "x")}});
  test::FailingHttpApi layer(test::LayerCall::kNone);  // tells the layer's own waits apart
  ScopedHttpApi use(&layer);
  int events = 0;
  InstallEventHook([&] { events += layer.insideCall ? 0 : 1; });
  FetchPage(server.Url("/"));
  InstallEventHook({});
  // Status line, X-A, X-B, Content-Length and the empty line: five header lines.
  EXPECT_EQ(events, 5 + 1 + 9);
}

}  // namespace
}  // namespace singrove
