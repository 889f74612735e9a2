// A history data file as the viewer reads it: open (header checks), the first page, paging
// arithmetic, and a time-window search whose bounds the input picks within the file's range.
//
// The header is 460,824 bytes, nearly all name slots, so the input is a short form of a file:
//   bytes   0..19    the header's fixed fields (start time, interval, channel count, reserved)
//   bytes  20..179   name slots 0 and 1; the other slots and the last reserved bytes are zero
//   bytes 180..      the records
// An input shorter than 20 bytes is the whole file (one shorter than its header).

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "common/HistoryFile.h"
#include "history/PageSearch.h"
#include "platform/MemoryFileSystem.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

constexpr std::size_t kFixedFields = 20;
constexpr std::size_t kGivenSlots = 2 * kHistoryNameSlotSize;

// The file the input stands for, built in `image` (kept between runs to spare the allocation).
std::string_view FileImage(const std::uint8_t* data, std::size_t size, std::string& image) {
  const auto* bytes = reinterpret_cast<const char*>(data);
  if (size < kFixedFields) return {bytes, size};
  const std::size_t given = std::min(size, kFixedFields + kGivenSlots);
  image.assign(static_cast<std::size_t>(kHistoryHeaderSize), '\0');
  image.replace(0, given, bytes, given);
  image.append(bytes + given, size - given);
  return image;
}

// A time within the range, at the input's choice of fraction.
std::int64_t TimeWithin(FuzzedDataProvider& input, std::int64_t from, std::int64_t to) {
  const auto step = input.ConsumeIntegral<std::uint16_t>();
  return from + static_cast<std::int64_t>((static_cast<__int128>(to - from) * step) / 0xFFFF);
}

void ReadPage(const HistoryFileReader& reader, std::int64_t first, std::int64_t count) {
  std::vector<float> values(static_cast<std::size_t>(count * reader.ChannelCount()));
  std::int64_t read = -1;
  FUZZ_CHECK(reader.ReadRecords(first, count, values.data(), &read).ok());
  FUZZ_CHECK(read == count);
}

void ShowFile(FuzzedDataProvider& input, const HistoryFileReader& reader) {
  const TRecordTimeline timeline = TRecordTimeline::Of(reader);
  (void)TimeRangeText(reader.StartTime(), MsToDateTime(timeline.EndMs()));
  const std::int32_t pages = PageCountFor(reader.RecordCount(), kPageRecordLimit);
  (void)PageLabelText(pages, 1);
  // The first page, then the one the input picks, as paging finds it from file offsets.
  ReadPage(reader, 0, std::min<std::int64_t>(reader.RecordCount(), kPageRecordLimit));
  const std::int64_t page = input.ConsumeIntegralInRange<std::int64_t>(0, pages - 1);
  const std::int64_t offset = OffsetOfRecord(page * kPageRecordLimit, reader.ChannelCount());
  const std::int64_t first = RecordAtOffset(offset, reader.ChannelCount());
  FUZZ_CHECK(first == page * kPageRecordLimit);
  ReadPage(reader, first, std::min<std::int64_t>(reader.RecordCount() - first, kPageRecordLimit));
  if (reader.RecordCount() > 0) {
    (void)FormatDateTime(kDisplayDateTimePattern, reader.RecordTime(reader.RecordCount() - 1));
  }

  if (!HistoryFileRefusal(reader).empty()) return;  // no search over interval 0
  const std::int64_t start = TimeWithin(input, timeline.StartMs, timeline.EndMs());
  const std::int64_t end = TimeWithin(input, timeline.StartMs, timeline.EndMs());
  if (CheckSearchRange(start, end, timeline.StartMs, timeline.EndMs()) !=
      SearchRangeError::None) {
    FUZZ_CHECK(start > end);
    return;
  }
  const TSearchWindow window = SearchWindow(timeline, start, end);
  FUZZ_CHECK(window.FirstRecord >= 0 && window.Points >= 0);
  FUZZ_CHECK(window.FirstRecord + window.Points <= reader.RecordCount());
  ReadPage(reader, window.FirstRecord, window.Points);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static std::string image;
  static MemoryFileSystem files;
  static HistoryFileReader reader(files);  // holds a header's worth of memory: made once
  FuzzedDataProvider choices(data, size);  // takes from the end: the records' bytes
  files.Put("fuzz.vq", FileImage(data, size, image));
  if (!reader.Open("fuzz.vq").ok()) return 0;
  FUZZ_CHECK(reader.ChannelCount() >= 0 && reader.ChannelCount() <= kHistoryNameSlots);
  FUZZ_CHECK(reader.RecordCount() == HistoryRecordCount(reader.FileSize(), reader.ChannelCount()));
  for (int i = 0; i < 2; ++i) {
    FUZZ_CHECK(reader.ChannelNameBytes(i).size() <= kHistoryNameSlotSize);
  }
  if (!HistoryFileShowRefusal(reader).empty()) return 0;
  ShowFile(choices, reader);
  return 0;
}
