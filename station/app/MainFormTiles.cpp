// The overview tiles on the main window: one painted canvas inside scrBox_GeneralView shows the
// cycle's tiles, which the tick refreshes channel by channel.

#include <QResizeEvent>

#include "platform/gui/Containers.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"

void Tfm_MainForm::BuildOverviewTiles() {
  cycle_.BuildOverviewTiles(Table());
  if (overviewCanvas != nullptr) {
    overviewCanvas->TilesRebuilt();
    return;
  }
  // Inside the scroll box's own content widget, which the box keeps sized to its children,
  // rather than in place of it: the box goes on using that widget.
  overviewCanvas = new OverviewCanvas(cycle_.Tiles(), scrBox_GeneralView->Content());
  overviewCanvas->setObjectName(QStringLiteral("overviewCanvas"));
  overviewCanvas->show();
  overviewCanvas->FollowScrollBox(scrBox_GeneralView);
}

void Tfm_MainForm::ShowChangedTiles() {
  if (overviewCanvas != nullptr) overviewCanvas->ShowChangedTiles();
}

// FormResize.
void Tfm_MainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Every resize builds the tiles afresh from the table (in configuration mode as it is being
  // edited): they show lime with empty texts until the next tick refreshes them. Cheap, as the
  // tiles are plain data; the canvas takes the scroll box's new width by itself.
  BuildOverviewTiles();
  BuildWsdFrames();
}
