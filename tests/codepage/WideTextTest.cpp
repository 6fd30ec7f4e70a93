#include <gtest/gtest.h>

#include <string>

#include "fetch/WideText.h"

namespace singrove {
namespace {

TEST(TextToWide, GivesUtf16LittleEndianWithATwoByteTerminator) {
  const Text text =
      "\xD6\xD0"
      "a";  // 中a
  EXPECT_EQ(TextToWide(text), (Bytes{0x2D, 0x4E, 0x61, 0x00, 0x00, 0x00}));
  EXPECT_EQ(TextToWide(text, /*dropTerminator=*/true), (Bytes{0x2D, 0x4E, 0x61, 0x00}));
}

TEST(TextToWide, EmptyTextGivesEmptyBytesAndANulEndsTheText) {
  EXPECT_EQ(TextToWide(""), Bytes{});
  EXPECT_EQ(TextToWide("", true), Bytes{});
  EXPECT_EQ(TextToWide(std::string("a\0b", 3)), (Bytes{0x61, 0x00, 0x00, 0x00}));
}

TEST(WideToText, ConvertsUnitsUpToTheFirstNul) {
  EXPECT_EQ(WideToText(Bytes{0x2D, 0x4E, 0x61, 0x00}),
            "\xD6\xD0"
            "a");
  EXPECT_EQ(WideToText(Bytes{0x61, 0x00, 0x00, 0x00, 0x62, 0x00}), "a");
  EXPECT_EQ(WideToText(Bytes{}), "");
}

TEST(WideToText, IgnoresAnOddLastByteAndComposesAccents) {
  EXPECT_EQ(WideToText(Bytes{0x61, 0x00, 0x62}), "a");
  // "e" followed by a combining acute accent becomes GBK's é.
  EXPECT_EQ(WideToText(Bytes{0x65, 0x00, 0x01, 0x03}), "\xA8\xA6");
}

TEST(WideText, RoundTripsGbkTextThroughEveryForm) {
  const Text text =
      "Singrove\xD0\xA1\xB9\xA4\xBE\xDF \xA1\xA1!";  // Singrove小工具, ideographic space
  EXPECT_EQ(WideToText(TextToWide(text)), text);
  EXPECT_EQ(Utf16ToText(TextToUtf16(text)), text);
  EXPECT_EQ(TextToUtf16(text), u"Singrove小工具 \u3000!");
  EXPECT_EQ(Utf16ToText(std::u16string(u"a\0b", 3)), "a");
}

}  // namespace
}  // namespace singrove
