#include <gtest/gtest.h>

#include "fetch/RegexMatcher.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

constexpr std::string_view kDeclarationPattern = R"(<meta.+?charset=[^\w]?([-\w]+))";

TEST(RegexMatcher, BeforeAnySearchGettersGiveEmptyResults) {
  const RegexMatcher matcher;
  EXPECT_EQ(matcher.GetPattern(), "");
  EXPECT_EQ(matcher.GetMatchCount(), 0);
  EXPECT_EQ(matcher.GetSubmatchCount(), 0);
  EXPECT_EQ(matcher.ReplaceMatches("x"), "");
  int position = 7;
  EXPECT_EQ(matcher.GetMatchText(1, &position), "");
  EXPECT_EQ(position, -2);  // nothing to look in
}

TEST(RegexMatcher, PatternAbsentFromTheSubjectStillRuns) {
  RegexMatcher matcher;
  EXPECT_TRUE(matcher.Search("xyz", "abc"));
  EXPECT_EQ(matcher.GetMatchCount(), 0);
  EXPECT_EQ(matcher.GetMatchText(1), "");
  EXPECT_EQ(matcher.GetSubmatchText(1, 1), "");
  EXPECT_EQ(matcher.GetSubmatchCount(), 0);
  EXPECT_EQ(matcher.ReplaceMatches("q"), "abc");
}

TEST(RegexMatcher, RejectedPatternReturnsFalseAndLeavesNoMatches) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search("b", "abc"));
  EXPECT_FALSE(matcher.Search("(b", "abc"));
  EXPECT_EQ(matcher.GetPattern(), "(b");  // the object was made; it only refused the pattern
  EXPECT_EQ(matcher.GetMatchCount(), 0);
  EXPECT_EQ(matcher.GetMatchText(1), "");
  EXPECT_EQ(matcher.ReplaceMatches("x"), "");
}

struct FlagCase {
  const char* what;
  std::string_view pattern;
  std::string_view subject;
  RegexSearchOptions options;
  int count;
};

TEST(RegexMatcher, DefaultsIgnoreCaseAndRunMultilineAndGlobal) {
  const FlagCase cases[] = {
      {"case ignored by default", "abc", "xABCabc", {}, 2},
      {"case sensitive", "abc", "xABCabc", {.caseSensitive = true}, 1},
      {"multiline by default", "^b", "a\nb", {}, 1},
      {"multiline off", "^b", "a\nb", {.multiline = false}, 0},
      {"global by default", "a", "aaa", {}, 3},
      {"global off", "a", "aaa", {.global = false}, 1},
  };
  for (const FlagCase& c : cases) {
    RegexMatcher matcher;
    ASSERT_TRUE(matcher.Search(c.pattern, c.subject, c.options)) << c.what;
    EXPECT_EQ(matcher.GetMatchCount(), c.count) << c.what;
  }
}

TEST(RegexMatcher, QuoteEscapeTurnsTheMarkerIntoADoubleQuote) {
  const Text pattern = Gbk("x=#引号");
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search(pattern, "a x=\"1\"", {.quoteEscape = true}));
  EXPECT_EQ(matcher.GetPattern(), "x=\"");
  EXPECT_EQ(matcher.GetMatchText(1), "x=\"");

  ASSERT_TRUE(matcher.Search(pattern, "a x=\"1\""));
  EXPECT_EQ(matcher.GetPattern(), pattern);
  EXPECT_EQ(matcher.GetMatchCount(), 0);
  ASSERT_TRUE(matcher.Search(pattern, Gbk("x=#引号")));
  EXPECT_EQ(matcher.GetMatchCount(), 1);
}

TEST(RegexMatcher, ReadsTheDeclaredCharsetFromAMetaTag) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search(kDeclarationPattern, "<meta charset=utf-8>"));
  EXPECT_EQ(matcher.GetSubmatchCount(), 1);
  EXPECT_EQ(matcher.GetSubmatchText(1, 1), "utf-8");
  EXPECT_EQ(matcher.GetMatchText(1), "<meta charset=utf-8");

  ASSERT_TRUE(matcher.Search(kDeclarationPattern, "<meta content=\"text/html; charset=gb2312\">"));
  EXPECT_EQ(matcher.GetSubmatchText(1, 1), "gb2312");
}

TEST(RegexMatcher, MissingMatchesAndGroupsGiveEmptyTextAndStillWritePosition) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search("(a)(b)?", "xa"));
  ASSERT_EQ(matcher.GetMatchCount(), 1);
  EXPECT_EQ(matcher.GetSubmatchCount(), 2);
  int position = 7;
  EXPECT_EQ(matcher.GetMatchText(0, &position), "");
  EXPECT_EQ(position, 0);  // "" is found at position 1 of a non-empty subject
  EXPECT_EQ(matcher.GetMatchText(2), "");
  EXPECT_EQ(matcher.GetSubmatchText(1, 0), "");
  EXPECT_EQ(matcher.GetSubmatchText(1, 2), "");  // took no part in the match
  EXPECT_EQ(matcher.GetSubmatchText(1, 3), "");
  EXPECT_EQ(matcher.GetSubmatchText(2, 1), "");
}

TEST(RegexMatcher, PositionsAreByteOffsetsAfterTwoByteCharacters) {
  // "中文" takes two UTF-16 units but four bytes before the match.
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search("(b)(c)", Gbk("中文abc中bc")));
  ASSERT_EQ(matcher.GetMatchCount(), 2);
  int position = 0;
  EXPECT_EQ(matcher.GetMatchText(1, &position), "bc");
  EXPECT_EQ(position, 5);
  EXPECT_EQ(matcher.GetSubmatchText(1, 2, &position), "c");
  EXPECT_EQ(position, 6);
  // The second match starts at unit 6; the lookup from byte 6 meets the first "bc" again.
  EXPECT_EQ(matcher.GetMatchText(2, &position), "bc");
  EXPECT_EQ(position, 5);
  ASSERT_TRUE(matcher.Search("c", Gbk("中文中c")));
  EXPECT_EQ(matcher.GetMatchText(1, &position), "c");
  EXPECT_EQ(position, 6);
}

TEST(RegexMatcher, PositionLookupIgnoresCaseWhenTheSearchDid) {
  // The lookup starts one byte early, so with case ignored the "A" before the second match is
  // taken for it.
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search("a", "Aa"));
  int position = 0;
  EXPECT_EQ(matcher.GetMatchText(2, &position), "a");
  EXPECT_EQ(position, 0);

  ASSERT_TRUE(matcher.Search("a", "Aa", {.caseSensitive = true}));
  EXPECT_EQ(matcher.GetMatchText(1, &position), "a");
  EXPECT_EQ(position, 1);
}

TEST(RegexMatcher, ReplacesMatchesInGbkText) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search(Gbk("(歌)(\\d)"), Gbk("歌1 歌2")));
  EXPECT_EQ(matcher.ReplaceMatches("$2$1"), Gbk("1歌 2歌"));
  EXPECT_EQ(matcher.ReplaceMatches(), " ");
  ASSERT_TRUE(matcher.Search("\\d", Gbk("歌1 歌2"), {.global = false}));
  EXPECT_EQ(matcher.ReplaceMatches("#"), Gbk("歌# 歌2"));
}

TEST(RegexMatcher, CopiesKeepTheResultsOfTheirSearch) {
  RegexMatcher matcher;
  ASSERT_TRUE(matcher.Search("b+", "abbc"));
  const RegexMatcher copy = matcher;
  ASSERT_TRUE(matcher.Search("z", "abbc"));
  EXPECT_EQ(copy.GetMatchText(1), "bb");
  EXPECT_EQ(copy.GetPattern(), "b+");
  EXPECT_EQ(matcher.GetMatchCount(), 0);
}

}  // namespace
}  // namespace singrove
