#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/Service.h"
#include "demo/DemoService.h"
#include "tests/app/FlowFixture.h"

namespace singrove {
namespace {

// The flows against the demo service: UTF-8 profile and song pages, GBK lists, real audio.
class DemoFlowTest : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    ASSERT_TRUE(demo_.Start(0));
    SetServiceHostForTests("127.0.0.1:" + std::to_string(demo_.Port()));
    toolkit_.AnswerSaveDialog([](const SaveDialogRequest& request) -> std::optional<Text> {
      return request.initialFolder + request.fileName;
    });
  }
  void TearDown() override {
    demo_.Stop();
    FlowTest::TearDown();
  }

  DemoService demo_;
};

TEST_F(DemoFlowTest, ListsAUserAndSavesASongWhoseTitleHoldsASlash) {
  toolkit_.SetEditText(kUserIdBox, "10037");
  toolkit_.Click(kQueryButton);
  EXPECT_EQ(toolkit_.Caption(), Gbk("林小满的主页 - Singrove"));
  ASSERT_EQ(toolkit_.GridRowCount(), 38);
  EXPECT_EQ(toolkit_.GridCellText(5, 0), Gbk("AC/DC 致敬"));
  EXPECT_EQ(toolkit_.GridCellText(37, 0), Gbk("最后一首"));

  toolkit_.SelectRow(5);
  toolkit_.PressGrid(6, HeadlessToolkit::Button::Right);
  ASSERT_EQ(toolkit_.SaveDialogs().size(), 1u);
  EXPECT_EQ(toolkit_.SaveDialogs()[0].fileName, Gbk("AC_DC 致敬 .m4a"));
  EXPECT_EQ(toolkit_.Messages(), std::vector<Text>{Gbk("保存成功")});
  const std::string audio = Read(home_ / "Desktop" / "AC_DC 致敬 .m4a");
  EXPECT_GT(audio.size(), 1000u);
  EXPECT_EQ(audio.substr(4, 4), "ftyp");
}

TEST_F(DemoFlowTest, AnAudioThatAnswers404IsNotSaved) {
  toolkit_.SetEditText(kSongAddressBox,
                       "http://127.0.0.1:" + std::to_string(demo_.Port()) + "/play?s=u10002w0002");
  toolkit_.Click(kResolveButton);
  ASSERT_EQ(toolkit_.SaveDialogs().size(), 1u);
  EXPECT_EQ(toolkit_.Messages(), std::vector<Text>{Gbk("保存失败")});
  EXPECT_TRUE(std::filesystem::is_empty(home_ / "Desktop"));
}

}  // namespace
}  // namespace singrove
