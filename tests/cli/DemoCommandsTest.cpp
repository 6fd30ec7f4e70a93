// The three commands end to end against the demo service, as a user of the command line runs
// them: listings of zero to three list pages with every caption, song pages with and without a
// play address, and saves that succeed or fail.

#include <gtest/gtest.h>

#include "app/Service.h"
#include "demo/Audio.h"
#include "demo/Catalogue.h"
#include "demo/DemoService.h"
#include "tests/cli/CliRun.h"

namespace singrove {
namespace {

using test::CliResult;
using test::Lines;
using test::RunCli;

class DemoCommandsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    service_ = new DemoService;
    started_ = service_->Start(0);
  }
  static void TearDownTestSuite() {
    delete service_;
    service_ = nullptr;
  }
  void SetUp() override {
    ASSERT_TRUE(started_);
    SetServiceHostForTests("127.0.0.1:" + std::to_string(service_->Port()));
  }
  void TearDown() override { SetServiceHostForTests(""); }

  static std::string SongPage(const std::string& shareId) {
    return service_->BaseUrl() + "/play?s=" + shareId;
  }
  // Work k of a demo user as the grid holds it: its title cut at the first double quote, as the
  // list page's title marker reads it.
  static std::vector<std::string> Cells(std::string_view uid, int k) {
    const demo::DemoWork work = demo::WorkOf(*demo::FindDemoUser(uid), k);
    // The list escapes a double quote as \", and the title marker stops at the quote.
    const std::size_t quote = work.title.find('"');
    const std::string title =
        quote == std::string::npos ? work.title : work.title.substr(0, quote) + "\\";
    return {title, SongPage(work.shareId), std::to_string(work.commentCount),
            std::to_string(work.playCount)};
  }
  // The captions of a listing whose list pages hold every announced work.
  static std::vector<std::string> Captions(std::string_view uid) {
    const demo::DemoUser& user = *demo::FindDemoUser(uid);
    const std::string total = std::to_string(user.worksCount);
    std::vector<std::string> captions{"正在载入歌曲目录，请等待..."};
    for (int k = 1; k <= user.worksCount; ++k) {
      captions.push_back("载入中：" + std::to_string(k) + "/" + total);
    }
    captions.push_back("载入完成，共载入歌曲 " + total + " 首");
    captions.push_back(std::string(user.name) + "的主页 - Singrove");
    return captions;
  }

  static DemoService* service_;
  static bool started_;
};

DemoService* DemoCommandsTest::service_ = nullptr;
bool DemoCommandsTest::started_ = false;

TEST_F(DemoCommandsTest, ListPrintsEveryGridRowWithTabsAndEveryCaptionOnStandardError) {
  for (const std::string uid : {"10000", "10015", "10016", "10037"}) {
    SCOPED_TRACE(uid);
    const CliResult result = RunCli({"list", uid});
    EXPECT_EQ(result.code, 0);
    std::vector<std::string> rows;
    for (int k = 1; k <= demo::FindDemoUser(uid)->worksCount; ++k) {
      const std::vector<std::string> cells = Cells(uid, k);
      rows.push_back(cells[0] + "\t" + cells[1] + "\t" + cells[2] + "\t" + cells[3]);
    }
    EXPECT_EQ(Lines(result.out), rows);
    EXPECT_EQ(Lines(result.err), Captions(uid));
  }
}

TEST_F(DemoCommandsTest, ListWithJsonPrintsOneObjectPerRow) {
  const CliResult result = RunCli({"list", "--json", "10037"});
  EXPECT_EQ(result.code, 0);
  EXPECT_EQ(Lines(result.err), Captions("10037"));
  const std::vector<std::string> lines = Lines(result.out);
  ASSERT_EQ(lines.size(), 37u);
  const auto object = [](const std::vector<std::string>& cells) {
    return R"({"title":")" + cells[0] + R"(","url":")" + cells[1] + R"(","comments":")" + cells[2] +
           R"(","plays":")" + cells[3] + R"("})";
  };
  EXPECT_EQ(lines[0], object(Cells("10037", 1)));
  EXPECT_EQ(Cells("10037", 3)[0], "Say \\");
  EXPECT_EQ(lines[2], object({"Say \\\\", SongPage("u10037w0003"), Cells("10037", 3)[2],
                              Cells("10037", 3)[3]}));
  EXPECT_EQ(lines[4], object(Cells("10037", 5)));  // "AC/DC 致敬"
  EXPECT_EQ(lines[36], object(Cells("10037", 37)));
}

TEST_F(DemoCommandsTest, ResolvePrintsTitleAndPlayAddressOrFailsWithOne) {
  struct Case {
    std::vector<std::string> arguments;
    int code;
    std::string out;
  };
  const std::string audio = service_->BaseUrl() + "/audio/u10037w0003.m4a";
  const Case cases[] = {
      {{"resolve", SongPage("u10037w0003")}, 0, "Say \"Hello\" 你好 \n" + audio + "\n"},
      {{"resolve", "--json", SongPage("u10037w0003")},
       0,
       R"({"title":"Say \"Hello\" 你好 ","playUrl":")" + audio + "\"}\n"},
      {{"resolve", SongPage("u10037w0099")}, 1, ""},  // no such song: a page without play address
      {{"resolve", "--json", SongPage("u10037w0099")}, 1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const CliResult result = RunCli(c.arguments);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.out, c.out);
    if (c.code == 0) {
      EXPECT_EQ(result.err, "");
    } else {
      EXPECT_TRUE(result.err.starts_with("singrove: ")) << result.err;
      EXPECT_NE(result.err.find("'" + c.arguments.back() + "'"), std::string::npos) << result.err;
    }
  }
}

TEST_F(DemoCommandsTest, SaveWritesTheAudioWhereOutputSaysAndReportsAsTheWindowDoes) {
  const test::TemporaryFolder folder;
  const std::string file = (folder.Path() / "晚风.m4a").string();
  const std::span<const unsigned char> tone = demo::ToneAudio();
  const std::string toneBytes(tone.begin(), tone.end());
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    int code;
    std::string out;
    std::vector<std::string> folderAfter;
  };
  const Case cases[] = {
      {"saved", {"save", "-o", file, SongPage("u10037w0001")}, 0, "保存成功\n", {"晚风.m4a"}},
      {"audio gone", {"save", SongPage("u10002w0002"), "-o", file}, 1, "保存失败\n", {"晚风.m4a"}},
      {"no play address", {"save", "--output", file, SongPage("u10037w0099")}, 1, "", {"晚风.m4a"}},
      {"missing folder",
       {"save", "-o", (folder.Path() / "none" / "a.m4a").string(), SongPage("u10037w0002")},
       1,
       "保存失败\n",
       {"晚风.m4a"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CliResult result = RunCli(c.arguments);
    EXPECT_EQ(result.code, c.code);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err.empty(), c.code == 0) << result.err;
    EXPECT_EQ(test::FolderNames(folder.Path()), c.folderAfter);
    EXPECT_EQ(test::ReadFile(file), toneBytes);  // a failed save leaves the earlier file whole
  }
}

}  // namespace
}  // namespace singrove
