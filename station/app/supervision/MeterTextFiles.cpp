#include "station/app/supervision/MeterTextFiles.h"

#include <algorithm>
#include <filesystem>

#include "common/AppPaths.h"
#include "common/FixedText.h"
#include "common/ValueText.h"
#include "platform/Cp936.h"
#include "station/app/supervision/RecordingFiles.h"

namespace {

constexpr char kTab = '\t';
constexpr char kLineEnd = '\n';
constexpr std::string_view kRowIndent = "  ";
// A row of 48 channels: indent, time, and at most 11 bytes per value ("-1.2346E-10" and a TAB).
constexpr std::size_t kRowReserve = 16 + kMaxChannels * 12;

const std::string& HeaderTitle() {
  static const std::string title = Utf8ToCp936("时间");
  return title;
}

// The most a name field holds before its NUL; a damaged field without one is cut there too.
constexpr std::size_t kMeterNameMaxBytes = sizeof(TMeterStored::Name) - 1;

// A folder separator, or a control character (TAB, CR, LF and the like), which would make the
// file name hard to handle for the people and programs that pick the files up.
bool IsFileNameBreaker(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F;
}

// Appends to a file that exists: opened without creating, written at its end. A write that stops
// part-way (a full disk) is cut back to the old end, so that no torn row runs into the next one.
FileStatus AppendToExisting(const std::string& path, const std::string& bytes, bool& missing) {
  FileSystem& files = SystemFiles();
  OpenedFile opened = files.OpenExisting(path, FileAccess::ReadWrite);
  missing = opened.Status.Error == FileError::Missing;
  if (!opened.Status.ok()) return opened.Status;
  std::int64_t size = 0;
  FileStatus status = opened.Handle->Size(size);
  if (!status.ok()) return status;
  status = opened.Handle->WriteAt(size, bytes.data(), bytes.size(), nullptr);
  const FileStatus closed = opened.Handle->Close();
  if (status.ok()) status = closed;
  if (!status.ok()) (void)files.Resize(path, size);
  return status;
}

}  // namespace

std::string MeterTextFileName(std::string_view meterNameCp936, int index) {
  const std::string_view stored = meterNameCp936.substr(0, meterNameCp936.find('\0'));
  std::string name = Cp936ToUtf8(CutCp936(stored, kMeterNameMaxBytes));
  std::replace_if(name.begin(), name.end(), IsFileNameBreaker, '_');
  name += '_';
  name += std::to_string(index);
  name += kMeterTextExtension;
  return name;
}

std::string MeterTextFolder(const std::string& appDir, TDateTime tick) {
  const std::string month = JoinPath(appDir, DatedName(kMonthFolderPattern, tick));
  return JoinPath(month, DatedName(kHalfDayFolderPattern, tick));
}

std::string MeterTextHeaderLine(const TMeterStored& meter) {
  std::string line = HeaderTitle();
  line += kTab;
  for (int ch = 0; ch < ChannelsInUse(meter); ++ch) {
    // A TAB, CR or LF in a (damaged) name would split the header into other columns or lines
    // than the rows below it. The second byte of a code page 936 character is never one of them.
    const std::size_t from = line.size();
    line += FixedBytes(meter.Channels[ch].Name);
    std::replace_if(
        line.begin() + static_cast<std::ptrdiff_t>(from), line.end(),
        [](char c) { return c == kTab || c == '\r' || c == kLineEnd; }, ' ');
    line += kTab;
  }
  line += kLineEnd;
  return line;
}

std::string MeterTextRow(const TMeterRecord& meter, std::string_view timeText) {
  std::string row;
  row.reserve(kRowReserve);
  row += kRowIndent;
  row += timeText;
  row += kTab;
  const bool online = meter.IsOnline();
  for (int ch = 0; ch < ChannelsInUse(meter); ++ch) {
    if (online) {
      row += ValueText(static_cast<double>(meter.Value(ch)));
    } else {
      row += kOfflineRowValue;
    }
    row += kTab;
  }
  row += kLineEnd;
  return row;
}

FileStatus AppendMeterTextRow(const std::string& path, const TMeterRecord& meter,
                              std::string_view timeText) {
  const std::string row = MeterTextRow(meter, timeText);
  bool missing = false;
  FileStatus status = AppendToExisting(path, row, missing);
  if (!missing) return status;
  const std::string content = MeterTextHeaderLine(meter) + row;
  status = CreateNewFile(path, content.data(), content.size());
  // Made by someone else between the two looks: it exists now, so append to it after all.
  if (status.Error == FileError::NameTaken) return AppendToExisting(path, row, missing);
  return status;
}

std::string MeterTextWriter::PathFor(const std::string& appDir, std::string_view meterNameCp936,
                                     int m, TDateTime tick, std::string& report) {
  const std::string folder = MeterTextFolder(appDir, tick);
  if (folder != halfDayFolder_) {
    // A new half day: problems of the last one's files are forgotten, so the memory stays small
    // and a lasting problem is told again twice a day.
    halfDayFolder_ = folder;
    folderMade_ = false;
    failing_.clear();
  }
  if (!folderMade_) {
    const FileStatus status = SystemFiles().MakeFolders(folder);
    folderMade_ = status.ok();
    if (folderMade_) {
      failing_.erase(folder);
    } else if (NewFailure(folder)) {
      report = status.Message;
    }
  }
  return JoinPath(folder, "\\" + MeterTextFileName(meterNameCp936, m));
}

WriteOutcome MeterTextWriter::AppendRow(const std::string& path, const TMeterRecord& meter,
                                        std::string_view timeText) {
  FileStatus status = AppendMeterTextRow(path, meter, timeText);
  if (status.Error == FileError::Missing) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    if (SystemFiles().MakeFolders(folder).ok()) status = AppendMeterTextRow(path, meter, timeText);
  }
  if (status.ok()) {
    failing_.erase(path);
    return {true, {}};
  }
  if (!NewFailure(path)) return {};
  return {false, status.Message};
}

bool MeterTextWriter::NewFailure(const std::string& key) { return failing_.insert(key).second; }
