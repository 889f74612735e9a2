#include "platform/gui/Sound.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdint>
#include <string>

#include "tests/platform/gui/GuiTestApp.h"
#include "tests/support/TestSupport.h"

namespace {

// 50 ms of silence: mono, 8 kHz, 16-bit PCM.
std::string WaveFile() {
  constexpr std::uint32_t kDataBytes = 800;
  std::string bytes;
  auto put = [&](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bytes += "RIFF";
  put(36 + kDataBytes, 4);
  bytes += "WAVEfmt ";
  for (auto [value, size] : {std::pair{16u, 4}, {1u, 2}, {1u, 2}, {8000u, 4}, {16000u, 4},
                             {2u, 2}, {16u, 2}}) {
    put(value, size);
  }
  bytes += "data";
  put(kDataBytes, 4);
  return bytes + std::string(kDataBytes, '\0');
}

class SoundTest : public GuiTest {};

TEST_F(SoundTest, AMissingAnUndecodableAndAGoodFileAllPlayWithoutAnError) {
  TempDir dir;
  WriteFileBytes(dir.File("Alarm.wav"), WaveFile());
  WriteFileBytes(dir.File("Broken.wav"), "RIFF but not a wave file");
  TSoundPlayer player;
  for (const char* name : {"missing.wav", "Broken.wav", "Broken.wav", "Alarm.wav", "Alarm.wav"}) {
    EXPECT_NO_THROW(player.PlayFile(dir.File(name))) << name;
    // Loading and playing go on in the background.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 100) QCoreApplication::processEvents();
  }
  EXPECT_TRUE(errorBoxes.isEmpty());
}

}  // namespace
