// Writes a demo Config.dat into an application directory: two meters on COM1 and one Ethernet
// meter on 127.0.0.1, matching what `meter_sim --com 1 --slaves 1,2` and
// `meter_sim --tcp <port> --slaves 3` serve. An existing Config.dat is left alone, so changes
// made in the station survive the next demo start.
//
// Usage: make_demo_config <application directory> <tcp port>

#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "common/FixedText.h"
#include "common/MeterRecord.h"
#include "common/StrConv.h"
#include "platform/Errors.h"
#include "station/app/parts/ConfigFile.h"

namespace {

// Trend colours 0x00BBGGRR, one per channel in turn.
constexpr std::int32_t kColours[] = {0x0000FF, 0x008000, 0xFF0000, 0x00A5FF,
                                     0x800080, 0x808000, 0x000080, 0x008080};
constexpr int kBaud9600 = 2;

void AddMeter(MeterTable& table, const char* name, std::uint8_t slave, int channels,
              std::uint8_t commMode, const char* ip, std::int32_t tcpPort) {
  TMeterRecord& meter = table.Meters[table.MeterCount++];
  meter.Clear();
  WriteFixedText(meter.Name, name);
  meter.SlaveAddress = slave;
  meter.ChannelCount = static_cast<std::uint8_t>(channels);
  meter.ComIndex = 0;   // COM1
  meter.CommCode = 0;   // "3X": input registers
  meter.CommMode = commMode;
  meter.StartRegister = 0;
  meter.RecordInterval = 5;
  meter.TcpPort = tcpPort;
  WriteFixedText(meter.IpAddress, ip);
  for (int ch = 0; ch < channels; ++ch) {
    TChannelRecord& channel = meter.Channels[ch];
    channel.Decimals = 1;  // the simulator's registers are tenths
    channel.Colour = kColours[ch % 8];
    channel.LLA = 0.0f;
    channel.LA = 10.0f;
    channel.HA = 50.0f;
    channel.HHA = 60.0f;
    WriteFixedText(channel.Unit, "°C");
    WriteFixedText(channel.Name, "T" + std::to_string(ch + 1));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <application directory> <tcp port>\n", argv[0]);
    return 2;
  }
  const std::string path = std::string(argv[1]) + "/Config.dat";
  const std::optional<std::int32_t> tcpPort = TryStrToInt(argv[2]);
  if (!tcpPort || *tcpPort < 1 || *tcpPort > 65535) {
    std::fprintf(stderr, "%s: '%s' is not a TCP port (1..65535)\n", argv[0], argv[2]);
    return 2;
  }
  try {
    bool created = false;
    RaiseOnFailure(CreateConfigFileIfMissing(path, &created));
    if (!created) return 0;  // keep the operator's configuration
    auto table = std::make_unique<MeterTable>();
    AddMeter(*table, "Boiler", 1, 4, 0, "", 6000);
    AddMeter(*table, "Kiln", 2, 8, 0, "", 6000);
    AddMeter(*table, "Dryer", 3, 6, 1, "127.0.0.1", *tcpPort);
    table->PortBaudIndex[0] = kBaud9600;
    RaiseOnFailure(SaveMeterTable(path, *table));
    RaiseOnFailure(SaveBaudTable(path, table->PortBaudIndex));
    RaiseOnFailure(SaveCurveRange(path, -20.0f, 80.0f));
    RaiseOnFailure(SaveChartBackColor(path, 0xFFFFFF));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
