#include <QCloseEvent>

#include "station/app/MainForm.h"

void Tfm_MainForm::FormCreate() {}
void Tfm_MainForm::InitConfigFiles() {}
void Tfm_MainForm::StartupFinished() { startupFinished_ = true; }
void Tfm_MainForm::closeEvent(QCloseEvent* event) { QWidget::closeEvent(event); }
