#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit/Toolkit.h"

namespace singrove {

// What the program asked of a save dialog.
struct SaveDialogRequest {
  Text fileName;
  Text filter;
  Text initialFolder;
};

// Options of the headless toolkit.
struct HeadlessOptions {
  // False: DelayWithEvents handles pending events once and returns without waiting (the delays
  // asked for are still recorded).
  bool realDelays = true;
};

// A toolkit without a window: the grid is an in-memory table with a current row, the captions set
// are recorded, and the save dialog and the message box are answered by whoever drives it (a test
// or the command line). Its user actions (Click, PressGrid, SetEditText) follow the window's rules:
// a grid press runs the handler before the grid selects the row, and while busy the controls that
// start a flow refuse the action.
class HeadlessToolkit final : public Toolkit {
 public:
  explicit HeadlessToolkit(HeadlessOptions options = {});

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
  void ProcessPendingEvents() override;
  void DelayWithEvents(int milliseconds) override;
  void SetBusy(bool busy) override;

  // What the user does. Each returns false when the action was refused or names nothing.
  // Sets the text of an edit box, as pasting does (no key filter applies).
  bool SetEditText(std::string_view editBoxName, std::string_view text);
  // Clicks the named button: runs its handler unless busy.
  bool Click(std::string_view buttonName);
  // A left or right press on a grid row (-1: below the last row): the handler runs first, then
  // the pressed data row is selected (a right press selects it on release, which follows at once).
  enum class Button { Left, Right };
  bool PressGrid(int row, Button button);
  // Selects a data row, or clears the selection with -1.
  void SelectRow(int row);

  // Answers every save dialog: the chosen full path, or nullopt to cancel. Unanswered dialogs
  // are cancelled.
  void AnswerSaveDialog(std::function<std::optional<Text>(const SaveDialogRequest&)> answer);
  // Runs whenever pending events are processed: the events a user makes while a flow waits.
  // It is not run again while it runs.
  void WhilePendingEvents(std::function<void()> events);
  // Runs as the message loop: the command line drives the flows from here.
  void SetMessageLoop(std::function<void()> loop);

  // What the window shows and what was asked of it.
  const Text& Caption() const { return caption_; }
  const std::vector<Text>& Captions() const { return captions_; }
  const std::vector<Text>& Messages() const { return messages_; }
  const std::vector<SaveDialogRequest>& SaveDialogs() const { return saveDialogs_; }
  const std::vector<int>& Delays() const { return delays_; }
  int ColumnWidth(int column) const;
  bool Busy() const { return busy_; }
  bool Loaded() const { return loaded_; }

 private:
  const ControlDescription* FindControl(std::string_view name, ControlKind kind) const;

  HeadlessOptions options_;
  WindowDescription window_;
  bool loaded_ = false;
  Text caption_;
  std::vector<Text> captions_;
  std::map<std::string, Text, std::less<>> editTexts_;
  int columns_ = 0;
  int defaultColumnWidth_ = 0;
  std::vector<std::vector<Text>> rows_;
  std::vector<int> columnWidths_;
  int currentRow_ = -1;
  std::vector<Text> messages_;
  std::vector<SaveDialogRequest> saveDialogs_;
  std::vector<int> delays_;
  bool busy_ = false;
  bool inPendingEvents_ = false;
  std::function<std::optional<Text>(const SaveDialogRequest&)> saveDialogAnswer_;
  std::function<void()> pendingEvents_;
  std::function<void()> messageLoop_;
};

}  // namespace singrove
