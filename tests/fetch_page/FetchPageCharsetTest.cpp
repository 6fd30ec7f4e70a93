#include <gtest/gtest.h>

#include <string>

#include "fetch/FetchPage.h"
#include "tests/support/LoopbackServer.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using test::Connection;
using test::HttpResponse;
using test::LoopbackServer;
using test::RecordedRequest;

struct CharsetRow {
  const char* name;
  std::string page;  // the bytes the server sends; "\x81 " is a pair that GBK decoding mends
  Text expected;     // the text FetchPage returns
};

const std::string kUtf8Chinese = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文 in UTF-8
const std::string kPadding(1100, ' ');

// Only a declaration in the first 1024 bytes, on one line, that names neither "gbk" nor
// "gb2312" exactly, turns the page into GBK; every other page comes back byte for byte.
TEST(FetchPageCharset, ConvertsOnlyPagesThatDeclareAnotherCharset) {
  const CharsetRow rows[] = {
      {"quoted utf-8", "<meta charset=\"utf-8\">" + kUtf8Chinese,
       "<meta charset=\"utf-8\">" + Gbk("中文")},
      {"gbk untouched", "<meta content=\"text/html; charset=gbk\">\xD6\xD0\x81 ",
       "<meta content=\"text/html; charset=gbk\">\xD6\xD0\x81 "},
      {"gb2312 untouched", "<meta content=\"text/html; charset=gb2312\">\xD6\xD0\x81 ",
       "<meta content=\"text/html; charset=gb2312\">\xD6\xD0\x81 "},
      {"GBK in capitals goes through the decoder", "<meta charset=GBK>\xD6\xD0\x81 ",
       "<meta charset=GBK>\xD6\xD0? "},
      {"beyond 1024 bytes", kPadding + "<meta charset=\"utf-8\">" + kUtf8Chinese,
       kPadding + "<meta charset=\"utf-8\">" + kUtf8Chinese},
      {"split across lines", "<meta\ncharset=\"utf-8\">" + kUtf8Chinese,
       "<meta\ncharset=\"utf-8\">" + kUtf8Chinese},
      {"upper-case META", "<META CHARSET=UTF-8>" + kUtf8Chinese,
       "<META CHARSET=UTF-8>" + Gbk("中文")},
      {"big5", "<meta charset=big5>\xA4\xA4\xA4\xE5", "<meta charset=big5>" + Gbk("中文")},
      {"shift_jis", "<meta charset=\"shift_jis\">\x93\xFA\x96\x7B",
       "<meta charset=\"shift_jis\">" + Gbk("日本")},
      {"no meta tag", "plain " + kUtf8Chinese, "plain " + kUtf8Chinese},
  };
  for (const CharsetRow& row : rows) {
    LoopbackServer server([&row](const RecordedRequest&, Connection& connection) {
      connection.Send(HttpResponse(200, "OK", {"Content-Type: text/html"}, row.page));
    });
    Bytes responseBytes;
    EXPECT_EQ(FetchPage(server.Url("/"), {.responseBytes = &responseBytes}), row.expected)
        << row.name;
    EXPECT_EQ(responseBytes, TextToBytes(row.page)) << row.name;
  }
}

}  // namespace
}  // namespace singrove
