#include "platform/toolkit/qt/QtGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace singrove {

QtGrid::QtGrid(const ControlDescription& description, QWidget* parent)
    : QTableWidget(parent),
      onLeftPress_(description.onLeftPress),
      onRightPress_(description.onRightPress),
      fixedRows_(std::max(description.grid.fixedRows, 0)) {
  const GridSettings& settings = description.grid;
  horizontalHeader()->hide();
  verticalHeader()->hide();
  horizontalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setMinimumSectionSize(0);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setDefaultSectionSize(settings.columnWidth);
  verticalHeader()->setDefaultSectionSize(settings.rowHeight);
  setColumnCount(std::max(settings.columns, 0));
  setRowCount(std::max(settings.rows, 1));
  for (int column = 0; column < columnCount(); ++column) MakeHeaderCell(column);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setWordWrap(false);
}

void QtGrid::MakeHeaderCell(int column) {
  for (int row = 0; row < std::min(fixedRows_, rowCount()); ++row) {
    auto* cell = item(row, column);
    if (cell == nullptr) {
      cell = new QTableWidgetItem();
      setItem(row, column, cell);
    }
    cell->setFlags(Qt::ItemIsEnabled);
    cell->setBackground(palette().button());
    cell->setForeground(palette().buttonText());
    cell->setTextAlignment(Qt::AlignCenter);
  }
}

void QtGrid::SetCellText(int row, int column, const QString& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  auto* cell = item(row, column);
  if (cell == nullptr) {
    setItem(row, column, new QTableWidgetItem(text));
  } else {
    cell->setText(text);
  }
}

int QtGrid::CurrentRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.front().row() < fixedRows_) return -1;
  return rows.front().row();
}

void QtGrid::SetRows(int count) {
  count = std::max(count, std::max(fixedRows_, 1));
  // Left alone, the view would move the selection to a remaining row.
  if (CurrentRow() >= count) selectionModel()->clear();
  setRowCount(count);
}

void QtGrid::SetColumnWidth(int column, int pixels) {
  if (column < 0 || column >= columnCount()) return;
  setColumnHidden(column, pixels <= 0);
  if (pixels > 0) setColumnWidth(column, pixels);
}

void QtGrid::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (busy_ || inHandler_) return;
  const int row = rowAt(static_cast<int>(event->position().y()));
  const bool dataRow = row >= fixedRows_;
  if (event->button() == Qt::LeftButton) {
    inHandler_ = true;
    releasedInHandler_ = false;
    if (onLeftPress_ != nullptr) onLeftPress_();
    inHandler_ = false;
    if (!dataRow) return;
    QTableWidget::mousePressEvent(event);
    if (releasedInHandler_) {
      QMouseEvent release(QEvent::MouseButtonRelease, event->position(), event->globalPosition(),
                          event->button(), Qt::NoButton, event->modifiers());
      QTableWidget::mouseReleaseEvent(&release);
    }
  } else if (event->button() == Qt::RightButton) {
    rightPressedRow_ = dataRow ? row : -1;
    inHandler_ = true;
    if (onRightPress_ != nullptr) onRightPress_();
    inHandler_ = false;
  }
}

void QtGrid::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::RightButton) {
    // The row is selected on release, also when the release came while the handler ran.
    if (rightPressedRow_ >= fixedRows_ && rightPressedRow_ < rowCount())
      selectRow(rightPressedRow_);
    rightPressedRow_ = -1;
    return;
  }
  if (event->button() != Qt::LeftButton) return;
  if (inHandler_) {
    releasedInHandler_ = true;
    return;
  }
  if (!busy_) QTableWidget::mouseReleaseEvent(event);
}

void QtGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a double click is a press like any other.
  mousePressEvent(event);
}

}  // namespace singrove
