#include "common/AppPaths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/support/TestSupport.h"

namespace {

TEST(AppPaths, AppPathMapsBackslashNamesUnderAppDir) {
  SetAppDir("/srv/station");
  EXPECT_EQ(AppPath("\\Res\\MFPara.ini"), "/srv/station/Res/MFPara.ini");
  EXPECT_EQ(AppPath("\\19Y12M\\03D14H05M09S.vq"), "/srv/station/19Y12M/03D14H05M09S.vq");
}

TEST(AppPaths, AReferenceHandedOutSurvivesALaterSet) {
  SetAppDir("/first");
  const std::string& first = AppDir();
  SetAppDir("/second");
  EXPECT_EQ(first, "/first");
  EXPECT_EQ(AppDir(), "/second");
}

TEST(AppPaths, CurrentDirectoryIsTheWorkingDirectory) {
  TempDir dir;
  const std::string before = CurrentDirectory();
  ASSERT_EQ(chdir(dir.Path().c_str()), 0);
  const std::string inside = CurrentDirectory();
  ASSERT_EQ(chdir(before.c_str()), 0);
  EXPECT_EQ(inside, dir.Path());
}

TEST(AppPaths, PlainRelativeNamesStayInsideTheirFolder) {
  for (const char* name : {"FlowChart1.jpg", "pics/a.jpg", "pics\\a.jpg", "a..b.jpg"}) {
    EXPECT_TRUE(IsPlainRelativeName(name)) << name;
  }
  for (const char* name : {"", "/etc/passwd", "\\Res\\x.jpg", "..", "a\\..\\..\\x", "pics/..",
                           "a//b", "a/", "C:\\x.jpg"}) {
    EXPECT_FALSE(IsPlainRelativeName(name)) << name;
  }
  EXPECT_FALSE(IsPlainRelativeName(std::string("a\0/../../b", 10)));
}

}  // namespace
