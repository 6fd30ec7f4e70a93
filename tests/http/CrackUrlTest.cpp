#include <gtest/gtest.h>

#include <string>

#include "platform/http/HttpApi.h"

namespace singrove {
namespace {

struct CrackedRow {
  std::u16string url;
  int scheme;
  std::u16string host;
  int port;
  std::u16string path;
  std::u16string extra;
};

class CrackUrlParts : public testing::TestWithParam<CrackedRow> {};

TEST_P(CrackUrlParts, ReportsWhereEachPartLies) {
  const CrackedRow& row = GetParam();
  UrlComponents parts;
  ASSERT_TRUE(CurlHttpApi().CrackUrl(row.url, parts));
  const std::u16string_view url = row.url;
  EXPECT_EQ(parts.scheme, row.scheme);
  EXPECT_EQ(url.substr(parts.hostStart, parts.hostLength), row.host);
  EXPECT_EQ(parts.port, row.port);
  EXPECT_EQ(url.substr(parts.pathStart, parts.pathLength), row.path);
  EXPECT_EQ(url.substr(parts.extraStart, parts.extraLength), row.extra);
  EXPECT_EQ(url.substr(parts.schemeStart, parts.schemeLength), url.substr(0, url.find(u':')));
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, CrackUrlParts,
    testing::Values(
        CrackedRow{u"http://example.com/a/b?x=1&y=2", 1, u"example.com", 80, u"/a/b", u"?x=1&y=2"},
        CrackedRow{u"HTTPS://Example.com", 2, u"Example.com", 443, u"", u""},
        CrackedRow{u"https://h.example:8443/p", 2, u"h.example", 8443, u"/p", u""},
        CrackedRow{u"http://127.0.0.1:8080?q=1", 1, u"127.0.0.1", 8080, u"", u"?q=1"},
        CrackedRow{u"http://user:pw@h/x", 1, u"h", 80, u"/x", u""},
        CrackedRow{u"http://[::1]:81/", 1, u"[::1]", 81, u"/", u""},
        CrackedRow{u"http://h/p#frag", 1, u"h", 80, u"/p", u"#frag"},
        CrackedRow{u"http://h:/x", 1, u"h", 80, u"/x", u""},
        CrackedRow{u"http://h/%E4%B8%AD?k=\u4E2D", 1, u"h", 80, u"/%E4%B8%AD", u"?k=\u4E2D"}));

// Addresses that never reach the wire: not HTTP, malformed, or holding what an address may not.
TEST(CrackUrl, RefusesOtherAndUnsafeAddresses) {
  const std::u16string refused[] = {
      u"",
      u"ftp://h/",
      u"h/x",
      u"http:/h/x",
      u"http:///x",
      u"http://a b/",
      u"http://h/a b",
      u"http://h/a?b=c d",
      u"http://h/\tx",
      u"http://h/\x7F",
      u"http://h/\x85",
      u"http://h\r\nX-Injected: 1/",
      u"http://h/x\r\nX-Injected: 1",
      u"http://h/x\u3000y",
      u"http://h<x>/",
      u"http://h\"/",
      u"http://h\\x/",
      u"http://\u4E2D.example/",
      u"http://h%zz/",
      u"http://[::1/",
      u"http://h:0/",
      u"http://h:65536/",
      u"http://h:8a/",
      std::u16string(u"http://h/\0x", 11),
  };
  for (const std::u16string& url : refused) {
    UrlComponents parts;
    EXPECT_FALSE(CurlHttpApi().CrackUrl(url, parts)) << std::string(url.begin(), url.end());
  }
}

}  // namespace
}  // namespace singrove
