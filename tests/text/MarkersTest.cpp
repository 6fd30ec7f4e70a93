#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/events/EventHook.h"
#include "text/Gbk.h"
#include "text/Markers.h"

namespace singrove {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

struct BetweenCase {
  Text source;
  Text left;
  Text right;
  ExtractBetweenOptions options;
  Text expected;
};

TEST(ExtractBetween, CutsTheFirstPieceBetweenTheMarkers) {
  const BetweenCase cases[] = {
      {"a=[x][y]", "[", "]", {}, "x"},
      {"a=[x][y]", "[", "]", {.startPosition = 5}, "y"},
      {"a=[x][y]", "[", "]", {.startPosition = -3}, "x"},
      {"<TITLE>t</TITLE>", "<title>", "</title>", {}, ""},
      {"<TITLE>t</TITLE>", "<title>", "</title>", {.ignoreCase = true}, "t"},
      {"[ x\r\n]", "[", "]", {}, " x\r\n"},  // nothing is trimmed
      {"abc", "[", "]", {}, ""},
      {"a[b", "[", "]", {}, ""},
      {"a[]b", "[", "]", {}, ""},
      {"a[", "[", "]", {}, ""},
      {"a[b]", "[", "", {}, ""},  // the empty marker is found at 1, before the piece
      {"", "[", "]", {}, ""},
      // '[' is also the second byte of the character 81 5B, which is not a marker.
      {"\x81[a][b]", "[", "]", {}, "b"},
      {"\x81\x41xAyB", "A", "B", {}, "y"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractBetween(c.source, c.left, c.right, c.options), c.expected)
        << "source '" << c.source << "' markers '" << c.left << "' '" << c.right << "'";
  }
}

TEST(ExtractBetween, ReadsTheQuoteEscapeInBothMarkers) {
  const Text quote = Gbk("#引号");
  EXPECT_EQ(ExtractBetween("k=\"v\"", "k=" + quote, quote), "v");
  EXPECT_EQ(ExtractBetween("\"title\": \"Song\", ", quote + ": " + quote, quote + ","), "Song");
  // The source itself is taken literally.
  EXPECT_EQ(ExtractBetween(quote + "v" + quote, quote, quote), "");
}

struct AllBetweenCase {
  Text source;
  Text left;
  Text right;
  ExtractAllBetweenOptions options;
  std::vector<Text> expected;
};

TEST(ExtractAllBetween, CollectsTrimmedDecoratedItems) {
  const AllBetweenCase cases[] = {
      {"[x] [ ] [y]", "[", "]", {}, {"x", "y"}},
      {"a|b|c|d|", "|", "|", {}, {"b", "c", "d"}},
      {"[][ x ]", "[", "]", {.prefix = "p"}, {"p", "px"}},
      {"[ ]", "[", "]", {.suffix = "s"}, {"s"}},
      {"[ab][abc][a]", "[", "]", {.maxLength = 3}, {"ab", "a"}},
      {"[ab][a]", "[", "]", {.maxLength = 3, .prefix = "p"}, {"pa"}},
      {"[a][ab]", "[", "]", {.maxLength = 3, .includeLeft = true}, {"[a"}},
      {"[x][y]", "[", "]", {.maxLength = -1}, {}},
      {"[\tx\t]", "[", "]", {}, {"\tx\t"}},
      {"[\xA1\xA1x\xA1\xA1]", "[", "]", {}, {"x"}},
      {"<TITLE>a</title>", "<title>", "</TITLE>", {}, {"a"}},
      {"<TITLE>a</title>", "<title>", "</TITLE>", {.caseSensitive = true}, {}},
      {"[x]",
       "[",
       "]",
       {.prefix = "<", .suffix = ">", .includeLeft = true, .includeRight = true},
       {"[<x>]"}},
      {"[a][b]", "[", "]", {.startPosition = 4}, {"b"}},
      {"[a][b]", "[", "]", {.startPosition = -3}, {"a", "b"}},
      {"[a][b", "[", "]", {}, {"a"}},
      {"", "[", "]", {}, {}},
      // The quote escape belongs to ExtractBetween only.
      {Gbk("#引号x#引号"), Gbk("#引号"), Gbk("#引号"), {}, {"x"}},
      {"\"x\"", Gbk("#引号"), Gbk("#引号"), {}, {}},
      // After an empty item the search goes on right after the left marker, not at the right one.
      {" ] ]a]", " ]", "]", {}, {"a"}},
      {"   x", " ", "x", {}, {}},
      // A tail that starts on the second byte of an ideographic space is no longer blank.
      {"\xA1\xA1\xA1 x", "\xA1", "x", {}, {"\xA1 "}},
      {"ab", "a", "", {}, {}},
      // Markers are found at character starts only.
      {"\x81[a][b]", "[", "]", {}, {"b"}},
      {"\x81\x41xAyB", "a", "b", {}, {"y"}},
  };
  for (const auto& c : cases) {
    TextArray items{"stale"};
    const int count = ExtractAllBetween(c.source, c.left, c.right, items, c.options);
    EXPECT_THAT(items, ElementsAreArray(c.expected))
        << "source '" << c.source << "' markers '" << c.left << "' '" << c.right << "'";
    EXPECT_EQ(count, static_cast<int>(c.expected.size()));
  }
}

// Markers with which the search would find the empty needle at the first byte on every turn.
TEST(ExtractAllBetween, RefusesMarkersThatWouldNeverEnd) {
  const struct {
    const char* left;
    const char* right;
    ExtractAllBetweenOptions options;
  } cases[] = {
      {"", "]", {}},
      {"", "", {}},
      {"[", "", {.prefix = "p"}},
      {"[", "", {.suffix = "s"}},
  };
  for (const auto& c : cases) {
    TextArray items{"stale"};
    EXPECT_EQ(ExtractAllBetween("[a][b]", c.left, c.right, items, c.options), 0);
    EXPECT_THAT(items, IsEmpty());
  }
}

class EventCounting : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallEventHook([this] {
      ++events;
      if (onEvent) onEvent();
    });
  }
  void TearDown() override { InstallEventHook({}); }

  int events = 0;
  std::function<void()> onEvent;
};

TEST_F(EventCounting, ProcessesEventsThreeTimesATurnAndOnceMoreWithALengthLimit) {
  TextArray items;
  ExtractAllBetween("[a][b][c", "[", "]", items);
  EXPECT_EQ(events, 6);
  events = 0;
  ExtractAllBetween("[a][ ][bcd]", "[", "]", items, {.maxLength = 3});
  EXPECT_EQ(events, 3 + 1 + 3 + 3 + 1);  // the empty item skips the length test
  EXPECT_THAT(items, ElementsAre("a"));
}

TEST_F(EventCounting, HandlersMayRewriteTheCallersTexts) {
  std::string source = "[a][b][c]";
  std::string left = "[";
  onEvent = [&] {
    source.assign(1000, 'z');
    left = "z";
  };
  TextArray items;
  EXPECT_EQ(ExtractAllBetween(source, left, "]", items), 3);
  EXPECT_THAT(items, ElementsAre("a", "b", "c"));
}

struct ReplaceCase {
  Text source;
  Text find1;
  Text replacement1;
  ReplaceManyOptions options;
  Text expected;
};

TEST(ReplaceMany, AppliesThePairsInTurn) {
  const ReplaceCase cases[] = {
      {"a\r\nb\tc", "\r\n", "", {.find2 = "\t", .replacement2 = ""}, "abc"},
      {"ab", "a", "b", {.find2 = "bb", .replacement2 = "c"}, "c"},
      {"ABC", "b", "x", {}, "AxC"},
      {"ABC", "b", "x", {.caseSensitive = true}, "ABC"},
      {"a.b.c.b", ".", "", {.count = 1, .find2 = "b", .replacement2 = "X"}, "aX.c.b"},
      {"a.b.c", ".", "", {.count = 0}, "a.b.c"},
      {"aaaa", "a", "b", {.startPosition = 3}, "aabb"},
      {"aaaa", "a", "b", {.startPosition = 0}, "bbbb"},
      {"abc", "", "x", {.find2 = "c", .replacement2 = "z"}, "abz"},
      {"", "a", "b", {}, ""},
      {"abcde",
       "a",
       "1",
       {.find2 = "b",
        .replacement2 = "2",
        .find3 = "c",
        .replacement3 = "3",
        .find4 = "d",
        .replacement4 = "4",
        .find5 = "e",
        .replacement5 = "5"},
       "12345"},
      {"\x81\x41", "a", "x", {}, "\x81\x41"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceMany(c.source, c.find1, c.replacement1, c.options), c.expected)
        << "source '" << c.source << "'";
  }
}

}  // namespace
}  // namespace singrove
