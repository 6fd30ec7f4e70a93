// The request object on the wire, against loopback servers that record what arrives and stage
// what a real server may do: redirect, stall, cut the body short, ask for credentials.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "platform/events/EventHook.h"
#include "platform/request/CurlRequestObject.h"
#include "tests/support/LoopbackServer.h"

namespace singrove {
namespace {

using namespace std::chrono_literals;
using test::Connection;
using test::HttpResponse;
using test::LoopbackServer;
using test::RecordedRequest;
using Lines = std::vector<std::string>;

std::unique_ptr<CurlRequestObject> NewObject() {
  auto object = CurlRequestObject::Create();
  EXPECT_TRUE(object);
  return object;
}

bool HasHeaderNamed(const RecordedRequest& request, std::string_view name) {
  return std::ranges::any_of(request.headerLines, [name](const std::string& line) {
    return line.size() > name.size() && line[name.size()] == ':' &&
           std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
             return std::tolower(static_cast<unsigned char>(a)) ==
                    std::tolower(static_cast<unsigned char>(b));
           });
  });
}

// The reads of an object that holds no response.
void ExpectNoResponse(const RequestObject& object) {
  EXPECT_TRUE(object.ResponseBody().empty());
  EXPECT_EQ(object.GetAllResponseHeaders(), "");
  EXPECT_EQ(object.Status(), 0);
}

TEST(RequestObjectTest, SendsExactlyTheRequestItWasGiven) {
  LoopbackServer server([](const RecordedRequest&, Connection& connection) {
    connection.Send(HttpResponse(201, "Created", {"X-Reply: yes"}, "made"));
  });
  const auto object = NewObject();
  ASSERT_TRUE(object->Open("POST", server.Url("/form?a=1")));
  EXPECT_TRUE(object->SetRequestHeader("X-One", "1"));
  EXPECT_TRUE(object->SetRequestHeader("x-one", "2"));  // the same header, given again
  EXPECT_TRUE(object->SetRequestHeader("X-Two", "t"));
  EXPECT_TRUE(object->SetRequestHeader("X-Two", ""));  // taken away again
  EXPECT_TRUE(object->SetRequestHeader("Content-Type", "text/plain"));
  ASSERT_TRUE(object->Send(Bytes{'a', 0, 'b'}));

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "POST /form?a=1 HTTP/1.1");
  Lines lines = requests[0].headerLines;
  std::ranges::sort(lines);
  EXPECT_EQ(lines, (Lines{"Content-Length: 3", "Content-Type: text/plain",
                          "Host: 127.0.0.1:" + std::to_string(server.Port()), "X-One: 2"}));
  EXPECT_EQ(requests[0].body, std::string("a\0b", 3));

  EXPECT_EQ(object->Status(), 201);
  EXPECT_EQ(object->GetAllResponseHeaders(), "X-Reply: yes\r\nContent-Length: 4\r\n");
  EXPECT_EQ(BytesToText(object->ResponseBody()), "made");
  EXPECT_EQ(BytesToText(object->TakeResponseBody()), "made");
  EXPECT_TRUE(object->ResponseBody().empty());
}

TEST(RequestObjectTest, RefusedCallsChangeNothing) {
  LoopbackServer server([](const RecordedRequest&, Connection& connection) {
    connection.Send(HttpResponse(200, "OK", {}, "fine"));
  });
  const auto object = NewObject();
  EXPECT_FALSE(object->Send(""));
  EXPECT_FALSE(object->SetRequestHeader("X-Early", "1"));
  for (const char* url : {"ftp://127.0.0.1/x", "127.0.0.1/x", "", "http://[bad/"}) {
    EXPECT_FALSE(object->Open("GET", url)) << url;
  }
  EXPECT_FALSE(object->Open("GE T", server.Url("/x")));
  EXPECT_FALSE(object->Open("GET", server.Url("/x"), /*async=*/true));

  ASSERT_TRUE(object->Open("GET", server.Url("/kept")));
  EXPECT_FALSE(object->Open("GET", "ftp://127.0.0.1/other"));
  EXPECT_FALSE(object->SetRequestHeader("", "v"));
  EXPECT_FALSE(object->SetRequestHeader("Bad Name", "v"));
  EXPECT_FALSE(object->SetRequestHeader("X:Colon", "v"));
  EXPECT_FALSE(object->SetRequestHeader("X-Split", "a\r\nX-Injected: 1"));
  EXPECT_FALSE(object->SetOption(5, 1));
  EXPECT_FALSE(object->SetOption(kOptionSslErrorIgnoreFlags, 0x4000));
  EXPECT_FALSE(object->SetTimeouts(-2, 0, 0, 0));
  EXPECT_FALSE(object->SetProxy(kProxySettingProxy, ""));
  EXPECT_FALSE(object->SetProxy(3, "127.0.0.1:1"));
  EXPECT_FALSE(object->SetCredentials("u", "p", 2));
  ASSERT_TRUE(object->Send(""));

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].requestLine, "GET /kept HTTP/1.1");
  for (const char* name : {"X-Early", "X-Split", "X-Injected", "Bad Name", "X"}) {
    EXPECT_FALSE(HasHeaderNamed(requests[0], name)) << name;
  }
  EXPECT_EQ(BytesToText(object->ResponseBody()), "fine");
}

LoopbackServer RedirectingServer() {
  return LoopbackServer([](const RecordedRequest& request, Connection& connection) {
    if (request.requestLine.starts_with("GET /from ")) {
      connection.Send(HttpResponse(302, "Found", {"Location: /to", "X-Hop: 1"}, "moved"));
    } else {
      connection.Send(HttpResponse(200, "OK", {"X-Final: 1"}, "arrived"));
    }
  });
}

TEST(RequestObjectTest, FollowsRedirectionsUnlessTurnedOff) {
  LoopbackServer server = RedirectingServer();
  const auto object = NewObject();
  ASSERT_TRUE(object->Open("GET", server.Url("/from")));
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(object->Status(), 200);
  EXPECT_EQ(BytesToText(object->ResponseBody()), "arrived");
  EXPECT_EQ(object->GetAllResponseHeaders(), "X-Final: 1\r\nContent-Length: 7\r\n");

  ASSERT_TRUE(object->SetOption(kOptionEnableRedirects, 0));
  ASSERT_TRUE(object->Open("GET", server.Url("/from")));
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(object->Status(), 302);
  EXPECT_EQ(BytesToText(object->ResponseBody()), "moved");
  EXPECT_EQ(object->GetAllResponseHeaders(), "Location: /to\r\nX-Hop: 1\r\nContent-Length: 5\r\n");
}

TEST(RequestObjectTest, KeepsSettingsButNotTheRequestForTheNextExchange) {
  LoopbackServer server = RedirectingServer();
  const auto object = NewObject();
  ASSERT_TRUE(object->SetOption(kOptionEnableRedirects, 0));
  ASSERT_TRUE(object->Open("GET", server.Url("/first")));
  ASSERT_TRUE(object->SetRequestHeader("X-First", "1"));
  ASSERT_TRUE(object->Send(""));
  ASSERT_TRUE(object->Open("GET", server.Url("/from")));
  ExpectNoResponse(*object);
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(object->Status(), 302);

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_TRUE(HasHeaderNamed(requests[0], "X-First"));
  EXPECT_FALSE(HasHeaderNamed(requests[1], "X-First"));
}

struct CutCase {
  const char* name;
  std::string response;  // what the server sends before it closes the connection
  friend void PrintTo(const CutCase& testCase, std::ostream* out) { *out << testCase.name; }
};

class RequestObjectCutTest : public ::testing::TestWithParam<CutCase> {};

TEST_P(RequestObjectCutTest, BodyCutShortFailsAndLeavesNothing) {
  std::atomic<int> served = 0;
  LoopbackServer server([&served](const RecordedRequest&, Connection& connection) {
    if (served++ == 0) {
      connection.Send(HttpResponse(200, "OK", {"X-Whole: 1"}, "whole"));
    } else {
      connection.Send(GetParam().response);
      connection.Close();
    }
  });
  const auto object = NewObject();
  ASSERT_TRUE(object->Open("GET", server.Url("/file")));
  ASSERT_TRUE(object->Send(""));
  ASSERT_EQ(BytesToText(object->ResponseBody()), "whole");
  EXPECT_FALSE(object->Send(""));
  ExpectNoResponse(*object);
}

const std::string kTenBytes = "0123456789";

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestObjectCutTest,
    ::testing::Values(
        CutCase{"ShorterThanAnnounced",
                "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + kTenBytes},
        CutCase{"ChunkCutShort",
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n" + kTenBytes},
        CutCase{"ChunksWithoutTheLastOne",
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\na\r\n" + kTenBytes + "\r\n"},
        CutCase{"BrokenChunkSize",
                "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n" + kTenBytes + "\r\n"},
        CutCase{"HeadersOnly", "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// A sink that keeps what it takes, and refuses once it holds more than refuseAfter bytes.
struct CollectingSink {
  std::string taken;
  int pieces = 0;
  std::size_t refuseAfter = std::string::npos;
  ResponseBodySink Sink() {
    return [this](const unsigned char* data, std::size_t size) {
      taken.append(reinterpret_cast<const char*>(data), size);
      ++pieces;
      return taken.size() <= refuseAfter;
    };
  }
};

TEST(RequestObjectTest, HandsTheBodyToTheSinkInsteadOfKeepingIt) {
  const std::string body(std::size_t{1} << 20, 'b');
  LoopbackServer server([&body](const RecordedRequest&, Connection& connection) {
    connection.Send(HttpResponse(200, "OK", {"X-Kind: audio"}, body));
  });
  const auto object = NewObject();
  CollectingSink sink;
  ASSERT_TRUE(object->SetResponseBodySink(sink.Sink()));
  ASSERT_TRUE(object->Open("GET", server.Url("/audio")));
  ASSERT_TRUE(object->Send(""));
  EXPECT_TRUE(sink.taken == body);
  EXPECT_GT(sink.pieces, 1);  // it came piece by piece, as it arrived
  EXPECT_TRUE(object->ResponseBody().empty());
  EXPECT_EQ(object->Status(), 200);
  EXPECT_NE(object->GetAllResponseHeaders().find("X-Kind: audio\r\n"), std::string::npos);

  // The sink stays for the next exchange until it is taken away.
  ASSERT_TRUE(object->Open("GET", server.Url("/again")));
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(sink.taken.size(), 2 * body.size());
  ASSERT_TRUE(object->SetResponseBodySink({}));
  ASSERT_TRUE(object->Open("GET", server.Url("/kept")));
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(object->ResponseBody().size(), body.size());
  EXPECT_EQ(sink.taken.size(), 2 * body.size());
}

struct SinkFailureCase {
  const char* name;
  std::string response;  // what the server sends before it closes the connection
  std::size_t refuseAfter;
  friend void PrintTo(const SinkFailureCase& testCase, std::ostream* out) {
    *out << testCase.name;
  }
};

class RequestObjectSinkFailureTest : public ::testing::TestWithParam<SinkFailureCase> {};

TEST_P(RequestObjectSinkFailureTest, FailsTheExchangeLikeAnyFailure) {
  LoopbackServer server([](const RecordedRequest&, Connection& connection) {
    connection.Send(GetParam().response);
    connection.Close();
  });
  const auto object = NewObject();
  CollectingSink sink;
  sink.refuseAfter = GetParam().refuseAfter;
  ASSERT_TRUE(object->SetResponseBodySink(sink.Sink()));
  ASSERT_TRUE(object->Open("GET", server.Url("/audio")));
  EXPECT_FALSE(object->Send(""));
  ExpectNoResponse(*object);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestObjectSinkFailureTest,
    ::testing::Values(
        SinkFailureCase{"SinkRefuses", HttpResponse(200, "OK", {}, std::string(200000, 'r')),
                        1000},
        SinkFailureCase{"ShorterThanAnnounced",
                        "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + kTenBytes,
                        std::string::npos},
        SinkFailureCase{"ChunksWithoutTheLastOne",
                        "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\na\r\n" +
                            kTenBytes + "\r\n",
                        std::string::npos}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(RequestObjectTest, FailsWhenNothingListens) {
  std::string url;
  {
    const LoopbackServer gone([](const RecordedRequest&, Connection&) {});
    url = gone.Url("/nobody");
  }
  const auto object = NewObject();
  ASSERT_TRUE(object->Open("GET", url));
  EXPECT_FALSE(object->Send(""));
  ExpectNoResponse(*object);
}

TEST(RequestObjectTest, GivesUpOnAServerThatNeverAnswers) {
  LoopbackServer server(
      [](const RecordedRequest&, Connection& connection) { connection.Hold(20s); });
  const auto object = NewObject();
  ASSERT_TRUE(object->SetTimeouts(1000, 1000, 1000, 1000));
  ASSERT_TRUE(object->Open("GET", server.Url("/silent")));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(object->Send(""));
  // It gave up by itself, long before the server let go of the connection.
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  ExpectNoResponse(*object);
}

// A body that keeps coming at some kilobytes a second is no trickle, however long it lasts: 2 KiB
// every 400 ms for two seconds, against a receive timeout of one.
TEST(RequestObjectTest, SlowButSteadyBodyOutlastsTheReceiveTimeout) {
  std::string body;
  for (char piece : std::string("abcde")) body += std::string(2048, piece);
  LoopbackServer server([body](const RecordedRequest&, Connection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) +
                    "\r\n\r\n");
    for (std::size_t at = 0; at < body.size(); at += 2048) {
      std::this_thread::sleep_for(400ms);
      connection.Send(std::string_view(body).substr(at, 2048));
    }
  });
  const auto object = NewObject();
  ASSERT_TRUE(object->SetTimeouts(1000, 1000, 1000, 1000));
  ASSERT_TRUE(object->Open("GET", server.Url("/slow")));
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(BytesToText(object->ResponseBody()), body);
}

TEST(RequestObjectTest, RefusesABodyOverFourGibibytes) {
  LoopbackServer server([](const RecordedRequest&, Connection& connection) {
    connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 4294967297\r\n\r\nabc");
    connection.Hold(20s);
  });
  const auto object = NewObject();
  ASSERT_TRUE(object->Open("GET", server.Url("/huge")));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(object->Send(""));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 15s);
  ExpectNoResponse(*object);
}

TEST(RequestObjectTest, LetsTheWindowProcessEventsWhileItWaits) {
  LoopbackServer server([](const RecordedRequest&, Connection& connection) {
    connection.Hold(600ms);
    connection.Send(HttpResponse(200, "OK", {}, "late"));
  });
  int rounds = 0;
  InstallEventHook([&rounds] { ++rounds; });
  const auto object = NewObject();
  ASSERT_TRUE(object->Open("GET", server.Url("/late")));
  const bool sent = object->Send("");
  InstallEventHook(nullptr);
  ASSERT_TRUE(sent);
  EXPECT_EQ(BytesToText(object->ResponseBody()), "late");
  // Every 50 ms at most would be twelve rounds in 600 ms; a few less leaves room for a busy
  // machine.
  EXPECT_GE(rounds, 6);
}

// Answers 401 or 407 with a Basic challenge until the request brings the asked-for header.
LoopbackServer ChallengingServer(int status, std::string_view challenge, std::string_view answer) {
  return LoopbackServer([=](const RecordedRequest& request, Connection& connection) {
    if (request.HeaderValue(answer).empty()) {
      connection.Send(HttpResponse(status, "Authentication Required",
                                   {std::string(challenge) + ": Basic realm=\"r\""}, "who?"));
    } else {
      connection.Send(HttpResponse(200, "OK", {}, "welcome"));
    }
  });
}

TEST(RequestObjectTest, GoesThroughAProxyWithItsCredentials) {
  LoopbackServer proxy = ChallengingServer(407, "Proxy-Authenticate", "Proxy-Authorization");
  const auto object = NewObject();
  ASSERT_TRUE(object->SetProxy(kProxySettingProxy, "127.0.0.1:" + std::to_string(proxy.Port())));
  ASSERT_TRUE(object->SetCredentials("user", "pw", kCredentialsForProxy));
  ASSERT_TRUE(object->Open("GET", "http://127.0.0.1:1/far?x=1"));
  ASSERT_TRUE(object->Send(""));
  EXPECT_EQ(object->Status(), 200);
  EXPECT_EQ(BytesToText(object->ResponseBody()), "welcome");

  const auto requests = proxy.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().requestLine, "GET http://127.0.0.1:1/far?x=1 HTTP/1.1");
  EXPECT_EQ(requests.back().HeaderValue("Proxy-Authorization"), "Basic dXNlcjpwdw==");
}

TEST(RequestObjectTest, AnswersTheServersCredentialChallenge) {
  LoopbackServer server = ChallengingServer(401, "WWW-Authenticate", "Authorization");
  const auto object = NewObject();
  ASSERT_TRUE(object->SetCredentials("user", "pw", kCredentialsForServer));
  ASSERT_TRUE(object->Open("POST", server.Url("/private")));
  ASSERT_TRUE(object->Send("a=1"));
  EXPECT_EQ(BytesToText(object->ResponseBody()), "welcome");

  const auto requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().HeaderValue("Authorization"), "Basic dXNlcjpwdw==");
  EXPECT_EQ(requests.back().body, "a=1");
}

}  // namespace
}  // namespace singrove
