#include "station/app/parts/ConfigFile.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>

#include "common/FixedText.h"
#include "platform/MemoryFileSystem.h"
#include "tests/support/TestSupport.h"

namespace {

template <class T>
void PutAt(std::string& image, std::size_t offset, const T& value) {
  std::memcpy(image.data() + offset, &value, sizeof value);
}

std::size_t BlockOffset(int index) {
  return static_cast<std::size_t>(kFirstMeterBlockOffset + kMeterBlockSize * index);
}

// A recognisable stored part: every byte derived from the meter index, channel count in range.
void FillMeter(TMeterRecord& meter, int index, int channels = kMaxChannels) {
  auto* bytes = reinterpret_cast<unsigned char*>(&meter.Stored());
  for (std::size_t i = 0; i < sizeof(TMeterStored); ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + index * 13 + 1);
  }
  meter.ChannelCount = static_cast<std::uint8_t>(channels);
  // Fields with a domain within it: a load names each one outside.
  meter.ComIndex = static_cast<std::uint8_t>(index % kComPortCount);
  meter.CommCode = static_cast<std::uint8_t>(index % 2);
  for (int c = 0; c < kMaxChannels; ++c) {
    meter.Channels[c].Decimals = static_cast<std::uint8_t>((index + c) % (kMaxDecimals + 1));
  }
  WriteFixedText(meter.Name, "Meter " + std::to_string(index));
}

bool SameStored(const TMeterRecord& a, const TMeterRecord& b) {
  return std::memcmp(&a.Stored(), &b.Stored(), sizeof(TMeterStored)) == 0;
}

// The failure's message, which must name the file.
std::string ExpectFailsNaming(const FileStatus& status, const std::string& path) {
  EXPECT_FALSE(status.ok()) << "no failure";
  EXPECT_NE(status.Message.find(path), std::string::npos) << status.Message;
  return status.Message;
}

// While it lives, writes at or past `bytes` fail with EFBIG (as a full disk fails them part-way)
// instead of raising SIGXFSZ.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, saved_.rlim_max};
    EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  }
  ~ScopedFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  void (*previousHandler_)(int) = SIG_DFL;
};

class ConfigFileTest : public ::testing::Test {
 protected:
  // A freshly created Config.dat.
  void Create() {
    bool created = false;
    ASSERT_TRUE(CreateConfigFileIfMissing(path_, &created).ok());
    ASSERT_TRUE(created);
  }

  // The file's bytes, changed by `edit`, written back.
  template <class Edit>
  void EditFile(Edit edit) {
    std::string image = ReadFileBytes(path_);
    edit(image);
    WriteFileBytes(path_, image);
  }

  TempDir dir_;
  std::string path_ = dir_.File("Config.dat");
  // The meter table is large; the heap keeps it off the test's stack.
  std::unique_ptr<MeterTable> table_ = std::make_unique<MeterTable>();
};

TEST_F(ConfigFileTest, AMissingFileIsCreatedZeroFilledWithTheDefaultPassword) {
  Create();
  std::string expected(static_cast<std::size_t>(kConfigFileSize), '\0');
  expected.replace(4, 6, "583106");
  EXPECT_EQ(ReadFileBytes(path_), expected);

  std::string password;
  EXPECT_EQ(LoadPassword(path_, password), "");
  EXPECT_EQ(password, "583106");
  EXPECT_EQ(LoadMeterTable(path_, *table_), "");
  EXPECT_EQ(table_->MeterCount, 0);
}

TEST_F(ConfigFileTest, AnExistingFileIsNeverWrittenByCreationOrLoading) {
  std::string content = "not a configuration at all";
  PutAt(content, 0, std::int32_t{2});
  WriteFileBytes(path_, content);

  bool created = true;
  EXPECT_TRUE(CreateConfigFileIfMissing(path_, &created).ok());
  EXPECT_FALSE(created);
  std::string password;
  std::int32_t color = 0;
  float low = 0, high = 0;
  PortBaudIndexTable bauds{};
  (void)LoadMeterTable(path_, *table_);
  (void)LoadChartBackColor(path_, color);
  (void)LoadPassword(path_, password);
  (void)LoadBaudTable(path_, bauds);
  (void)LoadCurveRange(path_, low, high);
  EXPECT_EQ(ReadFileBytes(path_), content);
}

TEST_F(ConfigFileTest, CreationFailuresAreReportedAndNothingIsLeftBehind) {
  const std::string inMissingDir = dir_.File("gone/Config.dat");
  ExpectFailsNaming(CreateConfigFileIfMissing(inMissingDir), inMissingDir);

  // A dangling link: the existence test fails, but the exclusive creation neither follows the
  // link nor replaces it.
  const std::string target = dir_.File("elsewhere.dat");
  std::filesystem::create_symlink(target, path_);
  ExpectFailsNaming(CreateConfigFileIfMissing(path_), path_);
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_TRUE(std::filesystem::is_symlink(path_));
}

TEST_F(ConfigFileTest, PasswordsFillTheEightByteField) {
  Create();
  ASSERT_TRUE(SavePassword(path_, "12345678").ok());
  EXPECT_EQ(ReadFileBytes(path_).substr(4, 10), std::string("12345678\0\0", 10));
  std::string password;
  EXPECT_EQ(LoadPassword(path_, password), "");
  EXPECT_EQ(password, "12345678");

  ASSERT_TRUE(SavePassword(path_, "abc").ok());
  EXPECT_EQ(ReadFileBytes(path_).substr(4, 8), std::string("abc\0\0\0\0\0", 8));
  EXPECT_EQ(LoadPassword(path_, password), "");
  EXPECT_EQ(password, "abc");

  ASSERT_TRUE(SavePassword(path_, "密码").ok());
  EXPECT_EQ(ReadFileBytes(path_).substr(4, 8), std::string("\xC3\xDC\xC2\xEB\0\0\0\0", 8));
  EXPECT_EQ(LoadPassword(path_, password), "");
  EXPECT_EQ(password, "密码");

  ASSERT_TRUE(SavePassword(path_, "").ok());
  EXPECT_EQ(ReadFileBytes(path_).substr(4, 8), std::string(8, '\0'));
}

TEST_F(ConfigFileTest, APasswordThatDoesNotFitIsRefusedBeforeAnythingIsWritten) {
  Create();
  const std::string before = ReadFileBytes(path_);
  for (const char* password : {"123456789", "五个汉字啊" /* 10 bytes */,
                               "pw\xF0\x9F\x98\x80" /* not in the code page */}) {
    const std::string text = ExpectFailsNaming(SavePassword(path_, password), path_);
    EXPECT_NE(text.find("does not fit"), std::string::npos) << text;
  }
  EXPECT_EQ(ReadFileBytes(path_), before);
}

TEST_F(ConfigFileTest, SavingAnEmptyTableWritesTheCountOnly) {
  Create();
  FillMeter(table_->Meters[0], 0);
  table_->MeterCount = 1;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());
  const std::string before = ReadFileBytes(path_);

  table_->MeterCount = 0;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());
  std::string expected = before;
  PutAt(expected, 0, std::int32_t{0});
  EXPECT_EQ(ReadFileBytes(path_), expected);
}

TEST_F(ConfigFileTest, ASmallerSaveLeavesOldBlocksThatLoadingDoesNotRead) {
  Create();
  for (int i = 0; i < 5; ++i) FillMeter(table_->Meters[i], i, i + 1);
  table_->MeterCount = 5;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());
  const std::string fiveMeters = ReadFileBytes(path_);
  for (int i = 0; i < 3; ++i) FillMeter(table_->Meters[i], i + 50);
  table_->MeterCount = 3;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());

  const std::string threeMeters = ReadFileBytes(path_);
  EXPECT_EQ(threeMeters.substr(BlockOffset(3), 2 * kMeterBlockSize),
            fiveMeters.substr(BlockOffset(3), 2 * kMeterBlockSize));

  auto loaded = std::make_unique<MeterTable>();
  FillMeter(loaded->Meters[3], 99);
  const TMeterRecord untouched = loaded->Meters[3];
  EXPECT_EQ(LoadMeterTable(path_, *loaded), "");
  EXPECT_EQ(loaded->MeterCount, 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameStored(loaded->Meters[i], table_->Meters[i])) << i;
  EXPECT_TRUE(SameStored(loaded->Meters[3], untouched));
}

TEST_F(ConfigFileTest, AFullTableRoundTripsByteForByte) {
  Create();
  for (int i = 0; i < kMaxMeters; ++i) FillMeter(table_->Meters[i], i);
  table_->Meters[7].Reserved[0] = 0xA5;  // never interpreted, but carried along
  table_->Meters[7].Reserved[3] = 0x5A;
  table_->MeterCount = kMaxMeters;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());

  const std::string image = ReadFileBytes(path_);
  ASSERT_EQ(image.size(), static_cast<std::size_t>(kConfigFileSize));
  for (int i = 0; i < kMaxMeters; ++i) {
    ASSERT_EQ(std::memcmp(image.data() + BlockOffset(i), &table_->Meters[i].Stored(),
                          kMeterBlockSize),
              0)
        << "block " << i;
  }
  auto loaded = std::make_unique<MeterTable>();
  EXPECT_EQ(LoadMeterTable(path_, *loaded), "");
  EXPECT_EQ(loaded->MeterCount, kMaxMeters);
  for (int i = 0; i < kMaxMeters; ++i) {
    ASSERT_TRUE(SameStored(loaded->Meters[i], table_->Meters[i])) << "meter " << i;
  }
}

TEST_F(ConfigFileTest, AStoredCountOutsideTheTableLoadsTheMetersTheBlocksHold) {
  Create();
  for (int i = 0; i < kMaxMeters; ++i) FillMeter(table_->Meters[i], i);
  table_->MeterCount = kMaxMeters;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());

  EditFile([](std::string& image) { PutAt(image, 0, std::int32_t{200}); });
  const std::string stored = ReadFileBytes(path_);
  auto loaded = std::make_unique<MeterTable>();
  const std::string problem = LoadMeterTable(path_, *loaded);
  EXPECT_NE(problem.find("200"), std::string::npos) << problem;
  EXPECT_NE(problem.find(path_), std::string::npos) << problem;
  EXPECT_EQ(loaded->MeterCount, kMaxMeters);
  EXPECT_TRUE(SameStored(loaded->Meters[kMaxMeters - 1], table_->Meters[kMaxMeters - 1]));

  EditFile([](std::string& image) { PutAt(image, 0, std::int32_t{-1}); });
  auto all = std::make_unique<MeterTable>();
  EXPECT_NE(LoadMeterTable(path_, *all), "");
  EXPECT_EQ(all->MeterCount, kMaxMeters);
  EXPECT_EQ(ReadFileBytes(path_).substr(4), stored.substr(4));
}

TEST_F(ConfigFileTest, ATruncatedFileLoadsTheWholeBlocksItHolds) {
  Create();
  for (int i = 0; i < 5; ++i) FillMeter(table_->Meters[i], i);
  table_->MeterCount = 5;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());
  std::filesystem::resize_file(path_, BlockOffset(2) + kMeterBlockSize + 100);

  auto loaded = std::make_unique<MeterTable>();
  const std::string problem = LoadMeterTable(path_, *loaded);
  EXPECT_NE(problem.find("shorter"), std::string::npos) << problem;
  EXPECT_EQ(loaded->MeterCount, 3);
  EXPECT_TRUE(SameStored(loaded->Meters[2], table_->Meters[2]));
  EXPECT_EQ(loaded->Meters[3].ChannelCount, 0);  // the partial block was not copied in

  std::filesystem::resize_file(path_, 2);
  std::int32_t color = 77;
  std::string password = "kept";
  EXPECT_NE(LoadChartBackColor(path_, color), "");
  EXPECT_NE(LoadPassword(path_, password), "");
  EXPECT_NE(LoadMeterTable(path_, *loaded), "");
  EXPECT_EQ(color, 77);
  EXPECT_EQ(password, "kept");
  EXPECT_EQ(loaded->MeterCount, 3);
}

TEST_F(ConfigFileTest, ChannelCountsOutsideOneTo48AreBroughtIntoRange) {
  Create();
  FillMeter(table_->Meters[0], 0, 0);
  FillMeter(table_->Meters[1], 1, 200);
  FillMeter(table_->Meters[2], 2, 48);
  table_->MeterCount = 3;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());

  auto loaded = std::make_unique<MeterTable>();
  const std::string problem = LoadMeterTable(path_, *loaded);
  EXPECT_NE(problem.find("meter 1: no channels, taken as 1"), std::string::npos) << problem;
  EXPECT_NE(problem.find("meter 2: more than 48 channels, taken as 48"), std::string::npos)
      << problem;
  EXPECT_EQ(loaded->MeterCount, 3);
  EXPECT_EQ(loaded->Meters[0].ChannelCount, 1);
  EXPECT_EQ(loaded->Meters[1].ChannelCount, kMaxChannels);
  EXPECT_EQ(loaded->Meters[2].ChannelCount, kMaxChannels);
}

TEST_F(ConfigFileTest, SettingsRoundTripAtTheirOffsetsAndTouchNothingElse) {
  Create();
  const std::string fresh = ReadFileBytes(path_);
  PortBaudIndexTable bauds{};
  for (int p = 0; p < kComPortCount; ++p) bauds[p] = p % 8;
  ASSERT_TRUE(SaveChartBackColor(path_, 0x00112233).ok());
  ASSERT_TRUE(SaveCurveRange(path_, -10.0f, 500.0f).ok());
  ASSERT_TRUE(SaveBaudTable(path_, bauds).ok());

  std::string expected = fresh;
  PutAt(expected, 14, std::int32_t{0x00112233});
  PutAt(expected, 178, -10.0f);
  PutAt(expected, 182, 500.0f);
  std::memcpy(expected.data() + 18, bauds.data(), sizeof bauds);
  EXPECT_EQ(ReadFileBytes(path_), expected);

  std::int32_t color = 0;
  float low = 0, high = 0;
  PortBaudIndexTable loaded{};
  EXPECT_EQ(LoadChartBackColor(path_, color), "");
  EXPECT_EQ(LoadCurveRange(path_, low, high), "");
  EXPECT_EQ(LoadBaudTable(path_, loaded), "");
  EXPECT_EQ(color, 0x00112233);
  EXPECT_EQ(low, -10.0f);
  EXPECT_EQ(high, 500.0f);
  EXPECT_EQ(loaded, bauds);
}

TEST_F(ConfigFileTest, BaudIndexesOutsideTheTableAreTakenAsZeroAndReported) {
  Create();
  EditFile([](std::string& image) {
    PutAt(image, 18 + 4 * 0, std::int32_t{7});
    PutAt(image, 18 + 4 * 1, std::int32_t{8});
    PutAt(image, 18 + 4 * 39, std::int32_t{-1});
  });
  const std::string stored = ReadFileBytes(path_);
  PortBaudIndexTable bauds{};
  bauds.fill(5);
  const std::string problem = LoadBaudTable(path_, bauds);
  EXPECT_NE(problem.find("COM2"), std::string::npos) << problem;
  EXPECT_NE(problem.find("COM40"), std::string::npos) << problem;
  EXPECT_EQ(bauds[0], 7);
  EXPECT_EQ(bauds[1], 0);
  EXPECT_EQ(bauds[2], 0);
  EXPECT_EQ(bauds[39], 0);
  EXPECT_EQ(ReadFileBytes(path_), stored);
}

TEST_F(ConfigFileTest, FailedSavesNameTheFileAndNeverCreateIt) {
  table_->MeterCount = 1;
  PortBaudIndexTable bauds{};
  const std::string missing = dir_.File("gone/Config.dat");
  for (const std::string& path : {missing, path_}) {
    ExpectFailsNaming(SaveMeterTable(path, *table_), path);
    ExpectFailsNaming(SaveChartBackColor(path, 1), path);
    ExpectFailsNaming(SaveCurveRange(path, 0, 1), path);
    ExpectFailsNaming(SaveBaudTable(path, bauds), path);
    ExpectFailsNaming(SavePassword(path, "x"), path);
  }
  EXPECT_FALSE(std::filesystem::exists(path_));

  std::filesystem::create_directory(path_);  // a directory in place of the file
  const std::string text = ExpectFailsNaming(SaveChartBackColor(path_, 1), path_);
  EXPECT_NE(text.find(std::strerror(EISDIR)), std::string::npos) << text;
}

TEST_F(ConfigFileTest, AnInterruptedTableSaveKeepsTheOldCountAndFails) {
  Create();
  for (int i = 0; i < 2; ++i) FillMeter(table_->Meters[i], i);
  table_->MeterCount = 2;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());
  for (int i = 0; i < 5; ++i) FillMeter(table_->Meters[i], i + 20);
  table_->MeterCount = 5;
  {
    const ScopedFileSizeLimit limit(BlockOffset(3));  // block 3 cannot be written
    ExpectFailsNaming(SaveMeterTable(path_, *table_), path_);
  }
  auto loaded = std::make_unique<MeterTable>();
  EXPECT_EQ(LoadMeterTable(path_, *loaded), "");
  EXPECT_EQ(loaded->MeterCount, 2);
}

TEST_F(ConfigFileTest, AFailedCreationRemovesThePartlyWrittenFile) {
  {
    const ScopedFileSizeLimit limit(1000);
    ExpectFailsNaming(CreateConfigFileIfMissing(path_), path_);
  }
  EXPECT_FALSE(std::filesystem::exists(path_));
}

TEST_F(ConfigFileTest, LoadsFromAMissingFileReportItAndChangeNothing) {
  std::int32_t color = 5;
  PortBaudIndexTable bauds{};
  bauds.fill(3);
  table_->MeterCount = 4;
  EXPECT_NE(LoadChartBackColor(path_, color).find(path_), std::string::npos);
  EXPECT_NE(LoadBaudTable(path_, bauds), "");
  EXPECT_NE(LoadMeterTable(path_, *table_), "");
  EXPECT_EQ(color, 5);
  EXPECT_EQ(bauds[0], 3);
  EXPECT_EQ(table_->MeterCount, 4);
}

TEST_F(ConfigFileTest, NothingIsReadOrWrittenPastTheTable) {
  Create();
  table_->MeterCount = kMaxMeters + 1;
  ExpectFailsNaming(SaveMeterTable(path_, *table_), path_);
  ExpectFailsNaming(WriteMeterBlock(path_, table_->Meters[0], kMaxMeters), path_);
  ExpectFailsNaming(WriteMeterBlock(path_, table_->Meters[0], -1), path_);
  FillMeter(table_->Meters[0], 3);
  const TMeterRecord before = table_->Meters[0];
  const std::string problem = ReadMeterBlock(path_, table_->Meters[0], kMaxMeters);
  EXPECT_NE(problem.find("lies outside the table"), std::string::npos) << problem;
  EXPECT_TRUE(SameStored(table_->Meters[0], before));
  EXPECT_EQ(std::filesystem::file_size(path_), static_cast<std::uintmax_t>(kConfigFileSize));
}

TEST_F(ConfigFileTest, TheSameBytesLoadAlikeFromAFileSystemInMemory) {
  Create();
  for (int i = 0; i < 4; ++i) FillMeter(table_->Meters[i], i, i + 1);
  table_->MeterCount = 4;
  ASSERT_TRUE(SaveMeterTable(path_, *table_).ok());
  // Damaged: a baud index outside the table, and the file cut inside block 3.
  EditFile([](std::string& image) { PutAt(image, 18 + 4 * 5, std::int32_t{9}); });
  std::filesystem::resize_file(path_, BlockOffset(3) + 10);

  MemoryFileSystem memory;
  memory.Put(path_, ReadFileBytes(path_));
  auto onDisk = std::make_unique<MeterTable>();
  auto inMemory = std::make_unique<MeterTable>();
  PortBaudIndexTable diskBauds{}, memoryBauds{};
  std::string diskPassword, memoryPassword;
  EXPECT_EQ(LoadMeterTable(path_, *inMemory, memory), LoadMeterTable(path_, *onDisk));
  EXPECT_EQ(LoadBaudTable(path_, memoryBauds, memory), LoadBaudTable(path_, diskBauds));
  EXPECT_EQ(LoadPassword(path_, memoryPassword, nullptr, memory),
            LoadPassword(path_, diskPassword));
  EXPECT_EQ(inMemory->MeterCount, 3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(SameStored(inMemory->Meters[i], onDisk->Meters[i]));
  EXPECT_EQ(memoryBauds, diskBauds);
  EXPECT_EQ(memoryPassword, diskPassword);

  // Saves and a creation work on it as on disk; a load never writes.
  const std::string missing = "/memory/Config.dat";
  EXPECT_EQ(LoadMeterTable(missing, *inMemory, memory),
            "Cannot open \"" + missing +
                "\": No such file or directory; not loaded: the meter table");
  ASSERT_TRUE(CreateConfigFileIfMissing(missing, nullptr, memory).ok());
  ASSERT_TRUE(SavePassword(missing, "abc", memory).ok());
  EXPECT_EQ(memory.Bytes(missing)->substr(0, 12), std::string("\0\0\0\0abc\0\0\0\0\0", 12));
  EXPECT_EQ(memory.Bytes(path_), ReadFileBytes(path_));
}

}  // namespace
