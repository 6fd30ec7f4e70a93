#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fetch/Cookies.h"

namespace singrove {
namespace {

struct MergeCase {
  Text cookies;
  Text newCookies;
  Text merged;
  Text newCookiesAfter;
};

TEST(MergeCookies, PutsNewItemsFirstAndDropsReplacedDeletedAndRepeatedOnes) {
  const MergeCase cases[] = {
      {"a=1; b=2", "b=3", "b=3; a=1", "b=3"},
      {"a=1; b=2", "a=deleted", "b=2", "a=deleted"},
      {"", "", "", ""},
      {"", "x=1; y=2", "x=1; y=2", "x=1;y=2"},
      {"x=1;y=2", "", "x=1; y=2", ""},
      {"a=1; a=2", "", "a=1", ""},
      {"", "a=1;a=2", "a=1; a=2", "a=1;a=2"},
      {"", "a=1;a=1", "a=1", "a=1;a=1"},
      {"k=hello world", "", "k=helloworld", ""},
      {"k=hello\xA1\xA1world", "n=\xA1\xA1v ", "n=v; k=helloworld", "n=v"},
      {"k=a\tb", "", "k=a\tb", ""},  // a tab is no space
      {"SID=1", "sid=2", "sid=2; SID=1", "sid=2"},
      {"flag; a=1", "flag", "flag; a=1", "flag"},
      {"a=1;;b=2", "c=3", "c=3; a=1; ; b=2", "c=3"},
      {"a=1", "x=a=deleted", "a=1", "x=a=deleted"},
      {"a=1", "a=DELETED", "a=DELETED", "a=DELETED"},  // letter case counts in the marker
      {"a=deleted; b=2", "", "b=2", ""},
      {"tok=ab==", "", "tok=ab==", ""},
      {"a=1;", "b=2;", "b=2; a=1", "b=2;"},
      {";a=1", "", "; a=1", ""},
      // The empty item left last is lost when the list is split again at "; ".
      {"a=1;;", "", "a=1", ""},
      // A lead byte ending a value takes the ";" after it as its second byte.
      {"a=\x81;b=2", "", "a=\x81;b=2", ""},
  };
  for (const auto& c : cases) {
    Text cookies = c.cookies;
    Text newCookies = c.newCookies;
    EXPECT_EQ(MergeCookies(cookies, newCookies), c.merged)
        << "cookies '" << c.cookies << "' new '" << c.newCookies << "'";
    EXPECT_EQ(cookies, c.merged);
    EXPECT_EQ(newCookies, c.newCookiesAfter);
  }
}

TEST(CookieName, IsTheTrimmedTextBeforeTheFirstEquals) {
  EXPECT_EQ(CookieName("a=1"), "a");
  EXPECT_EQ(CookieName(" a =1=2"), "a");
  EXPECT_EQ(CookieName("\xA1\xA1\x66lag "), "flag");  // an ideographic space before "flag"
  EXPECT_EQ(CookieName("=x"), "");
  EXPECT_EQ(CookieName(""), "");
}

TEST(CookieItems, FindNamesAndItemsExactly) {
  const TextArray items{"a=1", "B=2", " c =3", "a=1"};
  EXPECT_TRUE(ContainsCookieName(items, "c"));
  EXPECT_TRUE(ContainsCookieName(items, "B"));
  EXPECT_FALSE(ContainsCookieName(items, "b"));
  EXPECT_FALSE(ContainsCookieName(items, "a=1"));
  EXPECT_FALSE(ContainsCookieName({}, ""));
  EXPECT_EQ(IndexOfItem(items, "a=1"), 1);
  EXPECT_EQ(IndexOfItem(items, "B=2"), 2);
  EXPECT_EQ(IndexOfItem(items, "b=2"), -1);
  EXPECT_EQ(IndexOfItem({}, ""), -1);
}

TEST(RemoveRepeatedItems, KeepsTheFirstOfEachItem) {
  const struct {
    const char* text;
    const char* separator;
    const char* expected;
  } cases[] = {
      {"a; b; a; c; b", "; ", "a; b; c"},
      {"a; A", "; ", "a; A"},
      {"", "; ", ""},
      {"a; ", "; ", "a"},
      {"; ; a", "; ", "; a"},
      {"a,a,", ",", "a"},
      {"a,a", "", "a,a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RemoveRepeatedItems(c.text, c.separator), c.expected) << "'" << c.text << "'";
  }
}

}  // namespace
}  // namespace singrove
