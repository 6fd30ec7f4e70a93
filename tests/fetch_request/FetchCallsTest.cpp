// What the fetcher hands the request object, in which order, and what it makes of the answer;
// checked on an object that writes down its calls.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fetch/FetchWithRequestObject.h"
#include "tests/fetch_request/RecordingRequestObject.h"

namespace singrove {
namespace {

using test::RecordingRequestObject;
using Calls = std::vector<std::string>;

constexpr std::string_view kUrl = "http://127.0.0.1:9/song.m4a";
const std::string kUserAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

Calls DefaultHeaderCalls(std::string_view url) {
  return {"SetRequestHeader(Accept|*/*)", "SetRequestHeader(Referer|" + std::string(url) + ")",
          "SetRequestHeader(Accept-Language|zh-cn)",
          "SetRequestHeader(User-Agent|" + kUserAgent + ")",
          "SetRequestHeader(Content-Type|application/x-www-form-urlencoded)"};
}

Calls Join(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The calls from the first header onwards are left out.
Calls CallsBeforeHeaders(const Calls& calls) {
  Calls before;
  for (const std::string& call : calls) {
    if (call.starts_with("SetRequestHeader")) break;
    before.push_back(call);
  }
  return before;
}

Calls HeaderCalls(const Calls& calls) {
  Calls headers;
  for (const std::string& call : calls) {
    if (call.starts_with("SetRequestHeader")) headers.push_back(call);
  }
  return headers;
}

class FetchCallsTest : public ::testing::Test {
 protected:
  void SetUp() override { Answer({}); }
  void TearDown() override { InstallRequestObjectFactory(nullptr); }

  // Every object made from now on answers with response.
  void Answer(test::RecordedResponse response, bool sendFails = false) {
    InstallRequestObjectFactory([this, response, sendFails] {
      return std::make_unique<RecordingRequestObject>(&calls_, response, sendFails);
    });
  }

  Calls calls_;
};

TEST_F(FetchCallsTest, DownloadMakesTheCallsOfAPlainGet) {
  Answer({.body = {'a', 0, 'b'}, .headers = "Content-Length: 3\r\n", .status = 200});
  const Bytes body = FetchWithRequestObject(kUrl);
  EXPECT_EQ(body, (Bytes{'a', 0, 'b'}));
  EXPECT_EQ(calls_, Join({{"SetTimeouts(15000,15000,15000,15000)",
                           "Open(GET,http://127.0.0.1:9/song.m4a,false)", "SetOption(4,13056)"},
                          DefaultHeaderCalls(kUrl),
                          {"Send(text:)", "TakeResponseBody", "GetAllResponseHeaders", "Status"}}));
}

struct PreparationCase {
  const char* name;
  FetchWithRequestObjectOptions options;
  Calls expected;  // the calls before the first header
  friend void PrintTo(const PreparationCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class FetchPreparationTest : public FetchCallsTest,
                             public ::testing::WithParamInterface<PreparationCase> {};

TEST_P(FetchPreparationTest, PreparesTheObject) {
  FetchWithRequestObject(kUrl, GetParam().options);
  EXPECT_EQ(CallsBeforeHeaders(calls_), GetParam().expected);
}

const std::string kOpenGet = "Open(GET," + std::string(kUrl) + ",false)";
const std::string kTimeouts15 = "SetTimeouts(15000,15000,15000,15000)";
const std::string kIgnoreCertificateErrors = "SetOption(4,13056)";

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchPreparationTest,
    ::testing::Values(
        PreparationCase{
            "MethodOneIsPost",
            {.method = 1},
            {kTimeouts15, "Open(POST," + std::string(kUrl) + ",false)", kIgnoreCertificateErrors}},
        PreparationCase{
            "MethodTwoIsHead",
            {.method = 2},
            {kTimeouts15, "Open(HEAD," + std::string(kUrl) + ",false)", kIgnoreCertificateErrors}},
        PreparationCase{
            "MethodThreeIsGet", {.method = 3}, {kTimeouts15, kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"NegativeMethodIsGet",
                        {.method = -1},
                        {kTimeouts15, kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"TimeoutMinusOneKeepsTheObjectsOwn",
                        {.timeoutSeconds = -1},
                        {kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"NegativeTimeoutIsTheDefault",
                        {.timeoutSeconds = -5},
                        {kTimeouts15, kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{
            "TimeoutInSeconds",
            {.timeoutSeconds = 20},
            {"SetTimeouts(20000,20000,20000,20000)", kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"HugeTimeoutStaysInRange",
                        {.timeoutSeconds = INT_MAX},
                        {"SetTimeouts(2147483647,2147483647,2147483647,2147483647)", kOpenGet,
                         kIgnoreCertificateErrors}},
        PreparationCase{"ProxyUserWithoutProxyIsIgnored",
                        {.proxyUser = "u", .proxyPassword = "p"},
                        {kTimeouts15, kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{
            "ProxyWithoutUser",
            {.proxy = "127.0.0.1:8080"},
            {kTimeouts15, "SetProxy(2,127.0.0.1:8080)", kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"ProxyCredentialsAreForTheProxy",
                        {.proxy = "127.0.0.1:8080", .proxyUser = "u", .proxyPassword = "p"},
                        {kTimeouts15, "SetProxy(2,127.0.0.1:8080)", "SetCredentials(u,p,1)",
                         kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"ExplicitCredentialFlagsZeroStays",
                        {.proxy = "127.0.0.1:8080", .proxyUser = "u", .credentialFlags = 0},
                        {kTimeouts15, "SetProxy(2,127.0.0.1:8080)", "SetCredentials(u,,0)",
                         kOpenGet, kIgnoreCertificateErrors}},
        PreparationCase{"NoRedirectComesBeforeTheCertificateFlags",
                        {.noRedirect = true},
                        {kTimeouts15, kOpenGet, "SetOption(6,0)", kIgnoreCertificateErrors}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

struct HeaderBlockCase {
  const char* name;
  const char* block;
  const char* cookies;
  Text completed;  // the block written back
  Calls calls;     // the header calls
  friend void PrintTo(const HeaderBlockCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class FetchHeaderBlockTest : public FetchCallsTest,
                             public ::testing::WithParamInterface<HeaderBlockCase> {};

TEST_P(FetchHeaderBlockTest, CompletesTheBlockAndHandsItOver) {
  Text block = GetParam().block;
  Text cookies = GetParam().cookies;
  FetchWithRequestObject(kUrl, {.cookies = &cookies, .requestHeaders = &block});
  EXPECT_EQ(block, GetParam().completed);
  EXPECT_EQ(HeaderCalls(calls_), GetParam().calls);
}

const std::string kReferer = "\r\nReferer: " + std::string(kUrl);
const std::string kRestOfDefaults = "\r\nAccept-Language: zh-cn\r\nUser-Agent: " + kUserAgent +
                                    "\r\nContent-Type: application/x-www-form-urlencoded";

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchHeaderBlockTest,
    ::testing::Values(
        HeaderBlockCase{"EmptyBlockGetsTheFiveDefaults", "", "",
                        "Accept: */*" + kReferer + kRestOfDefaults, DefaultHeaderCalls(kUrl)},
        HeaderBlockCase{"CookiesComeFirst", "", "a=1; b=2",
                        "Accept: */*" + kReferer + kRestOfDefaults,
                        Join({{"SetRequestHeader(Cookie|a=1; b=2)"}, DefaultHeaderCalls(kUrl)})},
        HeaderBlockCase{"LowerCaseAcceptIsNotTheAcceptHeader", "accept: text/html", "",
                        "accept: text/html\r\nAccept: */*" + kReferer + kRestOfDefaults,
                        Join({{"SetRequestHeader(accept|text/html)"}, DefaultHeaderCalls(kUrl)})},
        HeaderBlockCase{
            "AnyNameEndingInAcceptCounts",
            "X-Accept: 1",
            "",
            "X-Accept: 1" + kReferer + kRestOfDefaults,
            {"SetRequestHeader(X-Accept|1)", "SetRequestHeader(Referer|" + std::string(kUrl) + ")",
             "SetRequestHeader(Accept-Language|zh-cn)",
             "SetRequestHeader(User-Agent|" + kUserAgent + ")",
             "SetRequestHeader(Content-Type|application/x-www-form-urlencoded)"}},
        HeaderBlockCase{
            "LineWithoutColonAndEmptyLines", "Foo\r\n\r\nX-Url: http://a:1/b\r\n", "",
            "Foo\r\n\r\nX-Url: http://a:1/b\r\n\r\nAccept: */*" + kReferer + kRestOfDefaults,
            Join({{"SetRequestHeader(|)", "SetRequestHeader(X-Url|http://a:1/b)"},
                  DefaultHeaderCalls(kUrl)})},
        HeaderBlockCase{
            "SpacesAroundNameAndValueGo", "  X-Id \xA1\xA1:\xA1\xA1 7 a  ", "",
            "  X-Id \xA1\xA1:\xA1\xA1 7 a  \r\nAccept: */*" + kReferer + kRestOfDefaults,
            Join({{"SetRequestHeader(X-Id|7 a)"}, DefaultHeaderCalls(kUrl)})},
        HeaderBlockCase{
            "CompleteBlockStaysAsItIs",
            "Accept: a\r\nReferer: r\r\nAccept-Language: l\r\nUser-Agent: u\r\nContent-Type: c",
            "",
            "Accept: a\r\nReferer: r\r\nAccept-Language: l\r\nUser-Agent: u\r\nContent-Type: c",
            {"SetRequestHeader(Accept|a)", "SetRequestHeader(Referer|r)",
             "SetRequestHeader(Accept-Language|l)", "SetRequestHeader(User-Agent|u)",
             "SetRequestHeader(Content-Type|c)"}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(FetchCallsTest, SendsTheBytesBodyBeforeTheTextBody) {
  const Bytes bytes = {'x', 0, 'y'};
  const Bytes none;
  FetchWithRequestObject(kUrl, {.bodyText = "a=1"});
  FetchWithRequestObject(kUrl, {.bodyText = "a=1", .bodyBytes = &bytes});
  FetchWithRequestObject(kUrl, {.bodyText = "a=1", .bodyBytes = &none});
  Calls sends;
  for (const std::string& call : calls_) {
    if (call.starts_with("Send")) sends.push_back(call);
  }
  EXPECT_EQ(sends,
            (Calls{"Send(text:a=1)", std::string("Send(bytes:x\0y)", 15), "Send(text:a=1)"}));
}

struct ResponseCase {
  const char* name;
  Text headers;  // as the object gives them
  Text cookiesIn;
  Text responseHeaders;  // as the caller gets them
  Text newCookies;
  Text cookiesOut;
  friend void PrintTo(const ResponseCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class FetchResponseTest : public FetchCallsTest,
                          public ::testing::WithParamInterface<ResponseCase> {};

TEST_P(FetchResponseTest, ReadsHeadersAndCookies) {
  Answer({.body = {'o', 'k'}, .headers = GetParam().headers, .status = 404});
  Text cookies = GetParam().cookiesIn;
  Text newCookies = "stale";
  Text responseHeaders = "stale";
  int status = -1;
  const Bytes body = FetchWithRequestObject(kUrl, {.cookies = &cookies,
                                                   .newCookies = &newCookies,
                                                   .responseHeaders = &responseHeaders,
                                                   .status = &status});
  EXPECT_EQ(body, (Bytes{'o', 'k'}));
  EXPECT_EQ(status, 404);
  EXPECT_EQ(responseHeaders, GetParam().responseHeaders);
  EXPECT_EQ(newCookies, GetParam().newCookies);
  EXPECT_EQ(cookies, GetParam().cookiesOut);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchResponseTest,
    ::testing::Values(
        ResponseCase{
            "SetCookieInAnyCase",
            "Set-Cookie: a=1; path=/\r\nset-cookie: b=2\r\nSET-COOKIE: c = 3 ; HttpOnly\r\n", "",
            "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nSet-Cookie: c = 3 ; HttpOnly\r\n",
            "a=1;b=2;c=3", "a=1; b=2; c=3"},
        ResponseCase{"LineNamingSetCookieWithoutTheColonGivesAnEmptyItem",
                     "Set-Cookie: a=1\r\nX-Set-Cookie-Policy: strict; x\r\n", "",
                     "Set-Cookie: a=1\r\nX-Set-Cookie-Policy: strict; x\r\n", "a=1;", "a=1"},
        ResponseCase{"NewCookieReplacesTheHeldOne", "Set-Cookie: b=3\r\n", "a=1; b=2",
                     "Set-Cookie: b=3\r\n", "b=3", "b=3; a=1"},
        ResponseCase{"DeletedCookieGoes", "Set-Cookie: a=deleted; expires=Thu, 01 Jan 1970\r\n",
                     "a=1; b=2", "Set-Cookie: a=deleted; expires=Thu, 01 Jan 1970\r\n", "a=deleted",
                     "b=2"},
        ResponseCase{"WithoutSetCookieTheHeldListIsNormalised", "Content-Length: 2\r\n",
                     "x = 1; y=deleted; x = 1", "Content-Length: 2\r\n", "", "x=1"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST_F(FetchCallsTest, FailedSendLeavesEmptyOutputsAndNormalisedCookies) {
  Answer({.body = {'x'}, .headers = "Set-Cookie: a=2\r\n", .status = 200}, /*sendFails=*/true);
  Text cookies = "a = 1; a = 1";
  Text newCookies = "stale";
  Text responseHeaders = "stale";
  int status = -1;
  const Bytes body = FetchWithRequestObject(kUrl, {.cookies = &cookies,
                                                   .newCookies = &newCookies,
                                                   .responseHeaders = &responseHeaders,
                                                   .status = &status});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(responseHeaders, "");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(newCookies, "");
  EXPECT_EQ(cookies, "a=1");
}

TEST_F(FetchCallsTest, WritesNothingWhenNoObjectCanBeMade) {
  InstallRequestObjectFactory([] { return std::unique_ptr<RequestObject>(); });
  Text block = "X-Keep: 1";
  Text cookies = "a = 1";
  Text newCookies = "n";
  Text responseHeaders = "h";
  int status = 5;
  const Bytes body = FetchWithRequestObject(kUrl, {.cookies = &cookies,
                                                   .newCookies = &newCookies,
                                                   .requestHeaders = &block,
                                                   .responseHeaders = &responseHeaders,
                                                   .status = &status});
  EXPECT_TRUE(body.empty());
  EXPECT_EQ(block, "X-Keep: 1");
  EXPECT_EQ(cookies, "a = 1");
  EXPECT_EQ(newCookies, "n");
  EXPECT_EQ(responseHeaders, "h");
  EXPECT_EQ(status, 5);
}

TEST_F(FetchCallsTest, RunsOnTheCallersObjectWithoutMakingOne) {
  InstallRequestObjectFactory([] { return std::unique_ptr<RequestObject>(); });
  Calls callersCalls;
  RecordingRequestObject callers(&callersCalls, {.body = {'1'}, .headers = "", .status = 200});
  EXPECT_EQ(FetchWithRequestObject(kUrl, {.requestObject = &callers}), Bytes{'1'});
  EXPECT_EQ(CallsBeforeHeaders(callersCalls),
            (Calls{kTimeouts15, kOpenGet, kIgnoreCertificateErrors}));
  EXPECT_TRUE(calls_.empty());
}

// An object that cannot stream hands its whole body to the sink at once; a refusal there reads as
// a failed exchange.
TEST_F(FetchCallsTest, ASinkTakesTheWholeBodyOfAnObjectThatCannotStream) {
  Answer({.body = {'a', 0, 'b'}, .headers = "", .status = 200});
  for (const bool accept : {true, false}) {
    SCOPED_TRACE(accept);
    Bytes taken;
    int status = -1;
    const Bytes body = FetchWithRequestObject(
        kUrl, {.status = &status, .bodySink = [&](const unsigned char* data, std::size_t size) {
                 taken.insert(taken.end(), data, data + size);
                 return accept;
               }});
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(taken, (Bytes{'a', 0, 'b'}));
    EXPECT_EQ(status, accept ? 200 : 0);
  }
}

}  // namespace
}  // namespace singrove
