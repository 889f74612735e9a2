// A history data file as the viewer reads it: open (header checks), the channel names, the first
// page, paging forth and back from a page the input picks, and a time-window search whose bounds
// the input picks within the file's range.
//
// The header alone is 460,824 bytes and a station's file grows past 4 GiB within days, so the
// input is a short form of a file of any size, read through a sparse file in memory:
//   bytes   0..19    the header's fixed fields (start time, interval, channel count, reserved)
//   byte   20        s, the name slots given (its value modulo 129): slots 0 .. s-1
//   then             those slots, 80 bytes each; the other slots and the last reserved bytes
//                    are zero
//   then 8 bytes     g, little-endian, modulo 2^56: bytes of zeros between the records given
//                    at the start and the same records again at the end of the file
//   the rest         the records' bytes
// So a file is 460,824 + r bytes long (r: the records' bytes), or 460,824 + 2r + g when g is not
// 0. An input shorter than 21 bytes is the whole file (one shorter than its header).

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "common/FixedText.h"
#include "common/HistoryFile.h"
#include "history/parts/PageSearch.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/SparseFileSystem.h"

namespace {

constexpr std::size_t kFixedFields = 20;
constexpr int kMostGivenSlots = kViewerMaxChannels;
constexpr std::size_t kGapBytes = 8;
constexpr std::uint64_t kGapLimit = std::uint64_t{1} << 56;

using Extent = SparseFileSystem::Extent;

// The file the input stands for, as its size and extents.
std::int64_t FileImage(std::string_view input, std::vector<Extent>& extents) {
  extents.clear();
  if (input.size() <= kFixedFields) {
    extents.push_back({0, input});
    return static_cast<std::int64_t>(input.size());
  }
  extents.push_back({0, input.substr(0, kFixedFields)});
  const int slots = static_cast<unsigned char>(input[kFixedFields]) % (kMostGivenSlots + 1);
  std::string_view rest = input.substr(kFixedFields + 1);
  const std::size_t slotBytes = std::min(rest.size(), std::size_t(slots) * kHistoryNameSlotSize);
  extents.push_back({kFixedFields, rest.substr(0, slotBytes)});
  rest.remove_prefix(slotBytes);
  std::uint64_t gap = 0;
  const std::size_t gapBytes = std::min(rest.size(), kGapBytes);
  for (std::size_t i = 0; i < gapBytes; ++i) {
    gap |= std::uint64_t{static_cast<unsigned char>(rest[i])} << (8 * i);
  }
  gap %= kGapLimit;
  rest.remove_prefix(gapBytes);
  const auto records = static_cast<std::int64_t>(rest.size());
  extents.push_back({kHistoryHeaderSize, rest});
  if (gap == 0) return kHistoryHeaderSize + records;
  const std::int64_t tail = kHistoryHeaderSize + records + static_cast<std::int64_t>(gap);
  extents.push_back({tail, rest});
  return tail + records;
}

// A time within the range, at the input's choice of fraction.
std::int64_t TimeWithin(FuzzedDataProvider& input, std::int64_t from, std::int64_t to) {
  const auto step = input.ConsumeIntegral<std::uint16_t>();
  return from + static_cast<std::int64_t>((static_cast<__int128>(to - from) * step) / 0xFFFF);
}

// Records first .. first + count - 1 read as whole records, as the viewer reads a page or a
// window; of a long span only its two ends, since a span of a file past 4 GiB is mostly zeros
// and reading it all would be most of a run.
void ReadSpan(const HistoryFileReader& reader, std::int64_t first, std::int64_t count) {
  constexpr std::int64_t kEnd = 8;
  static std::vector<float> values;
  const auto read = [&](std::int64_t from, std::int64_t records) {
    values.resize(static_cast<std::size_t>(records * reader.ChannelCount()));
    std::int64_t got = -1;
    FUZZ_CHECK(reader.ReadRecords(from, records, values.data(), &got).ok());
    FUZZ_CHECK(got == records);
  };
  FUZZ_CHECK(first >= 0 && count >= 0 && first + count <= reader.RecordCount());
  if (count <= 2 * kEnd) {
    read(first, count);
    return;
  }
  read(first, kEnd);
  read(first + count - kEnd, kEnd);
}

// A page as paging shows it, from its first record: at most 20,000 records; returns how many.
std::int64_t ShowPage(const HistoryFileReader& reader, std::int64_t firstRecord) {
  const std::int64_t first = std::min(firstRecord, reader.RecordCount());
  const std::int64_t records =
      std::min<std::int64_t>(reader.RecordCount() - first, kPageRecordLimit);
  ReadSpan(reader, first, records);
  return records;
}

void ShowFile(FuzzedDataProvider& input, const HistoryFileReader& reader) {
  const int channels = reader.ChannelCount();
  for (int i = 0; i < ShownChannelCount(reader); ++i) {
    FUZZ_CHECK(reader.ChannelNameBytes(i).size() <= kHistoryNameSlotSize);
    (void)ReadFixedText(reader.Header().ChannelNames[i]);
  }
  (void)ChannelCutNotice(reader);
  const TRecordTimeline timeline = TRecordTimeline::Of(reader);
  (void)TimeRangeText(reader.StartTime(), MsToDateTime(timeline.EndMs()));
  const std::int32_t pages = PageCountFor(reader.RecordCount(), kPageRecordLimit);
  FUZZ_CHECK(pages >= 1);
  (void)PageLabelText(pages, 1);
  // The first page; then the page the input picks, found from file offsets as paging keeps
  // them, with ">>" and "<<" from there.
  std::int64_t shown = ShowPage(reader, 0);
  const std::int64_t page = input.ConsumeIntegralInRange<std::int64_t>(0, pages - 1);
  const std::int64_t pageStart = OffsetOfRecord(page * kPageRecordLimit, channels);
  const std::int64_t first = RecordAtOffset(pageStart, channels);
  FUZZ_CHECK(first == page * kPageRecordLimit);
  shown = ShowPage(reader, first);
  const std::int64_t nextPos = OffsetOfRecord(first + shown, channels);
  FUZZ_CHECK(nextPos <= reader.FileSize());
  const std::int64_t next = RecordAtOffset(nextPos, channels);
  FUZZ_CHECK(next == first + shown);
  if (shown == kPageRecordLimit) (void)ShowPage(reader, next);
  if (pageStart > kHistoryHeaderSize) {
    FUZZ_CHECK(ShowPage(reader, std::max<std::int64_t>(0, first - kPageRecordLimit)) ==
               kPageRecordLimit);
  }
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
  (void)WindowMemoryRefusal(window.Points, ShownChannelCount(reader), timeline.IntervalMs, 0);
  ReadSpan(reader, window.FirstRecord, window.Points);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static SparseFileSystem files;
  static HistoryFileReader reader(files);  // holds a header's worth of memory: made once
  static std::vector<Extent> extents;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  FuzzedDataProvider choices(data, size);  // takes from the end: the records' bytes
  const std::int64_t fileSize = FileImage(input, extents);
  files.Put("fuzz.vq", fileSize, extents);
  if (!reader.Open("fuzz.vq").ok()) return 0;
  FUZZ_CHECK(reader.ChannelCount() >= 0 && reader.ChannelCount() <= kHistoryNameSlots);
  FUZZ_CHECK(reader.RecordCount() == HistoryRecordCount(reader.FileSize(), reader.ChannelCount()));
  if (!HistoryFileShowRefusal(reader).empty()) return 0;
  ShowFile(choices, reader);
  return 0;
}
