#include "common/IniFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/Errors.h"
#include "tests/support/TestSupport.h"

namespace {

class IniFileTest : public ::testing::Test {
 protected:
  // Writes the file and opens it.
  TIniFile Open(const std::string& content) {
    WriteFileBytes(path_, content);
    return TIniFile(path_);
  }

  TempDir dir_;
  std::string path_ = dir_.File("Settings.ini");
};

TEST_F(IniFileTest, MissingFileSectionOrKeyYieldsTheDefault) {
  const TIniFile missing(dir_.File("none.ini"));
  EXPECT_EQ(missing.ReadString("MFPARA", "MFNAME", "Velm"), "Velm");
  EXPECT_EQ(missing.ReadInteger("PICTURE", "PointNum", 7), 7);
  EXPECT_TRUE(missing.ReadBool("GSM", "Enable", true));

  const TIniFile ini = Open("[GSM]\r\nDelay=5\r\n");
  EXPECT_EQ(ini.ReadString("Other", "Delay", "d"), "d");
  EXPECT_EQ(ini.ReadString("GSM", "Reload", "60"), "60");
}

TEST_F(IniFileTest, NamesMatchWithoutCaseAndBlanksAreDropped) {
  const TIniFile ini = Open("  [ mfpara ]  \r\n\t MfName \t=  \t Station 1 \t \r\n");
  EXPECT_EQ(ini.ReadString("MFPARA", "MFNAME", "Velm"), "Station 1");
}

TEST_F(IniFileTest, OnePairOfEnclosingQuotesIsRemoved) {
  const TIniFile ini =
      Open("[S]\nA=\"quoted\"\nB=\"\"twice\"\"\nC=\"open\nD=\"\nE= \" inner blanks \" \nF=\n");
  EXPECT_EQ(ini.ReadString("S", "A", "-"), "quoted");
  EXPECT_EQ(ini.ReadString("S", "B", "-"), "\"twice\"");
  EXPECT_EQ(ini.ReadString("S", "C", "-"), "\"open");
  EXPECT_EQ(ini.ReadString("S", "D", "-"), "\"");
  EXPECT_EQ(ini.ReadString("S", "E", "-"), " inner blanks ");
  EXPECT_EQ(ini.ReadString("S", "F", "-"), "");  // present but empty: not the default
}

TEST_F(IniFileTest, FirstMatchingSectionAndKeyWin) {
  const TIniFile ini = Open("[GSM]\nCOM=1\nCOM=2\n[gsm]\nCOM=3\n");
  EXPECT_EQ(ini.ReadInteger("GSM", "COM", 0), 1);
}

TEST_F(IniFileTest, ValueIsCutAt2047BytesOnACharacterBoundary) {
  const TIniFile ini = Open("[S]\nLong=" + std::string(3000, 'a') + "\nWide=" +
                            std::string(2046, 'b') + "\xB1\xA8" + "\n");
  EXPECT_EQ(ini.ReadString("S", "Long", ""), std::string(2047, 'a'));
  // The double-byte character at bytes 2047..2048 does not fit and is not split.
  EXPECT_EQ(ini.ReadString("S", "Wide", ""), std::string(2046, 'b'));
}

TEST_F(IniFileTest, ValuesAreDecodedFromCodePage936) {
  const TIniFile ini = Open("[GSM]\r\nText=\xCF\xB5\xCD\xB3\xB6\xCF\xB5\xE7\r\n");
  EXPECT_EQ(ini.ReadString("GSM", "Text", ""), "系统断电");
}

TEST_F(IniFileTest, LinesMayEndInLfOrCrLfAndTheLastNeedNotEnd) {
  const TIniFile ini = Open("[A]\r\nx=1\r\n[B]\ny=2\nz=3");
  EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
  EXPECT_EQ(ini.ReadInteger("B", "y", 0), 2);
  EXPECT_EQ(ini.ReadInteger("B", "z", 0), 3);
}

TEST_F(IniFileTest, IntegersAreDecimalOrHexAfter0xAndAnythingElseIsTheDefault) {
  const TIniFile ini = Open(
      "[P]\nhex=0x10\nupper=0X1f\ndec=-25\nmixed=12abc\nempty=\nblank= 42 \nhuge=99999999999\n"
      "float=1.5\n");
  EXPECT_EQ(ini.ReadInteger("P", "hex", -1), 16);
  EXPECT_EQ(ini.ReadInteger("P", "upper", -1), 31);
  EXPECT_EQ(ini.ReadInteger("P", "dec", -1), -25);
  EXPECT_EQ(ini.ReadInteger("P", "mixed", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "empty", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "blank", -1), 42);
  EXPECT_EQ(ini.ReadInteger("P", "huge", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "float", -1), -1);
}

TEST_F(IniFileTest, HexadecimalIsReadOnlyAfterALeading0x) {
  const TIniFile ini =
      Open("[P]\ndollar=$10\nsigned=-0x10\nplus=+0x10\nbare=0x\nmax=0xFFFFFFFF\n");
  EXPECT_EQ(ini.ReadInteger("P", "dollar", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "signed", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "plus", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "bare", -1), -1);
  EXPECT_EQ(ini.ReadInteger("P", "max", 0), -1);  // the 32-bit pattern
}

TEST_F(IniFileTest, BooleansAreWholeNumbersOtherThanZero) {
  const TIniFile ini = Open("[GSM]\nA=1\nB=0\nC=2\nD=-1\nE=yes\nF=0x0\n");
  EXPECT_TRUE(ini.ReadBool("GSM", "A", false));
  EXPECT_FALSE(ini.ReadBool("GSM", "B", true));
  EXPECT_TRUE(ini.ReadBool("GSM", "C", false));
  EXPECT_TRUE(ini.ReadBool("GSM", "D", false));
  EXPECT_TRUE(ini.ReadBool("GSM", "E", true));
  EXPECT_FALSE(ini.ReadBool("GSM", "E", false));
  EXPECT_FALSE(ini.ReadBool("GSM", "F", true));
}

TEST_F(IniFileTest, WritingCreatesTheFileAndSectionsWithCrLf) {
  TIniFile ini(path_);
  ini.WriteBool("GSM", "Enable", true);
  ini.WriteInteger("GSM", "COM", 3);
  ini.WriteString("PhoneList", "Name1", "Li");
  EXPECT_EQ(ReadFileBytes(path_), "[GSM]\r\nEnable=1\r\nCOM=3\r\n\r\n[PhoneList]\r\nName1=Li\r\n");
  EXPECT_EQ(ini.ReadInteger("GSM", "COM", 0), 3);  // the object reads what it wrote
  const TIniFile reread(path_);
  EXPECT_TRUE(reread.ReadBool("GSM", "Enable", false));
  EXPECT_EQ(reread.ReadString("PhoneList", "Name1", ""), "Li");
}

TEST_F(IniFileTest, WritingAKeyReplacesItsValueAndKeepsEveryOtherLine) {
  TIniFile ini = Open(
      "; settings\r\n[gsm]\r\n  delay = 10\r\nReload=60\r\n\r\n[PhoneList]\r\nNum1=\r\n");
  ini.WriteInteger("GSM", "Delay", 25);
  ini.WriteBool("GSM", "PWR_ALARM", false);
  ini.WriteString("PhoneList", "Num1", "13800000000");
  EXPECT_EQ(ReadFileBytes(path_),
            "; settings\r\n[gsm]\r\ndelay=25\r\nReload=60\r\nPWR_ALARM=0\r\n\r\n"
            "[PhoneList]\r\nNum1=13800000000\r\n");
}

TEST_F(IniFileTest, WritingKeepsLfLineEndsAndEndsAnUnterminatedLastLine) {
  TIniFile ini = Open("[A]\nx=1\n[B]\ny=2");
  ini.WriteInteger("B", "z", 3);
  ini.WriteInteger("C", "w", 4);
  EXPECT_EQ(ReadFileBytes(path_), "[A]\nx=1\n[B]\ny=2\nz=3\n\n[C]\nw=4\n");
}

TEST_F(IniFileTest, AWriteBehindADamagedLastLineReadsBackTheSameAtTheNextStart) {
  // Last lines without a line end, some ending in a CR of their own, after LF and CR LF lines.
  for (const std::string content :
       {"[GSM\r", "x=1\n[GSM\r", "[A]\nx=1\n[GSM\r", "[GSM]\nA=1\r", "[GSM]\n\r", "\r",
        "[A]\r\n[GSM]\r\r", "[A]\n[GSM \r"}) {
    SCOPED_TRACE(testing::PrintToString(content));
    TIniFile ini = Open(content);
    ini.WriteString("GSM", "ComNo", "3");
    const TIniFile next(path_);
    EXPECT_EQ(next.ReadString("GSM", "ComNo", "default"), "3");
    for (const char* section : {"GSM", "A"}) {
      for (const char* key : {"ComNo", "A", "x"}) {
        EXPECT_EQ(ini.ReadString(section, key, "-"), next.ReadString(section, key, "-"))
            << section << "/" << key;
      }
    }
    // Only the key was added: every line of the old file is still a line of the new one.
    EXPECT_TRUE(ReadFileBytes(path_).starts_with(content));
  }
}

TEST_F(IniFileTest, WrittenTextsAreEncodedToCodePage936) {
  TIniFile ini(path_);
  ini.WriteString("GSM", "Text", "系统断电!!");
  EXPECT_EQ(ReadFileBytes(path_), "[GSM]\r\nText=\xCF\xB5\xCD\xB3\xB6\xCF\xB5\xE7!!\r\n");
  EXPECT_EQ(TIniFile(path_).ReadString("GSM", "Text", ""), "系统断电!!");
}

TEST_F(IniFileTest, AValueIsWrittenUpToItsFirstLineBreak) {
  TIniFile ini = Open("[GSM]\r\nText=old\r\n[PhoneList]\r\nNum1=13800000000\r\n");
  ini.WriteString("GSM", "Text", "ALARM!\r\n[PhoneList]\r\nNum1=666");
  EXPECT_EQ(ReadFileBytes(path_), "[GSM]\r\nText=ALARM!\r\n[PhoneList]\r\nNum1=13800000000\r\n");
}

TEST_F(IniFileTest, EachWriteStartsFromTheFileAsItIsNow) {
  TIniFile first(path_);
  TIniFile second(path_);
  first.WriteString("S", "a", "1");
  second.WriteString("S", "b", "2");
  EXPECT_EQ(ReadFileBytes(path_), "[S]\r\na=1\r\nb=2\r\n");
}

TEST_F(IniFileTest, AFailedWriteRaisesNamingTheFile) {
  const std::string inMissingDir = dir_.File("no/such/dir/GSM_Alarm.ini");
  TIniFile missingDir(inMissingDir);
  try {
    missingDir.WriteInteger("GSM", "COM", 1);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find(inMissingDir), std::string::npos) << e.what();
  }

  std::filesystem::create_directory(path_);  // a directory where the file should be
  TIniFile directory(path_);
  EXPECT_THROW(directory.WriteInteger("GSM", "COM", 1), Exception);
  EXPECT_TRUE(std::filesystem::is_directory(path_));
  EXPECT_TRUE(std::filesystem::is_empty(dir_.Path() + "/Settings.ini"));
}

TEST_F(IniFileTest, AWriteThatFailsPartWayLeavesThePreviousFile) {
  TIniFile ini = Open("[GSM]\r\nText=old\r\n");
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{64, saved.rlim_max};  // writes past 64 bytes fail, as on a full disk
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_THROW(ini.WriteString("GSM", "Text", std::string(100, 'x')), Exception);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previousHandler);

  EXPECT_EQ(ReadFileBytes(path_), "[GSM]\r\nText=old\r\n");
  EXPECT_EQ(ini.ReadString("GSM", "Text", ""), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST_F(IniFileTest, WritingKeepsPermissionsAndLinksAndLeavesNoTemporaryFile) {
  const std::string target = dir_.File("real.ini");
  WriteFileBytes(target, "[S]\na=1\n");
  ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
  std::filesystem::create_symlink(target, path_);

  TIniFile ini(path_);
  ini.WriteString("S", "a", "2");

  EXPECT_TRUE(std::filesystem::is_symlink(path_));
  EXPECT_EQ(ReadFileBytes(target), "[S]\na=2\n");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.Path()),
                          std::filesystem::directory_iterator()),
            2);
}

}  // namespace
