// The commands against a recording loopback service that answers whatever a test puts there:
// bytes that are not GBK, control characters, pages without markers and broken downloads.

#include <gtest/gtest.h>

#include <functional>
#include <streambuf>
#include <utility>

#include "app/Service.h"
#include "tests/app/FakeService.h"
#include "tests/cli/CliRun.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

using test::CliResult;
using test::Lines;
using test::RunCli;

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// A stream buffer that notes with each line written to it what a clock read then.
class LineClock : public std::streambuf {
 public:
  using Line = std::pair<std::string, std::size_t>;
  explicit LineClock(std::function<std::size_t()> clock) : clock_(std::move(clock)) {}
  const std::vector<Line>& Lines() const { return lines_; }

 protected:
  int_type overflow(int_type c) override {
    if (c == '\n') {
      lines_.emplace_back(std::move(line_), clock_());
      line_.clear();
    } else if (c != traits_type::eof()) {
      line_ += traits_type::to_char_type(c);
    }
    return traits_type::not_eof(c);
  }

 private:
  std::function<std::size_t()> clock_;
  std::string line_;
  std::vector<Line> lines_;
};

class LoopbackCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetServiceHostForTests(service_.Host()); }
  void TearDown() override { SetServiceHostForTests(""); }

  FakeService service_;
};

TEST_F(LoopbackCommandsTest, ListShowsOddBytesAsReplacementsAndEscapesThemInJson) {
  service_.Put("/personal?uid=7",
               {.body = "<title>" + Gbk("名字") + "\x81 </title>" + Gbk("<b id=\"ugc\">作品 3<")});
  service_.Put(
      FakeService::ListTarget(1, "7"),
      {.body = "[{\"title\": \"Ctl\x01\x1F end\", \"shareid\": \"a\", \"coment_count\": 1, "
               "\"play_count\": 2,}, {\"title\": \"Bad \x81\x30 " +
               Gbk("歌") +
               "\", \"shareid\": \"b\", \"coment_count\": 3, \"play_count\": 40,}, "
               "{\"title\": \"back\\\\slash\", \"shareid\": \"c\", \"coment_count\": 5, "
               "\"play_count\": 6}]"});
  const std::string play = service_.Address("/play?s=");
  std::ostringstream out;
  LineClock err([this] { return service_.Requests().size(); });
  std::ostream errStream(&err);
  EXPECT_EQ(RunCommandLine(std::vector<std::string>{"list", "7", "--json"}, out, errStream), 0);
  EXPECT_EQ(
      Lines(out.str()),
      (std::vector<std::string>{
          R"({"title":"Ctl\u0001\u001f end","url":")" + play + R"(a","comments":"1","plays":"2"})",
          R"({"title":"Bad )" + std::string(kReplacement) + R"(0 歌","url":")" + play +
              R"(b","comments":"3","plays":"40"})",
          // No comma follows the last play count, so there is no such item to show.
          R"({"title":"back\\\\slash","url":")" + play + R"(c","comments":"5","plays":""})",
      }));
  // Each caption is shown as it is set: the first one before the list page is asked for.
  EXPECT_EQ(err.Lines(), (std::vector<LineClock::Line>{
                             {"正在载入歌曲目录，请等待...", 1},
                             {"载入中：1/3", 2},
                             {"载入中：2/3", 2},
                             {"载入中：3/3", 2},
                             {"载入完成，共载入歌曲 3 首", 2},
                             {"名字" + std::string(kReplacement) + " ", 2},
                         }));
  EXPECT_EQ(service_.Requests(),
            (std::vector<std::string>{"/personal?uid=7", FakeService::ListTarget(1, "7")}));
}

TEST_F(LoopbackCommandsTest, ResolveSaysWhyNoPlayAddressCame) {
  service_.Put("/play?s=bare", {.body = "<title>Bare - Singrove</title>no address here"});
  service_.Put("/play?s=spaced",
               {.body = "<title>S - Singrove</title>\"playurl\": \"http://x/a\""});
  service_.PutSong("odd", "A\x81 ", service_.Address("/a.m4a"));
  struct Case {
    std::string shareId;
    int code;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {"missing", 1, "", "singrove: no song page came back from '%'\n"},
      {"bare", 1, "", "singrove: the song page '%' names no play address\n"},
      {"spaced", 1, "", "singrove: the song page '%' names no play address\n"},
      {"odd", 0, "A" + std::string(kReplacement) + " \n" + service_.Address("/a.m4a") + "\n", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shareId);
    const std::string page = service_.Address("/play?s=" + c.shareId);
    const CliResult result = RunCli({"resolve", page});
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.out, c.out);
    std::string err = c.err;
    if (const std::size_t at = err.find('%'); at != std::string::npos) err.replace(at, 1, page);
    EXPECT_EQ(result.err, err);
  }
  // A refused connection is a page that did not come either.
  EXPECT_EQ(RunCli({"resolve", "http://127.0.0.1:1/play?s=1"}).err,
            "singrove: no song page came back from 'http://127.0.0.1:1/play?s=1'\n");
}

TEST_F(LoopbackCommandsTest, SaveWritesOnlyACompleteDownloadAndExitsWithOneOtherwise) {
  const test::TemporaryFolder folder;
  const std::string file = (folder.Path() / "out.m4a").string();
  struct Case {
    const char* name;
    FakeService::Answer audio;
    int code;
    std::string out;
  };
  const Case cases[] = {
      {"saved", {.body = std::string("AU\0DIO", 6)}, 0, "保存成功\n"},
      {"empty body", {.body = ""}, 1, "保存失败\n"},
      {"server error", {.status = 500, .body = "oops"}, 1, "保存失败\n"},
      {"not found", {.status = 404, .body = "gone"}, 1, "保存失败\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(file);
    service_.PutSong("s", "Song", service_.Address("/audio"));
    service_.Put("/audio", c.audio);
    service_.ClearRequests();
    const std::string page = service_.Address("/play?s=s");
    const CliResult result = RunCli({"save", page, "-o", file});
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(service_.Requests(), (std::vector<std::string>{"/play?s=s", "/audio"}));
    if (c.code == 0) {
      EXPECT_EQ(result.err, "");
      EXPECT_EQ(test::ReadFile(file), c.audio.body);
    } else {
      EXPECT_EQ(result.err, "singrove: the audio of '" + page +
                                "' could not be downloaded whole and written to '" + file + "'\n");
      EXPECT_FALSE(std::filesystem::exists(file));
    }
    EXPECT_EQ(test::FolderNames(folder.Path()).size(), c.code == 0 ? 1u : 0u);
  }

  // A file name that GBK cannot hold is refused before anything is fetched.
  service_.ClearRequests();
  const CliResult refused = RunCli({"save", "-o", (folder.Path() / "\xF0\x9F\x8E\xB5.m4a").string(),
                                    service_.Address("/play?s=s")});
  EXPECT_EQ(refused.code, 2);
  EXPECT_TRUE(service_.Requests().empty());
}

}  // namespace
}  // namespace singrove
