// The reply of a meter poll, over a serial port or (built with FUZZ_OVER_TCP) a TCP connection.
// The meter is set up from the input as a damaged Config.dat could leave it (channel counts, comm
// codes and decimals out of range included) and polled a few times through a link whose replies
// are the input's bytes. Every poll must keep within the reply buffer and leave the run-time part
// within its domains.

#include <bit>

#include "platform/Clock.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr int kMaxPolls = 6;  // the fifth failure in a row takes a meter offline

void SetUpMeter(FuzzedDataProvider& input, TMeterRecord& meter) {
  meter.SlaveAddress = input.ConsumeIntegral<std::uint8_t>();
  meter.ChannelCount = input.ConsumeIntegralInRange<std::uint8_t>(0, kMaxChannels + 2);
  meter.CommCode = input.ConsumeIntegralInRange<std::uint8_t>(0, 2);
  meter.StartRegister = input.ConsumeIntegral<std::uint16_t>();
  for (int ch = 0; ch < ChannelsInUse(meter); ++ch) {
    TChannelRecord& channel = meter.Channels[ch];
    channel.Decimals = input.ConsumeIntegralInRange<std::uint8_t>(0, kMaxDecimals + 1);
    // Any bit pattern, NaN and the infinities included.
    channel.LLA = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    channel.LA = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    channel.HA = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
    channel.HHA = std::bit_cast<float>(input.ConsumeIntegral<std::uint32_t>());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetSleepHook([](int) {});  // no 2-second pause before each attempt
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  TMeterRecord meter;
  SetUpMeter(input, meter);
  FuzzLink link(input);
  const int polls = input.ConsumeIntegralInRange(1, kMaxPolls);
  for (int poll = 0; poll < polls; ++poll) {
    PollMeter(link.Transport(), meter);
    const int failures = meter.FailureCount.load();
    FUZZ_CHECK(failures >= 0 && failures <= 5);
    FUZZ_CHECK(meter.Online.load() <= 1);
    FUZZ_CHECK(failures < 5 || meter.Online.load() == 0);
    for (int ch = 0; ch < kMaxChannels; ++ch) {
      FUZZ_CHECK(meter.LLAFlags[ch].load() <= 1 && meter.LAFlags[ch].load() <= 1);
      FUZZ_CHECK(meter.HAFlags[ch].load() <= 1 && meter.HHAFlags[ch].load() <= 1);
    }
  }
  return 0;
}
