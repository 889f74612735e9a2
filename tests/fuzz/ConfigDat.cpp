// Config.dat as start-up loads it: the meter table, trend back colour, password, baud indexes
// and trend axis range, in that order, from a file of the input's bytes (a file shorter than
// 477,608 bytes is a damaged one). The loads take a path and open the file for each field, so
// the input goes through a file, in /dev/shm where there is one.

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/FixedText.h"
#include "station/app/ConfigFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

std::string ConfigPath() {
  namespace fs = std::filesystem;
  const fs::path base =
      fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  static const fs::path dir = base / ("tavrin-fuzz-config-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(dir, ignored);
  });
  return (dir / "Config.dat").string();
}

void WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr);
  FUZZ_CHECK(std::fwrite(data, 1, size, file) == size);
  FUZZ_CHECK(std::fclose(file) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = ConfigPath();
  WriteFile(path, data, size);

  // Made once (half a megabyte); the records a run loads are cleared again at its end, so every
  // run starts from the same table.
  static const auto table = std::make_unique<MeterTable>();
  (void)LoadMeterTable(path, *table);
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
  (void)LoadChartBackColor(path, color);
  std::string password;
  (void)LoadPassword(path, password);
  PortBaudIndexTable bauds{};
  (void)LoadBaudTable(path, bauds);
  for (const std::int32_t baud : bauds) FUZZ_CHECK(baud >= 0 && baud < kBaudRateCount);
  float low = 0;
  float high = 0;
  (void)LoadCurveRange(path, low, high);

  for (int m = 0; m < table->MeterCount; ++m) table->Meters[m].Clear();
  table->MeterCount = 0;
  return 0;
}
