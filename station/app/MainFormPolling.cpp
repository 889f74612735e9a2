#include "station/app/MainForm.h"

void Tfm_MainForm::BuildPollLists() {}
void Tfm_MainForm::StartPolling() {}
void Tfm_MainForm::StopPolling() {}
void Tfm_MainForm::clientSocket_MeterCommConnect(TClientSocket&) {}
void Tfm_MainForm::clientSocket_MeterCommError(TClientSocket&, int&) {}
