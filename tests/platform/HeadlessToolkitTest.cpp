#include <gtest/gtest.h>

#include <chrono>

#include "platform/events/EventHook.h"
#include "platform/toolkit/headless/HeadlessToolkit.h"

namespace singrove {
namespace {

HeadlessToolkit* gToolkit = nullptr;
std::vector<std::string> gSeen;  // what each handler saw: its name and the selected row

void OnLeft() {
  gSeen.push_back("left " + std::to_string(gToolkit->GridCurrentRow()));
}
void OnRight() {
  gSeen.push_back("right " + std::to_string(gToolkit->GridCurrentRow()));
}
void OnClick() {
  gSeen.push_back("click");
}
void OnCreated() {
  gSeen.push_back("created " + std::to_string(gToolkit->GridRowCount()));
  gToolkit->GridSetCellText(0, 0, "head");
}

WindowDescription TestWindow() {
  WindowDescription window{.caption = "caption", .onCreated = OnCreated};
  window.controls = {
      {.name = "box", .kind = ControlKind::EditBox, .text = "start"},
      {.name = "go", .kind = ControlKind::Button, .onClicked = OnClick},
      {.name = "grid",
       .kind = ControlKind::Grid,
       .grid = {.columns = 2, .rows = 1, .fixedRows = 1, .rowHeight = 24, .columnWidth = 60},
       .onLeftPress = OnLeft,
       .onRightPress = OnRight},
  };
  return window;
}

class HeadlessToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gToolkit = &toolkit_;
    gSeen.clear();
    toolkit_.LoadWindow(TestWindow());
  }
  void TearDown() override {
    UseToolkit(nullptr);
    gToolkit = nullptr;
  }
  void AddRows(int count) {
    for (int k = 0; k < count; ++k) toolkit_.GridAddRow();
  }

  HeadlessToolkit toolkit_;
};

TEST_F(HeadlessToolkitTest, LoadsTheWindowThenDeliversTheCreatedEvent) {
  EXPECT_EQ(gSeen, std::vector<std::string>{"created 1"});
  EXPECT_EQ(toolkit_.Caption(), "caption");
  EXPECT_EQ(toolkit_.ReadEditText("box"), "start");
  EXPECT_EQ(toolkit_.ReadEditText("no such box"), "");
  EXPECT_EQ(toolkit_.GridCellText(0, 0), "head");
  EXPECT_EQ(toolkit_.ColumnWidth(1), 60);
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
}

TEST_F(HeadlessToolkitTest, GridKeepsItsHeaderAndIgnoresCellsOutside) {
  AddRows(3);
  toolkit_.GridSetCellText(3, 1, "last");
  toolkit_.GridSetCellText(4, 0, "beyond");
  toolkit_.GridSetCellText(1, 2, "beyond");
  toolkit_.GridSetCellText(-1, 0, "beyond");
  EXPECT_EQ(toolkit_.GridRowCount(), 4);
  EXPECT_EQ(toolkit_.GridCellText(3, 1), "last");
  EXPECT_EQ(toolkit_.GridCellText(4, 0), "");

  toolkit_.SelectRow(0);
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  toolkit_.SelectRow(3);
  toolkit_.GridSetRowCount(3);  // the selected row goes, and its selection with it
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  toolkit_.SelectRow(2);
  toolkit_.GridSetRowCount(3);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 2);
  toolkit_.GridSetRowCount(0);
  EXPECT_EQ(toolkit_.GridRowCount(), 1);
  EXPECT_EQ(toolkit_.GridCellText(0, 0), "head");

  toolkit_.GridSetColumnWidth(1, 0);
  toolkit_.GridSetColumnWidth(2, 90);
  EXPECT_EQ(toolkit_.ColumnWidth(1), 0);
  EXPECT_EQ(toolkit_.ColumnWidth(2), -1);
}

TEST_F(HeadlessToolkitTest, APressRunsTheHandlerBeforeTheGridSelectsThePressedRow) {
  AddRows(3);
  gSeen.clear();
  EXPECT_TRUE(toolkit_.PressGrid(2, HeadlessToolkit::Button::Left));
  EXPECT_TRUE(toolkit_.PressGrid(3, HeadlessToolkit::Button::Right));
  EXPECT_TRUE(toolkit_.PressGrid(0, HeadlessToolkit::Button::Left));  // the header: no selection
  EXPECT_TRUE(toolkit_.PressGrid(-1, HeadlessToolkit::Button::Right));
  EXPECT_EQ(gSeen, (std::vector<std::string>{"left -1", "right 2", "left 3", "right 3"}));
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);
}

TEST_F(HeadlessToolkitTest, WhileBusyTheFlowControlsRefuseButTypingWorks) {
  AddRows(2);
  gSeen.clear();
  toolkit_.SetBusy(true);
  EXPECT_FALSE(toolkit_.Click("go"));
  EXPECT_FALSE(toolkit_.PressGrid(1, HeadlessToolkit::Button::Left));
  EXPECT_TRUE(toolkit_.SetEditText("box", "123"));
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  toolkit_.SetBusy(false);
  EXPECT_TRUE(toolkit_.Click("go"));
  EXPECT_FALSE(toolkit_.Click("box"));
  EXPECT_EQ(gSeen, std::vector<std::string>{"click"});
  EXPECT_EQ(toolkit_.ReadEditText("box"), "123");
}

TEST_F(HeadlessToolkitTest, DelaysHandleEventsUntilTheTimeIsUp) {
  int rounds = 0;
  toolkit_.WhilePendingEvents([&] {
    ++rounds;
    ProcessPendingEvents();  // a nested round does not run the events again
  });
  UseToolkit(&toolkit_);
  ProcessPendingEvents();
  EXPECT_EQ(rounds, 1);

  toolkit_.DelayWithEvents(0);
  toolkit_.DelayWithEvents(-5);
  EXPECT_EQ(rounds, 1);
  const auto start = std::chrono::steady_clock::now();
  toolkit_.DelayWithEvents(60);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
  EXPECT_GT(rounds, 2);
  EXPECT_EQ(toolkit_.Delays(), std::vector<int>{60});
}

TEST_F(HeadlessToolkitTest, TheSaveDialogIsAnsweredByItsDriver) {
  Text chosen = "unchanged";
  EXPECT_FALSE(toolkit_.ShowSaveDialog("a.m4a", "*.m4a", "/desk/", &chosen));
  toolkit_.AnswerSaveDialog([](const SaveDialogRequest& request) -> std::optional<Text> {
    if (request.fileName == "cancel.m4a") return std::nullopt;
    return request.initialFolder + request.fileName;
  });
  EXPECT_FALSE(toolkit_.ShowSaveDialog("cancel.m4a", "*.m4a", "/desk/", &chosen));
  EXPECT_EQ(chosen, "unchanged");
  EXPECT_TRUE(toolkit_.ShowSaveDialog("b.m4a", "*.m4a", "/desk/", &chosen));
  EXPECT_EQ(chosen, "/desk/b.m4a");
  ASSERT_EQ(toolkit_.SaveDialogs().size(), 3u);
  EXPECT_EQ(toolkit_.SaveDialogs()[2].filter, "*.m4a");
  toolkit_.ShowMessage("done");
  EXPECT_EQ(toolkit_.Messages(), std::vector<Text>{"done"});
}

}  // namespace
}  // namespace singrove
