#include "history/parts/PageSearch.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

constexpr std::int64_t kMsPerSecond = 1000;
// Always two points in a search window, when the file holds them.
constexpr std::int64_t kLeastSearchPoints = 2;
constexpr std::string_view kTimeRangeTail = "         ";  // nine blanks

// "1.5 GB", "80.0 MB": bytes in units of 10^9 or 10^6, one decimal.
std::string SizeText(std::int64_t bytes) {
  const bool giga = bytes >= 1'000'000'000;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", static_cast<double>(bytes) / (giga ? 1e9 : 1e6),
                giga ? "GB" : "MB");
  return text;
}

// "3 days 7 hours", "5 hours 20 minutes", "12 minutes 30 seconds": a time span, to the
// second, by its two largest units.
std::string SpanText(std::int64_t ms) {
  const std::int64_t seconds = ms / kMsPerSecond;
  const std::int64_t minutes = seconds / 60;
  const std::int64_t hours = minutes / 60;
  const std::int64_t days = hours / 24;
  auto count = [](std::int64_t n, const char* unit) {
    return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
  };
  if (days > 0) return count(days, "day") + " " + count(hours % 24, "hour");
  if (hours > 0) return count(hours, "hour") + " " + count(minutes % 60, "minute");
  return count(minutes, "minute") + " " + count(seconds % 60, "second");
}

// "This time window holds <n> records of <c> channels (<size>), more than can be held".
std::string WindowNotHeldText(std::int64_t points, int channels) {
  const std::int64_t pointBytes = std::int64_t{std::max(channels, 1)} * sizeof(float);
  return "This time window holds " + std::to_string(points) + " records of " +
         std::to_string(channels) + " channels (" + SizeText(points * pointBytes) +
         "), more than can be held";
}

}  // namespace

TRecordTimeline TRecordTimeline::Of(const HistoryFileReader& reader) {
  return {DateTimeToMs(reader.StartTime()), std::int64_t(reader.IntervalSeconds()) * kMsPerSecond,
          reader.RecordCount()};
}

std::int64_t TRecordTimeline::RecordTimeMs(std::int64_t k) const {
  constexpr __int128 kLimit = std::numeric_limits<std::int64_t>::max() / 2;
  const __int128 ms = StartMs + static_cast<__int128>(k) * IntervalMs;
  return static_cast<std::int64_t>(std::clamp<__int128>(ms, -kLimit, kLimit));
}

std::string HistoryFileShowRefusal(const HistoryFileReader& reader) {
  const std::string refused = reader.Path() + " cannot be shown or exported: ";
  if (reader.ChannelCount() < 1) return refused + "it holds no channel.";
  if (!IsInDateRange(MsToDateTime(TRecordTimeline::Of(reader).EndMs()))) {
    return refused + "the times of its records run past the year 9999.";
  }
  return {};
}

std::string HistoryFileRefusal(const HistoryFileReader& reader) {
  std::string refusal = HistoryFileShowRefusal(reader);
  if (refusal.empty() && reader.IntervalSeconds() <= 0) {
    refusal = reader.Path() +
              " cannot be searched or exported: its record interval is 0 seconds, so its "
              "records have no times.";
  }
  return refusal;
}

int ShownChannelCount(const HistoryFileReader& reader) {
  return std::clamp(reader.ChannelCount(), 0, kViewerMaxChannels);
}

std::string ChannelCutNotice(const HistoryFileReader& reader) {
  if (reader.ChannelCount() <= kViewerMaxChannels) return {};
  return reader.Path() + " holds " + std::to_string(reader.ChannelCount()) +
         " channels: the viewer shows, searches and exports its first " +
         std::to_string(kViewerMaxChannels) + " only.";
}

std::string WindowMemoryRefusal(std::int64_t points, int channels, std::int64_t intervalMs,
                                std::int64_t availableBytes) {
  const std::int64_t pointBytes = std::int64_t{std::max(channels, 1)} * sizeof(float);
  std::int64_t longest = std::numeric_limits<std::int32_t>::max();
  if (availableBytes > 0) longest = std::min(longest, availableBytes / 4 * 3 / pointBytes);
  if (points <= longest) return {};
  std::string text = WindowNotHeldText(points, channels);
  if (availableBytes > 0) text += " with the " + SizeText(availableBytes) + " of memory available";
  text += ". The longest window that can be shown is " + std::to_string(longest) + " records";
  if (intervalMs > 0) {
    const __int128 spanMs = static_cast<__int128>(longest) * intervalMs;
    text += " (" +
            SpanText(static_cast<std::int64_t>(std::min<__int128>(
                spanMs, std::numeric_limits<std::int64_t>::max()))) +
            ")";
  }
  return text + ".";
}

std::string WindowNotHeldRefusal(std::int64_t points, int channels, std::int64_t intervalMs,
                                 std::int64_t availableBytes) {
  std::string refusal = WindowMemoryRefusal(points, channels, intervalMs, availableBytes);
  return refusal.empty() ? WindowNotHeldText(points, channels) + "." : refusal;
}

int ProgressMaximum(std::int64_t steps) {
  return static_cast<int>(std::clamp<std::int64_t>(steps, 1, std::numeric_limits<int>::max()));
}

std::int32_t PageCountFor(std::int64_t records, std::int64_t pageRecords) {
  const std::int64_t pages = records / pageRecords + 1;
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(pages, std::numeric_limits<std::int32_t>::max()));
}

std::string PageLabelText(std::int32_t pageCount, std::int32_t page) {
  return "( " + std::to_string(pageCount) + " // " + std::to_string(page) + " )Page";
}

std::string TimeRangeText(TDateTime start, TDateTime end) {
  std::string text = "Time Range: ";
  text += FormatDateTime(kDisplayDateTimePattern, start);
  text += " to ";
  text += FormatDateTime(kDisplayDateTimePattern, end);
  text += kTimeRangeTail;
  return text;
}

std::int64_t RecordAtOffset(std::int64_t offset, int channels) {
  const std::int64_t recordBytes = std::int64_t(channels) * sizeof(float);
  if (recordBytes <= 0 || offset <= kHistoryHeaderSize) return 0;
  return (offset - kHistoryHeaderSize) / recordBytes;
}

std::int64_t OffsetOfRecord(std::int64_t k, int channels) {
  return kHistoryHeaderSize + k * std::int64_t(channels) * std::int64_t(sizeof(float));
}

SearchRangeError CheckSearchRange(std::int64_t startMs, std::int64_t endMs,
                                  std::int64_t fileStartMs, std::int64_t fileEndMs) {
  if (startMs > fileEndMs || endMs > fileEndMs) return SearchRangeError::AfterFileEnd;
  if (startMs < fileStartMs || endMs < fileStartMs) return SearchRangeError::BeforeFileStart;
  if (startMs > endMs) return SearchRangeError::StartAfterEnd;
  return SearchRangeError::None;
}

std::string_view SearchRangeMessage(SearchRangeError error) {
  switch (error) {
    case SearchRangeError::AfterFileEnd:
      return "It is beyond the maximum time range!";
    case SearchRangeError::BeforeFileStart:
      return "It is beyond the minimum time range!";
    case SearchRangeError::StartAfterEnd:
      return "The starting time should be greater than the end time!";
    case SearchRangeError::None:
      break;
  }
  return {};
}

TSearchWindow SearchWindow(const TRecordTimeline& timeline, std::int64_t startMs,
                           std::int64_t endMs) {
  TSearchWindow window;
  window.FirstRecord = std::clamp<std::int64_t>((startMs - timeline.StartMs) / timeline.IntervalMs,
                                                0, timeline.RecordCount);
  const std::int64_t labelled = (endMs - startMs) / timeline.IntervalMs + 1;
  window.Points =
      std::min(std::max(labelled, kLeastSearchPoints), timeline.RecordCount - window.FirstRecord);
  return window;
}
