#pragma once

#include <QTableWidget>

#include "platform/toolkit/WindowDescription.h"

namespace singrove {

// The grid control. Row 0 is a real row of the table holding the header texts; it is never shown
// among the data rows nor selected, and the fixed header above the rows, which does not scroll
// away, shows its texts. A press delivers its handler first; afterwards a left press selects the
// pressed data row as usual, while a right press selects it when the button is released. While
// busy every press is refused.
class QtGrid final : public QTableWidget {
 public:
  QtGrid(const ControlDescription& description, QWidget* parent);

  // Sets the text of a cell; in row 0 the fixed header shows it.
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
  // Presses on the fixed header are presses on the grid.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs the press handler; for a data row a left press then selects it, a right press on release.
  void Press(QMouseEvent* event, int row);

  EventHandler onLeftPress_ = nullptr;
  EventHandler onRightPress_ = nullptr;
  bool busy_ = false;
  bool inHandler_ = false;
  bool releasedInHandler_ = false;
  int rightPressedRow_ = -1;
};

}  // namespace singrove
