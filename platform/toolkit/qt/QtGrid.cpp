#include "platform/toolkit/qt/QtGrid.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>

namespace singrove {
namespace {

constexpr int kHeaderRow = 0;

}  // namespace

QtGrid::QtGrid(const ControlDescription& description, QWidget* parent)
    : QTableWidget(parent),
      onLeftPress_(description.onLeftPress),
      onRightPress_(description.onRightPress) {
  const GridSettings& settings = description.grid;
  QHeaderView* header = horizontalHeader();
  header->setMinimumSectionSize(0);
  header->setSectionResizeMode(QHeaderView::Fixed);
  header->setDefaultSectionSize(settings.columnWidth);
  header->setFixedHeight(settings.rowHeight);
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setDefaultAlignment(Qt::AlignCenter);
  header->viewport()->installEventFilter(this);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(0);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(settings.rowHeight);
  setColumnCount(std::max(settings.columns, 0));
  setRowCount(std::max(settings.rows, 1));
  for (int column = 0; column < columnCount(); ++column) {
    auto* cell = new QTableWidgetItem();
    cell->setFlags(Qt::NoItemFlags);
    setItem(kHeaderRow, column, cell);
    setHorizontalHeaderItem(column, new QTableWidgetItem());
  }
  setRowHidden(kHeaderRow, true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(true);
  setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  setWordWrap(false);
}

void QtGrid::SetCellText(int row, int column, const QString& text) {
  if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return;
  if (row == kHeaderRow) horizontalHeaderItem(column)->setText(text);
  auto* cell = item(row, column);
  if (cell == nullptr) {
    setItem(row, column, new QTableWidgetItem(text));
  } else {
    cell->setText(text);
  }
}

int QtGrid::CurrentRow() const {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.front().row() == kHeaderRow) return -1;
  return rows.front().row();
}

void QtGrid::SetRows(int count) {
  count = std::max(count, kHeaderRow + 1);
  // Left alone, the view would move the selection to a remaining row.
  if (CurrentRow() >= count) selectionModel()->clear();
  setRowCount(count);
}

void QtGrid::SetColumnWidth(int column, int pixels) {
  if (column < 0 || column >= columnCount()) return;
  setColumnHidden(column, pixels <= 0);
  if (pixels > 0) setColumnWidth(column, pixels);
}

void QtGrid::Press(QMouseEvent* event, int row) {
  event->accept();
  if (busy_ || inHandler_) return;
  const bool dataRow = row > kHeaderRow;
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

void QtGrid::mousePressEvent(QMouseEvent* event) {
  Press(event, rowAt(static_cast<int>(event->position().y())));
}

void QtGrid::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::RightButton) {
    // The row is selected on release, also when the release came while the handler ran.
    if (rightPressedRow_ > kHeaderRow && rightPressedRow_ < rowCount()) selectRow(rightPressedRow_);
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

bool QtGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        Press(static_cast<QMouseEvent*>(event), kHeaderRow);
        return true;
      case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) rightPressedRow_ = -1;
        return true;
      default:
        break;
    }
  }
  return QTableWidget::eventFilter(watched, event);
}

}  // namespace singrove
