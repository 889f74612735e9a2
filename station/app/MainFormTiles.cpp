// The overview tiles on the main window: one painted canvas inside scrBox_GeneralView shows
// OverviewTileList, which the tick refreshes channel by channel.

#include <QResizeEvent>

#include "platform/gui/Containers.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"

void Tfm_MainForm::BuildOverviewTiles() {
  OverviewTileList.Build(Table);
  if (overviewCanvas != nullptr) {
    overviewCanvas->TilesRebuilt();
    return;
  }
  // Inside the scroll box's own content widget, which the box keeps sized to its children,
  // rather than in place of it: the box goes on using that widget.
  overviewCanvas = new OverviewCanvas(OverviewTileList, scrBox_GeneralView->Content());
  overviewCanvas->setObjectName(QStringLiteral("overviewCanvas"));
  overviewCanvas->show();
  overviewCanvas->FollowScrollBox(scrBox_GeneralView);
}

void Tfm_MainForm::UpdateOverviewTile(int m, int j, int t) {
  if (OverviewTileList.Update(Table, m, j, t, AlarmDelayCountdown)) AlarmActive = 1;
}

// FormResize.
void Tfm_MainForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // In configuration mode the table may have been edited, so the tiles are built afresh from it.
  // In run mode the table is locked and the tiles are current: rebuilding them would blank every
  // value until the next tick, at every resize event of a drag; the canvas follows the scroll
  // box's new width by itself.
  if (!InRunMode()) BuildOverviewTiles();
  BuildWsdFrames();
}
