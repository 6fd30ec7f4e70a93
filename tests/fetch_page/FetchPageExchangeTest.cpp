#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "fetch/FetchPage.h"
#include "tests/support/LoopbackServer.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using test::Connection;
using test::HttpResponse;
using test::LoopbackServer;
using test::RecordedRequest;

const std::string kUserAgent =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)";
const std::string kAccept = "Accept: text/html, application/xhtml+xml, */*";
const std::string kAcceptEncoding = "Accept-Encoding: gbk, GB2312";
const std::string kAcceptLanguage = "Accept-Language: zh-cn";
const std::string kContentType = "Content-Type: application/x-www-form-urlencoded";
const std::string kCacheControl = "Cache-Control: no-cache";

LoopbackServer PageServer(std::string body = "page") {
  return LoopbackServer([body](const RecordedRequest& request, Connection& connection) {
    std::string response = HttpResponse(200, "OK", {}, body);
    if (request.requestLine.starts_with("HEAD ")) response.resize(response.size() - body.size());
    connection.Send(response);
  });
}

// The header lines of a request other than those the HTTP library writes itself.
std::vector<std::string> SentLines(const RecordedRequest& request) {
  std::vector<std::string> lines;
  for (const std::string& line : request.headerLines)
    if (!line.starts_with("Host:") && !line.starts_with("Content-Length:")) lines.push_back(line);
  return lines;
}

TEST(FetchPageExchange, APlainCallSendsAGetWithTheSixDefaultLinesInOrder) {
  LoopbackServer server = PageServer();
  Text statusText;
  EXPECT_EQ(FetchPage(server.Url("/a/b?x=1&y=2"), {.statusText = &statusText}), "page");
  EXPECT_EQ(statusText, "200 OK");
  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.requestLine, "GET /a/b?x=1&y=2 HTTP/1.1");
  EXPECT_EQ(request.HeaderValue("Host"), "127.0.0.1:" + std::to_string(server.Port()));
  EXPECT_EQ(SentLines(request),
            (std::vector<std::string>{kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage,
                                      kContentType, kCacheControl}));
}

struct HeaderRow {
  const char* name;
  std::string requestHeaders;
  const char* cookies;  // null: not given
  std::vector<std::string> sent;
};

// The caller's lines go first; a default line is left out when the block already holds its test
// text. Lines of one name replace one another on the wire, so a caller's lower-case content-type
// gives way to the default line that the case-counting test still appends.
TEST(FetchPageExchange, CallerLinesComeFirstAndSuppressTheDefaultsTheyHold) {
  const HeaderRow rows[] = {
      {"user-agent",
       "user-agent: X",
       nullptr,
       {"user-agent: X", kAccept, kAcceptEncoding, kAcceptLanguage, kContentType, kCacheControl}},
      {"X-Accept holds 'Accept: '",
       "X-Accept: 1",
       nullptr,
       {"X-Accept: 1", kUserAgent, kAcceptEncoding, kAcceptLanguage, kContentType, kCacheControl}},
      {"content-type",
       "content-type: text/plain",
       nullptr,
       {kContentType, kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage, kCacheControl}},
      {"two caller lines",
       "X-A: 1\r\nAccept-Language: en",
       nullptr,
       {"X-A: 1", "Accept-Language: en", kUserAgent, kAccept, kAcceptEncoding, kContentType,
        kCacheControl}},
      {"cookies",
       "",
       "b=2",
       {kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage, kContentType, kCacheControl,
        "Cookie: b=2"}},
      {"caller's Cookie line wins",
       "Cookie: a=1",
       "b=2",
       {"Cookie: a=1", kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage, kContentType,
        kCacheControl}},
      {"cookies given empty",
       "",
       "",
       {kUserAgent, kAccept, kAcceptEncoding, kAcceptLanguage, kContentType, kCacheControl}},
  };
  LoopbackServer server = PageServer();
  for (const HeaderRow& row : rows) {
    Text cookies = row.cookies ? row.cookies : "";
    FetchPage(server.Url("/"),
              {.cookies = row.cookies ? &cookies : nullptr, .requestHeaders = row.requestHeaders});
  }
  const std::vector<RecordedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), std::size(rows));
  for (std::size_t i = 0; i < requests.size(); ++i)
    EXPECT_EQ(SentLines(requests[i]), rows[i].sent) << rows[i].name;
}

TEST(FetchPageExchange, SendsTheMethodItIsGivenAndGetForAnyOther) {
  const std::pair<int, std::string> rows[] = {
      {0, "GET / HTTP/1.1"}, {1, "POST / HTTP/1.1"}, {2, "HEAD / HTTP/1.1"},
      {3, "PUT / HTTP/1.1"}, {4, "GET / HTTP/1.1"},  {-1, "GET / HTTP/1.1"},
  };
  LoopbackServer server = PageServer();
  for (const auto& [method, requestLine] : rows) {
    Text statusText, responseHeaders;
    const Text result = FetchPage(
        server.Url("/"),
        {.method = method, .responseHeaders = &responseHeaders, .statusText = &statusText});
    EXPECT_EQ(server.Requests().back().requestLine, requestLine);
    // A HEAD answer has no body, but its status and headers are there.
    EXPECT_EQ(result, method == 2 ? "" : "page");
    EXPECT_EQ(statusText, "200 OK");
    EXPECT_EQ(responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n");
  }
}

TEST(FetchPageExchange, APostSendsItsBodyWithTheDefaultContentType) {
  LoopbackServer server = PageServer();
  FetchPage(server.Url("/form"), {.method = 1, .bodyText = "a=1"});
  const RecordedRequest request = server.Requests().at(0);
  EXPECT_EQ(request.requestLine, "POST /form HTTP/1.1");
  EXPECT_EQ(request.body, "a=1");
  EXPECT_EQ(request.HeaderValue("Content-Length"), "3");
  EXPECT_EQ(request.HeaderValue("Content-Type"), "application/x-www-form-urlencoded");
}

TEST(FetchPageExchange, AnAddressWithoutPathAsksForTheRootAndDropsItsQuery) {
  LoopbackServer server = PageServer();
  const std::string base = "http://127.0.0.1:" + std::to_string(server.Port());
  for (const std::string& url : {base, base + "?x=1", base + "/", base + "/p?q=%20#f"})
    EXPECT_EQ(FetchPage(url), "page") << url;
  const std::vector<RecordedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].requestLine, "GET / HTTP/1.1");
  EXPECT_EQ(requests[1].requestLine, "GET / HTTP/1.1");
  EXPECT_EQ(requests[2].requestLine, "GET / HTTP/1.1");
  EXPECT_EQ(requests[3].requestLine, "GET /p?q=%20 HTTP/1.1");
}

TEST(FetchPageExchange, GoesThroughTheProxyWithCredentials) {
  LoopbackServer proxy = PageServer("from proxy");
  const std::string proxyServer = "127.0.0.1:" + std::to_string(proxy.Port());
  Text statusText;
  EXPECT_EQ(FetchPage("http://origin.invalid/x?y=1", {.serverUser = "user",
                                                      .serverPassword = "secret",
                                                      .proxy = proxyServer,
                                                      .proxyUser = "pu",
                                                      .proxyPassword = "pp",
                                                      .statusText = &statusText}),
            "from proxy");
  EXPECT_EQ(statusText, "200 OK");
  const RecordedRequest request = proxy.Requests().at(0);
  EXPECT_EQ(request.requestLine, "GET http://origin.invalid/x?y=1 HTTP/1.1");
  EXPECT_EQ(request.HeaderValue("Authorization"), "Basic dXNlcjpzZWNyZXQ=");
  EXPECT_EQ(request.HeaderValue("Proxy-Authorization"), "Basic cHU6cHA=");
}

TEST(FetchPageExchange, SendsCredentialsOnlyWhenBothTextsAreGiven) {
  LoopbackServer server = PageServer();
  FetchPage(server.Url("/"), {.serverUser = "user"});
  FetchPage(server.Url("/"), {.serverUser = "user", .serverPassword = "pw"});
  // Proxy credentials without a proxy are set all the same and go nowhere.
  FetchPage(server.Url("/"), {.proxyUser = "pu", .proxyPassword = "pp"});
  const std::vector<RecordedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].HeaderValue("Authorization"), "");
  EXPECT_EQ(requests[1].HeaderValue("Authorization"), "Basic dXNlcjpwdw==");
  EXPECT_EQ(requests[2].HeaderValue("Proxy-Authorization"), "");
}

TEST(FetchPageExchange, AServerThatNeverAnswersEndsAfterTheTimeoutAtTheReceiveStep) {
  LoopbackServer server([](const RecordedRequest&, Connection& connection) {
    connection.Hold(std::chrono::seconds(30));
  });
  Text statusText;
  const auto start = std::chrono::steady_clock::now();
  const Text result = FetchPage(server.Url("/"), {.timeoutSeconds = 1, .statusText = &statusText});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(result, "");
  EXPECT_EQ(statusText, Gbk("712 服务器未响应!"));
}

// A body that keeps coming at some kilobytes a second is no trickle, however long it lasts: 2 KiB
// every 400 ms for two seconds, against a timeout of one.
TEST(FetchPageExchange, ASlowButSteadyBodyOutlastingTheTimeoutIsReadWhole) {
  std::string body;
  for (char piece : std::string("abcde")) body += std::string(2048, piece);
  LoopbackServer server([body](const RecordedRequest&, Connection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                    "\r\n\r\n");
    for (std::size_t at = 0; at < body.size(); at += 2048) {
      connection.Hold(std::chrono::milliseconds(400));
      connection.Send(std::string_view(body).substr(at, 2048));
    }
  });
  Text statusText;
  EXPECT_EQ(FetchPage(server.Url("/"), {.timeoutSeconds = 1, .statusText = &statusText}), body);
  EXPECT_EQ(statusText, "200 OK");
}

TEST(FetchPageExchange, NobodyListeningFailsAtTheSendStep) {
  int port = 0;
  {
    LoopbackServer gone = PageServer();
    port = gone.Port();
  }
  Text statusText;
  EXPECT_EQ(
      FetchPage("http://127.0.0.1:" + std::to_string(port) + "/", {.statusText = &statusText}), "");
  EXPECT_EQ(statusText, Gbk("711 发送请求失败!"));
}

// Unsafe input is refused before anything reaches the wire.
TEST(FetchPageExchange, RefusesUnsafeAddressesAndHeaderText) {
  LoopbackServer server = PageServer();
  const std::string base = server.Url("/");
  const std::string addresses[] = {
      base + "a b",
      base + "a\tb",
      base + "a\r\nX-Injected: 1",
      "http://127.0.0.1 :" + std::to_string(server.Port()) + "/",
      "http://127.0.0.1\r\nX-Injected: 1/",
      "http://a<b>/",
      base + Gbk("a　b"),
      "",
      "ftp://127.0.0.1/",
  };
  for (const std::string& url : addresses) {
    Text statusText;
    EXPECT_EQ(FetchPage(url, {.statusText = &statusText}), "");
    EXPECT_EQ(statusText, Gbk("701 解析URL地址失败!")) << url;
  }
  const std::string blocks[] = {"X-A: 1\nX-Injected: 1", "X-A: 1\rX-Injected: 1", "X-A: 1\r\n\n"};
  for (const std::string& block : blocks) {
    Text statusText;
    EXPECT_EQ(FetchPage(base, {.requestHeaders = block, .statusText = &statusText}), "");
    EXPECT_EQ(statusText, Gbk("710 设置协议头失败!"));
  }
  Text cookies = "a=1\r\nX-Injected: 1";
  Text statusText;
  EXPECT_EQ(FetchPage(base, {.cookies = &cookies, .statusText = &statusText}), "");
  EXPECT_EQ(statusText, Gbk("710 设置协议头失败!"));
  EXPECT_TRUE(server.Requests().empty());
}

}  // namespace
}  // namespace singrove
