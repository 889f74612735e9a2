#pragma once
// The rules of the batch add, without its dialog: the dialog's texts in, the converted input or
// the refusal out, and the meters appended behind the existing ones in the meter table.
//
// No Qt. Pure functions; AppendBatchMeters runs on the GUI thread in configuration mode only.

#include <cstdint>
#include <optional>
#include <string>

#include "common/MeterRecord.h"

// What the dialog's inputs hold. Combo boxes give their item index.
struct TBatchAddTexts {
  std::string MeterCount;
  std::string ChannelCount;
  std::string StartAddress;
  std::string RecordInterval;
  std::string StartRegister;
  std::string TcpPort;
  std::string LLA;
  std::string LA;
  std::string HA;
  std::string HHA;
  int CommCode = 0;
  int CommMode = 0;
  int ComIndex = 0;
  int Decimals = 0;
  std::string MeterName;    // UTF-8
  std::string ChannelName;  // UTF-8
  std::string IpAddress;
  std::string Unit;  // UTF-8
};

// The dialog's inputs, converted. Texts are UTF-8.
struct TBatchAddInput {
  std::int32_t MeterCount = 0;    // N, 1..120 - existing meters once accepted
  std::int32_t ChannelCount = 0;  // M, 1..48 once accepted
  std::int32_t StartAddress = 0;  // slave address of the first new meter (low 8 bits count)
  std::int32_t RecordInterval = 0;
  std::int32_t StartRegister = 0;  // low 16 bits count
  std::int32_t TcpPort = 0;
  float LLA = 0;
  float LA = 0;
  float HA = 0;
  float HHA = 0;
  std::uint8_t CommCode = 0;
  std::uint8_t CommMode = 0;
  std::uint8_t ComIndex = 0;
  std::uint8_t Decimals = 0;
  std::string MeterName;
  std::string ChannelName;
  std::string IpAddress;
  std::string Unit;
};

// The texts converted in the dialog's order (the counts, address, interval, start register and
// port as integers, then the four limits, each of which must fit a float32); nullopt when one
// of them does not convert.
std::optional<TBatchAddInput> ConvertBatchAdd(const TBatchAddTexts& texts);
// The refusal (UTF-8) of the texts as ConvertBatchAdd converted them, in the order checked: a
// number that does not convert (no input), too many meters in all (existingMeters + N > 120),
// more than 48 channels, fewer than one channel. nullptr when they are accepted.
const char* BatchAddRefusal(const std::optional<TBatchAddInput>& input,
                            std::int32_t existingMeters);
// Appends the meters of an accepted input; the table's 120 records bound them. Meter k takes the
// address A + k (low 8 bits), its 1-based table position behind the common name, and channel j
// the common channel name and j + 1 and colour j mod 16 of the batch colours. The baud index of
// the port and the run-time part of the records are not touched.
void AppendBatchMeters(MeterTable& table, const TBatchAddInput& input);
