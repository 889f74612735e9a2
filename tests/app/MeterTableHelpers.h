#pragma once
// Meters put into a table as loading does, for the suites of the window and of its parts.

#include <string>

#include "common/FixedText.h"
#include "common/MeterRecord.h"

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
