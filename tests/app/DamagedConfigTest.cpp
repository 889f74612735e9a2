// Damaged Config.dat files given to the station: random bytes, good files cut off anywhere, and
// fields out of their ranges. Whatever the file holds, start-up reports what it could not take
// and goes on into run mode; polling, a few supervision ticks, configuration mode with the
// editors' row selections, Modify and Save, and the next run mode all keep to the tables.
//
// No meter of these files reaches a device or the network: every COM port is a link to nothing,
// and every IP address text is made one that is not an address.

#include <QCoreApplication>
#include <QPushButton>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "platform/gui/Dialogs.h"
#include "platform/gui/StringGrid.h"
#include "station/comm/MeterComm.h"
#include "tests/app/StartupFixture.h"

namespace {

constexpr int kTicks = 3;
constexpr int kRowsSelected = 4;  // meter rows tried in configuration mode, and the last one

template <class T>
void Put(std::string& file, std::size_t offset, T value) {
  if (offset + sizeof value <= file.size()) std::memcpy(file.data() + offset, &value, sizeof value);
}

std::size_t BlockOffset(int meter) { return kFirstMeterBlockOffset + kMeterBlockSize * meter; }

// Every IP address text of the file begins with a character no dotted address begins with.
void KeepOffTheNetwork(std::string& file) {
  for (int m = 0; m < kMaxMeters; ++m) {
    Put<char>(file, BlockOffset(m) + offsetof(TMeterStored, IpAddress), '#');
  }
}

// A file as the station saves it: `meters` meters of `channels` channels each, named, on COM1.
std::string GoodFile(int meters, int channels) {
  auto table = std::make_unique<MeterTable>();
  for (int m = 0; m < meters; ++m) {
    TMeterRecord& meter = AddSerialMeter(*table, static_cast<std::uint8_t>(m + 1), 0);
    meter.ChannelCount = static_cast<std::uint8_t>(channels);
    meter.RecordInterval = 1;
    for (int ch = 0; ch < channels; ++ch) {
      WriteFixedText(meter.Channels[ch].Name, "CH" + std::to_string(ch + 1));
      meter.Channels[ch].HA = 1;
    }
  }
  std::string file(static_cast<std::size_t>(kConfigFileSize), '\0');
  Put<std::int32_t>(file, kMeterCountOffset, meters);
  std::copy(kDefaultPassword.begin(), kDefaultPassword.end(), file.begin() + kPasswordOffset);
  for (int m = 0; m < meters; ++m) {
    std::memcpy(file.data() + BlockOffset(m), &table->Meters[m].Stored(), kMeterBlockSize);
  }
  return file;
}

class DamagedConfigTest : public StationDirTest {
 protected:
  DamagedConfigTest() { LinkEveryComPortToNothing(); }

  // Starts the station on `file` and works it through every mode; checks that what it holds
  // stays within the tables throughout.
  void RunTheStation(std::string file) {
    KeepOffTheNetwork(file);
    WriteFile("Config.dat", file);
    errorBoxes.clear();
    StartStation();
    form->StartupFinished();
    EXPECT_TRUE(form->InRunMode()) << errorBoxes.join('\n').toStdString();
    ExpectTableInRange();
    Ticks();
    SignIn();
    SelectEditorRows();
    ModifyAndSave();
    form->btn_SignOut->click();
    EXPECT_TRUE(form->InRunMode()) << errorBoxes.join('\n').toStdString();
    Ticks();
    form->close();
    ExpectTableInRange();
    form.reset();
  }

  void ExpectTableInRange() {
    const MeterTable& table = form->Configuration().Table();
    ASSERT_GE(table.MeterCount, 0);
    ASSERT_LE(table.MeterCount, kMaxMeters);
    for (int m = 0; m < table.MeterCount; ++m) {
      EXPECT_GE(table.Meters[m].ChannelCount, 1) << m;
      EXPECT_LE(table.Meters[m].ChannelCount, kMaxChannels) << m;
    }
    for (int p = 0; p < kComPortCount; ++p) {
      EXPECT_GE(table.PortBaudIndex[p], 0) << p;
      EXPECT_LT(table.PortBaudIndex[p], kBaudRateCount) << p;
    }
  }

  void Ticks() {
    for (int t = 0; t < kTicks; ++t) {
      clock.AdvanceSeconds(1);
      form->timer_PerSecondTimer();
      QCoreApplication::processEvents();
    }
  }

  // The sign-in dialog is answered with OK (the password is not what these tests are about).
  void SignIn() {
    ScopedModalHook accept([](QDialog&) { return int{mrOk}; });
    form->btn_Login->click();
    ASSERT_FALSE(form->InRunMode());
  }

  // A row selection runs from a click, under the application's guard; so here.
  static void Select(TStringGrid& grid, int row) {
    RunGuarded([&] { grid.SetRow(row); });
  }

  // The first meter rows and the last, each with every row of its channel grid.
  void SelectEditorRows() {
    TStringGrid& meters = *form->strgGrid_MeterList;
    for (int row = 1; row < meters.RowCount(); ++row) {
      if (row > kRowsSelected && row != meters.RowCount() - 1) continue;
      Select(meters, row);
      TStringGrid& channels = *form->strgGrid_MeterChannelList;
      for (int ch = 1; ch < channels.RowCount(); ++ch) Select(channels, ch);
    }
  }

  // Modify takes the selected meter's and channel's fields back from the edits they were shown
  // in; Save writes the table as it stands.
  void ModifyAndSave() {
    Select(*form->strgGrid_MeterList, 1);
    Select(*form->strgGrid_MeterChannelList, 1);
    form->btn_MeterModify->click();
    form->btn_ChannelModify->click();
    form->btn_MeterSave->click();
    form->btn_ChannelSave->click();
  }

  ScopedFastSleep fastSleep;
  ScopedFakeClock clock{EncodeDateTime({2021, 6, 1, 8, 0, 0, 0})};
};

TEST_F(DamagedConfigTest, RandomBytesOfAnyLength) {
  std::mt19937 random(477608);
  // Lengths around the fields and blocks, and anywhere in the file.
  std::uniform_int_distribution<std::size_t> anywhere(0, kConfigFileSize + 100);
  for (const std::size_t length :
       {std::size_t{0}, std::size_t{3}, std::size_t{15}, std::size_t{100},
        std::size_t{kFirstMeterBlockOffset + 1}, std::size_t{kFirstMeterBlockOffset + 3 * 3963},
        anywhere(random), anywhere(random), std::size_t{kConfigFileSize}}) {
    SCOPED_TRACE("length " + std::to_string(length));
    std::string file = RandomBytes(random, length);
    // Mostly a count the table can hold, so that the noise behind it is loaded as meters.
    if (random() % 3 != 0) {
      Put<std::int32_t>(file, kMeterCountOffset,
                        std::uniform_int_distribution<std::int32_t>(0, kMaxMeters)(random));
    }
    RunTheStation(file);
  }
}

TEST_F(DamagedConfigTest, GoodFilesCutAnywhere) {
  std::mt19937 random(2048);
  const std::string good = GoodFile(6, 5);
  std::uniform_int_distribution<std::size_t> cut(0, BlockOffset(6));
  for (int n = 0; n < 6; ++n) {
    const std::size_t length = cut(random);
    SCOPED_TRACE("cut at " + std::to_string(length));
    RunTheStation(good.substr(0, length));
    if (length >= BlockOffset(0)) {
      // Only whole blocks are loaded; the cut one is reported.
      const int whole = static_cast<int>((length - BlockOffset(0)) / kMeterBlockSize);
      StartStation();
      EXPECT_EQ(form->Configuration().Table().MeterCount, std::min(whole, 6));
      form.reset();
    }
  }
}

TEST_F(DamagedConfigTest, FieldsOutsideTheirRanges) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  std::mt19937 random(3963);
  for (const std::int32_t count : {-1, kMin, kMaxMeters + 1, kMax}) {
    SCOPED_TRACE("meter count " + std::to_string(count));
    std::string file = GoodFile(kMaxMeters, 1);
    Put<std::int32_t>(file, kMeterCountOffset, count);
    RunTheStation(file);
  }
  for (const std::int32_t baud : {-1, kBaudRateCount, kMin, kMax}) {
    SCOPED_TRACE("baud index " + std::to_string(baud));
    std::string file = GoodFile(2, 2);
    for (int p = 0; p < kComPortCount; ++p) Put<std::int32_t>(file, kBaudTableOffset + 4 * p, baud);
    RunTheStation(file);
  }
  // One meter per damaged field, and meters whose every text runs to the end of its field.
  std::string file = GoodFile(14, kMaxChannels);
  const auto field = [&](int m, std::size_t offset) { return BlockOffset(m) + offset; };
  const auto channel = [&](int m, int ch, std::size_t offset) {
    return field(m, offsetof(TMeterStored, Channels) + sizeof(TChannelRecord) * ch + offset);
  };
  Put<std::uint8_t>(file, field(0, offsetof(TMeterStored, ChannelCount)), 0);
  Put<std::uint8_t>(file, field(1, offsetof(TMeterStored, ChannelCount)), kMaxChannels + 1);
  Put<std::uint8_t>(file, field(2, offsetof(TMeterStored, ChannelCount)), 255);
  Put<std::uint8_t>(file, field(3, offsetof(TMeterStored, CommCode)), 2);
  Put<std::uint8_t>(file, field(4, offsetof(TMeterStored, CommCode)), 255);
  Put<std::uint8_t>(file, field(5, offsetof(TMeterStored, CommMode)), 255);
  Put<std::uint8_t>(file, field(6, offsetof(TMeterStored, ComIndex)), kComPortCount);
  Put<std::uint8_t>(file, field(7, offsetof(TMeterStored, ComIndex)), 255);
  Put<std::uint8_t>(file, channel(8, 0, offsetof(TChannelRecord, Decimals)), kMaxDecimals + 1);
  Put<std::uint8_t>(file, channel(8, kMaxChannels - 1, offsetof(TChannelRecord, Decimals)), 255);
  Put<std::int32_t>(file, field(9, offsetof(TMeterStored, RecordInterval)), kMin);
  Put<std::int32_t>(file, field(10, offsetof(TMeterStored, RecordInterval)), kMax);
  Put<std::uint16_t>(file, field(11, offsetof(TMeterStored, StartRegister)), 65535);
  Put<std::int32_t>(file, field(11, offsetof(TMeterStored, TcpPort)), kMin);
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    Put<float>(file, channel(12, ch, offsetof(TChannelRecord, LLA)), nan);
    Put<float>(file, channel(12, ch, offsetof(TChannelRecord, HHA)), ch % 2 ? inf : -inf);
    Put<std::int32_t>(file, channel(12, ch, offsetof(TChannelRecord, Colour)), kMin + ch);
  }
  for (const std::size_t text : {offsetof(TMeterStored, IpAddress), offsetof(TMeterStored, Name)}) {
    const std::size_t width = text == offsetof(TMeterStored, Name) ? 40 : 16;
    file.replace(field(13, text), width, RandomBytes(random, width));
  }
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    file.replace(channel(13, ch, offsetof(TChannelRecord, Unit)), 60, RandomBytes(random, 60));
  }
  // The first meter keeps the history interval a station writes, so records are made.
  Put<std::int32_t>(file, field(0, offsetof(TMeterStored, RecordInterval)), 1);
  RunTheStation(file);
}

// A Config.dat that no load can read fails all five for one cause: one line says so and names
// everything that was not loaded.
TEST_F(DamagedConfigTest, AFolderInPlaceOfTheFileIsToldInOneLineNamingWhatWasNotLoaded) {
  std::filesystem::create_directory("Config.dat");
  StartStation();
  QCoreApplication::processEvents();
  EXPECT_TRUE(form->InRunMode());
  EXPECT_EQ(errorBoxes.join('\n').toStdString(),
            "Cannot open \"" + CurrentDir() +
                "/Config.dat\": Is a directory; not loaded: the meter table, the trend back "
                "colour, the password, the baud indexes and the trend axis range");
}

}  // namespace
