#include "station/app/OverviewCanvas.h"

#include <qdrawutil.h>

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <algorithm>

#include "platform/gui/Colors.h"

static_assert(kTileLime == clLime && kTileBlue == clBlue && kTileRed == clRed &&
              kTileYellow == clYellow);

namespace {

QFont BoldFont(const QFont& base, int points) {
  QFont font = base;
  font.setPointSize(points);
  font.setBold(true);
  return font;
}

// A label's text: drawn from its top-left corner, on one line, over the panel's colour.
void DrawLabel(QPainter& painter, const QRect& tile, int left, int top, const QFont& font,
               const std::string& text) {
  if (text.empty()) return;
  painter.setFont(font);
  const QRect box(tile.left() + left, tile.top() + top, tile.width() - left, tile.height() - top);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace

OverviewCanvas::OverviewCanvas(OverviewTiles& tiles, QWidget* parent)
    : QWidget(parent), tiles_(tiles) {}

void OverviewCanvas::FollowScrollBox(QScrollArea* box) {
  box_ = box;
  box->installEventFilter(this);
  Relayout(box->width());
}

void OverviewCanvas::Relayout(int boxWidth) {
  boxWidth_ = boxWidth;
  layout_ = ComputeOverviewLayout(boxWidth);
  const TileRect content = OverviewContentRect(layout_, tiles_.Count());
  resize(content.Width, content.Height);
  update();  // everything is painted afresh, so no tile is left to show as changed
  tiles_.ClearChanged();
}

void OverviewCanvas::TilesRebuilt() { Relayout(boxWidth_); }

QRect OverviewCanvas::TileRectOf(int t) const {
  const TileRect r = OverviewTileRect(layout_, t);
  return QRect(r.Left, r.Top, r.Width, r.Height);
}

template <class Visit>
void OverviewCanvas::ForTilesIn(const QRect& area, Visit visit) const {
  if (area.isEmpty() || tiles_.Count() == 0) return;
  const int columns = std::max(layout_.Columns, 1);
  const int rows = (tiles_.Count() + columns - 1) / columns;
  const int firstRow = std::max(0, (area.top() - kTileMargin) / kTileRowPitch);
  const int lastRow = std::min(rows - 1, (area.bottom() - kTileMargin) / kTileRowPitch);
  for (int row = firstRow; row <= lastRow; ++row) {
    for (int column = 0; column < columns; ++column) {
      const int t = row * columns + column;
      if (t >= tiles_.Count()) return;
      if (TileRectOf(t).intersects(area)) visit(t);
    }
  }
}

void OverviewCanvas::ShowChangedTiles() {
  const QRect visible = visibleRegion().boundingRect();
  ForTilesIn(visible, [this](int t) {
    if (tiles_.Changed(t)) update(TileRectOf(t));
  });
  tiles_.ClearChanged();
}

OverviewCanvas::Fonts OverviewCanvas::TileFonts() const {
  return {BoldFont(font(), kTileTitlePoints), BoldFont(font(), kTileValuePoints),
          BoldFont(font(), kTileSmallPoints)};
}

void OverviewCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const Fonts fonts = TileFonts();
  paintedTiles_ = 0;
  const QRegion& exposed = event->region();
  ForTilesIn(exposed.boundingRect(), [&](int t) {
    if (!exposed.intersects(TileRectOf(t))) return;  // between two exposed parts
    PaintTile(painter, fonts, t);
    ++paintedTiles_;
  });
}

void OverviewCanvas::PaintTile(QPainter& painter, const Fonts& fonts, int t) {
  const OverviewTile& tile = tiles_.Tile(t);
  const QRect rect = TileRectOf(t);
  painter.setClipRect(rect);
  const QBrush fill(ToQColor(tile.Colour));
  qDrawShadePanel(&painter, rect, palette(), /*sunken=*/true, kTileBevelWidth, &fill);

  const QRect title(rect.left() + kTileBevelWidth, rect.top() + kTileBevelWidth,
                    rect.width() - 2 * kTileBevelWidth, kTileTitleHeight);
  painter.fillRect(title, ToQColor(clHighlight));
  painter.setPen(ToQColor(clWhite));
  painter.setFont(fonts.Title);
  painter.drawText(title, Qt::AlignCenter | Qt::TextSingleLine,
                   QString::fromUtf8(tile.Title.data(), static_cast<qsizetype>(tile.Title.size())));

  painter.setPen(ToQColor(clWindowText));
  DrawLabel(painter, rect, kTileValueLeft, kTileValueTop, fonts.Value, tile.ValueText);
  DrawLabel(painter, rect, kTileUnitLeft, kTileUnitTop, fonts.Small, tile.UnitText);
  DrawLabel(painter, rect, kTileAlarmLeft, kTileAlarmTop, fonts.Small, tile.AlarmText);
}

bool OverviewCanvas::eventFilter(QObject* watched, QEvent* event) {
  if (watched == box_ && event->type() == QEvent::Resize) Relayout(box_->width());
  return QWidget::eventFilter(watched, event);
}
