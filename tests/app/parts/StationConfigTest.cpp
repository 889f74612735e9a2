// The station's stored configuration without a window: Config.dat created, loaded and saved
// through the configuration part, on disk and in memory.

#include "station/app/parts/StationConfig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "common/FixedText.h"
#include "platform/MemoryFileSystem.h"
#include "station/app/parts/ConfigFile.h"
#include "tests/support/TestSupport.h"

namespace {

class StationConfigTest : public ::testing::Test {
 protected:
  std::string Path() const { return dir_.File("Config.dat"); }
  // Some 520 kB: on the heap.
  std::unique_ptr<TStationConfig> MakeConfig() const {
    return std::make_unique<TStationConfig>([path = Path()] { return path; });
  }
  // A new configuration that loads the file as start-up does.
  static void LoadAll(TStationConfig& config) {
    config.LoadMeterTable();
    config.LoadChartBackColor();
    config.LoadPassword();
    config.LoadBaudTable();
    config.LoadCurveRange();
  }

  TempDir dir_;
};

TEST_F(StationConfigTest, AMissingFileIsCreatedWithTheDefaultPasswordAndNoMeters) {
  const auto ownedConfig = MakeConfig();
  TStationConfig& config = *ownedConfig;
  config.Table().MeterCount = 5;
  ASSERT_TRUE(config.CreateFileIfMissing().ok());
  EXPECT_EQ(config.Table().MeterCount, 0);
  EXPECT_EQ(config.Password(), "583106");
  EXPECT_EQ(ReadFileBytes(Path()).size(), static_cast<std::size_t>(kConfigFileSize));

  // An existing file is left as it is, and so is the configuration in memory.
  ASSERT_TRUE(config.ChangePassword("other").ok());
  config.Table().MeterCount = 3;
  const std::string before = ReadFileBytes(Path());
  ASSERT_TRUE(config.CreateFileIfMissing().ok());
  EXPECT_EQ(config.Table().MeterCount, 3);
  EXPECT_EQ(config.Password(), "other");
  EXPECT_EQ(ReadFileBytes(Path()), before);
}

TEST_F(StationConfigTest, EverythingSavedLoadsBackTheSame) {
  const auto ownedSaved = MakeConfig();
  TStationConfig& saved = *ownedSaved;
  ASSERT_TRUE(saved.CreateFileIfMissing().ok());
  MeterTable& table = saved.Table();
  table.MeterCount = 2;
  for (int m = 0; m < 2; ++m) {
    table.Meters[m].Clear();
    table.Meters[m].SlaveAddress = static_cast<std::uint8_t>(m + 7);
    table.Meters[m].ChannelCount = 3;
    WriteFixedText(table.Meters[m].Name, "M" + std::to_string(m));
  }
  table.PortBaudIndex[4] = 6;
  ASSERT_TRUE(saved.SaveMeterTable().ok());
  ASSERT_TRUE(saved.SaveBaudTable().ok());
  ASSERT_TRUE(saved.SetChartBackColor(0x00112233).ok());
  ASSERT_TRUE(saved.SetCurveRange(-20.0f, 123456.0f).ok());
  ASSERT_TRUE(saved.ChangePassword("abcdefgh").ok());

  const auto ownedLoaded = MakeConfig();
  TStationConfig& loaded = *ownedLoaded;
  LoadAll(loaded);
  EXPECT_TRUE(loaded.TakeLoadProblems().empty());
  ASSERT_EQ(loaded.Table().MeterCount, 2);
  for (int m = 0; m < 2; ++m) {
    EXPECT_EQ(std::memcmp(&loaded.Table().Meters[m].Stored(), &table.Meters[m].Stored(),
                          sizeof(TMeterStored)),
              0);
  }
  EXPECT_EQ(loaded.Table().PortBaudIndex[4], 6);
  EXPECT_EQ(loaded.ChartBackColor(), 0x00112233);
  EXPECT_EQ(loaded.CurveRangeLow(), -20.0f);
  EXPECT_EQ(loaded.CurveRangeHigh(), 123456.0f);
  EXPECT_EQ(loaded.Password(), "abcdefgh");
  EXPECT_EQ(loaded.Access().SignInRefusal(), "");
}

TEST_F(StationConfigTest, AShortFileIsReportedOnceForEachLoadAndLocksTheSignIn) {
  // Only the meter count and part of the password field: every other load finds nothing.
  MemoryFileSystem files;
  files.Put("/Config.dat", std::string(6, '\0'));
  const auto owned = std::make_unique<TStationConfig>([] { return std::string("/Config.dat"); },
                                                      files);
  TStationConfig& config = *owned;
  LoadAll(config);
  const std::vector<std::string> problems = config.TakeLoadProblems();
  ASSERT_EQ(problems.size(), 4u);
  for (const std::string& problem : problems) {
    EXPECT_NE(problem.find("\"/Config.dat\" is shorter than 477608 bytes"), std::string::npos)
        << problem;
  }
  EXPECT_NE(problems[1].find("password"), std::string::npos) << problems[1];
  EXPECT_NE(config.Access().SignInRefusal().find("password field"), std::string::npos);
  EXPECT_TRUE(config.TakeLoadProblems().empty()) << "the problems are handed over once";
}

TEST_F(StationConfigTest, AFailedPasswordSaveKeepsThePasswordThatIsOnDisk) {
  const auto ownedConfig = MakeConfig();
  TStationConfig& config = *ownedConfig;
  ASSERT_TRUE(config.CreateFileIfMissing().ok());
  std::filesystem::remove(Path());
  std::filesystem::create_directory(Path());
  const FileStatus status = config.ChangePassword("other");
  EXPECT_FALSE(status.ok());
  EXPECT_NE(status.Message.find(Path()), std::string::npos) << status.Message;
  EXPECT_EQ(config.Password(), "583106");
}

TEST_F(StationConfigTest, TrendSettingsTakeTheirValueEvenWhenTheWriteFails) {
  // No Config.dat: the chart shows what the operator chose, and the failure is reported.
  const auto ownedConfig = MakeConfig();
  TStationConfig& config = *ownedConfig;
  EXPECT_FALSE(config.SetChartBackColor(0x0000FF).ok());
  EXPECT_FALSE(config.SetCurveRange(1.0f, 2.0f).ok());
  EXPECT_EQ(config.ChartBackColor(), 0x0000FF);
  EXPECT_EQ(config.CurveRangeLow(), 1.0f);
  EXPECT_EQ(config.CurveRangeHigh(), 2.0f);
  EXPECT_FALSE(std::filesystem::exists(Path())) << "a save never creates the file";
}

TEST_F(StationConfigTest, EveryMeterStartsOfflineWithItsValuesKept) {
  const auto ownedConfig = MakeConfig();
  TStationConfig& config = *ownedConfig;
  for (int m : {0, 119}) {
    config.Table().Meters[m].Online = 1;
    config.Table().Meters[m].FailureCount = 3;
    config.Table().Meters[m].Values[0] = 4.5f;
  }
  config.ClearOnlineStates();
  for (int m : {0, 119}) {
    EXPECT_EQ(config.Table().Meters[m].Online, 0);
    EXPECT_EQ(config.Table().Meters[m].FailureCount, 0);
    EXPECT_EQ(config.Table().Meters[m].Value(0), 4.5f);
  }
}

TEST(CurveRangeTest, TheRangeIsTakenAsWholeNumbersWithTheLowEndBelowTheHighOne) {
  struct Case {
    const char* low;
    const char* high;
    TCurveRangeCheck check;
    float takenLow, takenHigh;
  };
  const Case cases[] = {
      {"0", "500", TCurveRangeCheck::Accepted, 0, 500},
      {"-20.7", "123456.9", TCurveRangeCheck::Accepted, -20, 123456},
      {"10.9", "10.2", TCurveRangeCheck::NotAscending, 0, 0},  // 10 and 10
      {"-0.5", "0.7", TCurveRangeCheck::NotAscending, 0, 0},   // 0 and 0
      {"abc", "500", TCurveRangeCheck::NotANumber, 0, 0},
      {"0", "1e40", TCurveRangeCheck::NotANumber, 0, 0},  // beyond float32
      {"9", "x", TCurveRangeCheck::NotANumber, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.low) + " .. " + c.high);
    const TCurveRangeEntry range = CheckCurveRange(c.low, c.high);
    EXPECT_EQ(range.Check, c.check);
    EXPECT_EQ(range.Low, c.takenLow);
    EXPECT_EQ(range.High, c.takenHigh);
  }
  EXPECT_EQ(CurveRangeRefusal(TCurveRangeCheck::Accepted), nullptr);
  EXPECT_STREQ(CurveRangeRefusal(TCurveRangeCheck::NotANumber), "Data Error!");
  EXPECT_STREQ(CurveRangeRefusal(TCurveRangeCheck::NotAscending),
               "Please set the trend' high range value higher than the trend' low range value!");
  EXPECT_EQ(CurveRangeText(-20.0f), "-20");
  EXPECT_EQ(CurveRangeText(123456.0f), "1.2346E005");
}

TEST(SignInTest, OnlyTheStoredPasswordItselfSignsInAndNothingWhenItWasNotRead) {
  EXPECT_TRUE(SignInAccepted("583106", "583106", ""));
  EXPECT_TRUE(SignInAccepted("", "", ""));
  EXPECT_FALSE(SignInAccepted("Abc", "abc", ""));
  EXPECT_FALSE(SignInAccepted("abc ", "abc", ""));
  EXPECT_FALSE(SignInAccepted("abcdefg", "abcdefgh", ""));
  TConfigAccess access;
  access.PasswordLoaded("short file");
  EXPECT_FALSE(SignInAccepted("", "", access.SignInRefusal()));
  EXPECT_FALSE(SignInAccepted("583106", "583106", access.SignInRefusal()));
}

}  // namespace
