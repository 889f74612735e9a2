#include "station/app/MainForm.h"

void Tfm_MainForm::OpenRecordingFiles() {}
void Tfm_MainForm::AppendHistoryRecord(const float*, int) {}
void Tfm_MainForm::WriteAlarmRow(int) {}
