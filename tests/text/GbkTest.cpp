#include "text/Gbk.h"

#include <gtest/gtest.h>

namespace singrove {
namespace {

TEST(Gbk, ConvertsChineseAndKeepsAscii) {
  EXPECT_EQ(Gbk("#引号"), "#\xD2\xFD\xBA\xC5");
  EXPECT_EQ(Gbk("Singrove小工具"), "Singrove\xD0\xA1\xB9\xA4\xBE\xDF");
  EXPECT_EQ(Gbk(""), "");
}

}  // namespace
}  // namespace singrove
