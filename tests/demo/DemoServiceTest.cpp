#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "demo/Audio.h"
#include "demo/Catalogue.h"
#include "demo/DemoService.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

// One service for the whole suite, on a free port.
DemoService& Service() {
  static DemoService service;
  static const bool started = service.Start(0);
  EXPECT_TRUE(started);
  return service;
}

// Asks for raw bodies: the tool neither asks for nor decodes compressed ones.
httplib::Result Get(const std::string& path) {
  httplib::Client client(Service().BaseUrl());
  client.set_decompress(false);
  return client.Get(path);
}

std::string ListPath(std::string_view uid, int page) {
  return "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=get_ugc&start=" + std::to_string(page) +
         "&num=15&share_uid=" + std::string(uid);
}

// The page as the tool reads it: every "\r\n" pair and every tab removed.
std::string Flattened(std::string_view page) {
  std::string flat;
  for (std::size_t i = 0; i < page.size(); ++i) {
    if (page[i] == '\t') continue;
    if (page[i] == '\r' && i + 1 < page.size() && page[i + 1] == '\n') {
      ++i;
      continue;
    }
    flat += page[i];
  }
  return flat;
}

std::vector<std::string> AllBetween(std::string_view text, std::string_view left,
                                    std::string_view right) {
  std::vector<std::string> pieces;
  for (std::size_t at = text.find(left); at != text.npos; at = text.find(left, at)) {
    at += left.size();
    const std::size_t end = text.find(right, at);
    if (end == text.npos) break;
    pieces.emplace_back(text.substr(at, end - at));
    at = end + right.size();
  }
  return pieces;
}

std::optional<std::string> FirstBetween(std::string_view text, std::string_view left,
                                        std::string_view right) {
  std::vector<std::string> pieces = AllBetween(text, left, right);
  if (pieces.empty()) return std::nullopt;
  return pieces.front();
}

// The charset a page declares in a meta tag within its first 1024 bytes, as the tool looks for it.
std::string DeclaredCharset(std::string_view page) {
  static const std::regex kDeclaration(R"(<meta.+?charset=[^\w]?([-\w]+))", std::regex::icase);
  const std::string window(page.substr(0, 1024));
  std::smatch match;
  return std::regex_search(window, match, kDeclaration) ? match[1].str() : std::string();
}

bool IsDecimal(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

struct ListedItems {
  std::vector<std::string> titles, shareIds, commentCounts, playCounts;
};

ListedItems ReadList(std::string_view body) {
  const std::string flat = Flattened(body);
  return {AllBetween(flat, "title\": \"", "\""), AllBetween(flat, "shareid\": \"", "\""),
          AllBetween(flat, "coment_count\": ", ","), AllBetween(flat, "play_count\": ", ",")};
}

struct ProfileCase {
  std::string_view uid;
  std::optional<std::string_view> worksCount;  // the text after the works marker; none: no marker
};

TEST(DemoServiceTest, ProfilePagesDeclareUtf8AndAnnounceTheWorksCount) {
  const ProfileCase cases[] = {
      {"10000", "0"},  {"10002", "2"},    {"10015", "15"},         {"10016", "16"},
      {"10037", "37"}, {"13000", "3000"}, {"99999", std::nullopt}, {"", std::nullopt},
  };
  for (const ProfileCase& c : cases) {
    SCOPED_TRACE(std::string("uid ") + std::string(c.uid));
    const httplib::Result result = Get("/personal?uid=" + std::string(c.uid));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(DeclaredCharset(result->body), "utf-8");
    const std::string flat = Flattened(result->body);
    EXPECT_TRUE(FirstBetween(flat, "<title>", "</title>").has_value());
    const std::optional<std::string> count = FirstBetween(flat, "id=\"ugc\">作品 ", "<");
    EXPECT_EQ(count, c.worksCount ? std::optional<std::string>(*c.worksCount) : std::nullopt);
  }
  EXPECT_EQ(FirstBetween(Get("/personal?uid=10037")->body, "<title>", "</title>"),
            "林小满的主页 - Singrove");
}

struct PageCase {
  std::string_view uid;
  int page;
  std::size_t items;
};

TEST(DemoServiceTest, RecordingsListServesFifteenItemsAPageInGbk) {
  const PageCase cases[] = {
      {"10015", 1, 15},   {"10015", 2, 0},   {"10016", 1, 15}, {"10016", 2, 1},
      {"10037", 3, 7},    {"10037", 4, 0},   {"10037", 0, 0},  {"10000", 1, 0},
      {"13000", 200, 15}, {"13000", 201, 0}, {"99999", 1, 0},
  };
  for (const PageCase& c : cases) {
    SCOPED_TRACE(std::string(c.uid) + " page " + std::to_string(c.page));
    const httplib::Result result = Get(ListPath(c.uid, c.page));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "application/json; charset=GBK");
    const ListedItems items = ReadList(result->body);
    EXPECT_EQ(items.titles.size(), c.items);
    EXPECT_EQ(items.shareIds.size(), c.items);
    EXPECT_EQ(items.commentCounts.size(), c.items);
    EXPECT_EQ(items.playCounts.size(), c.items);
    // A count read up to the next comma is a bare number only when a comma follows it directly.
    for (const std::string& count : items.commentCounts) EXPECT_TRUE(IsDecimal(count)) << count;
    for (const std::string& count : items.playCounts) EXPECT_TRUE(IsDecimal(count)) << count;
  }
}

TEST(DemoServiceTest, RecordingsListAnswersOnlyTheQueryTheToolBuilds) {
  for (const char* path : {
           "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=other&start=1&num=15&share_uid=10037",
           "/cgi/fcgi-bin/sgr_ugc_get_homepage?start=1&num=15&share_uid=10037",
           "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=get_ugc&start=x&num=15&share_uid=10037",
           "/cgi/fcgi-bin/sgr_ugc_get_homepage?type=get_ugc&start=1&num=15&uid=10037",
       }) {
    SCOPED_TRACE(path);
    const httplib::Result result = Get(path);
    ASSERT_TRUE(result);
    EXPECT_TRUE(ReadList(result->body).shareIds.empty());
  }
}

TEST(DemoServiceTest, EveryWorkIsListedExactlyOnceAndNoOtherKeyReadsAsATitle) {
  for (const std::string_view uid : {"10016", "10037", "13000"}) {
    SCOPED_TRACE(std::string(uid));
    const int works = demo::FindDemoUser(uid)->worksCount;
    std::vector<std::string> shareIds;
    for (int page = 1; page <= (works + 14) / 15; ++page) {
      const std::string body = Get(ListPath(uid, page))->body;
      const ListedItems items = ReadList(body);
      shareIds.insert(shareIds.end(), items.shareIds.begin(), items.shareIds.end());
      // The tool's title marker ignores case and is plain text: "subtitle" or "Title" would count.
      std::string lower = body;
      std::ranges::transform(lower, lower.begin(),
                             [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
      EXPECT_EQ(AllBetween(Flattened(lower), "title\": \"", "\"").size(), items.shareIds.size());
    }
    EXPECT_EQ(shareIds.size(), static_cast<std::size_t>(works));
    EXPECT_EQ(std::set<std::string>(shareIds.begin(), shareIds.end()).size(), shareIds.size());
  }
}

TEST(DemoServiceTest, ListTitlesAreGbkAndReadAsTheToolReadsThem) {
  const std::string body = Get(ListPath("10037", 1))->body;
  const ListedItems items = ReadList(body);
  ASSERT_EQ(items.titles.size(), 15u);
  const struct {
    std::size_t item;
    std::string_view utf8;
  } cases[] = {
      {1, "晚风"},
      {3, "Say \\"},  // the escaped quote ends the title for a plain-text reader
      {4, "Ｓｉｎｇ！（现场版）"},
      {5, "AC/DC 致敬"},
      {6, "春日　序曲"},
  };
  for (const auto& c : cases) EXPECT_EQ(items.titles[c.item - 1], Gbk(c.utf8)) << c.item;
  EXPECT_EQ(body.find("晚风"), std::string::npos) << "titles must not be sent in UTF-8";
}

std::string PlayAddress(std::string_view songPage) {
  return FirstBetween(songPage, "playurl\":\"", "\"").value_or("");
}

TEST(DemoServiceTest, SongPagesNameTheTitleAndTheServicesOwnPlayAddress) {
  const struct {
    std::string_view shareId;
    std::string_view title;
  } cases[] = {
      {"u10037w0001", "晚风"},
      {"u10037w0003", "Say \"Hello\" 你好"},
      {"u10037w0005", "AC/DC 致敬"},
      {"u13000w3000", "风吹麦浪 #3000"},
      {demo::kLargeAudioShareId, "大文件（256 MiB）"},
      {demo::kMissingAudioShareId, "音频已删除"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.shareId));
    const httplib::Result result = Get("/play?s=" + std::string(c.shareId));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(DeclaredCharset(result->body), "utf-8");
    EXPECT_EQ(FirstBetween(result->body, "<title>", "- Singrove"), std::string(c.title) + " ");
    EXPECT_EQ(PlayAddress(result->body),
              Service().BaseUrl() + "/audio/" + std::string(c.shareId) + ".m4a");
  }
}

TEST(DemoServiceTest, ListedSongsResolveToPagesOfTheSameTitle) {
  for (int page = 1; page <= 3; ++page) {
    const ListedItems items = ReadList(Get(ListPath("10037", page))->body);
    for (std::size_t i = 0; i < items.shareIds.size(); ++i) {
      const std::string songPage = Get("/play?s=" + items.shareIds[i])->body;
      const std::string title = FirstBetween(songPage, "<title>", " - Singrove").value_or("");
      // The list title stops at an escaped quote; the page title is whole.
      EXPECT_TRUE(Gbk(title).starts_with(items.titles[i].substr(0, items.titles[i].find('\\'))))
          << items.shareIds[i];
    }
  }
}

TEST(DemoServiceTest, UnknownSongPagesAnswer404WithoutPlayAddress) {
  for (const std::string_view shareId :
       {"u10037w0038", "u10037w0000", "u10037w37", "u99999w0001", "nothing", ""}) {
    SCOPED_TRACE(std::string(shareId));
    const httplib::Result result = Get("/play?s=" + std::string(shareId));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
    EXPECT_EQ(PlayAddress(result->body), "");
  }
}

// The path of a play address on this service.
std::string AudioPathOf(std::string_view shareId) {
  const std::string address = PlayAddress(Get("/play?s=" + std::string(shareId))->body);
  return address.substr(Service().BaseUrl().size());
}

TEST(DemoServiceTest, OrdinarySongsPlayTheToneWithItsLength) {
  const httplib::Result result = Get(AudioPathOf("u10037w0005"));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "audio/mp4");
  EXPECT_EQ(result->get_header_value("Content-Length"), std::to_string(result->body.size()));
  EXPECT_EQ(result->body.size(), demo::ToneAudio().size());
  EXPECT_GT(result->body.size(), 1000u);
  EXPECT_EQ(result->body.substr(4, 8), "ftypM4A ");
}

TEST(DemoServiceTest, LargeAudioStreamsAllItsDeterministicBytes) {
  const std::string path = AudioPathOf(demo::kLargeAudioShareId);
  httplib::Client client(Service().BaseUrl());
  const httplib::Result head = client.Head(path);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->get_header_value("Content-Length"), "268435456");
  EXPECT_EQ(head->get_header_value("Content-Type"), "audio/mp4");

  std::uint64_t received = 0;
  bool same = true;
  std::vector<unsigned char> expected;
  const httplib::Result result = client.Get(path, [&](const char* data, std::size_t size) {
    expected.resize(size);
    demo::FillLargeAudio(received, expected);
    same = same && std::equal(expected.begin(), expected.end(),
                              reinterpret_cast<const unsigned char*>(data));
    received += size;
    return true;
  });
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(received, demo::kLargeAudioSize);
  EXPECT_TRUE(same);
}

TEST(DemoServiceTest, MissingAndUnknownAudioAnswer404) {
  for (const std::string& path :
       {AudioPathOf(demo::kMissingAudioShareId), std::string("/audio/u99999w0001.m4a"),
        std::string("/audio/u10037w0001.mp3")}) {
    SCOPED_TRACE(path);
    const httplib::Result result = Get(path);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404);
  }
}

TEST(DemoServiceLifecycleTest, AcceptsOnlyLoopbackHosts) {
  const struct {
    std::string_view host;
    bool loopback;
  } cases[] = {
      {"127.0.0.1", true}, {"127.8.9.10", true}, {"::1", true},
      {"0.0.0.0", false},  {"128.0.0.1", false}, {"192.168.1.1", false},
      {"::", false},       {"localhost", false}, {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLoopbackHost(c.host), c.loopback) << c.host;

  DemoService service;
  EXPECT_FALSE(service.Start(0, {.host = "0.0.0.0"}));
  EXPECT_EQ(service.Port(), 0);
}

TEST(DemoServiceLifecycleTest, RefusesABusyPortAndFreesItsPortWhenStopped) {
  DemoService first;
  ASSERT_TRUE(first.Start(0));
  const int port = first.Port();
  EXPECT_GT(port, 0);
  EXPECT_EQ(first.BaseUrl(), "http://127.0.0.1:" + std::to_string(port));
  EXPECT_FALSE(first.Start(0)) << "already running";

  DemoService second;
  EXPECT_FALSE(second.Start(port)) << "a second service must not share a busy port";

  first.Stop();
  EXPECT_EQ(first.Port(), 0);
  EXPECT_EQ(first.BaseUrl(), "");
  ASSERT_TRUE(second.Start(port));
  const httplib::Result result = httplib::Client(second.BaseUrl()).Get("/personal?uid=10015");
  ASSERT_TRUE(result);
  EXPECT_NE(result->body.find("作品 15<"), std::string::npos);
}

}  // namespace
}  // namespace singrove
