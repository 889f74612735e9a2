#include <QResizeEvent>

#include "station/app/MainForm.h"

void Tfm_MainForm::BuildOverviewTiles() {}
void Tfm_MainForm::UpdateOverviewTile(int, int, int) {}
void Tfm_MainForm::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }
