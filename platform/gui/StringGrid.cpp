#include "platform/gui/StringGrid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

#include "platform/Errors.h"
#include "platform/gui/Colors.h"
#include "platform/gui/Cp936Edit.h"
#include "platform/gui/Dialogs.h"

namespace {

// The grid's initial shape, as the platform's string grid starts: 5 x 5 cells, one fixed row
// and one fixed column.
constexpr int kInitialColCount = 5;
constexpr int kInitialRowCount = 5;

[[noreturn]] void RaiseIndexError() { throw Exception("Grid index out of range"); }

}  // namespace

TStringGrid::TStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
  rowCount_ = kInitialRowCount;
  colCount_ = kInitialColCount;
  colWidths_.assign(colCount_, defaultColWidth_);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setAutoFillBackground(false);
  verticalScrollBar()->setSingleStep(1);
  UpdateScrollBars();
}

TStringGrid::~TStringGrid() = default;

QString TStringGrid::Cells(int col, int row) const {
  if (row < 0 || row >= RowCount() || col < 0 || col >= colCount_) return QString();
  if (row < static_cast<int>(rows_.size())) {
    const std::vector<QString>& texts = rows_[row];
    if (col < static_cast<int>(texts.size()) && !texts[col].isEmpty()) return texts[col];
  }
  return cellSource_ ? cellSource_(col, row) : QString();
}

void TStringGrid::SetCells(int col, int row, const QString& text) {
  CheckCell(col, row);
  // Nothing is stored for an empty text where none is held.
  const bool held = row < static_cast<int>(rows_.size()) &&
                    col < static_cast<int>(rows_[row].size());
  if (!held && text.isEmpty()) {
    viewport()->update(CellRect(col, row));
    return;
  }
  if (row >= static_cast<int>(rows_.size())) rows_.resize(row + 1);
  std::vector<QString>& texts = rows_[row];
  if (col >= static_cast<int>(texts.size())) texts.resize(col + 1);
  texts[col] = text;
  viewport()->update(CellRect(col, row));
}

void TStringGrid::SetCellSource(CellSource source) {
  cellSource_ = std::move(source);
  viewport()->update();
}

void TStringGrid::InvalidateCell(int col, int row) {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return;
  viewport()->update(CellRect(col, row));
}

void TStringGrid::SetColCount(int count) {
  count = std::max(count, 1);
  if (count <= fixedCols_) fixedCols_ = count - 1;
  if (IsEditing() && editCol_ >= count) CancelEdit();
  colCount_ = count;
  colWidths_.resize(count, defaultColWidth_);
  for (std::vector<QString>& texts : rows_) {
    if (static_cast<int>(texts.size()) > count) texts.resize(count);
  }
  col_ = std::clamp(col_, fixedCols_, count - 1);
  UpdateScrollBars();
  viewport()->update();
}

void TStringGrid::SetRowCount(int count) {
  count = std::max(count, 1);
  if (count <= fixedRows_) fixedRows_ = count - 1;
  if (IsEditing() && editRow_ >= count) CancelEdit();
  rowCount_ = count;
  if (static_cast<int>(rows_.size()) > count) rows_.resize(count);
  // Silent: a refill moves the selection without running OnClick.
  row_ = std::clamp(row_, fixedRows_, count - 1);
  UpdateScrollBars();
  viewport()->update();
}

void TStringGrid::SetFixedRows(int count) {
  if (count < 0 || count >= RowCount()) throw Exception("Fixed row count must be less than row count");
  fixedRows_ = count;
  row_ = std::max(row_, fixedRows_);
  UpdateScrollBars();
  viewport()->update();
}

void TStringGrid::SetFixedCols(int count) {
  if (count < 0 || count >= colCount_) {
    throw Exception("Fixed column count must be less than column count");
  }
  fixedCols_ = count;
  col_ = std::max(col_, fixedCols_);
  UpdateScrollBars();
  viewport()->update();
}

void TStringGrid::SetDefaultRowHeight(int height) {
  rowHeight_ = std::max(height, 1);
  UpdateScrollBars();
  viewport()->update();
}

void TStringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(width, 0);
  colWidths_.assign(colCount_, defaultColWidth_);
  UpdateScrollBars();
  viewport()->update();
}

int TStringGrid::ColWidths(int col) const {
  if (col < 0 || col >= colCount_) RaiseIndexError();
  return colWidths_[col];
}

void TStringGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= colCount_) RaiseIndexError();
  colWidths_[col] = std::max(width, 0);
  UpdateScrollBars();
  viewport()->update();
}

void TStringGrid::SetRow(int row) {
  if (row < fixedRows_ || row >= RowCount()) RaiseIndexError();
  MoveCurrent(col_, row, false);
}

void TStringGrid::SetCol(int col) {
  if (col < fixedCols_ || col >= colCount_) RaiseIndexError();
  MoveCurrent(col, row_, false);
}

int TStringGrid::TopRow() const { return fixedRows_ + verticalScrollBar()->value(); }

void TStringGrid::SetRowSelect(bool rowSelect) {
  rowSelect_ = rowSelect;
  viewport()->update();
}

void TStringGrid::SetEditable(bool editable) {
  editable_ = editable;
  if (!editable && IsEditing()) CommitEdit();
}

void TStringGrid::SetEditorMaxBytes(int maxBytes) {
  editorMaxBytes_ = maxBytes;
  if (editor_) editor_->SetMaxBytes(maxBytes);
}

bool TStringGrid::IsEditing() const { return editor_ && editor_->isVisible(); }

QRect TStringGrid::CellRect(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) return QRect();
  int y = row * RowPitch();
  if (row >= fixedRows_) {
    if (row < TopRow()) return QRect();
    y = FixedHeight() + (row - TopRow()) * RowPitch();
  }
  int x = ColumnLeft(col);
  if (col >= fixedCols_) x -= horizontalScrollBar()->value();
  return QRect(x, y, colWidths_[col], rowHeight_);
}

bool TStringGrid::CellAt(const QPoint& position, int& col, int& row) const {
  const int pitch = RowPitch();
  if (position.y() < 0) return false;
  row = position.y() < FixedHeight() ? position.y() / pitch
                                     : TopRow() + (position.y() - FixedHeight()) / pitch;
  if (row >= RowCount()) return false;
  const int contentX = position.x() < FixedWidth()
                           ? position.x()
                           : position.x() + horizontalScrollBar()->value();
  if (contentX < 0) return false;
  for (col = 0; col < colCount_; ++col) {
    const int left = ColumnLeft(col);
    if (contentX >= left && contentX < left + colWidths_[col] + kGridLineWidth) return true;
  }
  return false;
}

QSize TStringGrid::sizeHint() const {
  const int width = ColumnLeft(colCount_) + 2 * frameWidth();
  const int height = std::min(RowCount(), kInitialRowCount) * RowPitch() + 2 * frameWidth();
  return QSize(width, height);
}

int TStringGrid::FixedWidth() const { return ColumnLeft(fixedCols_); }

int TStringGrid::ColumnLeft(int col) const {
  int left = 0;
  for (int c = 0; c < col && c < colCount_; ++c) left += colWidths_[c] + kGridLineWidth;
  return left;
}

int TStringGrid::ScrollableWidth() const { return ColumnLeft(colCount_) - FixedWidth(); }

int TStringGrid::VisibleScrollingRows() const {
  return std::max(1, (viewport()->height() - FixedHeight()) / RowPitch());
}

void TStringGrid::CheckCell(int col, int row) const {
  if (col < 0 || col >= colCount_ || row < 0 || row >= RowCount()) RaiseIndexError();
}

void TStringGrid::UpdateScrollBars() {
  const int scrollingRows = RowCount() - fixedRows_;
  const int visibleRows = VisibleScrollingRows();
  QScrollBar* vertical = verticalScrollBar();
  vertical->setRange(0, std::max(0, scrollingRows - visibleRows));
  vertical->setPageStep(visibleRows);
  const int visibleWidth = std::max(0, viewport()->width() - FixedWidth());
  QScrollBar* horizontal = horizontalScrollBar();
  horizontal->setRange(0, std::max(0, ScrollableWidth() - visibleWidth));
  horizontal->setPageStep(std::max(1, visibleWidth));
  horizontal->setSingleStep(defaultColWidth_ > 0 ? defaultColWidth_ : kDefaultColWidth);
}

void TStringGrid::EnsureCurrentVisible() {
  QScrollBar* vertical = verticalScrollBar();
  const int offset = row_ - fixedRows_;
  if (offset < vertical->value()) {
    vertical->setValue(offset);
  } else if (offset >= vertical->value() + VisibleScrollingRows()) {
    vertical->setValue(offset - VisibleScrollingRows() + 1);
  }
  if (col_ < fixedCols_) return;
  QScrollBar* horizontal = horizontalScrollBar();
  const int left = ColumnLeft(col_) - FixedWidth();
  const int right = left + colWidths_[col_];
  const int visibleWidth = viewport()->width() - FixedWidth();
  if (left < horizontal->value()) {
    horizontal->setValue(left);
  } else if (right > horizontal->value() + visibleWidth) {
    horizontal->setValue(std::min(left, right - visibleWidth));
  }
}

void TStringGrid::MoveCurrent(int col, int row, bool alwaysClick) {
  if (IsEditing()) CommitEdit();
  const bool changed = col != col_ || row != row_;
  if (changed) {
    col_ = col;
    row_ = row;
    EnsureCurrentVisible();
    viewport()->update();
  }
  if (changed || alwaysClick) RunClick();
}

void TStringGrid::RunClick() {
  if (OnClick) RunGuarded(OnClick);
}

void TStringGrid::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), ToQColor(clWindow));
  const int height = viewport()->height();
  const int width = viewport()->width();
  std::vector<int> rowsInView;
  for (int r = 0; r < fixedRows_ && r * RowPitch() < height; ++r) rowsInView.push_back(r);
  for (int r = TopRow(), y = FixedHeight(); r < RowCount() && y < height; ++r, y += RowPitch()) {
    rowsInView.push_back(r);
  }
  for (int row : rowsInView) {
    for (int col = 0; col < colCount_; ++col) {
      const QRect rect = CellRect(col, row);
      if (rect.left() >= width) break;
      const bool scrolling = col >= fixedCols_;
      // Scrolled columns never paint over the fixed ones.
      if (scrolling && rect.right() + kGridLineWidth < FixedWidth()) continue;
      painter.save();
      QRect clip = rect.adjusted(0, 0, kGridLineWidth, kGridLineWidth);
      if (scrolling) clip.setLeft(std::max(clip.left(), FixedWidth()));
      painter.setClipRect(clip);
      PaintCell(painter, col, row, rect);
      painter.restore();
    }
  }
}

void TStringGrid::PaintCell(QPainter& painter, int col, int row, const QRect& rect) {
  TGridDrawState state;
  state.Fixed = row < fixedRows_ || col < fixedCols_;
  state.Selected = !state.Fixed && row == row_ && (rowSelect_ || col == col_);
  state.Focused = hasFocus() && row == row_ && col == col_;
  const TColor brush = state.Fixed ? clBtnFace : state.Selected ? clHighlight : clWindow;
  const TColor text = state.Fixed ? clBtnText : state.Selected ? clHighlightText : clWindowText;
  painter.setBrush(ToQColor(brush));
  painter.setPen(ToQColor(text));
  painter.setFont(font());
  PaintGridLines(painter, rect);
  painter.setClipRect(rect, Qt::IntersectClip);
  if (OnDrawCell && !drawHandlerFailed_) {
    try {
      OnDrawCell(col, row, rect, painter, state);
      return;
    } catch (...) {
      // No box inside a paint event: report after it, once, and draw by default from now on.
      drawHandlerFailed_ = true;
      const QString text = ExceptionText(std::current_exception());
      QMetaObject::invokeMethod(this, [text] { ShowErrorBox(text); }, Qt::QueuedConnection);
    }
  }
  DefaultDrawCell(painter, col, row, rect);
}

void TStringGrid::DefaultDrawCell(QPainter& painter, int col, int row, const QRect& rect) const {
  painter.fillRect(rect, painter.brush());
  painter.drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0), Qt::AlignLeft | Qt::AlignVCenter,
                   Cells(col, row));
}

void TStringGrid::PaintGridLines(QPainter& painter, const QRect& rect) const {
  const QColor line = ToQColor(clGray);
  painter.fillRect(QRect(rect.right() + 1, rect.top(), kGridLineWidth, rect.height() + 1), line);
  painter.fillRect(QRect(rect.left(), rect.bottom() + 1, rect.width() + 1, kGridLineWidth), line);
}

void TStringGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  UpdateScrollBars();
  if (IsEditing()) editor_->setGeometry(CellRect(editCol_, editRow_));
}

void TStringGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  int col = 0;
  int row = 0;
  if (!CellAt(event->position().toPoint(), col, row)) return;
  if (row < fixedRows_ || col < fixedCols_) return;
  MoveCurrent(col, row, true);
}

void TStringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  int col = 0;
  int row = 0;
  if (event->button() != Qt::LeftButton || !CellAt(event->position().toPoint(), col, row)) return;
  if (OnDblClick) RunGuarded(OnDblClick);
  if (editable_ && row == row_ && col == col_ && row >= fixedRows_ && col >= fixedCols_) {
    StartEdit(nullptr);
  }
}

void TStringGrid::keyPressEvent(QKeyEvent* event) {
  if (MoveByKey(event->key())) return;
  if (editable_ && (event->key() == Qt::Key_F2 || event->key() == Qt::Key_Return ||
                    event->key() == Qt::Key_Enter)) {
    StartEdit(nullptr);
    return;
  }
  const QString typed = event->text();
  if (editable_ && !typed.isEmpty() && typed.at(0).isPrint()) {
    StartEdit(&typed);
    return;
  }
  QAbstractScrollArea::keyPressEvent(event);
}

bool TStringGrid::MoveByKey(int key) {
  if (rowSelect_ && ScrollColumnsByKey(key)) return true;
  int col = col_;
  int row = row_;
  switch (key) {
    case Qt::Key_Up:
      row = std::max(fixedRows_, row - 1);
      break;
    case Qt::Key_Down:
      row = std::min(RowCount() - 1, row + 1);
      break;
    case Qt::Key_PageUp:
      row = std::max(fixedRows_, row - VisibleScrollingRows());
      break;
    case Qt::Key_PageDown:
      row = std::min(RowCount() - 1, row + VisibleScrollingRows());
      break;
    case Qt::Key_Left:
      col = std::max(fixedCols_, col - 1);
      break;
    case Qt::Key_Right:
      col = std::min(colCount_ - 1, col + 1);
      break;
    case Qt::Key_Home:
      col = fixedCols_;
      break;
    case Qt::Key_End:
      col = colCount_ - 1;
      break;
    default:
      return false;
  }
  if (row >= fixedRows_ && col >= fixedCols_) MoveCurrent(col, row, false);
  return true;
}

bool TStringGrid::ScrollColumnsByKey(int key) {
  QScrollBar* horizontal = horizontalScrollBar();
  switch (key) {
    case Qt::Key_Left:
      horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
      return true;
    case Qt::Key_Right:
      horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
      return true;
    case Qt::Key_Home:
      horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
      return true;
    case Qt::Key_End:
      horizontal->triggerAction(QAbstractSlider::SliderToMaximum);
      return true;
    default:
      return false;
  }
}

void TStringGrid::scrollContentsBy(int /*dx*/, int /*dy*/) {
  if (IsEditing()) CommitEdit();
  viewport()->update();
}

bool TStringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched == editor_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
      CancelEdit();
      return true;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      CommitEdit();
      return true;
    }
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      CommitEdit();
      MoveByKey(key);
      return true;
    }
  }
  if (watched == editor_ && event->type() == QEvent::FocusOut && IsEditing()) CommitEdit();
  return QAbstractScrollArea::eventFilter(watched, event);
}

void TStringGrid::StartEdit(const QString* typed) {
  if (row_ < fixedRows_ || col_ < fixedCols_) return;
  if (!editor_) {
    editor_ = new TCp936Edit(viewport());
    editor_->SetMaxBytes(editorMaxBytes_);
    editor_->setFrame(false);
    editor_->installEventFilter(this);
  }
  editCol_ = col_;
  editRow_ = row_;
  EnsureCurrentVisible();
  editor_->setText(Cells(col_, row_));
  if (typed && TCp936Edit::Acceptable(*typed, editorMaxBytes_)) editor_->setText(*typed);
  editor_->setGeometry(CellRect(col_, row_));
  editor_->show();
  editor_->setFocus();
  if (!typed) editor_->selectAll();
}

void TStringGrid::CommitEdit() {
  if (!IsEditing()) return;
  const QString text = editor_->text();
  HideEditor();
  if (editRow_ < RowCount() && editCol_ < colCount_) SetCells(editCol_, editRow_, text);
}

void TStringGrid::CancelEdit() {
  if (IsEditing()) HideEditor();
}

void TStringGrid::HideEditor() {
  // Focus comes back to the grid only when the editor had it; a click elsewhere keeps its focus.
  const bool hadFocus = editor_->hasFocus();
  editor_->hide();
  if (hadFocus) setFocus();
}
