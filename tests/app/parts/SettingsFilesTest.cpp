// The read-only settings files of start-up without a window: the caption of Res\MFPara.ini and
// what Res\FlowChart1.ini asks for, in a temporary application directory.

#include "station/app/parts/SettingsFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "common/AppPaths.h"
#include "tests/support/TestSupport.h"

namespace {

class SettingsFilesTest : public ::testing::Test {
 protected:
  SettingsFilesTest() {
    SetAppDir(dir.Path());
    std::filesystem::create_directory(dir.File("Res"));
  }
  void Write(const char* name, const std::string& text) {
    WriteFileBytes(dir.File(std::string("Res/") + name), text);
  }

  TempDir dir;
};

TEST_F(SettingsFilesTest, TheCaptionIsMfnameOrVelm) {
  EXPECT_EQ(ReadWindowCaption(), "Velm");
  Write("MFPara.ini", "[MFPARA]\r\nMFNAME=\xB1\xC3\xD5\xBE\r\n");  // code page 936
  EXPECT_EQ(ReadWindowCaption(), "泵站");
  Write("MFPara.ini", "[mfpara]\nOTHER=x\n");
  EXPECT_EQ(ReadWindowCaption(), "Velm");
}

TEST_F(SettingsFilesTest, APictureIsAskedForOnlyByAPositivePointCountAndOnlyInsideRes) {
  const TFlowChartSettings none = ReadFlowChartSettings();
  EXPECT_EQ(none.PointCount, 0);
  EXPECT_EQ(none.PicturePath, "");
  for (const char* count : {"0", "-3", "many"}) {
    Write("FlowChart1.ini", std::string("[PICTURE]\nPointNum=") + count + "\nFileName=a.jpg\n");
    EXPECT_EQ(ReadFlowChartSettings().PicturePath, "") << count;
  }

  Write("FlowChart1.ini", "[PICTURE]\nPointNum=0x10\n");
  const TFlowChartSettings standard = ReadFlowChartSettings();
  EXPECT_EQ(standard.PointCount, 16);
  EXPECT_EQ(standard.PicturePath, dir.File("Res/FlowChart1.jpg"));
  EXPECT_EQ(standard.Refusal, "");

  for (const char* name : {"../Velm_LOGO.BMP", "/etc/passwd", "sub//x.jpg"}) {
    Write("FlowChart1.ini", std::string("[PICTURE]\nPointNum=1\nFileName=") + name + "\n");
    const TFlowChartSettings refused = ReadFlowChartSettings();
    EXPECT_EQ(refused.PointCount, 1);
    EXPECT_EQ(refused.Refusal, "Cannot open file " + refused.PicturePath) << name;
  }
}

}  // namespace
