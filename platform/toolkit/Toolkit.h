#pragma once

#include <string_view>

#include "platform/toolkit/WindowDescription.h"
#include "text/Text.h"

namespace singrove {

// The window toolkit as the program uses it: one main window loaded from its description, the
// operations the flows call on it, and event processing. All texts are GBK; control names are the
// UTF-8 names of the description. Every call comes from the user-interface thread.
//
// The grid has a header row 0 and data rows from 1 on. A selected cell selects its whole row.
class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // Creates the window and all its controls, then delivers the created event.
  virtual void LoadWindow(const WindowDescription& window) = 0;
  // Handles events until the main window is closed.
  virtual void RunMessageLoop() = 0;

  // The main window's caption becomes caption.
  virtual void SetCaption(std::string_view caption) = 0;
  // The current text of the edit box of that name; "" when there is none.
  virtual Text ReadEditText(std::string_view editBoxName) = 0;

  // Keeps the first count rows (at least the header row); a selection in a removed row is cleared.
  virtual void GridSetRowCount(int count) = 0;
  // The number of rows, header included.
  virtual int GridRowCount() = 0;
  // Appends one empty row after the last.
  virtual void GridAddRow() = 0;
  // The cell shows text unchanged; a cell outside the grid is ignored.
  virtual void GridSetCellText(int row, int column, std::string_view text) = 0;
  // The cell's text; "" outside the grid.
  virtual Text GridCellText(int row, int column) = 0;
  // The row of the selected cell, -1 when none is selected; never the header row.
  virtual int GridCurrentRow() = 0;
  // Width 0 hides the column; a column outside the grid is ignored.
  virtual void GridSetColumnWidth(int column, int pixels) = 0;

  // A modal save dialog proposing fileName in initialFolder with the filter text; true when the
  // user confirms, and then *chosenPath holds the full path chosen.
  virtual bool ShowSaveDialog(std::string_view fileName, std::string_view filter,
                              std::string_view initialFolder, Text* chosenPath) = 0;
  // A modal box showing text with the title "信息：" and one OK button, no icon, no owner.
  virtual void ShowMessage(std::string_view text) = 0;

  // Handles the events already queued and returns without waiting.
  virtual void ProcessPendingEvents() = 0;
  // Handles events as they come until milliseconds have passed; 0 or less returns at once.
  virtual void DelayWithEvents(int milliseconds) = 0;

  // While busy, the controls that start a flow (buttons and grid presses) refuse user input;
  // typing into edit boxes still works.
  virtual void SetBusy(bool busy) = 0;
};

// Makes toolkit the one the program's operations use and routes ProcessPendingEvents of the event
// hook to it; null removes it. The toolkit must outlive its use.
void UseToolkit(Toolkit* toolkit);

// The toolkit in use; null before UseToolkit.
Toolkit* ActiveToolkit();

}  // namespace singrove
