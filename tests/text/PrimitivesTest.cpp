#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "text/Primitives.h"
#include "text/TextSearch.h"

namespace singrove {
namespace {

using ::testing::ElementsAreArray;

// Byte escapes state exact GBK bytes: "\x81\x41" is one two-byte character whose second byte is
// 'A';
// "\xB0\xA1" is the character 啊, whose second byte equals the first byte of the ideographic space
// "\xA1\xA1".

struct LocateCase {
  const char* text;
  const char* needle;
  int start;
  bool ignoreCase;
  int expected;
};

TEST(LocateText, FindsTheFirstMatchAtACharacterStart) {
  const LocateCase cases[] = {
      {"abcabc", "c", 4, false, 6},
      {"abcabc", "C", 1, false, -1},
      {"abcabc", "C", 1, true, 3},
      {"abcabc", "abc", 2, false, 4},
      {"abc", "a", 0, false, 1},  // a start below 1 counts as 1
      {"abc", "a", -5, false, 1},
      {"abc", "c", 4, false, -1},  // a start beyond the end finds nothing
      {"abc", "abcd", 1, false, -1},
      {"", "a", 1, false, -1},
      // The empty needle is found at 1, not at the start, while the stretch searched is not empty.
      {"abcd", "", 3, false, 1},
      {"abcd", "", 4, true, 1},
      {"abcd", "", 5, false, -1},
      {"", "", 1, false, -1},
      // Only ASCII letters fold: '[' and '{' differ by the case bit but are not letters.
      {"a{b", "[", 1, true, -1},
      {"a{b", "{B", 1, true, 2},
      // A second byte never starts a match.
      {"\x81\x41", "A", 1, false, -1},
      {"\x81\x41", "a", 1, true, -1},
      {"\x81\x41\x41", "A", 1, false, 3},
      {"\x81\x61\x62\x61\x62", "ab", 1, false, 4},
      {"\xB0\xA1\xA1\xA1", "\xA1\xA1", 1, false, 3},
      // Characters are counted from the start: from 2 the byte 'A' is a character of its own.
      {"\x81\x41\x41", "A", 2, false, 2},
      // Case folds on second bytes too.
      {"x\x81\x61", "\x81\x41", 1, true, 2},
      {"x\x81\x61", "\x81\x41", 1, false, -1},
      // A lead byte that ends the text ends the scan.
      {"ab\x81", "\x81", 1, false, -1},
      {"ab\x81", "b", 1, false, 2},
      {"ab\x81", "B", 1, true, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LocateText(c.text, c.needle, c.start, c.ignoreCase), c.expected)
        << "text '" << c.text << "' needle '" << c.needle << "' start " << c.start
        << (c.ignoreCase ? " ignoring case" : "");
  }
}

// Texts that make a naive or a restart-per-candidate search slow must still give the right answer.
TEST(LocateText, HandlesPeriodicTextsAndManySecondByteMatches) {
  const std::string as(4000, 'a');
  const std::string needle = std::string(300, 'a') + "b";
  for (const bool ignoreCase : {false, true}) {
    EXPECT_EQ(LocateText(as, needle, 1, ignoreCase), -1);
    EXPECT_EQ(LocateText(as + "b", needle, 1, ignoreCase), 4000 - 300 + 1);
    EXPECT_EQ(LocateText(as + "B", needle, 1, ignoreCase), ignoreCase ? 4000 - 300 + 1 : -1);
  }
  std::string pairs;
  for (int k = 0; k < 3000; ++k) pairs += "\x81\x41";
  for (const bool ignoreCase : {false, true}) {
    EXPECT_EQ(LocateText(pairs, "A", 1, ignoreCase), -1);
    EXPECT_EQ(LocateText(pairs, "A\x81\x41", 1, ignoreCase), -1);
    EXPECT_EQ(LocateText(pairs + "A", "A", 1, ignoreCase), 6001);
    EXPECT_EQ(LocateText(pairs + "A\x81\x41", "a\x81\x61", 1, true), 6001);
  }
}

TEST(TextSearcher, CountsCharactersFromEachSearchPosition) {
  const std::string text = "\x81\x41\x41";
  TextSearcher searcher(text, "A", false);
  EXPECT_EQ(searcher.Find(0), 2u);
  EXPECT_EQ(searcher.Find(1), 1u);  // from 1 the 'A' at 1 is a character start
  EXPECT_EQ(searcher.Find(2), 2u);
  EXPECT_EQ(searcher.Find(3), TextSearcher::kNone);
}

TEST(Parts, CutBytes) {
  EXPECT_EQ(LeftPart("abc", 2), "ab");
  EXPECT_EQ(LeftPart("abc", 9), "abc");
  EXPECT_EQ(LeftPart("abc", 0), "");
  EXPECT_EQ(LeftPart("abc", -1), "");
  EXPECT_EQ(RightPart("abc", 2), "bc");
  EXPECT_EQ(RightPart("abc", 9), "abc");
  EXPECT_EQ(RightPart("abc", 0), "");
  EXPECT_EQ(MiddlePart("abcd", 2, 2), "bc");
  EXPECT_EQ(MiddlePart("abcd", 3, 9), "cd");
  EXPECT_EQ(MiddlePart("abcd", 0, 2), "");
  EXPECT_EQ(MiddlePart("abcd", 5, 1), "");
  EXPECT_EQ(MiddlePart("abcd", 1, 0), "");
  EXPECT_EQ(MiddlePart("", 1, 1), "");
  EXPECT_EQ(LeftPart("\xB0\xA1\x62", 1),
            "\xB0");  // cutting may split a character
}

struct SubstituteCase {
  const char* text;
  const char* find;
  const char* replacement;
  SubstituteOptions options;
  const char* expected;
};

TEST(SubstituteText, ReplacesWithoutOverlapFromStart) {
  const SubstituteCase cases[] = {
      {"aaa", "aa", "b", {}, "ba"},
      {"aaa", "aa", "b", {.count = 0}, "aaa"},
      {"aaa", "a", "b", {.count = -2}, "aaa"},
      {"a.b.c", ".", "", {.count = 1}, "ab.c"},
      {"aa", "a", "aa", {}, "aaaa"},  // inserted text is not searched again
      {"abcabc", "b", "X", {.start = 3}, "abcaXc"},
      {"abcabc", "b", "X", {.start = 0}, "aXcaXc"},
      {"abc", "c", "X", {.start = 4}, "abc"},
      {"ABC", "b", "x", {}, "AxC"},
      {"ABC", "b", "x", {.caseSensitive = true}, "ABC"},
      {"", "a", "b", {}, ""},
      {"abc", "", "b", {}, "abc"},
      {",a,", ",", ";", {}, ";a;"},
      {"\x81\x41", "A", "x", {}, "\x81\x41"},
      {"\x81\x41\x41", "a", "x", {}, "\x81\x41x"},
      {"\x81\x41\x41", "A", "x", {.start = 2}, "\x81xx"},
      {"\xB0\xA1\xA1\xA1", "\xA1\xA1", " ", {}, "\xB0\xA1 "},
      {"aa\x81", "a", "x", {}, "xx\x81"},
      {"a\x81", "\x81", "x", {}, "a\x81"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SubstituteText(c.text, c.find, c.replacement, c.options), c.expected)
        << "text '" << c.text << "' find '" << c.find << "'";
  }
}

struct SplitCase {
  const char* text;
  const char* delimiter;
  std::optional<int> maximumCount;
  std::vector<Text> expected;
};

TEST(SplitAtDelimiter, KeepsEmptyPiecesExceptTheLast) {
  const SplitCase cases[] = {
      {"a,b,", ",", {}, {"a", "b"}},
      {",a", ",", {}, {"", "a"}},
      {"a;;b", ";", {}, {"a", "", "b"}},
      {",", ",", {}, {""}},
      {",,", ",", {}, {"", ""}},
      {"abc", ",", {}, {"abc"}},
      {"", ",", {}, {}},
      {"", "", {}, {}},
      {"a,b", "", {}, {"a,b"}},
      {"a,b,c", ",", 2, {"a", "b"}},
      {"a,b,c", ",", 0, {}},
      {"a,b,c", ",", -1, {}},
      {"a,b,c", ",", 9, {"a", "b", "c"}},
      {"a<>b<>", "<>", {}, {"a", "b"}},
      {"x\x81\x41\x41\x62", "A", {}, {"x\x81\x41", "b"}},
      {"a,\x81", ",", {}, {"a", "\x81"}},
  };
  for (const auto& c : cases) {
    EXPECT_THAT(SplitAtDelimiter(c.text, c.delimiter, c.maximumCount), ElementsAreArray(c.expected))
        << "text '" << c.text << "' delimiter '" << c.delimiter << "'";
  }
  EXPECT_THAT(SplitAtDelimiter("a,b"), ElementsAreArray({"a", "b"}));
}

TEST(Spaces, OnlyTheSpaceAndTheIdeographicSpaceCount) {
  const struct {
    const char* text;
    const char* stripped;
    const char* dropped;
  } cases[] = {
      {"", "", ""},
      {"   ", "", ""},
      {"  a b  ", "a b", "ab"},
      {"\ta \r\n", "\ta \r\n", "\ta\r\n"},
      {"a b\xA1\xA1\x63", "a b\xA1\xA1\x63", "abc"},
      {"\xA1\xA1x\xA1\xA1", "x", "x"},
      {"\xA1\xA1", "", ""},
      // 啊 followed by an ideographic space: only the space goes.
      {"\xB0\xA1\xA1\xA1", "\xB0\xA1", "\xB0\xA1"},
      {"\xA1\xA1\xB0\xA1", "\xB0\xA1", "\xB0\xA1"},
      // A space byte that is the second byte of a character belongs to that character.
      {"\xA1 ", "\xA1 ", "\xA1 "},
      // A lead byte that ends the text is not half of a space.
      {"a\xA1", "a\xA1", "a\xA1"},
      {"a \xA1\xA1\xA1", "a \xA1\xA1\xA1", "a\xA1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(StripSpaces(c.text), c.stripped) << "'" << c.text << "'";
    EXPECT_EQ(DropAllSpaces(c.text), c.dropped) << "'" << c.text << "'";
  }
}

TEST(TextOrder, ComparesBytesWithOptionalAsciiFolding) {
  const struct {
    const char* a;
    const char* b;
    bool caseSensitive;
    int sign;
  } cases[] = {
      {"", "", true, 0},
      {"", "a", true, -1},
      {"a", "b", true, -1},
      {"b", "a", true, 1},
      {"ab", "abc", false, -1},
      {"abc", "abc", true, 0},
      {"A", "a", true, -1},
      {"A", "a", false, 0},
      {"Abc", "aBD", false, -1},
      {"_", "a", false, -1},  // letters fold to lower case
      {"z", "\xB0\xA1", true, -1},
      {"\xB0\xA1", "\xB0\xA2", true, -1},
      {"\x81\x41", "\x81\x61", false, 0},
      {"\xC1", "\xE1", false, -1},  // bytes above 0x7F never fold
  };
  for (const auto& c : cases) {
    const int order = TextOrder(c.a, c.b, c.caseSensitive);
    EXPECT_EQ((order > 0) - (order < 0), c.sign) << "'" << c.a << "' vs '" << c.b << "'";
  }
}

TEST(ParseInteger, FoldsFullWidthFormsThenReadsLeadingDigits) {
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {" 12abc", 12},
      {"\xA3\xB3\xA3\xB4", 34},     // full-width 34
      {"\xA3\xAD\xA3\xB5", -5},     // full-width minus and 5
      {"\xA1\xA1\xA3\xAB\x37", 7},  // ideographic space, full-width plus
      {"x", 0},
      {"", 0},
      {"-", 0},
      {"+8", 8},
      {"\t\r\n 5", 5},
      {"1 2", 1},
      {"\xB0\xA1\x39", 0},
      {"4294967297", 1},  // no range check: the value wraps
      {"2147483648", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInteger(c.text), c.expected) << "'" << c.text << "'";
}

TEST(FloorInteger, RoundsNearIntegersAwayFromZeroFirst) {
  const struct {
    double x;
    int expected;
  } cases[] = {
      {2.9999999999995, 3},
      {2.5, 2},
      {-2.5, -3},
      {-2.9999999999995, -3},
      {3.0, 3},
      {0.0, 0},
      {-1e-13, -1},
      {0.9999999999995, 1},
      {-0.9999999999995, -1},
      {2.9999, 2},
      {1e10, INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(FloorInteger(c.x), c.expected) << c.x;
}

TEST(FormatAsText, FormatsEachTypeItsOwnWay) {
  EXPECT_EQ(FormatAsText(-42), "-42");
  EXPECT_EQ(FormatAsText(3.0), "3");
  EXPECT_EQ(FormatAsText(0.1f), "0.1");
  EXPECT_EQ(FormatAsText(0.1), "0.1");
  EXPECT_EQ(FormatAsText(1.0f / 3.0f), "0.333333");
  EXPECT_EQ(FormatAsText(1.0 / 3.0), "0.3333333333333");
  EXPECT_EQ(FormatAsText(1e20), "1e+20");
  EXPECT_EQ(FormatAsText(true), "\xD5\xE6");   // 真
  EXPECT_EQ(FormatAsText(false), "\xBC\xD9");  // 假
}

TEST(CharText, TakesTheLowByte) {
  EXPECT_EQ(CharText(65), "A");
  EXPECT_EQ(CharText(0x141), "A");
  EXPECT_EQ(CharText(0xB0), "\xB0");
  EXPECT_EQ(CharText(0), "");
  EXPECT_EQ(CharText(0x100), "");
}

}  // namespace
}  // namespace singrove

namespace singrove {
namespace {

// The rules stated plainly, one character at a time, to check the fast searches against.
bool MatchesAt(const std::string& text, const std::string& needle, std::size_t at,
               bool ignoreCase) {
  if (at + needle.size() > text.size()) return false;
  const auto fold = [&](char c) {
    return ignoreCase && c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
  };
  for (std::size_t k = 0; k < needle.size(); ++k) {
    if (fold(text[at + k]) != fold(needle[k])) return false;
  }
  return true;
}

int PlainLocate(const std::string& text, const std::string& needle, int start, bool ignoreCase) {
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
  if (from >= text.size()) return -1;
  if (needle.empty()) return 1;
  for (std::size_t k = from; k < text.size();) {
    const bool lead = static_cast<unsigned char>(text[k]) >= 0x80;
    if (lead && k + 1 == text.size()) break;
    if (MatchesAt(text, needle, k, ignoreCase)) return static_cast<int>(k + 1);
    k += lead ? 2 : 1;
  }
  return -1;
}

Text PlainSubstitute(const std::string& text, const std::string& find, const std::string& by,
                     std::size_t from, bool ignoreCase) {
  if (text.empty() || find.empty() || from >= text.size()) return text;
  Text result = text.substr(0, from);
  std::size_t k = from;
  while (k < text.size()) {
    const bool lead = static_cast<unsigned char>(text[k]) >= 0x80;
    if (lead && k + 1 == text.size()) break;
    if (MatchesAt(text, find, k, ignoreCase)) {
      result += by;
      k += find.size();
    } else {
      const std::size_t length = lead ? 2 : 1;
      result += text.substr(k, length);
      k += length;
    }
  }
  return result + text.substr(k);
}

class RandomTexts : public ::testing::Test {
 protected:
  std::string Random(std::size_t length) {
    static const char kAlphabet[] = {'a', 'A', 'b', ' ', '\x81', '\xA1'};
    std::string text;
    for (std::size_t k = 0; k < length; ++k) text += kAlphabet[Next() % sizeof kAlphabet];
    return text;
  }
  // Short texts, and long periodic ones that make the searches reject many candidates.
  std::string RandomText() {
    if (Next() % 4 != 0) return Random(Next() % 24);
    const std::string unit = Random(1 + Next() % 3);
    std::string text;
    for (std::size_t k = 0, repeats = 100 + Next() % 300; k < repeats; ++k) text += unit;
    return text + Random(Next() % 6);
  }
  std::string RandomNeedle(const std::string& text) {
    if (Next() % 3 == 0 || text.empty()) return Random(Next() % 4);
    const std::size_t at = Next() % text.size();
    return text.substr(at, 1 + Next() % 40);
  }
  std::uint32_t Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return state_ >> 8;
  }

 private:
  std::uint32_t state_ = 12345;
};

TEST_F(RandomTexts, SearchesAgreeWithAPlainScan) {
  for (int round = 0; round < 4000; ++round) {
    const std::string text = RandomText();
    const std::string needle = RandomNeedle(text);
    const int start = static_cast<int>(Next() % (text.size() + 3)) - 1;
    const bool ignoreCase = Next() % 2 == 0;
    ASSERT_EQ(LocateText(text, needle, start, ignoreCase),
              PlainLocate(text, needle, start, ignoreCase))
        << "text '" << text << "' needle '" << needle << "' start " << start;
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    ASSERT_EQ(SubstituteText(text, needle, "#", {.start = start, .caseSensitive = !ignoreCase}),
              PlainSubstitute(text, needle, "#", from, ignoreCase))
        << "text '" << text << "' find '" << needle << "' start " << start;
  }
}

}  // namespace
}  // namespace singrove
