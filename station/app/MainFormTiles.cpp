// The overview tiles on the main window: one painted canvas inside scrBox_GeneralView shows
// OverviewTileList, which the tick refreshes channel by channel.

#include <QEvent>
#include <QResizeEvent>

#include "platform/gui/Containers.h"
#include "station/app/MainForm.h"
#include "station/app/OverviewCanvas.h"

namespace {

// Lays the canvas out again whenever the scroll box changes its size. The canvas sits inside
// the box's own content widget (which the box keeps sized to its children), rather than
// replacing that widget, which the scroll box goes on using.
class CanvasWidthFollower : public QObject {
 public:
  CanvasWidthFollower(TScrollBox* box, OverviewCanvas* canvas)
      : QObject(canvas), box_(box), canvas_(canvas) {
    box_->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == box_ && event->type() == QEvent::Resize) canvas_->Relayout(box_->width());
    return QObject::eventFilter(watched, event);
  }

 private:
  TScrollBox* box_;
  OverviewCanvas* canvas_;
};

}  // namespace

void Tfm_MainForm::BuildOverviewTiles() {
  OverviewTileList.Build(Table);
  if (overviewCanvas != nullptr) {
    overviewCanvas->TilesRebuilt();
    return;
  }
  overviewCanvas = new OverviewCanvas(OverviewTileList, scrBox_GeneralView->Content());
  overviewCanvas->setObjectName(QStringLiteral("overviewCanvas"));
  new CanvasWidthFollower(scrBox_GeneralView, overviewCanvas);
  overviewCanvas->show();
  overviewCanvas->Relayout(scrBox_GeneralView->width());
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
  // The temperature and humidity frames are laid out here too, once their page's step exists.
}
