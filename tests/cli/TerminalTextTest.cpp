#include <gtest/gtest.h>

#include "cli/TerminalText.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

TEST(TerminalText, TurnsGbkIntoUtf8AndWhatIsNotGbkIntoReplacements) {
  struct Case {
    const char* name;
    std::string gbk;
    std::string utf8;
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"ASCII with controls", "a\tb\x01", "a\tb\x01"},
      {"Chinese", "\xC4\xE3\xBA\xC3", "你好"},
      {"ideographic space", "\xA1\xA1", "\xE3\x80\x80"},
      {"lone lead byte at the end", "\xC4\xE3\x81", "你" + std::string(kReplacement)},
      {"lead byte before a space", "\x81 x", std::string(kReplacement) + " x"},
      {"lead byte before a digit", "\x81\x30", std::string(kReplacement) + "0"},
      {"lead byte alone", "\xA1", kReplacement},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TerminalText(c.gbk), c.utf8);
  }
}

TEST(ArgumentText, KeepsOnlyArgumentsThatGbkHoldsExactly) {
  struct Case {
    const char* name;
    std::string utf8;
    bool kept;
  };
  const Case cases[] = {
      {"empty", "", true},
      {"ASCII with a question mark", "a?b.m4a", true},
      {"Chinese and full-width", "歌名《青春》Ｓｉｎｇ.m4a", true},
      {"accented Latin that GBK has", "ü.m4a", true},
      {"emoji", "song\xF0\x9F\x8E\xB5.m4a", false},
      {"Arabic", "\xD8\xB3.m4a", false},
      {"invalid UTF-8",
       "a\xFF"
       "b",
       false},
      {"truncated UTF-8", "a\xE6\xAD", false},
      {"encoded surrogate", "\xED\xA0\x80", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Text text = "untouched";
    EXPECT_EQ(ArgumentText(c.utf8, &text), c.kept);
    EXPECT_EQ(text, c.kept ? Gbk(c.utf8) : "untouched");
  }
}

TEST(ValidUtf8, ReplacesEverySequenceThatIsNotUtf8) {
  EXPECT_EQ(ValidUtf8(""), "");
  EXPECT_EQ(ValidUtf8("歌 ok"), "歌 ok");
  EXPECT_EQ(ValidUtf8("a\xFF"
                      "b"),
            "a" + std::string(kReplacement) + "b");
  EXPECT_EQ(ValidUtf8("\xC4\xE3"), std::string(kReplacement) + kReplacement);  // GBK bytes
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  struct Case {
    std::string utf8;
    std::string json;
  };
  const Case cases[] = {
      {"", R"("")"},
      {"Say \\", R"("Say \\")"},
      {"a \"b\"", R"("a \"b\"")"},
      {std::string("nul\0", 4), R"("nul\u0000")"},
      {"\x01\x1F\n\r\t", R"("\u0001\u001f\u000a\u000d\u0009")"},
      {"\x7F /<>", "\"\x7F /<>\""},
      {"晚风 \xEF\xBF\xBD", "\"晚风 \xEF\xBF\xBD\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JsonString(c.utf8), c.json) << c.json;
  }
}

}  // namespace
}  // namespace singrove
