#include "platform/JoinPath.h"

#include <gtest/gtest.h>

namespace {

TEST(JoinPath, OneSlashBetweenTheDirectoryAndTheNameWithItsBackslashesTurned) {
  EXPECT_EQ(JoinPath("/", "\\Res"), "/Res");
  EXPECT_EQ(JoinPath("/data/", "Res\\Velm_LOGO.BMP"), "/data/Res/Velm_LOGO.BMP");
  EXPECT_EQ(JoinPath("/srv/plant", "dev/com3"), "/srv/plant/dev/com3");
  // Without a directory the name stays relative instead of pointing at the root.
  EXPECT_EQ(JoinPath("", "\\Res\\MFPara.ini"), "Res/MFPara.ini");
}

}  // namespace
