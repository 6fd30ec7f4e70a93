#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fetch/FetchPage.h"
#include "platform/events/EventHook.h"
#include "tests/fetch_page/FailingHttpApi.h"
#include "tests/support/LoopbackServer.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using test::Connection;
using test::FailingHttpApi;
using test::HttpResponse;
using test::LayerCall;
using test::LoopbackServer;
using test::RecordedRequest;

LoopbackServer AnsweringServer() {
  return LoopbackServer([](const RecordedRequest&, Connection& connection) {
    connection.Send(HttpResponse(200, "OK", {"Set-Cookie: s=1", "Location: /there"}, "page"));
  });
}

// What a caller's variables held before the call; a failed step must leave them so.
struct CallerVariables {
  Text cookies = "k=v", newCookies = "old", responseHeaders = "old", location = "old";
  Text statusText = "old";
  Bytes responseBytes = {1, 2, 3};
};

struct FailingRow {
  LayerCall failing;
  LayerCall alsoFailing;
  const char* statusText;  // UTF-8
  int events;              // times the fetcher lets the window catch up
  bool userAndProxy = false, cookiesGiven = false, noRedirect = false;
};

// Every numbered error text is bound to its step; no output but statusText is written; the
// handles are closed request first, those never opened as null; the window catches up once for
// each step reached, but not at all when the credentials or options fail.
TEST(FetchPageErrors, EachFailingStepReportsItsNumberedText) {
  const FailingRow rows[] = {
      {LayerCall::kCheckPlatform, LayerCall::kNone, "700 当前系统不支持WinHttp服务!", 0},
      {LayerCall::kCrackUrl, LayerCall::kNone, "701 解析URL地址失败!", 1},
      {LayerCall::kOpen, LayerCall::kNone, "702 创建WinHttp会话失败!", 2},
      {LayerCall::kConnect, LayerCall::kNone, "703 创建WinHttp连接失败!", 3},
      {LayerCall::kOpenRequest, LayerCall::kNone, "704 创建WinHttp请求失败!", 4},
      {LayerCall::kSetTimeouts, LayerCall::kNone, "705 设置超时时间失败!", 5},
      {LayerCall::kSetCredentials, LayerCall::kNone, "707 设置代理凭证失败!", 0, true},
      {LayerCall::kCookieOption, LayerCall::kNone, "708 禁止自动设置Cookies失败!", 0},
      {LayerCall::kCookieOption, LayerCall::kNone, "708 禁止自动设置Cookies失败!", 0, false, true},
      {LayerCall::kRedirectOption, LayerCall::kNone, "709 重定向设置失败!", 0, false, false, true},
      {LayerCall::kAddRequestHeaders, LayerCall::kNone, "710 设置协议头失败!", 6},
      {LayerCall::kSendRequest, LayerCall::kNone, "711 发送请求失败!", 7},
      {LayerCall::kReceiveResponse, LayerCall::kNone, "712 服务器未响应!", 8},
      {LayerCall::kReadData, LayerCall::kQueryHeaders, "713 读取数据失败!", 9},
  };
  LoopbackServer server = AnsweringServer();
  for (const FailingRow& row : rows) {
    SCOPED_TRACE(row.statusText);
    FailingHttpApi layer(row.failing, row.alsoFailing);
    ScopedHttpApi use(&layer);
    int events = 0;
    InstallEventHook([&] { events += layer.insideCall ? 0 : 1; });
    CallerVariables held;
    const Text result =
        FetchPage(server.Url("/page"), {.cookies = row.cookiesGiven ? &held.cookies : nullptr,
                                        .newCookies = &held.newCookies,
                                        .responseHeaders = &held.responseHeaders,
                                        .noRedirect = row.noRedirect,
                                        .serverUser = row.userAndProxy ? "user" : "",
                                        .serverPassword = row.userAndProxy ? "password" : "",
                                        .location = &held.location,
                                        .statusText = &held.statusText,
                                        .responseBytes = &held.responseBytes});
    InstallEventHook({});
    EXPECT_EQ(result, "");
    EXPECT_EQ(held.statusText, Gbk(row.statusText));
    EXPECT_EQ(held.cookies, "k=v");
    EXPECT_EQ(held.newCookies, "old");
    EXPECT_EQ(held.responseHeaders, "old");
    EXPECT_EQ(held.location, "old");
    EXPECT_EQ(held.responseBytes, (Bytes{1, 2, 3}));
    EXPECT_EQ(events, row.events);
    EXPECT_EQ(layer.closed,
              (std::vector<HttpHandle>{layer.request, layer.connection, layer.session}));
  }
}

TEST(FetchPageErrors, ProxyCredentialsThatFailReport707Too) {
  FailingHttpApi layer(LayerCall::kSetCredentials);
  ScopedHttpApi use(&layer);
  Text statusText;
  FetchPage("http://127.0.0.1:9/",
            {.proxyUser = "p", .proxyPassword = "q", .statusText = &statusText});
  EXPECT_EQ(statusText, Gbk("707 设置代理凭证失败!"));
}

// A failed read keeps what came before it; the header query that follows overwrites the 713 text
// with the status, so the caller sees the part read so far as the page.
TEST(FetchPageErrors, AFailedReadIsOverwrittenByTheStatusWhenTheHeadersCome) {
  LoopbackServer server = AnsweringServer();
  FailingHttpApi layer(LayerCall::kReadData);
  ScopedHttpApi use(&layer);
  Text statusText, location;
  Bytes responseBytes{9};
  const Text result = FetchPage(
      server.Url("/page"),
      {.location = &location, .statusText = &statusText, .responseBytes = &responseBytes});
  EXPECT_EQ(result, "");
  EXPECT_EQ(statusText, "200 OK");
  EXPECT_EQ(location, "/there");
  EXPECT_TRUE(responseBytes.empty());
}

// A layer whose body never ends: the fetcher reads 256 MiB and no byte more.
class EndlessBody : public ForwardingHttpApi {
 public:
  std::size_t handedOut = 0;
  bool SendRequest(HttpHandle, const void*, std::uint32_t, std::uint32_t) override { return true; }
  bool ReceiveResponse(HttpHandle) override { return true; }
  bool QueryDataAvailable(HttpHandle, std::uint32_t& available) override {
    available = 48u << 20;
    return true;
  }
  bool ReadData(HttpHandle, void* buffer, std::uint32_t size, std::uint32_t& read) override {
    std::memset(buffer, 'x', size);
    handedOut += size;
    read = size;
    return true;
  }
  bool QueryHeaders(HttpHandle, std::uint32_t, void*, std::uint32_t&, std::uint32_t&) override {
    return false;
  }
};

TEST(FetchPageErrors, StopsReadingABodyBeyond256MiBWith713) {
  EndlessBody layer;
  ScopedHttpApi use(&layer);
  Text statusText;
  const Text result = FetchPage("http://127.0.0.1:9/", {.statusText = &statusText});
  EXPECT_EQ(result, "");
  EXPECT_EQ(statusText, Gbk("713 读取数据失败!"));
  EXPECT_EQ(layer.handedOut, std::size_t{256} << 20);
}

}  // namespace
}  // namespace singrove
