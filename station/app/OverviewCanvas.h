#pragma once
// One painted widget for all overview tiles, sitting inside the scroll box `scrBox_GeneralView`.
// It sizes itself to the tiles' layout and paints only the tiles that meet the exposed rectangle,
// from the plain data of OverviewTiles; a resize re-lays the tiles out and rebuilds nothing.
// GUI thread only.

#include <QWidget>

#include "station/app/supervision/OverviewTiles.h"

class QScrollArea;

class OverviewCanvas : public QWidget {
  Q_OBJECT

 public:
  // `tiles` must outlive the canvas.
  explicit OverviewCanvas(OverviewTiles& tiles, QWidget* parent = nullptr);

  // Lays the tiles out for the box's width, now and whenever the box is resized. The caller
  // places the canvas inside the box (as its content, or inside the content it has).
  // REQUIRES: the box lives as long as the canvas (a canvas inside the box goes with it).
  void FollowScrollBox(QScrollArea* box);
  // Lays the tiles out for a scroll box `boxWidth` pixels wide, takes the size they need and
  // repaints them all.
  void Relayout(int boxWidth);
  // After OverviewTiles::Build: takes the new size and repaints everything.
  void TilesRebuilt();
  // After a tick's refresh: repaints the changed tiles that can be seen and clears the changed
  // marks (tiles out of sight are painted from the data when they come into view).
  void ShowChangedTiles();

  const OverviewLayout& Layout() const { return layout_; }
  QRect TileRectOf(int t) const;
  // Tiles drawn by the last paint (for diagnostics: a paint should touch the exposed ones only).
  int PaintedTileCount() const { return paintedTiles_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Fonts {
    QFont Title, Value, Small;
  };
  Fonts TileFonts() const;
  void PaintTile(QPainter& painter, const Fonts& fonts, int t);
  // Calls visit(t) for every tile that meets `area`.
  template <class Visit>
  void ForTilesIn(const QRect& area, Visit visit) const;

  OverviewTiles& tiles_;
  QScrollArea* box_ = nullptr;
  int boxWidth_ = 0;
  OverviewLayout layout_;
  int paintedTiles_ = 0;
};
