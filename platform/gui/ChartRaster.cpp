#include "platform/gui/ChartRaster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <memory>
#include <thread>
#include <span>

namespace {

constexpr int kWordShift = 6;  // 64 rows per word
constexpr int kWordBits = 1 << kWordShift;
constexpr int kBitMask = kWordBits - 1;
// The narrowest stripe DrawLines cuts.
constexpr int kMinStripeWidth = 32;
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
  // A local copy stays in registers: its address goes nowhere (ForEachPlotPoint is given the
  // member).
  const TPlotMapping map = mapping_;
  // The column being gathered, by the values of its points: rows follow from values in reverse
  // order (the highest value has the smallest row), so one column's lowest and highest value
  // give its pixel rows, and a page of many points per column converts three values per column
  // rather than every point.
  bool open = false;
  int column = 0;
  float low = 0;
  float high = 0;
  float lastValue = 0;
  int firstRow = 0;    // of the column's first point
  bool single = true;  // the column has one point: its rows are firstRow
  auto row = [&map](float value) { return PixelRow(map.Row(value)); };
  auto flush = [&](int nextColumn, int nextRow) {
    if (single) {
      FillColumnAndJoin(column, firstRow, firstRow, firstRow, nextColumn, nextRow);
    } else {
      FillColumnAndJoin(column, row(high), row(low), row(lastValue), nextColumn, nextRow);
    }
  };
  ForEachPlotPoint(series, mapping_, columnOf, [&](int pointColumn, float value) {
    if (open && pointColumn == column) {
      low = std::min(low, value);
      high = std::max(high, value);
      lastValue = value;
      single = false;
      return;
    }
    const int pointRow = row(value);
    if (open) flush(pointColumn, pointRow);
    open = true;
    column = pointColumn;
    low = high = lastValue = value;
    firstRow = pointRow;
    single = true;
  });
  if (open) FillColumn(column, single ? firstRow : row(high), single ? firstRow : row(low));
}

void DrawLines(QImage& image, const QRect& clip, const TPlotMapping& mapping,
               std::span<const TRasterLine> lines, int stripes) {
  const QRect area = clip & image.rect();
  if (area.isEmpty() || lines.empty()) return;
  const int count = std::clamp(stripes, 1, std::max(1, area.width() / kMinStripeWidth));
  // The rasters are made here, one after the other: each takes the image's pixels, which must
  // not happen on several threads at once.
  std::vector<std::unique_ptr<TLineRaster>> rasters;
  for (int s = 0; s < count; ++s) {
    const int left = area.left() + area.width() * s / count;
    const int right = area.left() + area.width() * (s + 1) / count - 1;
    const QRect stripe(QPoint(left, area.top()), QPoint(right, area.bottom()));
    rasters.push_back(std::make_unique<TLineRaster>(
        image, stripe, count == 1 ? mapping : mapping.ForColumns(left, right)));
  }
  std::vector<std::exception_ptr> errors(rasters.size());
  auto draw = [&](std::size_t s) {
    try {
      for (const TRasterLine& line : lines) rasters[s]->DrawUnder(*line.series, line.rgb);
    } catch (...) {
      errors[s] = std::current_exception();
    }
  };
  // Room for every helper first: a vector growing under started threads could throw and
  // destroy them joinable, which ends the program.
  std::vector<std::thread> helpers;
  helpers.reserve(rasters.size() - 1);
  std::size_t onHelpers = 1;
  try {
    for (; onHelpers < rasters.size(); ++onHelpers) helpers.emplace_back(draw, onHelpers);
  } catch (...) {
    // No thread to be had (none left, or no memory for one): the stripes left are drawn here,
    // and the helpers started are joined below all the same.
  }
  draw(0);
  for (std::size_t s = onHelpers; s < rasters.size(); ++s) draw(s);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
}
