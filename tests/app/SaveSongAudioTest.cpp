#include "app/ResolveSongPage.h"
#include "app/SaveSongAudio.h"
#include "tests/app/FlowFixture.h"

namespace singrove {
namespace {

// A listing of three songs whose audio the service serves, and saves answered into the desktop.
class SaveSongAudioTest : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    service_.PutUser("u", "U", 3, 3);
    for (int k = 1; k <= 3; ++k) {
      const std::string n = std::to_string(k);
      service_.PutSong("u-" + n, Gbk("歌") + n + " ", service_.Address("/audio/" + n));
      service_.Put("/audio/" + n, {.body = std::string("AUDIO\0", 6) + n});
    }
    toolkit_.SetEditText(kUserIdBox, "u");
    toolkit_.Click(kQueryButton);
    service_.ClearRequests();
    toolkit_.AnswerSaveDialog([](const SaveDialogRequest& request) -> std::optional<Text> {
      return request.initialFolder + request.fileName;
    });
  }
  std::string Saved(int k) const {
    return Read(home_ / "Desktop" / ("歌" + std::to_string(k) + " .m4a"));
  }
  static std::string Audio(int k) { return std::string("AUDIO\0", 6) + std::to_string(k); }
};

TEST_F(SaveSongAudioTest, ALeftPressResolvesTheRowSelectedBeforeIt) {
  EXPECT_TRUE(toolkit_.PressGrid(2, HeadlessToolkit::Button::Left));
  EXPECT_TRUE(service_.Requests().empty());  // nothing was selected before this press
  EXPECT_EQ(gSongTitle, "");
  EXPECT_EQ(toolkit_.GridCurrentRow(), 2);

  EXPECT_TRUE(toolkit_.PressGrid(3, HeadlessToolkit::Button::Left));
  EXPECT_EQ(service_.Requests(), std::vector<std::string>{"/play?s=u-2"});
  EXPECT_EQ(gSongTitle, Gbk("歌2 "));
  EXPECT_EQ(gPlayUrl, service_.Address("/audio/2"));
  EXPECT_NE(gSongPage.find("playurl"), Text::npos);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);
  EXPECT_TRUE(toolkit_.SaveDialogs().empty());
}

TEST_F(SaveSongAudioTest, ARightPressSavesTheRowSelectedBeforeIt) {
  EXPECT_TRUE(toolkit_.PressGrid(1, HeadlessToolkit::Button::Right));
  EXPECT_TRUE(service_.Requests().empty());
  EXPECT_TRUE(toolkit_.SaveDialogs().empty());
  EXPECT_EQ(toolkit_.GridCurrentRow(), 1);

  EXPECT_TRUE(toolkit_.PressGrid(3, HeadlessToolkit::Button::Right));
  EXPECT_EQ(service_.Requests(), (std::vector<std::string>{"/play?s=u-1", "/audio/1"}));
  ASSERT_EQ(toolkit_.SaveDialogs().size(), 1u);
  EXPECT_EQ(toolkit_.SaveDialogs()[0].fileName, Gbk("歌1 .m4a"));
  EXPECT_EQ(toolkit_.SaveDialogs()[0].filter, "*.m4a");
  EXPECT_EQ(toolkit_.SaveDialogs()[0].initialFolder, Desktop());
  EXPECT_EQ(Saved(1), Audio(1));
  EXPECT_EQ(toolkit_.Messages(), std::vector<Text>{Gbk("保存成功")});
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);
  EXPECT_EQ(gSingleMode, 0);
}

TEST_F(SaveSongAudioTest, ResolveAndDownloadPrefersTheSelectedRowToTheTypedAddress) {
  toolkit_.SetEditText(kSongAddressBox, "");
  EXPECT_TRUE(toolkit_.Click(kResolveButton));  // asks for "" and finds nothing to save
  EXPECT_TRUE(service_.Requests().empty());
  EXPECT_EQ(gPlayUrl, "");

  toolkit_.SetEditText(kSongAddressBox, service_.Address("/play?s=u-3"));
  EXPECT_TRUE(toolkit_.Click(kResolveButton));
  EXPECT_EQ(Saved(3), Audio(3));

  toolkit_.SelectRow(2);
  EXPECT_TRUE(toolkit_.Click(kResolveButton));
  EXPECT_EQ(Saved(2), Audio(2));
  EXPECT_EQ(service_.Requests(),
            (std::vector<std::string>{"/play?s=u-3", "/audio/3", "/play?s=u-2", "/audio/2"}));
  EXPECT_EQ(toolkit_.Messages(), (std::vector<Text>{Gbk("保存成功"), Gbk("保存成功")}));
  EXPECT_EQ(gSingleMode, 0);
}

TEST_F(SaveSongAudioTest, OnlyACompleteDownloadReplacesTheFile) {
  struct Case {
    const char* name;
    std::string playUrl;
    std::optional<FakeService::Answer> audio;  // absent: the service does not serve it
    bool cancel;
    const char* folder;  // where the dialog points, below home
    std::optional<const char*> message;
    std::string fileAfter;
  };
  const Case cases[] = {
      {"success", "/ok", FakeService::Answer{.body = "NEW"}, false, "Desktop", "保存成功", "NEW"},
      {"cancelled", "/ok", FakeService::Answer{.body = "NEW"}, true, "", {}, "OLD"},
      {"error status", "/missing", FakeService::Answer{.status = 404, .body = "gone"}, false,
       "Desktop", "保存失败", "OLD"},
      {"server error", "/broken", FakeService::Answer{.status = 500, .body = "oops"}, false,
       "Desktop", "保存失败", "OLD"},
      {"no body", "/empty", FakeService::Answer{.body = ""}, false, "Desktop", "保存失败", "OLD"},
      {"refused connection", "http://127.0.0.1:1/audio", std::nullopt, false, "Desktop", "保存失败",
       "OLD"},
      {"missing folder", "/ok", FakeService::Answer{.body = "NEW"}, false, "no such folder",
       "保存失败", "OLD"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::ofstream(home_ / "Desktop" / "song.m4a") << "OLD";
    const std::string playUrl =
        c.playUrl.starts_with("/") ? service_.Address(c.playUrl) : c.playUrl;
    if (c.audio) service_.Put(c.playUrl, *c.audio);
    service_.PutSong("x", "song", playUrl);
    toolkit_.AnswerSaveDialog([&](const SaveDialogRequest& request) -> std::optional<Text> {
      if (c.cancel) return std::nullopt;
      return Gbk((home_ / c.folder).string() + "/") + request.fileName;
    });
    const std::size_t messagesBefore = toolkit_.Messages().size();
    service_.ClearRequests();
    toolkit_.SetEditText(kSongAddressBox, service_.Address("/play?s=x"));
    toolkit_.Click(kResolveButton);

    EXPECT_EQ(Read(home_ / "Desktop" / "song.m4a"), c.fileAfter);
    if (c.message) {
      EXPECT_EQ(toolkit_.Messages().size(), messagesBefore + 1);
      EXPECT_EQ(toolkit_.Messages().back(), Gbk(*c.message));
    } else {
      EXPECT_EQ(toolkit_.Messages().size(), messagesBefore);
      EXPECT_EQ(service_.Requests(), std::vector<std::string>{"/play?s=x"});  // no download
    }
  }
  // Nothing but the saved file is left in the desktop folder.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(home_ / "Desktop")) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"song.m4a"});
}

TEST(ProposedFileName, KeepsTheTitleInItsFolder) {
  struct Case {
    Text title;
    Text proposed;
  };
  const Case cases[] = {
      {"Name ", "Name .m4a"},
      {"", ".m4a"},
      {"../../etc/passwd", ".._.._etc_passwd.m4a"},
      {"a\\b", "a_b.m4a"},
      {"tab\there\x01\x1F\x7F", "tab_here___.m4a"},
      {"what? *yes* <no> \"q\" a:b|c", "what? *yes* <no> \"q\" a:b|c.m4a"},
      {Gbk("歌名 "), Gbk("歌名 .m4a")},
      {"\x95\x5C", "\x95\x5C.m4a"},  // a GBK character whose second byte is a backslash
      {"\x95/", "\x95_.m4a"},        // a lone lead byte does not shelter a separator
  };
  for (const Case& c : cases) EXPECT_EQ(ProposedFileName(c.title), c.proposed) << c.title;
}

}  // namespace
}  // namespace singrove
