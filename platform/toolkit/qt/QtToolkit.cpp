#include "platform/toolkit/qt/QtToolkit.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <limits>
#include <map>
#include <string>

#include "platform/toolkit/qt/QtGrid.h"
#include "platform/toolkit/qt/QtText.h"
#include "platform/toolkit/qt/UserIdKeyFilter.h"

namespace singrove {
namespace {

void MakeApplication() {
  if (QApplication::instance() != nullptr) return;
  static int argc = 1;
  static char name[] = "singrove-tool";
  static char* argv[] = {name, nullptr};
  // Kept for the whole process: widgets may outlive any one toolkit object.
  new QApplication(argc, argv);
  QFont font;
  font.setFamilies({"Microsoft YaHei", "SimSun", "Noto Sans CJK SC", "WenQuanYi Micro Hei"});
  font.setPointSize(9);
  QApplication::setFont(font);
}

QWidget* MakeControl(const ControlDescription& control, QWidget* container) {
  const QString text = ToQString(control.text);
  switch (control.kind) {
    case ControlKind::GroupBox:
      return new QGroupBox(text, container);
    case ControlKind::Label:
      return new QLabel(text, container);
    case ControlKind::EditBox: {
      auto* edit = new QLineEdit(text, container);
      edit->setMaxLength(std::numeric_limits<int>::max());
      if (control.centred) edit->setAlignment(Qt::AlignCenter);
      if (control.digitsAndMinusOnly) edit->installEventFilter(new UserIdKeyFilter(edit));
      return edit;
    }
    case ControlKind::Button: {
      auto* button = new QPushButton(text, container);
      const EventHandler handler = control.onClicked;
      if (handler != nullptr)
        QObject::connect(button, &QPushButton::clicked, [handler] { handler(); });
      return button;
    }
    case ControlKind::Grid:
      return new QtGrid(control, container);
    case ControlKind::SaveDialog:
      return nullptr;  // made when it is shown
  }
  return nullptr;
}

}  // namespace

QtToolkit::QtToolkit() {
  MakeApplication();
}

QtToolkit::~QtToolkit() = default;

void QtToolkit::LoadWindow(const WindowDescription& window) {
  window_ = std::make_unique<QWidget>();
  window_->setWindowTitle(ToQString(window.caption));
  window_->move(window.x, window.y);
  window_->setFixedSize(window.width, window.height);
  std::map<std::string, QWidget*, std::less<>> containers;
  for (const ControlDescription& control : window.controls) {
    const auto found = containers.find(control.container);
    QWidget* container = found == containers.end() ? window_.get() : found->second;
    if (control.kind == ControlKind::SaveDialog) {
      saveDialogName_ = QString::fromStdString(control.name);
    }
    QWidget* widget = MakeControl(control, container);
    if (widget == nullptr) continue;
    widget->setObjectName(QString::fromStdString(control.name));
    widget->setGeometry(control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::GroupBox) containers[control.name] = widget;
    if (control.kind == ControlKind::Grid) grid_ = static_cast<QtGrid*>(widget);
    if (control.kind == ControlKind::Button && control.onClicked != nullptr) {
      flowButtons_.emplace_back(static_cast<QPushButton*>(widget));
    }
  }
  if (window.onCreated != nullptr) window.onCreated();
  window_->show();
}

void QtToolkit::RunMessageLoop() {
  if (window_ != nullptr) QApplication::exec();
}

void QtToolkit::SetCaption(std::string_view caption) {
  if (window_ != nullptr) window_->setWindowTitle(ToQString(caption));
}

Text QtToolkit::ReadEditText(std::string_view editBoxName) {
  if (window_ == nullptr) return {};
  const auto* edit = window_->findChild<QLineEdit*>(
      QString::fromUtf8(editBoxName.data(), static_cast<qsizetype>(editBoxName.size())));
  return edit == nullptr ? Text() : FromQString(edit->text());
}

void QtToolkit::GridSetRowCount(int count) {
  if (grid_ != nullptr) grid_->SetRows(count);
}

int QtToolkit::GridRowCount() {
  return grid_ == nullptr ? 0 : grid_->rowCount();
}

void QtToolkit::GridAddRow() {
  if (grid_ != nullptr) grid_->insertRow(grid_->rowCount());
}

void QtToolkit::GridSetCellText(int row, int column, std::string_view text) {
  if (grid_ != nullptr) grid_->SetCellText(row, column, ToQString(text));
}

Text QtToolkit::GridCellText(int row, int column) {
  if (grid_ == nullptr) return {};
  const QTableWidgetItem* cell = grid_->item(row, column);
  return cell == nullptr ? Text() : FromQString(cell->text());
}

int QtToolkit::GridCurrentRow() {
  return grid_ == nullptr ? -1 : grid_->CurrentRow();
}

void QtToolkit::GridSetColumnWidth(int column, int pixels) {
  if (grid_ != nullptr) grid_->SetColumnWidth(column, pixels);
}

bool QtToolkit::ShowSaveDialog(std::string_view fileName, std::string_view filter,
                               std::string_view initialFolder, Text* chosenPath) {
  QFileDialog dialog(window_.get());
  dialog.setObjectName(saveDialogName_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setNameFilter(ToQString(filter));
  dialog.setDirectory(ToQString(initialFolder));
  dialog.selectFile(ToQString(fileName));
  if (dialog.exec() != QDialog::Accepted) return false;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return false;
  if (chosenPath != nullptr) *chosenPath = FromQString(chosen.front());
  return true;
}

void QtToolkit::ShowMessage(std::string_view text) {
  static const Text kTitle = Gbk("信息：");
  QMessageBox box(QMessageBox::NoIcon, ToQString(kTitle), ToQString(text), QMessageBox::Ok);
  box.exec();
}

void QtToolkit::ProcessPendingEvents() {
  // The flows ask for events after every item they read, hundreds of times for one list page,
  // and each handling repaints what changed since the last: the window would spend more time
  // painting than listing. Handling them at most every 10 ms keeps it as responsive to the eye.
  constexpr auto kEventInterval = std::chrono::milliseconds(10);
  const auto now = std::chrono::steady_clock::now();
  if (eventsHandled_ && now - *eventsHandled_ < kEventInterval) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  eventsHandled_ = std::chrono::steady_clock::now();
}

void QtToolkit::DelayWithEvents(int milliseconds) {
  if (milliseconds <= 0) return;
  // A local loop waits for events without spinning; it also ends when the application quits.
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void QtToolkit::SetBusy(bool busy) {
  for (const QPointer<QPushButton>& button : flowButtons_) {
    if (button != nullptr) button->setEnabled(!busy);
  }
  if (grid_ != nullptr) grid_->SetBusy(busy);
}

}  // namespace singrove
