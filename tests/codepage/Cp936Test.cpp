#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage/Cp936.h"

namespace singrove {
namespace {

TEST(GbkToWide, MeasuresThenConvertsIntoAnExactBuffer) {
  const std::string gbk =
      "\xD6\xD0\xCE\xC4"
      "a";  // 中文a
  const int units = GbkToWide(gbk, {});
  ASSERT_EQ(units, 3);
  std::u16string wide(3, u'\0');
  EXPECT_EQ(GbkToWide(gbk, wide), 3);
  EXPECT_EQ(wide, u"中文a");

  std::u16string tooSmall(2, u'\0');
  EXPECT_EQ(GbkToWide(gbk, tooSmall), 0);
}

TEST(GbkToWide, ConvertsAnEmbeddedNulAndAnEmptyInputGivesZero) {
  EXPECT_EQ(GbkToUtf16(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
  EXPECT_EQ(GbkToWide("", {}), 0);
  EXPECT_EQ(GbkToUtf16(""), u"");
}

TEST(GbkToWide, TurnsBytesThatAreNotGbkIntoReplacementCharacters) {
  // A lead byte followed by a byte that cannot trail it, and a lead byte at the very end.
  EXPECT_EQ(GbkToUtf16("\x81 x\xD6"), u"\uFFFD x\uFFFD");
  // 0x80 is the euro sign in code page 936.
  EXPECT_EQ(GbkToUtf16("\x80"), u"\u20AC");
}

TEST(WideToGbk, MeasuresThenConvertsIntoAnExactBuffer) {
  const std::u16string wide = u"歌曲 1";
  const int bytes = WideToGbk(wide, {});
  ASSERT_EQ(bytes, 6);
  std::string gbk(6, '\0');
  EXPECT_EQ(WideToGbk(wide, gbk), 6);
  EXPECT_EQ(gbk, "\xB8\xE8\xC7\xFA 1");

  std::string tooSmall(5, '\0');
  EXPECT_EQ(WideToGbk(wide, tooSmall), 0);
  EXPECT_EQ(WideToGbk(u"", {}), 0);
}

TEST(WideToGbk, SubstitutesAQuestionMarkForWhatGbkLacks) {
  struct Case {
    std::u16string wide;
    std::string gbk;
  };
  const std::vector<Case> cases = {
      {u"a\U0001F600b", "a?b"},                    // a character outside GBK, as a surrogate pair
      {std::u16string(u"a\xD800") + u"b", "a?b"},  // an unpaired high surrogate
      {std::u16string(1, u'\xDC00'), "?"},         // an unpaired low surrogate
      {u"x\xD800", "x?"},                          // a high surrogate at the very end
      {u"\u00A0", "?"},                            // no-break space: not in GBK
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utf16ToGbk(c.wide), c.gbk) << static_cast<int>(c.wide[0]);
  }
}

TEST(WideToGbk, CompositeCheckComposesBaseAndMarkWhereGbkHasTheLetter) {
  const std::u16string decomposed = u"e\u0301";  // e + combining acute accent
  EXPECT_EQ(Utf16ToGbk(decomposed, {.compositeCheck = true}), "\xA8\xA6");  // é
  EXPECT_EQ(Utf16ToGbk(decomposed), "e?");
  EXPECT_EQ(WideToGbk(decomposed, {}, {.compositeCheck = true}), 2);
  EXPECT_EQ(Utf16ToGbk(u"中文", {.compositeCheck = true}), "\xD6\xD0\xCE\xC4");
}

}  // namespace
}  // namespace singrove
