#include "tests/support/HistoryFileBuilder.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace {

// Records made and handed on per block.
constexpr std::int64_t kBlockRecords = 4096;

}  // namespace

TDateTime TestHistoryStart() { return EncodeDateTime({2024, 3, 5, 14, 0, 0, 0}); }

THistoryFileBuilder::THistoryFileBuilder(int channels)
    : channels_(channels), header_(NewHistoryHeader()) {
  header_->StartTime = TestHistoryStart();
  header_->IntervalSeconds = 1;
  header_->ChannelCount = channels;
}

THistoryFileBuilder::THistoryFileBuilder(THistoryFileBuilder&&) noexcept = default;
THistoryFileBuilder& THistoryFileBuilder::operator=(THistoryFileBuilder&&) noexcept = default;
THistoryFileBuilder::~THistoryFileBuilder() = default;

THistoryFileBuilder& THistoryFileBuilder::Start(TDateTime start) {
  header_->StartTime = start;
  return *this;
}

THistoryFileBuilder& THistoryFileBuilder::Interval(std::int32_t seconds) {
  header_->IntervalSeconds = seconds;
  return *this;
}

THistoryFileBuilder& THistoryFileBuilder::Names(const Namer& names) {
  for (int i = 0; i < std::min(channels_, kHistoryNameSlots); ++i) {
    const SlotName name = names(i);
    SetHistoryNameSlot(*header_, i, name.Meter, name.Channel);
  }
  return *this;
}

THistoryFileBuilder& THistoryFileBuilder::Records(std::int64_t count) {
  records_ = count;
  return *this;
}

THistoryFileBuilder& THistoryFileBuilder::Values(Valuer values) {
  values_ = std::move(values);
  return *this;
}

THistoryFileBuilder& THistoryFileBuilder::Tail(std::string bytes) {
  tail_ = std::move(bytes);
  return *this;
}

void THistoryFileBuilder::Emit(
    const std::function<void(const char* bytes, std::size_t size)>& out) const {
  out(reinterpret_cast<const char*>(header_.get()), sizeof *header_);
  const std::size_t width = static_cast<std::size_t>(std::max(channels_, 0));
  std::vector<float> block(static_cast<std::size_t>(kBlockRecords) * width);
  for (std::int64_t first = 0; first < records_; first += kBlockRecords) {
    const std::int64_t count = std::min(kBlockRecords, records_ - first);
    float* value = block.data();
    for (std::int64_t k = first; k < first + count; ++k) {
      for (std::size_t i = 0; i < width; ++i) {
        *value++ = values_ ? values_(k, static_cast<int>(i)) : 0.0f;
      }
    }
    out(reinterpret_cast<const char*>(block.data()),
        static_cast<std::size_t>(count) * width * sizeof(float));
  }
  out(tail_.data(), tail_.size());
}

std::string THistoryFileBuilder::Bytes() const {
  std::string bytes;
  Emit([&bytes](const char* data, std::size_t size) { bytes.append(data, size); });
  return bytes;
}

void THistoryFileBuilder::Write(const std::string& path) const {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  Emit([&file](const char* data, std::size_t size) {
    file.write(data, static_cast<std::streamsize>(size));
  });
  file.close();
  if (!file) throw std::runtime_error("cannot write the history file " + path);
}
