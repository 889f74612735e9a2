#include "common/MeterRecord.h"

#include <algorithm>
#include <cstring>

namespace {

void CopyRuntime(TMeterRuntime& to, const TMeterRuntime& from) {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    to.Values[ch].store(from.Values[ch].load(kRelaxed), kRelaxed);
    to.LLAFlags[ch].store(from.LLAFlags[ch].load(kRelaxed), kRelaxed);
    to.LAFlags[ch].store(from.LAFlags[ch].load(kRelaxed), kRelaxed);
    to.HAFlags[ch].store(from.HAFlags[ch].load(kRelaxed), kRelaxed);
    to.HHAFlags[ch].store(from.HHAFlags[ch].load(kRelaxed), kRelaxed);
  }
  to.FailureCount.store(from.FailureCount.load(kRelaxed), kRelaxed);
  to.Online.store(from.Online.load(kRelaxed), kRelaxed);
}

}  // namespace

TMeterRecord::TMeterRecord() { Clear(); }

TMeterRecord::TMeterRecord(const TMeterRecord& other) : TMeterStored(other), TMeterRuntime() {
  CopyRuntime(*this, other);
}

TMeterRecord& TMeterRecord::operator=(const TMeterRecord& other) {
  if (this != &other) {
    std::memcpy(static_cast<TMeterStored*>(this), static_cast<const TMeterStored*>(&other),
                sizeof(TMeterStored));
    CopyRuntime(*this, other);
  }
  return *this;
}

bool TMeterRecord::AnyAlarmFlag(int ch) const {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  return LLAFlags[ch].load(kRelaxed) != 0 || LAFlags[ch].load(kRelaxed) != 0 ||
         HAFlags[ch].load(kRelaxed) != 0 || HHAFlags[ch].load(kRelaxed) != 0;
}

void TMeterRecord::ClearRuntime() {
  constexpr auto kRelaxed = std::memory_order_relaxed;
  for (int ch = 0; ch < kMaxChannels; ++ch) {
    Values[ch].store(0.0f, kRelaxed);
    LLAFlags[ch].store(0, kRelaxed);
    LAFlags[ch].store(0, kRelaxed);
    HAFlags[ch].store(0, kRelaxed);
    HHAFlags[ch].store(0, kRelaxed);
  }
  FailureCount.store(0, kRelaxed);
  Online.store(0, kRelaxed);
}

void TMeterRecord::Clear() {
  std::memset(static_cast<TMeterStored*>(this), 0, sizeof(TMeterStored));
  ClearRuntime();
}

bool MeterPollable(const TMeterStored& meter) {
  if (meter.CommCode > 1) return false;
  if (meter.ChannelCount < 1 || meter.ChannelCount > kMaxChannels) return false;
  for (int ch = 0; ch < meter.ChannelCount; ++ch) {
    if (meter.Channels[ch].Decimals > kMaxDecimals) return false;
  }
  return true;
}

int ChannelsInUse(const TMeterStored& meter) {
  return std::min<int>(meter.ChannelCount, kMaxChannels);
}

int MetersInUse(const MeterTable& table) {
  return std::clamp<int>(table.MeterCount, 0, kMaxMeters);
}
