#pragma once

#include <QTableWidget>

#include "platform/toolkit/WindowDescription.h"

namespace singrove {

// The grid control. Row 0 is a real row of the table that serves as the fixed header: it cannot
// be selected. A press delivers its handler first; afterwards a left press selects the pressed
// data row as usual, while a right press selects it when the button is released. While busy every
// press is refused.
class QtGrid final : public QTableWidget {
 public:
  QtGrid(const ControlDescription& description, QWidget* parent);

  // Sets the text of a cell; row 0 keeps the look of a header cell.
  void SetCellText(int row, int column, const QString& text);
  // The selected data row, or -1.
  int CurrentRow() const;
  // Keeps count rows, at least the header.
  void SetRows(int count);
  // Width 0 hides the column.
  void SetColumnWidth(int column, int pixels);
  void SetBusy(bool busy) { busy_ = busy; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void MakeHeaderCell(int column);

  EventHandler onLeftPress_ = nullptr;
  EventHandler onRightPress_ = nullptr;
  int fixedRows_ = 0;
  bool busy_ = false;
  bool inHandler_ = false;
  bool releasedInHandler_ = false;
  int rightPressedRow_ = -1;
};

}  // namespace singrove
