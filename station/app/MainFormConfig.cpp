#include "station/app/MainForm.h"

void Tfm_MainForm::LoadMeterTable() {}
void Tfm_MainForm::LoadChartBackColor() {}
void Tfm_MainForm::LoadPassword() {}
void Tfm_MainForm::LoadBaudTable() {}
void Tfm_MainForm::LoadCurveRange() {}
void Tfm_MainForm::SaveMeterTable() {}
void Tfm_MainForm::SaveChartBackColor() {}
void Tfm_MainForm::SaveCurveRange() {}
void Tfm_MainForm::SaveBaudTable() {}
void Tfm_MainForm::SavePassword() {}
