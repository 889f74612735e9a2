// Config.dat as start-up loads it: the meter table, trend back colour, password, baud indexes
// and trend axis range, in that order, from a file of the input's bytes (a file shorter than
// 477,608 bytes is a damaged one); then what run mode derives from the loaded table, without
// threads or windows: the poll lists, the history file's header with its name slots, each meter's
// text file name, header line and row, and alarm list lines. The loads take a path and open the
// file for each field; here the file lies in a file system held in memory, so a run makes no
// system call.
//
// The seeds include a full file (120 meters of 48 channels): libFuzzer takes its largest seed as
// the longest input it makes, so the runs reach every meter block.

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "common/FixedText.h"
#include "platform/MemoryFileSystem.h"
#include "station/app/parts/ConfigFile.h"
#include "station/app/parts/PollingControl.h"
#include "station/app/supervision/AlarmListFile.h"
#include "station/app/supervision/MeterTextFiles.h"
#include "station/app/supervision/RecordingFiles.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const TDateTime kRunStart = EncodeDateTime({2019, 12, 3, 14, 5, 9, 0});

// Every meter is in the list of its port (or the Ethernet list), in table order; a serial meter
// of a port past COM40 is in none.
void CheckPollLists(const MeterTable& table, const TPollingControl& polling) {
  int unlisted = 0;
  for (int m = 0; m < MetersInUse(table); ++m) {
    const TMeterRecord& meter = table.Meters[m];
    unlisted += meter.CommMode == 0 && meter.ComIndex >= kComPortCount;
  }
  int listed = 0;
  for (int list = 0; list < kPollListCount; ++list) {
    const TPollList& poll = polling.PollList(list);
    FUZZ_CHECK(poll.Count >= 0 && poll.Count <= MetersInUse(table));
    for (int i = 0; i < poll.Count; ++i) {
      const TMeterRecord* meter = poll.Meters[i];
      const TMeterRecord* const first = table.Meters.data();
      FUZZ_CHECK(meter >= first && meter < first + MetersInUse(table));
      FUZZ_CHECK(i == 0 || poll.Meters[i - 1] < meter);
      FUZZ_CHECK(list == (meter->CommMode == 0 ? int(meter->ComIndex) : kEthernetList));
    }
    listed += poll.Count;
  }
  FUZZ_CHECK(listed + unlisted == MetersInUse(table));
}

// Slot i of the first n holds a NUL within its 80 bytes; the slots after them are zero.
void CheckHistoryHeader(const MeterTable& table, const THistoryFileHeader& header) {
  int channels = 0;
  for (int m = 0; m < MetersInUse(table); ++m) channels += ChannelsInUse(table.Meters[m]);
  FUZZ_CHECK(header.ChannelCount == channels);
  FUZZ_CHECK(header.IntervalSeconds >= 0);
  for (int i = 0; i < channels; ++i) {
    FUZZ_CHECK(std::memchr(header.ChannelNames[i], '\0', kHistoryNameSlotSize) != nullptr);
  }
  if (channels < kHistoryNameSlots) {
    const char* rest = header.ChannelNames[channels];
    const std::size_t restBytes = std::size_t(kHistoryNameSlots - channels) * kHistoryNameSlotSize;
    FUZZ_CHECK(rest[0] == '\0' && std::memcmp(rest, rest + 1, restBytes - 1) == 0);
  }
}

// The file name stays one name in its half-day folder; the header line has one column per
// channel after the time's, all on one line.
void CheckMeterTextFile(const TMeterRecord& meter, int m) {
  const std::string name = MeterTextFileName(FixedBytes(meter.Name), m);
  FUZZ_CHECK(name.find('/') == std::string::npos && name.find('\\') == std::string::npos);
  const std::string suffix = "_" + std::to_string(m) + ".xls";
  FUZZ_CHECK(name.ends_with(suffix));
  const auto columnsOf = [](const std::string& line) {
    int tabs = 0;
    int ends = 0;
    for (const char c : line) {
      tabs += c == '\t';
      ends += c == '\n';
    }
    FUZZ_CHECK(ends == 1 && line.back() == '\n');
    return tabs;
  };
  FUZZ_CHECK(columnsOf(MeterTextHeaderLine(meter)) == 1 + ChannelsInUse(meter));
  FUZZ_CHECK(columnsOf(MeterTextRow(meter, "14:05:09")) == 1 + ChannelsInUse(meter));
}

// Each text keeps to its field: the last byte of every field is its separator or NUL.
void CheckAlarmLine(const AlarmLine& line) {
  for (int column = 0; column < kAlarmColumnCount; ++column) {
    const char last = line[kAlarmFieldOffsets[column] + kAlarmFieldWidths[column] - 1];
    const char separator = column == kAlarmColumnCount - 1 ? kAlarmLineEnd : kAlarmColumnSeparator;
    FUZZ_CHECK(last == '\0' || last == separator);
  }
}

void DeriveRunMode(MeterTable& table) {
  static TPollingControl polling;  // its lists only: no port is opened, no thread started
  polling.BuildPollLists(table);
  CheckPollLists(table, polling);

  static const std::unique_ptr<THistoryFileHeader> header = NewHistoryHeader();
  (void)BuildHistoryHeader(table, kRunStart, *header);
  CheckHistoryHeader(table, *header);

  const std::string timeText = FormatDateTime(kDisplayDateTimePattern, kRunStart);
  for (int m = 0; m < MetersInUse(table); ++m) {
    const TMeterRecord& meter = table.Meters[m];
    CheckMeterTextFile(meter, m);
    // The alarm line of one channel a meter, the one its slave address picks: a line for each of
    // 5,760 channels would take most of a run, and every channel's name has been cut for its
    // name slot already.
    if (ChannelsInUse(meter) == 0) continue;
    const int ch = meter.SlaveAddress % ChannelsInUse(meter);
    const std::string channelName = ReadFixedText(meter.Channels[ch].Name);
    CheckAlarmLine(BuildAlarmLine({ReadFixedText(meter.Name), channelName, "HHA", timeText, ""}));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/station/Config.dat";
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  static MemoryFileSystem files;
  files.Put(path, input);

  // Made once (half a megabyte); the records a run loads are cleared again at its end, so every
  // run starts from the same table.
  static const auto table = std::make_unique<MeterTable>();
  (void)LoadMeterTable(path, *table, files);
  FUZZ_CHECK(table->MeterCount >= 0 && table->MeterCount <= kMaxMeters);
  for (int m = 0; m < table->MeterCount; ++m) {
    const TMeterRecord& meter = table->Meters[m];
    FUZZ_CHECK(meter.ChannelCount >= 1 && meter.ChannelCount <= kMaxChannels);
    FUZZ_CHECK(ReadFixedText(meter.Name).size() <= 3 * sizeof meter.Name);
    for (int ch = 0; ch < meter.ChannelCount; ++ch) {
      FUZZ_CHECK(FixedBytes(meter.Channels[ch].Name).size() <= sizeof meter.Channels[ch].Name);
    }
    (void)MeterPollable(meter);
  }

  std::int32_t color = 0;
  (void)LoadChartBackColor(path, color, files);
  std::string password;
  (void)LoadPassword(path, password, nullptr, files);
  PortBaudIndexTable bauds{};
  (void)LoadBaudTable(path, bauds, files);
  for (const std::int32_t baud : bauds) FUZZ_CHECK(baud >= 0 && baud < kBaudRateCount);
  float low = 0;
  float high = 0;
  (void)LoadCurveRange(path, low, high, files);
  // Loading never writes. (Read back into a buffer kept between runs: a fresh copy of half a
  // megabyte each run costs more than the loads.)
  static std::string after;
  FUZZ_CHECK(ReadWholeFile(path, after, files).ok() && after == input);

  DeriveRunMode(*table);

  for (int m = 0; m < table->MeterCount; ++m) table->Meters[m].Clear();
  table->MeterCount = 0;
  return 0;
}
