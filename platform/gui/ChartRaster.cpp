#include "platform/gui/ChartRaster.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

namespace {

constexpr int kWordShift = 6;  // 64 rows per word
constexpr int kWordBits = 1 << kWordShift;
constexpr int kBitMask = kWordBits - 1;
// Most X positions whose columns are kept in a table (4 MB): far more than any chart shows.
constexpr std::int64_t kMaxTabulatedColumns = 1 << 20;
constexpr std::uint64_t kAllRows = ~std::uint64_t{0};

// The bits of rows from..to (0..63) of a word.
std::uint64_t RowMask(int from, int to) {
  return (kAllRows >> (kWordBits - 1 - to)) & (kAllRows << from);
}

// The pixel row of a screen row coordinate, as the aliased pen takes it: rounded down. Exact for
// the rows TPlotMapping gives (within a million pixels); inlined, unlike std::floor.
int PixelRow(double row) {
  const int truncated = static_cast<int>(row);
  return truncated > row ? truncated - 1 : truncated;
}

// Rows m (counted from the start row) that column k of a steep line takes: those with
// floor(m * dx / dy) == k, i.e. from ceil(k * dy / dx) up to ceil((k + 1) * dy / dx) - 1.
long long SteepFirstRow(long long k, long long dx, long long dy) { return (k * dy + dx - 1) / dx; }

}  // namespace

bool TLineRaster::Supports(const QImage& image) {
  const QImage::Format format = image.format();
  return !image.isNull() && image.devicePixelRatio() == 1 &&
         (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
          format == QImage::Format_ARGB32_Premultiplied);
}

TLineRaster::TLineRaster(QImage& image, const QRect& clip, const TPlotMapping& mapping)
    : clip_(clip & image.rect()), mapping_(mapping) {
  if (clip_.isEmpty()) return;
  bytesPerLine_ = image.bytesPerLine();
  bits_ = image.bits() + clip_.top() * bytesPerLine_ + clip_.left() * qsizetype{sizeof(QRgb)};
  wordsPerColumn_ = (clip_.height() + kWordBits - 1) / kWordBits;
  fullPerColumn_ = (wordsPerColumn_ + kWordBits - 1) / kWordBits;
  covered_.assign(static_cast<std::size_t>(clip_.width()) * wordsPerColumn_, 0);
  full_.assign(static_cast<std::size_t>(clip_.width()) * fullPerColumn_, 0);
  const int tail = clip_.height() % kWordBits;
  if (tail == 0) return;
  // The rows below the clip in each column's last word count as covered.
  for (int x = 0; x < clip_.width(); ++x) {
    covered_[static_cast<std::size_t>(x + 1) * wordsPerColumn_ - 1] = RowMask(tail, kWordBits - 1);
  }
}

// FillWord, FillColumn and FillColumnAndJoin run for every column of every curve: they are
// defined before their callers and forced inline, so that they compile into the loop over the
// points; the rarer work (painting, long runs, wide gaps) stays out of line.

void TLineRaster::PaintRows(int x, int word, std::uint64_t rows) {
  uchar* pixels = bits_ + x * qsizetype{sizeof(QRgb)} + qsizetype{word} * kWordBits * bytesPerLine_;
  do {
    const int row = std::countr_zero(rows);
    *reinterpret_cast<QRgb*>(pixels + row * bytesPerLine_) = color_;
    rows &= rows - 1;
  } while (rows != 0);
}

[[gnu::always_inline]] inline bool TLineRaster::FillWord(int x, int word, std::uint64_t mask) {
  std::uint64_t& covered = covered_[static_cast<qsizetype>(x) * wordsPerColumn_ + word];
  const std::uint64_t open = mask & ~covered;
  covered |= mask;
  if (open != 0) PaintRows(x, word, open);
  return covered == kAllRows;
}

void TLineRaster::FillLongRun(int x, int top, int bottom) {
  std::uint64_t* full = full_.data() + static_cast<qsizetype>(x) * fullPerColumn_;
  const int lastWord = bottom >> kWordShift;
  int word = top >> kWordShift;
  while (word <= lastWord) {
    // Full words are passed over in one step.
    const std::uint64_t open = ~full[word >> kWordShift] >> (word & kBitMask);
    if (open == 0) {
      word = ((word >> kWordShift) + 1) << kWordShift;
      continue;
    }
    word += std::countr_zero(open);
    if (word > lastWord) break;
    const int from = word << kWordShift < top ? top & kBitMask : 0;
    const int to = word == lastWord ? bottom & kBitMask : kWordBits - 1;
    if (FillWord(x, word, RowMask(from, to))) {
      full[word >> kWordShift] |= std::uint64_t{1} << (word & kBitMask);
    }
    ++word;
  }
}

[[gnu::always_inline]] inline void TLineRaster::FillColumn(int column, int top, int bottom) {
  const int x = column - clip_.left();
  if (x < 0 || x >= clip_.width()) return;
  top = std::max(top - clip_.top(), 0);
  bottom = std::min(bottom - clip_.top(), clip_.height() - 1);
  if (top > bottom) return;
  const int word = top >> kWordShift;
  if (word == bottom >> kWordShift) {
    // Most runs lie within one word: one test, and the full-word bitmap is left alone (it only
    // speeds up long runs; a full word it does not know of is found full by its own bits).
    FillWord(x, word, RowMask(top & kBitMask, bottom & kBitMask));
  } else {
    FillLongRun(x, top, bottom);
  }
}

void TLineRaster::FillGap(int c0, int r0, int dx, int dy, int step) {
  // Only the columns inside the clip are worked out; a line may start far outside it.
  const long long kFirst = std::max(1LL, static_cast<long long>(clip_.left()) - c0);
  const long long kLast = std::min(dx - 1LL, static_cast<long long>(clip_.right()) - c0);
  for (long long k = kFirst; k <= kLast; ++k) {
    const auto column = static_cast<int>(c0 + k);
    if (dy <= dx) {
      // Shallow: one row per column, the row rounded down along the line.
      const auto row = static_cast<int>(r0 + step * (k * dy / dx));
      FillColumn(column, row, row);
      continue;
    }
    const long long first = SteepFirstRow(k, dx, dy);
    const long long last = SteepFirstRow(k + 1, dx, dy) - 1;
    const auto a = static_cast<int>(r0 + step * first);
    const auto b = static_cast<int>(r0 + step * last);
    FillColumn(column, std::min(a, b), std::max(a, b));
  }
}

[[gnu::always_inline]] inline void TLineRaster::FillColumnAndJoin(int column, int top, int bottom,
                                                                  int r0, int nextColumn, int r1) {
  // The line's part in this column: none when shallow (one row per column, this one's is the
  // last point's); when steep, the rows from the last point towards the next until the line
  // crosses into the next column. The end row belongs to the next column.
  const int dx = nextColumn - column;
  const int dy = std::abs(r1 - r0);
  const int step = r1 >= r0 ? 1 : -1;
  int end = r0;
  if (dx == 1) {
    end = dy > 1 ? r1 - step : r0;
  } else if (dx == 2) {
    // One column between (the trend's 1,000 points over a wider plot): the first half of the
    // rows here, the second half there.
    const int half = (dy + 1) / 2;
    if (dy > 2) end = r0 + step * (half - 1);
    const int gapTop = dy > 2 ? r0 + step * half : r0 + step * (dy / 2);
    const int gapBottom = dy > 2 ? r1 - step : gapTop;
    FillColumn(column + 1, std::min(gapTop, gapBottom), std::max(gapTop, gapBottom));
  } else {
    if (dy > dx) end = r0 + step * (static_cast<int>(SteepFirstRow(1, dx, dy)) - 1);
    FillGap(column, r0, dx, dy, step);
  }
  FillColumn(column, std::min(top, end), std::max(bottom, end));
}

bool TLineRaster::TabulateColumns(const TFastLineSeries& series) {
  int firstIndex = 0;
  int lastIndex = 0;
  if (!mapping_.IndexRange(series, firstIndex, lastIndex)) return false;
  const std::int64_t first = series.XValue(firstIndex);
  const std::int64_t last = series.XValue(lastIndex);
  const auto tableEnd = columnsFirstX_ + static_cast<std::int64_t>(columns_.size());
  if (!columns_.empty() && first >= columnsFirstX_ && last < tableEnd) return true;
  const std::int64_t from = columns_.empty() ? first : std::min(first, columnsFirstX_);
  const std::int64_t to = columns_.empty() ? last : std::max(last, tableEnd - 1);
  if (to - from + 1 > kMaxTabulatedColumns) return false;
  columns_.resize(static_cast<std::size_t>(to - from + 1));
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    columns_[i] = mapping_.Column(from + static_cast<std::int64_t>(i));
  }
  columnsFirstX_ = from;
  return true;
}

void TLineRaster::DrawUnder(const TFastLineSeries& series, QRgb rgb) {
  if (clip_.isEmpty()) return;
  color_ = rgb | 0xFF000000u;  // opaque: the same word in every supported format
  if (TabulateColumns(series)) {
    const int* columns = columns_.data();
    const std::int64_t firstX = columnsFirstX_;
    Draw(series, [columns, firstX](std::int64_t x) { return columns[x - firstX]; });
  } else {
    Draw(series, [this](std::int64_t x) { return mapping_.Column(x); });
  }
}

template <typename ColumnOf>
void TLineRaster::Draw(const TFastLineSeries& series, ColumnOf&& columnOf) {
  // The column being gathered: its points' rows and the last point's row.
  bool open = false;
  int column = 0;
  int top = 0;
  int bottom = 0;
  int last = 0;
  ForEachPlotPoint(series, mapping_, columnOf, [&](int pointColumn, double pointRow) {
    const int row = PixelRow(pointRow);
    if (open && pointColumn == column) {
      top = std::min(top, row);
      bottom = std::max(bottom, row);
      last = row;
      return;
    }
    if (open) FillColumnAndJoin(column, top, bottom, last, pointColumn, row);
    open = true;
    column = pointColumn;
    top = bottom = last = row;
  });
  if (open) FillColumn(column, top, bottom);
}
