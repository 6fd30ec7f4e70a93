// Both fetchers against servers that misbehave on purpose: each case ends in the documented empty
// result (or the part of a page that came), in bounded time, with the window's events flowing.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <ostream>
#include <string>

#include "fetch/FetchPage.h"
#include "fetch/FetchWithRequestObject.h"
#include "tests/hostile/HostileServers.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using test::EventGapProbe;
using test::Handler;
using test::HttpResponse;
using test::LoopbackServer;

// The window may wait this long at most for its events while a fetch runs. The sanitize preset is
// an unoptimised build in which reading the largest header blocks takes many times longer, so
// there the bound only catches a fetch that stops letting the window catch up.
#if defined(__SANITIZE_ADDRESS__)
constexpr auto kLongestEventGap = 1000ms;
#else
constexpr auto kLongestEventGap = 100ms;
#endif
// Every case ends well before this; the servers that stall hold on far longer.
constexpr auto kMostTime = 10s;

const Text kNoAnswer = Gbk("712 服务器未响应!");

// A page squeezed with gzip (mtime 0), as a server sends it when nobody asked for it.
const std::string kGzipPage =
    "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\xb3\xc9\x28\xc9\xcd\xb1\x4b\x54\x28\x48\x4c\x4f\x55"
    "\x28\xc9\x48\x2c\x51\x28\x4f\x2c\x56\x28\x2e\x2c\x4d\x4d\xad\x4a\x4d\xb1\xd1\x07\x4b\x03\x00"
    "\x4b\x02\x2c\x6f\x25\x00\x00\x00"s;

// Pages that declare a character set ICU does not know, or break the one they declare.
const std::string kUnknownCharsetPage = "<meta charset=\"x-no-such-set\"><p>\xc4\xe3\xba\xc3</p>";
const std::string kBrokenUtf8Page = "<meta charset=\"utf-8\"><p>\xff\xfe\xc3\x28 ok \xe4\xbd</p>";
const std::string kOddUtf16Page = "<meta charset=utf-16le>xy";
// Read as UTF-16, the page's own ASCII pairs up into twelve characters: those GBK has, '?' for
// those it lacks, nothing for the invisible U+2061; the odd last byte is one more '?'.
const Text kOddUtf16PageAsGbk =
    "\xcd\xdd\xac\x8f\xb5\xb5\xc4\xb5\x94\xb2?\xac\x9d?\?\xbe\xb4\xc0\xf9?";

std::string ManyHeaderLines(int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += "X-Filler-" + std::to_string(i) + ": x\r\n";
  return lines;
}

// As many Set-Cookie lines as fit under the layer's limit on the size of a header block.
std::vector<std::string> ManySetCookieLines(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) lines.push_back("Set-Cookie: c" + std::to_string(i) + "=v");
  return lines;
}

// What FetchPage gives back: the result, statusText and responseBytes (nullopt: left unwritten).
struct PageOutcome {
  Text text;
  Text statusText;
  std::optional<std::string> responseBytes;
};

// What FetchWithRequestObject gives back: the body and the status.
struct ObjectOutcome {
  std::string body;
  int status = 0;
};

struct HostileCase {
  const char* name;
  Handler server;
  int timeoutSeconds;
  PageOutcome page;
  ObjectOutcome object;
  friend void PrintTo(const HostileCase& testCase, std::ostream* out) { *out << testCase.name; }
};

const std::string kOk = "HTTP/1.1 200 OK\r\n";

// Every byte of a buffer, NUL bytes included.
std::string AllBytes(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

std::vector<HostileCase> Cases() {
  using test::RedirectForever;
  using test::SendThenClose;
  using test::SendThenHold;
  using test::Trickle;
  const PageOutcome noPage{"", kNoAnswer, std::nullopt};
  const ObjectOutcome nothing{"", 0};
  return {
      // A body cut short: the page fetcher keeps what came, and the status, read after the body,
      // takes the place of the failed read; the request object gives nothing.
      {"BodyCutShortOfItsLength",
       SendThenClose(kOk + "Content-Length: 100\r\n\r\nonly part"),
       2,
       {"only part", "200 OK", "only part"},
       nothing},
      {"ChunkedBodyCutShort",
       SendThenClose(kOk + "Transfer-Encoding: chunked\r\n\r\n9\r\nonly part\r\n40\r\nmore"),
       2,
       {"only partmore", "200 OK", "only partmore"},
       nothing},
      // Silence: each gives up after its timeout of silence. A header line that never ends is no
      // sign of life, so headers trickled a byte a second end at the timeout; a body trickled
      // the same way is stalled too (HostileTrickledBodyTest below).
      {"AcceptsAndNeverAnswers", SendThenHold(""), 1, noPage, nothing},
      {"TricklesTheHeadersAByteASecond",
       Trickle("", kOk + ManyHeaderLines(10) + "Content-Length: 2\r\n\r\nhi", 1000ms), 2, noPage,
       nothing},
      {"StopsInTheMiddleOfTheHeaders", SendThenHold(kOk + "Content-Le"), 1, noPage, nothing},
      {"StopsInTheMiddleOfTheBody",
       SendThenHold(kOk + "Content-Length: 10\r\n\r\nhalf"),
       1,
       {"half", "200 OK", "half"},
       nothing},
      // Responses the layer refuses: nothing, and for the page fetcher the receive step's text.
      {"GarbageStatusLine", SendThenClose("SPAM SPAM SPAM\r\nContent-Length: 3\r\n\r\nabc"), 2,
       noPage, nothing},
      {"StatusLineWithoutCode", SendThenClose("HTTP/1.1 OK\r\nContent-Length: 3\r\n\r\nabc"), 2,
       noPage, nothing},
      {"BinaryInsteadOfAStatusLine", SendThenClose("\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03"s),
       2, noPage, nothing},
      {"HundredThousandHeaderLines",
       SendThenClose(kOk + ManyHeaderLines(100000) + "Content-Length: 2\r\n\r\nhi"), 2, noPage,
       nothing},
      {"OneMebibyteHeaderLine",
       SendThenClose(kOk + "X-Huge: " + std::string(1 << 20, 'h') +
                     "\r\nContent-Length: 2\r\n\r\nhi"),
       2, noPage, nothing},
      {"RedirectLoop", RedirectForever(), 2, noPage, nothing},
      // A length no body will reach: the page fetcher keeps what came; the request object refuses
      // a length beyond 4 GiB at once.
      {"HugeLengthThenClosed",
       SendThenClose(kOk + "Content-Length: 99999999999999\r\n\r\nabc"),
       2,
       {"abc", "200 OK", "abc"},
       nothing},
      {"HugeLengthThenSilence",
       SendThenHold(kOk + "Content-Length: 99999999999999\r\n\r\nabc"),
       1,
       {"abc", "200 OK", "abc"},
       nothing},
      // Bytes passed on as they came: nothing is unpacked, and only the page text stops at a NUL.
      {"GzipBodyNobodyAskedFor",
       SendThenClose(HttpResponse(200, "OK", {"Content-Encoding: gzip"}, kGzipPage)),
       2,
       {"\x1f\x8b\x08", "200 OK", kGzipPage},
       {kGzipPage, 200}},
      {"NulBytesInTheBody",
       SendThenClose(HttpResponse(200, "OK", {}, "ab\0cd"s)),
       2,
       {"ab", "200 OK", "ab\0cd"s},
       {"ab\0cd"s, 200}},
      {"NulByteInAHeaderLine", SendThenClose(HttpResponse(200, "OK", {"X-Nul: a\0b"s}, "body")), 2,
       noPage, nothing},
      {"TwelveThousandSetCookieLines",
       SendThenClose(HttpResponse(200, "OK", ManySetCookieLines(12000), "hi")),
       2,
       {"hi", "200 OK", "hi"},
       {"hi", 200}},
      // Lengths in doubt: the request object never hands out a body whose length two values
      // dispute (the same length twice is no dispute); a negative length is refused; a chunked
      // body's own framing wins over a length.
      {"ConflictingLengths",
       SendThenClose(kOk + "Content-Length: 3\r\nContent-Length: 100\r\n\r\nabcdef"),
       2,
       {"abcdef", "200 OK", "abcdef"},
       nothing},
      {"ConflictingLengthsShorterLast",
       SendThenClose(kOk + "Content-Length: 100\r\nContent-Length: 3\r\n\r\nabcdef"),
       2,
       {"abc", "200 OK", "abc"},
       nothing},
      {"ListOfLengths",
       SendThenClose(kOk + "Content-Length: 3, 100\r\n\r\nabcdef"),
       2,
       {"abc", "200 OK", "abc"},
       nothing},
      {"SameLengthTwice",
       SendThenClose(kOk + "Content-Length: 3\r\ncontent-length: 3, 3\r\n\r\nabc"),
       2,
       {"abc", "200 OK", "abc"},
       {"abc", 200}},
      {"NegativeLength", SendThenClose(kOk + "Content-Length: -3\r\n\r\nabcdef"), 2, noPage,
       nothing},
      {"ChunkedAndLength",
       SendThenClose(
           kOk + "Transfer-Encoding: chunked\r\nContent-Length: 100\r\n\r\n3\r\nabc\r\n0\r\n\r\n"),
       2,
       {"abc", "200 OK", "abc"},
       {"abc", 200}},
      // Charsets: a name ICU does not know leaves the page as it came; bytes invalid in the
      // declared set become '?'.
      {"UnknownCharsetDeclared",
       SendThenClose(HttpResponse(200, "OK", {}, kUnknownCharsetPage)),
       2,
       {kUnknownCharsetPage, "200 OK", kUnknownCharsetPage},
       {kUnknownCharsetPage, 200}},
      {"InvalidUtf8DeclaredUtf8",
       SendThenClose(HttpResponse(200, "OK", {}, kBrokenUtf8Page)),
       2,
       {"<meta charset=\"utf-8\"><p>?\?\?( ok ?</p>", "200 OK", kBrokenUtf8Page},
       {kBrokenUtf8Page, 200}},
      {"OddLengthDeclaredUtf16",
       SendThenClose(HttpResponse(200, "OK", {}, kOddUtf16Page)),
       2,
       {kOddUtf16PageAsGbk, "200 OK", kOddUtf16Page},
       {kOddUtf16Page, 200}},
  };
}

class HostileExchangeTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileExchangeTest, FetchPageEndsWithWhatCameOrTheNumberedText) {
  const HostileCase& testCase = GetParam();
  LoopbackServer server(testCase.server);
  Text statusText = "unset";
  Bytes responseBytes = TextToBytes("unset");
  EventGapProbe probe;
  const auto start = std::chrono::steady_clock::now();
  const Text text = FetchPage(server.Url("/page"), {.timeoutSeconds = testCase.timeoutSeconds,
                                                    .statusText = &statusText,
                                                    .responseBytes = &responseBytes});
  const auto took = std::chrono::steady_clock::now() - start;
  probe.Stop();

  EXPECT_EQ(text, testCase.page.text);
  EXPECT_EQ(statusText, testCase.page.statusText);
  EXPECT_EQ(AllBytes(responseBytes), testCase.page.responseBytes.value_or("unset"));
  EXPECT_LT(took, kMostTime);
  EXPECT_LT(probe.LongestGap(), kLongestEventGap) << probe.Calls() << " calls";
  RecordProperty("longest_event_gap_ms", static_cast<int>(probe.LongestGap().count()));
}

TEST_P(HostileExchangeTest, RequestObjectGivesTheWholeBodyOrNothing) {
  const HostileCase& testCase = GetParam();
  LoopbackServer server(testCase.server);
  int status = -1;
  Text responseHeaders = "unset";
  EventGapProbe probe;
  const auto start = std::chrono::steady_clock::now();
  const Bytes body =
      FetchWithRequestObject(server.Url("/audio.m4a"), {.responseHeaders = &responseHeaders,
                                                        .status = &status,
                                                        .timeoutSeconds = testCase.timeoutSeconds});
  const auto took = std::chrono::steady_clock::now() - start;
  probe.Stop();

  EXPECT_EQ(AllBytes(body), testCase.object.body);
  EXPECT_EQ(status, testCase.object.status);
  if (testCase.object.status == 0) {
    EXPECT_EQ(responseHeaders, "");
  }
  EXPECT_LT(took, kMostTime);
  EXPECT_LT(probe.LongestGap(), kLongestEventGap) << probe.Calls() << " calls";
  RecordProperty("longest_event_gap_ms", static_cast<int>(probe.LongestGap().count()));
}

// A body that keeps coming a byte at a time, far below a kilobyte a second, is stalled however
// long it would go on: each fetcher gives it up as it gives up a silent server, a second after
// its timeout (libcurl judges the speed once a second), and the window's events keep flowing
// meanwhile. The bytes come every 1.2 s, so that the end falls well between two of them.
class HostileTrickledBodyTest : public ::testing::Test {
 protected:
  static constexpr int kTimeoutSeconds = 2;

  HostileTrickledBodyTest()
      : server_(test::Trickle(kOk + "Content-Length: 8\r\n\r\n", "abcdefgh", 1200ms)) {}

  void ExpectEndedJustAfterTheTimeout(std::chrono::steady_clock::duration took,
                                      const EventGapProbe& probe) {
    EXPECT_GE(took, std::chrono::seconds(kTimeoutSeconds));
    EXPECT_LT(took, std::chrono::seconds(kTimeoutSeconds + 1) + 500ms);
    EXPECT_LT(probe.LongestGap(), kLongestEventGap) << probe.Calls() << " calls";
  }

  LoopbackServer server_;
};

TEST_F(HostileTrickledBodyTest, FetchPageKeepsWhatCameAsWhenTheBodyStopsComing) {
  Text statusText;
  Bytes responseBytes;
  EventGapProbe probe;
  const auto start = std::chrono::steady_clock::now();
  const Text text = FetchPage(server_.Url("/page"), {.timeoutSeconds = kTimeoutSeconds,
                                                     .statusText = &statusText,
                                                     .responseBytes = &responseBytes});
  const auto took = std::chrono::steady_clock::now() - start;
  probe.Stop();

  EXPECT_EQ(text, "abc");
  EXPECT_EQ(statusText, "200 OK");
  EXPECT_EQ(AllBytes(responseBytes), "abc");
  ExpectEndedJustAfterTheTimeout(took, probe);
}

TEST_F(HostileTrickledBodyTest, RequestObjectGivesNothing) {
  int status = -1;
  Text responseHeaders = "unset";
  EventGapProbe probe;
  const auto start = std::chrono::steady_clock::now();
  const Bytes body = FetchWithRequestObject(
      server_.Url("/audio.m4a"),
      {.responseHeaders = &responseHeaders, .status = &status, .timeoutSeconds = kTimeoutSeconds});
  const auto took = std::chrono::steady_clock::now() - start;
  probe.Stop();

  EXPECT_TRUE(body.empty());
  EXPECT_EQ(status, 0);
  EXPECT_EQ(responseHeaders, "");
  ExpectEndedJustAfterTheTimeout(took, probe);
}

// A server that answers before it is asked: the reply is refused after the request went out, so
// the failure belongs to the receive step.
TEST(HostileServerTest, GarbageSentBeforeTheRequestFailsAtTheReceiveStep) {
  test::SpeakingFirstServer server("SPAM SPAM SPAM\r\n\r\n");
  for (int round = 0; round < 10; ++round) {
    Text statusText;
    EXPECT_EQ(FetchPage(server.Url("/page"), {.timeoutSeconds = 2, .statusText = &statusText}), "");
    EXPECT_EQ(statusText, kNoAnswer) << "round " << round;
  }
}

INSTANTIATE_TEST_SUITE_P(Servers, HostileExchangeTest, ::testing::ValuesIn(Cases()),
                         [](const auto& testCase) { return std::string(testCase.param.name); });

}  // namespace
}  // namespace singrove
