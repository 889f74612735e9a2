#pragma once
// Meters put into a table as loading does, and scripted meters behind the station's COM ports,
// for the suites of the window and of its parts. No Qt here.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/FixedText.h"
#include "common/MeterRecord.h"
#include "tools/sim/ScriptedSlave.h"

// Appends a meter to the table, online, with channels named as given and values 0.
inline TMeterRecord& AddTestMeter(MeterTable& table, const char* name,
                                  const std::vector<const char*>& channels,
                                  std::int32_t interval) {
  TMeterRecord& meter = table.Meters[table.MeterCount++];
  WriteFixedText(meter.Name, name);
  meter.ChannelCount = static_cast<std::uint8_t>(channels.size());
  meter.RecordInterval = interval;
  for (std::size_t ch = 0; ch < channels.size(); ++ch) {
    WriteFixedText(meter.Channels[ch].Name, channels[ch]);
  }
  meter.Online = 1;
  return meter;
}

// Appends a configured meter of two channels, polled over the serial line of `comIndex`.
inline TMeterRecord& AddSerialMeter(MeterTable& table, std::uint8_t slave, std::uint8_t comIndex) {
  TMeterRecord& meter = table.Meters[table.MeterCount++];
  meter.Clear();
  meter.SlaveAddress = slave;
  meter.ChannelCount = 2;
  meter.ComIndex = comIndex;
  WriteFixedText(meter.Name, "Meter " + std::to_string(slave));
  return meter;
}

inline TMeterRecord& AddEthernetMeter(MeterTable& table, std::uint8_t slave, const char* ip,
                                      int port, std::uint8_t comIndex = 0) {
  TMeterRecord& meter = AddSerialMeter(table, slave, comIndex);
  meter.CommMode = 1;
  meter.TcpPort = port;
  WriteFixedText(meter.IpAddress, ip);
  return meter;
}

// A slave on a pty that the station, with its application directory at `appDir`, opens as
// COM(comIndex + 1).
inline std::unique_ptr<ScriptedSlave> SlaveOnCom(const std::string& appDir, int comIndex,
                                                 std::vector<std::uint8_t> addresses) {
  auto slave = std::make_unique<ScriptedSlave>(std::move(addresses));
  slave->StartPty();
  slave->LinkAsCom(appDir, comIndex + 1);
  return slave;
}
