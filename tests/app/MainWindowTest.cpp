#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/Globals.h"
#include "app/MainWindow.h"
#include "app/ProgramStart.h"
#include "app/Service.h"
#include "platform/toolkit/qt/QtToolkit.h"
#include "tests/app/FlowFixture.h"

namespace singrove {
namespace {

QString Utf8(const char* text) {
  return QString::fromUtf8(text);
}

// The main window on Qt, started as the program starts it, pointed at a fake service.
class MainWindowTest : public FlowTest {
 protected:
  void SetUp() override {
    FlowTest::SetUp();
    UseToolkit(nullptr);
    gTitles = {"left over"};
    // The message loop ends at once: the window is closed by the first event it handles.
    QTimer::singleShot(0, [this] { qt_.Window()->close(); });
    ASSERT_EQ(ProgramStart(qt_), 0);
    UseToolkit(&qt_);
    qt_.Window()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(qt_.Window()));
    grid_ = Find<QTableWidget>("高级表格1");
    ASSERT_NE(grid_, nullptr);
  }

  template <typename T>
  T* Find(const char* name) const {
    return qt_.Window()->findChild<T*>(Utf8(name));
  }
  QPoint CentreOf(int row) const {
    return grid_->visualRect(grid_->model()->index(row, 0)).center();
  }

  // Runs answer on the modal dialog of type T as soon as it shows.
  template <typename T>
  static void WhenShown(std::function<void(T*)> answer) {
    auto* poll = new QTimer();
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
      auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
      if (dialog == nullptr) return;
      poll->stop();
      poll->deleteLater();
      answer(dialog);
    });
    poll->start(10);
  }

  QtToolkit qt_;
  QTableWidget* grid_ = nullptr;
};

TEST_F(MainWindowTest, StartsWithEveryControlAndTheGridHeader) {
  QWidget* window = qt_.Window();
  EXPECT_TRUE(gTitles.empty());
  EXPECT_EQ(window->windowTitle(), Utf8("Singrove小工具"));
  EXPECT_EQ(window->size(), QSize(387, 428));

  struct Expected {
    const char* name;
    const char* container;  // "" for the window
    QRect geometry;
    const char* text;
  };
  const Expected controls[] = {
      {"分组框1", "", {8, 8, 365, 325}, "批量"},
      {"透明标签4", "分组框1", {14, 18, 65, 20}, "Singroveuid："},
      {"编辑框2", "分组框1", {86, 19, 112, 20}, ""},
      {"查询", "分组框1", {206, 18, 48, 20}, "查询"},
      {"透明标签1", "分组框1", {265, 18, 85, 20}, "选择后右击下载"},
      {"高级表格1", "分组框1", {14, 45, 336, 268}, nullptr},
      {"分组框2", "", {8, 342, 365, 50}, "单独"},
      {"编辑框1", "分组框2", {8, 20, 264, 20}, ""},
      {"解析并下载", "分组框2", {280, 20, 75, 20}, "解析并下载"},
  };
  for (const Expected& expected : controls) {
    SCOPED_TRACE(expected.name);
    auto* control = Find<QWidget>(expected.name);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->parentWidget()->objectName(), Utf8(expected.container));
    EXPECT_EQ(control->geometry(), expected.geometry);
    if (expected.text == nullptr) continue;
    QString text;
    if (auto* group = qobject_cast<QGroupBox*>(control)) text = group->title();
    if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(control)) text = edit->text();
    if (auto* button = qobject_cast<QPushButton*>(control)) text = button->text();
    EXPECT_EQ(text, Utf8(expected.text));
  }
  EXPECT_EQ(Find<QLineEdit>("编辑框2")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
  EXPECT_EQ(Find<QLineEdit>("编辑框1")->alignment() & Qt::AlignHCenter, 0);

  EXPECT_EQ(grid_->rowCount(), 1);
  EXPECT_EQ(grid_->columnCount(), 4);
  const char* headers[] = {"歌名", "地址", "留言", " 收听"};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(grid_->item(0, column)->text(), Utf8(headers[column]));
    EXPECT_EQ(grid_->horizontalHeaderItem(column)->text(), Utf8(headers[column]));
  }
  EXPECT_EQ(grid_->columnWidth(0), 201);
  EXPECT_TRUE(grid_->isColumnHidden(1));
  EXPECT_EQ(grid_->columnWidth(2), 56);
  EXPECT_EQ(grid_->columnWidth(3), 56);
  EXPECT_EQ(grid_->horizontalHeader()->height(), 24);
  EXPECT_EQ(qt_.GridCurrentRow(), -1);
}

TEST_F(MainWindowTest, TheUserIdBoxTakesTypedDigitsAndMinusOnlyButAnyPastedText) {
  auto* userId = Find<QLineEdit>("编辑框2");
  userId->setFocus();
  QTest::keyClicks(userId, "abc12-3");
  EXPECT_EQ(userId->text(), "12-3");
  userId->clear();
  QApplication::clipboard()->setText("abc");
  QTest::keyClick(userId, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(userId->text(), "abc");

  auto* address = Find<QLineEdit>("编辑框1");
  QTest::keyClicks(address, "http://x/play?s=a");
  EXPECT_EQ(address->text(), "http://x/play?s=a");
}

TEST_F(MainWindowTest, ListsAndSavesWhileTheWindowKeepsHandlingEvents) {
  service_.PutUser("9", Gbk("九的主页"), 16, 16);
  service_.PutSong("9-2", Gbk("第二首 "), service_.Address("/audio"));
  service_.Put("/audio", {.body = "M4A"});

  // A timer that ticks through the listing: the window handles events all along, and the
  // buttons that would start another flow are disabled.
  int ticks = 0;
  bool refusedDuringListing = true;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    ++ticks;
    refusedDuringListing = refusedDuringListing && !Find<QPushButton>("查询")->isEnabled() &&
                           !Find<QPushButton>("解析并下载")->isEnabled();
  });
  ticker.start(20);
  QTest::keyClicks(Find<QLineEdit>("编辑框2"), "9");
  QTest::mouseClick(Find<QPushButton>("查询"), Qt::LeftButton);
  ticker.stop();
  EXPECT_GT(ticks, 40);  // the listing waits 1500 ms in its delays
  EXPECT_TRUE(refusedDuringListing);
  EXPECT_TRUE(Find<QPushButton>("查询")->isEnabled());
  EXPECT_EQ(qt_.Window()->windowTitle(), Utf8("九的主页"));
  EXPECT_EQ(grid_->rowCount(), 17);
  EXPECT_EQ(qt_.GridCellText(16, 0), "Song 16");

  // Select row 2 with a left press, then right-press row 5: row 2 is saved, row 5 selected.
  QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, CentreOf(2));
  EXPECT_EQ(qt_.GridCurrentRow(), 2);
  const QString target = QString::fromStdString((home_ / "Desktop" / "saved.m4a").string());
  QString proposedName, proposedFolder, messageTitle, messageText;
  WhenShown<QFileDialog>([&](QFileDialog* dialog) {
    EXPECT_EQ(dialog->objectName(), Utf8("通用对话框1"));
    proposedFolder = dialog->directory().absolutePath();
    proposedName = dialog->selectedFiles().value(0);
    // Typed into the name box as a user does: selectFile leaves the box alone once it has the
    // focus, which the dialog may give it before this runs.
    auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(name, nullptr);
    name->setText(target);
    WhenShown<QMessageBox>([&](QMessageBox* box) {
      messageTitle = box->windowTitle();
      messageText = box->text();
      box->accept();
    });
    static_cast<QDialog*>(dialog)->accept();
  });
  QTest::mousePress(grid_->viewport(), Qt::RightButton, {}, CentreOf(5));
  EXPECT_EQ(qt_.GridCurrentRow(), 2);
  QTest::mouseRelease(grid_->viewport(), Qt::RightButton, {}, CentreOf(5));
  EXPECT_EQ(qt_.GridCurrentRow(), 5);

  EXPECT_EQ(proposedFolder, QString::fromStdString((home_ / "Desktop").string()));
  EXPECT_TRUE(proposedName.endsWith(Utf8("/第二首 .m4a"))) << proposedName.toStdString();
  EXPECT_EQ(messageTitle, Utf8("信息："));
  EXPECT_EQ(messageText, Utf8("保存成功"));
  EXPECT_EQ(Read(home_ / "Desktop" / "saved.m4a"), "M4A");
}

}  // namespace
}  // namespace singrove
