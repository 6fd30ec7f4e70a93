#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/toolkit/Toolkit.h"

class QPushButton;

namespace singrove {

class QtGrid;

// The toolkit on Qt 6 Widgets. Constructing it makes sure the application object exists (one per
// process, kept until the process ends). Every control gets its description's name as its Qt
// object name.
class QtToolkit final : public Toolkit {
 public:
  QtToolkit();
  ~QtToolkit() override;
  QtToolkit(const QtToolkit&) = delete;
  QtToolkit& operator=(const QtToolkit&) = delete;

  void LoadWindow(const WindowDescription& window) override;
  void RunMessageLoop() override;
  void SetCaption(std::string_view caption) override;
  Text ReadEditText(std::string_view editBoxName) override;
  void GridSetRowCount(int count) override;
  int GridRowCount() override;
  void GridAddRow() override;
  void GridSetCellText(int row, int column, std::string_view text) override;
  Text GridCellText(int row, int column) override;
  int GridCurrentRow() override;
  void GridSetColumnWidth(int column, int pixels) override;
  bool ShowSaveDialog(std::string_view fileName, std::string_view filter,
                      std::string_view initialFolder, Text* chosenPath) override;
  void ShowMessage(std::string_view text) override;
  // Handles the queued events, unless it handled them less than 10 ms ago.
  void ProcessPendingEvents() override;
  void DelayWithEvents(int milliseconds) override;
  void SetBusy(bool busy) override;

  // The main window; null before LoadWindow.
  QWidget* Window() const { return window_.get(); }

 private:
  std::unique_ptr<QWidget> window_;
  QPointer<QtGrid> grid_;
  QString saveDialogName_;
  std::vector<QPointer<QPushButton>> flowButtons_;
  std::optional<std::chrono::steady_clock::time_point> eventsHandled_;  // by ProcessPendingEvents
};

}  // namespace singrove
