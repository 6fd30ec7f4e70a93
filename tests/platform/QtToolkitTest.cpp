#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <thread>

#include "platform/events/EventHook.h"
#include "platform/toolkit/qt/QtToolkit.h"
#include "text/Gbk.h"

namespace singrove {
namespace {

QtToolkit* gToolkit = nullptr;
std::vector<std::string> gSeen;  // what each handler saw: its name and the selected row
bool gBusyInHandler = false;     // the handler marks the toolkit busy while it runs

void Record(const char* name) {
  gSeen.push_back(name + (" " + std::to_string(gToolkit->GridCurrentRow())));
  if (gBusyInHandler) {
    gToolkit->SetBusy(true);
    gToolkit->ProcessPendingEvents();
    gToolkit->SetBusy(false);
  }
}
void OnLeft() {
  Record("left");
}
void OnRight() {
  Record("right");
}
void OnClick() {
  Record("click");
}

WindowDescription TestWindow() {
  WindowDescription window{.x = 50, .y = 50, .width = 300, .height = 300, .caption = Gbk("窗口")};
  window.controls = {
      {.name = "组",
       .kind = ControlKind::GroupBox,
       .x = 8,
       .y = 8,
       .width = 280,
       .height = 280,
       .text = Gbk("批量")},
      {.name = "标签",
       .kind = ControlKind::Label,
       .container = "组",
       .x = 4,
       .y = 18,
       .width = 60,
       .height = 20,
       .text = Gbk("标签")},
      {.name = "编辑框",
       .kind = ControlKind::EditBox,
       .container = "组",
       .x = 70,
       .y = 18,
       .width = 100,
       .height = 20,
       .centred = true,
       .digitsAndMinusOnly = true},
      {.name = "按钮",
       .kind = ControlKind::Button,
       .container = "组",
       .x = 180,
       .y = 18,
       .width = 48,
       .height = 20,
       .text = Gbk("查询"),
       .onClicked = OnClick},
      {.name = "表格",
       .kind = ControlKind::Grid,
       .container = "组",
       .x = 4,
       .y = 45,
       .width = 270,
       .height = 220,
       .grid = {.columns = 3, .rows = 1, .fixedRows = 1, .rowHeight = 24, .columnWidth = 60},
       .onLeftPress = OnLeft,
       .onRightPress = OnRight},
      {.name = "对话框", .kind = ControlKind::SaveDialog},
  };
  return window;
}

class QtToolkitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gToolkit = &toolkit_;
    gSeen.clear();
    gBusyInHandler = false;
    toolkit_.LoadWindow(TestWindow());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(toolkit_.Window()));
    grid_ = toolkit_.Window()->findChild<QTableWidget*>("表格");
    ASSERT_NE(grid_, nullptr);
  }
  void TearDown() override {
    UseToolkit(nullptr);
    gToolkit = nullptr;
  }
  // Adds data rows 1..count, each with its number in column 0.
  void AddRows(int count) {
    for (int row = 1; row <= count; ++row) {
      toolkit_.GridAddRow();
      toolkit_.GridSetCellText(row, 0, std::to_string(row));
    }
  }
  QPoint CentreOf(int row) const {
    return grid_->visualRect(grid_->model()->index(row, 0)).center();
  }
  template <typename T>
  T* Find(const char* name) const {
    return toolkit_.Window()->findChild<T*>(QString::fromUtf8(name));
  }

  QtToolkit toolkit_;
  QTableWidget* grid_ = nullptr;
};

TEST_F(QtToolkitTest, BuildsTheControlsOfTheDescription) {
  QWidget* window = toolkit_.Window();
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("窗口"));
  EXPECT_EQ(window->size(), QSize(300, 300));
  auto* group = Find<QGroupBox>("组");
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->title(), QString::fromUtf8("批量"));
  EXPECT_EQ(group->parentWidget(), window);
  auto* button = Find<QPushButton>("按钮");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->parentWidget(), group);
  EXPECT_EQ(button->geometry(), QRect(180, 18, 48, 20));
  EXPECT_EQ(button->text(), QString::fromUtf8("查询"));
  EXPECT_EQ(Find<QLabel>("标签")->text(), QString::fromUtf8("标签"));
  EXPECT_FALSE(Find<QLabel>("标签")->autoFillBackground());
  EXPECT_EQ(Find<QLineEdit>("编辑框")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

  EXPECT_EQ(grid_->columnCount(), 3);
  EXPECT_EQ(grid_->rowCount(), 1);
  EXPECT_EQ(grid_->horizontalHeader()->height(), 24);  // the header row, which stays in view
  toolkit_.GridAddRow();
  EXPECT_EQ(grid_->rowHeight(1), 24);
  EXPECT_EQ(grid_->columnWidth(2), 60);
  EXPECT_TRUE(grid_->showGrid());
  EXPECT_EQ(grid_->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(grid_->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  EXPECT_EQ(grid_->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
  EXPECT_EQ(grid_->frameShadow(), QFrame::Sunken);

  toolkit_.SetCaption(Gbk("载入中：3/16"));
  EXPECT_EQ(window->windowTitle(), QString::fromUtf8("载入中：3/16"));
}

TEST_F(QtToolkitTest, GridOperationsKeepTheHeaderRow) {
  toolkit_.GridSetCellText(0, 0, Gbk("歌名"));
  EXPECT_EQ(grid_->horizontalHeaderItem(0)->text(), QString::fromUtf8("歌名"));
  AddRows(3);
  toolkit_.GridSetCellText(3, 1, Gbk("地址"));
  toolkit_.GridSetCellText(4, 0, "beyond");
  toolkit_.GridSetCellText(1, 3, "beyond");
  EXPECT_EQ(toolkit_.GridRowCount(), 4);
  EXPECT_EQ(toolkit_.GridCellText(0, 0), Gbk("歌名"));
  EXPECT_EQ(toolkit_.GridCellText(3, 1), Gbk("地址"));
  EXPECT_EQ(toolkit_.GridCellText(4, 0), "");
  EXPECT_EQ(toolkit_.GridCellText(2, 1), "");

  grid_->selectRow(0);  // the header cannot be selected
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  grid_->selectRow(3);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);
  toolkit_.GridSetRowCount(3);
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  toolkit_.GridSetRowCount(0);
  EXPECT_EQ(toolkit_.GridRowCount(), 1);
  EXPECT_EQ(toolkit_.GridCellText(0, 0), Gbk("歌名"));

  toolkit_.GridSetColumnWidth(1, 0);
  toolkit_.GridSetColumnWidth(2, 56);
  toolkit_.GridSetColumnWidth(5, 56);
  EXPECT_TRUE(grid_->isColumnHidden(1));
  EXPECT_EQ(grid_->columnWidth(2), 56);
}

TEST_F(QtToolkitTest, PressesRunTheHandlerBeforeTheGridSelects) {
  AddRows(3);
  QWidget* viewport = grid_->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, CentreOf(2));
  EXPECT_EQ(toolkit_.GridCurrentRow(), 2);

  QTest::mousePress(viewport, Qt::RightButton, {}, CentreOf(3));
  EXPECT_EQ(toolkit_.GridCurrentRow(), 2);  // a right press selects on release
  QTest::mouseRelease(viewport, Qt::RightButton, {}, CentreOf(3));
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);

  // A press on the header runs the handler and selects nothing.
  QTest::mouseClick(grid_->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(10, 10));
  EXPECT_EQ(toolkit_.GridCurrentRow(), 3);
  // The second press of a double click is a press like the first.
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, CentreOf(1));
  EXPECT_EQ(toolkit_.GridCurrentRow(), 1);
  EXPECT_EQ(gSeen, (std::vector<std::string>{"left -1", "right 2", "left 3", "left 3"}));
}

TEST_F(QtToolkitTest, WhileBusyButtonsAndGridPressesAreRefusedButTypingWorks) {
  AddRows(2);
  auto* button = Find<QPushButton>("按钮");
  auto* edit = Find<QLineEdit>("编辑框");
  toolkit_.SetBusy(true);
  EXPECT_FALSE(button->isEnabled());
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, CentreOf(1));
  QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, CentreOf(2));
  QTest::keyClicks(edit, "42");
  EXPECT_TRUE(gSeen.empty());
  EXPECT_EQ(toolkit_.GridCurrentRow(), -1);
  EXPECT_EQ(edit->text(), "42");

  toolkit_.SetBusy(false);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(gSeen, std::vector<std::string>{"click -1"});
}

TEST_F(QtToolkitTest, AReleaseThatComesWhileTheHandlerRunsStillSelects) {
  AddRows(3);
  gBusyInHandler = true;
  QWidget* viewport = grid_->viewport();
  // The release is queued before the press is handled, so the handler meets it.
  QMouseEvent press(QEvent::MouseButtonPress, CentreOf(2), viewport->mapToGlobal(CentreOf(2)),
                    Qt::RightButton, Qt::RightButton, {});
  QCoreApplication::postEvent(viewport, new QMouseEvent(QEvent::MouseButtonRelease, CentreOf(2),
                                                        viewport->mapToGlobal(CentreOf(2)),
                                                        Qt::RightButton, Qt::NoButton, {}));
  QCoreApplication::sendEvent(viewport, &press);
  EXPECT_EQ(toolkit_.GridCurrentRow(), 2);
  EXPECT_EQ(gSeen, std::vector<std::string>{"right -1"});
}

TEST_F(QtToolkitTest, TheUserIdBoxRefusesTypedCharactersButNotPastedText) {
  auto* edit = Find<QLineEdit>("编辑框");
  edit->setFocus();
  QTest::keyClicks(edit, "abc12-3");
  EXPECT_EQ(edit->text(), "12-3");
  QTest::keyClick(edit, Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), "12-");
  EXPECT_EQ(toolkit_.ReadEditText("编辑框"), "12-");

  edit->clear();
  QApplication::clipboard()->setText("abc");
  QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(edit->text(), "abc");
  EXPECT_EQ(toolkit_.ReadEditText("编辑框"), "abc");
  EXPECT_EQ(toolkit_.ReadEditText("没有"), "");
}

TEST_F(QtToolkitTest, DelaysKeepHandlingEventsWithoutSpinning) {
  UseToolkit(&toolkit_);
  int fired = 0;
  QTimer::singleShot(20, [&] { ++fired; });
  // Due after the test: the window, gone by then, takes the timer with it.
  QTimer::singleShot(400, toolkit_.Window(), [&] { ++fired; });
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  toolkit_.DelayWithEvents(200);
  const std::clock_t cpuUsed = std::clock() - cpuStart;
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(fired, 1);
  // A waiting delay uses the processor for a small part of its time.
  EXPECT_LT(cpuUsed, CLOCKS_PER_SEC / 10);

  QTimer::singleShot(0, [&] { ++fired; });
  ProcessPendingEvents();  // through the installed hook
  EXPECT_EQ(fired, 2);
}

// A widget that counts how often it was painted.
class PaintCounter : public QWidget {
 public:
  int paints = 0;

 protected:
  void paintEvent(QPaintEvent*) override { ++paints; }
};

TEST_F(QtToolkitTest, HandlesPendingEventsAtMostEveryTenMilliseconds) {
  using namespace std::chrono_literals;
  PaintCounter widget;
  widget.resize(50, 50);
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  widget.paints = 0;
  // Calls in a tight loop, each after a change that needs a repaint.
  const auto start = std::chrono::steady_clock::now();
  int calls = 0;
  while (std::chrono::steady_clock::now() - start < 200ms) {
    widget.update();
    toolkit_.ProcessPendingEvents();
    ++calls;
  }
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(widget.paints, 2);
  EXPECT_LE(widget.paints, elapsed / 10ms + 1);
  EXPECT_GT(calls, widget.paints);

  // What is queued now is handled by the first call 10 ms after the last handling.
  int fired = 0;
  QTimer::singleShot(0, [&] { ++fired; });
  std::this_thread::sleep_for(11ms);
  toolkit_.ProcessPendingEvents();
  EXPECT_EQ(fired, 1);
}

}  // namespace
}  // namespace singrove
