#pragma once
// The two settings files under Res that the station only reads, at start-up: Res\MFPara.ini
// (the main window's caption) and Res\FlowChart1.ini (the flow-chart picture). A missing file or
// key takes its default; neither file is ever written. (Res\GSM_Alarm.ini, read and written, is
// the SMS page's: supervision/SmsPage.h.)
//
// No Qt. GUI thread only (the paths follow the application directory).

#include <cstdint>
#include <string>

// [MFPARA] MFNAME of Res\MFPara.ini, "Velm" when missing.
std::string ReadWindowCaption();

// What Res\FlowChart1.ini asks of start-up.
struct TFlowChartSettings {
  // [PICTURE] PointNum, 0 when missing; the picture loads only when it is above 0.
  std::int32_t PointCount = 0;
  // The picture file: Res\ + [PICTURE] FileName ("FlowChart1.jpg" when missing), mapped onto the
  // file system. Empty when PointCount asks for no picture (FileName is then not read).
  std::string PicturePath;
  // The name comes from a file anyone may edit: one that is absolute or climbs out of Res would
  // read a picture from anywhere, so it is refused ("Cannot open file <PicturePath>", the text of
  // a missing file). Empty when the name is a plain one inside Res.
  std::string Refusal;
};
TFlowChartSettings ReadFlowChartSettings();
