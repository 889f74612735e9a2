#pragma once
// TLineRaster: draws the 1-pixel lines of many chart series straight into the pixels of a 32-bit
// image. QPainter draws a line one pixel at a time along its length, so 5,760 curves that jump
// across the plot from point to point cost billions of pixels per repaint; here each pixel of
// the plot is written at most once.
//
// Series are given front to back: the one that shows on top (drawn last by a painter) first.
// Every pixel takes the colour of the first series that covers it, which is the picture of
// drawing the series back to front. Each column keeps a bitmap of its covered rows (64 rows per
// word) and a bitmap of its full words, so a series passing over a covered stretch costs a few
// word tests, not one test per pixel: the cost is bounded by the columns of all series plus the
// pixels of the clip area, whatever the values. The bitmaps of a 1200 x 800 plot take about
// 120 kB, so they stay in the processor's cache while thousands of curves cross them.
//
// The pixels follow QPainter's aliased 1-pixel pen: a point at (column, row) lights pixel
// (column, floor(row)); the points of one column join into one vertical run; the last point of
// a column and the first point of the next drawn column are joined by a line with one pixel per
// row (steep) or per column (shallow), each rounded down along the line, as QPainter does for
// whole-pixel end points. QPainter works with the fractional rows and adds pixels of its own at
// the ends of a polyline, so the two pictures are equivalent, not identical: every pixel of one
// lies within one pixel of a pixel of the other, and each column's highest and lowest pixel
// differ by at most two rows (for lines within the plot; where QPainter clips a long line its
// own rounding moves the crossing by a few rows).
//
// Works on a caller's image, which must stay alive and unresized while the raster is in use; the
// image must not be shared (a shared image would be copied by the first write). GUI thread (or
// any one thread) only.

#include <QImage>
#include <QRect>
#include <QRgb>

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gui/FastLineSeries.h"

class TLineRaster {
 public:
  // Whether the raster can draw into `image`: a 32-bit RGB format at device pixel ratio 1.
  static bool Supports(const QImage& image);

  // REQUIRES Supports(image). Draws only inside `clip` (cut to the image), placing points by
  // `mapping`.
  TLineRaster(QImage& image, const QRect& clip, const TPlotMapping& mapping);

  // Draws the line of `series` in the opaque colour `rgb`, under every line drawn before by this
  // raster.
  void DrawUnder(const TFastLineSeries& series, QRgb rgb);

 private:
  // Looks up the columns in a table when it holds the X positions that `series` needs, first
  // widening the table to them when that keeps it small; works them out otherwise.
  bool TabulateColumns(const TFastLineSeries& series);
  template <typename ColumnOf>
  void Draw(const TFastLineSeries& series, ColumnOf&& columnOf);
  // Paints column `column` (its points' rows top..bottom, the last at row r0) and the line on
  // to the first point of the next drawn column, at row r1.
  void FillColumnAndJoin(int column, int top, int bottom, int r0, int nextColumn, int r1);
  // The columns strictly between c0 and c0 + dx of the line from row r0 to row r0 + step * dy.
  void FillGap(int c0, int r0, int dx, int dy, int step);
  // Paints the uncovered pixels of `column`, rows top..bottom (image coordinates, cut to the
  // clip).
  void FillColumn(int column, int top, int bottom);
  // FillColumn for a run over several words, in clip coordinates.
  void FillLongRun(int x, int top, int bottom);
  // Marks the rows of `mask` in word `word` of clip column `x` covered and paints those that were
  // not; true when the word is full afterwards.
  bool FillWord(int x, int word, std::uint64_t mask);
  // Paints the rows `rows` of word `word` of clip column `x`.
  void PaintRows(int x, int word, std::uint64_t rows);

  QRect clip_;
  TPlotMapping mapping_;
  uchar* bits_ = nullptr;  // pixel (clip left, clip top)
  qsizetype bytesPerLine_ = 0;
  QRgb color_ = 0;
  int wordsPerColumn_ = 0;  // of covered_: 64 rows each
  int fullPerColumn_ = 0;   // of full_: 64 words each
  // Per clip column, bit r of word w: row 64 w + r is covered (rows below the clip count as
  // covered, so a word is full when all its bits are set).
  std::vector<std::uint64_t> covered_;
  // Per clip column, bit v of word u: covered_ word 64 u + v is full.
  std::vector<std::uint64_t> full_;
  // mapping_.Column(x) for x from columnsFirstX_ on: the series of a chart share their X
  // positions, so one table serves them all.
  std::vector<int> columns_;
  std::int64_t columnsFirstX_ = 0;
};

// One curve for DrawLines: a series and the opaque colour of its line.
struct TRasterLine {
  const TFastLineSeries* series;
  QRgb rgb;
};

// Draws `lines` into `image` within `clip` (cut to the image), placing points by `mapping`, the
// first line on top, as one TLineRaster given them in that order would. The clip is cut into
// up to `stripes` vertical stripes (none narrower than 32 columns), each drawn by a raster of
// its own on a thread of its own, the calling thread drawing the first: the picture does not
// depend on the number of stripes, and each thread writes only the pixels of its stripe. The
// series must not change until it returns. REQUIRES TLineRaster::Supports(image).
void DrawLines(QImage& image, const QRect& clip, const TPlotMapping& mapping,
               std::span<const TRasterLine> lines, int stripes);
