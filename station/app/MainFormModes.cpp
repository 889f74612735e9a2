#include "station/app/MainForm.h"

void Tfm_MainForm::EnterRunMode() {}
void Tfm_MainForm::EnterConfigMode() {}
void Tfm_MainForm::btn_LoginClick() {}
void Tfm_MainForm::btn_SignOutClick() {}
void Tfm_MainForm::btn_ModifyPasswordClick() {}
void Tfm_MainForm::FillMeterList() {}
void Tfm_MainForm::strgGrid_MeterListClick() {}
void Tfm_MainForm::BuildCurveSelectList() {}
void Tfm_MainForm::RebuildTrendSeries() {}
void Tfm_MainForm::chkBox_SelectAllCurvesClick() {}
