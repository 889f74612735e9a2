// Config.dat as start-up loads it: the meter table, trend back colour, password, baud indexes
// and trend axis range, in that order, from a file of the input's bytes (a file shorter than
// 477,608 bytes is a damaged one). The loads take a path and open the file for each field; here
// the file lies in a file system held in memory, so a run makes no system call.

#include <memory>
#include <string>

#include "common/FixedText.h"
#include "platform/MemoryFileSystem.h"
#include "station/app/parts/ConfigFile.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = "/station/Config.dat";
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  MemoryFileSystem files;
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
  // Loading never writes.
  FUZZ_CHECK(files.Bytes(path) == input);

  for (int m = 0; m < table->MeterCount; ++m) table->Meters[m].Clear();
  table->MeterCount = 0;
  return 0;
}
