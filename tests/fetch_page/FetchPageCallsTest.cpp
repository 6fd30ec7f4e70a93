#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fetch/FetchPage.h"
#include "tests/fetch_page/FailingHttpApi.h"

namespace singrove {
namespace {

using test::FailingHttpApi;
using test::LayerCall;

std::string Narrow(std::u16string_view wide) {
  return std::string(wide.begin(), wide.end());
}

// Records what the fetcher hands to the layer up to the send, which it makes fail so that
// nothing goes on the wire.
class RecordingLayer : public FailingHttpApi {
 public:
  RecordingLayer() : FailingHttpApi(LayerCall::kSendRequest) {}

  std::uint32_t accessType = 0;
  std::string proxyName, host, method, objectName;
  std::uint16_t port = 0;
  std::uint32_t requestFlags = 0;
  std::vector<int> timeouts;
  std::vector<std::string> settings;  // "credentials T user password", "option N V"

  HttpHandle Open(std::uint32_t access, std::u16string_view name) override {
    accessType = access;
    proxyName = Narrow(name);
    return FailingHttpApi::Open(access, name);
  }
  HttpHandle Connect(HttpHandle owner, std::u16string_view hostName,
                     std::uint16_t portNumber) override {
    host = Narrow(hostName);
    port = portNumber;
    return FailingHttpApi::Connect(owner, hostName, portNumber);
  }
  HttpHandle OpenRequest(HttpHandle owner, std::u16string_view verb, std::u16string_view object,
                         std::uint32_t flags) override {
    method = Narrow(verb);
    objectName = Narrow(object);
    requestFlags = flags;
    return FailingHttpApi::OpenRequest(owner, verb, object, flags);
  }
  bool SetTimeouts(HttpHandle handle, int resolveMs, int connectMs, int sendMs,
                   int receiveMs) override {
    timeouts = {resolveMs, connectMs, sendMs, receiveMs};
    return FailingHttpApi::SetTimeouts(handle, resolveMs, connectMs, sendMs, receiveMs);
  }
  bool SetCredentials(HttpHandle handle, std::uint32_t target, std::uint32_t scheme,
                      std::u16string_view user, std::u16string_view password) override {
    settings.push_back("credentials " + std::to_string(target) + " " + std::to_string(scheme) +
                       " " + Narrow(user) + " " + Narrow(password));
    return FailingHttpApi::SetCredentials(handle, target, scheme, user, password);
  }
  bool SetOption(HttpHandle handle, std::uint32_t option, const void* value,
                 std::uint32_t length) override {
    settings.push_back("option " + std::to_string(option) + " " +
                       std::to_string(*static_cast<const std::uint32_t*>(value)));
    return FailingHttpApi::SetOption(handle, option, value, length);
  }
};

TEST(FetchPageCalls, APlainAddressOpensAGetWithoutProxyCookiesOrSecureFlag) {
  RecordingLayer layer;
  ScopedHttpApi use(&layer);
  FetchPage("http://www.example.com/a/b?x=1&y=2");
  EXPECT_EQ(layer.accessType, 1u);
  EXPECT_EQ(layer.proxyName, "");
  EXPECT_EQ(layer.host, "www.example.com");
  EXPECT_EQ(layer.port, 80);
  EXPECT_EQ(layer.method, "GET");
  EXPECT_EQ(layer.objectName, "/a/b?x=1&y=2");
  EXPECT_EQ(layer.requestFlags, 0u);
  EXPECT_EQ(layer.timeouts, (std::vector<int>{30000, 30000, 30000, 30000}));
  EXPECT_EQ(layer.settings, (std::vector<std::string>{"option 63 1"}));
}

TEST(FetchPageCalls, AnHttpsAddressOpensASecureRequestOnItsDefaultPort) {
  RecordingLayer layer;
  ScopedHttpApi use(&layer);
  FetchPage("https://secure.example.com?q=1");
  EXPECT_EQ(layer.port, 443);
  EXPECT_EQ(layer.objectName, "/");
  EXPECT_EQ(layer.requestFlags, 0x00800000u);
}

TEST(FetchPageCalls, TimeoutsAreTheGivenSecondsOr30) {
  for (const auto& [seconds, ms] : {std::pair{0, 30000}, {-5, 30000}, {1, 1000}, {20, 20000}}) {
    RecordingLayer layer;
    ScopedHttpApi use(&layer);
    FetchPage("http://h/", {.timeoutSeconds = seconds});
    EXPECT_EQ(layer.timeouts, (std::vector<int>{ms, ms, ms, ms})) << seconds;
  }
}

TEST(FetchPageCalls, TheProxyIsNamedForHttpUnlessTheAddressIsHttps) {
  for (const auto& [url, name] : {std::pair<std::string, std::string>{"http://h/", "http=p:8080"},
                                  {"https://h/", "p:8080"}}) {
    RecordingLayer layer;
    ScopedHttpApi use(&layer);
    FetchPage(url, {.proxy = "p:8080"});
    EXPECT_EQ(layer.accessType, 3u);
    EXPECT_EQ(layer.proxyName, name);
  }
}

struct SettingsRow {
  const char* name;
  FetchPageOptions options;
  std::vector<std::string> settings;
};

TEST(FetchPageCalls, CredentialsAndOptionsAreSetInTheirOrder) {
  Text cookies;
  const SettingsRow rows[] = {
      {"server user alone", {.serverUser = "u"}, {"option 63 1"}},
      {"server",
       {.serverUser = "u", .serverPassword = "p"},
       {"credentials 0 1 u p", "option 63 1"}},
      {"proxy credentials without proxy",
       {.proxyUser = "pu", .proxyPassword = "pp"},
       {"credentials 1 1 pu pp", "option 63 1"}},
      {"cookies given empty", {.cookies = &cookies}, {"option 79 1"}},
      {"no redirect", {.noRedirect = true}, {"option 63 1", "option 63 2"}},
      {"all",
       {.cookies = &cookies,
        .noRedirect = true,
        .serverUser = "u",
        .serverPassword = "p",
        .proxyUser = "pu",
        .proxyPassword = "pp"},
       {"credentials 0 1 u p", "credentials 1 1 pu pp", "option 79 1", "option 63 2"}},
  };
  for (const SettingsRow& row : rows) {
    RecordingLayer layer;
    ScopedHttpApi use(&layer);
    FetchPage("http://h/", row.options);
    EXPECT_EQ(layer.settings, row.settings) << row.name;
  }
}

}  // namespace
}  // namespace singrove
