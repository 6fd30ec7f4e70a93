#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/codepage/CharsetDecoder.h"

namespace singrove {
namespace {

std::vector<unsigned char> BytesOf(std::string_view text) {
  return std::vector<unsigned char>(text.begin(), text.end());
}

struct DecodeCase {
  const char* what;
  std::string name;
  std::string bytes;
  std::string gbk;
};

TEST(DecodeCharset, DecodesKnownCharacterSetsToGbk) {
  const std::vector<DecodeCase> cases = {
      {"utf-8", "utf-8", "<p>\xE4\xB8\xAD\xE6\x96\x87</p>", "<p>\xD6\xD0\xCE\xC4</p>"},
      {"name in capitals", "UTF-8", "\xE4\xB8\xAD", "\xD6\xD0"},
      {"utf-8 signature dropped", "utf-8", "\xEF\xBB\xBFok", "ok"},
      {"utf-16le signature dropped", "utf-16le", std::string("\xFF\xFE-N\x61\0", 6),
       "\xD6\xD0"
       "a"},
      {"big5", "big5", "\xA4\xA4\xA4\xE5", "\xD6\xD0\xCE\xC4"},            // 中文
      {"shift_jis", "shift_jis", "\x93\xFA\x96\x7B", "\xC8\xD5\xB1\xBE"},  // 日本
      {"gbk through the decoder", "GBK", "\xD6\xD0\x81 ", "\xD6\xD0? "},
      {"character GBK lacks", "utf-8",
       "a\xF0\x9F\x98\x80"
       "b",
       "a?b"},
      {"invalid utf-8", "utf-8",
       "a\xFF"
       "b",
       "a?b"},
      {"truncated utf-8 at the end", "utf-8", "a\xE4\xB8", "a?"},
      {"ends at the first NUL", "utf-8", std::string("ab\0cd", 5), "ab"},
      {"empty input", "utf-8", "", ""},
  };
  for (const DecodeCase& c : cases) {
    const std::optional<std::string> decoded = DecodeCharset(c.name, BytesOf(c.bytes));
    ASSERT_TRUE(decoded.has_value()) << c.what;
    EXPECT_EQ(*decoded, c.gbk) << c.what;
  }
}

TEST(DecodeCharset, GrowsItsOutputWhenGbkTakesMoreBytesThanTheInput) {
  // Latin-1 "é" is one byte, its GBK form two.
  const std::string latin1(5000, '\xE9');
  std::string gbk;
  for (int i = 0; i < 5000; ++i) gbk += "\xA8\xA6";
  EXPECT_EQ(DecodeCharset("iso-8859-1", BytesOf(latin1)), gbk);
}

TEST(DecodeCharset, LargeBodyMatchesTheBytesConvertedPieceByPiece) {
  // More than one pass through the converters' pivot buffer.
  std::string utf8;
  std::string gbk;
  for (int i = 0; i < 20000; ++i) {
    utf8 +=
        "\xE6\xAD\x8C"
        "x";  // 歌x
    gbk +=
        "\xB8\xE8"
        "x";
  }
  EXPECT_EQ(DecodeCharset("utf-8", BytesOf(utf8)), gbk);
}

TEST(DecodeCharset, UnknownOrMalformedNamesGiveNothing) {
  for (const char* name : {"x-unknown", "", "utf-8,swaplfnl", "../utf-8", "utf 8"}) {
    EXPECT_EQ(DecodeCharset(name, BytesOf("abc")), std::nullopt) << name;
  }
}

}  // namespace
}  // namespace singrove
