#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/regexp/RegExp.h"

namespace singrove {
namespace {

struct Flags {
  bool ignoreCase = false;
  bool multiline = false;
  bool global = false;
};

RegExp Made(std::u16string_view pattern, Flags flags) {
  RegExp regex;
  regex.SetIgnoreCase(flags.ignoreCase);
  regex.SetMultiline(flags.multiline);
  regex.SetGlobal(flags.global);
  regex.SetPattern(pattern);
  return regex;
}

std::vector<std::u16string> Values(const RegExpMatches& matches) {
  std::vector<std::u16string> values;
  for (const RegExpMatch& match : matches) values.push_back(match.value);
  return values;
}

struct ExecuteCase {
  const char* what;
  std::u16string pattern;
  Flags flags;
  std::u16string subject;
  std::vector<std::u16string> values;
};

TEST(RegExpExecute, HonoursFlagsAndSyntax) {
  using V = std::vector<std::u16string>;
  const std::vector<ExecuteCase> cases = {
      {"case counts", u"ab", {}, u"AB ab", V{u"ab"}},
      {"IgnoreCase", u"ab", {.ignoreCase = true}, u"AB ab", V{u"AB"}},
      {"IgnoreCase beyond ASCII", u"ａ", {.ignoreCase = true}, u"Ａ", V{u"Ａ"}},
      {"Global", u"ab", {.ignoreCase = true, .global = true}, u"AB ab", V{u"AB", u"ab"}},
      {"^ at the start only", u"^\\w", {.global = true}, u"a\nb", V{u"a"}},
      {"Multiline ^", u"^\\w", {.multiline = true, .global = true}, u"a\nb", V{u"a", u"b"}},
      {"$ only at the very end", u"\\w$", {.global = true}, u"a\nb\n", V{}},
      {"Multiline $", u"\\w$", {.multiline = true, .global = true}, u"a\nb\n", V{u"a", u"b"}},
      {"dot stops at a line feed", u"<a.+?z", {}, u"<a\nz <ab\rz", V{u"<ab\rz"}},
      {"\\w is ASCII only", u"\\w+", {.global = true}, u"ab中文c_1", V{u"ab", u"c_1"}},
      {"[^\\w] takes a Chinese character", u"=[^\\w]x", {}, u"=中x", V{u"=中x"}},
      {"\\u escape", u"\\u4e2d.", {}, u"a中文", V{u"中文"}},
      {"\\x escape", u"\\x41", {}, u"zA", V{u"A"}},
      {"surrogate pair is one character",
       u".",
       {.global = true},
       u"\U0001F600a",
       V{u"\U0001F600", u"a"}},
      {"unpaired surrogate: plain units",
       u".",
       {.global = true},
       std::u16string(u"\xD800") + u"a",
       V{std::u16string(1, u'\xD800'), u"a"}},
      {"empty matches advance", u"x*", {.global = true}, u"ab", V{u"", u"", u""}},
      {"empty match after a match", u"b*", {.global = true}, u"abc", V{u"", u"b", u"", u""}},
      {"empty pattern on empty subject", u"", {.global = true}, u"", V{u""}},
      {"no match", u"q", {.global = true}, u"abc", V{}},
  };
  for (const ExecuteCase& c : cases) {
    const std::optional<RegExpMatches> matches = Made(c.pattern, c.flags).Execute(c.subject);
    ASSERT_TRUE(matches.has_value()) << c.what;
    EXPECT_EQ(Values(*matches), c.values) << c.what;
  }
}

TEST(RegExpExecute, FirstIndexCountsUtf16UnitsAndSubMatchesHoldTheGroups) {
  const RegExp regex = Made(u"(\\w)=(\\d+)?(x)?", {.global = true});
  const auto matches = regex.Execute(u"中文a=12 \U0001F600b=");
  ASSERT_TRUE(matches.has_value());
  ASSERT_EQ(matches->size(), 2u);
  EXPECT_EQ((*matches)[0].value, u"a=12");
  EXPECT_EQ((*matches)[0].firstIndex, 2);
  EXPECT_EQ((*matches)[0].subMatches, (std::vector<std::u16string>{u"a", u"12", u""}));
  EXPECT_EQ((*matches)[1].value, u"b=");
  EXPECT_EQ((*matches)[1].firstIndex, 9);  // the emoji before it takes two units
  EXPECT_EQ((*matches)[1].subMatches, (std::vector<std::u16string>{u"b", u"", u""}));
}

TEST(RegExpExecute, PropertiesReadBackAndAChangeTakesEffect) {
  RegExp regex = Made(u"a", {});
  EXPECT_EQ(regex.Pattern(), u"a");
  EXPECT_EQ(regex.Execute(u"A")->size(), 0u);
  regex.SetIgnoreCase(true);
  EXPECT_TRUE(regex.IgnoreCase());
  EXPECT_EQ(regex.Execute(u"A")->size(), 1u);
  regex.SetPattern(u"b");
  EXPECT_EQ(regex.Execute(u"A")->size(), 0u);
}

TEST(RegExpExecute, RejectedPatternGivesNothing) {
  for (const std::u16string pattern : {u"(", u"a{2,1}", u"[z-a]", u"\\"}) {
    const RegExp regex = Made(pattern, {.global = true});
    EXPECT_FALSE(regex.Execute(u"abc").has_value());
    EXPECT_FALSE(regex.Replace(u"abc", u"x").has_value());
  }
}

TEST(RegExpExecute, RunawayBacktrackingEndsAsNoMoreMatches) {
  // Exponential backtracking: without a bound this would not finish.
  const std::u16string subject = std::u16string(40, u'a') + u"!";
  const RegExp runaway = Made(u"(a|aa)+$", {.global = true});
  const auto matches = runaway.Execute(subject);
  ASSERT_TRUE(matches.has_value());
  EXPECT_EQ(matches->size(), 0u);

  // Matches found before the limit is reached are kept.
  const RegExp mixed = Made(u"^b|(a|aa)+$", {.global = true});
  const auto some = mixed.Execute(u"b" + subject);
  ASSERT_TRUE(some.has_value());
  EXPECT_EQ(Values(*some), (std::vector<std::u16string>{u"b"}));
}

struct ReplaceCase {
  const char* what;
  std::u16string pattern;
  bool global;
  std::u16string subject;
  std::u16string replacement;
  std::u16string result;
};

TEST(RegExpReplace, FillsInTheDollarForms) {
  const std::vector<ReplaceCase> cases = {
      {"global", u"\\d", true, u"a1b22", u"#", u"a#b##"},
      {"first only", u"\\d", false, u"a1b22", u"#", u"a#b22"},
      {"groups", u"(\\w)(\\d)", true, u"中a1,b2", u"$2$1", u"中1a,2b"},
      {"whole match", u"b", false, u"abc", u"[$&]", u"a[b]c"},
      {"before and after", u"b", false, u"abc", u"<$`|$'>", u"a<a|c>c"},
      {"dollar", u"b", false, u"abc", u"$$1", u"a$1c"},
      {"group 10 exists", u"(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", false, u"abcdefghij", u"$10", u"j"},
      {"no group 10: group 1 then 0", u"(a)", false, u"a", u"$10", u"a0"},
      {"no such group", u"(a)", false, u"a", u"$2", u"$2"},
      {"$0 stays", u"a", false, u"a", u"$0", u"$0"},
      {"$01 is group 1", u"(a)", false, u"a", u"$01", u"a"},
      {"unset group is empty", u"(x)?a", false, u"a", u"[$1]", u"[]"},
      {"lone and trailing $", u"a", false, u"a", u"$x$", u"$x$"},
      {"empty matches", u"x*", true, u"abc", u"-", u"-a-b-c-"},
      {"no match", u"q", true, u"abc", u"-", u"abc"},
      {"empty replacement", u"b", true, u"abcb", u"", u"ac"},
  };
  for (const ReplaceCase& c : cases) {
    const RegExp regex = Made(c.pattern, {.global = c.global});
    EXPECT_EQ(regex.Replace(c.subject, c.replacement), c.result) << c.what;
  }
}

}  // namespace
}  // namespace singrove
