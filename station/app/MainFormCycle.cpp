#include "station/app/MainForm.h"

void Tfm_MainForm::timer_PerSecondTimer() {}
void Tfm_MainForm::Animate(int, const std::string&, double) {}
void Tfm_MainForm::UpdateAlarmRecords(int, int, TDateTime) {}
void Tfm_MainForm::AppendMeterHistoryRow(const std::string&, const TMeterRecord&, TDateTime) {}
void Tfm_MainForm::AlarmStep() {}
void Tfm_MainForm::AlarmBranch() {}
void Tfm_MainForm::SmsStep() {}
void Tfm_MainForm::ResetBranch() {}
