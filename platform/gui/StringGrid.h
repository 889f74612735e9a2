#pragma once
// TStringGrid: a grid of text cells with the row model the station's code is written against.
//
// Cells(col, row) addresses every row, the fixed ones included: with FixedRows = 1, row 0 is the
// header row, drawn in the fixed style and kept in view while the other rows scroll. Rows have
// one height (DefaultRowHeight); columns have their own widths. Only the rows and columns in view
// are painted, so a grid of many thousands of rows costs no more to paint than a short one.
//
// Selection rules:
//  - The current cell (Col, Row) is never a fixed cell.
//  - Setting Row (or Col) from code to another cell runs OnClick, as the operator's click does;
//    setting it to the current one does nothing. A click on a cell always runs OnClick; a click on
//    a fixed cell selects nothing. Keyboard moves to another cell run OnClick. In a row-select
//    grid, where the whole row is the selection, Left, Right, Home and End scroll the columns
//    and leave the current cell (and OnClick) alone.
//  - Lowering RowCount below the current row moves the selection to the last remaining row
//    without running OnClick; so refilling a grid (RowCount := 2, then growing) leaves row 1
//    selected silently.
//  - RowCount grows with empty rows and shrinking drops the rows beyond it with their texts.
//
// Texts: the grid holds the texts set with SetCells, and only those: rows without a text cost
// nothing. A grid given a cell source (SetCellSource) shows the source's text in every cell that
// holds no text of its own (none, or an empty one), asking for it each time the cell is drawn
// or read; so a grid of a hundred thousand rows kept elsewhere holds none of their texts. Its
// owner tells it of a changed source text with InvalidateCell (a new row count repaints all).
//
// Index faults are reported, not ignored: writing a cell outside the grid, or selecting a fixed
// or missing row or column, raises Exception("Grid index out of range"). Reading a cell outside
// the grid gives the empty text.
//
// Handlers (OnClick, OnDblClick) run under the error guard. A drawing handler that throws is
// reported once and replaced by the default drawing, so a faulty handler cannot flood the screen
// with error boxes from every repaint. GUI thread only.

#include <QAbstractScrollArea>
#include <QString>

#include <functional>
#include <vector>

class QPainter;
class TCp936Edit;

struct TGridDrawState {
  bool Selected = false;
  bool Focused = false;
  bool Fixed = false;
};

// The text of a cell that holds none of its own.
using CellSource = std::function<QString(int col, int row)>;

// Paints one cell. When it is called the painter is clipped to `rect`, its brush is the grid's
// colour for the cell's state (button face for fixed cells, highlight for selected ones, window
// colour otherwise), its pen the matching text colour and its font the grid's font.
using DrawCellHandler = std::function<void(int col, int row, const QRect& rect, QPainter& painter,
                                           const TGridDrawState& state)>;

class TStringGrid : public QAbstractScrollArea {
  Q_OBJECT
 public:
  static constexpr int kDefaultColWidth = 64;
  static constexpr int kDefaultRowHeight = 24;
  static constexpr int kGridLineWidth = 1;
  // Inset of the default drawing's text from the cell's left edge.
  static constexpr int kTextInset = 2;

  explicit TStringGrid(QWidget* parent = nullptr);
  ~TStringGrid() override;

  QString Cells(int col, int row) const;
  void SetCells(int col, int row, const QString& text);
  // Empty: no source (the cells without a text of their own are empty).
  void SetCellSource(CellSource source);
  // The source's text of a cell in view changed: it is painted again.
  void InvalidateCell(int col, int row);

  int ColCount() const { return colCount_; }
  void SetColCount(int count);
  // At least 1 row; a count at or below FixedRows lowers FixedRows to count - 1.
  int RowCount() const { return rowCount_; }
  void SetRowCount(int count);
  int FixedRows() const { return fixedRows_; }
  // REQUIRES: count < RowCount (raises otherwise).
  void SetFixedRows(int count);
  int FixedCols() const { return fixedCols_; }
  // REQUIRES: count < ColCount (raises otherwise).
  void SetFixedCols(int count);

  int DefaultRowHeight() const { return rowHeight_; }
  void SetDefaultRowHeight(int height);
  int DefaultColWidth() const { return defaultColWidth_; }
  // Sets every column's width.
  void SetDefaultColWidth(int width);
  int ColWidths(int col) const;
  void SetColWidths(int col, int width);

  int Row() const { return row_; }
  void SetRow(int row);
  int Col() const { return col_; }
  void SetCol(int col);
  // The first scrolling row in view.
  int TopRow() const;

  // The whole current row is drawn selected (otherwise only the current cell).
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool rowSelect);
  // The operator may edit non-fixed cells (double click, F2, Enter or typing); the editor takes
  // the cell's text limit in code page 936 bytes (0 = none).
  bool Editable() const { return editable_; }
  void SetEditable(bool editable);
  void SetEditorMaxBytes(int maxBytes);
  bool IsEditing() const;
  // The edit field while editing (nullptr before the first edit).
  TCp936Edit* Editor() const { return editor_; }

  // The cell's rectangle in viewport coordinates, without its grid lines.
  QRect CellRect(int col, int row) const;
  // The cell under a viewport position; false outside every cell.
  bool CellAt(const QPoint& position, int& col, int& row) const;

  std::function<void()> OnClick;
  std::function<void()> OnDblClick;
  DrawCellHandler OnDrawCell;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int RowPitch() const { return rowHeight_ + kGridLineWidth; }
  int FixedHeight() const { return fixedRows_ * RowPitch(); }
  int FixedWidth() const;
  int ColumnLeft(int col) const;  // in content coordinates (no scrolling)
  int ScrollableWidth() const;
  int VisibleScrollingRows() const;
  void CheckCell(int col, int row) const;
  void UpdateScrollBars();
  void EnsureCurrentVisible();
  // Moves the current cell; runs OnClick when it changed (or always, for a click).
  void MoveCurrent(int col, int row, bool alwaysClick);
  void RunClick();
  void PaintCell(QPainter& painter, int col, int row, const QRect& rect);
  void DefaultDrawCell(QPainter& painter, int col, int row, const QRect& rect) const;
  void PaintGridLines(QPainter& painter, const QRect& rect) const;
  bool MoveByKey(int key);
  // Row-select grids: the keys that scroll the columns sideways; false for any other key.
  bool ScrollColumnsByKey(int key);
  void StartEdit(const QString* typed);
  void CommitEdit();
  void CancelEdit();
  void HideEditor();

  // The texts held, by row and column: no entry behind the last row or column that holds one.
  std::vector<std::vector<QString>> rows_;
  CellSource cellSource_;
  int rowCount_ = 5;
  int colCount_ = 5;
  int fixedRows_ = 1;
  int fixedCols_ = 1;
  int rowHeight_ = kDefaultRowHeight;
  int defaultColWidth_ = kDefaultColWidth;
  std::vector<int> colWidths_;
  int row_ = 1;
  int col_ = 1;
  bool rowSelect_ = false;
  bool editable_ = false;
  int editorMaxBytes_ = 0;
  TCp936Edit* editor_ = nullptr;
  int editCol_ = -1;
  int editRow_ = -1;
  bool drawHandlerFailed_ = false;
};
