#include "station/app/parts/SettingsFiles.h"

#include "common/AppPaths.h"
#include "platform/IniFile.h"

namespace {

constexpr const char* kDefaultCaption = "Velm";
constexpr const char* kPictureSection = "PICTURE";
constexpr const char* kDefaultFlowChartName = "FlowChart1.jpg";

}  // namespace

std::string ReadWindowCaption() {
  const TIniFile ini(AppPath("\\Res\\MFPara.ini"));
  return ini.ReadString("MFPARA", "MFNAME", kDefaultCaption);
}

TFlowChartSettings ReadFlowChartSettings() {
  const TIniFile ini(AppPath("\\Res\\FlowChart1.ini"));
  TFlowChartSettings settings;
  settings.PointCount = ini.ReadInteger(kPictureSection, "PointNum", 0);
  if (settings.PointCount <= 0) return settings;
  const std::string name = ini.ReadString(kPictureSection, "FileName", kDefaultFlowChartName);
  settings.PicturePath = AppPath("\\Res\\" + name);
  if (!IsPlainRelativeName(name)) settings.Refusal = "Cannot open file " + settings.PicturePath;
  return settings;
}
