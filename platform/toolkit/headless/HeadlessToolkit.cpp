#include "platform/toolkit/headless/HeadlessToolkit.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

namespace singrove {
namespace {

// The longest sleep between two rounds of event processing during a delay.
constexpr std::chrono::milliseconds kDelaySlice{10};

bool Inside(int index, std::size_t size) {
  return index >= 0 && static_cast<std::size_t>(index) < size;
}

}  // namespace

HeadlessToolkit::HeadlessToolkit(HeadlessOptions options) : options_(options) {}

void HeadlessToolkit::LoadWindow(const WindowDescription& window) {
  window_ = window;
  caption_ = window.caption;
  for (const ControlDescription& control : window_.controls) {
    if (control.kind == ControlKind::EditBox) editTexts_[control.name] = control.text;
    if (control.kind == ControlKind::Grid) {
      columns_ = std::max(control.grid.columns, 0);
      defaultColumnWidth_ = control.grid.columnWidth;
      rows_.assign(static_cast<std::size_t>(std::max(control.grid.rows, 1)),
                   std::vector<Text>(static_cast<std::size_t>(columns_)));
      columnWidths_.assign(static_cast<std::size_t>(columns_), defaultColumnWidth_);
    }
  }
  loaded_ = true;
  if (window_.onCreated != nullptr) window_.onCreated();
}

void HeadlessToolkit::RunMessageLoop() {
  if (messageLoop_) messageLoop_();
}

void HeadlessToolkit::SetCaption(std::string_view caption) {
  caption_ = Text(caption);
  captions_.push_back(caption_);
}

Text HeadlessToolkit::ReadEditText(std::string_view editBoxName) {
  const auto found = editTexts_.find(editBoxName);
  return found == editTexts_.end() ? Text() : found->second;
}

void HeadlessToolkit::GridSetRowCount(int count) {
  rows_.resize(static_cast<std::size_t>(std::max(count, 1)),
               std::vector<Text>(static_cast<std::size_t>(columns_)));
  if (!Inside(currentRow_, rows_.size())) currentRow_ = -1;
}

int HeadlessToolkit::GridRowCount() {
  return static_cast<int>(rows_.size());
}

void HeadlessToolkit::GridAddRow() {
  rows_.emplace_back(static_cast<std::size_t>(columns_));
}

void HeadlessToolkit::GridSetCellText(int row, int column, std::string_view text) {
  if (!Inside(row, rows_.size()) || !Inside(column, static_cast<std::size_t>(columns_))) return;
  rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = Text(text);
}

Text HeadlessToolkit::GridCellText(int row, int column) {
  if (!Inside(row, rows_.size()) || !Inside(column, static_cast<std::size_t>(columns_))) return {};
  return rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
}

int HeadlessToolkit::GridCurrentRow() {
  return currentRow_;
}

void HeadlessToolkit::GridSetColumnWidth(int column, int pixels) {
  if (!Inside(column, columnWidths_.size())) return;
  columnWidths_[static_cast<std::size_t>(column)] = std::max(pixels, 0);
}

int HeadlessToolkit::ColumnWidth(int column) const {
  return Inside(column, columnWidths_.size()) ? columnWidths_[static_cast<std::size_t>(column)]
                                              : -1;
}

bool HeadlessToolkit::ShowSaveDialog(std::string_view fileName, std::string_view filter,
                                     std::string_view initialFolder, Text* chosenPath) {
  saveDialogs_.push_back({Text(fileName), Text(filter), Text(initialFolder)});
  if (!saveDialogAnswer_) return false;
  std::optional<Text> answer = saveDialogAnswer_(saveDialogs_.back());
  if (!answer) return false;
  if (chosenPath != nullptr) *chosenPath = std::move(*answer);
  return true;
}

void HeadlessToolkit::ShowMessage(std::string_view text) {
  messages_.emplace_back(text);
}

void HeadlessToolkit::ProcessPendingEvents() {
  if (!pendingEvents_ || inPendingEvents_) return;
  inPendingEvents_ = true;
  pendingEvents_();
  inPendingEvents_ = false;
}

void HeadlessToolkit::DelayWithEvents(int milliseconds) {
  if (milliseconds <= 0) return;
  delays_.push_back(milliseconds);
  if (!options_.realDelays) {
    ProcessPendingEvents();
    return;
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point end = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
    ProcessPendingEvents();
    std::this_thread::sleep_for(std::min<Clock::duration>(end - now, kDelaySlice));
  }
}

void HeadlessToolkit::SetBusy(bool busy) {
  busy_ = busy;
}

bool HeadlessToolkit::SetEditText(std::string_view editBoxName, std::string_view text) {
  const auto found = editTexts_.find(editBoxName);
  if (found == editTexts_.end()) return false;
  found->second = Text(text);
  return true;
}

bool HeadlessToolkit::Click(std::string_view buttonName) {
  const ControlDescription* button = FindControl(buttonName, ControlKind::Button);
  if (button == nullptr || busy_) return false;
  if (button->onClicked != nullptr) button->onClicked();
  return true;
}

bool HeadlessToolkit::PressGrid(int row, Button button) {
  const ControlDescription* grid = nullptr;
  for (const ControlDescription& control : window_.controls) {
    if (control.kind == ControlKind::Grid) grid = &control;
  }
  if (grid == nullptr || busy_) return false;
  const EventHandler handler = button == Button::Left ? grid->onLeftPress : grid->onRightPress;
  if (handler != nullptr) handler();
  if (row >= 1 && Inside(row, rows_.size())) currentRow_ = row;
  return true;
}

void HeadlessToolkit::SelectRow(int row) {
  currentRow_ = row >= 1 && Inside(row, rows_.size()) ? row : -1;
}

void HeadlessToolkit::AnswerSaveDialog(
    std::function<std::optional<Text>(const SaveDialogRequest&)> answer) {
  saveDialogAnswer_ = std::move(answer);
}

void HeadlessToolkit::WhilePendingEvents(std::function<void()> events) {
  pendingEvents_ = std::move(events);
}

void HeadlessToolkit::SetMessageLoop(std::function<void()> loop) {
  messageLoop_ = std::move(loop);
}

const ControlDescription* HeadlessToolkit::FindControl(std::string_view name,
                                                       ControlKind kind) const {
  for (const ControlDescription& control : window_.controls) {
    if (control.kind == kind && control.name == name) return &control;
  }
  return nullptr;
}

}  // namespace singrove
