#include "text/Gbk.h"

#include <gtest/gtest.h>

namespace singrove {
namespace {

TEST(Gbk, ConvertsChineseAndKeepsAscii) {
  EXPECT_EQ(Gbk("#引号"), "#\xD2\xFD\xBA\xC5");
  EXPECT_EQ(Gbk("Singrove小工具"), "Singrove\xD0\xA1\xB9\xA4\xBE\xDF");
  EXPECT_EQ(Gbk(""), "");
}

TEST(Gbk, ConvertsBackToUtf8) {
  EXPECT_EQ(GbkToUtf8("Singrove\xD0\xA1\xB9\xA4\xBE\xDF"), "Singrove小工具");
  EXPECT_EQ(GbkToUtf8(Gbk("信息：/歌 名.m4a")), "信息：/歌 名.m4a");
  EXPECT_EQ(GbkToUtf8(""), "");
}

}  // namespace
}  // namespace singrove
