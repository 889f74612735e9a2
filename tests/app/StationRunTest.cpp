// The station end to end: start-up from a Config.dat in its application directory, polling of a
// serial meter (a pty linked as COM1) and an Ethernet meter (loopback TCP), and fifteen seconds of
// supervision ticks, after which the period's history file and the tiles hold exactly what the
// meters served.

#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <vector>

#include "common/ValueText.h"
#include "platform/Clock.h"
#include "tests/app/StartupFixture.h"
#include "tools/sim/ScriptedSlave.h"

namespace {

constexpr int kTicks = 15;
constexpr std::uint8_t kSerialSlave = 7;
constexpr std::uint8_t kEthernetSlave = 9;
constexpr std::uint16_t kSerialStartRegister = 10;
// Registers and their decimals: the serial meter's holding registers (fc 3, "4X"), then the
// Ethernet meter's input registers (fc 4, "3X").
const std::vector<std::int16_t> kSerialRegisters = {1234, -5, 31415};
const std::vector<int> kSerialDecimals = {0, 1, 2};
const std::vector<std::int16_t> kEthernetRegisters = {12345, -32768};
const std::vector<int> kEthernetDecimals = {3, 4};

// The value a register of `decimals` stands for: multiplied by 0.1 once per decimal, each step
// in double and rounded to float32 (which matches the meters' own arithmetic bit for bit).
float Scaled(std::int16_t raw, int decimals) {
  float value = raw;
  for (int d = 0; d < decimals; ++d) value = static_cast<float>(static_cast<double>(value) * 0.1);
  return value;
}

std::vector<std::uint16_t> Words(const std::vector<std::int16_t>& registers) {
  return std::vector<std::uint16_t>(registers.begin(), registers.end());
}

void NameChannels(TMeterRecord& meter, const std::vector<int>& decimals) {
  meter.ChannelCount = static_cast<std::uint8_t>(decimals.size());
  for (std::size_t ch = 0; ch < decimals.size(); ++ch) {
    meter.Channels[ch].Decimals = static_cast<std::uint8_t>(decimals[ch]);
    WriteFixedText(meter.Channels[ch].Name, "CH" + std::to_string(ch + 1));
    WriteFixedText(meter.Channels[ch].Unit, "kPa");
    meter.Channels[ch].LLA = -1.0e6f;  // no alarms
    meter.Channels[ch].LA = -1.0e6f;
    meter.Channels[ch].HA = 1.0e6f;
    meter.Channels[ch].HHA = 1.0e6f;
  }
}

class StationRunTest : public StationDirTest {
 protected:
  StationRunTest() {
    serial_.SetHoldingBlock(kSerialSlave, kSerialStartRegister, Words(kSerialRegisters));
    serial_.StartPty();
    serial_.LinkAsCom(CurrentDir(), 1);
    ethernet_.SetInputBlock(kEthernetSlave, 0, Words(kEthernetRegisters));
    const int port = ethernet_.StartTcp();

    MeterTable table;
    TMeterRecord& boiler = AddSerialMeter(table, kSerialSlave, 0);
    WriteFixedText(boiler.Name, "Boiler");
    boiler.CommCode = 1;  // "4X": holding registers
    boiler.StartRegister = kSerialStartRegister;
    boiler.RecordInterval = 1;  // meter 0's interval is the history interval
    NameChannels(boiler, kSerialDecimals);
    TMeterRecord& pump = AddEthernetMeter(table, kEthernetSlave, "127.0.0.1", port);
    WriteFixedText(pump.Name, "Pump");
    pump.CommCode = 0;  // "3X": input registers
    pump.RecordInterval = 5;
    NameChannels(pump, kEthernetDecimals);
    table.PortBaudIndex[0] = 2;
    WriteConfig(table);
  }
  ~StationRunTest() override {
    if (form) form->StopPolling();  // before the slaves go
  }

  std::vector<float> Expected() const {
    std::vector<float> values;
    for (std::size_t i = 0; i < kSerialRegisters.size(); ++i) {
      values.push_back(Scaled(kSerialRegisters[i], kSerialDecimals[i]));
    }
    for (std::size_t i = 0; i < kEthernetRegisters.size(); ++i) {
      values.push_back(Scaled(kEthernetRegisters[i], kEthernetDecimals[i]));
    }
    return values;
  }

  ScopedFastSleep fastSleep_;
  ScopedFakeClock clock_{EncodeDateTime({2019, 12, 3, 14, 5, 8, 0})};
  ScriptedSlave serial_{{kSerialSlave}};
  ScriptedSlave ethernet_{{kEthernetSlave}};
};

TEST_F(StationRunTest, FifteenSecondsOfTicksRecordAndShowExactlyWhatTheMetersServe) {
  Tfm_MainForm& station = StartStation();
  ASSERT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join('\n').toStdString();
  ASSERT_TRUE(station.InRunMode());
  // Ticks are driven here, one fake second apart, instead of by the real timer.
  station.timer_PerSecond->stop();
  station.StartupFinished();
  ASSERT_TRUE(WaitProcessing(
      [&] {
        const MeterTable& table = station.Configuration().Table();
        return table.Meters[0].IsOnline() && table.Meters[1].IsOnline();
      },
      10000));

  for (int tick = 0; tick < kTicks; ++tick) {
    clock_.AdvanceSeconds(1);
    station.timer_PerSecondTimer();
    QCoreApplication::processEvents();
  }
  EXPECT_TRUE(errorBoxes.isEmpty()) << errorBoxes.join('\n').toStdString();

  HistoryFileReader reader;
  const std::string& historyPath = station.Cycle().Recording().HistoryDataPath();
  ASSERT_TRUE(reader.Open(historyPath).ok()) << historyPath;
  EXPECT_EQ(historyPath, CurrentDir() + "/19Y12M/03D14H05M08S.vq");
  EXPECT_EQ(reader.IntervalSeconds(), 1);
  ASSERT_EQ(reader.ChannelCount(), 5);
  const char* const names[] = {"BoilerCH1", "BoilerCH2", "BoilerCH3", "PumpCH1", "PumpCH2"};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(reader.ChannelNameBytes(i), names[i]);
  ASSERT_EQ(reader.RecordCount(), kTicks);

  const std::vector<float> expected = Expected();
  std::vector<float> record(5);
  for (int k = 0; k < kTicks; ++k) {
    ASSERT_TRUE(reader.ReadRecord(k, record.data()).ok());
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(std::bit_cast<std::uint32_t>(record[i]), std::bit_cast<std::uint32_t>(expected[i]))
          << "record " << k << " channel " << i << ": " << record[i] << " != " << expected[i];
    }
  }

  ASSERT_EQ(station.Cycle().Tiles().Count(), 5);
  const char* const shown[] = {"1234", "-0.5", "314.15", "12.345", "-3.2768"};
  for (int t = 0; t < 5; ++t) {
    EXPECT_EQ(station.Cycle().Tiles().Tile(t).ValueText, shown[t]) << "tile " << t;
    EXPECT_EQ(station.Cycle().Tiles().Tile(t).ValueText, ValueText(expected[t]));
  }
  EXPECT_EQ(station.Cycle().Tiles().Tile(3).Title, "Pump--CH1");

  // The text rows: every tick for the serial meter, every fifth for the Ethernet one.
  const std::string boilerRows = ReadFile("19Y12M/03DPM/Boiler_0.xls");
  EXPECT_EQ(std::count(boilerRows.begin(), boilerRows.end(), '\n'), 1 + kTicks);
  EXPECT_NE(boilerRows.find("  14:05:23\t1234\t-0.5\t314.15\t\n"), std::string::npos);
  const std::string pumpRows = ReadFile("19Y12M/03DPM/Pump_1.xls");
  EXPECT_EQ(std::count(pumpRows.begin(), pumpRows.end(), '\n'), 1 + kTicks / 5);
}

}  // namespace
